#include "EditingTestSupport.h"

#include "editing/VornickContentEditingViewSplitViewManager.h"
#include "editing/VornickDOMPathBar.h"
#include "editing/VornickElementAttributesEditorUIController.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"
#include "ui/VornickHTMLSourceCodeView.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

using namespace brevanton;
using namespace brevanton::testing;

namespace {

using Panes = EditingViewTest;

TEST_F(Panes, ThePathBarSitsAtTheBottomNamesTheEnclosingElementsAndTheValidation)
{
    EXPECT_EQ(VornickDOMPathBar::naturalDOMPathBarHeight(), 39.0);
    auto bar = VornickContentEditingViewTestPeer::of(*view).domPathBar;
    EXPECT_EQ(bar->frame().maxY(), view->bounds().maxY());
    EXPECT_EQ(bar->frame().height(), 39.0);
    load("page.html");
    auto text = element(u"EM")->firstChild();
    auto caret = document()->createRange();
    caret->setStart(text, 1);
    caret->setEnd(text, 1);
    view->setTargetRange(caret);
    ASSERT_GE(bar->segments().size(), 3u);
    EXPECT_EQ(bar->segments().back().tagLabel, u"em");
    EXPECT_EQ(bar->segments()[bar->segments().size() - 2].tagLabel, u"p");
    ASSERT_TRUE(waitForValidation());
    EXPECT_EQ(bar->validationSegmentText(), view->tidyStatusSummaryForDisplayToUser());

    // Hiding gives its height to the split view; showing takes it back.
    auto height = view->splitView()->frame().height();
    VornickContentEditingViewTestPeer::setPathBarShown(*view, false);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::pathBarShown(*view));
    EXPECT_EQ(view->splitView()->frame().height(), height + 39.0);
    VornickContentEditingViewTestPeer::setPathBarShown(*view, true);
    EXPECT_EQ(view->splitView()->frame().height(), height);
}

TEST_F(Panes, TheHeaderFollowsTheFocusedFrameAndEditingBringsItBack)
{
    load("page.html");
    auto head = VornickContentEditingViewTestPeer::of(*view).headMetadataEditingUIController;
    EXPECT_EQ(head->titleTextField()->attributedStringValue().string(), u"A page");
    EXPECT_EQ(head->documentTypeField()->attributedStringValue().string(), u"HTML 5");
    EXPECT_EQ(head->characterEncodingField()->attributedStringValue().string(), u"UTF-8");
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).splitViewManager->headerView(), head->view());

    view->setEditable(false);
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).allowsHeadDisplayAndEditing);
    EXPECT_FALSE(view->embeddedWebView()->isEditable());
    EXPECT_FALSE(VornickContentEditingViewTestPeer::of(*view).splitViewManager->headerView());
    view->setEditable(true);
    EXPECT_TRUE(VornickContentEditingViewTestPeer::of(*view).allowsHeadDisplayAndEditing);
    EXPECT_TRUE(view->embeddedWebView()->isEditable());
    EXPECT_EQ(VornickContentEditingViewTestPeer::of(*view).splitViewManager->headerView(), head->view());

    // The title typed in the field is one undoable edit.
    head->titleTextField()->setTextString(u"Typed");
    head->commitTitleTextField();
    EXPECT_EQ(document()->title(), u"Typed");
    EXPECT_TRUE(view->undoManager()->canUndo());
}

TEST_F(Panes, EditabilityWhileLoadingWaitsForTheEndOfTheLoad)
{
    view->setEditable(false);
    view->beginLoadingContentFromURL(url("page.html"));
    view->setEditable(true);
    EXPECT_FALSE(view->embeddedWebView()->isEditable());
    ASSERT_TRUE(RunLoop::main().runUntil([this] { return view->loadingState() != VornickContentLoadingState::InProgress; }, 30));
    EXPECT_TRUE(view->embeddedWebView()->isEditable());
}

