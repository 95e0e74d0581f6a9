// A node named for an undo action by its place in the document: the path to
// the gap before it, from the document. Resolving it after other edits were
// undone gives the node that stands there then (possibly a copy of the one
// recorded), never a node that has left the document.
#pragma once

#include "dom/VornickRelativeDOMPath.h"

#include <memory>
#include <optional>

namespace brevanton {

class DOMDocument;
class DOMNode;

class VornickUndoableNodeReference {
public:
    // None for a node that is not in a document.
    static std::optional<VornickUndoableNodeReference> referenceToNode(const DOMNode&);

    // The node at the recorded place, or null when the document went away or
    // the place no longer exists.
    std::shared_ptr<DOMNode> resolve() const;

private:
    VornickUndoableNodeReference(VornickRelativeDOMPath path, std::weak_ptr<DOMDocument> document)
        : m_path(std::move(path))
        , m_document(std::move(document))
    {
    }

    VornickRelativeDOMPath m_path;
    std::weak_ptr<DOMDocument> m_document;
};

} // namespace brevanton
