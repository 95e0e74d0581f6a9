// Typed text on real pages: keys synthesized through the window, its
// send-event hook, the view's key handling, the web view's text input and the
// editing delegate, down to the undoable edits; and the white space,
// non-breaking space, inline style and paragraph rules of the insertion.
#include "UndoableEditChecks.h"

#include "app/VornickWindow.h"
#include "editing/VornickAttachmentPoint.h"
#include "dom/VornickWebFrameExtensions.h"
#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

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
        Application::shared().resetForTesting();
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
        VornickContentEditingViewTestPeer::deferredInsertProposedText(*view, text, nullptr, action);
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
        const auto& data = downcast<DOMCharacterData>(*range->startNode()).data();
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
    // So does a letter with its combining mark.
    caretAt(u"xy", 1);
    type(u"e\u0301");
    press(0x7F);
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

TEST_F(TextInputTest, ANodeOfWhiteSpaceIsTypedOverWhole)
{
    loadBody("<p>  </p><p>\u00A0 </p><p> </p>");
    auto paragraphText = [this](unsigned index) { return element(u"P", index)->firstChild(); };
    select(rangeIn(paragraphText(0), 0, 0));
    insert(u"x");
    EXPECT_EQ(toUTF8(element(u"P")->textContent()), "x");
    EXPECT_EQ(caretInText(), "x|");
    // Not when it holds a non-breaking space of the user's (shown as the substitute).
    select(rangeIn(paragraphText(1), 0, 0));
    insert(u"y");
    EXPECT_EQ(toUTF8(element(u"P", 1)->textContent()), "y\u23D8 ");
    // Typed white space there becomes the placeholder.
    select(rangeIn(paragraphText(2), 0, 0));
    insert(u"  ");
    EXPECT_EQ(toUTF8(element(u"P", 2)->textContent()), "\u00A0");
}

TEST_F(TextInputTest, PlainInsertionReplacesTheRangeAndAnnouncesTheChange)
{
    loadBody("<p>abcd</p>");
    auto text = textNode(u"abcd");
    recorder.clear();
    view->vornick_insertText(u"XY", rangeIn(text, 1, 3));
    EXPECT_EQ(html(), "<p>aXYd</p>");
    EXPECT_EQ(caretInText(), "aXY|d");
    EXPECT_EQ(recorder.count("delegate change timer-armed"), 1u);
    EXPECT_FALSE(view->undoManager()->canUndo());
}

TEST_F(TextInputTest, PreformattedTextAndPolicyOneAreTypedAsTyped)
{
    loadBody("<pre>a b</pre><p>c d</p>");
    caretAt(u"a b", 1);
    insert(u"  ");
    EXPECT_EQ(html(), "<pre>a   b</pre><p>c d</p>");
    VornickContentEditingViewTestPeer::setWhitespacePolicy(*view, 1);
    caretAt(u"c d", 1);
    insert(u"  ");
    EXPECT_EQ(html(), "<pre>a   b</pre><p>c   d</p>");
    VornickContentEditingViewTestPeer::setWhitespacePolicy(*view, 7);
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
    loadBody("<p>a   b</p>");
    // Typing first, so that an undo step counts offsets in the node.
    caretAt(u"a   b", 5);
    insert(u"xyz");
    endEvent();
    auto node = textNode(u"a   b");
    select(rangeIn(node, 2, 2));
    endEvent();
    EXPECT_TRUE(view->embeddedWebView()->proposeSelectedDOMRange(rangeIn(node, 0, 0), WebSelectionAffinityDownstream, false));
    endEvent();
    EXPECT_EQ(html(), "<p>a bxyz</p>");
    // Both steps undo exactly: the condensing did not shift the typing's offsets.
    view->undoManager()->undo();
    EXPECT_EQ(html(), "<p>a   bxyz</p>");
    view->undoManager()->undo();
    EXPECT_EQ(html(), "<p>a   b</p>");
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

TEST_F(TextInputTest, EntryPointsInsertAsTypedTextDoes)
{
    loadBody("<p>ab</p>");
    useSubstitute();
    caretAt(u"ab", 1);
    // Plain-text paste: every string on the pasteboard, in order, with the
    // white space rules of typing.
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->writeObjects({ PasteboardItem::itemWithString(u"one  "), PasteboardItem::itemWithString(u"two") }));
    VornickContentEditingViewTestPeer::pasteAsPlainText(*view);
    drain();
    EXPECT_EQ(caretInText(), "aone two|b");
    VornickContentEditingViewTestPeer::insertExplicitNonBreakingSpace(*view);
    drain();
    EXPECT_EQ(caretInText(), "aone two\u23D8|b");
    VornickContentEditingViewTestPeer::insertLoremIpsum(*view);
    drain();
    EXPECT_EQ(toUTF8(element(u"P")->textContent()).find("\u23D8Lorem ipsum dolor sit amet"), 8u);
    pasteboard->clearContents();
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
    VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping = { u"EM", u"B" };
    checkUndoableStep(
        *view, [&] { insert(u"x"); }, [&] { EXPECT_EQ(html(), "<p>a<em><b>x</b></em>b</p><p><em>cd</em></p>"); });
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping.empty());
    // Inside an element of a toggled kind, the element is split and the text
    // goes between its halves, outside it.
    caretAt(u"cd", 1);
    VornickContentEditingViewTestPeer::of(*view).toggledInlineStyleElementsForTyping = { u"EM" };
    checkUndoableStep(
        *view, [&] { insert(u"y"); }, [&] { EXPECT_EQ(html(), "<p>a<em><b>x</b></em>b</p><p><em>c</em>y<em>d</em></p>"); });
}

