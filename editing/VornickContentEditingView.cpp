// The view as a whole: how it is built and torn down, its panes and their
// flags, and the class operations that find the view window commands go to.
#include "editing/VornickContentEditingView.h"

#include "app/VornickApplicationDelegate.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeGeometry.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentEditingViewLoadState.h"
#include "editing/VornickContentEditingViewSplitViewManager.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/VornickDOMPathBar.h"
#include "editing/VornickElementAttributesEditorUIController.h"
#include "editing/VornickFindAndReplaceController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickHeadElementsController.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "editing/VornickSourceLoupe.h"
#include "editing/VornickSpellingController.h"
#include "editing/VornickTextEncodingMenuItems.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Popover.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"
#include "ui/VornickCollapsibleHeaderSplitView.h"
#include "views/VornickPopoverExtensions.h"
#include "views/VornickViewExtensions.h"

namespace brevanton {

// --- Construction and teardown

VornickContentEditingView::VornickContentEditingView(Rect frame)
    : View(frame)
    , m_internals(std::make_unique<Internals>())
{
    m_internals->loadState = std::make_unique<VornickContentEditingViewLoadState>();
    m_internals->spelling = Internals::makeSpellingController(*this);
    m_internals->headElements = Internals::makeHeadElementsController(*this);
}

void VornickContentEditingView::build()
{
    // 1. Fields.
    m_internals->blockModeHelper = std::make_shared<VornickBlockModeHelper>();
    m_internals->blockModeHelper->setContentEditingView(this);
    m_internals->fileEntitlementDelegate = VornickApplicationDelegate::shared().get();
    m_internals->tidyFilter = std::make_shared<VornickTidyFilter>();
    setFlipped(true);
    setAutoresizesSubviews(true);

    Rect bounds = this->bounds();
    double pathBarHeight = VornickDOMPathBar::naturalDOMPathBarHeight();

    // 2. The path bar along the bottom.
    m_internals->domPathBar = std::make_shared<VornickDOMPathBar>(Rect(0, bounds.height() - pathBarHeight, bounds.width(), pathBarHeight));
    m_internals->domPathBar->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MinYMargin);
    m_internals->domPathBar->setContentEditingView(this);
    addSubview(m_internals->domPathBar);

    // 3. The split view above it.
    m_internals->splitView = std::make_shared<VornickCollapsibleHeaderSplitView>(Rect(0, 0, bounds.width(),
                                                                                      bounds.height() - pathBarHeight));
    m_internals->splitView->setVertical(false);
    m_internals->splitView->setDividerStyle(SplitViewDividerStyle::PaneSplitter);
    m_internals->splitView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    addSubview(m_internals->splitView);

    // 4. Its manager.
    m_internals->splitViewManager = std::make_shared<VornickContentEditingViewSplitViewManager>();
    m_internals->splitViewManager->setFooterViewNaturalHeight(250.0);
    m_internals->splitViewManager->setSplitView(m_internals->splitView);
    auto weak = weakSelf();
    m_internals->splitViewManager->setHeaderCollapseHandlerBlock([weak] {
        if (auto self = std::static_pointer_cast<VornickContentEditingView>(weak.lock()))
            Internals::updateSelectionIndicator(*self);
    });

    // 5. The head metadata header.
    m_internals->headMetadataEditingUIController = std::make_shared<VornickHeadMetadataEditingUIController>();
    m_internals->headMetadataEditingUIController->setContentEditingView(this);
    double headerHeight = m_internals->headMetadataEditingUIController->view()->frame().height();
    m_internals->splitViewManager->setHeaderViewMinHeight(headerHeight);
    m_internals->splitViewManager->setHeaderViewNaturalHeight(headerHeight);

    // 6. The web view.
    double webViewTop = m_internals->allowsHeadDisplayAndEditing ? headerHeight + m_internals->splitView->dividerThickness() : 0;
    m_internals->webView = VornickEmbeddedWebView::create(
        Rect(0, webViewTop, bounds.width(), std::max(0.0, m_internals->splitView->frame().height() - webViewTop)));
    m_internals->webView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    m_internals->splitView->addSubview(m_internals->webView);
    if (m_internals->allowsHeadDisplayAndEditing)
        m_internals->splitViewManager->setHeaderView(m_internals->headMetadataEditingUIController->view());
    m_internals->webView->setFrameLoadDelegate(this);
    m_internals->webView->setResourceLoadDelegate(this);
    m_internals->webView->setEditingDelegate(this);
    m_internals->webView->setPolicyDelegate(this);

