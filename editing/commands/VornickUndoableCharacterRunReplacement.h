// Replacing runs of one character in a range's text by a string, each run
// once ("a", three spaces, "b" becomes "a", one non-breaking space, "b"):
// the conversions between ordinary and non-breaking spaces. Each text node's
// part of the range is replaced in place, so Undo gives every node its old
// data back; the selection keeps covering the converted text.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableCharacterRunReplacement : public VornickUndoableEdit {
public:
    VornickUndoableCharacterRunReplacement(VornickEditingContext&, bool undoable, char16_t character, std::shared_ptr<DOMRange>,
                                           std::u16string replacement);

    // False when the range is null or collapsed or its text has no run to change.
    [[nodiscard]] bool apply();

private:
    char16_t m_character;
    std::shared_ptr<DOMRange> m_range;
    std::u16string m_replacement;
};

} // namespace brevanton
