// The children of one container, cloned before a command changes them in
// place, and the registration of their exact restoration: the container's
// children as they stand after the change are exchanged for the clone, so
// that Undo gives back the very structure (text node boundaries included)
// whatever the command did inside, and the selection of before the change.
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"

#include <memory>
#include <optional>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;
class DOMNode;
class VornickContentEditingView;
class VornickUndoableEdit;

class VornickContainerSnapshot {
public:
    // Clones the container's children only when the edit is undoable.
    VornickContainerSnapshot(const VornickUndoableEdit&, const std::shared_ptr<DOMNode>& container);

    // Registers the exchange back with the edit (nothing when it is not undoable).
    void registerRestore(VornickUndoableEdit&) const;

private:
    std::shared_ptr<DOMNode> m_container;
    std::shared_ptr<DOMDocument> m_document;
    std::shared_ptr<DOMDocumentFragment> m_children;
    char16_t m_substitute { 0 };
    std::optional<VornickFreezeDriedDOMRange> m_selection;
};

// The nearest node that contains both nodes and can hold children (an
// element, a document fragment or the document); null when they share none.
std::shared_ptr<DOMNode> VornickCommonContainerOfNodes(const std::shared_ptr<DOMNode>&, const std::shared_ptr<DOMNode>&);

} // namespace brevanton
