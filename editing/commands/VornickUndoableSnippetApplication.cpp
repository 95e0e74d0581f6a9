#include "editing/commands/VornickUndoableSnippetApplication.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickFragmentInterior.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "editing/commands/VornickUndoableInsertionPointPlacement.h"
#include "editing/commands/VornickUndoableWrap.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickFragmentDescription.h"
#include "html/VornickHTMLSpec.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"
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
        auto& element = downcast<DOMElement>(*node);
        auto added = vornick_addMissingRequiredAttributesForHTMLSpec(element, &spec);
        if (!added.empty())
            return { downcast<DOMElement>(element.shared_from_this()), added.front() };
    }
    return {};
}

} // namespace

VornickUndoableSnippetApplication::VornickUndoableSnippetApplication(VornickEditingContext& context, bool undoable,
                                                                     const VornickFragmentDescription& description, std::shared_ptr<DOMRange> range)
    : VornickUndoableEdit(context, undoable)
    , m_description(description)
    , m_range(std::move(range))
{
}

// Its parts are undoable whatever the caller asks: the step is the user's.
bool VornickUndoableSnippetApplication::apply()
{
    begin();
    const auto& description = m_description;
    auto range = m_range ? m_range->cloneRange() : nullptr;
    auto* blockModeHelper = context().blockModeHelper();
    auto focusedWebFrame = context().focusedWebFrame();
    if (!range || !blockModeHelper || !focusedWebFrame)
        return false;
    if (range->collapsed()) {
        if (auto popped = blockModeHelper->poppedInsertionRangeIfAtBlockStartOrEnd(*range))
            range = popped;
    }
    auto spec = vornick_HTMLSpec(*focusedWebFrame);
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
        fragment = blockModeHelper->createEmbedPlaceholderWithProperties({ { u"providerNameSlug", identifier.substr(embedPrefix.size()) } },
                                                                          description.displayName() + u" URL", *document);
    else
        fragment = description.createDescribedFragmentWithValues({ { u"content", u"*" } }, *document, &interior);
    if (!fragment) {
        context().beep();
        return false;
    }
    blockModeHelper->blockifyFragment(*fragment);
    context().reassessNonBreakingSpaceSubstituteForTextToInsert(fragment->textContent(), focusedWebFrame);
    auto [lackingElement, firstMissingAttribute] = addMissingRequiredAttributes(*fragment, *spec);

    // The step keeps the name of its insertion, wrap or replacement, also
    // when the caret is then placed after a block.
    VornickCommandStepName stepName(context(), true);
    stepName.open();
    auto nameOfStep = [this]() -> std::optional<std::u16string> {
        if (auto undo = context().undoManager())
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
        applied = VornickUndoableFragmentReplacement(context(), true, range, fragment).apply(&result) && result;
        if (applied) {
            name = nameOfStep();
            newBlock = blockModeHelper->exactSelectionFromRange(*result, true);
            if (located) {
                if (auto caret = located->rangeAfterInsertion())
                    context().setTargetRange(caret);
            }
            if (!context().sectionHandlesShown() && newBlock && !blockModeHelper->canEditContentOfBlockOrElement(*newBlock)) {
                if (auto outer = newBlock->outerRange()) {
                    outer->collapse(false);
                    (void)VornickUndoableInsertionPointPlacement(context(), true, outer, false).apply();
                }
            }
        }
    } else if (mayWrap && interior) {
        applied = VornickUndoableWrap(context(), true, range, fragment, interior).apply();
        name = nameOfStep();
    } else {
        applied = VornickUndoableFragmentReplacement(context(), true, range, fragment, u"Replace").apply();
        name = nameOfStep();
    }
    stepName.close(name);
    if (!applied) {
        context().beep();
        return false;
    }

    context().scrollRangeToVisible(context().effectiveOperationRange());
    if (lackingElement && lackingElement->isConnected())
        context().showAttributeEditorForElement(lackingElement, firstMissingAttribute);
    else if (insertedAtCaret && identifier == u"wp:image" && newBlock)
        context().showAttributeEditorForElement(newBlock->element(), u"wp-image-id");
    return true;
}

} // namespace brevanton