    // 7. Web preferences: the editor's own user style sheet.
    auto& preferences = m_internals->webView->preferences();
    preferences.javaScriptEnabled = UserDefaults::standard().boolForKey(u"AllowJavaScriptExecution");
    if (auto sheet = Bundle::main().URLForResource(u"VornickEditingViewUserStyleSheet", u"css")) {
        preferences.userStyleSheetEnabled = true;
        preferences.userStyleSheetLocation = *sheet;
        Error error;
        if (!m_internals->webView->applyUserStyleSheet(&error))
            consoleLog(u"The editing view's user style sheet could not be read: " + error.localizedDescription());
    }

    // 9. The source loupe.
    m_internals->sourceLoupe = std::make_shared<VornickSourceLoupe>();
    m_internals->sourceLoupe->setActiveContentEditingView(this);
    m_internals->splitViewManager->setSourceLoupe(m_internals->sourceLoupe);
    if (VornickSourceLoupe::wantsToBeEmbedded()) {
        m_internals->sourceLoupe->setEmbedded(true);
        m_internals->splitViewManager->setFooterView(m_internals->sourceLoupe->view());
        collapseEmbeddedSourceLoupe();
    }

    m_internals->elementEditorUIController = std::make_shared<VornickElementAttributesEditorUIController>();
    Internals::installMediaAndAttributeEditorActionHandlers(*this);
    Internals::installTableCommandActionHandlers(*this);
    Internals::installClipboardAndDeletionActionHandlers(*this);
    Internals::installFormattingActionHandlers(*this);
    Internals::installListCommandActionHandlers(*this);
    Internals::installFragmentCompletionActionHandlers(*this);
    Internals::installFindSpellingAndViewServiceActionHandlers(*this);
    Internals::installHeadElementActionHandlers(*this);
    Internals::installMenuCommandActionHandlers(*this);
    setActionHandler(VornickChangeStringEncodingAction, [weak](ActionSender* sender) {
        if (auto self = weak.lock())
            VornickChangeStringEncodingFromMenuItem(self->editingContext(), sender);
    });

    // 10. Edits of formatting preferences sets.
    Internals::observeFormattingPreferencesEdits(*this);
    // A setting of validation changed: the source is validated again.
    m_internals->validationPreferencesObservation = NotificationCenter::defaultCenter().addObserver(
        VornickValidationPreferencesDidChangeNotification, nullptr, nullptr, [weak](const Notification&) {
            if (auto self = weak.lock())
                Internals::tickleRevalidationOfFocusedWebFrame(*self);
        });

    // The banners' buttons.
    setActionHandler("dismissAttachmentPointFailureBanner:", [weak](ActionSender*) {
        if (auto self = std::static_pointer_cast<VornickContentEditingView>(weak.lock()))
            self->dismissAttachmentPointFailureBanner();
    });
    setActionHandler("showAttachmentPointFailureResolutionUI:", [weak](ActionSender*) {
        if (auto self = std::static_pointer_cast<VornickContentEditingView>(weak.lock()))
            self->showAttachmentPointFailureResolutionUI();
    });
}

