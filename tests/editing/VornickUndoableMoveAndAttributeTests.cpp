#include "StructuralEditTestSupport.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class MoveAndAttribute : public StructuralEditTest { };

TEST_F(MoveAndAttribute, AnAttributeThatWasAbsentIsRemovedAgainByUndo)
{
    loadBody("<p id=a>one</p><details><summary>s</summary>x</details>");
    auto details = element(u"DETAILS");
    view->setTargetRange(caretAt(text(u"P"), 1));

    auto step = beginStep();
    EXPECT_TRUE(view->undoableSetValue(true, u"", u"open", details));
    EXPECT_TRUE(details->hasAttribute(u"open"));
    checkUndoAndRedo(step, u"Set Value of \"open\" Attribute");
    undo().undo();
    // Not open="" (which would keep the element open): no attribute at all.
    EXPECT_FALSE(details->hasAttribute(u"open"));

    // An attribute that was there gets its value back, in its place.
    auto paragraph = element(u"P");
    paragraph->setAttribute(u"class", u"c");
    step = beginStep();
    EXPECT_TRUE(view->undoableSetValue(true, u"new", u"id", paragraph));
    checkUndoAndRedo(step, u"Set Value of \"id\" Attribute");
    undo().undo();
    EXPECT_EQ(markup(), u"<p id=\"a\" class=\"c\">[one]</p><details><summary>[s]</summary>[x]</details>");
}

TEST_F(MoveAndAttribute, AttributeUndoFindsTheElementThatStandsInItsPlace)
{
    loadBody("<p>one</p><p>two</p>");
    auto second = element(u"P", 1);
    EXPECT_TRUE(view->undoableSetValue(true, u"x", u"class", second));
    endEvent();
    // Deleting the paragraph and undoing that puts a copy back.
    ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInRange(*view, vornick_outerRange(*second), true, std::nullopt, false));
    endEvent();
    undoStep();
    EXPECT_EQ(markup(), u"<p>[one]</p><p class=\"x\">[two]</p>");
    undoStep();
    EXPECT_EQ(markup(), u"<p>[one]</p><p>[two]</p>");
    undo().redo();
    endEvent();
    EXPECT_EQ(markup(), u"<p>[one]</p><p class=\"x\">[two]</p>");
}

TEST_F(MoveAndAttribute, MovingContentAndUndoingPutsItBackExactly)
{
    loadBody("<p>one <b>bold</b> two</p><p>three four</p>");
    auto bold = element(u"B");
    auto target = text(u"P", 1);
    view->setTargetRange(vornick_outerRange(*bold));

    auto step = beginStep();
    std::shared_ptr<DOMRange> result;
    ASSERT_TRUE(view->undoableMoveRange(true, vornick_outerRange(*bold), caretAt(target, 6), std::nullopt, &result));
    EXPECT_EQ(markup(), u"<p>[one  two]</p><p>[three ]<b>[bold]</b>[four]</p>");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->toString(), u"bold");
    checkUndoAndRedo(step, u"Move");

    // The caller's name wins; a target inside the source is refused.
    undo().undo();
    step = beginStep();
    ASSERT_TRUE(view->undoableMoveRange(true, rangeAt(text(u"P"), 0, 3), caretAt(text(u"P", 1), 0), u"Drag", nullptr));
    EXPECT_EQ(markup(), u"<p>[ ]<b>[bold]</b>[ two]</p><p>[onethree four]</p>");
    checkUndoAndRedo(step, u"Drag");
    EXPECT_FALSE(view->undoableMoveRange(true, rangeAt(element(u"P"), 0, 3), caretAt(element(u"B")->firstChild(), 2), std::nullopt, nullptr));
}

TEST_F(MoveAndAttribute, MoveUndoStillFitsAfterAnEditBetweenIsUndone)
{
    loadBody("<p>alpha beta</p><p>gamma</p>");
    ASSERT_TRUE(view->undoableMoveRange(true, rangeAt(text(u"P"), 6, 10), caretAt(text(u"P", 1), 0), std::nullopt, nullptr));
    endEvent();
    EXPECT_EQ(markup(), u"<p>[alpha ]</p><p>[betagamma]</p>");
    // An edit in between, undone first: the move's undo must not be shifted by it.
    ASSERT_TRUE(VornickContentEditingViewTestPeer::insertFragmentAtPosition(*view, fragmentFromMarkup(u"<p>new</p>"),
                                               { document()->body(), 0 }, true, std::nullopt));
    endEvent();
    undoStep();
    undoStep();
    EXPECT_EQ(markup(), u"<p>[alpha beta]</p><p>[gamma]</p>");
}

} // namespace
