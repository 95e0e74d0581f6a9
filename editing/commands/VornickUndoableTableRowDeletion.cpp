#include "editing/commands/VornickUndoableTableRowDeletion.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableRowDeletionRange.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

namespace {

std::vector<std::shared_ptr<DOMElement>> rowsToDelete(const std::shared_ptr<DOMRange>& range)
{
    return range ? vornick_inferredTargetElementsOfKinds(*range, { u"TR" }) : std::vector<std::shared_ptr<DOMElement>> {};
}

} // namespace

VornickUndoableTableRowDeletion::VornickUndoableTableRowDeletion(VornickEditingContext& context, bool undoable,
                                                                 const std::optional<std::u16string>& actionNameOverride)
    : VornickUndoableEdit(context, undoable, actionNameOverride)
{
}

bool VornickUndoableTableRowDeletion::canApply(const std::shared_ptr<DOMRange>& operationRange)
{
    return !rowsToDelete(operationRange).empty();
}

bool VornickUndoableTableRowDeletion::apply()
{
    auto rows = rowsToDelete(context().effectiveOperationRange());
    if (rows.empty())
        return false;
    begin(rows.size() == 1 ? u"Delete Table Row" : u"Delete Table Rows");
    VornickCommandStepName stepName(context(), undoable(), actionName());
    stepName.open();
    bool deletedAny = false;
    for (const auto& row : rows) {
        if (!row->parentNode())
            continue;
        // The deletion itself shortens the spans of cells above over the row
        // and carries the row's own spanning cells into the next row.
        deletedAny |= VornickUndoableFragmentDeletion(context(), undoable(), VornickTableRowDeletionRange(*row), actionName()).apply();
    }
    stepName.close();
    return deletedAny;
}

} // namespace brevanton
