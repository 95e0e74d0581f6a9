#include "platform/css/DOMCSSComputedStyle.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>

namespace brevanton {

namespace {

using ID = CSSPropertyID;

struct BoxShorthand {
    std::u16string_view name;
    std::array<ID, 4> sides; // top, right, bottom, left
};

constexpr BoxShorthand BoxShorthands[] = {
    { u"margin", { ID::MarginTop, ID::MarginRight, ID::MarginBottom, ID::MarginLeft } },
    { u"padding", { ID::PaddingTop, ID::PaddingRight, ID::PaddingBottom, ID::PaddingLeft } },
    { u"border-width", { ID::BorderTopWidth, ID::BorderRightWidth, ID::BorderBottomWidth, ID::BorderLeftWidth } },
    { u"border-style", { ID::BorderTopStyle, ID::BorderRightStyle, ID::BorderBottomStyle, ID::BorderLeftStyle } },
    { u"border-color", { ID::BorderTopColor, ID::BorderRightColor, ID::BorderBottomColor, ID::BorderLeftColor } },
    { u"border-radius",
      { ID::BorderTopLeftRadius, ID::BorderTopRightRadius, ID::BorderBottomRightRadius, ID::BorderBottomLeftRadius } },
};

// Property names in alphabetical order (the enumeration's order).
std::u16string_view propertyName(unsigned index)
{
    return cssPropertyInfo(static_cast<ID>(index)).name;
}

std::u16string boxText(const CSSComputedValues& values, const BoxShorthand& shorthand)
{
    std::array<std::u16string, 4> sides;
    for (int i = 0; i < 4; ++i)
        sides[i] = values.value(shorthand.sides[i])->cssText();
    if (sides[1] == sides[3]) {
        if (sides[0] == sides[2]) {
            if (sides[0] == sides[1])
                return sides[0];
            return sides[0] + u" " + sides[1];
        }
        return sides[0] + u" " + sides[1] + u" " + sides[2];
    }
    return sides[0] + u" " + sides[1] + u" " + sides[2] + u" " + sides[3];
}

} // namespace

DOMCSSComputedStyle::DOMCSSComputedStyle(std::shared_ptr<const DOMElement> element)
    : m_element(std::move(element))
{
}

std::shared_ptr<const CSSComputedValues> DOMCSSComputedStyle::computedValues() const
{
    return CSSStyleResolver::computedValuesFor(*m_element);
}

std::shared_ptr<const CSSValue> DOMCSSComputedStyle::valueFor(ID id, const std::shared_ptr<const CSSComputedValues>& values) const
{
    if (id != ID::Width && id != ID::Height)
        return sharedComputedValue(values, id);
    // Widths and heights are the used sizes of the laid-out box, "auto" without one.
    std::optional<CSSUsedSize> size;
    if (auto* document = m_element->document(); document && m_element->isConnected())
        size = CSSStyleResolver::forDocument(*document).usedSize(*m_element);
    if (!size)
        return CSSPrimitiveValue::createIdentifier(u"auto");
    return CSSPrimitiveValue::create(id == ID::Width ? size->width : size->height, CSSPrimitiveValue::CSS_PX);
}

unsigned DOMCSSComputedStyle::length() const
{
    return CSSPropertyCount;
}

std::u16string DOMCSSComputedStyle::item(unsigned index) const
{
    return index < CSSPropertyCount ? std::u16string(propertyName(index)) : std::u16string();
}

std::shared_ptr<const CSSValue> DOMCSSComputedStyle::getPropertyCSSValue(std::u16string_view name) const
{
    auto id = cssPropertyID(name);
    if (!id)
        return nullptr;
    return valueFor(*id, computedValues());
}

std::u16string DOMCSSComputedStyle::getPropertyValue(std::u16string_view name) const
{
    if (auto id = cssPropertyID(name))
        return valueFor(*id, computedValues())->cssText();
    std::u16string lower = asciiLowercase(name);
    if (lower.starts_with(u"-webkit-"))
        lower.erase(0, 8);
    for (auto& shorthand : BoxShorthands) {
        if (shorthand.name == lower)
            return boxText(*computedValues(), shorthand);
    }
    return {};
}

std::u16string DOMCSSComputedStyle::cssText() const
{
    auto values = computedValues();
    std::u16string text;
    for (unsigned i = 0; i < CSSPropertyCount; ++i) {
        if (!text.empty())
            text += u' ';
        text += std::u16string(propertyName(i)) + u": " + valueFor(static_cast<ID>(i), values)->cssText() + u";";
    }
    return text;
}

std::shared_ptr<DOMCSSComputedStyle> getComputedStyle(const DOMElement& element)
{
    auto shared = downcast<DOMElement>(element.shared_from_this());
    return std::make_shared<DOMCSSComputedStyle>(std::move(shared));
}

} // namespace brevanton