VornickContentEditingView::~VornickContentEditingView()
{
    // Nothing deferred by the view may run once it is gone.
    RunLoop::main().cancelPerforms(this);
    m_internals->htmlUpdateTimer.invalidate();
    if (m_internals->pageDisplayObserver)
        RunLoop::main().removeEndOfTurnObserver(*m_internals->pageDisplayObserver);
    if (auto delegate = VornickApplicationDelegate::shared())
        delegate->releaseAllReadPermissionsForClient(this);
    Internals::removeUndoActionsFromEveryUndoManager(*this);
    if (m_internals->webView) {
        m_internals->webView->setFrameLoadDelegate(nullptr);
        m_internals->webView->setResourceLoadDelegate(nullptr);
        m_internals->webView->setEditingDelegate(nullptr);
        m_internals->webView->setPolicyDelegate(nullptr);
        m_internals->webView->stopLoading();
    }
    if (m_internals->domPathBar)
        m_internals->domPathBar->setContentEditingView(nullptr);
    if (m_internals->headMetadataEditingUIController)
        m_internals->headMetadataEditingUIController->setContentEditingView(nullptr);
    if (m_internals->sourceLoupe)
        m_internals->sourceLoupe->setActiveContentEditingView(nullptr);
    if (m_internals->elementEditorUIController)
        m_internals->elementEditorUIController->detachFromContentEditingView();
    if (m_internals->blockModeHelper && m_internals->blockModeHelper->contentEditingView() == this)
        m_internals->blockModeHelper->setContentEditingView(nullptr);
    if (m_internals->dropTargetRange)
        m_internals->dropTargetRange->detach();
    if (m_internals->targetRange)
        m_internals->targetRange->detach();
}

std::weak_ptr<VornickContentEditingView> VornickContentEditingView::weakSelf() const
{
    auto responder = const_cast<VornickContentEditingView*>(this)->weak_from_this().lock();
    return std::static_pointer_cast<VornickContentEditingView>(responder);
}

void VornickContentEditingView::installActionHandler(const char* action, void (VornickContentEditingView::*member)(ActionSender*))
{
    setActionHandler(action, [weak = weakSelf(), member](ActionSender* sender) {
        if (auto self = weak.lock())
            ((*self).*member)(sender);
    });
}

void VornickContentEditingView::installActionHandler(const char* action, void (*function)(VornickContentEditingView&, ActionSender*))
{
    setActionHandler(action, [weak = weakSelf(), function](ActionSender* sender) {
        if (auto self = weak.lock())
            function(*self, sender);
    });
}

void VornickContentEditingView::performAfterDelay(double seconds, std::function<void(VornickContentEditingView&)> block)
{
    auto weak = weakSelf();
    RunLoop::main().performAfterDelay(this, seconds, [weak, block = std::move(block)] {
        if (auto self = weak.lock())
            block(*self);
    });
}

UndoManager* VornickContentEditingView::undoManager() const
{
    if (auto window = this->window()) {
        if (auto undo = window->undoManager())
            return undo;
    }
    if (!m_internals->ownUndoManager)
        m_internals->ownUndoManager = std::make_unique<UndoManager>();
    return m_internals->ownUndoManager.get();
}

void VornickContentEditingView::setBlockModeHelper(std::shared_ptr<VornickBlockModeHelper> helper)
{
    if (m_internals->blockModeHelper && m_internals->blockModeHelper->contentEditingView() == this)
        m_internals->blockModeHelper->setContentEditingView(nullptr);
    m_internals->blockModeHelper = std::move(helper);
    if (m_internals->blockModeHelper) {
        m_internals->blockModeHelper->setContentEditingView(this);
        if (auto frame = mainFrame())
            m_internals->blockModeHelper->setHtmlSpec(vornick_HTMLSpec(*frame));
    }
}

// --- Finding the view of interest

std::shared_ptr<VornickContentEditingView> VornickContentEditingView::vornickContentEditingViewOfInterestInWindow(const Window* window)
{
    if (!window)
        return nullptr;
    if (auto focused = vornickContentEditingViewIfRelatedUIHasFocusInWindow(window))
        return focused;
    std::shared_ptr<VornickContentEditingView> result;
    if (auto content = window->contentView()) {
        vornick_enumerateViewTreeUsingBlock(*content, [&result](const std::shared_ptr<View>& view, bool& stop) {
            auto editingView = std::dynamic_pointer_cast<VornickContentEditingView>(view);
            if (!editingView)
                return;
            result = editingView;
            if (Internals::relatedUIHasFocus(*editingView))
                stop = true;
        });
    }
    return result;
}

