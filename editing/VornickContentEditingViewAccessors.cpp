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

const std::shared_ptr<VornickEmbeddedWebView>& VornickContentEditingView::embeddedWebView() const
{
    return m_internals->webView;
}

void VornickContentEditingView::setHeadMetadataEditingUIController(std::shared_ptr<VornickHeadMetadataEditingUIController> controller)
{
    m_internals->headMetadataEditingUIController = std::move(controller);
}

const std::shared_ptr<VornickSourceLoupe>& VornickContentEditingView::sourceLoupe() const
{
    return m_internals->sourceLoupe;
}

const std::shared_ptr<VornickCollapsibleHeaderSplitView>& VornickContentEditingView::splitView() const
{
    return m_internals->splitView;
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

bool VornickContentEditingView::automaticallyAddsParagraphs() const
{
    return m_internals->automaticallyAddsParagraphs;
}

void VornickContentEditingView::Internals::setAutomaticallyAddsParagraphs(VornickContentEditingView& view, bool adds)
{
    view.m_internals->automaticallyAddsParagraphs = adds;
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

bool VornickContentEditingView::Internals::htmlUpdateIsScheduled(const VornickContentEditingView& view)
{
    return static_cast<bool>(view.m_internals->htmlUpdateTimer);
}

const std::shared_ptr<DOMRange>& VornickContentEditingView::targetRange() const
{
    return m_internals->targetRange;
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

void VornickContentEditingView::Internals::setWhitespacePolicy(VornickContentEditingView& view, int32_t policy)
{
    view.m_internals->whitespacePolicy = policy;
}

void VornickContentEditingView::Internals::setGrowingSelectionState(VornickContentEditingView& view, int64_t state)
{
    view.m_internals->growingSelectionState = state;
}

size_t VornickContentEditingView::Internals::resourceFileWatcherCount(const VornickContentEditingView& view)
{
    return view.m_internals->resourceFileWatchers.size();
}

void VornickContentEditingView::Internals::setFragmentForDrop(VornickContentEditingView& view,
                                                              const std::shared_ptr<DOMDocumentFragment>& fragment)
{
    view.m_internals->fragmentForDrop = fragment;
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
