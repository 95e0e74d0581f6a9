// Replacing a range with a fragment: the range's contents are deleted and
// the fragment is inserted where they were, as one undo step.
#include "editing/VornickContentEditingView.h"

#include "editing/commands/VornickUndoableEdit.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

bool VornickContentEditingView::undoableReplaceRangeWithFragment(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                 const std::shared_ptr<DOMDocumentFragment>& replacementFragment,
                                                                 const std::optional<std::u16string>& undoActionNameOverride,
                                                                 std::shared_ptr<DOMRange>* outResultRange)
{
    BREVANTON_ASSERT(replacementFragment, "Invalid parameter not satisfying: replacementFragment");
    auto given = range ? range : effectiveOperationRange();
    if (!given)
        return false;
    auto working = given->cloneRange();
    VornickUndoableEdit edit(editingContext(), undoable, undoActionNameOverride);
    edit.begin();
    edit.registerSelectionUndo();
    if (!working->collapsed()) {
        if (!deleteFragment(working, undoable, undoActionNameOverride, false, nullptr))
            return false;
        working = effectiveOperationRange();
        if (!working)
            return false;
    }
    if (replacementFragment->hasChildNodes()) {
        if (!insertFragmentAtPosition(replacementFragment, vornick_startPosition(*working), undoable, undoActionNameOverride))
            return false;
    }
    if (outResultRange) {
        auto effective = effectiveOperationRange();
        *outResultRange = effective ? effective->cloneRange() : nullptr;
    }
    return true;
}

bool VornickContentEditingView::undoableReplaceFreezeDriedRangeWithFragment(bool undoable, const VornickFreezeDriedDOMRange& frozen,
                                                                            const std::shared_ptr<DOMDocument>& document,
                                                                            const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                                            const std::optional<std::u16string>& undoActionNameOverride,
                                                                            std::shared_ptr<DOMRange>* outResultRange)
{
    auto range = document ? frozen.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (!range)
        return false;
    return undoableReplaceRangeWithFragment(undoable, range, fragment, undoActionNameOverride, outResultRange);
}

} // namespace brevanton
