#include "blog/VornickFileSafeNames.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

size_t utf8Length(char16_t unit)
{
    if (unit < 0x80)
        return 1;
    if (unit < 0x800)
        return 2;
    if (isHighSurrogate(unit) || isLowSurrogate(unit))
        return 2; // each half of a pair: four bytes together
    return 3;
}

} // namespace

std::u16string vornick_fileSafeName(std::u16string_view name, std::u16string_view fallback, size_t maximumBytes)
{
    std::u16string safe;
    size_t bytes = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t unit = name[i];
        if (unit < 0x20 || unit == 0x7F || (unit >= 0x80 && unit < 0xA0))
            continue;
        if (unit == u'/')
            unit = u'-';
        bool pair = isHighSurrogate(unit) && i + 1 < name.size() && isLowSurrogate(name[i + 1]);
        if ((isHighSurrogate(unit) && !pair) || isLowSurrogate(unit))
            unit = 0xFFFD; // an unpaired half cannot be a file name's UTF-8
        size_t length = pair ? 4 : utf8Length(unit);
        if (bytes + length > maximumBytes)
            break;
        bytes += length;
        safe += unit;
        if (pair)
            safe += name[++i];
    }
    if (safe.empty() || safe == u"." || safe == u"..")
        return std::u16string(fallback);
    return safe;
}

} // namespace brevanton
