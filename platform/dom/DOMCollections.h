// Live lists over the tree: DOMNodeList (child lists, or a fixed list of
// nodes), DOMHTMLCollection (elements picked by a filter) and
// DOMNamedNodeMap (an element's attributes). Live lists recompute lazily when
// the document's tree version changes.
#pragma once

#include "platform/dom/DOMNode.h"

#include <functional>
#include <vector>

namespace brevanton {

class DOMNodeList {
public:
    // The live list of `parent`'s children.
    explicit DOMNodeList(std::shared_ptr<DOMNode> parent)
        : m_parent(std::move(parent))
    {
    }
    // A fixed list.
    explicit DOMNodeList(std::vector<std::shared_ptr<DOMNode>> nodes)
        : m_nodes(std::move(nodes))
    {
    }

    unsigned length() const;
    // Null past the end.
    std::shared_ptr<DOMNode> item(unsigned index) const;

private:
    void update() const;

    std::shared_ptr<DOMNode> m_parent;
    mutable std::vector<std::shared_ptr<DOMNode>> m_nodes;
    mutable uint64_t m_version { ~uint64_t(0) };
};

class DOMHTMLCollection {
public:
    using Collector = std::function<void(DOMNode& root, std::vector<DOMElement*>& into)>;

    DOMHTMLCollection(std::shared_ptr<DOMNode> root, Collector collector)
        : m_root(std::move(root))
        , m_collector(std::move(collector))
    {
    }

    unsigned length() const;
    std::shared_ptr<DOMElement> item(unsigned index) const;
    // The first element whose id, or else whose name attribute, is `name`.
    std::shared_ptr<DOMElement> namedItem(std::u16string_view name) const;

private:
    void update() const;

    std::shared_ptr<DOMNode> m_root;
    Collector m_collector;
    mutable std::vector<DOMElement*> m_elements;
    mutable uint64_t m_version { ~uint64_t(0) };
};

class DOMNamedNodeMap {
public:
    explicit DOMNamedNodeMap(std::shared_ptr<DOMElement> element)
        : m_element(std::move(element))
    {
    }

    unsigned length() const;
    std::shared_ptr<DOMAttr> item(unsigned index) const;
    std::shared_ptr<DOMAttr> getNamedItem(std::u16string_view name) const;
    // The removed attribute; NotFoundError when absent.
    std::shared_ptr<DOMAttr> removeNamedItem(std::u16string_view name, Error* outError = nullptr);

private:
    std::shared_ptr<DOMElement> m_element;
};

// The live collection of the elements below `root` named `name` ("*" for
// all): HTML elements in HTML documents match in ASCII lower case.
std::shared_ptr<DOMHTMLCollection> makeElementsByTagNameCollection(std::shared_ptr<DOMNode> root,
                                                                   std::u16string_view name);

} // namespace brevanton