std::shared_ptr<VornickContentEditingView> VornickContentEditingView::vornickContentEditingViewIfRelatedUIHasFocusInWindow(const Window* window)
{
    if (!window || !window->contentView())
        return nullptr;
    std::shared_ptr<VornickContentEditingView> first;
    vornick_enumerateViewTreeUsingBlock(*window->contentView(), [&first](const std::shared_ptr<View>& view, bool& stop) {
        if (auto editingView = std::dynamic_pointer_cast<VornickContentEditingView>(view)) {
            first = editingView;
            stop = true;
        }
    });
    return first && Internals::relatedUIHasFocus(*first) ? first : nullptr;
}

std::shared_ptr<VornickContentEditingView> VornickContentEditingView::vornickContentEditingViewIfEmbeddedWebViewHasFocusInWindow(
    const Window* window)
{
    if (!window)
        return nullptr;
    for (auto responder = window->firstResponder(); responder; responder = responder->nextResponder()) {
        if (auto webView = std::dynamic_pointer_cast<VornickEmbeddedWebView>(responder))
            return webView->vornick_contentEditingView();
    }
    return nullptr;
}

// --- The view

bool VornickContentEditingView::Internals::relatedUIHasFocus(const VornickContentEditingView& view)
{
    return view.m_internals->elementEditorUIController && vornick_hasFocus(*view.m_internals->elementEditorUIController->popover());
}

bool VornickContentEditingView::Internals::viewIsDescendantOfContentEditingArea(const VornickContentEditingView& thisView, const View& view)
{
    return thisView.m_internals->webView && view.isDescendantOf(thisView.m_internals->webView.get());
}

bool VornickContentEditingView::Internals::responderIsEmbeddedWebViewOrADescendant(const VornickContentEditingView& thisView,
                                                                                   const Responder* responder)
{
    auto* view = dynamic_cast<const View*>(responder);
    return view && Internals::viewIsDescendantOfContentEditingArea(thisView, *view);
}

bool VornickContentEditingView::hasInputFocus() const
{
    auto window = this->window();
    return window && window->isKeyWindow() && vornickContentEditingViewIfEmbeddedWebViewHasFocusInWindow(window.get()).get() == this;
}

void VornickContentEditingView::focus()
{
    auto window = this->window();
    if (!window || Internals::responderIsEmbeddedWebViewOrADescendant(*this, window->firstResponder().get()))
        return;
    if (m_internals->focusedWebFrame && m_internals->focusedWebFrame->frameView())
        window->makeFirstResponder(m_internals->focusedWebFrame->frameView());
}

void VornickContentEditingView::setEditable(bool editable)
{
    if (editable == m_internals->editable)
        return;
    m_internals->editable = editable;
    if (!editable) {
        Internals::setAllowsHeadDisplayAndEditing(*this, false);
        m_internals->webView->setEditable(false);
    } else {
        // Head display comes back with editing.
        Internals::setAllowsHeadDisplayAndEditing(*this, true);
        if (m_internals->webFramesBeingLoaded.empty() && m_internals->loadingState != VornickContentLoadingState::InProgress)
            m_internals->webView->setEditable(true);
    }
}

void VornickContentEditingView::setDocumentEdited(bool edited)
{
    if (edited && !m_internals->editable)
        consoleLog(u"Warning: setDocumentEdited:YES invoked for non-editable ContentEditingView!");
    if (edited == m_internals->documentEdited)
        return;
    m_internals->documentEdited = edited;
    if (m_internals->sourceLoupe)
        m_internals->sourceLoupe->updateForDocumentEditedStateChangeInContentEditingView(*this);
}

void VornickContentEditingView::Internals::setAllowsHeadDisplayAndEditing(VornickContentEditingView& editingView, bool allows)
{
    if (allows == editingView.m_internals->allowsHeadDisplayAndEditing)
        return;
    if (!allows)
        Internals::setHeadElementsShown(editingView, false);
    editingView.m_internals->allowsHeadDisplayAndEditing = allows;
    editingView.m_internals->splitViewManager->setHeaderView(allows ? editingView.m_internals->headMetadataEditingUIController->view() : nullptr);
}

