#include "dom/VornickNodeGeometry.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

TEST(VornickNodeGeometryTest, BoxesComeFromTheWebViewAndConvertToOtherViews)
{
    auto container = std::make_shared<View>(Rect(0, 0, 500, 500));
    container->setFlipped(true);
    auto webView = WebView::create(Rect(20, 30, 400, 300));
    container->addSubview(webView);
    webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><p id=a style='margin:0'>ab</p>"
                                         u"<p id=b style='margin:0;display:none'>x</p><p id=c style='margin:0'>cd</p></body>",
                                         std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    auto document = webView->mainFrameDocument();
    auto a = document->getElementById(u"a");
    EXPECT_EQ(vornick_boundingBoxInView(*a, *webView), (VornickRect { 0, 0, 400, 20 }));
    EXPECT_EQ(vornick_boundingBoxInView(*a, *container), (VornickRect { 20, 30, 400, 20 }));
    EXPECT_TRUE(vornick_boundingBoxInView(*document->getElementById(u"b"), *webView).isEmpty());
    // In a container that is not flipped the box hangs from the web view's top edge.
    auto unflipped = std::make_shared<View>(Rect(0, 0, 500, 500));
    unflipped->addSubview(webView);
    EXPECT_EQ(vornick_boundingBoxInView(*a, *unflipped), (VornickRect { 20, 310, 400, 20 }));
    container->addSubview(webView);

    // The best guess of a range over the two paragraphs covers both boxes.
    auto range = document->createRange();
    range->setStart(a->firstChild(), 0);
    range->setEnd(document->getElementById(u"c")->firstChild(), 2);
    auto guess = vornick_boundingBoxBestGuess(*range, VornickNodeBoundsGetterForView(*webView),
                                              [](const VornickRect& proposed, const DOMNode&, VornickRectEdge) { return proposed; }, true);
    EXPECT_EQ(guess.y, 0);
    EXPECT_EQ(guess.maxY(), 40);

    auto detached = DOMDocument::createHTMLDocument();
    EXPECT_TRUE(vornick_boundingBoxInView(*detached->body(), *webView).isEmpty()) << "no web view shows it";
}

} // namespace
