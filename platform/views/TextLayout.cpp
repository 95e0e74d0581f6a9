#include "platform/views/TextLayout.h"

#include "platform/views/SystemFonts.h"

#include <algorithm>

namespace brevanton {

Size sizeOfAttributedString(const AttributedString& text)
{
    auto defaultFont = systemFontOfSize(0);
    const auto& string = text.string();
    double width = 0;
    double height = 0;
    double lineWidth = 0;
    double lineHeight = 0;
    auto endLine = [&] {
        width = std::max(width, lineWidth);
        height += lineHeight > 0 ? lineHeight : defaultFont->lineHeight();
        lineWidth = 0;
        lineHeight = 0;
    };
    for (size_t index = 0; index < string.size(); ++index) {
        auto font = text.attributeAtIndex<std::shared_ptr<const Font>>(FontAttributeName, index);
        const Font& used = font && *font ? **font : *defaultFont;
        lineHeight = std::max(lineHeight, used.lineHeight());
        char16_t character = string[index];
        if (character == u'\n') {
            endLine();
            continue;
        }
        lineWidth += used.advanceForCharacter(character);
    }
    if (!string.empty())
        endLine();
    return { width, height };
}

} // namespace brevanton
