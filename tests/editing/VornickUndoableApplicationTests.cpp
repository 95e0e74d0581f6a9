#include "StructuralEditTestSupport.h"

#include "editing/VornickElementEditorUIController.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

VornickGeneralFragmentDescription snippet(std::u16string identifier, std::u16string markup)
{
    return VornickGeneralFragmentDescription(std::move(identifier), u"Snippet", u"", u"", std::move(markup), u"");
}

class Application : public StructuralEditTest {
protected:
    std::shared_ptr<VornickHTMLElementSpec> spec(const std::u16string& tag)
    {
        auto documentSpec = vornick_HTMLSpec(*view->mainFrame());
        return documentSpec ? documentSpec->elementSpecForTagName(tag) : nullptr;
    }
    const std::optional<VornickExactSelection>& editorTarget() { return VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->targetObject(); }
};

TEST_F(Application, ASnippetWrapsASelectionAndTakesTheCaretAtAnInsertionPoint)
{
    loadBody("<p>one two</p>");
    auto note = snippet(u"note", u"<span class=\"in\">{content}</span>");
    auto range = rangeAt(text(u"P"), 4, 7);
    view->setTargetRange(range);
    auto step = beginStep();
    ASSERT_TRUE(view->undoableApplyDescribedFragment(true, note, range));
    EXPECT_EQ(markup(), u"<p>[one ]<span class=\"in\">[two]</span></p>");
    checkUndoAndRedo(step, u"Wrap in <span class='in'>\u2026</span>");

    undoStep();
    auto caret = caretAt(text(u"P"), 3);
    view->setTargetRange(caret);
    step = beginStep();
    ASSERT_TRUE(view->undoableApplyDescribedFragment(true, note, caret));
    EXPECT_EQ(markup(), u"<p>[one]<span class=\"in\">[*]</span>[ two]</p>");
    // The caret goes to the snippet's interior.
    auto selection = view->effectiveOperationRange();
    EXPECT_EQ(selection->startContainer(), element(u"SPAN"));
    checkUndoAndRedo(step, u"Insert");
}

TEST_F(Application, AnElementMissingRequiredAttributesGetsThemAndTheEditorOpensOnThem)
{
    loadBody("<p>one two</p>");
    auto picture = snippet(u"picture", u"<img>");
    auto caret = caretAt(text(u"P"), 3);
    view->setTargetRange(caret);
    ASSERT_TRUE(view->undoableApplyDescribedFragment(true, picture, caret));
    auto image = element(u"IMG");
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->hasAttribute(u"src"));
    ASSERT_TRUE(editorTarget());
    EXPECT_EQ(editorTarget()->element(), image);
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->focusedAttribute(), u"src");
}

TEST_F(Application, ElementsAtACaretAndAroundASelection)
{
    loadBody("<p>one two</p>");
    auto strong = spec(u"strong");
    ASSERT_TRUE(strong);
    auto range = rangeAt(text(u"P"), 0, 3);
    view->setTargetRange(range);
    auto step = beginStep();
    ASSERT_TRUE(view->undoableApplyDescribedElement(true, *strong, range));
    EXPECT_EQ(markup(), u"<p><strong>[one]</strong>[ two]</p>");
    checkUndoAndRedo(step, u"Wrap in <strong>\u2026</strong>");

    // At a caret the element holds the placeholder space, and the caret goes into it.
    undoStep();
    auto caret = caretAt(text(u"P"), 7);
    view->setTargetRange(caret);
    step = beginStep();
    ASSERT_TRUE(view->undoableApplyDescribedElement(true, *strong, caret));
    EXPECT_EQ(markup().substr(0, 20), u"<p>[one two]<strong>");
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), element(u"STRONG")->firstChild());
    checkUndoAndRedo(step, u"Insert");
}

TEST_F(Application, TablesListsAndLinks)
{
    loadBody("<p>one</p>");
    auto caret = caretAt(document()->body(), 1);
    view->setTargetRange(caret);
    ASSERT_TRUE(view->undoableApplyDescribedElement(true, *spec(u"table"), caret));
    auto caption = element(u"CAPTION");
    ASSERT_TRUE(caption);
    EXPECT_EQ(element(u"TR", 1) != nullptr, true);
    // The caption's inside is selected for typing over.
    EXPECT_TRUE(caption->isInclusiveAncestorOf(view->effectiveOperationRange()->startContainer().get()));
    endEvent();
    undoStep();
    EXPECT_EQ(markup(), u"<p>[one]</p>");

    view->setTargetRange(caret = caretAt(document()->body(), 1));
    ASSERT_TRUE(view->undoableApplyDescribedElement(true, *spec(u"dl"), caret));
    EXPECT_TRUE(element(u"DT"));

    // A link with no URL anywhere: an empty href, and the editor opens on it.
    Pasteboard::generalPasteboard()->clearContents();
    auto range = rangeAt(text(u"P"), 0, 3);
    view->setTargetRange(range);
    ASSERT_TRUE(view->undoableApplyDescribedElement(true, *spec(u"a"), range));
    auto link = element(u"A");
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->hasAttribute(u"href"));
    EXPECT_EQ(link->getAttribute(u"href"), u"");
    ASSERT_TRUE(editorTarget());
    EXPECT_EQ(editorTarget()->element(), link);
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->focusedAttribute(), u"href");
}

TEST_F(Application, ALinkTakesTheURLOnThePasteboardWithItsTitle)
{
    loadBody("<p>one two</p>");
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    ASSERT_TRUE(pasteboard->setString(u"https://example.com/page", PasteboardTypeURL));
    ASSERT_TRUE(pasteboard->setString(u"An example", PasteboardTypeURLName));
    auto range = rangeAt(text(u"P"), 4, 7);
    view->setTargetRange(range);
    auto step = beginStep();
    ASSERT_TRUE(view->undoableApplyDescribedElement(true, *spec(u"a"), range, std::nullopt, false));
    EXPECT_EQ(markup(), u"<p>[one ]<a href=\"https://example.com/page\" title=\"An example\">[two]</a></p>");
    // A web address is worth a look even when the editor need not open.
    ASSERT_TRUE(editorTarget());
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->focusedAttribute(), u"href");
    // One step, named by the wrap and not by the attributes set after it.
    checkUndoAndRedo(step, u"Wrap in <a>\u2026</a>");
    pasteboard->clearContents();
}

} // namespace
