// Typed text on real pages: keys synthesized through the window, its
// send-event hook, the view's key handling, the web view's text input and the
// editing delegate, down to the undoable edits; and the white space,
// non-breaking space, inline style and paragraph rules of the insertion.
#include "UndoableEditChecks.h"

#include "app/VornickWindow.h"
#include "dom/VornickWebFrameExtensions.h"
#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Sound.h"

namespace brevanton::testing {
namespace {

constexpr char16_t substituteOfTheseTests = 0x23D8;

class TextInputTest : public UndoableEditTest {
protected:
    void TearDown() override
    {
        if (window) {
            window->close();
            window.reset();
        }
        Application::shared().reset();
        UndoableEditTest::TearDown();
    }

    // Shows the view in a document window with the page's focus.
    void putInWindow()
    {
        window = VornickWindow::create(Rect(0, 0, 800, 600));
        view->setFrame(Rect(0, 0, 800, 600));
        window->contentView()->addSubview(view);
        window->makeKeyAndOrderFront();
        ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    }
    // The body's markup without the line break the page ends with.
    std::string html() const
    {
        auto markup = bodyHTML();
        if (!markup.empty() && markup.back() == '\n')
            markup.pop_back();
        return markup;
    }
    // Runs the turns that perform what the keys proposed.
    void drain()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
    }
    void type(std::u16string_view text)
    {
        events.typeText(window, text);
        drain();
    }
    void press(char16_t key, ModifierFlags flags = 0)
    {
        events.pressKey(window, key, flags);
        drain();
    }
    // An insertion as the web view proposes it, performed at once.
    void insert(const std::u16string& text, WebViewInsertAction action = WebViewInsertActionTyped)
    {
        view->deferredInsertProposedText(text, nullptr, action);
    }
    void caretAt(const std::u16string& textInNode, unsigned offset)
    {
        auto node = textNode(textInNode);
        ASSERT_TRUE(node);
        select(rangeIn(node, offset, offset));
    }
    // The caret as "text|text" within its text node.
    std::string caretInText() const
    {
        auto range = view->effectiveOperationRange();
        if (!range || !range->collapsed() || !range->startNode()->isTextNode())
            return "(no caret in text)";
        const auto& data = static_cast<DOMCharacterData&>(*range->startNode()).data();
        size_t offset = range->startOffset();
        return toUTF8(data.substr(0, offset)) + "|" + toUTF8(data.substr(offset));
    }
    void useSubstitute()
    {
        ASSERT_TRUE(vornick_tryToEnableNonBreakingSpaceSubstitution(*view->mainFrame()));
        ASSERT_EQ(vornick_nonBreakingSpaceSubstituteCharacter(*view->mainFrame()), substituteOfTheseTests);
    }

