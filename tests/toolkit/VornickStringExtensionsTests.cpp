#include "toolkit/VornickStringExtensions.h"

#include "toolkit/VornickCharacterSets.h"
#include "toolkit/VornickNewlineConvention.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using Tokens = std::vector<std::u16string>;

TEST(VornickStringExtensions, SpaceSeparatedTokensSplitAtAnyHTMLWhitespace)
{
    EXPECT_EQ(vornick_spaceSeparatedTokens(u""), Tokens {});
    EXPECT_EQ(vornick_spaceSeparatedTokens(u" \n "), Tokens {});
    EXPECT_EQ(vornick_spaceSeparatedTokens(u"one"), Tokens { u"one" });
    EXPECT_EQ(vornick_spaceSeparatedTokens(u"  a  b\nc\r\n\td\u00A0e "),
              (Tokens { u"a", u"b", u"c", u"d", u"e" }));
}

TEST(VornickStringExtensions, CharacterRuns)
{
    const CharacterSet& digits = CharacterSet::fromCharacters(u"0123456789");
    std::u16string text = u"ab123cd45";
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(text, digits, 0, VornickMakeRange(0, 9)), VornickMakeRange(2, 3));
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(text, digits, VornickBackwardsSearch, VornickMakeRange(0, 9)),
              VornickMakeRange(7, 2));
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(text, digits, VornickBackwardsSearch, VornickMakeRange(0, 5)),
              VornickMakeRange(2, 3));
    // The run stays inside the range on both sides.
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(text, digits, 0, VornickMakeRange(3, 1)), VornickMakeRange(3, 1));
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(text, digits, VornickBackwardsSearch, VornickMakeRange(3, 2)),
              VornickMakeRange(3, 2));
    EXPECT_TRUE(vornick_rangeOfCharacterRunFromSet(text, digits, 0, VornickMakeRange(0, 2)).isNotFound());
    EXPECT_TRUE(vornick_rangeOfCharacterRunFromSet(text, digits, VornickAnchoredSearch, VornickMakeRange(0, 9)).isNotFound());
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(text, digits, VornickAnchoredSearch, VornickMakeRange(2, 7)),
              VornickMakeRange(2, 3));
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(text, digits, VornickAnchoredSearch | VornickBackwardsSearch,
                                                 VornickMakeRange(0, 9)),
              VornickMakeRange(7, 2));
    EXPECT_TRUE(vornick_rangeOfCharacterRunFromSet(text, digits, VornickAnchoredSearch | VornickBackwardsSearch,
                                                   VornickMakeRange(0, 6)).isNotFound());

    // Members beyond the BMP are whole code points.
    CharacterSet emoji = CharacterSet::fromRanges({ { 0x1F600, 0x1F64F } });
    std::u16string faces = u"a\U0001F600\U0001F601b";
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(faces, emoji, 0, VornickMakeRange(0, faces.size())), VornickMakeRange(1, 4));
    EXPECT_EQ(vornick_rangeOfCharacterRunFromSet(faces, emoji, VornickBackwardsSearch, VornickMakeRange(0, faces.size())),
              VornickMakeRange(1, 4));

    const CharacterSet& spaces = CharacterSet::whitespace();
    EXPECT_EQ(vornick_stringByReplacingRunsOfCharactersInSet(u" a \t b  ", spaces, u"_"), u"_a_b_");
    EXPECT_EQ(vornick_stringByReplacingRunsOfCharactersInSet(u"ab", spaces, u"_"), u"ab");
    std::u16string mutableText = u" a \t b  ";
    vornick_replaceRunsOfCharactersInSet(mutableText, spaces, u"--");
    EXPECT_EQ(mutableText, u"--a--b--");

    EXPECT_TRUE(vornick_containsOnlyCharactersInSet(u"", digits));
    EXPECT_FALSE(vornick_containsOnlyCharactersInSet(u"12a", digits));
}

