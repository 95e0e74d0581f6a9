#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

#include <set>

using namespace brevanton;

namespace {

// Accepts every selection and counts what it was asked.
class CountingEditingDelegate : public WebEditingDelegate {
public:
    int proposals { 0 };
    bool shouldChangeSelectedDOMRange(WebView&, DOMRange*, DOMRange*, WebSelectionAffinity, bool) override
    {
        ++proposals;
        return true;
    }
    bool shouldInsertText(WebView&, const std::u16string&, DOMRange*, WebViewInsertAction) override { return false; }
};

// With the deterministic metrics a character is 8 points wide and a line 20 high.
class WebViewCaretMoves : public ::testing::Test {
protected:
    void load(const std::u16string& body, Rect frame = Rect(0, 0, 400, 300))
    {
        window = Window::create(frame);
        webView = WebView::create(frame);
        window->setContentView(webView);
        window->makeFirstResponder(webView);
        webView->mainFrame()->loadHTMLString(u"<body style='margin:0'>" + body + u"</body>", std::nullopt);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        webView->setEditingDelegate(&delegate);
        webView->setEditable(true);
        webView->layoutIfNeeded();
    }
    void TearDown() override
    {
        if (webView)
            webView->setEditingDelegate(nullptr);
    }

    std::shared_ptr<DOMNode> textOf(const std::u16string& id)
    {
        auto node = webView->mainFrameDocument()->getElementById(id)->firstChild();
        while (node && !node->isTextNode())
            node = node->firstChild();
        return node;
    }
    void caretAt(const std::shared_ptr<DOMNode>& node, unsigned offset)
    {
        auto range = webView->mainFrameDocument()->createRange();
        range->setStart(node, offset);
        range->collapse(true);
        webView->setSelectedDOMRange(range, WebSelectionAffinityDownstream);
    }
    // Where the caret is: the text and offset (or of the start, then the end, of a selection).
    std::string where() const
    {
        auto range = webView->selectedDOMRange();
        if (!range)
            return "none";
        auto end = [](DOMNode* node, unsigned offset) {
            return (node->isTextNode() ? "'" + toUTF8(node->nodeValue()) + "'" : toUTF8(node->nodeName())) + ":"
                + std::to_string(offset);
        };
        if (range->collapsed())
            return end(range->startNode(), range->startOffset());
        return end(range->startNode(), range->startOffset()) + "-" + end(range->endNode(), range->endOffset());
    }
    void key(char16_t character, ModifierFlags modifiers = 0)
    {
        window->sendEvent(events.keyDownForCharacter(window, character, modifiers));
    }
    double scrollY() const { return webView->mainFrame()->frameView()->clipView()->bounds().origin.y; }

