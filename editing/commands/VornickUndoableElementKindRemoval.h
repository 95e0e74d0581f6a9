// Removing every application of an inline element kind from a range (the
// "toggle off" of bold, emphasis, code and the like). The outermost elements
// of the kind at the two ends are split where the range leaves and enters
// them, and every element of the kind then inside the range is unwrapped in
// place, so a range across paragraphs or list items leaves them as they
// were; elements of the kind wholly inside the range go even when neither end
// lies in one. The change stays inside the nearest container of the elements
// involved, and Undo gives that container's children back exactly. One step,
// "Toggle <tag>".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableElementKindRemoval : public VornickUndoableEdit {
public:
    // The range must not be null (asserted).
    VornickUndoableElementKindRemoval(VornickEditingContext&, bool undoable, std::u16string tagName, std::shared_ptr<DOMRange>);

    // False when no element of the kind encloses either end or lies inside the range.
    [[nodiscard]] bool apply();

private:
    std::u16string m_tagName;
    std::shared_ptr<DOMRange> m_range;
};

} // namespace brevanton
