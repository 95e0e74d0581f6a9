// Deleting an element of the document's head, by its index among the head's
// child nodes (a node there that is no element, or no node, is left alone).
// The inverse puts an element with the same tag, attributes and copies of
// the children back at the same index.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableHeadElementDeletion : public VornickUndoableEdit {
public:
    VornickUndoableHeadElementDeletion(VornickEditingContext&, bool undoable, unsigned index, std::shared_ptr<DOMDocument>);

    void apply();

private:
    unsigned m_index;
    std::shared_ptr<DOMDocument> m_document;
};

} // namespace brevanton
