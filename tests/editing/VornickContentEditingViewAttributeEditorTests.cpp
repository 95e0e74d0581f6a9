#include "EditingTestSupport.h"

#include "app/VornickWindow.h"
#include "dom/VornickNodeExtensions.h"
#include "editing/VornickElementAttributesEditorUIController.h"
#include "editing/VornickElementEditorUIControllerClass.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Menu.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "ui/VornickBezel.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

// A block format whose blocks are fenced by "wp:" comments and whose
// figures are edited by an editor of their own.
class FencedBlockHelper : public VornickBlockModeHelper {
public:
    FencedBlockHelper() { setOperatingInBlockMode(true); }
    std::optional<std::u16string> blockStartCommentPrefix() const override { return u"wp:"; }
    std::optional<std::u16string> blockEndCommentPrefix() const override { return u"/wp:"; }
    VornickElementEditorKind elementEditorClassForElement(const DOMElement& element) const override
    {
        return equalsIgnoringASCIICase(element.tagName(), u"figure") ? VornickElementEditorKind::WordPressBlockElement
                                                                     : VornickElementEditorKind::ElementAttributes;
    }
};

class FigureEditor : public VornickElementEditorUIController {
public:
    static std::u16string nibName() { return u"FigureEditor"; }
    static bool canInspectElement(const DOMElement& element) { return !element.hasAttribute(u"data-locked"); }
};

class AttributeEditor : public EditingViewTest {
protected:
    void TearDown() override
    {
        VornickRegisterElementEditorUIControllerClass(VornickElementEditorKind::WordPressBlockElement,
                                                      VornickElementEditorUIControllerClass::of<VornickElementAttributesEditorUIController>());
        EditingViewTest::TearDown();
    }
    void loadBody(const std::string& body)
    {
        ASSERT_TRUE(writeFileAtomically(path("body.html"), "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>T</title></head><body>"
                                                               + body + "</body></html>\n"));
        load("body.html");
    }
    std::shared_ptr<DOMElement> byId(const std::u16string& id) const { return document()->getElementById(id); }
    std::shared_ptr<DOMElement> target() const
    {
        auto controller = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
        return controller && controller->targetObject() ? controller->targetObject()->element() : nullptr;
    }
    bool shown() const { return VornickContentEditingViewTestPeer::of(*view).elementEditorUIController && VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->popover()->isShown(); }
    std::u16string bezelMessage() const
    {
        return VornickBezel::sharedContentEditingViewBezel()->messageTextField()->attributedStringValue().string();
    }
    void clearBezel() const { VornickBezel::sharedContentEditingViewBezel()->showMessage(u"", *view); }
};

TEST_F(AttributeEditor, OpensOnTheSelectedElementAndMovesBetweenRelatives)
{
    loadBody("<section id=s><h2 id=h>Title</h2> <p id=p>one <em id=e>two</em> three</p> <p id=q>last</p></section>");
    view->setTargetRange(vornick_outerRange(*byId(u"e")));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canEditElementAttributes(*view));
    VornickContentEditingViewTestPeer::vornick_editElementAttributes(*view, nullptr);
    EXPECT_TRUE(shown());
    EXPECT_EQ(target(), byId(u"e"));

    // Up, over, back and down; each move selects the new target.
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableParentElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"p"));
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), byId(u"s"));
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableSiblingElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"q"));
    clearBezel();
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableSiblingElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"q"));
    EXPECT_EQ(bezelMessage(), u"At end of <section>");
    VornickContentEditingViewTestPeer::moveAttributeEditorToPreviousEditableSiblingElement(*view, nullptr);
    VornickContentEditingViewTestPeer::moveAttributeEditorToPreviousEditableSiblingElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"h"));
    VornickContentEditingViewTestPeer::moveAttributeEditorToPreviousEditableSiblingElement(*view, nullptr);
    EXPECT_EQ(bezelMessage(), u"At start of <section>");
    VornickContentEditingViewTestPeer::moveAttributeEditorToFirstEditableChildElement(*view, nullptr);
    EXPECT_EQ(bezelMessage(), u"No child elements");
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableParentElement(*view, nullptr);
    VornickContentEditingViewTestPeer::moveAttributeEditorToFirstEditableChildElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"h"));
    EXPECT_TRUE(shown());
}

