// The change cycle: the epilogue every edit ends in, the 0.1 s regeneration
// of the focused frame's source, its validation, the operation-range and
// focused-frame notifications, the undoable title edit, and the references
// of inserted fragments.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickDOMPathBar.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "editing/commands/VornickUndoableTitleEdit.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickDOMToNSRangeMap.h"
#include "html/VornickHTMLWriter.h"
#include "html/VornickListContentAdvisories.h"
#include "html/VornickTidyFilter.h"
#include "html/VornickValidationAdvisory.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLineIndex.h"

#include <algorithm>
#include <utility>

namespace brevanton {

namespace {

// A repair that keeps reporting success without ending the errors must not
// run forever.
constexpr unsigned maximumBlockRepairPasses = 8;

// A check that could not run says so: the frame is not left waiting for a
// result that never comes.
VornickFrameValidationStatus frameValidationStatusForTidyResult(VornickTidyResultCode result)
{
    switch (result) {
    case VornickTidyResultCode::NoFindings: return VornickFrameValidationStatus::Valid;
    case VornickTidyResultCode::Warnings: return VornickFrameValidationStatus::Warnings;
    case VornickTidyResultCode::Errors: return VornickFrameValidationStatus::Errors;
    case VornickTidyResultCode::NotValidated: break;
    }
    return VornickFrameValidationStatus::CouldNotRun;
}

std::shared_ptr<WebFrame> frameOfRange(const WebFrame* mainFrame, const DOMRange& range)
{
    auto document = vornick_ownerDocument(range);
    if (!document || !mainFrame)
        return nullptr;
    return const_cast<WebFrame*>(mainFrame)->frameForDocument(*document);
}

} // namespace

// --- The content-change epilogue

void VornickContentEditingView::postVornickContentEditingViewDidChangeContentInWebFrame(
    const std::shared_ptr<WebFrame>& frame, const std::shared_ptr<VornickAttachmentPoint>& attachmentPoint)
{
    if (!attachmentPoint)
        contentWasEdited();
    auto& defaults = UserDefaults::standard();
    bool checkingDisabled = defaults.boolForKey(u"DisableWordPressBlockChecking");
    bool fixingDisabled = defaults.boolForKey(u"DisableWordPressBlockFixing");
    if (!checkingDisabled) {
        auto errors = validateContent();
        bool allUnclosedBlocks = !errors.empty();
        for (const auto& blockError : errors) {
            const Error& error = blockError.error();
            if (error.domain() != VornickErrorDomain || error.code() != VornickBlockUnclosedError)
                allUnclosedBlocks = false;
        }
        if (allUnclosedBlocks && !fixingDisabled && m_internals->editable && m_internals->blockModeHelper) {
            bool fixedAny = false;
            for (const auto& blockError : errors) {
                if (!m_internals->blockModeHelper->fixBlockError(blockError))
                    break;
                fixedAny = true;
            }
            // Check the repaired content once more, unless this pass fixed
            // nothing (the same errors would come back without end).
            if (fixedAny && m_internals->blockRepairDepth < maximumBlockRepairPasses) {
                ++m_internals->blockRepairDepth;
                postVornickContentEditingViewDidChangeContentInWebFrame(m_internals->focusedWebFrame, nullptr);
                --m_internals->blockRepairDepth;
            }
        }
    }

    if (frame && frame == m_internals->focusedWebFrame) {
        scheduleHTMLUpdateForFocusedWebFrame();
    } else if (frame) {
        vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame, false);
        m_internals->staleFrames.insert(frame.get());
    }

    Internals::displayPageChangesAtEndOfTurn(*this);

    if (m_internals->delegate)
        m_internals->delegate->vornickContentEditingViewDidChangeContent(*this, frame.get(), attachmentPoint.get());
    Notification notification { VornickContentEditingViewDidChangeContentNotification, this, {}, {} };
    if (frame)
        notification.userObjects["webFrame"] = frame;
    if (attachmentPoint)
        notification.userObjects["attachmentPointBeingInjected"] = attachmentPoint;
    NotificationCenter::defaultCenter().post(notification);
}

