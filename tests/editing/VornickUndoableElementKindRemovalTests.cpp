#include "StructuralEditTestSupport.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class ElementKindRemoval : public StructuralEditTest {
protected:
    // Removes the kind from the range and checks Undo and Redo.
    void removeAndCheck(const std::u16string& tag, const std::shared_ptr<DOMRange>& range, const std::u16string& expected)
    {
        view->setTargetRange(range);
        auto step = beginStep();
        ASSERT_TRUE(view->undoableRemoveApplicationsOfElementKind(true, tag, range));
        EXPECT_EQ(markup(), expected);
        checkUndoAndRedo(step, u"Toggle <" + asciiLowercase(tag) + u">");
        undoStep();
    }
};

TEST_F(ElementKindRemoval, TheElementIsSplitAroundThePartTakenOut)
{
    loadBody("<p>ab<b>cdefgh</b>ij</p>");
    // The middle of the element: it is split in two around the freed text.
    removeAndCheck(u"B", rangeAt(element(u"B")->firstChild(), 2, 4), u"<p>[ab]<b>[cd]</b>[ef]<b>[gh]</b>[ij]</p>");
    // Its start: only the rest stays bold, the freed text joins the text before.
    removeAndCheck(u"b", rangeAt(element(u"B")->firstChild(), 0, 2), u"<p>[abcd]<b>[efgh]</b>[ij]</p>");
    // All of it: the element is unwrapped.
    removeAndCheck(u"B", rangeAt(element(u"B")->firstChild(), 0, 6), u"<p>[abcdefghij]</p>");
}

TEST_F(ElementKindRemoval, RangesThatLeaveTheElementOrSpanSeveral)
{
    loadBody("<p>ab<em>cd</em>ef<em>gh</em>ij<em>kl</em>mn</p>");
    auto first = element(u"EM");
    auto last = element(u"EM", 2);
    ASSERT_TRUE(first && last) << toUTF8(markup());
    // From inside the first element to inside the last one: every EM on the way goes.
    removeAndCheck(u"em", rangeAt(first->firstChild(), 1, last->firstChild(), 1),
                   u"<p>[ab]<em>[c]</em>[defghijk]<em>[l]</em>[mn]</p>");
    // From plain text into an element.
    removeAndCheck(u"em", rangeAt(text(u"P"), 1, element(u"EM")->firstChild(), 1), u"<p>[abc]<em>[d]</em>[ef]<em>[gh]</em>[ij]<em>[kl]</em>[mn]</p>");
}

TEST_F(ElementKindRemoval, ElementsWhollyInsideTheRangeGoWhenNeitherEndIsInOne)
{
    loadBody("<p>ab<b>cd</b>ef<b>gh</b>ij</p>");
    removeAndCheck(u"B", rangeAt(text(u"P"), 1, text(u"P", 0, 4), 1), u"<p>[abcdefghij]</p>");
}

TEST_F(ElementKindRemoval, ARangeAcrossParagraphsLeavesTheParagraphsAsTheyWere)
{
    loadBody("<p>a<b>one</b></p><p><b>two</b>z</p>");
    // Taking content out and putting it back would make four paragraphs.
    removeAndCheck(u"B", rangeAt(element(u"B")->firstChild(), 1, element(u"B", 1)->firstChild(), 2),
                   u"<p>[a]<b>[o]</b>[ne]</p><p>[tw]<b>[o]</b>[z]</p>");
    removeAndCheck(u"B", rangeAt(element(u"B")->firstChild(), 0, element(u"B", 1)->firstChild(), 3), u"<p>[aone]</p><p>[twoz]</p>");
}

TEST_F(ElementKindRemoval, NothingOfTheKindAnswersNo)
{
    loadBody("<p>plain <i>text</i></p>");
    auto before = markup();
    EXPECT_FALSE(view->undoableRemoveApplicationsOfElementKind(true, u"b", rangeAt(text(u"P"), 0, 3)));
    EXPECT_EQ(markup(), before);
    endEvent();
    EXPECT_FALSE(undo().canUndo());
}

} // namespace
