// The view's properties whose values live in its private state.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"

namespace brevanton {

bool VornickContentEditingView::isEditable() const
{
    return m_internals->editable;
}

bool VornickContentEditingView::isDocumentEdited() const
{
    return m_internals->documentEdited;
}

bool VornickContentEditingView::allowsHeadDisplayAndEditing() const
{
    return m_internals->allowsHeadDisplayAndEditing;
}

const std::shared_ptr<VornickEmbeddedWebView>& VornickContentEditingView::embeddedWebView() const
{
    return m_internals->webView;
}

const std::shared_ptr<VornickContentEditingViewSplitViewManager>& VornickContentEditingView::splitViewManager() const
{
    return m_internals->splitViewManager;
}

const std::shared_ptr<VornickHeadMetadataEditingUIController>& VornickContentEditingView::headMetadataEditingUIController() const
{
    return m_internals->headMetadataEditingUIController;
}

void VornickContentEditingView::setHeadMetadataEditingUIController(std::shared_ptr<VornickHeadMetadataEditingUIController> controller)
{
    m_internals->headMetadataEditingUIController = std::move(controller);
}

const std::shared_ptr<VornickDOMPathBar>& VornickContentEditingView::domPathBar() const
{
    return m_internals->domPathBar;
}

const std::shared_ptr<VornickSourceLoupe>& VornickContentEditingView::sourceLoupe() const
{
    return m_internals->sourceLoupe;
}

const std::shared_ptr<VornickCollapsibleHeaderSplitView>& VornickContentEditingView::splitView() const
{
    return m_internals->splitView;
}

const std::shared_ptr<VornickElementEditorUIController>& VornickContentEditingView::elementEditorUIController() const
{
    return m_internals->elementEditorUIController;
}

VornickContentEditingViewDelegate* VornickContentEditingView::delegate() const
{
    return m_internals->delegate;
}

void VornickContentEditingView::setDelegate(VornickContentEditingViewDelegate* delegate)
{
    m_internals->delegate = delegate;
}

VornickContentEditingViewFileEntitlementDelegate* VornickContentEditingView::fileEntitlementDelegate() const
{
    return m_internals->fileEntitlementDelegate;
}

void VornickContentEditingView::setFileEntitlementDelegate(VornickContentEditingViewFileEntitlementDelegate* delegate)
{
    m_internals->fileEntitlementDelegate = delegate;
}

const std::shared_ptr<VornickBlockModeHelper>& VornickContentEditingView::blockModeHelper() const
{
    return m_internals->blockModeHelper;
}

const std::shared_ptr<VornickWebResourceCache>& VornickContentEditingView::webResourceCache() const
{
    return m_internals->webResourceCache;
}

void VornickContentEditingView::setWebResourceCache(std::shared_ptr<VornickWebResourceCache> cache)
{
    m_internals->webResourceCache = std::move(cache);
}

const std::shared_ptr<VornickAttachmentPointLocatorSet>& VornickContentEditingView::attachmentPointLocatorSet() const
{
    return m_internals->attachmentPointLocatorSet;
}

void VornickContentEditingView::setAttachmentPointLocatorSet(std::shared_ptr<VornickAttachmentPointLocatorSet> set)
{
    m_internals->attachmentPointLocatorSet = std::move(set);
}

const std::shared_ptr<View>& VornickContentEditingView::templateFallbackBannerView() const
{
    return m_internals->templateFallbackBannerView;
}

const std::shared_ptr<View>& VornickContentEditingView::attachmentPointFailureBannerView() const
{
    return m_internals->attachmentPointFailureBannerView;
}

bool VornickContentEditingView::automaticallyAddsParagraphs() const
{
    return m_internals->automaticallyAddsParagraphs;
}

void VornickContentEditingView::setAutomaticallyAddsParagraphs(bool adds)
{
    m_internals->automaticallyAddsParagraphs = adds;
}

bool VornickContentEditingView::sectionHandlesShown() const
{
    return m_internals->sectionHandlesShown;
}

const std::shared_ptr<WebFrame>& VornickContentEditingView::focusedWebFrame() const
{
    return m_internals->focusedWebFrame;
}

const std::shared_ptr<VornickTidyFilter>& VornickContentEditingView::tidyFilter() const
{
    return m_internals->tidyFilter;
}

bool VornickContentEditingView::hasWrittenDocument() const
{
    return m_internals->hasWrittenDocument;
}

VornickResourceLoadAttempts VornickContentEditingView::failedResourceLoadAttempts() const
{
    return m_internals->failedResourceLoadAttempts;
}

bool VornickContentEditingView::loadingContent() const
{
    return m_internals->loadingContent;
}

VornickContentLoadingState VornickContentEditingView::loadingState() const
{
    return m_internals->loadingState;
}

const std::optional<Error>& VornickContentEditingView::loadError() const
{
    return m_internals->loadError;
}

const std::shared_ptr<DOMNode>& VornickContentEditingView::bodyPlaceholderTextNode() const
{
    return m_internals->bodyPlaceholderTextNode;
}

bool VornickContentEditingView::htmlUpdateIsScheduled() const
{
    return static_cast<bool>(m_internals->htmlUpdateTimer);
}

bool VornickContentEditingView::lastRegenerationWasSpliced() const
{
    return m_internals->lastRegenerationWasSpliced;
}

const std::shared_ptr<DOMRange>& VornickContentEditingView::targetRange() const
{
    return m_internals->targetRange;
}

const std::shared_ptr<DOMRange>& VornickContentEditingView::dropTargetRange() const
{
    return m_internals->dropTargetRange;
}

bool VornickContentEditingView::droppingReplacementImage() const
{
    return m_internals->droppingReplacementImage;
}

std::vector<URL>& VornickContentEditingView::imageFileURLsForDrop()
{
    return m_internals->imageFileURLsForDrop;
}

std::vector<URL>& VornickContentEditingView::movieFileURLsForDrop()
{
    return m_internals->movieFileURLsForDrop;
}

const std::optional<URL>& VornickContentEditingView::mainFrameURL() const
{
    return m_internals->mainFrameURL;
}

const std::shared_ptr<VornickUndoableTypingRun>& VornickContentEditingView::activeTypingRun() const
{
    return m_internals->activeTypingRun;
}

const std::shared_ptr<VornickUndoableBackspaceRun>& VornickContentEditingView::activeBackspaceRun() const
{
    return m_internals->activeBackspaceRun;
}

bool VornickContentEditingView::insertingTextOrBackspacing() const
{
    return m_internals->insertingTextOrBackspacing;
}

void VornickContentEditingView::setWhitespacePolicy(int32_t policy)
{
    m_internals->whitespacePolicy = policy;
}

std::vector<std::u16string>& VornickContentEditingView::toggledInlineStyleElementsForTyping()
{
    return m_internals->toggledInlineStyleElementsForTyping;
}

bool VornickContentEditingView::servicedProposedSelectionChange() const
{
    return m_internals->servicedProposedSelectionChange;
}

bool VornickContentEditingView::probingForDOMRange() const
{
    return m_internals->probingForDOMRange;
}

const std::shared_ptr<DOMRange>& VornickContentEditingView::probeResultRange() const
{
    return m_internals->probeResultRange;
}

void VornickContentEditingView::Internals::setGrowingSelectionState(VornickContentEditingView& view, int64_t state)
{
    view.m_internals->growingSelectionState = state;
}

bool VornickContentEditingView::windowIsBecomingKey() const
{
    return m_internals->windowIsBecomingKey;
}

const Window::SendEventHookHandle& VornickContentEditingView::windowSendEventHook() const
{
    return m_internals->windowSendEventHook;
}

int32_t VornickContentEditingView::anchorEndpoint() const
{
    return m_internals->anchorEndpoint;
}

bool VornickContentEditingView::leftClickSelectedSomething() const
{
    return m_internals->leftClickSelectedSomething;
}

bool VornickContentEditingView::draggingAFragmentAsSource() const
{
    return m_internals->draggingAFragmentAsSource;
}

const std::shared_ptr<DOMDocumentFragment>& VornickContentEditingView::fragmentForDrop() const
{
    return m_internals->fragmentForDrop;
}

const std::shared_ptr<VornickContentOverlayWindow>& VornickContentEditingView::overlayWindow() const
{
    return m_internals->overlayWindow;
}

std::shared_ptr<View> VornickContentEditingView::findBarView() const
{
    return m_internals->findBarView;
}

void VornickContentEditingView::setFindBarView(const std::shared_ptr<View>& view)
{
    m_internals->findBarView = view;
}

bool VornickContentEditingView::isFindBarVisible() const
{
    return m_internals->findBarIsVisible;
}

size_t VornickContentEditingView::resourceFileWatcherCount() const
{
    return m_internals->resourceFileWatchers.size();
}

void VornickContentEditingView::Internals::setAddHeadElementMenu(VornickContentEditingView& view, std::shared_ptr<Menu> menu)
{
    view.m_internals->addHeadElementMenu = std::move(menu);
}

void VornickContentEditingView::Internals::setFragmentForDrop(VornickContentEditingView& view,
                                                              const std::shared_ptr<DOMDocumentFragment>& fragment)
{
    view.m_internals->fragmentForDrop = fragment;
}

bool VornickContentEditingView::droppingSingleLink() const
{
    return m_internals->droppingSingleLink;
}

bool VornickContentEditingView::Internals::hasFragmentCompletionUIController(const VornickContentEditingView& view)
{
    return static_cast<bool>(view.m_internals->fragmentCompletionUIController);
}

bool VornickContentEditingView::paintsLoadedSource() const
{
    return m_internals->paintsLoadedSource;
}

void VornickContentEditingView::setPaintsLoadedSource(bool paints)
{
    m_internals->paintsLoadedSource = paints;
}

bool VornickContentEditingView::preparesWriteBack() const
{
    return m_internals->preparesWriteBack;
}

const std::optional<std::string>& VornickContentEditingView::lastWrittenMainFrameData() const
{
    return m_internals->lastWrittenMainFrameData;
}

} // namespace brevanton
