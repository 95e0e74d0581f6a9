// Indenting list items one level: the selected items (or paragraphs, which
// become items) move into the nested list before them, into a new nested
// list at the end of the item before them, or merge with a nested list that
// follows. Made of undoable replacements, insertions and deletions, named
// together as one step ("Indent list items"); Undo puts back every node and
// the selection.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableListIndent : public VornickUndoableEdit {
public:
    // Always undoable.
    explicit VornickUndoableListIndent(VornickEditingContext&);

    // Whether applying would change the document; changes nothing.
    bool canApply();
    // False when there was nothing to indent or some selected run could not be.
    [[nodiscard]] bool apply();

private:
    bool perform(bool preflightOnly);
};

} // namespace brevanton
