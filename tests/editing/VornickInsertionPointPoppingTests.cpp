#include "StructuralEditTestSupport.h"

#include "dom/VornickWebFrameExtensions.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

class InsertionPointPopping : public StructuralEditTest { };

TEST_F(InsertionPointPopping, TheCaretLeavesTheElementWithAGapWhenAsked)
{
    loadBody("<p>one <em>two</em></p>");
    view->setTargetRange(caretAt(element(u"EM")->firstChild(), 3));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canPopInsertionPointOutOfElementAndLeaveAGap(*view, true));
    auto step = beginStep();
    EXPECT_EQ(VornickContentEditingViewTestPeer::popInsertionPointOutOfElementAndLeaveAGap(*view, true), u"EM");
    std::u16string space = view->placeholderSpaceStringForDocumentContainingRange(*view->effectiveOperationRange());
    EXPECT_EQ(markup(), u"<p>[one ]<em>[two]</em>[" + space + u"]</p>");
    auto caret = view->effectiveOperationRange();
    EXPECT_TRUE(caret->collapsed());
    EXPECT_EQ(caret->startOffset(), 1u);
    checkUndoAndRedo(step, u"Pop out of <em>");

    // Without a gap the caret goes before the text that follows.
    undoStep();
    element(u"P")->appendChild(document()->createTextNode(u" three"));
    view->setTargetRange(caretAt(element(u"EM")->firstChild(), 1));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::popInsertionPointOutOfElementAndLeaveAGap(*view, false));
    EXPECT_EQ(markup(), u"<p>[one ]<em>[two]</em>[ three]</p>");
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), element(u"P")->lastChild());
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 0u);
    // The body is no element to pop out of.
    view->setTargetRange(caretAt(document()->body(), 0));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canPopInsertionPointOutOfElementAndLeaveAGap(*view, false));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::popInsertionPointOutOfElementAndLeaveAGap(*view, false));
}

TEST_F(InsertionPointPopping, AnEmptyElementIsRemoved)
{
    loadBody("<p>one<b> </b></p>");
    view->setTargetRange(caretAt(element(u"B")->firstChild(), 1));
    auto step = beginStep();
    EXPECT_EQ(VornickContentEditingViewTestPeer::popInsertionPointOutOfElementAndLeaveAGap(*view, false), u"B");
    // A placeholder space after the text gives the caret a place to type.
    std::u16string space = view->placeholderSpaceStringForDocumentContainingRange(*view->effectiveOperationRange());
    EXPECT_EQ(markup(), u"<p>[one" + space + u"]</p>");
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 3u);
    checkUndoAndRedo(step, u"Pop out of empty element");
}

TEST_F(InsertionPointPopping, TrailingSpaceGoesButANonBreakingSpaceTheUserTypedStays)
{
    loadBody("<p><code>x  </code></p><p><code>y&nbsp;</code></p>");
    char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*view->mainFrame());
    ASSERT_NE(substitute, 0);
    view->setTargetRange(caretAt(element(u"CODE")->firstChild(), 1));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::popInsertionPointOutOfElementAndLeaveAGap(*view, false));
    EXPECT_EQ(element(u"CODE")->textContent(), u"x");
    endEvent();

    // The second one ends in the user's own non-breaking space (shown as the substitute).
    auto second = element(u"CODE", 1);
    EXPECT_EQ(second->textContent(), std::u16string(u"y") + substitute);
    view->setTargetRange(caretAt(second->firstChild(), 1));
    ASSERT_TRUE(VornickContentEditingViewTestPeer::popInsertionPointOutOfElementAndLeaveAGap(*view, false));
    EXPECT_EQ(second->textContent(), std::u16string(u"y") + substitute);
}

TEST_F(InsertionPointPopping, ADefinitionOrCodeIsLeftWithItsListOrPreformattedBlock)
{
    loadBody("<dl><dt>term</dt><dd>definition</dd></dl><pre><code>x = 1</code></pre><p>after</p>");
    view->setTargetRange(caretAt(element(u"DD")->firstChild(), 10));
    VornickContentEditingViewTestPeer::popInsertionPointOutOfElementOrTwoAndLeaveAGap(*view, false);
    auto caret = view->effectiveOperationRange();
    EXPECT_FALSE(element(u"DL")->isInclusiveAncestorOf(caret->startContainer().get()));
    EXPECT_EQ(element(u"DL")->textContent(), u"termdefinition");

    view->setTargetRange(caretAt(element(u"CODE")->firstChild(), 5));
    VornickContentEditingViewTestPeer::popInsertionPointOutOfElementOrTwoAndLeaveAGap(*view, false);
    caret = view->effectiveOperationRange();
    EXPECT_FALSE(element(u"PRE")->isInclusiveAncestorOf(caret->startContainer().get()));
    EXPECT_EQ(element(u"PRE")->textContent(), u"x = 1");
}

TEST_F(InsertionPointPopping, TheInsertionPointAfterAPosition)
{
    loadBody("<p>one</p><p>two</p>");
    EXPECT_THROW((void)view->undoableSetTextInsertionPointAfterPosition(true, rangeAt(text(u"P"), 0, 1), false),
                 InternalInconsistencyException);
    EXPECT_FALSE(view->undoableSetTextInsertionPointAfterPosition(true, caretAt(text(u"P"), 1), false));
    // Before an element, a placeholder space is made; the caret goes after it with a gap.
    auto step = beginStep();
    ASSERT_TRUE(view->undoableSetTextInsertionPointAfterPosition(true, caretAt(document()->body(), 1), true));
    std::u16string space = view->placeholderSpaceStringForDocumentContainingRange(*view->effectiveOperationRange());
    EXPECT_EQ(markup(), u"<p>[one]</p>[" + space + u"]<p>[two]</p>");
    EXPECT_EQ(view->effectiveOperationRange()->startOffset(), 1u);
    checkUndoAndRedo(step, u"Insert");
}

} // namespace
