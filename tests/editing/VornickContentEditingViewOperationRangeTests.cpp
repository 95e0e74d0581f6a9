#include "EditingTestSupport.h"

#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Sound.h"
#include "platform/views/TextField.h"
#include "ui/VornickBezel.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class OperationRange : public EditingViewTest {
protected:
    void loadBody(const std::string& body)
    {
        ASSERT_TRUE(writeFileAtomically(path("body.html"), "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
                                                               + body + "</body></html>\n"));
        load("body.html");
    }
    std::shared_ptr<DOMRange> rangeAt(const std::shared_ptr<DOMNode>& node, unsigned start, unsigned end)
    {
        auto range = document()->createRange();
        range->setStart(node, start);
        range->setEnd(node, end);
        return range;
    }
    std::u16string bezelMessage() const
    {
        return VornickBezel::sharedContentEditingViewBezel()->messageTextField()->attributedStringValue().string();
    }
};

TEST_F(OperationRange, TheWebViewShowsCharacterLevelTargetRangesOnly)
{
    loadBody("<p id=a>one</p><p id=b>two</p>");
    auto text = element(u"P")->firstChild();
    view->setTargetRange(rangeAt(text, 1, 2));
    ASSERT_TRUE(view->embeddedWebView()->selectedDOMRange());
    EXPECT_EQ(view->embeddedWebView()->selectedDOMRange()->startOffset(), 1u);
    // Between the two paragraphs: only the view holds it.
    view->setTargetRange(rangeAt(document()->body(), 1, 1));
    EXPECT_FALSE(view->embeddedWebView()->selectedDOMRange());
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), document()->body());
    // A private copy: changing the caller's range changes nothing.
    auto range = rangeAt(text, 0, 3);
    view->setTargetRange(range);
    range->setEnd(text, 1);
    EXPECT_EQ(view->targetRange()->endOffset(), 3u);
    // Without a target range the web view's selection is the operation range.
    view->setTargetRange(nullptr);
    EXPECT_EQ(view->effectiveOperationRange(), view->embeddedWebView()->selectedDOMRange());
}

TEST_F(OperationRange, SiblingAndChildNavigationTellsWhereItStops)
{
    loadBody("<p>one <b>two</b></p><div> \n </div>");
    auto bold = element(u"B");
    view->setTargetRange(rangeAt(bold->firstChild(), 0, 3));
    VornickContentEditingViewTestPeer::selectNextSiblingNode(*view);
    EXPECT_EQ(bezelMessage(), u"At end of <b>");

    view->setTargetRange(rangeAt(element(u"P"), 2, 2));
    VornickContentEditingViewTestPeer::selectNextSiblingNode(*view);
    EXPECT_EQ(bezelMessage(), u"At end of <p>");

    view->setTargetRange(rangeAt(element(u"P"), 0, 0));
    VornickContentEditingViewTestPeer::selectNextSiblingNode(*view);
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startContainer(), element(u"P"));
    EXPECT_EQ(view->targetRange()->endOffset(), 1u);

    view->setTargetRange(rangeAt(document()->body(), 1, 2));
    VornickContentEditingViewTestPeer::selectFirstChildNode(*view);
    EXPECT_EQ(bezelMessage(), u"No child nodes (except whitespace)");
    view->setTargetRange(rangeAt(element(u"P"), 1, 2));
    VornickContentEditingViewTestPeer::selectFirstChildNode(*view);
    EXPECT_EQ(view->targetRange()->startContainer(), bold);
    EXPECT_EQ(bezelMessage(), u"Enter <b>");
}

