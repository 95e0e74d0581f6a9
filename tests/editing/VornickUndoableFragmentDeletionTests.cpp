#include "UndoableEditChecks.h"

#include "editing/commands/VornickUndoableTypingRun.h"
#include "platform/foundation/Assertions.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class FragmentDeletionTest : public UndoableEditTest {
protected:
    void backspaceAt(const std::shared_ptr<DOMCharacterData>& text, unsigned offset)
    {
        auto deleted = VornickContentEditingViewTestPeer::backspaceDeleteRangeUndoably(*view, rangeIn(text, offset - 1, offset));
        ASSERT_TRUE(deleted);
    }
};

TEST_F(FragmentDeletionTest, ElementBetweenTwoTextNodesLeavesOneJoinedNode)
{
    loadBody("<p>one <em>two</em> three</p>");
    auto paragraph = element(u"P");
    select(rangeIn(paragraph, 1, 2));
    std::shared_ptr<DOMDocumentFragment> deleted;
    checkUndoableStep(
        *view, [&] { deleted = VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeIn(paragraph, 1, 2), true, std::nullopt, false); },
        [&] {
            ASSERT_EQ(paragraph->childCount(), 1u);
            EXPECT_EQ(toUTF8(paragraph->textContent()), "one  three");
            auto caret = view->effectiveOperationRange();
            EXPECT_TRUE(caret->collapsed());
            EXPECT_EQ(caret->startOffset(), 4u);
        },
        { u"Delete" });
    ASSERT_TRUE(deleted);
    ASSERT_EQ(deleted->childCount(), 1u);
    EXPECT_EQ(toUTF8(deleted->textContent()), "two");
}

TEST_F(FragmentDeletionTest, WholeTextNodesAreDeletedAsNodes)
{
    loadBody("<p>x</p>");
    auto paragraph = element(u"P");
    paragraph->removeAllChildren();
    auto first = paragraph->appendChild(document()->createTextNode(u"first"));
    auto second = paragraph->appendChild(document()->createTextNode(u"second"));
    paragraph->appendChild(document()->createElement(u"br"));
    select(rangeBetween(first, 0, second, 6));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentUndoably(*view)); },
        [&] {
            ASSERT_EQ(paragraph->childCount(), 1u);
            EXPECT_EQ(toUTF8(paragraph->firstChild()->nodeName()), "BR");
        });
}

TEST_F(FragmentDeletionTest, ReturnedFragmentIsTheCallersWhileUndoKeepsItsOwn)
{
    loadBody("<ul><li>a</li><li>b</li><li>c</li></ul><ol></ol>");
    auto list = element(u"UL");
    auto deleted = VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeIn(list, 0, 1), true, std::nullopt, false);
    ASSERT_TRUE(deleted);
    // Moving list items: the caller puts the deleted item elsewhere.
    element(u"OL")->appendChild(deleted);
    endEvent();
    EXPECT_EQ(bodyHTML(), "<ul><li>b</li><li>c</li></ul><ol><li>a</li></ol>\n");
    view->undoManager()->undo();
    EXPECT_EQ(bodyHTML(), "<ul><li>a</li><li>b</li><li>c</li></ul><ol><li>a</li></ol>\n");
}

TEST_F(FragmentDeletionTest, AcrossParagraphsRestoresTheSpanAndRedoesTheDeletion)
{
    loadBody("<h1>Title</h1><p>First <b>bold</b> words</p><p>Second paragraph</p><p>Third</p>");
    auto from = textNode(u"bold");
    auto to = textNode(u"Second");
    select(rangeBetween(from, 2, to, 7));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentUndoably(*view)); },
        [&] { EXPECT_EQ(bodyHTML(), "<h1>Title</h1><p>First <b>bo</b></p><p>paragraph</p><p>Third</p>\n"); },
        { u"Delete selection" });
}

TEST_F(FragmentDeletionTest, WithinOneTextNodeDeletesCharacters)
{
    loadBody("<p>abcdef</p>");
    auto text = textNode(u"abc");
    select(rangeIn(text, 1, 4));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, nullptr, true, u"Cut", false)); },
        [&] {
            EXPECT_EQ(bodyHTML(), "<p>aef</p>\n");
            EXPECT_EQ(textNode(u"aef"), text);
        },
        { u"Cut" });
}

TEST_F(FragmentDeletionTest, InsideACommentNothingIsDeleted)
{
    loadBody("<p>a<!-- note -->b</p>");
    auto comment = element(u"P")->childAt(1)->shared_from_this();
    EXPECT_EQ(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeIn(comment, 1, 3), true, std::nullopt, false), nullptr);
    EXPECT_EQ(bodyHTML(), "<p>a<!-- note -->b</p>\n");
}