    std::shared_ptr<VornickWindow> window;
    EventSynthesizer events;
};

// --- Keys through the window

TEST_F(TextInputTest, TypedKeysBecomeOneTypingStepAndBackspacesOneBackspacingStep)
{
    loadBody("<p>Hello world</p>");
    putInWindow();
    caretAt(u"Hello", 5);
    checkUndoableStep(
        *view, [&] { type(u", big"); },
        [&] {
            EXPECT_EQ(html(), "<p>Hello, big world</p>");
            EXPECT_EQ(caretInText(), "Hello, big| world");
        },
        { u"Typing" });
    // The web view never put the text in by itself: every character went
    // through the view's own edit, so the node is still the page's.
    EXPECT_EQ(bodyStructure(), "<BODY>\n  <P>\n    #text \"Hello, big world\"\n  #text \"\n\"\n");

    checkUndoableStep(
        *view, [&] { press(0x7F), press(0x7F), press(0x7F); },
        [&] { EXPECT_EQ(html(), "<p>Hello,  world</p>"); }, { u"Backspacing" });
    EXPECT_EQ(caretInText(), "Hello, | world");
}

TEST_F(TextInputTest, AClickBetweenTwoBurstsOfTypingMakesTwoSteps)
{
    loadBody("<p>abc def</p>");
    putInWindow();
    caretAt(u"abc", 3);
    type(u"1");
    // The user puts the caret elsewhere: the web view's selection changes.
    auto node = textNode(u"abc");
    view->embeddedWebView()->proposeSelectedDOMRange(rangeIn(node, 0, 0), WebSelectionAffinityDownstream, false);
    type(u"2");
    EXPECT_EQ(html(), "<p>2abc1 def</p>");
    auto* undo = view->undoManager();
    undo->undo();
    EXPECT_EQ(html(), "<p>abc1 def</p>");
    undo->undo();
    EXPECT_EQ(html(), "<p>abc def</p>");
}

TEST_F(TextInputTest, KeyEquivalentsAndArrowsDoNotType)
{
    loadBody("<p>abc</p>");
    putInWindow();
    caretAt(u"abc", 1);
    press(u'z', ModifierFlag::Command);
    press(FunctionKey::RightArrow);
    EXPECT_EQ(html(), "<p>abc</p>");
    // The arrow moved the web view's caret (through its own key equivalent).
    type(u"x");
    EXPECT_EQ(html(), "<p>abxc</p>");
}

TEST_F(TextInputTest, BackspacingTheLastCharacterLeavesAPlaceholderSpace)
{
    loadBody("<p>a</p><p>xy\U0001F600</p>");
    putInWindow();
    caretAt(u"a", 1);
    press(0x7F);
    // The placeholder shows: U+00A0 of the editor's own (the user's would be the substitute).
    EXPECT_EQ(toUTF8(element(u"P")->textContent()), "\u00A0");
    EXPECT_EQ(caretInText(), "|\u00A0");
    // A character outside the basic plane goes whole.
    caretAt(u"xy", 4);
    press(0x7F);
    EXPECT_EQ(toUTF8(element(u"P", 1)->textContent()), "xy");
    view->undoManager()->undo();
    EXPECT_EQ(toUTF8(element(u"P", 1)->textContent()), "xy\xF0\x9F\x98\x80");
}

// --- White space

TEST_F(TextInputTest, TypedSpacesFollowTheWhitespaceRules)
{
    loadBody("<p>wordnext</p><p>one two</p><p>end</p>");
    // Between two words: an ordinary space.
    caretAt(u"wordnext", 4);
    insert(u" ");
    EXPECT_EQ(caretInText(), "word |next");
    // A space after a space types nothing.
    insert(u" ");
    EXPECT_EQ(caretInText(), "word |next");
    // Before a space the two must both show.
    caretAt(u"one two", 3);
    insert(u" ");
    EXPECT_EQ(caretInText(), "one |\u00A0two");
    // At the end of the node a plain space is the placeholder.
    caretAt(u"end", 3);
    insert(u" ");
    EXPECT_EQ(caretInText(), "end\u00A0|");
    // Text typed next to white space condenses the run around it.
    auto node = textNode(u"one ");
    select(rangeIn(node, 5, 5));
    insert(u"x");
    EXPECT_EQ(caretInText(), "one x|two");
}

TEST_F(TextInputTest, TheUsersNonBreakingSpacesAreNeverCondensed)
{
    loadBody("<p>a\u00A0 b</p><p>c</p>");
    useSubstitute();
    EXPECT_EQ(toUTF8(textNode(u"a")->data()), "a\u23D8 b");
    // Typing next to the substitute keeps it, and the plain space too.
    caretAt(u"a", 2);
    insert(u"x");
    EXPECT_EQ(caretInText(), "a\u23D8x| b");
    // Option-Space types the user's own non-breaking space, shown as the substitute.
    caretAt(u"c", 1);
    insert(u"\u00A0");
    EXPECT_EQ(caretInText(), "c\u23D8|");
    // Typing over a node of white space never takes the user's non-breaking space.
    caretAt(u"a", 0);
    insert(u"y");
    EXPECT_EQ(caretInText(), "y|a\u23D8x b");
}

TEST_F(TextInputTest, PreformattedTextAndPolicyOneAreTypedAsTyped)
{
    loadBody("<pre>a b</pre><p>c d</p>");
    caretAt(u"a b", 1);
    insert(u"  ");
    EXPECT_EQ(html(), "<pre>a   b</pre><p>c d</p>");
    view->setWhitespacePolicy(1);
    caretAt(u"c d", 1);
    insert(u"  ");
    EXPECT_EQ(html(), "<pre>a   b</pre><p>c   d</p>");
    view->setWhitespacePolicy(7);
    EXPECT_THROW(insert(u"x"), InternalInconsistencyException);
}

TEST_F(TextInputTest, TheCaretGoesAfterTheLastCharacterTypedAtTheEndOfANode)
{
    loadBody("<p>abc</p>");
    caretAt(u"abc", 3);
    insert(u"de");
    EXPECT_EQ(caretInText(), "abcde|");
}

TEST_F(TextInputTest, LeavingACaretBetweenTwoSpacesCondensesThemUndoably)
{
    loadBody("<p>a  b</p>");
    caretAt(u"a  b", 2);
    endEvent();
    auto node = textNode(u"a  b");
    EXPECT_TRUE(view->embeddedWebView()->proposeSelectedDOMRange(rangeIn(node, 0, 0), WebSelectionAffinityDownstream, false));
    endEvent();
    EXPECT_EQ(html(), "<p>a b</p>");
    view->undoManager()->undo();
    EXPECT_EQ(html(), "<p>a  b</p>");
}

// --- Replacement, deletion and entry points

TEST_F(TextInputTest, AReplacementIsOneEditOfItsOwnAndNothingDeletes)
{
    loadBody("<p>find me here</p>");
    caretAt(u"find", 4);
    insert(u"X");
    endEvent();
    auto node = textNode(u"find");
    select(rangeIn(node, 6, 8));
    checkUndoableStep(
        *view, [&] { insert(u"you", VornickInsertActionReplacementText); },
        [&] { EXPECT_EQ(html(), "<p>findX you here</p>"); });
    select(rangeIn(node, 5, 9));
    checkUndoableStep(
        *view, [&] { insert(u"", VornickInsertActionReplacementText); }, [&] { EXPECT_EQ(html(), "<p>findX here</p>"); });
}

TEST_F(TextInputTest, TypingOverASelectionAcrossNodesDeletesItFirst)
{
    loadBody("<p>one <em>two</em> three</p>");
    select(rangeBetween(textNode(u"one"), 2, textNode(u"three"), 3));
    checkUndoableStep(
        *view, [&] { insert(u"X"); }, [&] { EXPECT_EQ(html(), "<p>onXree</p>"); });
}

TEST_F(TextInputTest, TypingBetweenElementsGoesIntoANewTextNode)
{
    loadBody("<div><p>a</p><p>b</p></div>");
    auto div = element(u"DIV");
    select(rangeIn(div, 1, 1));
    checkUndoableStep(
        *view, [&] { insert(u"x"); }, [&] { EXPECT_EQ(html(), "<div><p>a</p><p>x</p><p>b</p></div>"); });
}

TEST_F(TextInputTest, PendingInlineStylesWrapTheTypedText)
{
    loadBody("<p>ab</p><p><em>cd</em></p>");
    caretAt(u"ab", 1);
    view->toggledInlineStyleElementsForTyping() = { u"EM", u"B" };
    checkUndoableStep(
        *view, [&] { insert(u"x"); }, [&] { EXPECT_EQ(html(), "<p>a<em><b>x</b></em>b</p><p><em>cd</em></p>"); });
    EXPECT_TRUE(view->toggledInlineStyleElementsForTyping().empty());
    // Inside an element of a toggled kind the text stays in it.
    caretAt(u"cd", 1);
    view->toggledInlineStyleElementsForTyping() = { u"EM" };
    insert(u"y");
    EXPECT_EQ(html(), "<p>a<em><b>x</b></em>b</p><p><em>cyd</em></p>");
}

// --- Paragraphs

TEST_F(TextInputTest, TypingIntoAnEmptyBodyMakesAParagraph)
{
    load("empty-body.html");
    putInWindow();
    checkUndoableStep(
        *view, [&] { type(u"Hi"); },
        [&] {
            // The white space beside the typed text went into the paragraph with it.
            auto paragraph = element(u"P");
            ASSERT_TRUE(paragraph);
            EXPECT_EQ(paragraph->parentNode(), body());
            EXPECT_EQ(toUTF8(paragraph->textContent()).substr(paragraph->textContent().size() - 2), "Hi");
            EXPECT_EQ(caretInText().substr(caretInText().size() - 3), "Hi|");
        });
}

TEST_F(TextInputTest, InlineSiblingsDirectlyInTheBodyAreWrappedTogether)
{
    loadBody("<h1>T</h1><b>bold</b>and<i>it</i><p>x</p>");
    caretAt(u"and", 1);
    checkUndoableStep(
        *view, [&] { insert(u"Z"); },
        [&] { EXPECT_EQ(html(), "<h1>T</h1><p><b>bold</b>aZnd<i>it</i></p><p>x</p>"); });
    // In a heading, a list item or a paragraph nothing is wrapped.
    caretAt(u"T", 1);
    insert(u"U");
    caretAt(u"x", 0);
    insert(u"w");
    EXPECT_EQ(html(), "<h1>TU</h1><p><b>bold</b>aZnd<i>it</i></p><p>wx</p>");
    view->setAutomaticallyAddsParagraphs(false);
    loadBody("text");
    caretAt(u"text", 4);
    insert(u"s");
    // The line break after the text is white space that typing condenses.
    EXPECT_EQ(html(), "texts ");
}

TEST_F(TextInputTest, AfterAnInsertionItsEnvironsGetAParagraphWhenTheyNeedOne)
{
    loadBody("<div>loose</div>");
    auto text = textNode(u"loose");
    view->autoWrapRangeEnvironsInParagraphIfAppropriate(rangeIn(text, 1, 3));
    EXPECT_EQ(html(), "<div><p>loose</p></div>");
    EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "oo");
    // A container that holds text needs no paragraph.
    loadBody("<span>s</span>");
    view->autoWrapRangeEnvironsInParagraphIfAppropriate(rangeIn(textNode(u"s"), 0, 1));
    EXPECT_EQ(html(), "<span>s</span>");
}

