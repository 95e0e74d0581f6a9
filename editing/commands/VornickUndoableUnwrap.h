// Unwrapping an element: its contents take its place (with its block
// comments); an element with nothing in it is deleted. One step, "Unwrap".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class DOMElement;
class VornickHTMLSpec;

// Whether the element's parent may hold the element's children once it is
// unwrapped (whitespace-only text aside): unwrapping a cell would leave its
// text directly in the row, where no browser shows it. An element with no
// parent element, or a specification that does not know the parent, passes.
bool VornickParentMayTakeChildrenOfElement(const VornickHTMLSpec&, const DOMElement&, std::u16string* reasonWhyNot = nullptr);

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