TEST_F(AttributeEditor, MovingOnAcceptsPendingEditsAndCancellingDropsThem)
{
    loadBody("<p id=p title=old>one</p><p id=q>two</p>");
    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"p"), u"title"));
    auto controller = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
    EXPECT_EQ(controller->focusedAttribute(), u"title");
    controller->setPendingAttributeValue(u"title", u"new");
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableSiblingElement(*view, nullptr);
    EXPECT_EQ(byId(u"p")->getAttribute(u"title"), u"new");
    EXPECT_EQ(target(), byId(u"q"));
    EXPECT_FALSE(controller->focusedAttribute());

    controller->setPendingAttributeValue(u"title", u"dropped");
    VornickContentEditingViewTestPeer::cancelPendingEditsAndCloseAttributeEditor(*view);
    EXPECT_FALSE(shown());
    EXPECT_FALSE(byId(u"q")->hasAttribute(u"title"));
    // Only while shown.
    VornickContentEditingViewTestPeer::repositionAttributeEditorToTrackTargetElement(*view);
    EXPECT_FALSE(shown());
}

TEST_F(AttributeEditor, MovesStayInTheAttachmentPointAndSkipWhatMayNotBeEdited)
{
    loadBody("<div id=ap class=brevanton-attachment-point-1><!-- wp:group --><div id=g><section id=inner>"
             "<em id=e>x</em></section></div><!-- /wp:group --></div>");
    auto helper = std::make_shared<FencedBlockHelper>();
    view->setBlockModeHelper(helper);

    // The section lies inside the group's block and may not be edited: the
    // walk goes on to the group's element.
    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"e"), std::nullopt));
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableParentElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"g"));
    // The editor shows the block, comments and all.
    ASSERT_TRUE(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->targetObject()->blockStartComment());

    // Never out of the attachment point.
    clearBezel();
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableParentElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"g"));
    EXPECT_EQ(bezelMessage(), u"No editable ancestor element");
    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"ap"), std::nullopt));
    clearBezel();
    VornickContentEditingViewTestPeer::moveAttributeEditorToNextEditableParentElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"ap"));
    EXPECT_EQ(bezelMessage(), u"No editable ancestor element");

    // Children inside the block may not be edited either.
    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"g"), std::nullopt));
    clearBezel();
    VornickContentEditingViewTestPeer::moveAttributeEditorToFirstEditableChildElement(*view, nullptr);
    EXPECT_EQ(target(), byId(u"g"));
    EXPECT_EQ(bezelMessage(), u"No child elements");
}

TEST_F(AttributeEditor, TheControllerIsReplacedWhenAnElementNeedsAnotherClass)
{
    loadBody("<p id=p>one</p><figure id=f><img src=picture.png alt=x></figure><figure id=locked data-locked><img src=picture.png alt=y></figure>");
    VornickRegisterElementEditorUIControllerClass(VornickElementEditorKind::WordPressBlockElement,
                                                  VornickElementEditorUIControllerClass::of<FigureEditor>());
    view->setBlockModeHelper(std::make_shared<FencedBlockHelper>());

    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"p"), std::nullopt));
    auto first = VornickContentEditingViewTestPeer::of(*view).elementEditorUIController;
    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"p"), std::nullopt));
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController, first);

    first->setPendingAttributeValue(u"title", u"typed");
    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"f"), std::nullopt));
    EXPECT_EQ(byId(u"p")->getAttribute(u"title"), u"typed");
    auto figureEditor = std::dynamic_pointer_cast<FigureEditor>(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController);
    ASSERT_TRUE(figureEditor);
    EXPECT_FALSE(first->popover()->isShown());
    EXPECT_FALSE(first->contentEditingView());
    EXPECT_TRUE(figureEditor->popover()->isShown());

    // Moving to an element of the other class closes the popover and opens
    // the right editor.
    VornickContentEditingViewTestPeer::acceptPendingEditsAndMoveElementEditorToNewTargetElement(*view, byId(u"p"));
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickElementAttributesEditorUIController>(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController));
    EXPECT_FALSE(figureEditor->popover()->isShown());
    EXPECT_EQ(target(), byId(u"p"));

    // The class decides whether it can inspect an element.
    view->setTargetRange(vornick_outerRange(*byId(u"f")));
    EXPECT_TRUE(VornickContentEditingViewTestPeer::canEditElementAttributes(*view));
    view->setTargetRange(vornick_outerRange(*byId(u"locked")));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canEditElementAttributes(*view));
    view->setEditable(false);
    view->setTargetRange(vornick_outerRange(*byId(u"f")));
    EXPECT_FALSE(VornickContentEditingViewTestPeer::canEditElementAttributes(*view));
    EXPECT_FALSE(view->showAttributeEditorForElement(nullptr, std::nullopt));
}

