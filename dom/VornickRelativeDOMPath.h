// A place in the DOM recorded as child indices from an ancestor (usually the
// body element), so that it can be found again after the tree was rebuilt.
// A path may skip whitespace-only text nodes when it counts, so that a place
// recorded before the HTML was regenerated still fits the new tree. Paths and
// their components are values: a copy never changes with its original.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class VornickRelativeDOMPathComponent {
public:
    VornickRelativeDOMPathComponent() = default;
    VornickRelativeDOMPathComponent(uint16_t nodeType, std::u16string name, int32_t offsetInNode,
                                    bool offsetSkipsWhitespaceNodes);

    uint16_t nodeType() const { return m_nodeType; }
    const std::u16string& name() const { return m_name; }
    // The index of the next node among this node's children; in the last
    // step, the position's offset in its node.
    int32_t offsetInNode() const { return m_offsetInNode; }
    void setOffsetInNode(int32_t offset) { m_offsetInNode = offset; }
    bool offsetSkipsWhitespaceNodes() const { return m_offsetSkipsWhitespaceNodes; }

    // Keyed archiving: "nodeType", "name", "offsetInNode" and, when set,
    // "offsetSkipsWhitespaceNodes". Null for another node type than element,
    // text, CDATA or document, or a malformed dictionary.
    Value encodeWithCoder() const;
    static std::optional<VornickRelativeDOMPathComponent> createWithCoder(const Value&);
    std::u16string description() const;

    friend bool operator==(const VornickRelativeDOMPathComponent&, const VornickRelativeDOMPathComponent&) = default;

private:
    uint16_t m_nodeType { 0 };
    std::u16string m_name;
    int32_t m_offsetInNode { 0 };
    bool m_offsetSkipsWhitespaceNodes { false };
};

class VornickRelativeDOMPath {
public:
    using Component = VornickRelativeDOMPathComponent;

    // The path from `ancestor` down to the position; none when the position is not below it.
    static std::optional<VornickRelativeDOMPath> pathToPosition(const VornickDOMPosition&, const DOMNode* ancestor,
                                                                  bool skipWhitespaceNodes);
    // Asserts that every component has the path's whitespace policy.
    VornickRelativeDOMPath(std::vector<Component> components, bool skipsWhitespaceNodes);

    // The position in a new tree; a position with a null node when the path does not fit.
    VornickDOMPosition positionRelativeToNewAncestor(const std::shared_ptr<DOMNode>& ancestor) const;

    const std::vector<Component>& pathComponents() const { return m_components; }
    bool skipsWhitespaceNodes() const { return m_skipsWhitespaceNodes; }
    void insertPathComponent(Component, size_t index);
    // A component of node type 0 and name "*" with the offset and the path's policy.
    void insertOffset(int32_t offset, size_t index);
    void adjustOffsetAtIndex(size_t index, int32_t delta);

    // Keyed archiving: "skipsWhitespaceNodes" and "pathComponents".
    Value encodeWithCoder() const;
    static std::optional<VornickRelativeDOMPath> createWithCoder(const Value&);
    std::u16string description() const;

    friend bool operator==(const VornickRelativeDOMPath&, const VornickRelativeDOMPath&) = default;

private:
    static std::optional<VornickRelativeDOMPath> pathToPlace(const VornickDOMPosition&, const DOMNode* ancestor,
                                                             bool skipWhitespaceNodes);

    std::vector<Component> m_components;
    bool m_skipsWhitespaceNodes { false };
};

} // namespace brevanton
