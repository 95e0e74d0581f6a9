#include "editing/VornickUndoableNodeReference.h"

#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMNode.h"

namespace brevanton {

std::optional<VornickUndoableNodeReference> VornickUndoableNodeReference::referenceToNode(const DOMNode& node)
{
    auto document = node.ownerDocument();
    auto parent = node.parentNode();
    if (!document || !parent || !node.isConnected())
        return std::nullopt;
    auto path = VornickRelativeDOMPath::pathToPosition({ parent, static_cast<int32_t>(node.index()) }, document.get(), false);
    if (!path)
        return std::nullopt;
    return VornickUndoableNodeReference(std::move(*path), document);
}

std::shared_ptr<DOMNode> VornickUndoableNodeReference::resolve() const
{
    auto document = m_document.lock();
    if (!document)
        return nullptr;
    auto position = m_path.positionRelativeToNewAncestor(document);
    if (!position.node || !position.node->isContainerNode() || position.offset < 0)
        return nullptr;
    auto* child = position.node->childAt(static_cast<unsigned>(position.offset));
    return child ? child->shared_from_this() : nullptr;
}

} // namespace brevanton
