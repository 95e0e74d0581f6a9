#include "dom/VornickElementAttributeValue.h"

#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"

namespace brevanton {

VornickElementAttributeValue VornickElementAttributeValue::element(std::shared_ptr<DOMElement> element, std::u16string attributeName)
{
    BREVANTON_ASSERT(!attributeName.empty(), "attributeName.length > 0");
    std::optional<std::u16string> value;
    if (element) {
        if (auto found = element->attributeValue(attributeName))
            value = *found;
    }
    return VornickElementAttributeValue(std::move(element), std::move(attributeName), std::move(value));
}

VornickElementAttributeValue VornickElementAttributeValue::element(std::shared_ptr<DOMElement> element, std::u16string attributeName,
                                                                   std::optional<std::u16string> attributeValueString)
{
    return VornickElementAttributeValue(std::move(element), std::move(attributeName), std::move(attributeValueString));
}

std::optional<URL> VornickElementAttributeValue::URLByResolvingReativeToDocumentURL(const URL& documentURL) const
{
    if (!m_cachedValue)
        return std::nullopt;
    auto url = URL::create(*m_cachedValue, &documentURL);
    if (!url)
        return std::nullopt;
    return url->absoluteURL().standardized();
}

std::vector<VornickElementAttributeValue> vornick_attributeValues(const std::shared_ptr<DOMElement>& element)
{
    std::vector<VornickElementAttributeValue> values;
    if (!element)
        return values;
    std::vector<std::u16string> names;
    for (auto& attribute : element->attributeList())
        names.push_back(attribute.name);
    values.reserve(names.size());
    for (auto& name : names)
        values.push_back(VornickElementAttributeValue::element(element, name));
    return values;
}

} // namespace brevanton
