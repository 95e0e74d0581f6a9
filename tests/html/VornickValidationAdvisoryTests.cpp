#include "html/VornickValidationAdvisory.h"

#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(VornickValidationAdvisory, ResolvesInTheFramesLastGeneratedSource)
{
    std::u16string html = u"<html><head><title>t</title></head><body>\n<p>a <foo>x</foo></p>\n</body></html>\n";
    auto webView = WebView::create(Rect(0, 0, 800, 600));
    auto frame = webView->mainFrame();
    frame->loadHTMLString(html, std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 5));

    VornickValidationAdvisory advisory(VornickValidationAdvisoryKindError, 0, 2, 6, u"<foo> is not recognized!", false);
    // Nothing generated or mapped yet.
    EXPECT_EQ(advisory.resolveDOMRangeInWebFrame(*frame), nullptr);

    vornick_setLastGeneratedHTMLString(*frame, html);
    EXPECT_EQ(advisory.resolveDOMRangeInWebFrame(*frame), nullptr);
    VornickHTMLStringSyntaxPainterAndMapper painter;
    painter.paintAndMapHTMLString(html, nullptr, nullptr, true,
        [&](std::shared_ptr<const AttributedString>, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
            vornick_setDOMToNSRangeMapForLastGeneratedHTMLString(*frame, map);
        });

    auto range = advisory.resolveDOMRangeInWebFrame(*frame);
    ASSERT_TRUE(range);
    auto selected = range->startContainer()->childAt(range->startOffset());
    ASSERT_TRUE(selected);
    EXPECT_EQ(selected->nodeName(), u"FOO");
    EXPECT_EQ(selected->ownerDocument(), frame->domDocument());
}

} // namespace
} // namespace brevanton