// Edits that open the editor on what they made (an element, a snippet) get
// the editor of that element's class, whatever editor was open before.
TEST_F(AttributeEditor, EditsOpenTheEditorOfTheNewElementsClass)
{
    loadBody("<p id=p>one two</p><figure id=f><img src=picture.png alt=x></figure>");
    VornickRegisterElementEditorUIControllerClass(VornickElementEditorKind::WordPressBlockElement,
                                                  VornickElementEditorUIControllerClass::of<FigureEditor>());
    view->setBlockModeHelper(std::make_shared<FencedBlockHelper>());
    auto documentSpec = vornick_HTMLSpec(*view->mainFrame());
    ASSERT_TRUE(documentSpec);

    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"f"), std::nullopt));
    ASSERT_TRUE(std::dynamic_pointer_cast<FigureEditor>(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController));
    auto words = document()->createRange();
    words->setStart(byId(u"p")->firstChild(), 0);
    words->setEnd(byId(u"p")->firstChild(), 3);
    view->setTargetRange(words);
    ASSERT_TRUE(view->undoableApplyDescribedElement(true, *documentSpec->elementSpecForTagName(u"a"), words));
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickElementAttributesEditorUIController>(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController));
    EXPECT_EQ(target(), element(u"A"));
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->focusedAttribute(), u"href");

    ASSERT_TRUE(view->showAttributeEditorForElement(byId(u"f"), std::nullopt));
    auto caret = document()->createRange();
    caret->setStart(element(u"A")->firstChild(), 1);
    caret->collapse(true);
    view->setTargetRange(caret);
    VornickGeneralFragmentDescription image(u"image", u"Image", u"", u"", u"<img>", u"");
    ASSERT_TRUE(view->undoableApplyDescribedFragment(true, image, caret));
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickElementAttributesEditorUIController>(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController));
    // The new image stands in the paragraph, before the figure.
    EXPECT_EQ(target(), element(u"IMG", 0));
    EXPECT_EQ(element(u"IMG", 0)->parentNode(), element(u"A"));
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController->focusedAttribute(), u"src");
}

TEST_F(AttributeEditor, OpensFromAClickAndTheMenuShortcutInAWindow)
{
    load("page.html");
    auto window = VornickWindow::create(Rect(0, 0, 800, 600));
    window->contentView()->addSubview(view);
    window->makeKeyAndOrderFront();
    // Clicks do not move the keyboard focus into the page's views yet.
    window->makeFirstResponder(view->embeddedWebView());
    auto menu = Menu::create(u"Main");
    auto editItem = MenuItem::create(u"Edit Attributes", "vornick_editElementAttributes:", u"e");
    editItem->setKeyEquivalentModifierMask(ModifierFlag::Command | ModifierFlag::Option);
    auto submenu = Menu::create(u"Edit");
    submenu->addItem(editItem);
    auto top = MenuItem::create(u"Edit");
    top->setSubmenu(submenu);
    menu->addItem(top);
    Application::shared().setMainMenu(menu);

    // Click into the emphasized word, then press the shortcut.
    auto emphasis = element(u"EM");
    auto range = document()->createRange();
    range->setStart(emphasis->firstChild(), 2);
    range->setEnd(emphasis->firstChild(), 3);
    auto& webView = view->embeddedWebView();
    Rect bounds = webView->vornick_bestGuessBoundsOfRange(*range);
    Point click = webView->convertPointToView(Point { bounds.minX() + 1, bounds.midY() }, nullptr);
    EventSynthesizer events;
    events.click(window, click);
    ASSERT_TRUE(view->effectiveOperationRange());
    EXPECT_EQ(view->effectiveOperationRange()->startContainer(), emphasis->firstChild());
    events.pressKey(window, u'e', ModifierFlag::Command | ModifierFlag::Option);
    EXPECT_TRUE(shown());
    EXPECT_EQ(target(), emphasis);

    Application::shared().setMainMenu(nullptr);
    view->removeFromSuperview();
}

} // namespace