// --- Selection

TEST_F(TextInputTest, ProbingRecordsTheProposalInsteadOfSelecting)
{
    loadBody("<p>abc</p>");
    caretAt(u"abc", 0);
    view->setProbingForDOMRange(true);
    auto probe = rangeIn(textNode(u"abc"), 2, 2);
    EXPECT_FALSE(view->embeddedWebView()->proposeSelectedDOMRange(probe, WebSelectionAffinityDownstream, false));
    view->setProbingForDOMRange(false);
    ASSERT_TRUE(view->probeResultRange());
    EXPECT_EQ(view->probeResultRange()->startOffset(), 2u);
    EXPECT_EQ(caretInText(), "|abc");
    EXPECT_TRUE(view->servicedProposedSelectionChange());
}

TEST_F(TextInputTest, ACommandClickThatWouldCollapseTheSelectionLeavesIt)
{
    loadBody("<p>abcdef</p>");
    putInWindow();
    auto node = textNode(u"abc");
    view->setTargetRange(nullptr);
    view->embeddedWebView()->setSelectedDOMRange(rangeIn(node, 1, 4), WebSelectionAffinityDownstream);
    auto box = view->embeddedWebView()->boundingBox(*node);
    Point inWindow = view->embeddedWebView()->convertPointToView(Point { box.minX() + 2, box.midY() }, nullptr);
    events.click(window, inWindow, ModifierFlag::Command);
    EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "bcd");
    events.click(window, inWindow);
    EXPECT_TRUE(view->effectiveOperationRange()->collapsed());
}

