// Inserting an element into the document's head at an index among the
// head's child nodes; an index at or past the end appends. The element takes
// the attribute values that have a value and the child nodes as they are.
// The inverse deletes the element at the index where it went.
#pragma once

#include "dom/VornickElementAttributeValue.h"
#include "editing/commands/VornickUndoableEdit.h"

#include <vector>

namespace brevanton {

class VornickUndoableHeadElementInsertion : public VornickUndoableEdit {
public:
    VornickUndoableHeadElementInsertion(VornickEditingContext&, bool undoable, std::u16string tagName,
                                        std::vector<VornickElementAttributeValue> attributeValues,
                                        std::vector<std::shared_ptr<DOMNode>> childNodes, unsigned index,
                                        std::shared_ptr<DOMDocument>);

    // False when the document has no head or the tag name makes no element.
    [[nodiscard]] bool apply();

private:
    std::u16string m_tagName;
    std::vector<VornickElementAttributeValue> m_attributeValues;
    std::vector<std::shared_ptr<DOMNode>> m_childNodes;
    unsigned m_index;
    std::shared_ptr<DOMDocument> m_document;
};

} // namespace brevanton
