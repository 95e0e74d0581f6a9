#include "UndoableEditChecks.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class UndoableSelectionTest : public UndoableEditTest { };

// A selection change is a step of its own; undoing the edits made after it
// and then the change itself brings back the earlier selection, although
// the nodes it was made in were replaced in between.
TEST_F(UndoableSelectionTest, TheEarlierSelectionSurvivesTheEditsInBetween)
{
    loadBody("<p>alpha beta</p><p>gamma</p>");
    select(rangeIn(textNode(u"alpha"), 0, 5));
    endEvent();
    auto* undo = view->undoManager();
    view->setTargetRangeUndoably(rangeIn(textNode(u"gamma"), 1, 3));
    endEvent();
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeBetween(textNode(u"alpha"), 2, textNode(u"gamma"), 2), true, std::nullopt, false));
    endEvent();
    EXPECT_EQ(bodyHTML(), "<p>al</p><p>mma</p>\n");

    undo->undo();
    EXPECT_EQ(bodyHTML(), "<p>alpha beta</p><p>gamma</p>\n");
    undo->undo();
    EXPECT_TRUE(vornick_isSameAsRange(*view->effectiveOperationRange(), *rangeIn(textNode(u"alpha"), 0, 5)));
    undo->redo();
    EXPECT_TRUE(vornick_isSameAsRange(*view->effectiveOperationRange(), *rangeIn(textNode(u"gamma"), 1, 3)));
    undo->redo();
    EXPECT_EQ(bodyHTML(), "<p>al</p><p>mma</p>\n");
}

} // namespace
} // namespace brevanton::testing
