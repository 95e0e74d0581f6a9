#include "publishing/VornickAttachmentPointSelectorGrammar.h"

#include "platform/foundation/CharacterSet.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickCharacterSets.h"

namespace brevanton {

static constexpr std::u16string_view selectorSyntaxCharacters = u":,!{}[]\"'";

static bool allCodePointsIn(std::u16string_view text, const CharacterSet& set)
{
    if (text.empty())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t codePoint = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            codePoint = 0x10000 + ((char32_t(text[i]) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            ++i;
        }
        if (!set.contains(codePoint))
            return false;
    }
    return true;
}

bool vornick_isValidSelectorValue(std::u16string_view value)
{
    static const CharacterSet valueCharacters
        = CharacterSet::alphanumerics().unionWith(CharacterSet::punctuation()).removing(selectorSyntaxCharacters);
    return allCodePointsIn(value, valueCharacters);
}

bool vornick_isValidSelectorAttributeName(std::u16string_view name)
{
    static const CharacterSet nameCharacters = vornick_HTMLAttributeNameCharacterSet()
                                                   .removing(selectorSyntaxCharacters)
                                                   .subtracting(CharacterSet::whitespaceAndNewlines());
    return allCodePointsIn(name, nameCharacters);
}

} // namespace brevanton
