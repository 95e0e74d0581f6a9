// "Insert or Wrap In": the completion popover over the selection. An empty
// insertion point is marked by a placeholder element while the popover is
// open; the offered elements and snippets are ranked against what may go at
// the target; the chosen one is applied as one undoable edit.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDOMPosition.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickDocumentType.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickAdjustedCompletionMatches.h"
#include "editing/VornickCompletionVerdictCache.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickFragmentCompletionUIController.h"
#include "editing/VornickSourceLoupe.h"
#include "html/VornickFragmentCompletionSet.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickFragmentSet.h"
#include "html/VornickGeneralFragmentDescription.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickHTMLElementSpec.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"

#include <algorithm>

namespace brevanton {

namespace {

constexpr std::u16string_view placeholderClass = u"brevanton-placeholder-element";
constexpr std::u16string_view insertPlaceholderActionName = u"Insert Placeholder";
// The range's start as a position, moved up past a text node so that the
// element around it is asked.
VornickDOMPosition insertionPositionOfRange(const DOMRange& range)
{
    VornickDOMPosition position { range.startContainer(), static_cast<int32_t>(range.startOffset()) };
    if (position.node && position.node->isTextNode())
        VornickMoveDOMPositionUpToAfterNode(position);
    return position;
}

// The range whose contents a wrap would take: ends in different nodes are
// pushed down into text, and a start left in a text node stands for that node.
std::shared_ptr<DOMRange> wrapTestRange(const DOMRange& range)
{
    auto tested = range.cloneRange();
    if (tested->startContainer() != tested->endContainer()) {
        vornick_pushRangeEndpointsDownToTextNodes(*tested);
        if (tested->startContainer()->isTextNode())
            return vornick_outerRange(*tested->startContainer());
    }
    return tested;
}

} // namespace

const std::shared_ptr<VornickFragmentCompletionUIController>& VornickContentEditingView::fragmentCompletionUIController()
{
    if (!m_internals->fragmentCompletionUIController)
        m_internals->fragmentCompletionUIController = std::make_shared<VornickFragmentCompletionUIController>();
    return m_internals->fragmentCompletionUIController;
}

bool VornickContentEditingView::canInitiateFragmentCompletion() const
{
    if (!isEditable())
        return false;
    if (effectiveOperationRangeForWrapOrReplace())
        return true;
    auto range = effectiveOperationRange();
    return range && range->collapsed();
}

void VornickContentEditingView::Internals::vornick_initiateFragmentCompletion(VornickContentEditingView& view, ActionSender*)
{
    auto frame = view.m_internals->focusedWebFrame;
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document)
        return;
    view.endTypingRun();
    auto body = document->body();
    auto range = view.effectiveOperationRange();
    if (!range || !body)
        return;
    auto before = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, body, false);

    auto limit = vornick_enclosingAttachmentPointElement(*range);
    if (!limit)
        limit = body;
    auto raised = vornick_rangeByRaisingToCommonContainerWithin(*range, *limit, true,
                                                                vornick_nonBreakingSpaceSubstituteCharacter(*document));
    if (!raised)
        return;
    if (view.m_internals->blockModeHelper)
        view.m_internals->blockModeHelper->moveInsertionRangeOutOfBlockDelimiterComments(*raised);

    const auto& controller = view.fragmentCompletionUIController();
    std::shared_ptr<DOMElement> placeholder;
    std::shared_ptr<DOMRange> base = raised;
    std::optional<VornickFragmentCompletionUIController::PlaceholderInsertion> insertion;
    if (raised->collapsed()) {
        placeholder = document->createElement(u"span");
        placeholder->setAttribute(u"class", placeholderClass);
        placeholder->appendChild(document->createTextNode(u"*"));
        auto fragment = document->createDocumentFragment();
        fragment->appendChild(placeholder);
        auto* undo = view.undoManager();
        VornickFragmentCompletionUIController::PlaceholderInsertion record;
        record.insertionPoint = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*raised, body, false);
        if (undo)
            record.before = undo->registrationMark();
        std::shared_ptr<DOMRange> result;
        if (!view.undoableReplaceRangeWithFragment(true, raised, fragment, std::u16string(insertPlaceholderActionName), &result) || !result)
            return;
        if (undo) {
            record.after = undo->registrationMark();
            insertion = std::move(record);
        }
        base = result->cloneRange();
        base->collapse(true);
    }

    auto completionSet = std::static_pointer_cast<VornickFragmentCompletionSet>(vornick_fragmentCompletionSet(*frame));
    if (!completionSet)
        completionSet = Internals::rebuildFragmentCompletionSetForWebFrame(view, *frame);
    controller->setPlaceholderInsertion(std::move(insertion));
    controller->showForBaseTargetRange(base, placeholder, completionSet, before,
                                       std::static_pointer_cast<VornickContentEditingView>(view.shared_from_this()));
}

