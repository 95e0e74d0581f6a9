#include "toolkit/VornickCharacterSets.h"

#include <string>
#include <vector>

namespace brevanton {

static CharacterSet buildWhitespaceSet(VornickWhitespaceSet set)
{
    std::u16string members;
    for (const auto& entry : VornickWhitespaceTable) {
        if (entry.sets & set)
            members.push_back(entry.character);
    }
    return CharacterSet::fromCharacters(members);
}

const CharacterSet& vornick_characterSetForWhitespaceSet(VornickWhitespaceSet set)
{
    static const CharacterSet platformWhitespace = buildWhitespaceSet(VornickPlatformWhitespace);
    static const CharacterSet platformWhitespaceAndNewline = buildWhitespaceSet(VornickPlatformWhitespaceAndNewline);
    static const CharacterSet htmlWhitespace = buildWhitespaceSet(VornickHTMLWhitespace);
    static const CharacterSet htmlSpace = buildWhitespaceSet(VornickHTMLSpace);
    switch (set) {
    case VornickPlatformWhitespace:
        return platformWhitespace;
    case VornickPlatformWhitespaceAndNewline:
        return platformWhitespaceAndNewline;
    case VornickHTMLWhitespace:
        return htmlWhitespace;
    case VornickHTMLSpace:
        break;
    }
    return htmlSpace;
}

const CharacterSet& vornick_ASCIILettersCharacterSet()
{
    static const CharacterSet set = CharacterSet::fromRanges({ { U'A', U'Z' }, { U'a', U'z' } });
    return set;
}

const CharacterSet& vornick_ASCIIAlphanumericCharacterSet()
{
    static const CharacterSet set = CharacterSet::fromRanges({ { U'0', U'9' }, { U'A', U'Z' }, { U'a', U'z' } });
    return set;
}

const CharacterSet& vornick_hexDigitsCharacterSet()
{
    static const CharacterSet set = CharacterSet::fromRanges({ { U'0', U'9' }, { U'A', U'F' }, { U'a', U'f' } });
    return set;
}

const CharacterSet& vornick_sentenceDelimiterCharacterSet()
{
    static const CharacterSet set = CharacterSet::fromCharacters(u".?!");
    return set;
}

const CharacterSet& vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet()
{
    return vornick_characterSetForWhitespaceSet(VornickHTMLWhitespace);
}

const CharacterSet& vornick_vowelCharacterSet()
{
    static const CharacterSet set = CharacterSet::fromCharacters(u"AEIOUaeiou");
    return set;
}

const CharacterSet& vornick_HTMLAttributeNameCharacterSet()
{
    static const CharacterSet set = CharacterSet::fromPattern(u"[:Cn:]")
                                        .unionWith(CharacterSet::controlCharacters())
                                        .unionWith(CharacterSet::fromCharacters(std::u16string_view(u"\0\"'>/=", 6)))
                                        .inverted();
    return set;
}

const CharacterSet& vornick_HTMLSpaceCharacterSet()
{
    return vornick_characterSetForWhitespaceSet(VornickHTMLSpace);
}

const CharacterSet& vornick_HTMLMustEscapeInTextCharacterSet()
{
    static const CharacterSet set = CharacterSet::fromCharacters(u"&<>\u00A0");
    return set;
}

const CharacterSet& vornick_WordPressBlockTypeNameCharacterSet()
{
    static const CharacterSet set = CharacterSet::alphanumerics().adding(u":");
    return set;
}

} // namespace brevanton
