#include "UndoableEditChecks.h"

#include "dom/VornickWebFrameExtensions.h"
#include "editing/commands/VornickUndoableTypingRun.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class TypingRunTest : public UndoableEditTest {
protected:
    // Types each character at the caret, as typed text arrives: a text
    // replacement added to the typing run, then the caret after it.
    void type(const std::u16string& text)
    {
        for (char16_t character : text) {
            auto caret = view->effectiveOperationRange();
            ASSERT_TRUE(caret && caret->collapsed() && caret->startContainer()->isTextNode());
            auto node = caret->startContainer();
            unsigned offset = caret->startOffset();
            ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(node, offset, offset), std::u16string(1, character), true));
            select(rangeIn(node, offset + 1, offset + 1));
        }
    }
    // The user puts the caret somewhere else.
    void clickAt(const std::shared_ptr<DOMNode>& node, unsigned offset)
    {
        view->setTargetRange(nullptr);
        ASSERT_TRUE(view->embeddedWebView()->proposeSelectedDOMRange(rangeIn(node, offset, offset), WebSelectionAffinity(1), false));
    }
};

TEST_F(TypingRunTest, ThreeCharactersAreOneStepNamedTypingThatPutsTheCaretBack)
{
    loadBody("<p>ab</p>");
    auto text = textNode(u"ab");
    select(rangeIn(text, 1, 1));
    checkUndoableStep(
        *view, [&] { type(u"xyz"); }, [&] { EXPECT_EQ(bodyHTML(), "<p>axyzb</p>\n"); }, { u"Typing" });
}

TEST_F(TypingRunTest, MovingTheCaretBetweenBurstsMakesTwoSteps)
{
    loadBody("<p>ab</p>");
    auto text = textNode(u"ab");
    select(rangeIn(text, 2, 2));
    type(u"cd");
    endEvent();
    // The user clicks elsewhere and back: only the run's end tells the bursts apart.
    clickAt(text, 0);
    clickAt(text, 4);
    endEvent();
    type(u"e");
    EXPECT_EQ(bodyHTML(), "<p>abcde</p>\n");
    view->undoManager()->undo();
    EXPECT_EQ(bodyHTML(), "<p>abcd</p>\n");
    view->undoManager()->undo();
    EXPECT_EQ(bodyHTML(), "<p>ab</p>\n");
}

TEST_F(TypingRunTest, TypingOverASelectionRestoresTheSelectedCharacters)
{
    loadBody("<p>abcdef</p>");
    auto text = textNode(u"abc");
    select(rangeIn(text, 1, 4));
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(text, 1, 4), u"X", true));
            select(rangeIn(text, 2, 2));
            type(u"Y");
        },
        [&] { EXPECT_EQ(bodyHTML(), "<p>aXYef</p>\n"); }, { u"Typing" });
}

TEST_F(TypingRunTest, AReplacementReachingBeforeTheRunStartsANewRun)
{
    loadBody("<p>abcdef</p>");
    auto text = textNode(u"abc");
    VornickUndoableTypingRun run(view->editingContext(), text, 3, 3, 2);
    EXPECT_TRUE(run.addReplacementInTextNode(*text, 5, 5, 1));
    EXPECT_EQ(run.undoRangeEndOffset(), 6);
    EXPECT_FALSE(run.addReplacementInTextNode(*text, 2, 6, 1));
    EXPECT_FALSE(run.addReplacementInTextNode(*text, 4, 4, 1));
    EXPECT_THROW(VornickUndoableTypingRun(view->editingContext(), text, 7, 7, 1), InternalInconsistencyException);
}