// --- The window

TEST_F(TextInputTest, TheViewHooksIntoItsWindowOnlyWhileInIt)
{
    loadBody("<p>abc</p>");
    putInWindow();
    EXPECT_TRUE(view->windowSendEventHook());
    EXPECT_EQ(window->sendEventHookCount(), 1u);
    EXPECT_EQ(view->embeddedWebView()->editingDelegate(), view.get());
    view->removeFromSuperview();
    EXPECT_FALSE(view->windowSendEventHook());
    EXPECT_EQ(window->sendEventHookCount(), 0u);
    EXPECT_EQ(view->embeddedWebView()->editingDelegate(), nullptr);
    // A plain window gets no hook.
    auto plain = Window::create(Rect(0, 0, 400, 300));
    plain->contentView()->addSubview(view);
    EXPECT_FALSE(view->windowSendEventHook());
    EXPECT_EQ(view->embeddedWebView()->editingDelegate(), view.get());
    view->removeFromSuperview();
}

TEST_F(TextInputTest, FocusLeavingThePageStashesItsSelectionAndComingBackRestoresIt)
{
    loadBody("<p>abcdef</p>");
    putInWindow();
    view->setTargetRange(nullptr);
    auto node = textNode(u"abc");
    view->embeddedWebView()->setSelectedDOMRange(rangeIn(node, 1, 3), WebSelectionAffinityDownstream);
    struct Focusable : View {
        using View::View;
        bool acceptsFirstResponder() const override { return true; }
    };
    auto field = std::make_shared<Focusable>(Rect(0, 0, 10, 10));
    window->contentView()->addSubview(field);
    ASSERT_TRUE(window->makeFirstResponder(field));
    ASSERT_TRUE(view->embeddedWebView()->vornick_stashedSelectedDOMRange());
    EXPECT_EQ(toUTF8(view->embeddedWebView()->vornick_stashedSelectedDOMRange()->toString()), "bc");
    ASSERT_TRUE(window->makeFirstResponder(view->embeddedWebView()));
    EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "bc");
    EXPECT_FALSE(view->windowIsBecomingKey());
}

} // namespace
} // namespace brevanton::testing