TEST_F(TextInputTest, SplittingAnElementAtTheInsertionPoint)
{
    loadBody("<p>ab<b>cd</b></p><ul><li>item</li></ul><dl><dt>term</dt></dl>");
    // In the middle: two elements of the kind, the caret in the second.
    auto text = textNode(u"cd");
    select(rangeIn(text, 1, 1));
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(view->undoableSplitNearestAncestorElementsOfKinds(true, true, { u"p" }, view->effectiveOperationRange(), true,
                                                                          false, nullptr));
        },
        [&] {
            EXPECT_EQ(html(), "<p>ab<b>c</b></p><p><b>d</b></p><ul><li>item</li></ul><dl><dt>term</dt></dl>");
            EXPECT_EQ(caretInText(), "|d");
        },
        { u"Split <p>" });
    // At the end of a list item: a new item after it; a term is followed by a definition.
    caretAt(u"item", 4);
    std::vector<std::u16string> exited;
    ASSERT_TRUE(view->undoableSplitNearestAncestorElementsOfKinds(true, true, { u"li", u"dt" }, view->effectiveOperationRange(), true,
                                                                  false, &exited));
    EXPECT_EQ(exited, (std::vector<std::u16string> { u"li" }));
    caretAt(u"term", 0);
    ASSERT_TRUE(view->undoableSplitNearestAncestorElementsOfKinds(true, true, { u"li", u"dt" }, view->effectiveOperationRange(), true,
                                                                  false, nullptr));
    EXPECT_EQ(html(), "<p>ab<b>c</b></p><p><b>d</b></p><ul><li>item</li><li>&nbsp;</li></ul><dl><dd>&nbsp;</dd><dt>term</dt></dl>");
    // Nothing of the kinds around the insertion point: nothing to split.
    caretAt(u"ab", 1);
    EXPECT_FALSE(view->undoableSplitNearestAncestorElementsOfKinds(true, true, { u"li" }, view->effectiveOperationRange(), true, false,
                                                                   nullptr));
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
    VornickContentEditingViewTestPeer::setAutomaticallyAddsParagraphs(*view, false);
    loadBody("text");
    caretAt(u"text", 4);
    insert(u"s");
    // The line break after the text is white space that typing condenses.
    EXPECT_EQ(html(), "texts ");
}

TEST_F(TextInputTest, InBlockContentTheParagraphIsABlockAndTakesOnlyAdjacentText)
{
    struct CommentBlockHelper : VornickBlockModeHelper {
        CommentBlockHelper() { setOperatingInBlockMode(true); }
        std::optional<std::u16string> blockStartCommentPrefix() const override { return u"wp:"; }
        std::optional<std::u16string> blockEndCommentPrefix() const override { return u"/wp:"; }
        std::optional<std::u16string> blockStartCommentTextForElementKind(std::u16string_view kind) const override
        {
            return kind == u"p" || kind == u"div" ? std::optional<std::u16string>(u" wp:" + std::u16string(kind) + u" ") : std::nullopt;
        }
        std::optional<std::u16string> blockEndCommentTextForElementKind(std::u16string_view kind) const override
        {
            return kind == u"p" || kind == u"div" ? std::optional<std::u16string>(u" /wp:" + std::u16string(kind) + u" ") : std::nullopt;
        }
    };
    view->setBlockModeHelper(std::make_shared<CommentBlockHelper>());
    loadBody("loose<!-- wp:div --><div>in <b>block</b></div><!-- /wp:div -->");
    caretAt(u"loose", 5);
    checkUndoableStep(
        *view, [&] { insert(u"!"); },
        [&] { EXPECT_EQ(html(), "<!-- wp:p --><p>loose!</p><!-- /wp:p --><!-- wp:div --><div>in <b>block</b></div><!-- /wp:div -->"); });
    // Inside a block only the text beside the insertion point goes into the paragraph.
    caretAt(u"in ", 1);
    insert(u"x");
    EXPECT_EQ(html(),
              "<!-- wp:p --><p>loose!</p><!-- /wp:p --><!-- wp:div --><div><!-- wp:p --><p>ixn </p><!-- /wp:p --><b>block</b></div>"
              "<!-- /wp:div -->");
}

