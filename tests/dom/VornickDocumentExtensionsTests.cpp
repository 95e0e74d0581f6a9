#include "dom/VornickDocumentExtensions.h"

#include "VornickDOMTestSupport.h"
#include "dom/VornickWebFrameExtensions.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using namespace testing;

TEST(VornickDocumentExtensions, BaseElementsAndReferences)
{
    auto document = DOMDocument::parseHTML(u"<html><head><title>t</title></head><body></body></html>",
                                           u"file:///site/posts/index.html");
    EXPECT_EQ(vornick_firstBaseElementInHead(*document), nullptr);
    URL target = URL::fileURLWithPath(std::string_view("/site/img/a.png"));
    EXPECT_EQ(vornick_relativeURLStringForReferencingTargetURL(*document, &target), u"../img/a.png");
    URL web = *URL::create(std::u16string_view(u"https://example.com/x"));
    EXPECT_EQ(vornick_relativeURLStringForReferencingTargetURL(*document, &web), u"https://example.com/x");
    EXPECT_EQ(vornick_relativeURLStringForReferencingTargetURL(*document, nullptr), std::nullopt);

    auto base = vornick_insertBaseElementInHeadWithURL(*document, URL::fileURLWithPath(std::string_view("/other/page.html")), true);
    ASSERT_TRUE(base);
    EXPECT_EQ(vornick_headElement(*document)->firstChild(), base);
    EXPECT_EQ(vornick_firstBaseElementInHead(*document), base);
    EXPECT_EQ(toUTF8(vornick_baseDirectoryURLForResourceFileResolution(*document)->path()), "/other");
    auto replaced = vornick_insertBaseElementInHeadWithURL(*document, URL::fileURLWithPath(std::string_view("/third/p.html")), true);
    EXPECT_EQ(replaced, base);
    EXPECT_EQ(vornick_relativeURLStringForReferencingTargetURL(*document, &target), u"../site/img/a.png");

    // An untitled document that its frame's owner keeps in the autosave folder
    // references files absolutely; saved there, it would reference them relatively.
    auto webView = WebView::create(Rect(0, 0, 800, 600));
    webView->mainFrame()->loadHTMLString(u"<p>x</p>", std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    auto& frame = *webView->mainFrame();
    auto& untitled = *frame.domDocument();
    vornick_setURLWhereSaved(frame, URL::fileURLWithPath(std::string_view("/autosave/Untitled.html")));
    EXPECT_TRUE(vornick_isSavedInPermanentLocation(untitled));
    EXPECT_EQ(vornick_relativeURLStringForReferencingTargetURL(untitled, &target), u"../site/img/a.png");
    vornick_setAutosavedInformationFolderURL(frame, URL::fileURLWithPath(std::string_view("/autosave"), true));
    EXPECT_FALSE(vornick_isSavedInPermanentLocation(untitled));
    EXPECT_EQ(vornick_relativeURLStringForReferencingTargetURL(untitled, &target), u"file:///site/img/a.png");
    auto elsewhere = DOMDocument::parseHTML(u"<p>x</p>", u"file:///autosave/Other.html");
    EXPECT_TRUE(vornick_isSavedInPermanentLocation(*elsewhere)) << "the folder is the frame's, not every document's";
}

TEST(VornickDocumentExtensions, FragmentBuilders)
{
    auto document = documentWithBody(u"");
    std::shared_ptr<DOMElement> element;
    std::shared_ptr<DOMText> text;
    auto link = vornick_createDocumentFragmentWithALinkToURLString(*document, u"https://e.com/?a=1&b=2", u"e", &element, &text);
    EXPECT_EQ(link->innerHTML(), u"<a href=\"https://e.com/?a=1&amp;b=2\">e</a>");
    EXPECT_EQ(text->data(), u"e");
    std::shared_ptr<DOMElement> inner;
    auto nested = vornick_createDocumentFragmentWithElementWrappedAroundElement(*document, u"pre", u"code", u"x", &element, &inner);
    EXPECT_EQ(nested->innerHTML(), u"<pre><code>x</code></pre>");
    EXPECT_EQ(inner->parentNode(), element);
    EXPECT_THROW(vornick_createDocumentFragmentWithEmptyElement(*document, u""), InternalInconsistencyException);
    EXPECT_EQ(vornick_createDocumentFragmentWithCommentText(*document, u" wp:more ")->innerHTML(), u"<!-- wp:more -->");

    EXPECT_EQ(vornick_createDocumentFragmentWithTableRowOfCells(*document, 2, u"TH")->innerHTML(), u"<tr><th>-</th><th>-</th></tr>");
    EXPECT_EQ(vornick_createDocumentFragmentWithTableRowOfCells(*document, 2, u"p"), nullptr);
    EXPECT_EQ(vornick_createTableWithRows(*document, 0, 2, true, false)->outerHTML(),
              u"<table><thead><tr><th>-</th><th>-</th></tr></thead></table>");
    EXPECT_EQ(vornick_createTableWithRows(*document, 1, 1, false, true)->outerHTML(),
              u"<table><caption>Table Caption</caption><tbody><tr><td>-</td></tr></tbody></table>");
    EXPECT_EQ(vornick_createCleanedUpDocumentFragmentWithHTMLString(*document, u"<span style=\"x:y\">a</span>b", nullptr)->innerHTML(),
              u"ab");
}

} // namespace
} // namespace brevanton