// Structural edits and their undos replace text nodes by equal ones: each
// run finds its node again by its path, so every undo lands in the document.
TEST_F(TypingRunTest, RunsUndoIntoTheNodeTheDocumentHoldsAfterStructuralUndos)
{
    loadBody("<p>.</p>");
    auto text = textNode(u".");
    select(rangeIn(text, 1, 1));
    std::vector<std::string> snapshots { documentSnapshot(*document()) };
    for (std::u16string word : { u"hello ", u"world ", u"again" }) {
        type(word);
        view->endTypingRun();
        endEvent();
        snapshots.push_back(documentSnapshot(*document()));
    }
    EXPECT_EQ(bodyHTML(), "<p>.hello world again</p>\n");
    // Wrap "world" in EM.
    auto wrapped = document()->createDocumentFragment();
    auto em = document()->createElement(u"em");
    em->appendChild(document()->createTextNode(u"world"));
    wrapped->appendChild(em);
    ASSERT_TRUE(view->undoableReplaceRangeWithFragment(true, rangeIn(textNode(u"hello"), 7, 12), wrapped, u"Wrap in <em>"));
    endEvent();
    EXPECT_EQ(bodyHTML(), "<p>.hello <em>world</em> again</p>\n");

    std::string wrappedSnapshot = documentSnapshot(*document());

    auto* undo = view->undoManager();
    for (size_t step = snapshots.size(); step-- > 0;) {
        undo->undo();
        endEvent();
        EXPECT_EQ(documentSnapshot(*document()), snapshots[step]) << "after undoing down to step " << step;
    }
    EXPECT_EQ(bodyHTML(), "<p>.</p>\n");
    for (size_t step = 1; step < snapshots.size(); ++step) {
        undo->redo();
        endEvent();
        EXPECT_EQ(documentSnapshot(*document()), snapshots[step]);
    }
    undo->redo();
    EXPECT_EQ(documentSnapshot(*document()), wrappedSnapshot);
}

// --- Non-breaking space substitutes in undo payloads

class SubstituteTest : public UndoableEditTest {
protected:
    char16_t substitute() const { return vornick_nonBreakingSpaceSubstituteCharacter(*view->mainFrame()); }
};

TEST_F(SubstituteTest, PayloadsTakenWithAnEarlierSubstituteComeBackWithTheCurrentOne)
{
    loadBody("<p>a\u00a0b</p><p>c\u00a0d e</p>");
    char16_t first = substitute();
    ASSERT_NE(first, 0);
    auto text = textNode(u"c");
    // A deletion within a node, a deletion across nodes, a backspace run.
    select(rangeIn(text, 0, 3));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentUndoably(*view));
    endEvent();
    select(rangeBetween(textNode(u"a"), 1, textNode(u" e"), 1));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentUndoably(*view));
    endEvent();

    // Text that uses the substitute moves the document to another one.
    VornickContentEditingViewTestPeer::reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(*view, std::u16string(1, first), view->mainFrame());
    char16_t second = substitute();
    ASSERT_NE(second, 0);
    ASSERT_NE(second, first);

    view->undoManager()->undo();
    view->undoManager()->undo();
    std::u16string expected = u"<p>a" + std::u16string(1, second) + u"b</p><p>c" + std::u16string(1, second) + u"d e</p>\n";
    EXPECT_EQ(bodyHTML(), toUTF8(expected));
}

TEST_F(SubstituteTest, PayloadsGetRealNonBreakingSpacesOnceSubstitutesAreOff)
{
    loadBody("<p>x\u00a0y</p>");
    char16_t first = substitute();
    ASSERT_NE(first, 0);
    auto text = textNode(u"x");
    select(rangeIn(text, 3, 3));
    VornickContentEditingViewTestPeer::backspaceDeleteRangeUndoably(*view, rangeIn(text, 2, 3));
    VornickContentEditingViewTestPeer::backspaceDeleteRangeUndoably(*view, rangeIn(text, 1, 2));
    endEvent();
    EXPECT_EQ(bodyHTML(), "<p>x</p>\n");
    std::u16string all;
    for (char16_t candidate : VornickNonBreakingSpaceSubstituteCandidates)
        all += candidate;
    VornickContentEditingViewTestPeer::reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(*view, all, view->mainFrame());
    ASSERT_EQ(substitute(), 0);
    view->undoManager()->undo();
    EXPECT_EQ(bodyHTML(), "<p>x&nbsp;y</p>\n");
}

} // namespace
} // namespace brevanton::testing
