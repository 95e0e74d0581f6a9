#include "dom/VornickRelativeDOMPath.h"

#include "dom/VornickDOMServices.h"
#include "dom/VornickNodeExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

namespace {

std::u16string nameOfNode(const DOMNode& node)
{
    switch (node.nodeType()) {
    case DOMNode::ELEMENT_NODE:
        return downcast<DOMElement>(node).tagName();
    case DOMNode::TEXT_NODE:
        return u"DOMText";
    case DOMNode::CDATA_SECTION_NODE:
        return u"DOMCDATASection";
    case DOMNode::COMMENT_NODE:
        return u"DOMComment";
    case DOMNode::PROCESSING_INSTRUCTION_NODE:
        return u"DOMProcessingInstruction";
    case DOMNode::DOCUMENT_NODE:
        return u"DOMDocument";
    case DOMNode::DOCUMENT_FRAGMENT_NODE:
        return u"DOMDocumentFragment";
    default:
        return u"DOMNode";
    }
}

bool isBlankText(const DOMNode& node, char16_t substitute)
{
    return node.isTextNode()
        && vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(
            downcast<DOMCharacterData>(node).data(), substitute);
}

// The child with `index` earlier siblings that are not whitespace-only text.
DOMNode* childSkippingWhitespace(const DOMNode& node, int32_t index)
{
    if (index < 0)
        return nullptr;
    int32_t count = 0;
    for (DOMNode* child = node.first(); child; child = child->next()) {
        if (isBlankText(*child, 0))
            continue;
        if (count++ == index)
            return child;
    }
    return nullptr;
}

} // namespace

VornickRelativeDOMPathComponent::VornickRelativeDOMPathComponent(uint16_t nodeType, std::u16string name,
                                                                 int32_t offsetInNode, bool offsetSkipsWhitespaceNodes)
    : m_nodeType(nodeType)
    , m_name(std::move(name))
    , m_offsetInNode(offsetInNode)
    , m_offsetSkipsWhitespaceNodes(offsetSkipsWhitespaceNodes)
{
}

Value VornickRelativeDOMPathComponent::encodeWithCoder() const
{
    Dictionary dictionary;
    dictionary[u"nodeType"] = Value(static_cast<int>(m_nodeType));
    dictionary[u"name"] = Value(m_name);
    dictionary[u"offsetInNode"] = Value(static_cast<int>(m_offsetInNode));
    if (m_offsetSkipsWhitespaceNodes)
        dictionary[u"offsetSkipsWhitespaceNodes"] = Value(true);
    return Value(std::move(dictionary));
}

std::optional<VornickRelativeDOMPathComponent> VornickRelativeDOMPathComponent::createWithCoder(const Value& value)
{
    if (!value.isDictionary())
        return std::nullopt;
    const Value* nodeType = value.find(u"nodeType");
    const Value* name = value.find(u"name");
    const Value* offset = value.find(u"offsetInNode");
    if (!nodeType || !nodeType->isNumber() || !offset || !offset->isNumber() || (name && !name->isString()))
        return std::nullopt;
    int64_t type = nodeType->integerValue();
    if (type != DOMNode::ELEMENT_NODE && type != DOMNode::TEXT_NODE && type != DOMNode::CDATA_SECTION_NODE
        && type != DOMNode::DOCUMENT_NODE)
        return std::nullopt;
    return VornickRelativeDOMPathComponent(static_cast<uint16_t>(type), name ? name->string() : std::u16string(),
                                           static_cast<int32_t>(offset->integerValue()),
                                           value[u"offsetSkipsWhitespaceNodes"].boolValue());
}

std::u16string VornickRelativeDOMPathComponent::description() const
{
    return m_name + u"[" + toUTF16(std::to_string(m_offsetInNode)) + (m_offsetSkipsWhitespaceNodes ? u" (skip ws)" : u"")
        + u"]";
}

std::optional<VornickRelativeDOMPath> VornickRelativeDOMPath::pathToPosition(const VornickDOMPosition& position,
                                                                             const DOMNode* ancestor,
                                                                             bool skipWhitespaceNodes)
{
    if (!position.node || !ancestor)
        return std::nullopt;
    VornickDOMPosition place = position;
    if (skipWhitespaceNodes && place.node.get() != ancestor && place.node->parent() && isBlankText(*place.node, 0)) {
        // Skipped nodes cannot be found again: a place in whitespace-only text
        // is recorded as the gap before that text in its parent.
        DOMNode* parent = place.node->parent();
        place = { parent->shared_from_this(), static_cast<int32_t>(vornick_indexOfChildNode(*parent, place.node.get())) };
    }
    return pathToPlace(place, ancestor, skipWhitespaceNodes);
}

