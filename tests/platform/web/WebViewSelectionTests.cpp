#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Window.h"
#include "platform/web/WebView.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::string describe(const DOMRange* range)
{
    if (!range)
        return "none";
    auto name = [](DOMNode* node) {
        return node->isTextNode() ? "'" + toUTF8(node->nodeValue()) + "'" : toUTF8(node->nodeName());
    };
    return name(range->startNode()) + ":" + std::to_string(range->startOffset()) + "-" + name(range->endNode()) + ":"
        + std::to_string(range->endOffset());
}

class RecordingEditingDelegate : public WebEditingDelegate {
public:
    std::vector<std::string> events;
    bool refuse { false };
    bool performCommands { false };

    bool shouldChangeSelectedDOMRange(WebView&, DOMRange* current, DOMRange* proposed, WebSelectionAffinity affinity,
                                      bool stillSelecting) override
    {
        events.push_back("should-change " + describe(current) + " -> " + describe(proposed) + " affinity "
                         + std::to_string(affinity) + (stillSelecting ? " still" : ""));
        return !refuse;
    }
    void webViewDidChangeSelection(WebView&) override { events.push_back("did-change"); }
    bool shouldInsertText(WebView&, const std::u16string& text, DOMRange* range, WebViewInsertAction action) override
    {
        events.push_back("insert '" + toUTF8(text) + "' at " + describe(range) + " action "
                         + std::to_string(action));
        return false;
    }
    bool doCommandBySelector(WebView&, std::string_view selector) override
    {
        events.push_back("command " + std::string(selector));
        return performCommands;
    }
};

class WebViewSelectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = Window::create(Rect(0, 0, 400, 300));
        webView = WebView::create(Rect(0, 0, 400, 300));
        window->setContentView(webView);
        webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><p id=p style='margin:0'>hello world again</p>"
                                             u"<p id=q style='margin:0'>second</p></body>", std::nullopt);
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
        webView->setEditingDelegate(&delegate);
        webView->setEditable(true);
        text = webView->mainFrameDocument()->getElementById(u"p")->firstChild();
    }
    void TearDown() override { webView->setEditingDelegate(nullptr); }

    Point windowPoint(Point inWebView) { return webView->convertPointToView(inWebView, nullptr); }
    std::shared_ptr<DOMRange> rangeIn(const std::shared_ptr<DOMNode>& node, unsigned start, unsigned end)
    {
        auto range = webView->mainFrameDocument()->createRange();
        range->setStart(node, start);
        range->setEnd(node, end);
        return range;
    }

    RecordingEditingDelegate delegate;
    EventSynthesizer events;
    std::shared_ptr<Window> window;
    std::shared_ptr<WebView> webView;
    std::shared_ptr<DOMNode> text;
};

TEST_F(WebViewSelectionTest, ProgrammaticSelectionPassesTheFilter)
{
    webView->setSelectedDOMRange(rangeIn(text, 0, 5), WebSelectionAffinityDownstream);
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'hello world again':0-'hello world again':5");
    std::vector<std::string> expected = { "should-change none -> 'hello world again':0-'hello world again':5 affinity 1",
                                          "did-change" };
    EXPECT_EQ(delegate.events, expected);

    // The same range again changes nothing; a refused range leaves the selection as it was.
    delegate.events.clear();
    webView->setSelectedDOMRange(rangeIn(text, 0, 5), WebSelectionAffinityDownstream);
    EXPECT_EQ(delegate.events.size(), 1u);
    delegate.refuse = true;
    webView->setSelectedDOMRange(rangeIn(text, 1, 2), WebSelectionAffinityUpstream);
    EXPECT_EQ(webView->selectedDOMRange()->startOffset(), 0u);
    EXPECT_EQ(webView->selectionAffinity(), WebSelectionAffinityDownstream);

    // The selection is a copy: changing the range handed in does not move it.
    delegate.refuse = false;
    auto range = rangeIn(text, 2, 3);
    webView->setSelectedDOMRange(range, WebSelectionAffinityUpstream);
    range->setStart(text, 0);
    EXPECT_EQ(webView->selectedDOMRange()->startOffset(), 2u);
    EXPECT_EQ(webView->selectionAffinity(), WebSelectionAffinityUpstream);
}

class OverridingWebView : public WebView {
public:
    using WebView::WebView;
    int calls { 0 };
    void setSelectedDOMRange(const std::shared_ptr<DOMRange>& range, WebSelectionAffinity affinity) override
    {
        ++calls;
        WebView::setSelectedDOMRange(range, affinity);
    }
};

TEST_F(WebViewSelectionTest, SelectionSetterCanBeOverridden)
{
    auto view = std::make_shared<OverridingWebView>(Rect(0, 0, 100, 100));
    WebView& base = *view;
    base.setSelectedDOMRange(rangeIn(text, 0, 1), WebSelectionAffinityDownstream);
    EXPECT_EQ(view->calls, 1);
    EXPECT_TRUE(view->selectedDOMRange());
}

