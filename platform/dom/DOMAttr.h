// DOMAttr: an attribute as a node with identity. While it belongs to an
// element its value lives in the element's attribute list; once removed it
// keeps a copy.
#pragma once

#include "platform/dom/DOMNode.h"
#include "platform/dom/DOMQualifiedName.h"

namespace brevanton {

class DOMAttr final : public DOMNode {
public:
    // `namespacedName` null: no namespace and no prefix, the local name is `name`.
    DOMAttr(DOMDocumentHandlePtr handle, std::u16string name, std::u16string value,
            const DOMQualifiedName* namespacedName = nullptr)
        : DOMNode(ATTRIBUTE_NODE, std::move(handle))
        , m_name(std::move(name))
        , m_value(std::move(value))
        , m_namespacedName(namespacedName)
    {
    }

    const std::u16string& name() const { return m_name; }
    std::u16string localName() const { return m_namespacedName ? m_namespacedName->localName : m_name; }
    std::u16string prefix() const { return m_namespacedName ? m_namespacedName->prefix : std::u16string(); }
    std::u16string namespaceURI() const { return m_namespacedName ? m_namespacedName->namespaceURI : std::u16string(); }
    std::u16string value() const;
    void setValue(const std::u16string&);
    std::shared_ptr<DOMElement> ownerElement() const;
    bool specified() const { return true; }

    // Internal: attaching to and detaching from an element.
    DOMElement* ownerElementPointer() const { return m_ownerElement; }
    void attach(DOMElement* element) { m_ownerElement = element; }
    void detach(std::u16string value)
    {
        m_ownerElement = nullptr;
        m_value = std::move(value);
    }

protected:
public:
    std::shared_ptr<DOMNode> cloneSelf(DOMDocument*) const; // internal: see DOMNode::cloneNodeInto

private:
    std::u16string m_name;
    std::u16string m_value;
    const DOMQualifiedName* m_namespacedName;
    DOMElement* m_ownerElement { nullptr };
};

} // namespace brevanton
