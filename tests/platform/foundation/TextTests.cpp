#include "platform/foundation/CaseFolding.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

#include <cstdio>
#include <iterator>

namespace brevanton {
namespace {

TEST(Text, UTF8ConvertsWholeAcrossRunsOfASCII)
{
    // Runs of ASCII longer and shorter than a machine word, with multi-byte
    // and ill-formed sequences on either side of their edges.
    EXPECT_EQ(toUTF16("abcdefgh\xC3\xA9" "ijklmnopqrstuvw\xF0\x9F\x98\x80xyz"), u"abcdefgh\u00E9ijklmnopqrstuvw\U0001F600xyz");
    EXPECT_EQ(toUTF16("1234567\xE2\x80\x94" "89"), u"1234567\u201489");
    EXPECT_EQ(toUTF16("abcdefg\xFF" "abcdefgh\xC3"), u"abcdefg\uFFFDabcdefgh\uFFFD");
    EXPECT_EQ(toUTF16(""), u"");

    std::u16string text = u"kept ";
    appendUTF16(text, "caf\xC3\xA9 au lait");
    EXPECT_EQ(text, u"kept caf\u00E9 au lait");
}

TEST(Text, UTF8ConvertsWholeAcrossBlocksAndChunks)
{
    // Characters of one to four bytes at every offset from a block's edge,
    // in texts far longer than the units converted at a time.
    const char* characters[] = { "a", "\xC3\xA9", "\xE2\x80\x94", "\xF0\x9F\x98\x80", "\n" };
    const char16_t* units[] = { u"a", u"\u00E9", u"\u2014", u"\U0001F600", u"\n" };
    for (size_t kind = 0; kind < std::size(characters); ++kind) {
        for (size_t lead = 0; lead < 40; ++lead) {
            std::string text(lead, 'x');
            std::u16string expected(lead, u'x');
            for (int i = 0; i < 1500; ++i) {
                text += characters[kind];
                expected += units[kind];
                if (i % 7 == 0) {
                    text += "plain ascii run";
                    expected += u"plain ascii run";
                }
            }
            ASSERT_EQ(toUTF16(text), expected) << kind << " " << lead;
        }
    }

    // Ill-formed sequences become U+FFFD wherever they fall, also at the
    // end of a chunk and of the text.
    std::string broken(1023, 'y');
    broken += "\xE2\x80" "z\xF0\x9F\x98";
    std::u16string expectedBroken(1023, u'y');
    expectedBroken += u"\uFFFDz\uFFFD";
    EXPECT_EQ(toUTF16(broken), expectedBroken);
    EXPECT_EQ(toUTF16("\xED\xA0\x80 lone surrogate, \xC0\xAF overlong, \x80 stray"),
        u"\uFFFD\uFFFD\uFFFD lone surrogate, \uFFFD\uFFFD overlong, \uFFFD stray");

    // Appending keeps what was there, however long either part is.
    std::u16string long16(5000, u'q');
    appendUTF16(long16, std::string(3000, 'r') + "\xC3\xA9");
    EXPECT_EQ(long16, std::u16string(5000, u'q') + std::u16string(3000, u'r') + u"\u00E9");
}

// ICU's own reading, one character at a time.
std::u16string referenceUTF16(std::string_view utf8)
{
    std::u16string out;
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0)
            c = 0xFFFD;
        char16_t units[2];
        int32_t count = 0;
        U16_APPEND_UNSAFE(units, count, c);
        out.append(units, static_cast<size_t>(count));
    }
    return out;
}

