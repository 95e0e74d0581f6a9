// Applying a snippet to a range: inserted at a caret (the caret then goes to
// the snippet's interior, or after a block whose content may not be edited),
// wrapped around a selection it may wrap, or put in the selection's place.
// An element of the snippet that lacks attributes its kind requires gets
// them, and the attribute editor opens on the first one missing.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickFragmentInterior.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Sound.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

// The first element of the fragment (in tree order) that lacked attributes
// its kind requires, with the first of them; every element up to it gets them.
std::pair<std::shared_ptr<DOMElement>, std::u16string> addMissingRequiredAttributes(DOMDocumentFragment& fragment,
                                                                                    const VornickHTMLSpec& spec)
{
    for (DOMNode* node = fragment.first(); node; node = node->traverseNext(&fragment)) {
        if (!node->isElementNode())
            continue;
        auto& element = static_cast<DOMElement&>(*node);
        auto added = vornick_addMissingRequiredAttributesForHTMLSpec(element, &spec);
        if (!added.empty())
            return { std::static_pointer_cast<DOMElement>(element.shared_from_this()), added.front() };
    }
    return {};
}

} // namespace

bool VornickContentEditingView::undoableApplyDescribedFragment(bool, const VornickFragmentDescription& description,
                                                               const std::shared_ptr<DOMRange>& givenRange)
{
    endTypingRun();
    endBackspaceRun();
    auto range = givenRange ? givenRange->cloneRange() : nullptr;
    if (!range || !m_blockModeHelper || !m_focusedWebFrame)
        return false;
    if (range->collapsed()) {
        if (auto popped = m_blockModeHelper->poppedInsertionRangeIfAtBlockStartOrEnd(*range))
            range = popped;
    }
    auto spec = vornick_HTMLSpec(*m_focusedWebFrame);
    BREVANTON_ASSERT(spec, "documentSpec == nil");
    bool mayWrap = spec->mayWrapContentsOfRangeInFragmentDescription(*range, description, nullptr);
    auto document = vornick_ownerDocument(*range);
    if (!document)
        return false;

    std::u16string identifier = description.identifier();
    std::shared_ptr<DOMDocumentFragment> fragment;
    std::optional<VornickFreezeDriedDOMRange> interior;
    static const std::u16string embedPrefix = u"wp:embed-";
    if (identifier.starts_with(embedPrefix))
        fragment = m_blockModeHelper->createEmbedPlaceholderWithProperties({ { u"providerNameSlug", identifier.substr(embedPrefix.size()) } },
                                                                            description.displayName() + u" URL", *document);
    else
        fragment = description.createDescribedFragmentWithValues({ { u"content", u"*" } }, *document, &interior);
    if (!fragment) {
        Sound::beep();
        return false;
    }
    m_blockModeHelper->blockifyFragment(*fragment);
    reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(fragment->textContent(), m_focusedWebFrame);
    auto [lackingElement, firstMissingAttribute] = addMissingRequiredAttributes(*fragment, *spec);

    // The step keeps the name of its insertion, wrap or replacement, also
    // when the caret is then placed after a block.
    VornickCommandStepName stepName(editingContext(), true);
    stepName.open();
    auto nameOfStep = [this]() -> std::optional<std::u16string> {
        if (auto undo = undoManager())
            return undo->undoActionName();
        return std::nullopt;
    };
    std::optional<std::u16string> name;
    bool insertedAtCaret = range->collapsed();
    std::optional<VornickExactSelection> newBlock;
    bool applied = false;
    if (insertedAtCaret) {
        std::optional<VornickFragmentInterior> located;
        if (interior)
            located.emplace(*fragment, *interior);
        std::shared_ptr<DOMRange> result;
        applied = undoableReplaceRangeWithFragment(true, range, fragment, std::nullopt, &result) && result;
        if (applied) {
            name = nameOfStep();
            newBlock = m_blockModeHelper->exactSelectionFromRange(*result, true);
            if (located) {
                if (auto caret = located->rangeAfterInsertion())
                    setTargetRange(caret);
            }
            if (!m_sectionHandlesShown && newBlock && !m_blockModeHelper->canEditContentOfBlockOrElement(*newBlock)) {
                if (auto outer = newBlock->outerRange()) {
                    outer->collapse(false);
                    (void)undoableSetTextInsertionPointAfterPosition(true, outer, false);
                }
            }
        }
    } else if (mayWrap && interior) {
        applied = undoableWrapRange(true, range, fragment, interior);
        name = nameOfStep();
    } else {
        applied = undoableReplaceRangeWithFragment(true, range, fragment, u"Replace");
        name = nameOfStep();
    }
    stepName.close(name);
    if (!applied) {
        Sound::beep();
        return false;
    }

    scrollRangeToVisible(effectiveOperationRange());
    if (lackingElement && lackingElement->isConnected())
        showAttributeEditorForElement(lackingElement, firstMissingAttribute);
    else if (insertedAtCaret && identifier == u"wp:image" && newBlock)
        showAttributeEditorForElement(newBlock->element(), u"wp-image-id");
    return true;
}

} // namespace brevanton
