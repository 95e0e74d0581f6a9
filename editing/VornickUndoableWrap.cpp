// Wrapping a range in a fragment (an element or a snippet) at the fragment's
// interior: the range is replaced by the fragment, then the interior by the
// range's former contents. The interior is found again through the
// fragment's own top-level node, wherever the insertion put it; when it
// cannot be found the replacement is taken back, so no content is lost.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickFragmentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickFragmentInterior.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

bool VornickContentEditingView::undoableWrapRange(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                  const std::shared_ptr<DOMDocumentFragment>& newFragment,
                                                  const std::optional<VornickFreezeDriedDOMRange>& freezeDriedInteriorRange)
{
    BREVANTON_ASSERT(range, "Invalid parameter not satisfying: effectiveOperationRange");
    BREVANTON_ASSERT(!range->collapsed(), "Invalid parameter not satisfying: ![effectiveOperationRange collapsed]");
    BREVANTON_ASSERT(newFragment, "Invalid parameter not satisfying: newFragment");
    BREVANTON_ASSERT(freezeDriedInteriorRange, "Invalid parameter not satisfying: freezeDriedInteriorRange");
    endTypingRun();
    endBackspaceRun();
    const auto& interior = *freezeDriedInteriorRange;

    std::u16string name = newFragment->hasChildNodes() ? u"Wrap in " + vornick_fragmentSummary(*newFragment) : std::u16string();
    VornickFragmentInterior located(*newFragment, interior);
    auto contents = range->cloneContents();
    std::optional<std::u16string> nameOverride;
    if (!name.empty())
        nameOverride = name;

    VornickCommandStepName stepName(editingContext(), undoable, name);
    stepName.open();
    std::shared_ptr<DOMRange> result;
    if (!undoableReplaceRangeWithFragment(undoable, range->cloneRange(), newFragment, nameOverride, &result) || !result)
        return false;

    auto interiorRange = located.rangeAfterInsertion();
    if (!interiorRange) {
        // Put the range's contents back where the fragment went.
        (void)undoableReplaceRangeWithFragment(undoable, result, contents, nameOverride);
        stepName.close();
        return false;
    }
    std::shared_ptr<DOMRange> wrapped;
    if (!undoableReplaceRangeWithFragment(undoable, interiorRange, contents, nameOverride, &wrapped) || !wrapped) {
        stepName.close();
        return false;
    }
    auto target = wrapped->cloneRange();
    vornick_pushRangeEndpointsDownToTextNodes(*target);
    if (undoable)
        setTargetRangeUndoably(target);
    else
        setTargetRange(target);
    stepName.close();
    return true;
}

} // namespace brevanton
