#include "dom/VornickStyleQueries.h"

#include "toolkit/VornickLog.h"
#include "platform/dom/DOMCSSStyleDeclaration.h"
#include "platform/views/Font.h"
#include "platform/web/WebStyleSheets.h"
#include "platform/foundation/Text.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isPrimitive(const std::optional<VornickCSSValue>& value)
{
    return value && value->cssValueType == VornickCSSValue::PrimitiveValue;
}

bool isLength(VornickCSSValue::PrimitiveType type)
{
    return type == VornickCSSValue::Px || type == VornickCSSValue::Number;
}

} // namespace

std::optional<VornickRGBColor> vornick_getPrimitiveColorValue(const VornickComputedStyle& style,
                                                              std::u16string_view property,
                                                              std::optional<VornickRGBColor> defaultValue)
{
    auto value = style.getPropertyCSSValue(property);
    if (isPrimitive(value) && value->primitiveType == VornickCSSValue::RGBColor)
        return value->color;
    return defaultValue;
}

double vornick_getPrimitiveFloatValueInPoints(const VornickComputedStyle& style, std::u16string_view property,
                                              double defaultValue)
{
    auto value = style.getPropertyCSSValue(property);
    if (isPrimitive(value) && isLength(value->primitiveType))
        return value->floatValue;
    return defaultValue;
}

std::optional<std::u16string> vornick_getPrimitiveIdentifierValue(const VornickComputedStyle& style,
                                                                  std::u16string_view property,
                                                                  std::optional<std::u16string> defaultValue)
{
    auto value = style.getPropertyCSSValue(property);
    if (value && value->cssValueType == VornickCSSValue::ValueList && value->items.size() == 1)
        value = value->items.front();
    if (isPrimitive(value) && !value->stringValue.empty())
        return value->stringValue;
    return defaultValue;
}

std::optional<std::u16string> vornick_getPrimitiveURLValue(const VornickComputedStyle& style,
                                                           std::u16string_view property,
                                                           std::optional<std::u16string> defaultValue)
{
    auto value = style.getPropertyCSSValue(property);
    if (isPrimitive(value) && value->primitiveType == VornickCSSValue::URI)
        return value->stringValue;
    return defaultValue;
}

std::optional<VornickRGBColor> vornick_backgroundColor(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveColorValue(style, u"background-color", std::nullopt);
}

std::optional<std::u16string> vornick_backgroundImageURL(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveURLValue(style, u"background-image", std::nullopt);
}

std::optional<VornickRGBColor> vornick_borderColor(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveColorValue(style, u"border-left-color", std::nullopt);
}

double vornick_borderRadius(const VornickComputedStyle& style)
{
    double radius = vornick_getPrimitiveFloatValueInPoints(style, u"-webkit-border-top-left-radius", -1);
    return radius >= 0 ? radius : vornick_getPrimitiveFloatValueInPoints(style, u"border-top-left-radius", 0);
}

double vornick_borderWidth(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveFloatValueInPoints(style, u"border-left-width", 0);
}

std::optional<VornickRGBColor> vornick_color(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveColorValue(style, u"color", std::nullopt);
}

double vornick_fontSizeInPoints(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveFloatValueInPoints(style, u"font-size", 0);
}

std::u16string vornick_fontStyle(const VornickComputedStyle& style)
{
    auto value = style.getPropertyCSSValue(u"font-style");
    if (isPrimitive(value) && value->primitiveType == VornickCSSValue::Identifier)
        return value->stringValue;
    return {};
}

double vornick_fontWeight(const VornickComputedStyle& style)
{
    constexpr double bold = 0.6;
    auto value = style.getPropertyCSSValue(u"font-weight");
    if (!isPrimitive(value))
        return 0;
    if (value->primitiveType == VornickCSSValue::Identifier) {
        const auto& name = value->stringValue;
        if (equalsIgnoringASCIICase(name, u"bold") || equalsIgnoringASCIICase(name, u"bolder"))
            return bold;
        // A numeric weight that arrived as an identifier ("700").
        if (!name.empty() && name.find_first_not_of(u"0123456789") == std::u16string::npos) {
            // Compared as digits: a weight may be longer than any integer type.
            size_t first = std::min(name.find_first_not_of(u'0'), name.size());
            std::u16string_view digits = std::u16string_view(name).substr(first);
            return digits.size() > 3 || (digits.size() == 3 && digits >= u"600") ? bold : 0;
        }
        return 0;
    }
    if (value->primitiveType == VornickCSSValue::Number)
        return value->floatValue >= 600 ? bold : 0;
    return 0;
}

std::vector<std::u16string> vornick_fontFamilyArray(const VornickComputedStyle& style)
{
    auto value = style.getPropertyCSSValue(u"font-family");
    std::vector<std::u16string> families;
    if (!value)
        return families;
    auto isName = [](const VornickCSSValue& item) {
        return item.cssValueType == VornickCSSValue::PrimitiveValue
            && (item.primitiveType == VornickCSSValue::Identifier || item.primitiveType == VornickCSSValue::String);
    };
    if (value->cssValueType == VornickCSSValue::ValueList) {
        for (const auto& item : value->items) {
            if (isName(item))
                families.push_back(item.stringValue);
            else
                VornickGeneralLog("Non-string font-family member of cssValueType {}, primitiveType {}",
                                  static_cast<long>(item.cssValueType), static_cast<long>(item.primitiveType));
        }
    } else if (isName(*value)) {
        families.push_back(value->stringValue);
    }
    return families;
}

