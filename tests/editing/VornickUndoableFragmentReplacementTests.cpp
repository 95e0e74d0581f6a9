#include "UndoableEditChecks.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

namespace brevanton::testing {
namespace {

class FragmentReplacementTest : public UndoableEditTest { };

TEST_F(FragmentReplacementTest, ReplacesASelectionAcrossElementsAndAnswersTheInsertedContent)
{
    loadBody("<p>Alpha <b>beta</b> gamma</p><p>Delta</p>");
    auto from = textNode(u"beta");
    auto to = textNode(u"Delta");
    select(rangeBetween(from, 2, to, 2));
    std::shared_ptr<DOMRange> result;
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(view->undoableReplaceRangeWithFragment(true, nullptr, fragmentFromMarkup(u"<i>new</i>"), u"Paste", &result));
            ASSERT_TRUE(result);
            EXPECT_EQ(toUTF8(result->toString()), "new");
        },
        // A deletion across elements leaves the place between the two, as the DOM's extraction does.
        [&] { EXPECT_EQ(bodyHTML(), "<p>Alpha <b>be</b></p><i>new</i><p>lta</p>\n"); }, { u"Paste" });
}

TEST_F(FragmentReplacementTest, CollapsedRangeAndEmptyFragmentChangeNothing)
{
    loadBody("<p>abc</p>");
    auto text = textNode(u"abc");
    std::string before = documentSnapshot(*document());
    EXPECT_TRUE(view->undoableReplaceRangeWithFragment(true, rangeIn(text, 1, 1), document()->createDocumentFragment(), std::nullopt));
    EXPECT_EQ(documentSnapshot(*document()), before);
}

TEST_F(FragmentReplacementTest, FreezeDriedFormsThawAgainstTheDocument)
{
    loadBody("<p>one two three</p>");
    auto text = textNode(u"one");
    auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*rangeIn(text, 4, 7), document(), false);
    ASSERT_TRUE(frozen);
    select(rangeIn(text, 4, 7));
    checkUndoableStep(
        *view,
        [&] {
            ASSERT_TRUE(view->undoableReplaceFreezeDriedRangeWithFragment(true, *frozen, document(), fragmentFromMarkup(u"<u>2</u>"),
                                                                          std::nullopt));
        },
        [&] { EXPECT_EQ(bodyHTML(), "<p>one <u>2</u> three</p>\n"); });
    select(rangeIn(textNode(u"one"), 0, 0));
    auto three = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*rangeIn(textNode(u"three"), 1, 6), document(), false);
    ASSERT_TRUE(three);
    checkUndoableStep(
        *view, [&] { ASSERT_TRUE(VornickContentEditingViewTestPeer::deleteFragmentInFreezeDriedRange(*view, *three, document(), true, std::nullopt, false)); },
        [&] { EXPECT_EQ(bodyHTML(), "<p>one <u>2</u> </p>\n"); });
}

} // namespace
} // namespace brevanton::testing
