// Computed style as the editor reads it: typed CSS values (the value and
// primitive unit types of the DOM's CSS interface), a computed style of one
// element, and the provider that makes them. The style cascade installs its
// provider (VornickCascadeComputedStyle.h); until it is installed, the
// default provider knows only "display", from the table of HTML display
// values (VornickDefaultDisplayValues.h) and the element's inline style.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMElement;

// Channels and alpha from 0 to 1.
struct VornickRGBColor {
    double red { 0 };
    double green { 0 };
    double blue { 0 };
    double alpha { 1 };

    friend bool operator==(const VornickRGBColor&, const VornickRGBColor&) = default;
};

struct VornickCSSValue {
    enum ValueType : uint16_t { Inherit = 0, PrimitiveValue = 1, ValueList = 2, Custom = 3 };
    enum PrimitiveType : uint16_t {
        Unknown = 0,
        Number = 1,
        Percentage = 2,
        Ems = 3,
        Px = 5,
        String = 19,
        URI = 20,
        Identifier = 21,
        RGBColor = 25,
    };

    ValueType cssValueType { PrimitiveValue };
    PrimitiveType primitiveType { Unknown };
    double floatValue { 0 };       // Number, Px and the other lengths
    std::u16string stringValue;    // String, URI, Identifier
    VornickRGBColor color;         // RGBColor
    std::vector<VornickCSSValue> items; // ValueList

    static VornickCSSValue identifier(std::u16string name);
    static VornickCSSValue string(std::u16string text);
    static VornickCSSValue uri(std::u16string text);
    static VornickCSSValue pixels(double value);
    static VornickCSSValue number(double value);
    static VornickCSSValue rgbColor(VornickRGBColor);
    static VornickCSSValue list(std::vector<VornickCSSValue> items);
};

class VornickComputedStyle {
public:
    virtual ~VornickComputedStyle() = default;
    // The typed value of a property; nothing when the property is unknown.
    virtual std::optional<VornickCSSValue> getPropertyCSSValue(std::u16string_view name) const = 0;
    // The value as text ("" when unknown).
    virtual std::u16string getPropertyValue(std::u16string_view name) const;
};

class VornickComputedStyleProvider {
public:
    virtual ~VornickComputedStyleProvider() = default;
    // The computed style of `element` (no pseudo-element); null when none can be made.
    virtual std::shared_ptr<VornickComputedStyle> computedStyle(const DOMElement&) const = 0;
    // The computed "display" in lower case; the default asks computedStyle.
    virtual std::u16string computedDisplay(const DOMElement&) const;
};

// Installs the provider the editor asks (null restores the default).
void VornickSetComputedStyleProvider(std::shared_ptr<VornickComputedStyleProvider>);
const VornickComputedStyleProvider& VornickCurrentComputedStyleProvider();

// The default provider: "display" only.
class VornickDefaultDisplayStyleProvider final : public VornickComputedStyleProvider {
public:
    std::shared_ptr<VornickComputedStyle> computedStyle(const DOMElement&) const override;
    std::u16string computedDisplay(const DOMElement&) const override;
};

// The computed style of an element through the current provider.
std::shared_ptr<VornickComputedStyle> vornick_computedStyle(const DOMElement&);
// The computed "display" of an element, lower case.
std::u16string vornick_computedDisplay(const DOMElement&);

} // namespace brevanton