TEST(Text, UTF8AgreesWithICUOnEverySequenceOfTwoAndThreeBytes)
{
    // Each lead byte that is not ASCII with every second and third byte,
    // well-formed or not, between characters of several bytes and at the end.
    for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
        for (unsigned second = 0; second <= 0xFF; ++second) {
            std::string pair { static_cast<char>(lead), static_cast<char>(second) };
            ASSERT_EQ(toUTF16("\xC3\xA9" + pair + "\xC3\xA9"), referenceUTF16("\xC3\xA9" + pair + "\xC3\xA9")) << lead << " " << second;
            ASSERT_EQ(toUTF16("\xC3\xA9" + pair), referenceUTF16("\xC3\xA9" + pair)) << lead << " " << second;
            if (lead < 0xE0 || lead > 0xEF)
                continue;
            for (unsigned third = 0; third <= 0xFF; third += (second & 0xC0) == 0x80 ? 1 : 0x3F) {
                std::string triple = pair + static_cast<char>(third);
                ASSERT_EQ(toUTF16("\xE2\x80\x94" + triple + "\xC3"), referenceUTF16("\xE2\x80\x94" + triple + "\xC3"))
                    << lead << " " << second << " " << third;
            }
        }
    }
}

// The fast conversion, the one a character at a time and ICU's, which must
// all read `utf8` alike; the strict reading must agree or refuse.
void expectSameReadings(const std::string& utf8, const std::string& label)
{
    std::u16string reference = referenceUTF16(utf8);
    ASSERT_EQ(toUTF16(utf8), reference) << label;
    std::u16string units(utf8.size(), u'\0');
    ASSERT_EQ(std::u16string(units.data(), writeUTF16(utf8, units.data())), reference) << label;
    ASSERT_EQ(std::u16string(units.data(), writeUTF16OneCharacterAtATime(utf8, units.data())), reference) << label;
    std::u16string strict = u"kept";
    bool wellFormed = decodeUTF8Strictly(utf8, strict);
    // ICU sees an ill-formed sequence exactly where it answers U+FFFD for bytes other than EF BF BD.
    bool replaced = false;
    for (size_t i = 0, unit = 0; i < utf8.size(); ++unit) {
        int32_t at = static_cast<int32_t>(i);
        UChar32 c;
        U8_NEXT(reinterpret_cast<const uint8_t*>(utf8.data()), at, static_cast<int32_t>(utf8.size()), c);
        replaced = replaced || c < 0;
        i = static_cast<size_t>(at);
    }
    ASSERT_EQ(wellFormed, !replaced) << label;
    ASSERT_EQ(strict, wellFormed ? reference : u"kept") << label;
}

TEST(Text, UTF8ReadsAlikeAtTheEdgesOfBlocksAndPieces)
{
    // Sequences of every width, well-formed or not, straddling the edges of
    // the sixteen-byte blocks and of the pieces toUTF16 converts at a time,
    // followed by more text or ending it.
    const char* sequences[] = {
        "\xC3\xA9", "\xE2\x80\x94", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF", "\xEF\xBF\xBE",
        // Surrogates written in UTF-8, overlong forms, beyond U+10FFFF.
        "\xED\xA0\x80", "\xED\xBF\xBF", "\xE0\x9F\xBF", "\xC1\xBF", "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80",
        // Cut short, stray continuation bytes, bytes never in UTF-8.
        "\xC3", "\xE2\x80", "\xF0\x9F\x98", "\x80", "\x80\x80\x80\x80\x80", "\xBF\xBF\xBF\xBF", "\xFE", "\xFF\xC3\xA9",
        "\xF0\x9F\x98" "a", "\xE2\x80\xE2\x80\x94", "\xF0\x9F\x98\x80\x80", "\xE2\x80\x94\x80\x80",
    };
    for (const char* sequence : sequences) {
        for (size_t lead : { 0, 1, 12, 13, 14, 15, 16, 17, 31, 1019, 1020, 1021, 1022, 1023, 1024, 1025 }) {
            std::string text = std::string(lead, 'x') + sequence;
            expectSameReadings(text, std::to_string(lead) + " ending");
            expectSameReadings(text + "after the sequence, more than a block of ASCII", std::to_string(lead) + " inside");
            expectSameReadings(text + sequence + sequence, std::to_string(lead) + " repeated");
        }
    }
    // Text of several bytes throughout, with no run of ASCII to rest on.
    std::string dense;
    for (int i = 0; i < 700; ++i)
        dense += i % 5 ? "\xD0\x9C\xE6\x97\xA5\xF0\x9F\x98\x80" : "\xE6\x97";
    expectSameReadings(dense, "dense");
}

