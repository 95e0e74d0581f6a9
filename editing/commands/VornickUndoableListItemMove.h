// Moving list items past a neighbour: the item before (or after) each run
// of selected items is deleted and inserted after (or before) the run, so
// the selected items themselves stay where they are in the DOM and the
// selection keeps its positions. One step, "Move list item(s) up" (or
// "down"); when no run has an item to pass, no step at all.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableListItemMove : public VornickUndoableEdit {
public:
    enum class Direction { Up, Down };

    // Always undoable.
    VornickUndoableListItemMove(VornickEditingContext&, Direction);

    // Whether some run has an item to pass, which is when applying changes the document.
    bool canApply() const;
    // False when nothing moved.
    [[nodiscard]] bool apply();

private:
    Direction m_direction;
};

} // namespace brevanton
