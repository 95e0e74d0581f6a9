// Adding a part to a table: a caption holding placeholder text, or a header
// or footer section holding one row of heading cells as wide as the table
// (in columns: a spanning cell counts for each column it spans).
// Each is one insertion under the command's name; the selection then goes
// where the user types next: the caption's text, or the new section's first
// cell. A table that has the part already gets no second one.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableTablePartAddition : public VornickUndoableEdit {
public:
    enum class Part { Caption, Header, Footer };

    VornickUndoableTablePartAddition(VornickEditingContext&, bool undoable, Part,
                                     const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // Whether the operation range selects or lies in a table without the part.
    static bool canApply(const std::shared_ptr<DOMRange>& operationRange, Part);

    // False when there is no such table or the part could not go in.
    [[nodiscard]] bool apply();

private:
    Part m_part;
};

} // namespace brevanton
