#include "StructuralEditTestSupport.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class WrapAndTransform : public StructuralEditTest {
protected:
    std::shared_ptr<DOMDocumentFragment> fragmentOf(const std::u16string& markup)
    {
        return fragmentFromMarkup(markup);
    }
    // The inside of the fragment's top-level element `index`.
    static std::optional<VornickFreezeDriedDOMRange> insideOfTopElement(const std::shared_ptr<DOMDocumentFragment>& fragment, unsigned index)
    {
        auto element = fragment->childAt(index)->shared_from_this();
        return VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromStartPosition({ element, 0 }, { element, 1 }, fragment, false);
    }
};

TEST_F(WrapAndTransform, WrappingPutsTheContentsAtTheInterior)
{
    loadBody("<p>one two three</p>");
    auto range = rangeAt(text(u"P"), 4, 7);
    view->setTargetRange(range);
    auto fragment = fragmentOf(u"<em>*</em>");
    auto step = beginStep();
    ASSERT_TRUE(view->undoableWrapRange(true, range, fragment, insideOfTopElement(fragment, 0)));
    EXPECT_EQ(markup(), u"<p>[one ]<em>[two]</em>[ three]</p>");
    EXPECT_EQ(view->effectiveOperationRange()->toString(), u"two");
    checkUndoAndRedo(step, u"Wrap in <em>\u2026</em>");
}

TEST_F(WrapAndTransform, WrappingWithAFragmentThatMergesIntoTheTextBeforeLosesNothing)
{
    // The fragment starts with text, which joins the text before the range:
    // the result does not lie in one node, and the interior must still be found.
    loadBody("<p>one two three</p>");
    auto range = rangeAt(text(u"P"), 4, 7);
    view->setTargetRange(range);
    auto fragment = fragmentOf(u"pre <code>*</code> post");
    auto step = beginStep();
    ASSERT_TRUE(view->undoableWrapRange(true, range, fragment, insideOfTopElement(fragment, 1)));
    EXPECT_EQ(markup(), u"<p>[one pre ]<code>[two]</code>[ post three]</p>");
    checkUndoAndRedo(step, u"Wrap in \u2026<code>\u2026</code>\u2026");

    // An interior that cannot be found puts the contents back.
    undoStep();
    auto plain = fragmentOf(u"<b>*</b>");
    auto lost = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromStartPosition({ plain->firstChild(), 4 }, { plain->firstChild(), 5 },
                                                                                 plain, false);
    EXPECT_FALSE(view->undoableWrapRange(true, rangeAt(text(u"P"), 4, 7), plain, lost));
    EXPECT_EQ(document()->body()->textContent(), u"one two three");
}

TEST_F(WrapAndTransform, UnwrappingAndTransformingKeepContentAndAttributes)
{
    loadBody("<h1 id=\"intro\" class=\"big\" style=\"color: red\">Title <em>here</em></h1><p>x<span></span>y</p>");
    view->setTargetRange(caretAt(text(u"H1"), 2));
    auto step = beginStep();
    std::shared_ptr<DOMRange> result;
    ASSERT_TRUE(view->undoableTransformElement(true, element(u"H1"), u"h2", &result));
    // The anchor, the class and the style stay with the heading.
    EXPECT_EQ(markup(), u"<h2 id=\"intro\" class=\"big\" style=\"color: red\">[Title ]<em>[here]</em></h2><p>[x]<span></span>[y]</p>");
    ASSERT_TRUE(result);
    EXPECT_EQ(vornick_exactlySelectedNode(*result), element(u"H2"));
    checkUndoAndRedo(step, u"Transform to <h2>");

    step = beginStep();
    ASSERT_TRUE(view->undoableUnwrapElement(true, element(u"EM")));
    EXPECT_EQ(markup(), u"<h2 id=\"intro\" class=\"big\" style=\"color: red\">[Title here]</h2><p>[x]<span></span>[y]</p>");
    checkUndoAndRedo(step, u"Unwrap");

    // An empty element is deleted.
    step = beginStep();
    ASSERT_TRUE(view->undoableUnwrapElement(true, element(u"SPAN")));
    EXPECT_EQ(markup(), u"<h2 id=\"intro\" class=\"big\" style=\"color: red\">[Title here]</h2><p>[xy]</p>");
    checkUndoAndRedo(step, u"Unwrap");

    EXPECT_THROW((void)view->undoableUnwrapElement(true, text(u"P")), InternalInconsistencyException);
}

TEST_F(WrapAndTransform, ListsKeepTheirStartAndTypeWhenTransformed)
{
    loadBody("<ol start=\"3\" type=\"a\"><li>one</li></ol>");
    ASSERT_TRUE(view->undoableTransformElement(true, element(u"OL"), u"ul"));
    EXPECT_EQ(markup(), u"<ul start=\"3\" type=\"a\"><li>[one]</li></ul>");
}

} // namespace
