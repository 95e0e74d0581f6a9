// Outdenting list items one level: nested items move out after the item
// that held their list, top-level items become paragraphs (splitting their
// list around them when they sit in its middle). The changes are made
// without undo; for each run one exact inverse is registered: the children
// of the outermost list's container that the change touched, from the
// outermost list's first node to the last node the change put after it
// (paragraphs and split-off lists included), are exchanged for a copy of
// what stood there before. One step, "Outdent list level".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableListOutdent : public VornickUndoableEdit {
public:
    // Always undoable.
    explicit VornickUndoableListOutdent(VornickEditingContext&);

    // Whether applying would change the document; changes nothing.
    bool canApply() const;
    // False when no selected item is in a list.
    [[nodiscard]] bool apply();
};

} // namespace brevanton
