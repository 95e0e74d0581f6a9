#include "ui/VornickColorDescription.h"

#include "platform/foundation/Text.h"
#include "toolkit/VornickStringExtensions.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace brevanton {

namespace {

std::optional<Color> colorFromHexRGBString(std::u16string_view hex)
{
    if (hex.size() != 7 || hex[0] != u'#')
        return std::nullopt;
    double components[3];
    for (int index = 0; index < 3; ++index) {
        auto value = vornick_hexIntegerValue(hex.substr(1 + 2 * index, 2));
        if (!value)
            return std::nullopt;
        components[index] = static_cast<double>(*value) / 255;
    }
    return Color::sRGB(components[0], components[1], components[2], 1);
}

unsigned componentIn255(double component)
{
    return static_cast<unsigned>(std::lround(std::clamp(component * 255, 0.0, 255.0)));
}

} // namespace

VornickColorDescription::VornickColorDescription(std::u16string hexRGBString, std::optional<std::u16string> cssName,
                                                 std::optional<std::u16string> displayName)
    : m_hexRGBString(std::move(hexRGBString))
    , m_cssName(std::move(cssName))
    , m_displayName(std::move(displayName))
    , m_color(colorFromHexRGBString(m_hexRGBString))
{
}

VornickColorDescription::VornickColorDescription(const Color& color)
    : VornickColorDescription(toUTF16(fmt::format("#{:02x}{:02x}{:02x}", componentIn255(color.redComponent()),
                                                  componentIn255(color.greenComponent()), componentIn255(color.blueComponent()))))
{
}

std::shared_ptr<const VornickColorDescription> VornickColorDescription::create(std::u16string hexRGBString,
                                                                               std::optional<std::u16string> cssName,
                                                                               std::optional<std::u16string> displayName)
{
    return std::make_shared<const VornickColorDescription>(std::move(hexRGBString), std::move(cssName), std::move(displayName));
}

std::shared_ptr<const VornickColorDescription> VornickColorDescription::createWithColor(const Color& color)
{
    return std::make_shared<const VornickColorDescription>(color);
}

std::u16string VornickColorDescription::description() const
{
    std::u16string text = u"{" + m_hexRGBString;
    if (m_cssName)
        text += u" " + *m_cssName;
    if (m_displayName)
        text += u" \"" + *m_displayName + u"\"";
    return text + u"}";
}

bool operator==(const VornickColorDescription& a, const VornickColorDescription& b)
{
    return &a == &b || equalsIgnoringASCIICase(a.m_hexRGBString, b.m_hexRGBString);
}

bool vornick_colorDescriptionsEqual(const std::shared_ptr<const VornickColorDescription>& a,
                                    const std::shared_ptr<const VornickColorDescription>& b)
{
    return a && b && *a == *b;
}

} // namespace brevanton