double vornick_height(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveFloatValueInPoints(style, u"height", 0);
}

double vornick_width(const VornickComputedStyle& style)
{
    return vornick_getPrimitiveFloatValueInPoints(style, u"width", 0);
}

double vornick_lineHeight(const VornickComputedStyle& style)
{
    auto value = style.getPropertyCSSValue(u"line-height");
    if (isPrimitive(value) && value->primitiveType == VornickCSSValue::Px)
        return value->floatValue;
    return 0;
}

bool vornick_listStylePosition(const VornickComputedStyle& style)
{
    auto position = vornick_getPrimitiveIdentifierValue(style, u"list-style-position", u"outside");
    return position && equalsIgnoringASCIICase(*position, u"inside");
}

std::optional<std::u16string> vornick_listStyleType(const VornickComputedStyle& style)
{
    auto value = style.getPropertyCSSValue(u"list-style-type");
    if (isPrimitive(value) && value->primitiveType == VornickCSSValue::Identifier)
        return value->stringValue;
    return std::nullopt;
}

namespace {

std::array<double, 4> boxLengths(const VornickComputedStyle& style, std::u16string_view prefix)
{
    std::array<double, 4> lengths {};
    const std::u16string_view sides[] = { u"-top", u"-right", u"-bottom", u"-left" };
    for (size_t i = 0; i < 4; ++i)
        lengths[i] = vornick_getPrimitiveFloatValueInPoints(style, std::u16string(prefix) + std::u16string(sides[i]), 0);
    return lengths;
}

} // namespace

std::array<double, 4> vornick_margin(const VornickComputedStyle& style)
{
    return boxLengths(style, u"margin");
}

std::array<double, 4> vornick_padding(const VornickComputedStyle& style)
{
    return boxLengths(style, u"padding");
}

VornickTextDecoration vornick_textDecoration(const VornickComputedStyle& style)
{
    auto decoration = vornick_getPrimitiveIdentifierValue(style, u"text-decoration", u"none");
    if (decoration && equalsIgnoringASCIICase(*decoration, u"underline"))
        return VornickTextDecoration::Underline;
    if (decoration && equalsIgnoringASCIICase(*decoration, u"line-through"))
        return VornickTextDecoration::LineThrough;
    return VornickTextDecoration::None;
}

VornickFontDescriptor vornick_fontDescriptor(const VornickComputedStyle& style)
{
    auto families = vornick_fontFamilyArray(style);
    std::u16string name = families.empty() ? u"Times New Roman" : families.front();
    bool bold = vornick_fontWeight(style) >= 0.5;
    if (bold)
        name += u"-Bold";
    std::u16string fontStyle = vornick_fontStyle(style);
    if (equalsIgnoringASCIICase(fontStyle, u"italic") || equalsIgnoringASCIICase(fontStyle, u"oblique")) {
        if (!bold)
            name += u"-";
        name += u"Italic";
    }
    return { name, vornick_fontSizeInPoints(style) };
}

std::shared_ptr<const Font> vornick_font(const VornickComputedStyle& style)
{
    auto descriptor = vornick_fontDescriptor(style);
    return Font::fontWithName(descriptor.fontName, descriptor.pointSize);
}

bool vornick_enumerateRulesUsingBlock(const std::vector<std::shared_ptr<DOMCSSRule>>& rules,
                                      const std::function<void(const std::shared_ptr<DOMCSSRule>&, bool& stop)>& block)
{
    bool stop = false;
    for (const auto& rule : rules) {
        block(rule, stop);
        if (stop)
            return false;
    }
    return true;
}

bool vornick_enumerateValues(const VornickCSSValue& list,
                             const std::function<void(const VornickCSSValue&, bool& stop)>& block)
{
    bool stop = false;
    for (const auto& item : list.items) {
        block(item, stop);
        if (stop)
            return false;
    }
    return true;
}

VornickStyleProperties vornick_propertiesDictionary(const DOMCSSStyleDeclaration& declaration)
{
    VornickStyleProperties properties;
    for (const auto& entry : declaration.declarations()) {
        if (entry.value.empty())
            continue;
        properties.emplace_back(entry.name, entry.important ? entry.value + u" !important" : entry.value);
    }
    return properties;
}

bool vornick_enumeratePropertyNames(const DOMCSSStyleDeclaration& declaration,
                                    const std::function<void(const std::u16string&, bool& stop)>& block)
{
    bool stop = false;
    for (const auto& entry : declaration.declarations()) {
        block(entry.name, stop);
        if (stop)
            return false;
    }
    return true;
}

std::u16string vornick_splat(const DOMCSSStyleDeclaration& declaration)
{
    std::u16string text = u"{\n";
    for (const auto& entry : declaration.declarations())
        text += entry.name + u": " + entry.value + (entry.important ? u" !important" : u"") + u";\n";
    text += u"}\n";
    return text;
}

} // namespace brevanton
