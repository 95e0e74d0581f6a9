// Typed CSS values as computed style answers them: a value is a primitive
// (a number with a unit, a string, a URI, an identifier or an RGB colour) or a
// list of values. Getters asked for a type the value does not hold answer a
// neutral value (0, "", transparent black) and never throw.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

struct CSSRGBColor {
    // Channels from 0 to 255, alpha from 0 to 1.
    double red { 0 };
    double green { 0 };
    double blue { 0 };
    double alpha { 0 };

    friend bool operator==(const CSSRGBColor&, const CSSRGBColor&) = default;
};

class CSSValue {
public:
    enum Type : uint16_t {
        CSS_INHERIT = 0,
        CSS_PRIMITIVE_VALUE = 1,
        CSS_VALUE_LIST = 2,
        CSS_CUSTOM = 3,
    };

    virtual ~CSSValue() = default;
    Type cssValueType() const { return m_type; }
    bool isPrimitiveValue() const { return m_type == CSS_PRIMITIVE_VALUE; }
    bool isValueList() const { return m_type == CSS_VALUE_LIST; }
    virtual std::u16string cssText() const = 0;

protected:
    explicit CSSValue(Type type)
        : m_type(type)
    {
    }

private:
    Type m_type;
};

class CSSPrimitiveValue final : public CSSValue {
public:
    enum UnitType : uint16_t {
        CSS_UNKNOWN = 0,
        CSS_NUMBER = 1,
        CSS_PERCENTAGE = 2,
        CSS_EMS = 3,
        CSS_EXS = 4,
        CSS_PX = 5,
        CSS_CM = 6,
        CSS_MM = 7,
        CSS_IN = 8,
        CSS_PT = 9,
        CSS_PC = 10,
        CSS_DEG = 11,
        CSS_RAD = 12,
        CSS_GRAD = 13,
        CSS_MS = 14,
        CSS_S = 15,
        CSS_HZ = 16,
        CSS_KHZ = 17,
        CSS_DIMENSION = 18,
        CSS_STRING = 19,
        CSS_URI = 20,
        CSS_IDENT = 21,
        CSS_ATTR = 22,
        CSS_COUNTER = 23,
        CSS_RECT = 24,
        CSS_RGBCOLOR = 25,
        // Relative units of specified values; computed values never hold them.
        CSS_REMS = 108,
        CSS_CHS = 109,
    };

    static std::shared_ptr<CSSPrimitiveValue> create(double number, UnitType unit);
    static std::shared_ptr<CSSPrimitiveValue> createIdentifier(std::u16string name);
    static std::shared_ptr<CSSPrimitiveValue> createString(std::u16string text);
    static std::shared_ptr<CSSPrimitiveValue> createURI(std::u16string uri);
    static std::shared_ptr<CSSPrimitiveValue> createColor(CSSRGBColor);

    UnitType primitiveType() const { return m_unit; }
    bool isNumeric() const;
    bool isLength() const;
    bool isIdentifier(std::u16string_view name) const { return m_unit == CSS_IDENT && m_string == name; }

    // The number converted to `unit`: lengths convert among absolute units
    // (px, pt, pc, in, cm, mm), other units only to themselves. 0 when the
    // value is not a number or the units do not convert.
    double getFloatValue(UnitType unit) const;
    // The number in its own unit (0 for non-numbers).
    double numberValue() const { return isNumeric() ? m_number : 0; }
    // The text of a string, URI or identifier; "" otherwise.
    std::u16string getStringValue() const;
    // The text of a string, URI or identifier without a copy ("" otherwise).
    const std::u16string& stringReference() const { return m_string; }
    // The colour of an RGB colour value; transparent black otherwise.
    CSSRGBColor getRGBColorValue() const;

    std::u16string cssText() const override;

    CSSPrimitiveValue(UnitType unit, double number, std::u16string string, CSSRGBColor color)
        : CSSValue(CSS_PRIMITIVE_VALUE)
        , m_unit(unit)
        , m_number(number)
        , m_string(std::move(string))
        , m_color(color)
    {
    }

private:
    UnitType m_unit;
    double m_number;
    std::u16string m_string;
    CSSRGBColor m_color;
};

class CSSValueList final : public CSSValue {
public:
    CSSValueList(std::vector<std::shared_ptr<const CSSValue>> items, bool commaSeparated)
        : CSSValue(CSS_VALUE_LIST)
        , m_items(std::move(items))
        , m_commaSeparated(commaSeparated)
    {
    }

    unsigned length() const { return static_cast<unsigned>(m_items.size()); }
    // Null past the end.
    std::shared_ptr<const CSSValue> item(unsigned index) const
    {
        return index < m_items.size() ? m_items[index] : nullptr;
    }
    bool isCommaSeparated() const { return m_commaSeparated; }
    std::u16string cssText() const override;

private:
    std::vector<std::shared_ptr<const CSSValue>> m_items;
    bool m_commaSeparated;
};

// "inherit", as a specified value.
class CSSInheritedValue final : public CSSValue {
public:
    CSSInheritedValue()
        : CSSValue(CSS_INHERIT)
    {
    }
    std::u16string cssText() const override { return u"inherit"; }
};

inline const CSSPrimitiveValue* toPrimitiveValue(const CSSValue* value)
{
    return value && value->isPrimitiveValue() ? static_cast<const CSSPrimitiveValue*>(value) : nullptr;
}

inline const CSSValueList* toValueList(const CSSValue* value)
{
    return value && value->isValueList() ? static_cast<const CSSValueList*>(value) : nullptr;
}

// Numbers as CSS writes them: "12", "0.5", "-3.25".
std::u16string formatCSSNumber(double);

} // namespace brevanton
