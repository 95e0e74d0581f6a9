#include "UndoableEditChecks.h"

#include "editing/commands/VornickUndoableTypingRun.h"

namespace brevanton::testing {
namespace {

class TextReplacementTest : public UndoableEditTest { };

TEST_F(TextReplacementTest, ReplacesWithinOneTextNodeAndRestoresIt)
{
    loadBody("<p>Hello world</p>");
    auto text = textNode(u"Hello");
    select(rangeIn(text, 6, 11));
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(text, 6, 11), u"there", false)); },
        [&] { EXPECT_EQ(bodyHTML(), "<p>Hello there</p>\n"); });
}

TEST_F(TextReplacementTest, ResultRangeCoversTheNewText)
{
    loadBody("<p>abcdef</p>");
    auto text = textNode(u"abc");
    std::shared_ptr<DOMRange> result;
    ASSERT_TRUE(view->undoableReplaceRangeWithText(false, rangeIn(text, 1, 3), u"XYZW", false, &result));
    ASSERT_TRUE(result);
    EXPECT_EQ(toUTF8(result->toString()), "XYZW");
    EXPECT_FALSE(view->undoManager()->canUndo());
}

TEST_F(TextReplacementTest, CaretInsideTheReplacedSpanStaysInTheReplacement)
{
    loadBody("<p>0123456789</p>");
    auto text = textNode(u"0123");
    select(rangeIn(text, 5, 5));
    ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(text, 2, 9), u"x", false));
    auto caret = view->effectiveOperationRange();
    ASSERT_TRUE(caret && caret->collapsed());
    EXPECT_EQ(caret->startContainer(), text);
    EXPECT_EQ(caret->startOffset(), 2u);

    // After the span it shifts by the change of length.
    select(rangeIn(text, 4, 4));
    ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(text, 0, 2), u"abcd", false));
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 6u);
}

TEST_F(TextReplacementTest, RangeAcrossNodesBecomesAFragmentReplacementNamedTyping)
{
    loadBody("<p>one <em>two</em> three</p>");
    auto one = textNode(u"one");
    auto three = textNode(u"three");
    select(rangeBetween(one, 2, three, 3));
    checkUndoableStep(
        *view,
        [&] { ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeBetween(one, 2, three, 3), u"X", false)); },
        [&] { EXPECT_EQ(bodyHTML(), "<p>onXree</p>\n"); }, { u"Typing" });
}

TEST_F(TextReplacementTest, FreezeDriedFormThatNoLongerFitsDoesNothing)
{
    loadBody("<p>abc</p>");
    auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*rangeIn(textNode(u"abc"), 0, 1), document(), false);
    ASSERT_TRUE(frozen);
    body()->firstChild()->remove();
    EXPECT_FALSE(view->undoableReplaceFreezeDriedRangeWithText(true, *frozen, document(), u"x", false));
}

} // namespace
} // namespace brevanton::testing

namespace brevanton::testing {
namespace {

TEST_F(TextReplacementTest, ReplacementTextIsAStepOfItsOwnEvenWithATypingRunOpen)
{
    loadBody("<p>teh cat</p>");
    auto text = textNode(u"teh");
    select(rangeIn(text, 7, 7));
    ASSERT_TRUE(view->undoableReplaceRangeWithText(true, rangeIn(text, 7, 7), u"s", true));
    select(rangeIn(text, 8, 8));
    endEvent();
    ASSERT_TRUE(view->activeTypingRun());
    // A correction at the run's end would otherwise extend it.
    view->replaceRangeWithReplacementText(rangeIn(text, 0, 3), u"the");
    EXPECT_FALSE(view->activeTypingRun());
    EXPECT_EQ(bodyHTML(), "<p>the cats</p>\n");
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 3u);
    auto* undo = view->undoManager();
    undo->undo();
    EXPECT_EQ(bodyHTML(), "<p>teh cats</p>\n");
    undo->undo();
    EXPECT_EQ(bodyHTML(), "<p>teh cat</p>\n");
}

} // namespace
} // namespace brevanton::testing