void VornickContentEditingView::Internals::repositionCompletionPopoverToTrackBaseTargetRange(VornickContentEditingView& view)
{
    if (view.m_internals->fragmentCompletionUIController && view.m_internals->fragmentCompletionUIController->isShown())
        view.m_internals->fragmentCompletionUIController->repositionToTrackBaseTargetRange();
}

// --- Ranking

// Judging a match: dropped when the block-mode helper does not offer it
// here; disabled when the snippet set leaves the element out, when the
// snippet fails validation for the document's type, or when no candidate
// range takes it (with the last reason given). What depends only on the
// object and the place is kept in the controller's verdict cache; the snippet
// set's allowed elements and the validation results, which change on their
// own, are read each time.
VornickAdjustedCompletionMatches VornickContentEditingView::completionUIControllerAdjustedMatches(VornickFragmentCompletionUIController& controller,
                                                                                                  std::vector<VornickCompletionMatch> matches,
                                                                                                  std::u16string_view)
{
    auto base = controller.baseTargetRange();
    if (!base)
        return VornickAdjustedCompletionMatches(std::move(matches), nullptr);
    struct Place {
        std::shared_ptr<DOMRange> base;
        std::vector<std::shared_ptr<DOMRange>> candidates;
        std::vector<std::shared_ptr<DOMRange>> blockProbes;
        std::shared_ptr<VornickHTMLSpec> spec;
        VornickHTMLDocumentType documentType { VornickHTMLDocumentType::Unknown };
        std::shared_ptr<VornickFragmentSet> snippets;
        std::shared_ptr<VornickBlockModeHelper> helper;
    };
    auto place = std::make_shared<Place>();
    place->base = base;
    place->candidates.push_back(base);
    place->helper = m_internals->blockModeHelper;
    // Where a block begins or ends is judged as if the placeholder were gone
    // (it goes before the chosen match is applied): the base is just before
    // it, and the place just after it stands for the base at a block's end.
    place->blockProbes.push_back(base);
    if (auto placeholder = controller.placeholderElement(); placeholder && placeholder->parentNode() && base->collapsed()) {
        auto after = vornick_outerRange(*placeholder);
        after->collapse(false);
        place->blockProbes.push_back(after);
    }
    if (m_internals->blockModeHelper) {
        for (const auto& probe : place->blockProbes) {
            if (auto popped = m_internals->blockModeHelper->poppedInsertionRangeIfAtBlockStartOrEnd(*probe))
                place->candidates.push_back(popped);
        }
    }
    auto document = base->startContainer()->ownerDocument();
    auto frame = document && mainFrame() ? mainFrame()->frameForDocument(*document) : nullptr;
    place->spec = frame ? vornick_HTMLSpec(*frame) : nullptr;
    place->documentType = document ? VornickEditingDocumentTypeOfDocument(*document) : VornickHTMLDocumentType::Unknown;
    place->snippets = frame ? vornick_userFragmentSet(*frame) : nullptr;
    auto verdicts = controller.completionVerdictCache();
    verdicts->useContext(VornickCompletionVerdictCache::contextForRange(*base, place->spec,
                         frame ? vornick_baseFragmentSet(*frame) : nullptr,
                                                                    place->snippets, m_internals->blockModeHelper,
                                                                    m_internals->blockModeHelper && m_internals->blockModeHelper->operatingInBlockMode()));

    auto judge = [place, verdicts](const VornickCompletionMatch& match) -> std::optional<VornickCompletionVerdict> {
        const auto& base = place->base;
        const auto& spec = place->spec;
        const auto& snippets = place->snippets;
        const auto& helper = place->helper;
        if (auto elementSpec = VornickFragmentCompletionSet::elementSpecOfMatch(match)) {
            auto& entry = verdicts->entryForObject(elementSpec);
            const auto& tagName = elementSpec->tagName();
            if (!entry.offered)
                entry.offered = !helper || helper->mayOfferElementInCompletionList(tagName, base.get());
            if (!*entry.offered)
                return std::nullopt;
            if (snippets && snippets->allowedBodyElements() && !snippets->allowedBodyElements()->contains(asciiLowercase(tagName)))
                return VornickCompletionVerdict { true, u"The document's snippet set (\"" + snippets->title() + u"\") disallows <" + tagName + u"> elements." };
            if (!spec)
                return VornickCompletionVerdict {};
            if (!entry.placement) {
                VornickCompletionVerdictCache::Placement placement;
                for (const auto& candidate : place->candidates) {
                    if (!spec->mayInsertElementWithSpec(*elementSpec, insertionPositionOfRange(*candidate), snippets.get(),
                                                        &placement.reasonWhyNot))
                        continue;
                    if (candidate->collapsed()
                        || spec->mayWrapContentsOfRangeInElementWithSpec(*wrapTestRange(*candidate), *elementSpec, snippets.get(),
                                                                         &placement.reasonWhyNot)) {
                        placement.allowed = true;
                        break;
                    }
                }
                entry.placement = std::move(placement);
            }
            if (entry.placement->allowed)
                return VornickCompletionVerdict {};
            return VornickCompletionVerdict { true, entry.placement->reasonWhyNot };
        }
        if (auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match)) {
            auto& entry = verdicts->entryForObject(description);
            if (!entry.offered)
                entry.offered = !helper || std::any_of(place->blockProbes.begin(), place->blockProbes.end(), [&](const auto& probe) {
                    return helper->mayOfferFragmentInCompletionList(*description, probe.get(), 1);
                });
            if (!*entry.offered)
                return std::nullopt;
            auto type = place->documentType;
            auto validation = type != VornickHTMLDocumentType::Unknown && description->hasValidationResultForDocumentType(type)
                ? description->validationResultForDocumentType(type)
                : nullptr;
            if (validation && validation->validationStatus() == VornickFragmentValidationStatus::Errors)
                return VornickCompletionVerdict { true, u"Snippet fails validation for the file's HTML document type ("
                                                            + VornickHTMLDocumentTypeToPersistableString(type) + u")." };
            if (!entry.placement) {
                VornickCompletionVerdictCache::Placement placement;
                for (const auto& candidate : place->candidates) {
                    if (candidate->collapsed()) {
                        VornickDOMPosition start { candidate->startContainer(), static_cast<int32_t>(candidate->startOffset()) };
                        placement.allowed = helper ? helper->mayInsertDescribedFragment(*description, start, &placement.reasonWhyNot)
                                                   : (!spec || spec->mayInsertDescribedFragment(*description, start,
                                                                                                &placement.reasonWhyNot));
                    } else if (spec) {
                        placement.allowed = spec->mayWrapContentsOfRangeInFragmentDescription(*candidate, *description,
                                                                                              &placement.reasonWhyNot)
                            || spec->mayReplaceContentsOfRange(*candidate, *description, &placement.reasonWhyNot);
                    } else
                        placement.allowed = true;
                    if (placement.allowed)
                        break;
                }
                entry.placement = std::move(placement);
            }
            if (entry.placement->allowed)
                return VornickCompletionVerdict {};
            return VornickCompletionVerdict { true, entry.placement->reasonWhyNot };
        }
        return std::nullopt;
    };
    return VornickAdjustedCompletionMatches(std::move(matches), std::move(judge));
}