void VornickContentEditingView::Internals::displayPageChangesAtEndOfTurn(VornickContentEditingView& view)
{
    // The page shows a change at the next paint: its frames lay out what
    // changed and mark that area, whether or not the selection moved (a
    // backspace's caret moves with the deleted text, so the selection alone
    // does not tell). A turn's many edits (a Replace All) are laid out once.
    if (view.m_internals->pageDisplayObserver || !view.m_internals->webView)
        return;
    auto weak = view.weakSelf();
    view.m_internals->pageDisplayObserver = RunLoop::main().addEndOfTurnObserver([weak] {
        auto self = weak.lock();
        if (!self || !self->m_internals->pageDisplayObserver)
            return;
        RunLoop::main().removeEndOfTurnObserver(*std::exchange(self->m_internals->pageDisplayObserver, std::nullopt));
        if (self->m_internals->webView)
            self->m_internals->webView->layoutIfNeeded();
    });
}

std::vector<VornickBlockError> VornickContentEditingView::validateContent()
{
    return {};
}

// --- Regeneration

VornickHTMLWriter& VornickContentEditingView::Internals::regenerationWriterForWebFrame(VornickContentEditingView& view,
                                                                                       const WebFrame& frame)
{
    // The frame's writer as it is made now; it is kept only while what is
    // fixed at its making stays the same.
    auto fresh = view.htmlWriterForWebFrame(frame);
    auto& cached = view.m_internals->regenerationWriter;
    if (!cached || cached->frame != &frame || cached->loadGeneration != view.m_internals->loadGeneration
        || cached->substitute != fresh->nonBreakingSpaceSubstituteCharacter() || cached->newlineConvention != fresh->newlineConvention()) {
        cached = std::make_unique<RegenerationWriter>(RegenerationWriter {
            &frame, view.m_internals->loadGeneration, fresh->nonBreakingSpaceSubstituteCharacter(), fresh->newlineConvention(),
                                                                                                 std::move(fresh), {}, {}, {} });
        return *cached->writer;
    }
    VornickHTMLWriter& writer = *cached->writer;
    writer.setFormattingPreferences(fresh->formattingPreferences());
    writer.setBodyElementStyleChangesToApply(fresh->bodyElementStyleChangesToApply());
    writer.setCommentToFragmentDescriptionLookupBlock(fresh->commentToFragmentDescriptionLookupBlock());
    writer.setStringEncodingOverride(fresh->stringEncodingOverride());
    writer.setNodesToOmit(view.nodesToOmitWhenWriting(frame));
    return writer;
}

void VornickContentEditingView::scheduleHTMLUpdateForFocusedWebFrame()
{
    if (m_internals->focusedWebFrame) {
        vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*m_internals->focusedWebFrame, false);
        m_internals->staleFrames.insert(m_internals->focusedWebFrame.get());
    }
    auto weak = weakSelf();
    m_internals->htmlUpdateTimer = Timer::scheduledTimer(0.1, false, [weak](Timer&) {
        if (auto self = std::static_pointer_cast<VornickContentEditingView>(weak.lock()))
            Internals::htmlUpdateTimerFired(*self);
    });
}

void VornickContentEditingView::scheduleHTMLUpdateForFocusedWebFrameIfNeeded()
{
    if (!m_internals->focusedWebFrame)
        return;
    auto undo = undoManager();
    if (m_internals->hasWrittenDocument || (undo && undo->canUndo()))
        scheduleHTMLUpdateForFocusedWebFrame();
}

void VornickContentEditingView::Internals::htmlUpdateTimerFired(VornickContentEditingView& view)
{
    view.m_internals->htmlUpdateTimer.invalidate();
    if (view.m_internals->focusedWebFrame)
        Internals::regenerateWebFrame(view, view.m_internals->focusedWebFrame);
}

