// Toggling an inline element kind (bold, emphasis, code and the like; the
// tag name in either case). At a caret the kind is toggled for the next
// typed text only. On a selection the kind comes off when every character
// already has it; otherwise it is first taken off and then put once around
// the whole selection, so partly styled text ends styled once, never nested.
// Both halves are one undo step named "Toggle <b>".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableInlineStyleToggle : public VornickUndoableEdit {
public:
    VornickUndoableInlineStyleToggle(VornickEditingContext&, bool undoable, std::u16string tagName);

    // False without a range to act on, when the focused document's
    // specification knows no element of the kind, or when the element could
    // not be put on.
    [[nodiscard]] bool apply();

private:
    std::u16string m_tagName;
};

} // namespace brevanton