std::optional<VornickRelativeDOMPath> VornickRelativeDOMPath::pathToPlace(const VornickDOMPosition& position,
                                                                          const DOMNode* ancestor,
                                                                          bool skipWhitespaceNodes)
{
    int32_t offset = position.offset;
    if (skipWhitespaceNodes && position.node->isElementNode()) {
        // The count of non-blank children before the gap; resolving maps it back
        // to the gap before the corresponding child (or to the end).
        char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*position.node);
        int32_t count = 0;
        int32_t index = 0;
        for (DOMNode* child = position.node->first(); child && index < position.offset; child = child->next(), ++index) {
            if (!isBlankText(*child, substitute))
                ++count;
        }
        offset = count;
    }
    std::vector<Component> components;
    DOMNode* node = position.node.get();
    while (true) {
        components.emplace_back(node->nodeType(), nameOfNode(*node), offset, skipWhitespaceNodes);
        if (node == ancestor)
            break;
        DOMNode* parent = node->parent();
        if (!parent)
            return std::nullopt;
        size_t index = skipWhitespaceNodes ? vornick_normalizedIndexOfChildNodeIgnoringWhitespaceOnlyNodes(*parent, node)
                                           : vornick_indexOfChildNode(*parent, node);
        if (index == VornickNotFound)
            return std::nullopt;
        offset = static_cast<int32_t>(index);
        node = parent;
    }
    std::reverse(components.begin(), components.end());
    return VornickRelativeDOMPath(std::move(components), skipWhitespaceNodes);
}

VornickRelativeDOMPath::VornickRelativeDOMPath(std::vector<Component> components, bool skipsWhitespaceNodes)
    : m_skipsWhitespaceNodes(skipsWhitespaceNodes)
{
    m_components.reserve(std::max<size_t>(16, components.size()));
    for (auto& component : components) {
        BREVANTON_ASSERT(component.offsetSkipsWhitespaceNodes() == skipsWhitespaceNodes,
                         "Path component's whitespace policy is incompatible with path's");
        m_components.push_back(std::move(component));
    }
}

VornickDOMPosition VornickRelativeDOMPath::positionRelativeToNewAncestor(const std::shared_ptr<DOMNode>& ancestor) const
{
    if (m_components.empty() || !ancestor)
        return {};
    DOMNode* node = ancestor.get();
    for (size_t i = 0; i + 1 < m_components.size(); ++i) {
        if (!node->isContainerNode())
            return {};
        int32_t offset = m_components[i].offsetInNode();
        DOMNode* next = nullptr;
        if (m_skipsWhitespaceNodes)
            next = childSkippingWhitespace(*node, offset);
        else if (offset >= 0)
            next = node->childAt(static_cast<unsigned>(offset));
        if (!next)
            return {};
        node = next;
    }
    int32_t offset = m_components.back().offsetInNode();
    if (offset < 0)
        return {};
    if (node->isTextNode()) {
        if (static_cast<size_t>(offset) > downcast<DOMCharacterData>(node)->length())
            return {};
        return { node->shared_from_this(), offset };
    }
    if (!node->isElementNode() && !node->isDocumentFragmentNode())
        return {};
    int32_t childCount = static_cast<int32_t>(node->childCount());
    if (m_skipsWhitespaceNodes && node->isElementNode()) {
        // Back from a count of non-blank children to a gap: before the child
        // with that many non-blank children before it, or the end.
        char16_t substitute = vornick_nonBreakingSpaceSubstituteCharacter(*node);
        int32_t count = 0;
        int32_t index = 0;
        for (DOMNode* child = node->first(); child; child = child->next(), ++index) {
            if (isBlankText(*child, substitute))
                continue;
            if (count == offset)
                return { node->shared_from_this(), index };
            ++count;
        }
        if (offset == count)
            return { node->shared_from_this(), childCount };
        return {};
    }
    if (offset > childCount)
        return {};
    return { node->shared_from_this(), offset };
}

void VornickRelativeDOMPath::insertPathComponent(Component component, size_t index)
{
    m_components.insert(m_components.begin() + static_cast<std::ptrdiff_t>(std::min(index, m_components.size())),
                        std::move(component));
}

void VornickRelativeDOMPath::insertOffset(int32_t offset, size_t index)
{
    insertPathComponent(VornickRelativeDOMPathComponent(0, u"*", offset, m_skipsWhitespaceNodes), index);
}

void VornickRelativeDOMPath::adjustOffsetAtIndex(size_t index, int32_t delta)
{
    if (delta == 0 || index >= m_components.size())
        return;
    m_components[index].setOffsetInNode(m_components[index].offsetInNode() + delta);
}

Value VornickRelativeDOMPath::encodeWithCoder() const
{
    Array components;
    for (const auto& component : m_components)
        components.push_back(component.encodeWithCoder());
    Dictionary dictionary;
    dictionary[u"skipsWhitespaceNodes"] = Value(m_skipsWhitespaceNodes);
    dictionary[u"pathComponents"] = Value(std::move(components));
    return Value(std::move(dictionary));
}

std::optional<VornickRelativeDOMPath> VornickRelativeDOMPath::createWithCoder(const Value& value)
{
    if (!value.isDictionary())
        return std::nullopt;
    const Value* components = value.find(u"pathComponents");
    if (!components || !components->isArray())
        return std::nullopt;
    bool skips = value[u"skipsWhitespaceNodes"].boolValue();
    std::vector<Component> decoded;
    for (const auto& item : components->array()) {
        auto component = VornickRelativeDOMPathComponent::createWithCoder(item);
        if (!component || component->offsetSkipsWhitespaceNodes() != skips)
            return std::nullopt;
        decoded.push_back(std::move(*component));
    }
    return VornickRelativeDOMPath(std::move(decoded), skips);
}

std::u16string VornickRelativeDOMPath::description() const
{
    if (m_components.empty())
        return u"(empty path)";
    std::u16string text;
    for (size_t i = 0; i < m_components.size(); ++i) {
        if (i)
            text += u"->";
        text += m_components[i].description();
    }
    return text;
}

} // namespace brevanton
