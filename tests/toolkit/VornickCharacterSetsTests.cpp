#include "toolkit/VornickCharacterSets.h"

#include "toolkit/VornickStringExtensions.h"
#include "toolkit/VornickWhitespaceFilter.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// The whitespace table must agree with the platform's own sets wherever it
// claims to be one of them, for every character.
TEST(VornickWhitespaceSets, TableMatchesThePlatformSets)
{
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        ASSERT_EQ(vornick_isInWhitespaceSet(c, VornickPlatformWhitespace), CharacterSet::whitespace().contains(c))
            << std::hex << unsigned(c);
        ASSERT_EQ(vornick_isInWhitespaceSet(c, VornickPlatformWhitespaceAndNewline),
                  CharacterSet::whitespaceAndNewlines().contains(c))
            << std::hex << unsigned(c);
        ASSERT_EQ(vornick_isInWhitespaceSet(c, VornickHTMLWhitespace),
                  CharacterSet::whitespaceAndNewlines().contains(c) || c == 0xA0)
            << std::hex << unsigned(c);
    }
    EXPECT_FALSE(vornick_isInWhitespaceSet(0x10000 + 0x20, VornickHTMLWhitespace));
    EXPECT_EQ(vornick_characterSetForWhitespaceSet(VornickHTMLWhitespace),
              vornick_whitespaceNonBreakingSpaceAndNewlineCharacterSet());
}

// Which operation judges by which whitespace set.
TEST(VornickWhitespaceSets, EachOperationUsesItsSet)
{
    const CharacterSet& htmlSpace = vornick_HTMLSpaceCharacterSet();
    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u" \t\n\f\r", htmlSpace));
    for (char16_t c : std::u16string(u"\v\u0085\u00A0\u2003\u2028\u3000"))
        EXPECT_FALSE(htmlSpace.contains(c)) << std::hex << unsigned(c);

    // The whitespace tests and the filter take U+00A0, U+0085 and Unicode spaces.
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespace(u"\v\u0085\u00A0\u2003"));
    EXPECT_EQ(vornick_stringByFilteringWhitespaceWithOptions(u"\u0085a\u3000", 3, 0, nullptr), u"a");

    // The substitute counts only where it is given.
    EXPECT_EQ(vornick_spaceSeparatedTokens(u"a\u23D8b c"), (std::vector<std::u16string> { u"a\u23D8b", u"c" }));
    EXPECT_TRUE(vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(u"\u23D8", u'\u23D8'));
    EXPECT_FALSE(vornick_containsOnlyHTMLWhitespace(u"\u23D8"));

    // Safe file names are trimmed of the platform's whitespace and newlines.
    EXPECT_EQ(vornick_safeFileNameFromString(u"\u2028 a/b \u00A0\n"), u"a_b");
}

TEST(VornickCharacterSets, Members)
{
    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u"azAZ09", vornick_ASCIIAlphanumericCharacterSet()));
    EXPECT_FALSE(vornick_ASCIIAlphanumericCharacterSet().contains(U'\u0663')); // Arabic-Indic three
    EXPECT_FALSE(vornick_ASCIIAlphanumericCharacterSet().contains(U'_'));
    EXPECT_FALSE(vornick_ASCIILettersCharacterSet().contains(U'0'));
    EXPECT_FALSE(vornick_ASCIILettersCharacterSet().contains(U'\u00E9'));

    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u"09afAF", vornick_hexDigitsCharacterSet()));
    EXPECT_FALSE(vornick_hexDigitsCharacterSet().contains(U'g'));
    EXPECT_FALSE(vornick_hexDigitsCharacterSet().contains(U'\u0663'));
    EXPECT_FALSE(vornick_hexDigitsCharacterSet().contains(U'\uFF11')); // fullwidth one

    const CharacterSet& attributeName = vornick_HTMLAttributeNameCharacterSet();
    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u"data-x_y:z \u00E9\U0001F600", attributeName));
    for (char32_t c : std::u32string(U"\"'>/=\u0000\u0001\u007F\u200B\uFFFF\U000E0001"))
        EXPECT_FALSE(attributeName.contains(c)) << std::hex << unsigned(c);

    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u"&<>\u00A0", vornick_HTMLMustEscapeInTextCharacterSet()));
    EXPECT_FALSE(vornick_HTMLMustEscapeInTextCharacterSet().contains(U'"'));
    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u"core:Para\u00E9", vornick_WordPressBlockTypeNameCharacterSet()));
    EXPECT_FALSE(vornick_WordPressBlockTypeNameCharacterSet().contains(U'/'));
    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u".?!", vornick_sentenceDelimiterCharacterSet()));
    EXPECT_FALSE(vornick_vowelCharacterSet().contains(U'y'));
}

} // namespace
} // namespace brevanton
