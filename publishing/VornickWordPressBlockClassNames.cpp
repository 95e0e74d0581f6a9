#include "publishing/VornickWordPressBlockClassNames.h"

#include "platform/dom/DOMElement.h"
#include "platform/foundation/Text.h"

namespace brevanton {

std::u16string vornick_trimmedOfHTMLSpace(std::u16string_view text)
{
    while (!text.empty() && isHTMLWhitespace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isHTMLWhitespace(text.back()))
        text.remove_suffix(1);
    return std::u16string(text);
}

std::vector<std::u16string> vornick_piecesBetweenHTMLSpace(std::u16string_view text)
{
    std::vector<std::u16string> pieces;
    if (text.empty())
        return pieces;
    std::u16string piece;
    for (char16_t character : text) {
        if (isHTMLWhitespace(character)) {
            pieces.push_back(std::move(piece));
            piece.clear();
        } else
            piece.push_back(character);
    }
    pieces.push_back(std::move(piece));
    return pieces;
}

std::vector<std::u16string> vornick_wordsBetweenHTMLSpace(std::u16string_view text)
{
    std::vector<std::u16string> words;
    for (auto& piece : vornick_piecesBetweenHTMLSpace(text)) {
        if (!piece.empty())
            words.push_back(std::move(piece));
    }
    return words;
}

std::u16string vornick_joinedWithSpaces(const std::vector<std::u16string>& names)
{
    std::u16string joined;
    for (size_t index = 0; index < names.size(); ++index) {
        if (index)
            joined.push_back(u' ');
        joined += names[index];
    }
    return joined;
}

void vornick_setClassNamesOfBlockElement(DOMElement& element, const std::vector<std::u16string>& names)
{
    auto joined = vornick_joinedWithSpaces(names);
    if (joined.empty())
        element.removeAttribute(u"class");
    else
        element.setAttribute(u"class", joined);
}

} // namespace brevanton
