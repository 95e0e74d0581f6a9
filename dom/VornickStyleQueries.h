// Typed answers from a computed style (colours, lengths, identifiers, fonts,
// list and text styles) with defaults, and the inline style of an element as
// an ordered list of properties.
#pragma once

#include "dom/VornickComputedStyle.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brevanton {

class DOMCSSRule;
class DOMCSSStyleDeclaration;
class Font;

enum class VornickTextDecoration : int {
    None = 0,
    Underline = 1,
    LineThrough = 2,
};

struct VornickFontDescriptor {
    std::u16string fontName;
    double pointSize { 0 };
    friend bool operator==(const VornickFontDescriptor&, const VornickFontDescriptor&) = default;
};

// Typed getters; each answers the default when the value is missing or of another type.
std::optional<VornickRGBColor> vornick_getPrimitiveColorValue(const VornickComputedStyle&, std::u16string_view property,
                                                              std::optional<VornickRGBColor> defaultValue);
double vornick_getPrimitiveFloatValueInPoints(const VornickComputedStyle&, std::u16string_view property,
                                              double defaultValue);
std::optional<std::u16string> vornick_getPrimitiveIdentifierValue(const VornickComputedStyle&,
                                                                  std::u16string_view property,
                                                                  std::optional<std::u16string> defaultValue);
std::optional<std::u16string> vornick_getPrimitiveURLValue(const VornickComputedStyle&, std::u16string_view property,
                                                           std::optional<std::u16string> defaultValue);

std::optional<VornickRGBColor> vornick_backgroundColor(const VornickComputedStyle&);
std::optional<std::u16string> vornick_backgroundImageURL(const VornickComputedStyle&);
std::optional<VornickRGBColor> vornick_borderColor(const VornickComputedStyle&);
double vornick_borderRadius(const VornickComputedStyle&);
double vornick_borderWidth(const VornickComputedStyle&);
std::optional<VornickRGBColor> vornick_color(const VornickComputedStyle&);
double vornick_fontSizeInPoints(const VornickComputedStyle&);
std::u16string vornick_fontStyle(const VornickComputedStyle&);
// 0.6 for a bold weight ("bold", "bolder" or a number of 600 and more), 0.0 otherwise.
double vornick_fontWeight(const VornickComputedStyle&);
std::vector<std::u16string> vornick_fontFamilyArray(const VornickComputedStyle&);
double vornick_height(const VornickComputedStyle&);
double vornick_width(const VornickComputedStyle&);
double vornick_lineHeight(const VornickComputedStyle&);
bool vornick_listStylePosition(const VornickComputedStyle&);
std::optional<std::u16string> vornick_listStyleType(const VornickComputedStyle&);
// Top, right, bottom, left.
std::array<double, 4> vornick_margin(const VornickComputedStyle&);
std::array<double, 4> vornick_padding(const VornickComputedStyle&);
VornickTextDecoration vornick_textDecoration(const VornickComputedStyle&);
VornickFontDescriptor vornick_fontDescriptor(const VornickComputedStyle&);
// The font of that descriptor at its size.
std::shared_ptr<const Font> vornick_font(const VornickComputedStyle&);

// Values of a list, with a stop flag; false when stopped.
bool vornick_enumerateValues(const VornickCSSValue& list,
                             const std::function<void(const VornickCSSValue&, bool& stop)>& block);

// The rules of a sheet's rule list in order, with a stop flag; false when stopped.
bool vornick_enumerateRulesUsingBlock(const std::vector<std::shared_ptr<DOMCSSRule>>& rules,
                                      const std::function<void(const std::shared_ptr<DOMCSSRule>&, bool& stop)>& block);

// Inline style declarations.
using VornickStyleProperties = std::vector<std::pair<std::u16string, std::u16string>>;
// Each property with a value, in declaration order ("!important" kept in the value).
VornickStyleProperties vornick_propertiesDictionary(const DOMCSSStyleDeclaration&);
bool vornick_enumeratePropertyNames(const DOMCSSStyleDeclaration&,
                                    const std::function<void(const std::u16string&, bool& stop)>& block);
// Debugging dump: "{\n", "name: value;\n" per property, "}\n".
std::u16string vornick_splat(const DOMCSSStyleDeclaration&);

} // namespace brevanton