bool VornickContentEditingView::Internals::headElementsShown(const VornickContentEditingView& view)
{
    if (!view.m_internals->allowsHeadDisplayAndEditing || view.m_internals->splitView->subviews().empty())
        return false;
    return !view.m_internals->splitView->isSubviewCollapsed(*view.m_internals->splitView->subviews().front());
}

void VornickContentEditingView::Internals::setHeadElementsShown(VornickContentEditingView& view, bool shown)
{
    if (!view.m_internals->allowsHeadDisplayAndEditing || shown == Internals::headElementsShown(view))
        return;
    view.endTypingRun();
    if (shown) {
        view.m_internals->splitView->setPosition(view.m_internals->splitViewManager->headerViewNaturalHeight(), 0);
        view.m_internals->headMetadataEditingUIController->focusTitleTextField();
    } else {
        view.m_internals->splitView->setPosition(0, 0);
        auto frame = view.m_internals->headMetadataEditingUIController->focusedWebFrame();
        auto window = (&view)->window();
        if (window && frame && frame->frameView())
            window->makeFirstResponder(frame->frameView());
    }
    Internals::updateSelectionIndicator(view);
}

bool VornickContentEditingView::Internals::pathBarShown(const VornickContentEditingView& view)
{
    return view.m_internals->domPathBar && !view.m_internals->domPathBar->isHidden();
}

void VornickContentEditingView::Internals::setPathBarShown(VornickContentEditingView& view, bool shown)
{
    if (!view.m_internals->domPathBar || shown == Internals::pathBarShown(view))
        return;
    double height = view.m_internals->domPathBar->frame().height();
    Rect splitFrame = view.m_internals->splitView->frame();
    if (!shown) {
        view.m_internals->domPathBar->setHidden(true);
        view.m_internals->splitView->setFrame(Rect(splitFrame.minX(), splitFrame.minY(), splitFrame.width(), splitFrame.height() + height));
    } else {
        view.m_internals->domPathBar->updateForValidationStatusChange();
        view.m_internals->splitView->setFrame(Rect(splitFrame.minX(), splitFrame.minY(), splitFrame.width(), splitFrame.height() - height));
        view.m_internals->domPathBar->setHidden(false);
    }
}

void VornickContentEditingView::releaseSourceLoupeFromFooter()
{
    if (m_internals->sourceLoupe && m_internals->splitViewManager->footerView() == m_internals->sourceLoupe->view())
        m_internals->splitViewManager->setFooterView(nullptr);
}

void VornickContentEditingView::collapseEmbeddedSourceLoupe()
{
    if (!m_internals->sourceLoupe || !m_internals->sourceLoupe->embedded() || !m_internals->splitViewManager->footerView()
        || m_internals->splitView->subviews().size() < 2)
        return;
    long divider = static_cast<long>(m_internals->splitView->subviews().size()) - 2;
    m_internals->splitView->setPosition(m_internals->splitView->maxPossiblePositionOfDividerAtIndex(divider), divider);
}

void VornickContentEditingView::uncollapseEmbeddedSourceLoupe()
{
    if (!m_internals->sourceLoupe || !m_internals->sourceLoupe->embedded() || !m_internals->splitViewManager->footerView()
        || m_internals->splitView->subviews().size() < 2)
        return;
    long divider = static_cast<long>(m_internals->splitView->subviews().size()) - 2;
    m_internals->splitView->setPosition(m_internals->splitView->maxPossiblePositionOfDividerAtIndex(divider) - m_internals->splitViewManager->footerViewNaturalHeight(),
                             divider);
}

Rect VornickContentEditingView::Internals::contentRect(const VornickContentEditingView& view)
{
    return view.convertRectFromView(view.m_internals->webView->visibleRect(), view.m_internals->webView.get());
}

std::shared_ptr<WebFrame> VornickContentEditingView::mainFrame() const
{
    return m_internals->webView ? m_internals->webView->mainFrame() : nullptr;
}

std::shared_ptr<DOMDocument> VornickContentEditingView::mainFrameDocument() const
{
    return m_internals->webView ? m_internals->webView->mainFrameDocument() : nullptr;
}