std::vector<VornickCompletionMatch> VornickContentEditingView::Internals::completionUIController(VornickContentEditingView& view, VornickFragmentCompletionUIController& controller,
                                                                                      std::vector<VornickCompletionMatch> matches,
                                                                                      std::u16string_view searchString)
{
    return view.completionUIControllerAdjustedMatches(controller, std::move(matches), searchString).allMatches();
}

VornickCompletionDisplayText VornickContentEditingView::completionDescriptionForDisplay(VornickFragmentCompletionUIController&,
                                                                                        const VornickCompletionMatch& match) const
{
    VornickCompletionDisplayText text;
    if (auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match))
        text.string = description->summaryForDisplay();
    else if (auto spec = VornickFragmentCompletionSet::elementSpecOfMatch(match))
        text.string = u"<" + spec->tagName() + u">";
    else
        text.string = u"?";
    text.inDisabledControlTextColor = match.disabled();
    return text;
}

std::u16string VornickContentEditingView::completionFinePrintForDisplay(VornickFragmentCompletionUIController&,
                                                                       const VornickCompletionMatch& match) const
{
    auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match);
    if (auto general = std::dynamic_pointer_cast<VornickGeneralFragmentDescription>(description))
        return general->displayName();
    if (auto spec = VornickFragmentCompletionSet::elementSpecOfMatch(match))
        return spec->briefDescription();
    return {};
}

// --- The end of completion

