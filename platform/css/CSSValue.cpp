#include "platform/css/CSSValue.h"

#include <cmath>
#include <cstdio>

namespace brevanton {

namespace {

// Pixels per unit for the absolute lengths; 0 for other units.
double pixelsPerUnit(CSSPrimitiveValue::UnitType unit)
{
    switch (unit) {
    case CSSPrimitiveValue::CSS_PX:
        return 1;
    case CSSPrimitiveValue::CSS_PT:
        return 96.0 / 72;
    case CSSPrimitiveValue::CSS_PC:
        return 16;
    case CSSPrimitiveValue::CSS_IN:
        return 96;
    case CSSPrimitiveValue::CSS_CM:
        return 96 / 2.54;
    case CSSPrimitiveValue::CSS_MM:
        return 96 / 25.4;
    default:
        return 0;
    }
}

std::u16string unitSuffix(CSSPrimitiveValue::UnitType unit)
{
    switch (unit) {
    case CSSPrimitiveValue::CSS_PERCENTAGE:
        return u"%";
    case CSSPrimitiveValue::CSS_EMS:
        return u"em";
    case CSSPrimitiveValue::CSS_EXS:
        return u"ex";
    case CSSPrimitiveValue::CSS_PX:
        return u"px";
    case CSSPrimitiveValue::CSS_CM:
        return u"cm";
    case CSSPrimitiveValue::CSS_MM:
        return u"mm";
    case CSSPrimitiveValue::CSS_IN:
        return u"in";
    case CSSPrimitiveValue::CSS_PT:
        return u"pt";
    case CSSPrimitiveValue::CSS_PC:
        return u"pc";
    case CSSPrimitiveValue::CSS_DEG:
        return u"deg";
    case CSSPrimitiveValue::CSS_RAD:
        return u"rad";
    case CSSPrimitiveValue::CSS_GRAD:
        return u"grad";
    case CSSPrimitiveValue::CSS_MS:
        return u"ms";
    case CSSPrimitiveValue::CSS_S:
        return u"s";
    case CSSPrimitiveValue::CSS_HZ:
        return u"Hz";
    case CSSPrimitiveValue::CSS_KHZ:
        return u"kHz";
    case CSSPrimitiveValue::CSS_REMS:
        return u"rem";
    case CSSPrimitiveValue::CSS_CHS:
        return u"ch";
    default:
        return u"";
    }
}

std::u16string quoted(const std::u16string& text)
{
    std::u16string result = u"\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\')
            result += u'\\';
        result += c;
    }
    return result + u"\"";
}

} // namespace

std::u16string formatCSSNumber(double number)
{
    if (std::floor(number) == number && std::fabs(number) < 1e15) {
        std::string text = std::to_string(static_cast<long long>(number));
        return std::u16string(text.begin(), text.end());
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.6f", number);
    std::string text(buffer);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.pop_back();
    return std::u16string(text.begin(), text.end());
}

std::shared_ptr<CSSPrimitiveValue> CSSPrimitiveValue::create(double number, UnitType unit)
{
    return std::make_shared<CSSPrimitiveValue>(unit, number, std::u16string(), CSSRGBColor());
}

std::shared_ptr<CSSPrimitiveValue> CSSPrimitiveValue::createIdentifier(std::u16string name)
{
    return std::make_shared<CSSPrimitiveValue>(CSS_IDENT, 0, std::move(name), CSSRGBColor());
}

std::shared_ptr<CSSPrimitiveValue> CSSPrimitiveValue::createString(std::u16string text)
{
    return std::make_shared<CSSPrimitiveValue>(CSS_STRING, 0, std::move(text), CSSRGBColor());
}

std::shared_ptr<CSSPrimitiveValue> CSSPrimitiveValue::createURI(std::u16string uri)
{
    return std::make_shared<CSSPrimitiveValue>(CSS_URI, 0, std::move(uri), CSSRGBColor());
}

std::shared_ptr<CSSPrimitiveValue> CSSPrimitiveValue::createColor(CSSRGBColor color)
{
    return std::make_shared<CSSPrimitiveValue>(CSS_RGBCOLOR, 0, std::u16string(), color);
}

bool CSSPrimitiveValue::isNumeric() const
{
    return (m_unit >= CSS_NUMBER && m_unit <= CSS_DIMENSION) || m_unit == CSS_REMS || m_unit == CSS_CHS;
}

bool CSSPrimitiveValue::isLength() const
{
    return pixelsPerUnit(m_unit) > 0 || m_unit == CSS_EMS || m_unit == CSS_EXS || m_unit == CSS_REMS
        || m_unit == CSS_CHS;
}

double CSSPrimitiveValue::getFloatValue(UnitType unit) const
{
    if (!isNumeric())
        return 0;
    if (unit == m_unit)
        return m_number;
    double from = pixelsPerUnit(m_unit);
    double to = pixelsPerUnit(unit);
    if (from > 0 && to > 0)
        return m_number * from / to;
    // A bare zero is a length of any unit.
    if (m_unit == CSS_NUMBER && m_number == 0 && to > 0)
        return 0;
    return 0;
}

std::u16string CSSPrimitiveValue::getStringValue() const
{
    if (m_unit == CSS_STRING || m_unit == CSS_URI || m_unit == CSS_IDENT || m_unit == CSS_ATTR)
        return m_string;
    return {};
}

CSSRGBColor CSSPrimitiveValue::getRGBColorValue() const
{
    return m_unit == CSS_RGBCOLOR ? m_color : CSSRGBColor();
}

std::u16string CSSPrimitiveValue::cssText() const
{
    switch (m_unit) {
    case CSS_IDENT:
        return m_string;
    case CSS_STRING:
        return quoted(m_string);
    case CSS_URI:
        return u"url(" + quoted(m_string) + u")";
    case CSS_RGBCOLOR: {
        auto channel = [](double c) { return formatCSSNumber(std::round(c)); };
        std::u16string channels = channel(m_color.red) + u", " + channel(m_color.green) + u", " + channel(m_color.blue);
        if (m_color.alpha < 1)
            return u"rgba(" + channels + u", " + formatCSSNumber(m_color.alpha) + u")";
        return u"rgb(" + channels + u")";
    }
    case CSS_UNKNOWN:
        return {};
    default:
        return formatCSSNumber(m_number) + unitSuffix(m_unit);
    }
}

std::u16string CSSValueList::cssText() const
{
    std::u16string text;
    for (auto& item : m_items) {
        if (!text.empty())
            text += m_commaSeparated ? u", " : u" ";
        text += item->cssText();
    }
    return text;
}

} // namespace brevanton