TEST_F(Panes, ADetachedLoupeShowsTheFocusedFramesSourceInItsWindow)
{
    load("page.html");
    auto loupe = view->sourceLoupe();
    EXPECT_EQ(loupe->activeContentEditingView(), view.get());
    EXPECT_FALSE(loupe->embedded());
    EXPECT_FALSE(loupe->isShown());
    loupe->showOrHide();
    EXPECT_TRUE(loupe->isShown());
    EXPECT_EQ(loupe->sourceCodeView()->string(), *vornick_lastGeneratedHTMLString(*view->mainFrame()));
    loupe->showOrHide();
    EXPECT_FALSE(loupe->isShown());

    view->setDocumentEdited(true);
    EXPECT_TRUE(loupe->documentEditedMark());
    // The loupe stops listening when the view goes away.
    view->setDelegate(nullptr);
    view.reset();
    EXPECT_FALSE(loupe->activeContentEditingView());
}

TEST_F(Panes, AnEmbeddedLoupeIsTheCollapsibleFooter)
{
    // A registered default, never written to the defaults file, which test
    // processes running beside this one read.
    UserDefaults::standard().registerDefaults({ { u"EmbedSourceLoupe", Value(1) } });
    auto embedded = VornickContentEditingView::create(Rect(0, 0, 800, 600));
    UserDefaults::standard().registerDefaults({ { u"EmbedSourceLoupe", Value(0) } });
    auto loupe = embedded->sourceLoupe();
    ASSERT_TRUE(loupe->embedded());
    EXPECT_EQ(embedded->splitView()->subviews().back(), loupe->view());
    EXPECT_FALSE(loupe->isShown());
    loupe->showOrHide();
    EXPECT_TRUE(loupe->isShown());
    EXPECT_GT(loupe->view()->frame().height(), 100);
    embedded->collapseEmbeddedSourceLoupe();
    EXPECT_FALSE(loupe->isShown());
}

TEST_F(Panes, TheElementEditorAcceptsPendingEditsWhenItMovesOn)
{
    load("page.html");
    auto editor = std::dynamic_pointer_cast<VornickElementAttributesEditorUIController>(VornickContentEditingViewTestPeer::of(*view).elementEditorUIController);
    ASSERT_TRUE(editor);
    auto image = element(u"IMG");
    editor->showForTargetObject(VornickExactSelection(image), u"alt", *view);
    EXPECT_TRUE(editor->popover()->isShown());
    ASSERT_EQ(editor->attributeValues().size(), 2u);
    EXPECT_EQ(editor->attributeValues()[1].attributeName(), u"alt");
    EXPECT_EQ(editor->focusedAttribute(), u"alt");

    editor->setPendingAttributeValue(u"alt", u"Changed");
    recorder.clear();
    editor->showForTargetObject(VornickExactSelection(element(u"H1")), std::nullopt, *view);
    EXPECT_EQ(image->getAttribute(u"alt"), u"Changed");
    EXPECT_EQ(recorder.count("note DidChangeContentNotification frame"), 1u);
    editor->closePopover();
    EXPECT_FALSE(editor->popover()->isShown());
    EXPECT_EQ(VornickContentEditingViewTestPeer::elementEditorPopoverWindowFrameIfShown(*view), Rect());
}

TEST_F(Panes, TheViewOfInterestIsTheLastOneOrTheOneWhosePopoverHasFocus)
{
    auto window = Window::create(Rect(0, 0, 1000, 800));
    auto content = std::make_shared<View>(Rect(0, 0, 1000, 800));
    window->setContentView(content);
    auto second = VornickContentEditingView::create(Rect(0, 0, 400, 400));
    content->addSubview(view);
    content->addSubview(second);
    EXPECT_EQ(VornickContentEditingView::vornickContentEditingViewOfInterestInWindow(window.get()), second);
    EXPECT_FALSE(VornickContentEditingView::vornickContentEditingViewOfInterestInWindow(nullptr));
    EXPECT_FALSE(VornickContentEditingView::vornickContentEditingViewIfRelatedUIHasFocusInWindow(window.get()));
    window->makeKeyAndOrderFront();
    window->makeFirstResponder(second->embeddedWebView());
    EXPECT_EQ(VornickContentEditingView::vornickContentEditingViewIfEmbeddedWebViewHasFocusInWindow(window.get()), second);
    EXPECT_TRUE(second->hasInputFocus());
    EXPECT_FALSE(view->hasInputFocus());
    load("page.html");
    EXPECT_EQ(vornick_contentEditingView(*element(u"P")), view);
    window->close();
}

} // namespace
