#include "platform/views/TokenField.h"

#include "platform/foundation/CharacterSet.h"

namespace brevanton {

TokenField::TokenField(Rect frame)
    : TextField(frame)
{
    setEditable(true);
    setBezeled(true);
    setObjectValue(Value(Array {}));
}

std::vector<std::u16string> TokenField::tokens() const
{
    std::vector<std::u16string> result;
    if (!objectValue().isArray())
        return result;
    for (const Value& token : objectValue().array()) {
        if (token.isString())
            result.push_back(token.string());
    }
    return result;
}

void TokenField::setTokens(const std::vector<std::u16string>& tokens)
{
    std::u16string text;
    Array array;
    for (const auto& token : tokens) {
        if (!text.empty() || !array.empty())
            text += m_tokenizingCharacter;
        text += token;
        array.push_back(Value(token));
    }
    setTextString(std::move(text));
    setObjectValue(Value(std::move(array)));
}

std::vector<std::u16string> TokenField::tokensOfString(std::u16string_view text) const
{
    const CharacterSet& blanks = CharacterSet::whitespaceAndNewlines();
    std::vector<std::u16string> result;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(m_tokenizingCharacter, start);
        if (end == std::u16string_view::npos)
            end = text.size();
        size_t first = start;
        size_t last = end;
        while (first < last && blanks.contains(text[first]))
            ++first;
        while (last > first && blanks.contains(text[last - 1]))
            --last;
        if (last > first)
            result.emplace_back(text.substr(first, last - first));
        start = end + 1;
    }
    return result;
}

void TokenField::textDidChange()
{
    Array array;
    for (auto& token : tokensOfString(attributedStringValue().string()))
        array.push_back(Value(std::move(token)));
    setObjectValue(Value(std::move(array)));
    TextField::textDidChange();
    sendAction();
}

} // namespace brevanton
