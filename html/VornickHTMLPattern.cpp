#include "html/VornickHTMLPattern.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMNode.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

void VornickHTMLContainerNode::addChild(std::shared_ptr<VornickHTMLNode> child)
{
    if (child)
        m_children.push_back(std::move(child));
}

std::optional<std::vector<std::shared_ptr<VornickHTMLNode>>> VornickHTMLPatternParser::parseHTMLPatternString(std::u16string_view patternString)
{
    m_topLevelNodes.clear();
    m_topLevelNodes.reserve(4);
    m_openElements.clear();
    m_openElements.reserve(8);

    VornickHTMLScanner scanner;
    scanner.setDelegate(this);
    bool scanned = scanner.parseHTMLString(patternString);
    m_openElements.clear();
    auto nodes = std::move(m_topLevelNodes);
    m_topLevelNodes = {};
    if (!scanned)
        return std::nullopt;
    return nodes;
}

void VornickHTMLPatternParser::htmlScannerBeginElementAt(VornickHTMLScanner&, size_t, std::u16string_view tagName)
{
    auto element = std::make_shared<VornickHTMLElement>(std::u16string(tagName));
    if (m_openElements.empty())
        m_topLevelNodes.push_back(element);
    else
        m_openElements.back()->addChild(element);
    m_openElements.push_back(std::move(element));
}

void VornickHTMLPatternParser::htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t, std::u16string_view tagName, size_t)
{
    if (!m_openElements.empty() && equalsIgnoringASCIICase(m_openElements.back()->tagName(), tagName))
        m_openElements.pop_back();
}

std::shared_ptr<VornickHTMLPattern> VornickHTMLPattern::patternWithHTMLPatternString(std::u16string patternString)
{
    return std::make_shared<VornickHTMLPattern>(std::move(patternString));
}

VornickHTMLPattern::VornickHTMLPattern(std::u16string patternString)
    : m_patternString(std::move(patternString))
{
    VornickHTMLPatternParser parser;
    if (auto nodes = parser.parseHTMLPatternString(m_patternString))
        m_nodes = std::move(*nodes);
}

std::optional<std::u16string> VornickHTMLPattern::rootElementKind() const
{
    std::shared_ptr<VornickHTMLElement> root;
    for (const auto& node : m_nodes) {
        auto element = std::dynamic_pointer_cast<VornickHTMLElement>(node);
        if (!element)
            continue;
        if (root)
            return std::nullopt;
        root = std::move(element);
    }
    if (!root)
        return std::nullopt;
    return root->tagName();
}

static bool isBlankText(const DOMNode& node)
{
    if (!node.isTextNode())
        return false;
    std::u16string value = node.nodeValue();
    return std::all_of(value.begin(), value.end(), isHTMLWhitespace);
}

// Walks the DOM children in order against the pattern children.
template<typename NextNode>
static bool patternChildrenMatch(const std::vector<std::shared_ptr<VornickHTMLNode>>& patternChildren, NextNode&& nextNode)
{
    size_t matched = 0;
    while (const DOMNode* node = nextNode()) {
        if (isBlankText(*node))
            continue;
        if (!node->isElementNode() || matched >= patternChildren.size())
            return false;
        if (!VornickHTMLPattern::patternNode(*patternChildren[matched], *node))
            return false;
        ++matched;
    }
    return matched == patternChildren.size();
}

bool VornickHTMLPattern::patternNode(const VornickHTMLNode& patternNode, const DOMNode& domNode)
{
    auto* patternElement = dynamic_cast<const VornickHTMLElement*>(&patternNode);
    if (!patternElement || !domNode.isElementNode())
        return false;
    const auto& element = downcast<DOMElement>(domNode);
    if (!equalsIgnoringASCIICase(element.tagName(), patternElement->tagName()))
        return false;
    auto patternChildren = patternElement->children();
    if (patternChildren.empty())
        return true;
    const DOMNode* next = domNode.first();
    return patternChildrenMatch(patternChildren, [&]() -> const DOMNode* {
        const DOMNode* node = next;
        if (node)
            next = node->next();
        return node;
    });
}

bool VornickHTMLPattern::patternNodes(const std::vector<std::shared_ptr<VornickHTMLNode>>& patternNodes, const DOMNodeList& domNodes)
{
    unsigned index = 0;
    std::shared_ptr<DOMNode> current;
    return patternChildrenMatch(patternNodes, [&]() -> const DOMNode* {
        current = domNodes.item(index++);
        return current.get();
    });
}

bool VornickHTMLPattern::matchNodeSubtree(const DOMNode& node) const
{
    return m_nodes.size() == 1 && patternNode(*m_nodes.front(), node);
}

} // namespace brevanton