void VornickContentEditingView::Internals::regenerateWebFrame(VornickContentEditingView& view, const std::shared_ptr<WebFrame>& frame)
{
    auto document = frame->domDocument();
    if (!document)
        return;
    auto& writer = Internals::regenerationWriterForWebFrame(view, *frame);
    auto& regeneration = *view.m_internals->regenerationWriter;
    writer.setDocumentURLForAbsoluteURLResolution(std::nullopt);
    view.m_internals->lastRegenerationWasSpliced = Internals::spliceChangedTextIntoSourceOfWebFrame(view, *frame, *document, writer);
    if (!view.m_internals->lastRegenerationWasSpliced) {
        bool written = false;
        writer.writeAttributedStringFromDocument(
            *document, false,
            [&](std::shared_ptr<const AttributedString> attributed, std::shared_ptr<const VornickDOMToNSRangeMap> map) {
                if (!attributed || !map)
                    return;
                // The writer's map is made for the caller and not kept by it.
                regeneration.source = std::make_shared<AttributedString>(*attributed);
                regeneration.map = std::const_pointer_cast<VornickDOMToNSRangeMap>(std::move(map));
                Internals::storeRegeneratedSourceOfWebFrame(view,
                    *frame, VornickLineIndex::createByIndexingString(regeneration.source->string(), 1, 1, 8));
                written = true;
            });
        if (!written)
            return;
    }
    view.m_internals->staleFrames.erase(frame.get());
    if (frame == view.m_internals->focusedWebFrame)
        view.postLastGeneratedHTMLForFocusedWebFrameDidChange();
}

bool VornickContentEditingView::Internals::spliceChangedTextIntoSourceOfWebFrame(VornickContentEditingView& view, const WebFrame& frame,
                                                                                 DOMDocument& document,
                                                                     VornickHTMLWriter& writer)
{
    // Only into the source this writer gave last, while the frame still shows it.
    auto& regeneration = *view.m_internals->regenerationWriter;
    auto lineIndex = regeneration.lineIndex.lock();
    if (!regeneration.source || !regeneration.map || !lineIndex || vornick_lastGeneratedHTMLStringIsOriginalSourceData(frame)
        || vornick_lastGeneratedHTMLAttributedString(frame) != regeneration.source
        || vornick_DOMToNSRangeMapForLastGeneratedHTMLString(frame) != regeneration.map
        || vornick_lineIndexForLastGeneratedHTMLString(frame) != lineIndex)
        return false;
    // What anybody besides this writer and the frame holds is never changed
    // under them: it is copied first.
    auto source = regeneration.source.use_count() > 2 ? std::make_shared<AttributedString>(*regeneration.source) : regeneration.source;
    VornickTextSplices splices;
    if (!writer.rewriteAttributedStringFromDocumentAfterTextChanges(document, *source, splices))
        return false;
    regeneration.source = std::move(source);
    if (regeneration.map.use_count() > 2)
        regeneration.map = regeneration.map->mapByApplyingSplices(splices);
    else
        regeneration.map->applySplices(splices);
    auto text = std::make_shared<const std::u16string>(regeneration.source->string());
    Internals::storeRegeneratedSourceOfWebFrame(view, frame, VornickLineIndex::createByApplyingSplices(*lineIndex, std::move(text),
                                                splices));
    return true;
}

void VornickContentEditingView::Internals::storeRegeneratedSourceOfWebFrame(VornickContentEditingView& view, const WebFrame& frame,
                                                                            std::shared_ptr<const VornickLineIndex> lineIndex)
{
    auto& regeneration = *view.m_internals->regenerationWriter;
    vornick_adoptLastGeneratedHTMLAttributedString(frame, regeneration.source);
    vornick_setLastGeneratedHTMLStringIsOriginalSourceData(frame, false);
    vornick_setLineIndexForLastGeneratedHTMLString(frame, lineIndex);
    vornick_setDOMToNSRangeMapForLastGeneratedHTMLString(frame, regeneration.map);
    vornick_setLastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(frame, true);
    regeneration.lineIndex = std::move(lineIndex);
}

// --- Validation

