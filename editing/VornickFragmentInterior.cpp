#include "editing/VornickFragmentInterior.h"

#include "dom/VornickDOMPosition.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

VornickFragmentInterior::VornickFragmentInterior(const DOMDocumentFragment& fragment, VornickFreezeDriedDOMRange interior)
    : m_interior(std::move(interior))
{
    for (auto* node = fragment.first(); node; node = node->next())
        m_topNodes.push_back(node->shared_from_this());
}

VornickDOMPosition VornickFragmentInterior::positionAfterInsertion(const VornickRelativeDOMPath& path) const
{
    const auto& components = path.pathComponents();
    if (components.empty() || m_topNodes.empty())
        return {};
    int32_t index = components.front().offsetInNode();
    int32_t count = static_cast<int32_t>(m_topNodes.size());
    if (index < 0 || index > count)
        return {};
    if (components.size() == 1) {
        // A gap of the fragment itself: before one of its nodes, or after the last.
        VornickDOMPosition position { m_topNodes[index < count ? index : count - 1], 0 };
        if (!position.node->isConnected())
            return {};
        bool moved = index < count ? VornickMoveDOMPositionUpToBeforeNode(position) : VornickMoveDOMPositionUpToAfterNode(position);
        return moved ? position : VornickDOMPosition {};
    }
    if (index == count || !m_topNodes[index]->isConnected())
        return {};
    VornickRelativeDOMPath rest({ components.begin() + 1, components.end() }, path.skipsWhitespaceNodes());
    return rest.positionRelativeToNewAncestor(m_topNodes[index]);
}

std::shared_ptr<DOMRange> VornickFragmentInterior::rangeAfterInsertion() const
{
    if (!m_interior.startPositionPath() || !m_interior.endPositionPath())
        return nullptr;
    auto start = positionAfterInsertion(*m_interior.startPositionPath());
    auto end = positionAfterInsertion(*m_interior.endPositionPath());
    if (!start.node || !end.node)
        return nullptr;
    auto document = start.node->ownerDocument();
    if (!document || DOMRange::compareBoundaryPointPositions(start.node.get(), static_cast<unsigned>(start.offset), end.node.get(),
                                                             static_cast<unsigned>(end.offset)) > 0)
        return nullptr;
    auto range = document->createRange();
    vornick_setStartPosition(*range, start);
    vornick_setEndPosition(*range, end);
    return range;
}

} // namespace brevanton
