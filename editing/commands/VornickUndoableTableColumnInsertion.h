// Inserting a column before or after the column of the cell the selection is
// in. Columns are counted in cells, not in the space spanning cells take: the
// new cell of each row goes before the row's cell at the new column's index,
// of that cell's kind, or at the row's end (of the kind of the row's last
// cell) when the row is shorter. Each cell holds a placeholder "-". One undo
// step for the whole column.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableTableColumnInsertion : public VornickUndoableEdit {
public:
    // Before (direction < 0) or after the column of the cell the effective
    // operation range selects or lies in.
    VornickUndoableTableColumnInsertion(VornickEditingContext&, bool undoable, int direction,
                                        const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // Whether the operation range selects or lies in a cell of a table with
    // rows (before or after, a column goes into every row).
    static bool canApply(const std::shared_ptr<DOMRange>& operationRange);

    // False when no cell went in.
    [[nodiscard]] bool apply();

private:
    int m_direction;
};

} // namespace brevanton
