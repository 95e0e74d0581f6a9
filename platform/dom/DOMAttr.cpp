#include "platform/dom/DOMAttr.h"

#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMQualifiedName.h"

namespace brevanton {

std::u16string DOMAttr::value() const
{
    if (m_ownerElement) {
        if (auto* value = m_ownerElement->attributeValue(m_name))
            return *value;
    }
    return m_value;
}

void DOMAttr::setValue(const std::u16string& value)
{
    if (m_ownerElement)
        m_ownerElement->setAttributeValueForAttr(m_name, value);
    else
        m_value = value;
}

std::shared_ptr<DOMElement> DOMAttr::ownerElement() const
{
    return m_ownerElement ? downcast<DOMElement>(m_ownerElement->shared_from_this()) : nullptr;
}

std::shared_ptr<DOMNode> DOMAttr::cloneSelf(DOMDocument* document) const
{
    return std::make_shared<DOMAttr>(document ? document->documentHandle() : documentHandle(), m_name, value(),
                                     m_namespacedName);
}

} // namespace brevanton