TEST_F(TextInputTest, AfterAnInsertionItsEnvironsGetAParagraphWhenTheyNeedOne)
{
    loadBody("<div>loose</div>");
    auto text = textNode(u"loose");
    VornickContentEditingViewTestPeer::autoWrapRangeEnvironsInParagraphIfAppropriate(*view, rangeIn(text, 1, 3));
    EXPECT_EQ(html(), "<div><p>loose</p></div>");
    EXPECT_EQ(toUTF8(view->effectiveOperationRange()->toString()), "oo");
    // A container that holds text needs no paragraph.
    loadBody("<span>s</span>");
    VornickContentEditingViewTestPeer::autoWrapRangeEnvironsInParagraphIfAppropriate(*view, rangeIn(textNode(u"s"), 0, 1));
    EXPECT_EQ(html(), "<span>s</span>");
}

TEST_F(TextInputTest, EditsGiveBackEveryLiveRangeTheyRegister)
{
    loadBody("<p>one two</p><p>three four</p><div>five<em>six</em></div>");
    std::vector<std::shared_ptr<DOMElement>> blocks { element(u"P"), element(u"P", 1), element(u"DIV") };
    auto burst = [&](int edits) {
        for (int edit = 0; edit < edits; ++edit) {
            if (edit % 9 == 0) {
                // (The DIV's loose text gets a paragraph at the first typing.)
                DOMNode* first = blocks[static_cast<size_t>(edit / 9) % blocks.size()].get();
                while (first && !first->isTextNode())
                    first = first->first();
                ASSERT_TRUE(first) << bodyStructure();
                auto node = first->shared_from_this();
                select(rangeIn(node, node->length() / 2, node->length() / 2));
            }
            if (edit % 5 == 4)
                view->deleteSelection();
            else
                insert(edit % 3 ? u"x" : u" ");
            endEvent();
            if (edit % 40 == 39) {
                view->undoManager()->undo();
                view->undoManager()->redo();
            }
        }
    };
    burst(40);
    size_t registered = document()->ranges().size();
    burst(400);
    EXPECT_EQ(document()->ranges().size(), registered);
}

// --- Selection

TEST_F(TextInputTest, ProbingRecordsTheProposalInsteadOfSelecting)
{
    loadBody("<p>abc</p>");
    caretAt(u"abc", 0);
    VornickContentEditingViewTestPeer::setProbingForDOMRange(*view, true);
    auto probe = rangeIn(textNode(u"abc"), 2, 2);
    EXPECT_FALSE(view->embeddedWebView()->proposeSelectedDOMRange(probe, WebSelectionAffinityDownstream, false));
    VornickContentEditingViewTestPeer::setProbingForDOMRange(*view, false);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::of(*view).probeResultRange);
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).probeResultRange->startOffset(), 2u);
    EXPECT_EQ(caretInText(), "|abc");
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).servicedProposedSelectionChange);
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

TEST_F(TextInputTest, WithAttachmentPointsOnlyTheirContentMayBeSelected)
{
    struct ByIdLocator : VornickAttachmentPointLocator {
        std::shared_ptr<DOMElement> locateElementInDocument(DOMDocument& document) const override
        {
            return document.getElementById(u"content");
        }
    };
    view->setAttachmentPointLocatorSet(std::make_shared<VornickAttachmentPointLocatorSet>(
        std::map<std::u16string, std::shared_ptr<VornickAttachmentPointLocator>> { { u"content", std::make_shared<ByIdLocator>() } }));
    loadBody("<h1>Site</h1><div id=content><p>Post</p></div>");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::attachToPoint(*view, u"content", VornickAttachmentType::SingleElement, nullptr));
    view->setTargetRange(nullptr);
    auto& webView = *view->embeddedWebView();
    EXPECT_FALSE(webView.proposeSelectedDOMRange(rangeIn(textNode(u"Site"), 1, 1), WebSelectionAffinityDownstream, false));
    EXPECT_TRUE(webView.proposeSelectedDOMRange(rangeIn(textNode(u"Post"), 1, 1), WebSelectionAffinityDownstream, false));
    EXPECT_EQ(caretInText(), "P|ost");
}

// --- The window

TEST_F(TextInputTest, TheViewHooksIntoItsWindowOnlyWhileInIt)
{
    loadBody("<p>abc</p>");
    putInWindow();
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).windowSendEventHook);
    EXPECT_EQ(window->sendEventHookCount(), 1u);
    EXPECT_EQ(view->embeddedWebView()->editingDelegate(), view.get());
    view->removeFromSuperview();
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).windowSendEventHook);
    EXPECT_EQ(window->sendEventHookCount(), 0u);
    EXPECT_EQ(view->embeddedWebView()->editingDelegate(), nullptr);
    // Made first responder, the view hands the keyboard to its page.
    window->contentView()->addSubview(view);
    ASSERT_TRUE(window->makeFirstResponder(view));
    drain();
    EXPECT_EQ(window->firstResponder(), view->embeddedWebView());
    view->removeFromSuperview();
    // A plain window gets no hook.
    auto plain = Window::create(Rect(0, 0, 400, 300));
    plain->contentView()->addSubview(view);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).windowSendEventHook);
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
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).windowIsBecomingKey);
}

} // namespace
} // namespace brevanton::testing