void VornickContentEditingView::completionSucceeded(VornickFragmentCompletionUIController& controller, const VornickCompletionMatch& match)
{
    auto base = controller.baseTargetRange();
    if (controller.placeholderElement()) {
        Internals::vornick_deletePlaceholderElementForCompletionController(*this, controller);
        base = controller.baseTargetRange();
    }
    if (match.disabled()) {
        Sound::beep();
    } else {
        auto elementSpec = VornickFragmentCompletionSet::elementSpecOfMatch(match);
        auto description = VornickFragmentCompletionSet::fragmentDescriptionOfMatch(match);
        BREVANTON_ASSERT(elementSpec || description,
                         "Expected to retrieve a VornickFragmentDescription or VornickHTMLElementSpec from VornickCompletionMatch");
        if (base) {
            auto document = base->startContainer()->ownerDocument();
            auto body = document ? document->body() : nullptr;
            if (body && controller.freezeDriedEffectiveOperationRangeBefore())
                Internals::undoSetTargetRange(*this, *controller.freezeDriedEffectiveOperationRangeBefore(), body);
            if (description)
                undoableApplyDescribedFragment(true, *description, base);
            else
                undoableApplyDescribedElement(true, *elementSpec, base);
        }
    }
    controller.setBaseTargetRange(nullptr);
}

void VornickContentEditingView::completionCancelled(VornickFragmentCompletionUIController& controller, const std::u16string& exitString)
{
    std::shared_ptr<DOMDocument> document;
    if (controller.baseTargetRange())
        document = controller.baseTargetRange()->startContainer()->ownerDocument();
    if (!document && m_internals->focusedWebFrame)
        document = m_internals->focusedWebFrame->domDocument();
    Internals::vornick_deletePlaceholderElementForCompletionController(*this, controller);
    auto body = document ? document->body() : nullptr;
    if (body && controller.freezeDriedEffectiveOperationRangeBefore()) {
        if (auto before = controller.freezeDriedEffectiveOperationRangeBefore()->thawRangeRelativeToNewAncestor(body))
            setTargetRange(before);
    }
    controller.setBaseTargetRange(nullptr);

    if (exitString != u"<")
        return;
    auto range = effectiveOperationRange();
    if (!range || !document)
        return;
    if (!range->collapsed()) {
        auto fragment = document->createDocumentFragment();
        fragment->appendChild(document->createTextNode(u"<"));
        (void)undoableReplaceRangeWithFragment(true, range, fragment, std::nullopt);
        return;
    }
    std::shared_ptr<DOMRange> result;
    if (undoableReplaceRangeWithText(true, range, u"<", true, &result) && result) {
        auto caret = result->cloneRange();
        caret->collapse(false);
        setTargetRange(caret);
    }
}

void VornickContentEditingView::Internals::vornick_deletePlaceholderElementForCompletionController(VornickContentEditingView& view,
                                                                                                   VornickFragmentCompletionUIController& controller)
{
    auto placeholder = controller.placeholderElement();
    if (!placeholder)
        return;
    // Taking back the insertion's own undo registrations restores the page
    // exactly (a split text node is joined again) and leaves neither an undo
    // nor a redo step; that is done only while nothing was registered after
    // them, so no other change is ever undone in its place.
    auto* undo = view.undoManager();
    const auto& insertion = controller.placeholderInsertion();
    bool reverted = undo && insertion && placeholder->parentNode() && undo->revertRegistrationsBetween(insertion->before, insertion->after);
    auto document = placeholder->ownerDocument();
    auto body = document ? document->body() : nullptr;
    if (reverted) {
        if (body && insertion->insertionPoint) {
            if (auto point = insertion->insertionPoint->thawRangeRelativeToNewAncestor(body))
                controller.setBaseTargetRange(point);
        }
    } else if (placeholder->parentNode()) {
        auto outer = vornick_outerRange(*placeholder);
        (void)outer->deleteContents();
        view.setTargetRange(outer);
        if (controller.baseTargetRange())
            controller.setBaseTargetRange(outer->cloneRange());
        view.scheduleHTMLUpdateForFocusedWebFrame();
    }
    controller.setPlaceholderElement(nullptr);
    controller.setPlaceholderInsertion(std::nullopt);
}

void VornickContentEditingView::completionUIControllerDidShowWindow(VornickFragmentCompletionUIController&)
{
    if (m_internals->sourceLoupe)
        m_internals->sourceLoupe->updateForPopoverShowOrHideInContentEditingView(*this);
}

void VornickContentEditingView::completionUIControllerDidHideWindow(VornickFragmentCompletionUIController&)
{
    if (m_internals->sourceLoupe)
        m_internals->sourceLoupe->updateForPopoverShowOrHideInContentEditingView(*this);
}

} // namespace brevanton