void VornickContentEditingView::postLastGeneratedHTMLForFocusedWebFrameDidChange()
{
    // The file's own source, which the load left not validated, is not
    // validated again unless asked for (tickleRevalidationOfFocusedWebFrame).
    bool checkDidNotFinish = m_internals->focusedWebFrame
        && vornick_isValidationLeftUndone(vornick_validationStatus(*m_internals->focusedWebFrame))
        && vornick_lastGeneratedHTMLStringIsOriginalSourceData(*m_internals->focusedWebFrame);
    if (checkDidNotFinish)
        performAfterDelay(0, [](VornickContentEditingView& view) { view.postValidationResultsForFocusedWebFrameDidChange(); });
    else if (m_internals->focusedWebFrame) {
        if (auto source = vornick_sharedLastGeneratedHTMLString(*m_internals->focusedWebFrame)) {
            auto weak = weakSelf();
            std::weak_ptr<WebFrame> weakFrame = m_internals->focusedWebFrame;
            // The frame outlives its page: a validation that ends after
            // another page loaded into it says nothing of that page.
            uint64_t generation = m_internals->loadGeneration;
            auto finished = [weak, weakFrame, generation](const std::u16string& validated, VornickTidyResultCode status,
                                                          const std::vector<VornickValidationAdvisory>& advisories) {
                auto self = std::static_pointer_cast<VornickContentEditingView>(weak.lock());
                auto frame = weakFrame.lock();
                if (!self || !frame || generation != self->m_internals->loadGeneration)
                    return;
                // What tidy leaves unsaid about lists, while the frame's map
                // is still the one of the text validated.
                auto all = advisories;
                auto current = vornick_sharedLastGeneratedHTMLString(*frame);
                auto map = vornick_DOMToNSRangeMapForLastGeneratedHTMLString(*frame);
                bool tidySaidIt = std::any_of(advisories.begin(), advisories.end(),
                                              [](const auto& advisory) { return advisory.message() == u"missing <li>"; });
                if (current && *current == validated && map && frame->domDocument() && !tidySaidIt
                    && vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame)) {
                    auto lists = VornickListContentAdvisories(*frame->domDocument(), *map, *current);
                    if (!lists.empty() && status == VornickTidyResultCode::NoFindings)
                        status = VornickTidyResultCode::Warnings;
                    all.insert(all.end(), lists.begin(), lists.end());
                }
                Internals::validationFinished(*self, frame, status, all);
            };
            m_internals->tidyFilter->validateHTMLString(std::move(source), std::move(finished));
        }
    }
    NotificationCenter::defaultCenter().post(VornickContentEditingViewLastGeneratedHTMLForFocusedWebFrameDidChangeNotification, this);
}

void VornickContentEditingView::Internals::validationFinished(VornickContentEditingView& view, const std::shared_ptr<WebFrame>& frame,
                                                              VornickTidyResultCode status,
                                                   const std::vector<VornickValidationAdvisory>& advisories)
{
    if (vornick_attachmentPoints(*frame).empty()) {
        // Problems the repaired copy no longer shows stay reported until the
        // file is written: the summary never counts none for a broken file.
        // A page shown as written (its repair refused) still holds them, and
        // its own validation reports each of them once, at tidy's level.
        VornickValidationAdvisories unresolved;
        bool structural = false;
        auto repairs = vornick_isLoadedFromRepairedCopy(*frame) ? vornick_validationAdvisoriesForStructuralRepairPass(*frame) : std::nullopt;
        for (const auto& advisory : repairs.value_or(VornickValidationAdvisories {})) {
            if (!advisory.isStructuralIssue())
                continue;
            structural = true;
            unresolved.push_back(advisory);
        }
        unresolved.insert(unresolved.end(), advisories.begin(), advisories.end());
        vornick_setValidationAdvisoriesNotYetResolved(*frame, std::move(unresolved));
        vornick_setValidationStatus(*frame, structural ? VornickFrameValidationStatus::Errors : frameValidationStatusForTidyResult(status));
    } else {
        vornick_setValidationAdvisoriesForStructuralRepairPass(*frame, std::nullopt);
        VornickValidationAdvisories kept;
        for (const auto& advisory : advisories) {
            auto range = VornickResolveDOMRangeInWebFrame(advisory, *frame);
            if (range && vornick_enclosingAttachmentPoint(*range))
                kept.push_back(advisory);
        }
        vornick_setValidationStatus(*frame, kept.empty() ? VornickFrameValidationStatus::Valid : VornickFrameValidationStatus::Warnings);
        vornick_setValidationAdvisoriesNotYetResolved(*frame, std::move(kept));
    }
    view.postValidationResultsForFocusedWebFrameDidChange();
}

void VornickContentEditingView::postValidationResultsForFocusedWebFrameDidChange()
{
    if (Internals::pathBarShown(*this))
        m_internals->domPathBar->updateForValidationStatusChange();
    NotificationCenter::defaultCenter().post(VornickContentEditingViewValidationResultsForFocusedWebFrameDidChangeNotification, this);
}

// --- Operation range and focused frame

