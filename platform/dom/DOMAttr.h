// DOMAttr: an attribute as a node with identity. While it belongs to an
// element its value lives in the element's attribute list; once removed it
// keeps a copy.
#pragma once

#include "platform/dom/DOMNode.h"

namespace brevanton {

class DOMAttr final : public DOMNode {
public:
    DOMAttr(DOMDocumentHandlePtr handle, std::u16string name, std::u16string value)
        : DOMNode(ATTRIBUTE_NODE, std::move(handle))
        , m_name(std::move(name))
        , m_value(std::move(value))
    {
    }

    const std::u16string& name() const { return m_name; }
    std::u16string localName() const;
    std::u16string prefix() const;
    std::u16string namespaceURI() const;
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
    DOMElement* m_ownerElement { nullptr };
};

} // namespace brevanton
