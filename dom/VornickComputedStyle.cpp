#include "dom/VornickComputedStyle.h"

#include "dom/VornickDefaultDisplayValues.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

#include <charconv>
#include <cmath>

namespace brevanton {

VornickCSSValue VornickCSSValue::identifier(std::u16string name)
{
    VornickCSSValue value;
    value.primitiveType = Identifier;
    value.stringValue = std::move(name);
    return value;
}

VornickCSSValue VornickCSSValue::string(std::u16string text)
{
    VornickCSSValue value;
    value.primitiveType = String;
    value.stringValue = std::move(text);
    return value;
}

VornickCSSValue VornickCSSValue::uri(std::u16string text)
{
    VornickCSSValue value;
    value.primitiveType = URI;
    value.stringValue = std::move(text);
    return value;
}

VornickCSSValue VornickCSSValue::pixels(double number)
{
    VornickCSSValue value;
    value.primitiveType = Px;
    value.floatValue = number;
    return value;
}

VornickCSSValue VornickCSSValue::number(double number)
{
    VornickCSSValue value;
    value.primitiveType = Number;
    value.floatValue = number;
    return value;
}

VornickCSSValue VornickCSSValue::rgbColor(VornickRGBColor color)
{
    VornickCSSValue value;
    value.primitiveType = RGBColor;
    value.color = color;
    return value;
}

VornickCSSValue VornickCSSValue::list(std::vector<VornickCSSValue> items)
{
    VornickCSSValue value;
    value.cssValueType = ValueList;
    value.items = std::move(items);
    return value;
}

namespace {

// The shortest plain decimal that reads back as the number, whatever the
// process locale ("0.5", "8", never "8." or "0,5").
std::u16string formatNumber(double number)
{
    if (!std::isfinite(number))
        return u"0";
    if (number == 0)
        number = 0; // no "-0"
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
    if (result.ec != std::errc())
        return u"0";
    return toUTF16(std::string_view(buffer, static_cast<size_t>(result.ptr - buffer)));
}

std::u16string cssText(const VornickCSSValue& value)
{
    if (value.cssValueType == VornickCSSValue::ValueList) {
        std::u16string text;
        for (const auto& item : value.items) {
            if (!text.empty())
                text += u", ";
            text += cssText(item);
        }
        return text;
    }
    switch (value.primitiveType) {
    case VornickCSSValue::Identifier:
        return value.stringValue;
    case VornickCSSValue::String:
        return u"\"" + value.stringValue + u"\"";
    case VornickCSSValue::URI:
        return u"url(" + value.stringValue + u")";
    case VornickCSSValue::Px:
        return formatNumber(value.floatValue) + u"px";
    case VornickCSSValue::RGBColor: {
        auto channel = [](double c) { return formatNumber(std::round(c * 255)); };
        std::u16string text = channel(value.color.red) + u", " + channel(value.color.green) + u", "
            + channel(value.color.blue);
        if (value.color.alpha < 1)
            return u"rgba(" + text + u", " + formatNumber(value.color.alpha) + u")";
        return u"rgb(" + text + u")";
    }
    default:
        return formatNumber(value.floatValue);
    }
}

class DisplayOnlyStyle final : public VornickComputedStyle {
public:
    explicit DisplayOnlyStyle(std::u16string display)
        : m_display(std::move(display))
    {
    }
    std::optional<VornickCSSValue> getPropertyCSSValue(std::u16string_view name) const override
    {
        if (equalsIgnoringASCIICase(name, u"display"))
            return VornickCSSValue::identifier(m_display);
        return std::nullopt;
    }

private:
    std::u16string m_display;
};

std::shared_ptr<VornickComputedStyleProvider>& installedProvider()
{
    static std::shared_ptr<VornickComputedStyleProvider> provider;
    return provider;
}

} // namespace

std::u16string VornickComputedStyle::getPropertyValue(std::u16string_view name) const
{
    auto value = getPropertyCSSValue(name);
    return value ? cssText(*value) : std::u16string();
}

std::u16string VornickComputedStyleProvider::computedDisplay(const DOMElement& element) const
{
    auto style = computedStyle(element);
    if (!style)
        return u"inline";
    return asciiLowercase(style->getPropertyValue(u"display"));
}

std::shared_ptr<VornickComputedStyle> VornickDefaultDisplayStyleProvider::computedStyle(const DOMElement& element) const
{
    return std::make_shared<DisplayOnlyStyle>(computedDisplay(element));
}

std::u16string VornickDefaultDisplayStyleProvider::computedDisplay(const DOMElement& element) const
{
    // The inline style's "display" wins over the default, as it would in a cascade.
    if (const std::u16string* style = element.attributeValue(u"style")) {
        if (style->find(u"display") != std::u16string::npos) {
            auto declarations = DOMCSSStyleDeclaration::parseDeclarations(*style);
            for (auto it = declarations.rbegin(); it != declarations.rend(); ++it) {
                if (equalsIgnoringASCIICase(it->name, u"display"))
                    return asciiLowercase(it->value);
            }
        }
    }
    return std::u16string(vornick_defaultDisplayValueForElement(element));
}

void VornickSetComputedStyleProvider(std::shared_ptr<VornickComputedStyleProvider> provider)
{
    installedProvider() = std::move(provider);
}

const VornickComputedStyleProvider& VornickCurrentComputedStyleProvider()
{
    static const VornickDefaultDisplayStyleProvider defaultProvider;
    auto& provider = installedProvider();
    if (provider)
        return *provider;
    return defaultProvider;
}

std::shared_ptr<VornickComputedStyle> vornick_computedStyle(const DOMElement& element)
{
    return VornickCurrentComputedStyleProvider().computedStyle(element);
}

std::u16string vornick_computedDisplay(const DOMElement& element)
{
    return VornickCurrentComputedStyleProvider().computedDisplay(element);
}

} // namespace brevanton
