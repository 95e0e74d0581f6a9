// Deleting the columns of the selected cells. The selected cells' column
// indexes (counted in cells, as the rows hold them) must form one run; from
// every row of the table the cells from the lowest index to the highest (or
// to the row's last cell, in a shorter row) are deleted, in one undo step; a
// row left without cells is deleted with them, as row deletion does. A
// selection of cells whose columns are not one run deletes nothing. Cells
// spanning columns or rows keep within what is left of the table.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableTableColumnDeletion : public VornickUndoableEdit {
public:
    // The columns of the cells the effective operation range selects or lies in.
    VornickUndoableTableColumnDeletion(VornickEditingContext&, bool undoable,
                                       const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // Whether the cells of the operation range are of one run of columns
    // that some row of their table has a cell in.
    static bool canApply(const std::shared_ptr<DOMRange>& operationRange);

    // False when nothing was deleted.
    [[nodiscard]] bool apply();
};

} // namespace brevanton