TEST(VornickStringExtensions, HexIntegerValueReadsASCIIHexWithoutOverflow)
{
    EXPECT_EQ(vornick_hexIntegerValue(u"1f"), 31u);
    EXPECT_EQ(vornick_hexIntegerValue(u"00FF"), 255u);
    EXPECT_EQ(vornick_hexIntegerValue(u"FFFFFFFFFFFFFFFF"), UINT64_MAX);
    EXPECT_EQ(vornick_hexIntegerValue(u"0000000000000000000001"), 1u);
    EXPECT_EQ(vornick_hexIntegerValue(u"10000000000000000"), std::nullopt);
    EXPECT_EQ(vornick_hexIntegerValue(u"0x1f"), std::nullopt);
    EXPECT_EQ(vornick_hexIntegerValue(u""), std::nullopt);
    EXPECT_EQ(vornick_hexIntegerValue(u"-1"), std::nullopt);
    EXPECT_EQ(vornick_hexIntegerValue(u"\u0663"), std::nullopt); // a digit of another script
    EXPECT_EQ(vornick_hexIntegerValue(u"\uFF11"), std::nullopt);
}

TEST(VornickStringExtensions, CharacterCodesAndQuotes)
{
    EXPECT_EQ(vornick_charactersAsUnicodeHexCodesSeparatedByString(std::u16string_view(u"a\u00A0\0b", 4), u", "),
              u"U+0061, U+00A0");
    EXPECT_EQ(vornick_newlineStringForConvention(VornickNewlineConvention::Unknown), u"\n");
    EXPECT_FALSE(vornick_isReturnOrEnterKey(u"\r\n"));

    bool called = false;
    EXPECT_FALSE(vornick_withCharactersDo(u"", [&](const char16_t*, size_t) { return called = true; }));
    EXPECT_FALSE(called);
    EXPECT_TRUE(vornick_withCharactersDo(u"ab", [](const char16_t* characters, size_t length) {
        return length == 2 && characters[0] == u'a' && characters[2] == 0;
    }));

    EXPECT_EQ(vornick_stringByTrimmingHTMLAttributeQuotes(u"\"x y\""), u"x y");
    EXPECT_EQ(vornick_stringByTrimmingHTMLAttributeQuotes(u"''"), u"");
    EXPECT_EQ(vornick_stringByTrimmingHTMLAttributeQuotes(u"\"x'"), u"\"x'");
    EXPECT_EQ(vornick_stringByTrimmingHTMLAttributeQuotes(u"\""), u"\"");
}

TEST(VornickStringExtensions, FormEncodingEscapesEachCharacterOnce)
{
    EXPECT_EQ(vornick_stringByEscapingFormNameOrValue(u"a b"), u"a+b");
    EXPECT_EQ(vornick_stringByEscapingFormNameOrValue(u"1\n2\r\n3\r4"), u"1%0D%0A2%0D%0A3%0D%0A4");
    EXPECT_EQ(vornick_stringByEscapingFormNameOrValue(u"a+b&c=d"), u"a%2Bb%26c%3Dd");
    EXPECT_EQ(vornick_stringByEscapingFormNameOrValue(u"100%"), u"100%25");
    EXPECT_EQ(vornick_stringByEscapingFormNameOrValue(u"caf\u00E9 \U0001F600"), u"caf%C3%A9+%F0%9F%98%80");
    EXPECT_EQ(vornick_stringByEscapingFormNameOrValue(u"a-b_c.d*e~f/g?h#i"), u"a-b_c.d*e%7Ef%2Fg%3Fh%23i");

    EXPECT_EQ(vornick_stringByAddingPercentEscapes(u"a b:c/d?e=f&g#h%i\u00E9"), u"a%20b%3Ac/d?e=f&g%23h%25i%C3%A9");
    EXPECT_EQ(vornick_stringByAddingPercentEscapes(u"<\"x\">"), u"%3C%22x%22%3E");
}