    CountingEditingDelegate delegate;
    EventSynthesizer events;
    std::shared_ptr<Window> window;
    std::shared_ptr<WebView> webView;
};

TEST_F(WebViewCaretMoves, DownAndUpCrossParagraphsListItemsAndTableRowsKeepingTheColumn)
{
    load(u"<p id=a style='margin:0 0 10px'>alpha beta gamma</p>"
         u"<ul style='margin:0'><li id=b>one</li><li id=c><p style='margin:0'>two</p></li></ul>"
         u"<table style='border-spacing:0'><tr><td id=d>cell</td><td id=e>x x x x x x x x x x x x x x x x x x x</td></tr>"
         u"<tr><td id=f>next</td><td>other</td></tr></table>"
         u"<blockquote id=g style='margin:10px 40px'>quoted</blockquote><p id=h style='margin:0'>the last line</p>",
         Rect(0, 0, 400, 600));
    caretAt(textOf(u"a"), 2);
    std::vector<std::string> visited;
    for (int press = 0; press < 8; ++press) {
        key(FunctionKey::DownArrow);
        visited.push_back(where());
    }
    // The list items' text starts further right; the column is kept for the
    // next lines; a long second cell beside the first is passed over; the
    // last Down goes to the last line's end.
    std::vector<std::string> expected = { "'one':0", "'two':0", "'cell':2", "'next':2", "'quoted':0", "'the last line':2",
                                          "'the last line':13", "'the last line':13" };
    EXPECT_EQ(visited, expected);

    visited.clear();
    caretAt(textOf(u"h"), 2);
    for (int press = 0; press < 7; ++press) {
        key(FunctionKey::UpArrow);
        visited.push_back(where());
    }
    expected = { "'quoted':0", "'next':2", "'cell':2", "'two':0", "'one':0", "'alpha beta gamma':2", "'alpha beta gamma':0" };
    EXPECT_EQ(visited, expected);
}

TEST_F(WebViewCaretMoves, LeftAndRightStepOverCollapsedSpaceAndIntoTheNextBlock)
{
    load(u"<p id=a style='margin:0'>ab   \n   c<b id=b>de</b></p><p id=c style='margin:0'>\n  fg</p>");
    caretAt(textOf(u"a"), 0);
    std::vector<std::string> visited;
    for (int press = 0; press < 9; ++press) {
        key(FunctionKey::RightArrow);
        visited.push_back(where());
    }
    // One step per character shown, the seam before the bold word takes
    // none, and the next paragraph starts with a step of its own.
    std::vector<std::string> expected = { "'ab   \n   c':1", "'ab   \n   c':2", "'ab   \n   c':3", "'ab   \n   c':10", "'de':1", "'de':2",
                                          "'\n  fg':3", "'\n  fg':4", "'\n  fg':5" };
    EXPECT_EQ(visited, expected);
    std::vector<std::string> back;
    for (int press = 0; press < 3; ++press) {
        key(FunctionKey::LeftArrow);
        back.push_back(where());
    }
    expected = { "'\n  fg':4", "'\n  fg':3", "'de':2" };
    EXPECT_EQ(back, expected);
}

TEST_F(WebViewCaretMoves, WordsLineEndsAndDocumentEndsWithTheDesktopsKeys)
{
    // 20 characters a line: the paragraph wraps after "beta".
    load(u"<p id=a style='margin:0;width:160px'>alpha, beta gamma delta <i>epsilon</i> zeta</p>"
         u"<p id=b style='margin:0'>end</p>");
    caretAt(textOf(u"a"), 0);
    key(FunctionKey::RightArrow, ModifierFlag::Command);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':5");
    key(FunctionKey::RightArrow, ModifierFlag::Command);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':11");
    key(FunctionKey::LeftArrow, ModifierFlag::Command);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':7");

    key(FunctionKey::End);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':17") << "before the space the line wrapped at";
    key(FunctionKey::Home);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':0");
    key(FunctionKey::DownArrow);
    key(FunctionKey::End);
    EXPECT_EQ(where(), "' zeta':5") << "the line's end lies in the text after the italics";
    key(FunctionKey::Home);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':18");

    key(FunctionKey::End, ModifierFlag::Command);
    EXPECT_EQ(where(), "'end':3");
    key(FunctionKey::Home, ModifierFlag::Command);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':0");
    key(FunctionKey::End, ModifierFlag::Command | ModifierFlag::Shift);
    EXPECT_EQ(where(), "'alpha, beta gamma delta ':0-'end':3");
}

TEST_F(WebViewCaretMoves, ShiftExtendsFromAnAnchorThatStaysAndTheMovesMayShrinkItAgain)
{
    load(u"<p id=a style='margin:0'>first line</p><p id=b style='margin:0'>second line</p>");
    caretAt(textOf(u"a"), 3);
    key(FunctionKey::RightArrow, ModifierFlag::Shift);
    key(FunctionKey::RightArrow, ModifierFlag::Shift);
    key(FunctionKey::LeftArrow, ModifierFlag::Shift);
    EXPECT_EQ(where(), "'first line':3-'first line':4");
    key(FunctionKey::LeftArrow, ModifierFlag::Shift);
    key(FunctionKey::LeftArrow, ModifierFlag::Shift);
    EXPECT_EQ(where(), "'first line':2-'first line':3") << "past the anchor the selection turns";
    key(FunctionKey::DownArrow, ModifierFlag::Shift);
    EXPECT_EQ(where(), "'first line':3-'second line':2");
    key(FunctionKey::UpArrow, ModifierFlag::Shift);
    EXPECT_EQ(where(), "'first line':2-'first line':3");
    key(FunctionKey::End, ModifierFlag::Shift);
    EXPECT_EQ(where(), "'first line':3-'first line':10");
    // An arrow without Shift collapses the selection towards it.
    key(FunctionKey::LeftArrow);
    EXPECT_EQ(where(), "'first line':3");
}

TEST_F(WebViewCaretMoves, SelectAllTakesTheBodysContentByKeyAndAsAnAction)
{
    load(u"<p id=a>one</p><p>two</p>");
    caretAt(textOf(u"a"), 1);
    window->sendEvent(events.keyDown(window, u"a", 0, ModifierFlag::Command));
    auto range = webView->selectedDOMRange();
    auto body = webView->mainFrameDocument()->body();
    ASSERT_TRUE(range);
    EXPECT_EQ(range->startNode(), body.get());
    EXPECT_EQ(range->startOffset(), 0u);
    EXPECT_EQ(range->endNode(), body.get());
    EXPECT_EQ(range->endOffset(), body->childNodes()->length());

    caretAt(textOf(u"a"), 1);
    EXPECT_TRUE(webView->tryToPerform("selectAll:", nullptr));
    EXPECT_EQ(webView->selectedDOMRange()->startNode(), body.get());
    EXPECT_TRUE(webView->tryToPerform("moveToEndOfDocument:", nullptr));
    EXPECT_EQ(where(), "'two':3");
}

TEST_F(WebViewCaretMoves, TheCaretIsScrolledIntoViewAndPageDownScrollsByAPageWithIt)
{
    std::u16string page;
    for (int i = 0; i < 200; ++i)
        page += u"<p style='margin:0'>line " + toUTF16(std::to_string(i)) + u"</p>";
    load(page, Rect(0, 0, 400, 300));
    auto paragraphs = webView->mainFrameDocument()->body();
    caretAt(paragraphs->firstChild()->firstChild(), 0);
    auto& clip = *webView->mainFrame()->frameView()->clipView();
    EXPECT_FALSE(webView->mainFrame()->frameView()->verticalScroller()->isHidden()) << "the page has a scroller";
    EXPECT_DOUBLE_EQ(webView->mainFrame()->frameView()->verticalLineScroll(), 20);

    key(FunctionKey::PageDown);
    // A page is what is shown (300) less a line: 280 points, 14 lines.
    EXPECT_EQ(where(), "'line 14':0");
    EXPECT_DOUBLE_EQ(scrollY(), 280);
    key(FunctionKey::PageDown, ModifierFlag::Shift);
    EXPECT_EQ(where(), "'line 14':0-'line 28':0");
    EXPECT_DOUBLE_EQ(scrollY(), 560);
    key(FunctionKey::PageUp);
    EXPECT_EQ(where(), "'line 14':0") << "the selection's end moves up a page";
    EXPECT_DOUBLE_EQ(scrollY(), 280);

    key(FunctionKey::End, ModifierFlag::Command);
    EXPECT_EQ(where(), "'line 199':8");
    EXPECT_DOUBLE_EQ(clip.documentVisibleRect().maxY(), 4000) << "the last line is shown";
    key(FunctionKey::UpArrow);
    EXPECT_DOUBLE_EQ(clip.documentVisibleRect().maxY(), 4000);
    key(FunctionKey::Home, ModifierFlag::Command);
    EXPECT_DOUBLE_EQ(scrollY(), 0);
    for (int press = 0; press < 20; ++press)
        key(FunctionKey::DownArrow);
    EXPECT_EQ(where(), "'line 20':0");
    EXPECT_GE(clip.documentVisibleRect().maxY(), 21 * 20) << "the caret's line is shown";
    EXPECT_LE(clip.documentVisibleRect().minY(), 20 * 20);
}

TEST_F(WebViewCaretMoves, MovesThatTheDelegateRefusesLeaveTheSelectionAndTheScrollAlone)
{
    class Refusing : public CountingEditingDelegate {
    public:
        bool shouldChangeSelectedDOMRange(WebView& view, DOMRange* a, DOMRange* b, WebSelectionAffinity f, bool s) override
        {
            CountingEditingDelegate::shouldChangeSelectedDOMRange(view, a, b, f, s);
            return !refuse;
        }
        bool refuse { false };
    } refusing;
    std::u16string page;
    for (int i = 0; i < 100; ++i)
        page += u"<p style='margin:0'>line " + toUTF16(std::to_string(i)) + u"</p>";
    load(page);
    webView->setEditingDelegate(&refusing);
    caretAt(webView->mainFrameDocument()->body()->firstChild()->firstChild(), 0);
    refusing.refuse = true;
    key(FunctionKey::End, ModifierFlag::Command);
    EXPECT_EQ(where(), "'line 0':0");
    EXPECT_DOUBLE_EQ(scrollY(), 0);
    EXPECT_EQ(refusing.proposals, 2);
    webView->setEditingDelegate(&delegate);
}

} // namespace
