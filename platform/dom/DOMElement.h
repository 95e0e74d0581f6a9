// DOMElement: a named element with an ordered attribute list. A new
// attribute name appends; setting an existing one keeps its place.
#pragma once

#include "platform/dom/DOMAttributeList.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMNode.h"
#include "platform/dom/DOMQualifiedName.h"

#include <vector>

namespace brevanton {

class DOMCSSStyleDeclaration;
class DOMDocumentFragment;
class DOMHTMLCollection;
class DOMNamedNodeMap;

class DOMElement final : public DOMContainerNode {
public:
    using Attribute = DOMAttributeList::Attribute;

    DOMElement(const DOMDocumentHandlePtr& handle, const DOMQualifiedName* name)
        : DOMContainerNode(ELEMENT_NODE, handle)
    {
        m_data32 = name->index;
        if (isStyleSheetElementName(*name))
            m_flags |= mayHoldStyleSheetElementFlag;
    }
    ~DOMElement();

    // STYLE, LINK and BASE: the HTML elements that change the document's style sheets.
    static bool isStyleSheetElementName(const DOMQualifiedName& name)
    {
        const auto& local = name.localName;
        return name.isHTML && local.size() >= 4 && local.size() <= 5 && (local == u"style" || local == u"link" || local == u"base");
    }

    const DOMQualifiedName& qualifiedName() const { return *DOMQualifiedName::byIndex(m_data32); }
    // Upper case for HTML elements in HTML documents; as written otherwise.
    const std::u16string& tagName() const;
    const std::u16string& localName() const { return qualifiedName().localName; }
    const std::u16string& namespaceURI() const { return qualifiedName().namespaceURI; }
    const std::u16string& prefix() const { return qualifiedName().prefix; }
    bool isHTMLElement() const { return qualifiedName().isHTML; }
    // True for an HTML element whose local name is `lowercaseName`.
    bool hasTagName(std::u16string_view lowercaseName) const
    {
        return qualifiedName().isHTML && qualifiedName().localName == lowercaseName;
    }

    // Attributes. An absent attribute reads as "". Names of HTML elements in
    // HTML documents are matched in ASCII lower case.
    std::u16string getAttribute(std::u16string_view name) const;
    const std::u16string* attributeValue(std::u16string_view name) const;
    bool hasAttribute(std::u16string_view name) const { return attributeValue(name) != nullptr; }
    bool hasAttributes() const { return !m_attributes.empty(); }
    bool setAttribute(std::u16string_view name, std::u16string_view value, Error* outError = nullptr);
    void removeAttribute(std::u16string_view name);
    bool toggleAttribute(std::u16string_view name);
    std::shared_ptr<DOMAttr> getAttributeNode(std::u16string_view name);
    std::shared_ptr<DOMNamedNodeMap> attributes();
    const DOMAttributeList& attributeList() const { return m_attributes; }
    unsigned attributeCount() const { return static_cast<unsigned>(m_attributes.size()); }
    std::shared_ptr<DOMAttr> attributeNodeAt(unsigned index);

    std::u16string id() const { return getAttribute(u"id"); }
    void setId(std::u16string_view value) { setAttribute(u"id", value); }
    std::u16string className() const { return getAttribute(u"class"); }
    void setClassName(std::u16string_view value) { setAttribute(u"class", value); }

    std::shared_ptr<DOMElement> previousElementSibling() const;
    std::shared_ptr<DOMElement> nextElementSibling() const;
    std::shared_ptr<DOMElement> firstElementChild() const;
    std::shared_ptr<DOMElement> lastElementChild() const;
    unsigned childElementCount() const;
    std::shared_ptr<DOMHTMLCollection> children();
    std::shared_ptr<DOMHTMLCollection> getElementsByTagName(std::u16string_view name);

    // HTML serialization of the element itself and its children.
    std::u16string outerHTML() const;

    // A TEMPLATE element's contents: a fragment of the document's template
    // contents owner document, made on first use; null for other elements.
    std::shared_ptr<DOMDocumentFragment> content();
    // The contents if made, without making them.
    DOMDocumentFragment* templateContent() const { return m_attributes.existingTemplateContent(); }

    // The inline style declaration, backed by the "style" attribute.
    std::shared_ptr<DOMCSSStyleDeclaration> style();

    // Tables (TABLE, THEAD/TBODY/TFOOT and TR elements).
    std::shared_ptr<DOMElement> caption() const;
    std::shared_ptr<DOMElement> tHead() const;
    std::shared_ptr<DOMElement> tFoot() const;
    std::shared_ptr<DOMHTMLCollection> tBodies();
    // A table's rows: its head's, then those of bodies and direct rows in order, then its foot's.
    // A section's rows: its TR children.
    std::shared_ptr<DOMHTMLCollection> rows();
    // A row's TD and TH children.
    std::shared_ptr<DOMHTMLCollection> cells();
    std::shared_ptr<DOMElement> createCaption();
    std::shared_ptr<DOMElement> createTHead();
    std::shared_ptr<DOMElement> createTFoot();
    std::shared_ptr<DOMElement> createTBody();
    void deleteCaption();
    void deleteTHead();
    void deleteTFoot();
    // Index -1 appends; an index out of range is an IndexSizeError.
    std::shared_ptr<DOMElement> insertRow(int index = -1, Error* outError = nullptr);
    bool deleteRow(int index, Error* outError = nullptr);
    std::shared_ptr<DOMElement> insertCell(int index = -1, Error* outError = nullptr);
    bool deleteCell(int index, Error* outError = nullptr);
    int rowIndex() const;
    int sectionRowIndex() const;
    int cellIndex() const;

    // Internal.
    void reserveAttributes(size_t count)
    {
        if (count)
            m_attributes.reserve(count);
    }
    void appendAttributeWithoutChecks(std::u16string name, std::u16string value,
                                      const DOMQualifiedName* namespacedName = nullptr);
    // For parsers: `name` and `value` copied straight into the new attribute.
    void appendParsedAttribute(std::u16string_view name, std::u16string_view value,
                               const DOMQualifiedName* namespacedName = nullptr)
    {
        m_attributes.append(name, value, namespacedName);
    }
    void setAttributeValueForAttr(const std::u16string& name, const std::u16string& value);
    void styleDidChange(std::u16string cssText);

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto

    // Where the style resolver keeps its entry for this element (the computed
    // values), so that it finds it without a lookup by address (see DOMNodeSlot).
    DOMNodeSlot& styleSlot() const { return m_styleSlot; }

private:
    std::u16string adjustedAttributeName(std::u16string_view) const;
    int findAttribute(std::u16string_view name) const;
    void attributeChanged(const std::u16string& name);

    DOMAttributeList m_attributes;
    // Only elements are styled: text and comments carry no style slot.
    mutable DOMNodeSlot m_styleSlot;
};

// Casts for nodes of known type; null when the type differs.
inline DOMElement* toElement(DOMNode* node)
{
    return dynamicDowncast<DOMElement>(node);
}
inline const DOMElement* toElement(const DOMNode* node)
{
    return dynamicDowncast<DOMElement>(node);
}
inline std::shared_ptr<DOMElement> toElement(const std::shared_ptr<DOMNode>& node)
{
    return dynamicDowncast<DOMElement>(node);
}

} // namespace brevanton