void VornickContentEditingView::postVornickContentEditingViewDidChangeEffectiveOperationRange()
{
    if (auto range = effectiveOperationRange()) {
        auto frame = frameOfRange(mainFrame().get(), *range);
        if (frame && frame != m_internals->focusedWebFrame)
            Internals::focusWebFrame(*this, frame);
    }
    if (m_internals->domPathBar)
        m_internals->domPathBar->updateForEffectiveOperationRangeChange();
    if (m_internals->delegate)
        m_internals->delegate->vornickContentEditingViewDidChangeEffectiveOperationRange(*this);
    NotificationCenter::defaultCenter().post(VornickContentEditingViewDidChangeEffectiveOperationRangeNotification, this);
}

void VornickContentEditingView::Internals::focusWebFrame(VornickContentEditingView& view, const std::shared_ptr<WebFrame>& frame)
{
    view.m_internals->focusedWebFrame = frame;
    if (view.m_internals->delegate)
        view.m_internals->delegate->vornickContentEditingViewDidChangeFocusedWebFrame(view);
    NotificationCenter::defaultCenter().post(VornickContentEditingViewDidChangeFocusedWebFrameNotification, &view);
    if (view.m_internals->headMetadataEditingUIController)
        view.m_internals->headMetadataEditingUIController->setFocusedWebFrame(frame);
    // A frame edited while it was not focused gets its source regenerated
    // now, rather than its stale source validated.
    if (view.m_internals->staleFrames.count(frame.get()))
        view.scheduleHTMLUpdateForFocusedWebFrame();
    else
        view.postLastGeneratedHTMLForFocusedWebFrameDidChange();
}

// --- The title

bool VornickContentEditingView::undoableSetTitle(bool registerUndo, const std::u16string& title, const std::shared_ptr<WebFrame>& frame)
{
    return VornickUndoableTitleEdit(editingContext(), registerUndo, title, frame).apply();
}

// --- References of inserted fragments

void VornickContentEditingView::Internals::rewireReferencesInFragment(VornickContentEditingView&, DOMDocumentFragment& fragment,
                                                                      DOMDocument& document)
{
    if (!vornick_isSavedInPermanentLocation(document))
        return;
    auto base = vornick_baseDirectoryURLForResourceFileResolution(document);
    if (!base)
        return;
    for (DOMNode* node = fragment.first(); node; node = node->next()) {
        if (node->nodeType() != DOMNode::ELEMENT_NODE)
            continue;
        (void)vornick_rewireReferencesRelativeToNewDocumentBaseURL(downcast<DOMElement>(*node), &*base, nullptr);
    }
}

std::optional<URL> VornickContentEditingView::cacheAndStageResourceFileIntoMediaLibrary(const URL& url)
{
    if (m_internals->delegate)
        return m_internals->delegate->vornickContentEditingViewFindReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(*this, url);
    return url;
}

bool VornickContentEditingView::Internals::cacheStageAndRewireResourceFileReferencesInFragment(VornickContentEditingView& view,
                                                                                               DOMDocumentFragment& fragment)
{
    std::vector<std::shared_ptr<DOMElement>> elements;
    std::vector<DOMNode*> stack;
    for (DOMNode* node = fragment.first(); node; node = node->next())
        stack.push_back(node);
    while (!stack.empty()) {
        DOMNode* node = stack.back();
        stack.pop_back();
        if (node->nodeType() != DOMNode::ELEMENT_NODE)
            continue;
        auto& element = downcast<DOMElement>(*node);
        if (equalsIgnoringASCIICase(element.tagName(), u"IMG") || equalsIgnoringASCIICase(element.tagName(), u"VIDEO"))
            elements.push_back(downcast<DOMElement>(element.shared_from_this()));
        for (DOMNode* child = node->first(); child; child = child->next())
            stack.push_back(child);
    }
    for (const auto& element : elements) {
        auto url = URL::create(element->getAttribute(u"src"));
        if (!url || !url->isFileURL())
            continue;
        // A file that could not be staged keeps its reference.
        auto staged = view.cacheAndStageResourceFileIntoMediaLibrary(*url);
        if (staged && !(*staged == *url))
            element->setAttribute(u"src", staged->absoluteString());
    }
    return true;
}

} // namespace brevanton
