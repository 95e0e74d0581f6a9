#include "dom/VornickCascadeComputedStyle.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/css/DOMCSSComputedStyle.h"
#include "platform/dom/DOMElement.h"

namespace brevanton {

namespace {

class CascadeComputedStyle final : public VornickComputedStyle {
public:
    explicit CascadeComputedStyle(std::shared_ptr<DOMCSSComputedStyle> style)
        : m_style(std::move(style))
    {
    }

    std::optional<VornickCSSValue> getPropertyCSSValue(std::u16string_view name) const override
    {
        auto value = m_style->getPropertyCSSValue(name);
        if (!value)
            return std::nullopt;
        return VornickCSSValueFromCascadeValue(*value);
    }

    std::u16string getPropertyValue(std::u16string_view name) const override
    {
        return m_style->getPropertyValue(name);
    }

private:
    std::shared_ptr<DOMCSSComputedStyle> m_style;
};

} // namespace

VornickCSSValue VornickCSSValueFromCascadeValue(const CSSValue& value)
{
    if (auto* list = toValueList(&value)) {
        std::vector<VornickCSSValue> items;
        for (unsigned i = 0; i < list->length(); ++i)
            items.push_back(VornickCSSValueFromCascadeValue(*list->item(i)));
        return VornickCSSValue::list(std::move(items));
    }
    VornickCSSValue result;
    auto* primitive = toPrimitiveValue(&value);
    if (!primitive) {
        result.cssValueType = static_cast<VornickCSSValue::ValueType>(value.cssValueType());
        return result;
    }
    result.primitiveType = static_cast<VornickCSSValue::PrimitiveType>(primitive->primitiveType());
    result.floatValue = primitive->numberValue();
    result.stringValue = primitive->getStringValue();
    if (primitive->primitiveType() == CSSPrimitiveValue::CSS_RGBCOLOR) {
        auto color = primitive->getRGBColorValue();
        result.color = { color.red / 255, color.green / 255, color.blue / 255, color.alpha };
    }
    return result;
}

std::shared_ptr<VornickComputedStyle> VornickCascadeComputedStyleProvider::computedStyle(const DOMElement& element) const
{
    return std::make_shared<CascadeComputedStyle>(getComputedStyle(element));
}

std::u16string VornickCascadeComputedStyleProvider::computedDisplay(const DOMElement& element) const
{
    auto values = CSSStyleResolver::computedValuesFor(element);
    return std::u16string(values->identifier(CSSPropertyID::Display));
}

void VornickInstallCascadeComputedStyleProvider()
{
    VornickSetComputedStyleProvider(std::make_shared<VornickCascadeComputedStyleProvider>());
}

} // namespace brevanton
