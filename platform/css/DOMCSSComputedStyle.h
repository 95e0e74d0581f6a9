// DOMCSSComputedStyle: the read-only computed style of an element, as the
// DOM's getComputedStyle answers it. It is live: each query answers the
// element's current style. Widths and heights answer the used size of the
// element's box when a layout of its document provides one, else "auto".
#pragma once

#include "platform/css/CSSComputedValues.h"
#include "platform/css/CSSValue.h"

#include <memory>
#include <string>
#include <string_view>

namespace brevanton {

class DOMElement;

class DOMCSSComputedStyle {
public:
    explicit DOMCSSComputedStyle(std::shared_ptr<const DOMElement>);

    // The number of longhand properties, and their names in alphabetical order.
    unsigned length() const;
    std::u16string item(unsigned index) const;

    // The value as CSS text; "" for unknown properties. The shorthands
    // margin, padding, border-width, border-style, border-color and
    // border-radius answer their sides when all four are known.
    std::u16string getPropertyValue(std::u16string_view name) const;
    // The typed value of a longhand; null for unknown properties and shorthands.
    std::shared_ptr<const CSSValue> getPropertyCSSValue(std::u16string_view name) const;
    // Computed values carry no priority.
    std::u16string getPropertyPriority(std::u16string_view) const { return {}; }
    // "name: value; " for every longhand.
    std::u16string cssText() const;

    const DOMElement& element() const { return *m_element; }
    std::shared_ptr<const CSSComputedValues> computedValues() const;

private:
    std::shared_ptr<const CSSValue> valueFor(CSSPropertyID, const std::shared_ptr<const CSSComputedValues>&) const;

    std::shared_ptr<const DOMElement> m_element;
};

// The computed style of `element` (which must be held by a shared_ptr, as every node is).
std::shared_ptr<DOMCSSComputedStyle> getComputedStyle(const DOMElement& element);

} // namespace brevanton
