#include "UndoableEditChecks.h"

#include "editing/commands/VornickUndoableTypingRun.h"
#include "platform/views/Window.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class ViewUndoTest : public UndoableEditTest { };

TEST_F(ViewUndoTest, TargetRangeSetUndoablyComesBackOnUndoAndRedo)
{
    loadBody("<p>one</p><p>two</p>");
    auto first = textNode(u"one");
    auto second = textNode(u"two");
    select(rangeIn(first, 1, 2));
    endEvent();
    auto* undo = view->undoManager();
    view->setTargetRangeUndoably(rangeIn(first, 1, 2));
    EXPECT_FALSE(undo->canUndo()); // the same range registers nothing
    view->setTargetRangeUndoably(rangeIn(second, 0, 3));
    endEvent();
    ASSERT_TRUE(undo->canUndo());
    undo->undo();
    EXPECT_TRUE(vornick_isSameAsRange(*view->effectiveOperationRange(), *rangeIn(first, 1, 2)));
    undo->redo();
    EXPECT_TRUE(vornick_isSameAsRange(*view->effectiveOperationRange(), *rangeIn(second, 0, 3)));
}

TEST_F(ViewUndoTest, SelectionThatNoLongerThawsIsLeftAlone)
{
    loadBody("<p>one</p><p>two</p>");
    auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*rangeIn(textNode(u"two"), 0, 2), body(), false);
    ASSERT_TRUE(frozen);
    select(rangeIn(textNode(u"one"), 0, 0));
    element(u"P", 1)->remove();
    VornickContentEditingViewTestPeer::undoSetTargetRange(*view, *frozen, body());
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), textNode(u"one"));
    EXPECT_FALSE(view->undoManager()->canUndo());
}

TEST_F(ViewUndoTest, NothingRegisteredOutlivesTheView)
{
    auto window = Window::create(Rect(0, 0, 800, 600));
    auto content = std::make_shared<View>(Rect(0, 0, 800, 600));
    window->setContentView(content);
    content->addSubview(view);
    loadBody("<p>abc</p>");
    auto* undo = window->undoManager();
    ASSERT_EQ(view->undoManager(), undo);
    auto text = textNode(u"abc");
    select(rangeIn(text, 3, 3));
    ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(text, 3, 3), u"d", true));
    std::weak_ptr<VornickUndoableTypingRun> run = view->activeTypingRun();
    endEvent();
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeIn(element(u"P"), 0, 1), true, std::nullopt, false));
    endEvent();
    // Another registrant's step stays.
    int other = 0;
    undo->registerUndo(&other, [&other] { other = 1; });
    endEvent();
    ASSERT_TRUE(undo->canUndo());

    view->removeFromSuperview();
    view->setDelegate(nullptr);
    view.reset();
    EXPECT_TRUE(run.expired());
    ASSERT_TRUE(undo->canUndo());
    undo->undo();
    EXPECT_EQ(other, 1);
    EXPECT_FALSE(undo->canUndo());
}

} // namespace
} // namespace brevanton::testing

namespace brevanton::testing {
namespace {

TEST_F(ViewUndoTest, EveryUndoManagerTheViewUsedIsClearedWhenItGoes)
{
    auto first = Window::create(Rect(0, 0, 800, 600));
    first->setContentView(std::make_shared<View>(Rect(0, 0, 800, 600)));
    auto second = Window::create(Rect(0, 0, 800, 600));
    second->setContentView(std::make_shared<View>(Rect(0, 0, 800, 600)));
    first->contentView()->addSubview(view);
    loadBody("<p>abc</p>");
    ASSERT_TRUE(view->undoableSetTitle(true, u"New title", view->mainFrame()));
    endEvent();
    ASSERT_TRUE(first->undoManager()->canUndo());

    view->removeFromSuperview();
    second->contentView()->addSubview(view);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeIn(element(u"P"), 0, 1), true, std::nullopt, false));
    endEvent();
    ASSERT_TRUE(second->undoManager()->canUndo());

    // A window that goes first leaves nothing for the view to clear.
    auto third = Window::create(Rect(0, 0, 800, 600));
    third->setContentView(std::make_shared<View>(Rect(0, 0, 800, 600)));
    view->removeFromSuperview();
    third->contentView()->addSubview(view);
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, rangeIn(body(), 0, 1), true, std::nullopt, false));
    endEvent();
    view->removeFromSuperview();
    third.reset();

    view->setDelegate(nullptr);
    view.reset();
    EXPECT_FALSE(first->undoManager()->canUndo());
    EXPECT_FALSE(second->undoManager()->canUndo());
}

} // namespace
} // namespace brevanton::testing
