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
    // The runs are walked along with the characters: one font look-up per run.
    const auto& runs = text.runs();
    size_t runIndex = 0;
    size_t runEnd = 0;
    const Font* used = defaultFont.get();
    for (size_t index = 0; index < string.size(); ++index) {
        if (index >= runEnd) {
            while (runIndex < runs.size() && runs[runIndex].location + runs[runIndex].length <= index)
                ++runIndex;
            used = defaultFont.get();
            runEnd = string.size();
            if (runIndex < runs.size() && runs[runIndex].location <= index) {
                runEnd = runs[runIndex].location + runs[runIndex].length;
                if (runs[runIndex].attributes) {
                    auto found = runs[runIndex].attributes->find(FontAttributeName);
                    if (found != runs[runIndex].attributes->end()) {
                        if (auto* font = std::any_cast<std::shared_ptr<const Font>>(&found->second); font && *font)
                            used = font->get();
                    }
                }
            } else if (runIndex < runs.size())
                runEnd = runs[runIndex].location;
        }
        lineHeight = std::max(lineHeight, used->lineHeight());
        char16_t character = string[index];
        if (character == u'\n') {
            endLine();
            continue;
        }
        lineWidth += used->advanceForCharacter(character);
    }
    if (!string.empty())
        endLine();
    return { width, height };
}

} // namespace brevanton