TEST(Text, FoldedKeysOrderLikeCaseInsensitiveComparison)
{
    // Sorting by keys folded once must give the order of comparing the strings themselves.
    const std::u16string samples[] = {
        u"", u"a", u"Apple", u"apple", u"APPLE!", u"Banana", u"stra\u00DFe", u"STRASSE", u"Strasse",
        u"\u03A3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C2", u"\u03C3\u03AF\u03C3\u03C5\u03C6\u03BF\u03C3", u"\u0130stanbul",
        u"\u01C5", u"\u01C6", u"\uFF21", u"\uE000", u"\uFFFD", std::u16string(u"\xD83D\xDE00"), std::u16string(u"\xD800x"),
        std::u16string(u"\xDC00"), u"\u00C9cole", u"\u00E9COLE",
    };
    auto sign = [](int value) { return (value > 0) - (value < 0); };
    auto hex = [](const std::u16string& text) {
        std::string out;
        for (char16_t c : text) {
            char unit[8];
            std::snprintf(unit, sizeof unit, "%04X ", static_cast<unsigned>(c));
            out += unit;
        }
        return out;
    };
    for (auto& a : samples) {
        for (auto& b : samples) {
            EXPECT_EQ(sign(compareInCodePointOrder(caseFolded(a), caseFolded(b))), sign(compareIgnoringCase(a, b)))
                << hex(a) << " / " << hex(b);
        }
    }
    EXPECT_EQ(caseFolded(u"MiXeD 42"), u"mixed 42");
    EXPECT_EQ(caseFolded(u"STRA\u00DFE"), u"strasse");
    // Supplementary characters come after everything in the BMP, lone surrogates at their code points.
    EXPECT_GT(compareInCodePointOrder(std::u16string(u"\xD83D\xDE00"), u"\uFFFF"), 0);
    EXPECT_LT(compareInCodePointOrder(std::u16string(u"\xDC00"), u"\uE000"), 0);
    EXPECT_GT(compareInCodePointOrder(std::u16string(u"\xD83D\xDE00"), std::u16string(u"\xDC00")), 0);
    EXPECT_LT(compareInCodePointOrder(u"ab", u"abc"), 0);
}

TEST(Text, SimpleFoldingKeepsEveryOffset)
{
    EXPECT_EQ(simpleCaseFolded(u"MiXeD 42 \u00C9COLE \u03A3\u03C2"), u"mixed 42 \u00E9cole \u03C3\u03C3");
    // A character whose folding would take more or fewer units stays itself.
    EXPECT_EQ(simpleCaseFolded(u"STRA\u00DFE \u0130"), u"stra\u00DFe \u0130");
    // Supplementary characters fold as pairs; lone surrogates stay.
    EXPECT_EQ(simpleCaseFolded(std::u16string(u"\xD801\xDC00")), std::u16string(u"\xD801\xDC28"));
    EXPECT_EQ(simpleCaseFolded(std::u16string { u'A', 0xDC00, u'B', 0xD800 }), (std::u16string { u'a', 0xDC00, u'b', 0xD800 }));
    for (std::u16string_view text : { u"", u"\u01C5\u1E9E\u2126K", u"\uFF21\uFB00" })
        EXPECT_EQ(simpleCaseFolded(text).size(), text.size());
}

TEST(Text, HTMLWhitespaceIsStrippedAtTheEndsAndCollapsedInside)
{
    struct Case {
        std::u16string_view text, stripped, collapsed;
    };
    const Case cases[] = {
        { u"", u"", u"" },
        { u" \t\n\f\r", u"", u"" },
        { u"  A \r\n\t title\f ", u"A \r\n\t title", u"A title" },
        { u"no\u00A0break\u00A0", u"no\u00A0break\u00A0", u"no\u00A0break\u00A0" }, // not HTML whitespace
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stripHTMLWhitespace(c.text), c.stripped) << toUTF8(c.text);
        EXPECT_EQ(stripAndCollapseHTMLWhitespace(c.text), c.collapsed) << toUTF8(c.text);
    }
}

} // namespace
} // namespace brevanton
