// Deleting the rows the selection is in or across, each with whatever
// enclosing element its deletion would leave empty and useless, in one undo
// step. A cell spanning rows that went spans that many rows fewer; a cell
// that spans rows below its deleted row goes on in the next row, spanning
// one row fewer, so that the rows below keep their width.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableTableRowDeletion : public VornickUndoableEdit {
public:
    // The rows the effective operation range selects, lies in or crosses.
    VornickUndoableTableRowDeletion(VornickEditingContext&, bool undoable,
                                    const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // Whether the operation range selects, lies in or crosses a row.
    static bool canApply(const std::shared_ptr<DOMRange>& operationRange);

    // False when nothing was deleted.
    [[nodiscard]] bool apply();
};

} // namespace brevanton