TEST(VornickStringExtensions, EntityEscapeAroundLocation)
{
    std::u16string text = u"a&amp;b&c";
    EXPECT_EQ(vornick_rangeOfHTMLEntityEscapeContainingLocation(text, 3), VornickMakeRange(1, 5));
    EXPECT_EQ(vornick_rangeOfHTMLEntityEscapeContainingLocation(text, 5), VornickMakeRange(1, 5));
    EXPECT_TRUE(vornick_rangeOfHTMLEntityEscapeContainingLocation(text, 1).isNotFound()); // the "&" itself
    EXPECT_TRUE(vornick_rangeOfHTMLEntityEscapeContainingLocation(text, 6).isNotFound());
    EXPECT_TRUE(vornick_rangeOfHTMLEntityEscapeContainingLocation(text, 8).isNotFound());
    EXPECT_TRUE(vornick_rangeOfHTMLEntityEscapeContainingLocation(text, 0).isNotFound());
    EXPECT_TRUE(vornick_rangeOfHTMLEntityEscapeContainingLocation(text, 99).isNotFound());
}

TEST(VornickStringExtensions, TruncationCutsBetweenCodePoints)
{
    EXPECT_EQ(vornick_stringByTruncatingToMaxLength(u"0123456789", 7, u"\u2026"), u"012\u2026789");
    EXPECT_EQ(vornick_stringByTruncatingToMaxLength(u"0123456789", 8, u".."), u"012..789");
    EXPECT_EQ(vornick_stringByTruncatingToMaxLength(u"0123456789", 10, u"\u2026"), u"0123456789");
    EXPECT_EQ(vornick_stringByTruncatingToMaxLength(u"0123456789", 2, u"..."), u"0123456789");

    // "ab😀cd😀ef" is 10 units; a plain cut at 3 or 7 units would split a pair.
    std::u16string faces = u"ab\U0001F600cd\U0001F600ef";
    std::u16string head = vornick_stringByTruncatingToMaxLength(faces, 7, u"~");
    EXPECT_EQ(head, u"ab~\U0001F600ef");
    std::u16string tail = vornick_stringByTruncatingToMaxLength(u"abcd\U0001F600ef", 6, u"~");
    EXPECT_EQ(tail, u"ab~ef");
    for (size_t maxLength = 1; maxLength < faces.size(); ++maxLength) {
        std::u16string result = vornick_stringByTruncatingToMaxLength(faces, maxLength, u"~");
        EXPECT_LE(result.size(), maxLength);
        for (size_t i = 0; i < result.size(); ++i) {
            bool high = result[i] >= 0xD800 && result[i] <= 0xDBFF;
            bool low = result[i] >= 0xDC00 && result[i] <= 0xDFFF;
            if (high) {
                EXPECT_TRUE(i + 1 < result.size() && result[i + 1] >= 0xDC00 && result[i + 1] <= 0xDFFF);
            }
            if (low) {
                EXPECT_TRUE(i > 0 && result[i - 1] >= 0xD800 && result[i - 1] <= 0xDBFF);
            }
        }
    }
}

TEST(VornickStringExtensions, FileNames)
{
    EXPECT_EQ(vornick_safeFileNameFromString(u"  a/b/c \n"), u"a_b_c");
    EXPECT_EQ(VornickScaleFactorFromFilename(u"icon@2x.png"), 2u);
    EXPECT_EQ(VornickScaleFactorFromFilename(u"photo@12x.jpeg"), 12u);
    EXPECT_EQ(VornickScaleFactorFromFilename(u"icon.png"), VornickNotFound);
    EXPECT_EQ(VornickScaleFactorFromFilename(u"icon2x.png"), VornickNotFound);
    EXPECT_EQ(VornickScaleFactorFromFilename(u"icon@2xpng"), VornickNotFound);
    EXPECT_EQ(VornickScaleFactorFromFilename(u"@2x"), VornickNotFound);
}

TEST(VornickStringExtensions, CharacterMapping)
{
    std::u16string text = u"a\u00A0b\u00A0c d";
    const std::pair<char16_t, char16_t> replacements[] = { { u'\u00A0', u'\u23D8' }, { u'\u00A0', u'x' }, { u'd', u'D' } };
    vornick_mapCharactersUsingReplacements(text, replacements);
    EXPECT_EQ(text, u"a\u23D8b\u23D8c D");
    vornick_replaceOccurrencesOfCharacter(text, u'\u23D8', u'\u00A0');
    EXPECT_EQ(text, u"a\u00A0b\u00A0c D");
}

} // namespace
} // namespace brevanton
