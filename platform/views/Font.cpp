#include "platform/views/Font.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isFixedPitchFamily(std::u16string_view family)
{
    for (std::u16string_view name : { u"Menlo", u"Monaco", u"Courier", u"Courier New", u"SF Mono", u"DejaVu Sans Mono",
                                      u"Liberation Mono", u"Monospace" }) {
        if (equalsIgnoringASCIICase(family, name))
            return true;
    }
    return false;
}

} // namespace

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
    return isFixedPitchFamily(familyName());
}

double Font::advanceForCharacter(char32_t c) const
{
    double em = pointSize();
    if (isFixedPitch())
        return em * 0.6;
    if (c == U' ' || c == U'i' || c == U'l' || c == U'j' || c == U'.' || c == U',' || c == U'\'' || c == U'!' || c == U'|')
        return em * 0.28;
    if (c == U'm' || c == U'w' || c == U'M' || c == U'W')
        return em * 0.85;
    if (c >= U'A' && c <= U'Z')
        return em * 0.68;
    if (c >= 0x2E80)
        return em; // wide scripts
    return em * 0.55;
}

double Font::widthOfString(std::u16string_view string) const
{
    double width = 0;
    for (size_t i = 0; i < string.size(); ++i) {
        char32_t c = string[i];
        if (isHighSurrogate(string[i]) && i + 1 < string.size() && isLowSurrogate(string[i + 1])) {
            c = 0x10000 + ((string[i] - 0xD800) << 10) + (string[i + 1] - 0xDC00);
            ++i;
        }
        width += advanceForCharacter(c);
    }
    return width;
}

} // namespace brevanton
