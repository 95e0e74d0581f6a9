// HTML patterns: a small piece of HTML such as
// "<figure><table></table><figcaption>" that describes the shape of an
// element subtree by tag names alone. Text, comments and attributes in a
// pattern mean nothing; an element that is not closed contains every
// element that follows it ("<p><img>" is p containing img).
//
// A pattern element matches a DOM element of the same tag name (ignoring
// case) whose child elements match its children in order, blank text
// between them allowed; a pattern element without children matches
// whatever the element holds.
#pragma once

#include "html/VornickHTMLScanner.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMNode;
class DOMNodeList;

class VornickHTMLNode {
public:
    virtual ~VornickHTMLNode() = default;
};

class VornickHTMLContainerNode : public VornickHTMLNode {
public:
    void addChild(std::shared_ptr<VornickHTMLNode> child);
    // A copy of the children; empty when there are none.
    std::vector<std::shared_ptr<VornickHTMLNode>> children() const { return m_children; }
    // The children of class T, in order.
    template<typename T>
    std::vector<std::shared_ptr<T>> childrenOfClass() const
    {
        std::vector<std::shared_ptr<T>> result;
        for (const auto& child : m_children) {
            if (auto typed = std::dynamic_pointer_cast<T>(child))
                result.push_back(std::move(typed));
        }
        return result;
    }

private:
    std::vector<std::shared_ptr<VornickHTMLNode>> m_children;
};

class VornickHTMLElement : public VornickHTMLContainerNode {
public:
    explicit VornickHTMLElement(std::u16string tagName) : m_tagName(std::move(tagName)) {}
    const std::u16string& tagName() const { return m_tagName; }
    // "<tagName>"
    std::u16string description() const { return u"<" + m_tagName + u">"; }

private:
    std::u16string m_tagName;
};

// Builds the element tree of a pattern string with a forgiving scan.
class VornickHTMLPatternParser : public VornickHTMLScannerDelegate {
public:
    // The top-level nodes, or nullopt when the scan fails.
    std::optional<std::vector<std::shared_ptr<VornickHTMLNode>>> parseHTMLPatternString(std::u16string_view patternString);

protected:
    void htmlScannerBeginElementAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName) override;
    void htmlScannerEndElementCloseTagAt(VornickHTMLScanner&, size_t offset, std::u16string_view tagName,
                                         size_t closeTagStartedAt) override;

private:
    std::vector<std::shared_ptr<VornickHTMLNode>> m_topLevelNodes;
    std::vector<std::shared_ptr<VornickHTMLElement>> m_openElements;
};

class VornickHTMLPattern {
public:
    static std::shared_ptr<VornickHTMLPattern> patternWithHTMLPatternString(std::u16string patternString);
    explicit VornickHTMLPattern(std::u16string patternString);

    const std::u16string& patternString() const { return m_patternString; }
    const std::vector<std::shared_ptr<VornickHTMLNode>>& nodes() const { return m_nodes; }

    // The tag name of the one top-level element; nullopt when the pattern has
    // no element or more than one at the top.
    std::optional<std::u16string> rootElementKind() const;

    // Whether the pattern's one top-level node matches `node`.
    bool matchNodeSubtree(const DOMNode& node) const;
    static bool patternNode(const VornickHTMLNode& patternNode, const DOMNode& domNode);
    static bool patternNodes(const std::vector<std::shared_ptr<VornickHTMLNode>>& patternNodes, const DOMNodeList& domNodes);

    // "/patternString/"
    std::u16string description() const { return u"/" + m_patternString + u"/"; }

private:
    std::u16string m_patternString;
    std::vector<std::shared_ptr<VornickHTMLNode>> m_nodes;
};

} // namespace brevanton
