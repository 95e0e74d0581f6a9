// Transforming an element into one of another kind: the new element holds
// the old one's contents and keeps its attributes (an id a link points at, a
// class, a style, a list's start and type), gets the attributes its kind
// requires, and takes the old element's place with its block comments. One
// step, "Transform to <tag>".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class DOMElement;

class VornickUndoableTransform : public VornickUndoableEdit {
public:
    // The element must not be null (asserted).
    VornickUndoableTransform(VornickEditingContext&, bool undoable, std::shared_ptr<DOMElement>, std::u16string tagName);

    // False when the element is not in a document or its replacement could
    // not be made; the result range, when asked for, gets the new element's
    // outer range with its block comments.
    [[nodiscard]] bool apply(std::shared_ptr<DOMRange>* outResultRange = nullptr);

private:
    std::shared_ptr<DOMElement> m_element;
    std::u16string m_tagName;
};

} // namespace brevanton
