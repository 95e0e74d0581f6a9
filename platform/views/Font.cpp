#include "platform/views/Font.h"

#include "platform/foundation/Text.h"
#include "platform/views/FontMetrics.h"

namespace brevanton {

std::shared_ptr<const Font> Font::fontWithDescriptor(const FontDescriptor& descriptor, double pointSize)
{
    double size = pointSize > 0 ? pointSize : descriptor.pointSize();
    if (size <= 0)
        size = 12;
    return std::make_shared<const Font>(descriptor.withPointSize(size));
}

std::shared_ptr<const Font> Font::fontWithName(std::u16string familyName, double pointSize)
{
    return fontWithDescriptor(FontDescriptor(std::move(familyName), pointSize), pointSize);
}

bool Font::isFixedPitch() const
{
    return isFixedPitchFontFamily(familyName());
}

double Font::advanceForCharacter(char32_t c) const
{
    char16_t units[2];
    size_t length = 1;
    if (c >= 0x10000) {
        units[0] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        length = 2;
    } else
        units[0] = static_cast<char16_t>(c);
    return FontMetricsProvider::current().widthOfRun(m_descriptor, std::u16string_view(units, length));
}

double Font::widthOfString(std::u16string_view string) const
{
    return FontMetricsProvider::current().widthOfRun(m_descriptor, string);
}

double Font::ascender() const
{
    return FontMetricsProvider::current().lineMetrics(m_descriptor).ascent;
}

double Font::descender() const
{
    return -FontMetricsProvider::current().lineMetrics(m_descriptor).descent;
}

double Font::lineHeight() const
{
    return FontMetricsProvider::current().lineMetrics(m_descriptor).lineHeight;
}

} // namespace brevanton
