#include "html/VornickBlockCheckCache.h"

#include "html/VornickBlockModeHelper.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"

namespace brevanton {

void VornickBlockCheckCache::invalidate()
{
    m_valid = false;
    m_errors.clear();
    m_blocksWithoutElement.clear();
}

bool VornickBlockCheckCache::lastWalkHolds(const VornickBlockModeHelper& helper, const DOMElement& root, const DOMDocument& document) const
{
    if (!m_valid || m_root.lock().get() != &root || m_document.lock().get() != &document || m_helper != &helper
        || !root.isConnected())
        return false;
    if (helper.blockStartCommentPrefix() != m_startPrefix || helper.blockEndCommentPrefix() != m_endPrefix
        || helper.acceptsElementsBetweenBlocks() != m_acceptsElementsBetweenBlocks)
        return false;
    auto structureChanges = document.structureChangesSince(m_structureVersion);
    if (!structureChanges)
        return false;
    for (const auto& change : *structureChanges) {
        auto target = change.target.lock();
        if (change.kind == DOMStructureChange::Kind::ChildList) {
            // A container gone since is not the root, which is held.
            if (target.get() == &root)
                return false;
            // The root (or what holds it) put back: its children may have
            // changed while it was out of the page, unrecorded.
            if (auto inserted = change.inserted.lock(); inserted && inserted->isInclusiveAncestorOf(&root))
                return false;
            continue;
        }
        // An attribute of a child element (a placeholder's class); an element
        // gone since may have been one.
        if (!target || target->parent() == &root)
            return false;
    }
    std::vector<std::shared_ptr<DOMNode>> dataChanges;
    if (!document.characterDataChangesSince(m_characterDataVersion, dataChanges))
        return false;
    for (const auto& node : dataChanges) {
        if (node->nodeType() == DOMNode::COMMENT_NODE && node->parent() == &root)
            return false;
    }
    return true;
}

void VornickBlockCheckCache::walk(const VornickBlockModeHelper& helper, DOMElement& root)
{
    invalidate();
    helper.enumerateChildBlocksOfNode(root, 0, [this](const VornickExactSelection& block, const std::optional<Error>& error, bool&) {
        if (error)
            m_errors.push_back(VornickBlockError::blockError(*error, block));
        else if (block.blockStartComment() && !block.element())
            m_blocksWithoutElement.push_back(block);
    });
    auto document = root.ownerDocument();
    if (!document)
        return;
    m_valid = true;
    m_root = std::static_pointer_cast<DOMElement>(root.shared_from_this());
    m_document = document;
    m_helper = &helper;
    m_startPrefix = helper.blockStartCommentPrefix();
    m_endPrefix = helper.blockEndCommentPrefix();
    m_acceptsElementsBetweenBlocks = helper.acceptsElementsBetweenBlocks();
    m_structureVersion = document->connectedStructureVersion();
    m_characterDataVersion = document->characterDataVersion();
}

std::vector<VornickBlockError> VornickBlockCheckCache::errorsOfChildBlocksOfElement(const VornickBlockModeHelper& helper, DOMElement& root)
{
    auto document = root.ownerDocument();
    if (!document || !lastWalkHolds(helper, root, *document))
        walk(helper, root);
    return m_errors;
}

std::vector<VornickExactSelection> VornickBlockCheckCache::blocksWithoutElementAmongChildrenOfElement(const VornickBlockModeHelper& helper,
                                                                                                    DOMElement& root)
{
    auto document = root.ownerDocument();
    if (!document || !lastWalkHolds(helper, root, *document))
        walk(helper, root);
    return m_blocksWithoutElement;
}

} // namespace brevanton