TEST_F(WebViewSelectionTest, ClicksPlaceTheCaretAndSelectWordsAndParagraphs)
{
    // "hello world again": 8px per character, 20px lines.
    webView->mouseDown(events.mouseDown(window, windowPoint({ 6 * 8 + 1, 5 })));
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'hello world again':6-'hello world again':6");
    webView->mouseDragged(events.mouseDragged(window, windowPoint({ 11 * 8 + 1, 5 })));
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'hello world again':6-'hello world again':11");
    EXPECT_NE(delegate.events.rbegin()[1].find(" still"), std::string::npos) << delegate.events.rbegin()[1];
    webView->mouseUp(events.mouseUp(window, windowPoint({ 11 * 8 + 1, 5 })));

    webView->mouseDown(events.mouseDown(window, windowPoint({ 7 * 8, 5 }), 0, 2));
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'hello world again':6-'hello world again':11");
    webView->mouseDown(events.mouseDown(window, windowPoint({ 7 * 8, 5 }), 0, 3));
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "P:0-P:1");

    // A click below the text puts the caret on the nearest line.
    webView->mouseDown(events.mouseDown(window, windowPoint({ 300, 250 })));
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'second':6-'second':6");

    // A refused click leaves the selection.
    delegate.refuse = true;
    webView->mouseDown(events.mouseDown(window, windowPoint({ 1, 5 })));
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'second':6-'second':6");
}

TEST_F(WebViewSelectionTest, KeysGoThroughTheDelegateAndNeverEditTheDocument)
{
    webView->setSelectedDOMRange(rangeIn(text, 5, 5), WebSelectionAffinityDownstream);
    delegate.events.clear();
    webView->keyDown(events.keyDown(window, u"x", 7));
    webView->keyDown(events.keyDown(window, u"\r", KeyCode::Return));
    std::vector<std::string> expected = { "insert 'x' at 'hello world again':5-'hello world again':5 action 0",
                                          "command insertNewline:" };
    EXPECT_EQ(delegate.events, expected);
    EXPECT_EQ(text->nodeValue(), u"hello world again");

    // Caret movement: the delegate may take the command; otherwise the web view proposes the move.
    delegate.events.clear();
    webView->keyDown(events.keyDownForCharacter(window, FunctionKey::RightArrow));
    EXPECT_EQ(delegate.events[0], "command moveRight:");
    EXPECT_EQ(webView->selectedDOMRange()->startOffset(), 6u);
    delegate.performCommands = true;
    webView->keyDown(events.keyDownForCharacter(window, FunctionKey::RightArrow));
    EXPECT_EQ(webView->selectedDOMRange()->startOffset(), 6u);
    delegate.performCommands = false;

    // The arrow keys also arrive as key equivalents; shift extends; down moves to the next line.
    EXPECT_TRUE(webView->performKeyEquivalent(events.keyDownForCharacter(window, FunctionKey::LeftArrow, ModifierFlag::Shift)));
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'hello world again':5-'hello world again':6");
    // Down goes from the end Shift moved, the selection's start.
    webView->doCommandBySelector("moveDown:");
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'second':5-'second':5");
    webView->doCommandBySelector("moveLeft:");
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'second':4-'second':4");
    webView->setSelectedDOMRange(rangeIn(webView->mainFrameDocument()->getElementById(u"q")->firstChild(), 0, 0),
                                 WebSelectionAffinityDownstream);
    webView->doCommandBySelector("moveLeft:");
    EXPECT_EQ(describe(webView->selectedDOMRange().get()), "'hello world again':17-'hello world again':17")
        << "moving left from a paragraph's start goes to the end of the one before";
}

class LinkPolicy : public WebPolicyDelegate {
public:
    std::vector<std::pair<WebNavigationType, std::shared_ptr<DOMNode>>> actions;
    ModifierFlags modifiers { 0 };
    void decidePolicyForNavigationAction(WebView&, const WebNavigationAction& action, const URLRequest&, WebFrame&,
                                         WebPolicyDecisionListener& listener) override
    {
        actions.emplace_back(action.navigationType, action.elementNode);
        modifiers = action.modifierFlags;
        listener.ignore();
    }
};

TEST_F(WebViewSelectionTest, LinkClicksAskThePolicyDelegateWhenNotEditableOrCommandClickedInEditableContent)
{
    webView->mainFrame()->loadHTMLString(u"<body style='margin:0'><a href='https://example.org/'>link</a></body>", std::nullopt);
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return !webView->isLoading(); }, 30));
    LinkPolicy policy;
    webView->setPolicyDelegate(&policy);
    webView->mouseUp(events.mouseUp(window, windowPoint({ 4, 4 }), 0));
    EXPECT_TRUE(policy.actions.empty()) << "a click in editable content places the caret";
    webView->mouseUp(events.mouseUp(window, windowPoint({ 4, 4 }), ModifierFlag::Command));
    ASSERT_EQ(policy.actions.size(), 1u);
    webView->setEditable(false);
    webView->mouseUp(events.mouseUp(window, windowPoint({ 4, 4 }), 0));
    ASSERT_EQ(policy.actions.size(), 2u);
    EXPECT_EQ(policy.actions[1].first, WebNavigationTypeLinkClicked);
    EXPECT_EQ(policy.actions[1].second->nodeValue(), u"link");
    EXPECT_EQ(policy.modifiers, ModifierFlags { 0 });
    EXPECT_FALSE(webView->isLoading()) << "an ignored link loads nothing";
    webView->setPolicyDelegate(nullptr);
}

} // namespace