TEST_F(FragmentDeletionTest, SelectAllDeleteUndoRedo)
{
    loadBody("<h1>Heading</h1><p>First <em>paragraph</em></p><ul><li>item</li></ul>");
    view->selectAll();
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentUndoably(*view)); },
        [&] { EXPECT_EQ(body()->childCount(), 0u); });
}

// --- Backspace runs

TEST_F(FragmentDeletionTest, BackspacingFiveTimesIsOneStepThatRedoDeletesInPlace)
{
    loadBody("<p>Hello world</p>");
    auto text = textNode(u"Hello");
    select(rangeIn(text, 11, 11));
    endEvent();
    std::string before = documentSnapshot(*document());
    for (unsigned offset = 11; offset > 6; --offset) {
        backspaceAt(text, offset);
        endEvent();
    }
    EXPECT_EQ(bodyHTML(), "<p>Hello </p>\n");
    auto* undo = view->undoManager();
    EXPECT_EQ(toUTF8(undo->undoActionName()), "Backspacing");
    undo->undo();
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 11u);
    undo->redo();
    EXPECT_EQ(bodyHTML(), "<p>Hello </p>\n");
    // The node is still the document's: the next undo writes into it.
    EXPECT_EQ(textNode(u"Hello"), text);
    undo->undo();
    EXPECT_EQ(documentSnapshot(*document()), before);
    EXPECT_FALSE(undo->canUndo());
}

TEST_F(FragmentDeletionTest, BackspaceInAnotherNodeStartsAnotherRun)
{
    loadBody("<p>abc</p><p>def</p>");
    auto first = textNode(u"abc");
    auto second = textNode(u"def");
    backspaceAt(first, 3);
    backspaceAt(second, 3);
    backspaceAt(second, 2);
    EXPECT_EQ(bodyHTML(), "<p>ab</p><p>d</p>\n");
    view->undoManager()->undo();
    EXPECT_EQ(bodyHTML(), "<p>abc</p><p>def</p>\n");
    // Both runs were one event: one step. Separated, two.
    loadBody("<p>abc</p><p>def</p>");
    first = textNode(u"abc");
    second = textNode(u"def");
    backspaceAt(first, 3);
    endEvent();
    backspaceAt(second, 3);
    endEvent();
    view->undoManager()->undo();
    EXPECT_EQ(bodyHTML(), "<p>ab</p><p>def</p>\n");
}

TEST_F(FragmentDeletionTest, RunTakesOnlyDeletionsThatEndOrBeginWhereItBegins)
{
    loadBody("<p>abcdef</p>");
    auto text = textNode(u"abc");
    VornickUndoableBackspaceRun run(view->editingContext(), text, 4, 5);
    EXPECT_EQ(toUTF8(run.undoReplacementText()), "e");
    EXPECT_FALSE(run.consumeCharactersInTextNode(*text, 5, 6));
    EXPECT_TRUE(run.consumeCharactersInTextNode(*text, 2, 4));
    EXPECT_EQ(toUTF8(run.undoReplacementText()), "cde");
    EXPECT_EQ(run.undoRangeStartOffset(), 2);
    EXPECT_EQ(run.undoRangeEndOffset(), 2);
    // A forward deletion at the caret: its characters follow the run's.
    text->deleteData(2, 3);
    EXPECT_TRUE(run.consumeCharactersInTextNode(*text, 2, 3));
    EXPECT_EQ(toUTF8(run.undoReplacementText()), "cdef");
    EXPECT_EQ(run.undoRangeStartOffset(), 2);
    EXPECT_FALSE(run.consumeCharactersInTextNode(*textNode(u"Edit"), 0, 2));
    EXPECT_THROW(run.consumeCharactersInTextNode(*text, 3, 1), InternalInconsistencyException);
}

} // namespace
} // namespace brevanton::testing

namespace brevanton::testing {
namespace {

TEST_F(FragmentDeletionTest, SelectionOutsideADeletedSpanComesBack)
{
    loadBody("<h1>Title</h1><div><p>First</p><p>Second</p></div>");
    select(rangeIn(textNode(u"Title"), 2, 2));
    checkUndoableStep(
        *view,
        [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeBetween(textNode(u"First"), 2, textNode(u"Second"), 3), true, std::nullopt, false)); },
        [&] { EXPECT_EQ(bodyHTML(), "<h1>Title</h1><div><p>Fi</p><p>ond</p></div>\n"); });
}

TEST_F(FragmentDeletionTest, DeletionOutsideTheRunEndsIt)
{
    loadBody("<p>abcdef</p>");
    auto text = textNode(u"abc");
    ASSERT_TRUE(VornickContentEditingViewTestPeer::backspaceDeleteRangeUndoably(*view, rangeIn(text, 5, 6)));
    ASSERT_TRUE(view->activeBackspaceRun());
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeIn(text, 4, 5), false, std::nullopt, true));
    EXPECT_FALSE(view->activeBackspaceRun());
}

} // namespace
} // namespace brevanton::testing
