// Loading a document into the view: the load API, the repaired copy of a
// structurally broken file, the web view's load delegates, the per-frame
// epilogue and the end of loading.
#include "editing/VornickContentEditingView.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickResourceLoadAttempt.h"
#include "documents/VornickWebResourceCache.h"
#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickDocumentHeadFields.h"
#include "dom/VornickDocumentResourceReferences.h"
#include "dom/VornickStyleQueries.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentEditingViewLoadState.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickFragmentSetLoading.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickHTMLCharacterEncodingDetector.h"
#include "html/VornickHTMLFilePatcher.h"
#include "html/VornickHTMLFormattingPreferences.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "html/VornickRepairedCopyCheck.h"
#include "html/VornickTidyCheckBudget.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickTidyValidationAhead.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMParsing.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "platform/foundation/TypeIdentifiers.h"
#include "platform/views/Alert.h"
#include "platform/views/Window.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickCollections.h"
#include "toolkit/VornickDocumentFile.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLineIndex.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickStringExtensions.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fmt/format.h>
#include <future>

namespace brevanton {

namespace {

std::string describe(const VornickContentEditingView& view)
{
    return fmt::format("<VornickContentEditingView: {}>", static_cast<const void*>(&view));
}

std::string frameDescription(const WebFrame& frame)
{
    return toUTF8(vornick_briefDescription(frame));
}

std::shared_ptr<WebDataSource> sharedDataSource(WebDataSource& dataSource)
{
    auto frame = dataSource.webFrame();
    if (!frame)
        return nullptr;
    if (frame->provisionalDataSource().get() == &dataSource)
        return frame->provisionalDataSource();
    if (frame->dataSource().get() == &dataSource)
        return frame->dataSource();
    return nullptr;
}

bool isFileScheme(const URL& url)
{
    return equalsIgnoringASCIICase(url.scheme(), u"file");
}

// Tidy reads a file in the encoding the page reads the character set the
// file declares in (ISO-8859-1 as windows-1252); the page is read by the
// encoding rules of HTML. Where the two differ (a byte-order mark, an
// encoding found otherwise than by that declaration) a repaired copy would
// garble the text, so the file loads as it is.
//
// The file as read by its host (which the page loads too) or read now, its
// text decoded once; none for a file with a byte-order mark, which tidy
// never reads as the page does.
std::shared_ptr<LoadedDocument> textForTidy(const std::string& path, std::shared_ptr<LoadedDocument> loaded = nullptr)
{
    if (!loaded) {
        auto syntax = DOMDocument::isXMLPath(toUTF16(path)) ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
        VornickDocumentFile file(path);
        Error error;
        loaded = file.load(syntax, &error);
        if (!loaded)
            return nullptr;
    }
    if (loaded->hasByteOrderMark())
        return nullptr;
    return loaded;
}

// Whether tidy reads the file's bytes as the text the page shows.
bool tidyReadsAsThePageDoes(const LoadedDocument& text)
{
    VornickHTMLCharacterEncodingDetector detector;
    auto declared = detector.detectIANACharacterEncodingDeclarationInHTMLData(text.bytes());
    if (!declared)
        return false;
    auto pageEncoding = textEncodingConverterName(text.encoding());
    auto tidyEncoding = textEncodingConverterName(VornickTidyFilter::encodingOfDeclaredCharacterSet(*declared, text.syntax()));
    return pageEncoding && tidyEncoding && *pageEncoding == *tidyEncoding;
}

// The file's text, when tidy reads the file as the page does.
std::shared_ptr<const LoadedDocument> textTidyReadsAsThePageDoes(const std::string& path)
{
    auto text = textForTidy(path);
    if (!text || !tidyReadsAsThePageDoes(*text))
        return nullptr;
    return text;
}

// A check that found nothing structural is the validation of the frame's
// source, and there was nothing to repair. False for a structural finding.
// The check's result as read here answers the validation of the frame's
// source when that is the very string of the checked text (the page loaded
// from it, not edited since).
bool acceptCheckUnlessStructural(const WebFrame& frame, std::shared_ptr<const VornickTidyFilter::ValidationRun> check,
                                 VornickTidyFilter& filter, const LoadedDocument& text)
{
    auto result = VornickTidyFilter::readValidationRun(*check);
    const auto& advisories = result.advisories;
    if (std::any_of(advisories.begin(), advisories.end(), [](const auto& advisory) { return advisory.isStructuralIssue(); }))
        return false;
    vornick_setValidationAdvisoriesForStructuralRepairPass(frame, VornickValidationAdvisories {});
    auto source = vornick_sharedLastGeneratedHTMLString(frame);
    if (text.isSource(source))
        filter.rememberValidationRun(std::move(check), std::move(result), std::move(source));
    else
        filter.rememberValidationRun(std::move(check));
    return true;
}

bool bodyHoldsOnlyHTMLWhitespace(const DOMElement& body)
{
    for (DOMNode* child = body.first(); child; child = child->next()) {
        if (child->nodeType() == DOMNode::ELEMENT_NODE)
            return false;
        if (child->nodeType() == DOMNode::TEXT_NODE
            && !vornick_containsOnlyHTMLWhitespace(downcast<DOMCharacterData>(child)->data()))
            return false;
    }
    return true;
}

Dictionary styleDictionary(DOMElement& element)
{
    Dictionary dictionary;
    if (auto style = element.style()) {
        for (auto& [name, value] : vornick_propertiesDictionary(*style))
            dictionary[name] = Value(value);
    }
    return dictionary;
}

} // namespace

// --- The load API

void VornickContentEditingView::beginLoadingContentFromURL(const URL& url)
{
    VornickGeneralLog("-[{} {}{}]", describe(*this), "beginLoadingContentFromURL:", toUTF8(url.absoluteString()));
    m_internals->mainFrameURL = url;
    resetLoadingState();
    setLoadingContent(true);
    m_internals->webView->setMainFrameURL(url.absoluteString());
}

void VornickContentEditingView::beginLoadingContentFromHTMLString(const std::u16string& html, const std::optional<URL>& baseURL)
{
    resetLoadingState();
    setLoadingContent(true);
    m_internals->webView->mainFrame()->loadHTMLString(html, baseURL);
}

bool VornickContentEditingView::loadContentFromURL(const URL& url, Error* outError)
{
    beginLoadingContentFromURL(url);
    return finishHTMLLoadingWithErrorReturn(outError);
}

bool VornickContentEditingView::loadHTMLString(const std::u16string& html, const std::optional<URL>& baseURL, Error* outError)
{
    beginLoadingContentFromHTMLString(html, baseURL);
    return finishHTMLLoadingWithErrorReturn(outError);
}

bool VornickContentEditingView::finishHTMLLoadingWithErrorReturn(Error* outError)
{
    while (m_internals->loadingState == VornickContentLoadingState::InProgress)
        RunLoop::main().runUntil([this] { return m_internals->loadingState != VornickContentLoadingState::InProgress; }, 0.1);
    if (m_internals->loadingState == VornickContentLoadingState::Failed) {
        if (outError)
            *outError = m_internals->loadError.value_or(Error(VornickErrorDomain, 0, u"The document could not be loaded."));
        return false;
    }

    auto document = mainFrameDocument();
    if (!document)
        return true;
    auto range = document->createRange();
    if (auto body = document->body()) {
        if (!m_internals->sectionHandlesShown && bodyHoldsOnlyHTMLWhitespace(*body)) {
            // A placeholder for typing to replace: it stands for nothing and
            // is never written, nor does putting it there edit the document.
            auto placeholder = document->createTextNode(u"*");
            body->appendChild(placeholder);
            m_internals->bodyPlaceholderTextNode = placeholder;
            range->setStart(placeholder, 0);
            range->setEnd(placeholder, 1);
        } else {
            range->setStart(body, 0);
            range->setEnd(body, 0);
        }
    }
    setTargetRange(range);
    return true;
}

void VornickContentEditingView::Internals::cancelLoadingThenDo(VornickContentEditingView& editingView, std::function<void()> block)
{
    if (!editingView.m_internals->loadingContent) {
        if (block)
            block();
        return;
    }
    editingView.performAfterDelay(0, [](VornickContentEditingView& view) { view.m_internals->webView->stopLoading(); });
    if (block)
        editingView.m_internals->loadCompletionBlocks.push_back(std::move(block));
}

void VornickContentEditingView::Internals::reloadResourcesAfterAccessGrant(VornickContentEditingView& view)
{
    if (view.m_internals->loadingContent) {
        // The document is loaded again from where it came from (never from a
        // repaired copy), and only when nobody edited it: edits are not
        // thrown away behind the user's back.
        auto mainFrame = (&view)->mainFrame();
        auto original = mainFrame ? view.originalURLOfWebFrame(*mainFrame) : std::nullopt;
        if (!original)
            original = view.m_internals->mainFrameURL;
        if (!original)
            return;
        auto undo = view.undoManager();
        if (view.m_internals->documentEdited || (undo && undo->canUndo())) {
            VornickGeneralLog("-[{} {}] the document was edited; it is not reloaded", describe(view),
                              "reloadResourcesAfterAccessGrant");
            return;
        }
        view.resetLoadingState();
        view.setLoadingContent(true);
        view.beginLoadingContentFromURL(*original);
        return;
    }
    for (const auto& attempt : view.m_internals->failedResourceLoadAttempts) {
        if (attempt->state() != VornickResourceLoadState::FailedForLackOfFileAccess)
            continue;
        if (auto frame = attempt->webFrame())
            frame->reloadSubresource(attempt->url());
    }
}

void VornickContentEditingView::setLoadingContent(bool loading)
{
    m_internals->loadingContent = loading;
}

std::optional<URL> VornickContentEditingView::originalURLOfWebFrame(const WebFrame& frame) const
{
    if (auto& dataSource = frame.dataSource())
        return dataSource->initialRequest().url();
    if (auto& provisional = frame.provisionalDataSource())
        return provisional->initialRequest().url();
    return std::nullopt;
}

// --- Resetting

void VornickContentEditingView::resetLoadingState()
{
    VornickGeneralLog("-[{} {}]", describe(*this), "resetLoadingState");
    Internals::hideAttachmentPointFailureBanner(*this);
    Internals::hideTemplateFallbackBanner(*this);
    if (auto mainFrame = this->mainFrame()) {
        vornick_enumerateWebFrameTreeWithOptions(mainFrame, 0, [](const std::shared_ptr<WebFrame>& frame, bool&) {
            vornick_setValidationAdvisoriesForStructuralRepairPass(*frame, std::nullopt);
            vornick_setValidationAdvisoriesNotYetResolved(*frame, std::nullopt);
            vornick_setValidationStatus(*frame, VornickFrameValidationStatus::Pending);
            vornick_setHasVornickInsertedBaseElement(*frame, false);
            vornick_setLoadedFromRepairedCopy(*frame, false);
            vornick_setRefusedRepairLoss(*frame, std::nullopt);
            vornick_setNonBreakingSpaceSubstituteCharacter(*frame, 0);
            // Nothing of the old document may carry over into the new one.
            vornick_clearAttachmentPoints(*frame);
            vornick_storeUserFragmentSetOfLoadedDocument(*frame, nullptr);
            vornick_storeHTMLFormattingPreferencesOfLoadedDocument(*frame, nullptr);
            vornick_setFragmentCompletionSet(*frame, nullptr);
        });
    }
    // Old inverses would thaw against the new document.
    endTypingRun();
    endBackspaceRun();
    Internals::removeUndoActionsFromEveryUndoManager(*this);
    if (auto delegate = VornickApplicationDelegate::shared())
        delegate->releaseAllReadPermissionsForClient(this);
    m_internals->loadError.reset();
    m_internals->webFramesBeingLoaded.clear();
    m_internals->resourcesBeingLoaded.clear();
    m_internals->failedResourceLoadAttempts.clear();
    m_internals->resourceFileWatchers.clear();
    m_internals->writtenDocumentFiles.clear();
    m_internals->resourceLoadEndWaiters.clear();
    m_internals->loadingState = VornickContentLoadingState::InProgress;
    m_internals->postedEndLoading = false;
    m_internals->anyWebFrameLoadSucceeded = false;
    m_internals->hasWrittenDocument = false;
    m_internals->preparedWriteBack.reset();
    m_internals->lastWrittenMainFrameData.reset();
    m_internals->loadState->reset();
    m_internals->bodyPlaceholderTextNode.reset();
    m_internals->staleFrames.clear();
    ++m_internals->loadGeneration;
    m_internals->regenerationWriter.reset();
    m_internals->htmlUpdateTimer.invalidate();
    if (m_internals->targetRange)
        m_internals->targetRange->detach();
    m_internals->targetRange.reset();
    m_internals->focusedWebFrame.reset();
    if (auto mainFrame = this->mainFrame())
        vornick_setBodyElementStyleChangesToApplyWhenWriting(*mainFrame, std::nullopt);
    m_internals->webView->setEditable(false);
}

// --- Frame-load delegate

void VornickContentEditingView::didStartProvisionalLoadForFrame(WebView&, WebFrame& frame)
{
    auto& dataSource = frame.provisionalDataSource();
    VornickGeneralLog("-[{} {}{}] name={} request={} dataSource={}", describe(*this), "webView:didStartProvisionalLoadForFrame:",
                      frameDescription(frame), toUTF8(frame.name()),
                      dataSource ? toUTF8(dataSource->request().url().absoluteString()) : std::string(),
                      static_cast<const void*>(dataSource.get()));
    m_internals->webFramesBeingLoaded.insert(&frame);
    VornickGeneralLog("{} WebFrames are now loading for {}", m_internals->webFramesBeingLoaded.size(), describe(*this));
}

void VornickContentEditingView::removeLastFrame(WebFrame& frame, const Error& error, bool provisional)
{
    // Nothing of a failed load is repaired.
    m_internals->loadState->dropCheck(frame);
    VornickGeneralLog("-[{}({}) {}{}] error={}", describe(*this), static_cast<const void*>(this),
                      provisional ? "webView:didFailProvisionalLoadWithError:forFrame:" : "webView:didFailLoadWithError:forFrame:",
                      frameDescription(frame), toUTF8(error.localizedDescription()));
    m_internals->webFramesBeingLoaded.erase(&frame);
    VornickGeneralLog("{} WebFrames remain to be loaded for {}", m_internals->webFramesBeingLoaded.size(), describe(*this));
    if (!m_internals->webFramesBeingLoaded.empty())
        return;
    if (provisional)
        VornickGeneralLog("Done loading all frames!");
    m_internals->loadingState = m_internals->anyWebFrameLoadSucceeded ? VornickContentLoadingState::PartlyFailed : VornickContentLoadingState::Failed;
    m_internals->loadError = error;
    postEndLoading();
}

void VornickContentEditingView::didFailProvisionalLoadWithError(WebView&, const Error& error, WebFrame& frame)
{
    removeLastFrame(frame, error, true);
}

void VornickContentEditingView::didFailLoadWithError(WebView&, const Error& error, WebFrame& frame)
{
    removeLastFrame(frame, error, false);
}

void VornickContentEditingView::didCommitLoadForFrame(WebView&, WebFrame& frame)
{
    VornickGeneralLog("-[{} {}{}]", describe(*this), "webView:didCommitLoadForFrame:", frameDescription(frame));
}

void VornickContentEditingView::didReceiveTitle(WebView&, const std::u16string& title, WebFrame& frame)
{
    VornickGeneralLog("-[{} {}{}] title={}", describe(*this), "webView:didReceiveTitle:forFrame:", frameDescription(frame),
                      toUTF8(title));
}

void VornickContentEditingView::didFinishLoadForFrame(WebView&, WebFrame& frame)
{
    runLoadEpilogueForFrame(frame);
}

void VornickContentEditingView::runLoadEpilogueForFrame(WebFrame& frame)
{
    VornickGeneralLog("-[{} {}{}]", describe(*this), "webView:didFinishLoadForFrame:", frameDescription(frame));
    // Tidy may still be checking the frame's file: its verdict is awaited
    // when loading ends (acceptChecksOrLoadRepairedCopy), so that the work
    // of loading that does not depend on it runs meanwhile.
    auto& document = frame.domDocument();
    if ((document && document->body()) || frame.parentFrame())
        m_internals->anyWebFrameLoadSucceeded = true;

    if (document) {
        auto spec = vornick_htmlSpecForDocType(*document);
        vornick_setHTMLSpec(frame, spec);
        // The view's helper answers for the main frame's document.
        if (!frame.parentFrame() && m_internals->blockModeHelper)
            m_internals->blockModeHelper->setHtmlSpec(spec);
    }

    auto& dataSource = frame.dataSource();
    if (document && dataSource && dataSource->documentSource()) {
        vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(frame, false);
        vornick_setDOMToNSRangeMapForLastGeneratedHTMLString(frame, nullptr);
        vornick_setLineIndexForLastGeneratedHTMLString(frame, nullptr);
        vornick_setLastGeneratedHTMLAttributedString(frame, nullptr);
        // One shared string serves the data source, the frame and the line
        // index; the painter keeps its own.
        auto sharedSource = dataSource->sharedDocumentSource();
        // The source shown is the author's: the base element of a repaired
        // copy is no part of it.
        if (auto inserted = m_internals->loadState->insertedBaseElementFor(frame)) {
            if (auto original = originalURLOfWebFrame(frame)) {
                auto text = VornickHTMLFilePatcher::baseElementText(*original);
                if (auto at = sharedSource->find(text); at != std::u16string::npos) {
                    std::u16string source = *sharedSource;
                    source.erase(at, text.size());
                    sharedSource = std::make_shared<const std::u16string>(std::move(source));
                }
            }
        }
        vornick_adoptLastGeneratedHTMLString(frame, sharedSource);
        vornick_setLastGeneratedHTMLStringIsOriginalSourceData(frame, true);

        auto weak = weakSelf();
        auto sharedFrame = frame.shared_from_this();
        std::weak_ptr<WebFrame> weakFrame = sharedFrame;
        uint64_t generation = m_internals->loadGeneration;
        m_internals->pendingSourceJobs[&frame] = m_internals->paintsLoadedSource ? 2 : 1;
        // Whitespace-only text is left out of the map, as the writer's map
        // of a regenerated source leaves it out: a place in the source finds
        // the same node before and after the first edit.
        // A view whose source is never shown leaves it unpainted and
        // without a map: its source is up to date once indexed.
        if (m_internals->paintsLoadedSource) {
            VornickHTMLStringSyntaxPainterAndMapper::paintAndMapHTMLString(
                *sharedSource, document.get(), VornickHTMLSyntaxColoringPreferences::sourceLoupeDarkHTMLSyntaxHighlightingPreferences(), true,
                [weak, weakFrame, generation](std::shared_ptr<const AttributedString> attributed,
                                              std::shared_ptr<const VornickDOMToNSRangeMap> map) {
                    auto self = std::static_pointer_cast<VornickContentEditingView>(weak.lock());
                    auto frame = weakFrame.lock();
                    if (!self || !frame || generation != self->m_internals->loadGeneration)
                        return;
                    if (vornick_lastGeneratedHTMLStringIsOriginalSourceData(*frame)) {
                        // Nobody else holds the painted source: the frame takes it as it is.
                        vornick_adoptLastGeneratedHTMLAttributedString(*frame, std::move(attributed));
                        vornick_setDOMToNSRangeMapForLastGeneratedHTMLString(*frame, std::move(map));
                    }
                    self->markFrameSourceUpToDateIfComplete(*frame);
                },
                OperationQueue::main());
        }
        performAfterDelay(0, [weakFrame, generation, sharedSource](VornickContentEditingView& view) {
            auto frame = weakFrame.lock();
            if (!frame || generation != view.m_internals->loadGeneration)
                return;
            if (vornick_lastGeneratedHTMLStringIsOriginalSourceData(*frame))
                vornick_setLineIndexForLastGeneratedHTMLString(*frame, VornickLineIndex::createByIndexingString(sharedSource, 1, 1, 8));
            view.markFrameSourceUpToDateIfComplete(*frame);
        });
    }

    m_internals->loadState->noteDocumentFileOfFrame(frame);
    if (document) {
        loadSnippetSetOfFrame(frame);
        if (auto string = vornick_HTMLFormattingPreferencesString(*document)) {
            if (auto preferences = VornickHTMLFormattingPreferences::createWithStringRepresentation(*string))
                vornick_storeHTMLFormattingPreferencesOfLoadedDocument(
                    frame, std::make_shared<VornickHTMLFormattingPreferences>(std::move(*preferences)));
        }
    }

    m_internals->webFramesBeingLoaded.erase(&frame);
    VornickGeneralLog("{} WebFrames remain to be loaded for {}", m_internals->webFramesBeingLoaded.size(), describe(*this));
    if (!m_internals->webFramesBeingLoaded.empty())
        return;
    finishLoadingAfterAllFrames();
}

void VornickContentEditingView::markFrameSourceUpToDateIfComplete(WebFrame& frame)
{
    auto found = m_internals->pendingSourceJobs.find(&frame);
    if (found == m_internals->pendingSourceJobs.end())
        return;
    if (--found->second > 0)
        return;
    m_internals->pendingSourceJobs.erase(found);
    if (vornick_lastGeneratedHTMLStringIsOriginalSourceData(frame))
        vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(frame, true);
}

void VornickContentEditingView::loadSnippetSetOfFrame(WebFrame& frame)
{
    auto& document = *frame.domDocument();
    auto relative = vornick_fragmentSetRelativeURLString(document);
    if (!relative)
        return;
    auto url = vornick_resolveResourceFileReference(document, *relative);
    if (!url)
        return;
    const auto& loaders = VornickCurrentFragmentSetLoaders();
    std::shared_ptr<VornickFragmentSet> set;
    std::shared_ptr<VornickEnduringFileReference> reference;
    auto documentURL = vornick_URL(document);
    if (m_internals->fileEntitlementDelegate && documentURL)
        reference = m_internals->fileEntitlementDelegate->requestFileReferenceForAccessToResourceURL(*this, *url, *documentURL);
    if (reference) {
        if (loaders.fromEnduringFileReference)
            set = loaders.fromEnduringFileReference(*reference);
    } else {
        auto delegate = VornickApplicationDelegate::shared();
        if (delegate && delegate->acquireReadPermissionsForURL(*url, this)) {
            if (loaders.withContentsOfURL)
                set = loaders.withContentsOfURL(*url);
        } else {
            auto attempt = VornickResourceLoadAttempt::createForLoadedResourceURL(*url, frame.shared_from_this());
            attempt->setState(VornickResourceLoadState::FailedForLackOfFileAccess);
            Error error(VornickErrorDomain, VornickSnippetSetNotReadableError, u"The document's snippet set could not be read.");
            error.userInfo()[u"Failed URL"] = Value(url->absoluteString());
            attempt->setError(error);
            m_internals->failedResourceLoadAttempts.push_back(attempt);
        }
    }
    if (!set)
        return;
    vornick_storeUserFragmentSetOfLoadedDocument(frame, set);
    auto type = VornickEditingDocumentTypeOfDocument(document);
    if (type != VornickHTMLDocumentType::Unknown)
        set->requestValidationForDocumentType(type);
}

void VornickContentEditingView::finishLoadingAfterAllFrames()
{
    if (!m_internals->anyWebFrameLoadSucceeded)
        m_internals->loadingState = VornickContentLoadingState::Failed;
    else
        m_internals->loadingState = m_internals->failedResourceLoadAttempts.empty() ? VornickContentLoadingState::Succeeded : VornickContentLoadingState::PartlyFailed;
    applyBodyStyleGuardAndMakeEditable();
    enableNonBreakingSpaceSubstitutionThenPostEndLoading();
}

void VornickContentEditingView::applyBodyStyleGuardAndMakeEditable()
{
    std::vector<std::pair<std::shared_ptr<WebFrame>, Dictionary>> recorded;
    if (auto mainFrame = this->mainFrame()) {
        vornick_enumerateWebFrameTreeWithOptions(mainFrame, 0, [&recorded](const std::shared_ptr<WebFrame>& frame, bool&) {
            auto& document = frame->domDocument();
            auto body = document ? document->body() : nullptr;
            if (!body || !body->hasAttribute(u"style") || vornick_bodyElementStyleChangesToApplyWhenWriting(*frame))
                return;
            recorded.emplace_back(frame, styleDictionary(*body));
        });
    }
    if (m_internals->editable)
        m_internals->webView->setEditable(true);
    for (auto& [frame, before] : recorded) {
        auto body = frame->domDocument()->body();
        if (!body)
            continue;
        vornick_setBodyElementStyleChangesToApplyWhenWriting(*frame, vornick_changesSince(styleDictionary(*body), before));
    }
}

void VornickContentEditingView::enableNonBreakingSpaceSubstitutionThenPostEndLoading()
{
    bool allEnabled = true;
    if (auto mainFrame = this->mainFrame()) {
        vornick_enumerateWebFrameTreeWithOptions(mainFrame, 0, [&allEnabled](const std::shared_ptr<WebFrame>& frame, bool&) {
            auto& document = frame->domDocument();
            if (document && document->body() && !vornick_tryToEnableNonBreakingSpaceSubstitution(*frame))
                allEnabled = false;
        });
    }
    auto window = this->window();
    if (allEnabled || !window) {
        if (!allEnabled)
            VornickGeneralLog("-[{} {}] every non-breaking space stand-in is in use", describe(*this), "webView:didFinishLoadForFrame:");
        postEndLoading();
        return;
    }
    auto alert = Alert::create();
    alert->setMessageText(u"Can't Show Non-Breaking Spaces");
    alert->addButtonWithTitle(u"OK");
    alert->setInformativeText(toUTF16(fmt::format(
        "All of Brevanton's favorite stand-in characters for non-breaking spaces ({}) are already in use in this document. You "
        "can edit the document as usual, but non-breaking spaces won't be shown as visible characters.",
        toUTF8(vornick_charactersAsUnicodeHexCodesSeparatedByString(VornickNonBreakingSpaceSubstituteCandidates, u", ")))));
    auto weak = weakSelf();
    alert->beginSheetModalForWindow(window, [weak](ModalResponse) {
        if (auto self = std::static_pointer_cast<VornickContentEditingView>(weak.lock()))
            self->postEndLoading();
    });
}

// --- End of loading

bool VornickContentEditingView::acceptChecksOrLoadRepairedCopy()
{
    auto mainFrame = this->mainFrame();
    if (!mainFrame || !m_internals->loadState->hasCheck(*mainFrame))
        return true;
    // What saving the page as loaded would write is written meanwhile.
    if (m_internals->preparesWriteBack)
        prepareWriteBackOfMainFrame();
    // Whether tidy's verdict is waited for is decided from the page alone,
    // never by the clock: the same page loads the same way on any machine.
    if (auto document = mainFrame->domDocument()) {
        if (auto beyond = VornickTidyCheckBeyondBudget(*document)) {
            VornickGeneralLog("-[{} {}] tidy's check is not waited for: {}; the page is not validated", describe(*this),
                              "webView:didFinishLoadForFrame:", *beyond);
            m_internals->loadState->dropCheck(*mainFrame);
            vornick_setValidationAdvisoriesForStructuralRepairPass(*mainFrame, VornickValidationAdvisories {});
            vornick_setValidationStatus(*mainFrame, VornickFrameValidationStatus::BeyondBudget);
            return true;
        }
    }
    auto [check, text] = m_internals->loadState->finishCheck(*mainFrame);
    if (check && check->stopped) {
        // Tidy did not end by itself (its timeout stopped a run that hung):
        // the page stays as it loaded, unrepaired and not validated until
        // validation is asked for again.
        VornickGeneralLog("-[{} {}] tidy's check did not finish; the page is not validated", describe(*this),
                          "webView:didFinishLoadForFrame:");
        vornick_setValidationAdvisoriesForStructuralRepairPass(*mainFrame, VornickValidationAdvisories {});
        vornick_setValidationStatus(*mainFrame, VornickFrameValidationStatus::NotFinished);
        m_internals->loadState->dropRepair(*mainFrame);
        return true;
    }
    if (!check || !text || acceptCheckUnlessStructural(*mainFrame, check, *m_internals->tidyFilter, *text)) {
        m_internals->loadState->dropRepair(*mainFrame);
        return true;
    }
    // The page was loaded while tidy checked its file and is broken. Unless
    // the file loads as it is, the check is the validation of its text.
    m_internals->tidyFilter->rememberValidationRun(std::move(check));
    auto original = originalURLOfWebFrame(*mainFrame);
    if (!original) {
        m_internals->loadState->dropRepair(*mainFrame);
        return true;
    }
    // What the repaired copy is compared with is read from the page the
    // parser built, loaded with nothing edited yet, while tidy still repairs
    // it; a page that did not parse (XML) is the text as the parser reads it.
    auto syntax = text->syntax();
    auto document = mainFrame->domDocument();
    auto content = document ? VornickComparedContentOf(*document, vornick_nonBreakingSpaceSubstituteCharacter(*mainFrame))
                            : VornickComparedContentOfText(text->decoded(), syntax);
    auto repair = m_internals->loadState->takeRepair(*mainFrame);
    auto removeCopy = [&repair] {
        if (repair && repair->copy)
            (void)removeItem(*repair->copy->fileSystemPath());
    };
    if (!repair || !repair->copy || !repair->succeeded) {
        removeCopy();
        return true;
    }
    vornick_setValidationAdvisoriesForStructuralRepairPass(*mainFrame, repair->advisories);
    if (std::none_of(repair->advisories.begin(), repair->advisories.end(), [](const auto& advisory) { return advisory.isStructuralIssue(); })) {
        removeCopy();
        return true;
    }
    // The page as the parser built it stays, loaded once, unless the repair
    // loses nothing of it; tidy's advisories stay either way. Shown as
    // written, it has the level its validation finds.
    if (auto loss = VornickRepairedCopyLoss(content.get(), syntax, *repair->copy->fileSystemPath())) {
        VornickGeneralLog("-[{} {}] the repaired copy is not loaded: {}", describe(*this), "webView:didFinishLoadForFrame:", *loss);
        vornick_setRefusedRepairLoss(*mainFrame, std::move(*loss));
        removeCopy();
        return true;
    }
    vornick_setValidationStatus(*mainFrame, VornickFrameValidationStatus::Errors);
    // The repaired copy keeps everything: the page is loaded again from it
    // before loading ends.
    m_internals->preparedWriteBack.reset();
    VornickGeneralLog("-[{} {}] structural problems found; loading a repaired copy", describe(*this), "webView:didFinishLoadForFrame:");
    repair->keepsEverything = true;
    m_internals->loadState->noteFileToRepair(*original, std::move(*repair));
    m_internals->loadingState = VornickContentLoadingState::InProgress;
    uint64_t generation = m_internals->loadGeneration;
    performAfterDelay(0, [original = *original, generation](VornickContentEditingView& view) {
        if (generation == view.m_internals->loadGeneration)
            view.beginLoadingContentFromURL(original);
    });
    return false;
}

void VornickContentEditingView::postEndLoading()
{
    if (m_internals->postedEndLoading)
        return;
    if (!acceptChecksOrLoadRepairedCopy())
        return;
    m_internals->postedEndLoading = true;

    if (m_internals->sectionHandlesShown)
        Internals::applySectionHandlesToAllFrames(*this, true);
    // The frames' own scrolling views exist now.
    m_internals->webView->vornick_latchOntoClipViewsInSubtree(*m_internals->webView);

    // Validation starts with the end of loading, so that the status never
    // waits for a first selection to leave "Validating...".
    if (auto mainFrame = this->mainFrame(); mainFrame && mainFrame->domDocument()) {
        if (m_internals->focusedWebFrame != mainFrame && !m_internals->focusedWebFrame)
            Internals::focusWebFrame(*this, mainFrame);
        else
            postLastGeneratedHTMLForFocusedWebFrameDidChange();
    }

    postEndLoadingToDelegateWithResult(m_internals->loadingState, m_internals->failedResourceLoadAttempts);
    NotificationCenter::defaultCenter().post(VornickContentEditingViewDidEndLoadingNotification, this);

    bool waitsForGrant = false;
    for (const auto& attempt : m_internals->failedResourceLoadAttempts)
        waitsForGrant = waitsForGrant || attempt->state() == VornickResourceLoadState::FailedForLackOfFileAccess;
    setLoadingContent(waitsForGrant);

    auto blocks = std::move(m_internals->loadCompletionBlocks);
    m_internals->loadCompletionBlocks.clear();
    for (auto& block : blocks)
        performAfterDelay(0, [block = std::move(block)](VornickContentEditingView&) { block(); });
}

void VornickContentEditingView::postEndLoadingToDelegateWithResult(VornickContentLoadingState result,
                                                                   const VornickResourceLoadAttempts& failed)
{
    if (m_internals->delegate)
        m_internals->delegate->vornickContentEditingViewEndLoading(*this, result, failed);
}

// --- Resource-load delegate

std::shared_ptr<VornickResourceLoadAttempt> VornickContentEditingView::attemptForIdentifier(const WebResourceIdentifier& identifier) const
{
    for (const auto& attempt : m_internals->resourcesBeingLoaded) {
        if (attempt.get() == identifier.get())
            return attempt;
    }
    return nullptr;
}

void VornickContentEditingView::eraseResourceBeingLoaded(const std::shared_ptr<VornickResourceLoadAttempt>& attempt)
{
    // Loads mostly end in the order they started: the one ending is found
    // near the front, not after a scan of all (a page may load thousands).
    auto& loading = m_internals->resourcesBeingLoaded;
    if (auto found = std::find(loading.begin(), loading.end(), attempt); found != loading.end())
        loading.erase(found);
}

WebResourceIdentifier VornickContentEditingView::identifierForInitialRequest(WebView&, const URLRequest& request,
                                                                             WebDataSource& dataSource)
{
    std::shared_ptr<WebResource> cached;
    if (m_internals->webResourceCache) {
        cached = m_internals->webResourceCache->cachedWebResourceForURL(request.url());
        if (cached)
            dataSource.addSubresource(cached);
    }
    if (auto delegate = VornickApplicationDelegate::shared())
        (void)delegate->acquireReadPermissionsForURL(request.url(), this);
    auto attempt = VornickResourceLoadAttempt::create(request, sharedDataSource(dataSource), cached);
    m_internals->resourcesBeingLoaded.push_back(attempt);
    Internals::addWatcherForResourceFile(*this, attempt, request.url());
    return attempt;
}

std::optional<URLRequest> VornickContentEditingView::willSendRequest(WebView&, const WebResourceIdentifier&, const URLRequest& request,
                                                                     const URLResponse*, WebDataSource& dataSource)
{
    const URL& url = request.url();
    if (!isFileScheme(url))
        return request;
    auto path = url.fileSystemPath();
    auto frame = dataSource.webFrame();
    if (!path || !frame)
        return request;
    auto type = typeIdentifierForFilenameExtension(url.pathExtension());
    if (!typeIdentifierConformsTo(type, u"public.html") && !typeIdentifierConformsTo(type, u"public.xml"))
        return request;
    // Only a frame's own document is repaired: a page that shows the file in
    // a frame loads it as the frame's main resource.
    if (frame->provisionalDataSource().get() != &dataSource)
        return request;

    // The check is the validation of the text the page will show: when it
    // finds nothing structural, the file loads as it is and the check's run
    // stands for the validation asked for when loading ends. Tidy's repair
    // is used only for a file the check finds broken; the check's own run
    // writes it when tidy reads the file's bytes as they are, else it runs
    // beside the check. Either way they run while the page loads; the end
    // of loading waits for the check, stops the repair of a sound page, and
    // loads a broken page again from the repaired copy.
    auto extension = url.pathExtension();
    std::optional<VornickContentEditingViewLoadState::Repair> repairBeside;
    bool checked = m_internals->loadState->takeFileToRepair(url, &repairBeside);
    if (!checked && !frame->parentFrame()) {
        // The bytes the host read already, which the page loads too, are
        // not read again; else the file is read in the background. Tidy's
        // check and repair start on its text unless its host started them.
        auto provided = m_internals->webView->providedLoadedDocument(*path);
        auto textAhead = std::async(std::launch::async, [path = *path, provided] {
            auto text = textForTidy(path, provided);
            if (text && !text->check().valid()) {
                VornickStartTidyValidationAhead(*text);
                VornickStartTidyRepairAhead(*text);
            }
            return text;
        }).share();
        VornickContentEditingViewLoadState::RepairRun repair = [textAhead](std::stop_token stop) {
            VornickContentEditingViewLoadState::Repair made;
            auto text = textAhead.get();
            if (auto ahead = text ? VornickTakeTidyRepairAhead(*text, stop) : std::nullopt) {
                made.copy = std::move(ahead->copy);
                made.succeeded = ahead->succeeded;
                made.result = ahead->result;
                made.advisories = std::move(ahead->advisories);
            }
            return made;
        };
        m_internals->loadState->startCheck(*frame, [textAhead](std::stop_token stop) -> VornickContentEditingViewLoadState::Verdict {
            // Tidy starts as soon as the text is known; whether its run
            // stands for the page is asked while it runs, and a run that
            // does not is dropped.
            auto text = textAhead.get();
            if (!text)
                return {};
            auto agreement = std::async(std::launch::async, [&text] { return tidyReadsAsThePageDoes(*text); });
            // The run its host started ahead on the same text, or one made now.
            auto run = VornickTidyValidationAheadOf(*text, stop);
            if (!run)
                run = VornickTidyFilter::runValidation(text->decoded().utf8, std::move(stop));
            if (!agreement.get() && !run->stopped)
                return {};
            return { std::move(run), std::move(text) };
        }, std::move(repair));
        return request;
    }
    auto removeCopyOf = [](const std::optional<VornickContentEditingViewLoadState::Repair>& repair) {
        if (repair && repair->copy)
            (void)removeItem(*repair->copy->fileSystemPath());
    };
    // A copy found to keep everything was compared with the text the check
    // found tidy to read as the page does.
    bool keepsEverything = repairBeside && repairBeside->keepsEverything;
    auto text = keepsEverything ? nullptr : textTidyReadsAsThePageDoes(*path);
    if (!text && !keepsEverything) {
        removeCopyOf(repairBeside);
        return request;
    }
    if (!checked) {
        // A frame's file is checked before its load, by the same rule.
        if (auto beyond = VornickTidyCheckBeyondBudget(text->decoded(), text->syntax())) {
            VornickGeneralLog("-[{} {}] tidy's check is not made: {}; the page is not validated", describe(*this),
                              "webView:willSendRequest:", *beyond);
            vornick_setValidationStatus(*frame, VornickFrameValidationStatus::BeyondBudget);
            return request;
        }
        if (acceptCheckUnlessStructural(*frame, VornickTidyFilter::runValidation(text->decoded().utf8), *m_internals->tidyFilter, *text))
            return request;
    }

    if (!repairBeside) {
        // No repair was made beside a check: it is made now, in the
        // encoding the file's text as read declares.
        auto copy = vornick_temporaryFileURLWithPathExtension(extension.empty() ? u"html" : extension);
        if (!copy)
            return request;
        repairBeside.emplace();
        repairBeside->copy = copy;
        Error error;
        repairBeside->succeeded = VornickTidyFilter::fixStructuralIssuesInHTMLFileAtURL(url, *copy, &repairBeside->result,
                                                                                        &repairBeside->advisories, &error, {},
                                                                                        text->bytes());
    }
    if (!repairBeside->copy || !repairBeside->succeeded) {
        removeCopyOf(repairBeside);
        return request;
    }
    auto temporaryURL = repairBeside->copy;
    auto& advisories = repairBeside->advisories;
    vornick_setValidationAdvisoriesForStructuralRepairPass(*frame, advisories);
    if (std::any_of(advisories.begin(), advisories.end(), [](const auto& advisory) { return advisory.isStructuralIssue(); })) {
        // The page as the parser builds it stays unless the repair loses
        // nothing of it; tidy's advisories stay either way.
        auto syntax = DOMDocument::isXMLPath(toUTF16(*path)) ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
        auto loss = keepsEverything ? std::nullopt : VornickRepairedCopyLoss(text->decoded(), syntax, *temporaryURL->fileSystemPath());
        VornickHTMLFilePatcher patcher;
        bool alreadyHadABaseElement = false;
        if (loss) {
            VornickGeneralLog("-[{} {}] the repaired copy is not loaded: {}", describe(*this), "webView:willSendRequest:", *loss);
            vornick_setRefusedRepairLoss(*frame, std::move(*loss));
        } else if (patcher.setBaseURL(url, *temporaryURL, &alreadyHadABaseElement, nullptr)) {
            vornick_setValidationStatus(*frame, VornickFrameValidationStatus::Errors);
            // Only a base element put there here is the editor's to leave out
            // when writing; the author's own base stays.
            bool inserted = !alreadyHadABaseElement && patcher.rangeToReplace().location != VornickNotFound;
            vornick_setHasVornickInsertedBaseElement(*frame, inserted);
            m_internals->loadState->noteRepairedCopy(*frame, *temporaryURL, inserted);
            vornick_setLoadedFromRepairedCopy(*frame, true);
            URLRequest repaired = request;
            repaired.setURL(*temporaryURL);
            return repaired;
        }
    }
    (void)removeItem(*temporaryURL->fileSystemPath());
    return request;
}

void VornickContentEditingView::didFinishLoadingFromDataSource(WebView&, const WebResourceIdentifier& identifier,
                                                               WebDataSource& dataSource)
{
    auto attempt = attemptForIdentifier(identifier);
    if (!attempt)
        return;
    attempt->setState(VornickResourceLoadState::Loaded);
    if (!attempt->cachedWebResource() && m_internals->webResourceCache) {
        if (auto resource = dataSource.subresourceForURL(attempt->url()))
            m_internals->webResourceCache->storeCachedWebResource(*resource);
    }
    NotificationCenter::defaultCenter().post(VornickResourceLoadAttemptSucceededNotification, attempt.get());
    eraseResourceBeingLoaded(attempt);
    // One update follows a burst of loads (a page of thousands of frames
    // finishes thousands of resources at once), not one per resource.
    if (!m_internals->selectionIndicatorUpdateScheduled) {
        m_internals->selectionIndicatorUpdateScheduled = true;
        performAfterDelay(0.25, [](VornickContentEditingView& view) {
            view.m_internals->selectionIndicatorUpdateScheduled = false;
            Internals::updateSelectionIndicator(view);
        });
    }
}

void VornickContentEditingView::didFailLoadingWithError(WebView&, const WebResourceIdentifier& identifier, const Error& error,
                                                        WebDataSource&)
{
    auto attempt = attemptForIdentifier(identifier);
    if (!attempt)
        return;
    bool noAccess = isFileScheme(attempt->url())
        && error.domain() == POSIXErrorDomain && error.code() == EPERM;
    attempt->setState(noAccess ? VornickResourceLoadState::FailedForLackOfFileAccess : VornickResourceLoadState::FailedForAnotherReason);
    attempt->setError(error);
    NotificationCenter::defaultCenter().post(VornickResourceLoadAttemptFailedNotification, attempt.get());
    eraseResourceBeingLoaded(attempt);
    m_internals->failedResourceLoadAttempts.push_back(attempt);
    if (!m_internals->loadingContent && m_internals->delegate)
        m_internals->delegate->vornickContentEditingViewFailedResourceLoadAttemptsOutsidePageLoad(*this, { attempt });
}

// --- Policy delegate

void VornickContentEditingView::decidePolicyForNavigationAction(WebView&, const WebNavigationAction& action, const URLRequest& request,
                                                                WebFrame&, WebPolicyDecisionListener& listener)
{
    if (m_internals->probingForDOMRange) {
        listener.ignore();
        return;
    }
    if (action.navigationType == WebNavigationTypeLinkClicked) {
        listener.ignore();
        if (!m_internals->delegate || !m_internals->delegate->respondsToUserClickedLinkElement())
            return;
        std::shared_ptr<DOMNode> node = action.elementNode;
        if (node && node->nodeType() != DOMNode::ELEMENT_NODE)
            node = node->parentNode();
        std::shared_ptr<DOMElement> link;
        for (; node; node = node->parentNode()) {
            if (node->nodeType() == DOMNode::ELEMENT_NODE
                && equalsIgnoringASCIICase(downcast<DOMElement>(*node).tagName(), u"A")) {
                link = downcast<DOMElement>(node);
                break;
            }
        }
        if (link && vornick_containsOnlyHTMLWhitespace(link->getAttribute(u"href")))
            return;
        m_internals->delegate->vornickContentEditingViewUserClickedLinkElement(*this, link, request.url(), action.modifierFlags);
        return;
    }
    if (action.navigationType == WebNavigationTypeOther) {
        listener.use();
        return;
    }
    if (m_internals->mainFrameURL && vornick_pointsToSameFileAsURL(request.url(), *m_internals->mainFrameURL) && !request.url().fragment())
        listener.use();
    else
        listener.ignore();
}

} // namespace brevanton
