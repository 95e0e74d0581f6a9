#include "editing/commands/VornickUndoableWrap.h"

#include "dom/VornickFragmentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickFragmentInterior.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

VornickUndoableWrap::VornickUndoableWrap(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMRange> range,
                                         std::shared_ptr<DOMDocumentFragment> fragment,
                                         std::optional<VornickFreezeDriedDOMRange> freezeDriedInteriorRange)
    : VornickUndoableEdit(context, undoable)
    , m_range(std::move(range))
    , m_fragment(std::move(fragment))
    , m_interior(std::move(freezeDriedInteriorRange))
{
}

bool VornickUndoableWrap::apply()
{
    const auto& range = m_range;
    const auto& newFragment = m_fragment;
    const auto& freezeDriedInteriorRange = m_interior;
    BREVANTON_ASSERT(range, "Invalid parameter not satisfying: effectiveOperationRange");
    BREVANTON_ASSERT(!range->collapsed(), "Invalid parameter not satisfying: ![effectiveOperationRange collapsed]");
    BREVANTON_ASSERT(newFragment, "Invalid parameter not satisfying: newFragment");
    BREVANTON_ASSERT(freezeDriedInteriorRange, "Invalid parameter not satisfying: freezeDriedInteriorRange");
    const auto& interior = *freezeDriedInteriorRange;

    std::u16string name = newFragment->hasChildNodes() ? u"Wrap in " + vornick_fragmentSummary(*newFragment) : std::u16string();
    begin(name);
    VornickFragmentInterior located(*newFragment, interior);
    auto contents = range->cloneContents();
    std::optional<std::u16string> nameOverride;
    if (!name.empty())
        nameOverride = name;

    VornickCommandStepName stepName(context(), undoable(), name);
    stepName.open();
    std::shared_ptr<DOMRange> result;
    if (!VornickUndoableFragmentReplacement(context(), undoable(), range->cloneRange(), newFragment, nameOverride).apply(&result) || !result)
        return false;

    auto interiorRange = located.rangeAfterInsertion();
    if (!interiorRange) {
        // Put the range's contents back where the fragment went.
        (void)VornickUndoableFragmentReplacement(context(), undoable(), result, contents, nameOverride).apply();
        stepName.close();
        return false;
    }
    std::shared_ptr<DOMRange> wrapped;
    if (!VornickUndoableFragmentReplacement(context(), undoable(), interiorRange, contents, nameOverride).apply(&wrapped) || !wrapped) {
        stepName.close();
        return false;
    }
    auto target = wrapped->cloneRange();
    vornick_pushRangeEndpointsDownToTextNodes(*target);
    if (undoable())
        context().setTargetRangeUndoably(target);
    else
        context().setTargetRange(target);
    stepName.close();
    return true;
}

} // namespace brevanton
