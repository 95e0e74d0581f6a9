// Deleting the rows the selection is in or across, each with whatever
// enclosing element its deletion would leave empty and useless, in one undo
// step. A cell spanning rows that went spans that many rows fewer; a cell
// that spans rows below its deleted row goes on in the next row, spanning
// one row fewer, so that the rows below keep their width.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickCommandStepName.h"
#include "editing/VornickTableRowDeletionRange.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

namespace {

std::vector<std::shared_ptr<DOMElement>> rowsToDelete(const VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    return range ? vornick_inferredTargetElementsOfKinds(*range, { u"TR" }) : std::vector<std::shared_ptr<DOMElement>> {};
}

} // namespace

void VornickContentEditingView::deleteTableRows(ActionSender*)
{
    if (!canDeleteTableRows())
        return;
    auto rows = rowsToDelete(*this);
    std::u16string name = rows.size() == 1 ? u"Delete Table Row" : u"Delete Table Rows";
    VornickCommandStepName stepName(editingContext(), true, name);
    stepName.open();
    for (const auto& row : rows) {
        if (!row->parentNode())
            continue;
        // The deletion itself shortens the spans of cells above over the row
        // and carries the row's own spanning cells into the next row.
        (void)deleteFragment(VornickTableRowDeletionRange(*row), true, name, false, nullptr);
    }
    stepName.close();
}

bool VornickContentEditingView::canDeleteTableRows() const
{
    return isEditable() && !rowsToDelete(*this).empty();
}

} // namespace brevanton
