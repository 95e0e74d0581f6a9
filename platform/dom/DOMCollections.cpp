#include "platform/dom/DOMCollections.h"

#include "platform/dom/DOMAttr.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

// The version to compare against, or none when the tree has no document.
bool currentVersion(const DOMNode& node, uint64_t& version)
{
    auto* document = node.document();
    if (!document)
        return false;
    version = document->domTreeVersion();
    return true;
}

} // namespace

void DOMNodeList::update() const
{
    if (!m_parent)
        return;
    uint64_t version = 0;
    if (currentVersion(*m_parent, version) && version == m_version)
        return;
    m_nodes.clear();
    for (auto* node = m_parent->first(); node; node = node->next())
        m_nodes.push_back(node->shared_from_this());
    m_version = m_parent->document() ? version : ~uint64_t(0);
}

unsigned DOMNodeList::length() const
{
    update();
    return static_cast<unsigned>(m_nodes.size());
}

std::shared_ptr<DOMNode> DOMNodeList::item(unsigned index) const
{
    update();
    return index < m_nodes.size() ? m_nodes[index] : nullptr;
}

void DOMHTMLCollection::update() const
{
    uint64_t version = 0;
    bool versioned = currentVersion(*m_root, version);
    if (versioned && version == m_version)
        return;
    m_elements.clear();
    m_collector(*m_root, m_elements);
    m_version = versioned ? version : ~uint64_t(0);
}

unsigned DOMHTMLCollection::length() const
{
    update();
    return static_cast<unsigned>(m_elements.size());
}

std::shared_ptr<DOMElement> DOMHTMLCollection::item(unsigned index) const
{
    update();
    if (index >= m_elements.size())
        return nullptr;
    return downcast<DOMElement>(m_elements[index]->shared_from_this());
}

std::shared_ptr<DOMElement> DOMHTMLCollection::namedItem(std::u16string_view name) const
{
    update();
    if (name.empty())
        return nullptr;
    for (auto* element : m_elements) {
        if (auto* id = element->attributeValue(u"id"); id && *id == name)
            return downcast<DOMElement>(element->shared_from_this());
    }
    for (auto* element : m_elements) {
        if (auto* value = element->attributeValue(u"name"); value && *value == name && element->isHTMLElement())
            return downcast<DOMElement>(element->shared_from_this());
    }
    return nullptr;
}

std::shared_ptr<DOMHTMLCollection> makeElementsByTagNameCollection(std::shared_ptr<DOMNode> root,
                                                                   std::u16string_view name)
{
    std::u16string qualified(name);
    std::u16string lower = asciiLowercase(name);
    return std::make_shared<DOMHTMLCollection>(std::move(root),
                                               [qualified, lower](DOMNode& root, std::vector<DOMElement*>& into) {
        bool all = qualified == u"*";
        auto* document = root.document();
        bool htmlDocument = !document || document->isHTMLDocument();
        for (auto* node = root.first(); node; node = node->traverseNext(&root)) {
            auto* element = toElement(node);
            if (!element)
                continue;
            if (all)
                into.push_back(element);
            else if (htmlDocument && element->isHTMLElement()) {
                if (element->qualifiedName().qualifiedName == lower)
                    into.push_back(element);
            } else if (element->qualifiedName().qualifiedName == qualified)
                into.push_back(element);
        }
    });
}

unsigned DOMNamedNodeMap::length() const
{
    return m_element->attributeCount();
}

std::shared_ptr<DOMAttr> DOMNamedNodeMap::item(unsigned index) const
{
    return m_element->attributeNodeAt(index);
}

std::shared_ptr<DOMAttr> DOMNamedNodeMap::getNamedItem(std::u16string_view name) const
{
    return m_element->getAttributeNode(name);
}

std::shared_ptr<DOMAttr> DOMNamedNodeMap::removeNamedItem(std::u16string_view name, Error* outError)
{
    auto attr = m_element->getAttributeNode(name);
    if (!attr) {
        setDOMError(outError, DOMExceptionCode::NotFoundError, u"No attribute of that name.");
        return nullptr;
    }
    m_element->removeAttribute(attr->name());
    return attr;
}

} // namespace brevanton
