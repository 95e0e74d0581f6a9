// Inserting a row before or after the row the selection is in: as many cells
// as that row is wide in columns (one for an empty row), heading cells in a
// table header and data cells elsewhere, each holding a placeholder "-". A
// cell above that spans rows across the new row's place spans it too, and
// takes its columns from it, so that the rows stay as wide as before. The
// selection then goes to the new row's first cell. One undo step.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableTableRowInsertion : public VornickUndoableEdit {
public:
    // Before (direction < 0) or after the row the effective operation range
    // selects or lies in.
    VornickUndoableTableRowInsertion(VornickEditingContext&, bool undoable, int direction,
                                     const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // Whether the operation range selects or lies in a row that has a parent.
    static bool canApply(const std::shared_ptr<DOMRange>& operationRange);

    // False when no row went in.
    [[nodiscard]] bool apply();

private:
    int m_direction;
};

} // namespace brevanton