TEST_F(OperationRange, EnteringATextNodeNamesItsElementAndSoundsFollowTheSetting)
{
    loadBody("<p class=\"x brevanton-brick\" id=\"p1\" title=\"t\">one</p>");
    Sound::clearPlayedSounds();
    UserDefaults::standard().setBool(false, u"PlayEnterAndExitElementSounds");
    EXPECT_TRUE(VornickContentEditingViewTestPeer::enterNode(*view, element(u"P")->firstChild(), -1));
    EXPECT_EQ(bezelMessage(), u"Enter <p class=\"x\" id=\"p1\">");
    EXPECT_EQ(view->targetRange()->startOffset(), 3u);
    EXPECT_TRUE(Sound::playedSoundNames().empty());

    UserDefaults::standard().setBool(true, u"PlayEnterAndExitElementSounds");
    EXPECT_TRUE(VornickContentEditingViewTestPeer::enterNode(*view, element(u"P"), 1));
    EXPECT_EQ(Sound::playedSoundNames(), std::vector<std::u16string> { u"EnterElement" });
    UserDefaults::standard().removeObjectForKey(u"PlayEnterAndExitElementSounds");
    EXPECT_FALSE(VornickContentEditingViewTestPeer::enterNode(*view, document()->createComment(u"c"), 1));
}

TEST_F(OperationRange, LeavingTheLastCellWithoutACaptionSelectsTheFirstCell)
{
    loadBody("<table><tr><td>a</td><td>b</td></tr><tr><td>c</td><td id=last>d</td></tr></table>");
    auto cells = document()->getElementsByTagName(u"TD");
    VornickContentEditingViewTestPeer::exitNode(*view, cells->item(3), 1);
    ASSERT_TRUE(view->targetRange());
    EXPECT_EQ(view->targetRange()->startContainer(), cells->item(0)->parentNode());
    EXPECT_EQ(view->targetRange()->startOffset(), 0u);
    VornickContentEditingViewTestPeer::exitNode(*view, cells->item(1), 1);
    EXPECT_EQ(view->targetRange()->startContainer(), cells->item(2)->parentNode());
}

TEST_F(OperationRange, SelectAllInAWhitespaceOnlyBodyIsACaretAndElsewhereTheContents)
{
    load("empty-body.html");
    VornickContentEditingViewTestPeer::of(*view).bodyPlaceholderTextNode->parentNode()->removeChild(VornickContentEditingViewTestPeer::of(*view).bodyPlaceholderTextNode);
    view->setTargetRange(rangeAt(document()->body(), 0, 0));
    view->selectAll();
    ASSERT_TRUE(view->targetRange());
    EXPECT_TRUE(view->targetRange()->collapsed());
    EXPECT_EQ(view->targetRange()->startContainer()->nodeType(), DOMNode::TEXT_NODE);

    loadBody("<p>one</p>");
    view->selectAll();
    EXPECT_EQ(view->targetRange()->startContainer(), document()->body());
    EXPECT_EQ(view->targetRange()->endOffset(), document()->body()->childNodes()->length());
    VornickContentEditingViewTestPeer::selectNone(*view);
    EXPECT_TRUE(view->targetRange()->collapsed());
}

TEST_F(OperationRange, AFocusedFrameChangeIsAnnouncedBeforeTheRangeChange)
{
    load("page.html");
    auto inner = view->mainFrame()->childFrames().front();
    recorder.clear();
    auto text = inner->domDocument()->getElementsByTagName(u"P")->item(0)->firstChild();
    auto range = inner->domDocument()->createRange();
    range->setStart(text, 0);
    range->setEnd(text, 0);
    view->setTargetRange(range);
    EXPECT_EQ(view->focusedWebFrame(), inner);
    EXPECT_LT(recorder.indexOf("delegate focus"), recorder.indexOf("note DidChangeFocusedWebFrameNotification"));
    EXPECT_LT(recorder.indexOf("note DidChangeFocusedWebFrameNotification"),
              recorder.indexOf("note DidChangeEffectiveOperationRangeNotification"));
    EXPECT_EQ(recorder.count("note DidChangeFocusedWebFrameNotification"), 1u);
    view->setTargetRange(range);
    EXPECT_EQ(recorder.count("note DidChangeFocusedWebFrameNotification"), 1u);
}

} // namespace
