#include "PointerTestSupport.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickNodeGeometry.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebGeneratedContent.h"
#include "platform/web/WebFrameView.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class SectionHandles : public PointerTest {
protected:
    Point scrollPosition() const { return view->mainFrame()->frameView()->documentView()->visibleRect().origin; }
    double middleOf(const DOMNode& node) const
    {
        auto box = vornick_boundingBoxInView(node, *view);
        return box.y + box.height / 2;
    }
};

TEST_F(SectionHandles, EveryFrameGetsTheClassAndEveryBrickItsTag)
{
    writePage("inner.html", "<!DOCTYPE html><html><head><title>Inner</title></head><body><p id=inside>Inside</p></body></html>\n");
    show("<p id=a>One</p><iframe id=frame src=\"inner.html\"></iframe>");
    auto inner = byId(u"frame");
    ASSERT_EQ(view->mainFrame()->childFrames().size(), 1u);
    auto innerDocument = view->mainFrame()->childFrames()[0]->domDocument();
    ASSERT_TRUE(innerDocument);

    VornickContentEditingViewTestPeer::vornick_toggleSectionHandlesShown(*view, nullptr);
    EXPECT_TRUE(view->sectionHandlesShown());
    EXPECT_TRUE(vornick_hasClass(*body(), u"brevanton-section-handles-shown"));
    EXPECT_TRUE(vornick_hasClass(*innerDocument->body(), u"brevanton-section-handles-shown"));
    EXPECT_TRUE(vornick_hasClass(*byId(u"a"), u"brevanton-brick"));

    // The same value again changes nothing, and scrolls nowhere.
    auto scroll = scrollPosition();
    view->setSectionHandlesShown(true);
    EXPECT_EQ(scrollPosition(), scroll);

    VornickContentEditingViewTestPeer::vornick_toggleSectionHandlesShown(*view, nullptr);
    EXPECT_FALSE(vornick_hasClass(*body(), u"brevanton-section-handles-shown"));
    EXPECT_FALSE(vornick_hasClass(*innerDocument->body(), u"brevanton-section-handles-shown"));
    EXPECT_FALSE(vornick_hasClass(*byId(u"a"), u"brevanton-brick"));
}

TEST_F(SectionHandles, TheContentInTheMiddleStaysThere)
{
    std::string markup;
    for (int index = 0; index < 80; ++index)
        markup += "<p id=p" + std::to_string(index) + ">Paragraph " + std::to_string(index)
            + " with enough words in it to wrap over several lines once the body narrows for the handles.</p>";
    show(markup);
    auto target = byId(u"p40");
    view->scrollRangeToVerticallyCentered(vornick_outerRange(*target));
    Rect visible = VornickContentEditingViewTestPeer::contentRect(*view);
    auto anchor = VornickContentEditingViewTestPeer::rangeForPoint(*view, Point { visible.midX(), visible.midY() }, 0, nullptr);
    ASSERT_TRUE(anchor);
    auto node = vornick_exactlySelectedNode(*anchor);
    ASSERT_TRUE(node);

    view->setSectionHandlesShown(true);
    EXPECT_NEAR(middleOf(*node), visible.midY(), 20);
    view->setSectionHandlesShown(false);
    EXPECT_NEAR(middleOf(*node), visible.midY(), 20);
}

// A point in the padding of a block far taller than the window hits the
// block: the page stays where it was instead of going to the block's middle.
TEST_F(SectionHandles, APointInATallBlocksPaddingKeepsThePagesPlace)
{
    std::string markup = "<div id=tall style=\"padding-top: 2000px\">";
    for (int index = 0; index < 80; ++index)
        markup += "<p>Paragraph " + std::to_string(index) + " of the tall block, with a few more words to wrap.</p>";
    show(markup + "</div>");
    Rect visible = VornickContentEditingViewTestPeer::contentRect(*view);
    auto anchor = VornickContentEditingViewTestPeer::rangeForPoint(*view, Point { visible.midX(), visible.midY() }, 0, nullptr);
    ASSERT_TRUE(anchor);
    ASSERT_EQ(vornick_exactlySelectedNode(*anchor), byId(u"tall"));
    ASSERT_EQ(scrollPosition().y, 0);

    view->setSectionHandlesShown(true);
    EXPECT_NEAR(scrollPosition().y, 0, 20);
    view->setSectionHandlesShown(false);
    EXPECT_NEAR(scrollPosition().y, 0, 20);
}

TEST_F(SectionHandles, ShowingTheLoupeRegeneratesTheSourceAndHidingDoesNot)
{
    show("<p id=a>One</p>");
    RunLoop::main().useManualClock();
    ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(byId(u"a")->firstChild(), 0, 3), u"Two", false));
    drain();
    RunLoop::main().advanceClock(1);
    drain();
    ASSERT_FALSE(VornickContentEditingViewTestPeer::htmlUpdateIsScheduled(*view));
    auto loupe = view->sourceLoupe();
    if (loupe->isShown())
        VornickContentEditingViewTestPeer::showOrHideSourceLoupe(*view, nullptr);
    RunLoop::main().advanceClock(1);
    drain();
    ASSERT_FALSE(VornickContentEditingViewTestPeer::htmlUpdateIsScheduled(*view));

    VornickContentEditingViewTestPeer::showOrHideSourceLoupe(*view, nullptr);
    EXPECT_TRUE(loupe->isShown());
    EXPECT_TRUE(VornickContentEditingViewTestPeer::htmlUpdateIsScheduled(*view));
    RunLoop::main().advanceClock(1);
    drain();
    VornickContentEditingViewTestPeer::showOrHideSourceLoupe(*view, nullptr);
    EXPECT_FALSE(loupe->isShown());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::htmlUpdateIsScheduled(*view));
}

} // namespace

namespace {

// Text that fills its lines to the right edge, in a paragraph, a list and a
// table's cells: no brick's handle covers any of it.
TEST_F(SectionHandles, NoHandleCoversTheTextOfAParagraphAListOrATablesCells)
{
    std::string words = "Words fill this line to its right edge and wrap onto the next line as long text does in a page.";
    show("<p>" + words + "</p><ul><li>" + words + "</li></ul><table style=\"width: 100%\" border=\"1\"><tr><td>" + words + "</td><td>"
         + words + "</td></tr><tr><td>Short</td><td>" + words + "</td></tr></table>");
    view->setSectionHandlesShown(true);
    auto webView = view->embeddedWebView();
    auto& layout = webView->mainFrame()->layout();
    std::vector<Rect> handles;
    std::vector<std::pair<std::u16string, Rect>> lines;
    for (DOMNode* node = view->mainFrameDocument().get(); node; node = node->traverseNext()) {
        if (node->isTextNode() && !node->nodeValue().empty() && node->nodeValue().find_first_not_of(u" \n") != std::u16string::npos) {
            for (Rect line : webView->lineBoxRects(*node))
                lines.push_back({ node->parentNode()->nodeName(), line });
        }
        auto* brick = dynamicDowncast<DOMElement>(node);
        if (!brick || !vornick_hasClass(*brick, u"brevanton-brick"))
            continue;
        for (const auto& box : webGeneratedBoxes(layout, *brick, webView->textSizeMultiplier()))
            handles.push_back(box.rect);
    }
    ASSERT_GE(handles.size(), 6u) << "the paragraph, the list, its item, the table and its rows";
    ASSERT_FALSE(lines.empty());
    for (const Rect& handle : handles) {
        for (const auto& [in, line] : lines)
            EXPECT_TRUE(handle.intersection(line).isEmpty()) << toUTF8(in) << ": handle " << handle.description() << " over " << line.description();
    }
}

} // namespace
