// VornickElementAttributeValue: one attribute of one element, with the
// attribute's value as it was when the object was made. Editors make one
// per attribute of an element; head editing makes them from a name and a
// value without an element.
#pragma once

#include "platform/foundation/URL.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMElement;

class VornickElementAttributeValue {
public:
    // The element's attribute, its current value cached (absent when the
    // element lacks it). The name must not be empty (assertion).
    static VornickElementAttributeValue element(std::shared_ptr<DOMElement>, std::u16string attributeName);
    // A given value; the element may be null.
    static VornickElementAttributeValue element(std::shared_ptr<DOMElement>, std::u16string attributeName,
                                                std::optional<std::u16string> attributeValueString);

    const std::shared_ptr<DOMElement>& element() const { return m_element; }
    const std::u16string& attributeName() const { return m_attributeName; }
    const std::optional<std::u16string>& cachedAttributeValueString() const { return m_cachedValue; }
    // The cached value resolved against the document URL, absolute and
    // standardized; nullopt when there is no value or it forms no URL.
    std::optional<URL> URLByResolvingReativeToDocumentURL(const URL& documentURL) const;

    friend bool operator==(const VornickElementAttributeValue& a, const VornickElementAttributeValue& b)
    {
        return a.m_element == b.m_element && a.m_attributeName == b.m_attributeName && a.m_cachedValue == b.m_cachedValue;
    }

private:
    VornickElementAttributeValue(std::shared_ptr<DOMElement> element, std::u16string name, std::optional<std::u16string> value)
        : m_element(std::move(element)), m_attributeName(std::move(name)), m_cachedValue(std::move(value)) {}

    std::shared_ptr<DOMElement> m_element;
    std::u16string m_attributeName;
    std::optional<std::u16string> m_cachedValue;
};

// One value per attribute of the element, in attribute order; empty when it has none.
std::vector<VornickElementAttributeValue> vornick_attributeValues(const std::shared_ptr<DOMElement>&);

} // namespace brevanton