void VornickContentEditingView::Internals::applySectionHandlesToAllFrames(VornickContentEditingView& thisView, bool shown)
{
    auto main = thisView.mainFrame();
    if (!main)
        return;
    vornick_enumerateWebFrameTreeWithOptions(main, 0, [&thisView, shown](const std::shared_ptr<WebFrame>& frame, bool&) {
        auto& document = frame->domDocument();
        auto body = document ? document->body() : nullptr;
        if (!body)
            return;
        if (shown)
            vornick_addClass(*body, u"brevanton-section-handles-shown");
        else
            vornick_removeClass(*body, u"brevanton-section-handles-shown");
        for (const auto& element : vornick_effectiveAttachmentPointElements(*frame)) {
            for (auto child = element->firstChild(); child; child = child->nextSibling()) {
                if (shown)
                    thisView.m_internals->blockModeHelper->recursiveAddBrickTags(*child);
                else
                    thisView.m_internals->blockModeHelper->recursiveRemoveBrickTags(*child);
            }
        }
    });
    thisView.performAfterDelay(0.2, [](VornickContentEditingView& view) { view.m_internals->webView->setNeedsDisplay(true); });
}

void VornickContentEditingView::Internals::embeddedWebViewMoved(VornickContentEditingView& view)
{
    if (view.m_internals->overlayWindow && view.m_internals->webView)
        view.m_internals->overlayWindow->trackMoveOfEmbeddedWebView(*view.m_internals->webView);
    Internals::updateSelectionIndicator(view);
}

void VornickContentEditingView::elementEditorDidShowWindow()
{
    if (m_internals->sourceLoupe)
        m_internals->sourceLoupe->updateForPopoverShowOrHideInContentEditingView(*this);
}

void VornickContentEditingView::Internals::elementEditorDidEffectivelyResizeWindow(VornickContentEditingView& view)
{
    view.elementEditorDidShowWindow();
}

void VornickContentEditingView::elementEditorDidHideWindow()
{
    elementEditorDidShowWindow();
}

Rect VornickContentEditingView::Internals::elementEditorPopoverWindowFrameIfShown(const VornickContentEditingView& view)
{
    if (!view.m_internals->elementEditorUIController)
        return Rect();
    return vornick_windowFrameIfShown(*view.m_internals->elementEditorUIController->popover());
}

std::optional<VornickExactSelection> VornickContentEditingView::exactSelectionToOpenInAttributeEditorForEffectiveOperationRange() const
{
    auto range = effectiveOperationRange();
    return m_internals->blockModeHelper ? m_internals->blockModeHelper->blockOrElementToEditForRange(range.get()) : std::nullopt;
}

std::optional<VornickExactSelection> VornickContentEditingView::exactSelectionToUnwrapOrDeleteForEffectiveOperationRange() const
{
    return exactSelectionToOpenInAttributeEditorForEffectiveOperationRange();
}

void VornickContentEditingView::showAttachmentPointFailureResolutionUI()
{
    Internals::hideAttachmentPointFailureBanner(*this);
}

// --- What the block-mode helper asks

std::optional<std::pair<long, long>> VornickContentEditingView::pixelSizeOfMediaFile(const URL& url) const
{
    auto delegate = VornickApplicationDelegate::shared();
    if (!delegate)
        return std::nullopt;
    auto info = delegate->mediaFileInfoCache().infoForURL(url, true);
    if (!info)
        return std::nullopt;
    return std::pair<long, long>(info->pixelsWide(), info->pixelsHigh());
}

double VornickContentEditingView::boundingBoxWidthOfElement(const DOMElement& element) const
{
    return vornick_boundingBoxInView(element, *this).width;
}

// --- The editing view of a node

std::shared_ptr<VornickContentEditingView> vornick_contentEditingView(const DOMNode& node)
{
    auto document = node.nodeType() == DOMNode::DOCUMENT_NODE ? downcast<DOMDocument>(node.shared_from_this())
                                                              : node.ownerDocument();
    if (!document)
        return nullptr;
    auto webView = WebView::webViewForDocument(*document);
    auto embedded = std::dynamic_pointer_cast<VornickEmbeddedWebView>(webView);
    return embedded ? embedded->vornick_contentEditingView() : nullptr;
}

} // namespace brevanton
