// Unwrapping an element: its contents take its place (with its block
// comments); an element with nothing in it is deleted. One step, "Unwrap".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableUnwrap : public VornickUndoableEdit {
public:
    // The node must be an element (asserted).
    VornickUndoableUnwrap(VornickEditingContext&, bool undoable, std::shared_ptr<DOMNode> elementToUnwrap);

    // False when the element is not in a document.
    [[nodiscard]] bool apply();

private:
    std::shared_ptr<DOMNode> m_element;
};

} // namespace brevanton
