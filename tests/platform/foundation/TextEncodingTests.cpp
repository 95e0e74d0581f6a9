#include "platform/foundation/TextEncoding.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

std::u16string decimalReference(char32_t codePoint)
{
    std::string text = "&#" + std::to_string(static_cast<uint32_t>(codePoint)) + ";";
    return std::u16string(text.begin(), text.end());
}

TEST(TextEncoding, DecodesStrictlyAndReportsWhy)
{
    Error error;
    EXPECT_EQ(decodeText("caf\xC3\xA9", u"UTF-8", &error), u"café");
    EXPECT_EQ(decodeText("caf\xE9", u"latin1", &error), u"café");
    EXPECT_EQ(decodeText(std::string_view("\xFF\xFE" "a\0", 4), u"UTF-16", &error), u"a") << "the BOM selects the byte order and is consumed";
    EXPECT_EQ(decodeText("\xEF\xBB\xBFx", u"utf8", &error), u"\uFEFFx") << "a UTF-8 BOM is text";

    EXPECT_FALSE(decodeText("caf\xE9", u"UTF-8", &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingInapplicableForReadingError)) << error;
    error = Error();
    EXPECT_FALSE(decodeText("\x82\xA0\x82", u"Shift_JIS", &error)) << "a truncated character is not replaced";
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingInapplicableForReadingError)) << error;
    error = Error();
    EXPECT_FALSE(decodeText("abc", u"no-such-charset", &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingUnknownError)) << error;
    error = Error();
    EXPECT_FALSE(decodeText("abc", u"", &error)) << "the empty name must not open a platform default";
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingUnknownError)) << error;
}

TEST(TextEncoding, DecodesLargeAndExpandingInputCompletely)
{
    std::string utf32(4 * 3000, '\0');
    for (size_t i = 0; i < 3000; ++i)
        utf32[4 * i + 2] = 0x01, utf32[4 * i + 3] = static_cast<char>(0x40 + i % 26);
    auto text = decodeText(utf32, u"UTF-32BE", nullptr);
    ASSERT_TRUE(text);
    ASSERT_EQ(text->size(), 3000u);
    EXPECT_EQ((*text)[2999], 0x0100 + 0x40 + 2999 % 26);
}

TEST(TextEncoding, LenientDecodingReplacesOnlyWhatItCannotMap)
{
    EXPECT_EQ(decodeTextReplacingInvalid("a\xFF" "b", u"UTF-8"), u"a\uFFFDb");
    auto shiftJIS = decodeTextReplacingInvalid("\x82\xA0" "a\x82", u"Shift_JIS");
    ASSERT_TRUE(shiftJIS);
    EXPECT_EQ(shiftJIS->substr(0, 2), u"\u3042a");
    EXPECT_GT(shiftJIS->size(), 2u) << "the truncated byte becomes a substitute, not nothing";
    EXPECT_FALSE(decodeTextReplacingInvalid("x", u"no-such-charset"));
}

TEST(TextEncoding, EncodesStrictly)
{
    Error error;
    EXPECT_EQ(encodeText(u"café", u"ISO-8859-1", &error), "caf\xE9");
    EXPECT_EQ(encodeText(u"café", u"UTF-8", &error), "caf\xC3\xA9");
    EXPECT_EQ(encodeText(u"\U0001F600", u"utf-16le", &error), std::string("\x3D\xD8\x00\xDE", 4));

    EXPECT_FALSE(encodeText(u"\u20AC", u"ISO-8859-1", &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingInapplicableForWritingError)) << error;
    error = Error();
    EXPECT_FALSE(encodeText(u"a", u"no-such-charset", &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingInapplicableForWritingError)) << error;
    EXPECT_EQ(encodeText(std::u16string(1, u'\xD800'), u"UTF-8", nullptr), "\xEF\xBF\xBD");
}

TEST(TextEncoding, EncodingWithFallbackReplacesEachMissingCodePoint)
{
    std::vector<char32_t> asked;
    auto reference = [&](char32_t codePoint) {
        asked.push_back(codePoint);
        return decimalReference(codePoint);
    };
    std::u16string text = u"a\u20ACb\U0001F600c";
    EXPECT_EQ(encodeText(text, u"US-ASCII", reference, nullptr), "a&#8364;b&#128512;c");
    EXPECT_EQ(asked, (std::vector<char32_t> { 0x20AC, 0x1F600 })) << "a surrogate pair is one code point";

    EXPECT_EQ(encodeText(u"\u00E9\u20AC", u"windows-1252", reference, nullptr), "\xE9\x80") << "nothing missing, nothing asked";

    std::u16string lone = u"x";
    lone += u'\xDC00';
    lone += u"\u00E9";
    lone += u'\xD800';
    EXPECT_EQ(encodeText(lone, u"UTF-8", reference, nullptr), "x&#56320;\xC3\xA9&#55296;");
    EXPECT_EQ(encodeText(lone, u"ISO-8859-1", reference, nullptr), "x&#56320;\xE9&#55296;");

    // A long text whose replacements far outgrow the first output buffer.
    std::u16string many(2000, u'\u4E00');
    auto encoded = encodeText(many, u"ISO-8859-1", reference, nullptr);
    ASSERT_TRUE(encoded);
    EXPECT_EQ(encoded->size(), 2000u * 8);
}

TEST(TextEncoding, EncodingWithFallbackFailsRatherThanLoop)
{
    Error error;
    auto unencodable = [](char32_t) { return std::u16string(u"\u20AC"); };
    EXPECT_FALSE(encodeText(u"a\u4E00", u"ISO-8859-1", unencodable, &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingInapplicableForWritingError)) << error;
    error = Error();
    EXPECT_FALSE(encodeText(u"a", u"no-such-charset", unencodable, &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, TextEncodingInapplicableForWritingError)) << error;
}

TEST(TextEncoding, AnswersWhetherAnEncodingHoldsACodePoint)
{
    EXPECT_TRUE(canEncode(0xE9, u"ISO-8859-1"));
    EXPECT_FALSE(canEncode(0x20AC, u"ISO-8859-1"));
    EXPECT_TRUE(canEncode(0x20AC, u"windows-1252")) << "switching encodings must not reuse the last converter";
    EXPECT_FALSE(canEncode(0x4E00, u"windows-1252"));
    EXPECT_TRUE(canEncode(0x3042, u"Shift_JIS"));
    EXPECT_FALSE(canEncode(0x1F600, u"Shift_JIS"));
    EXPECT_TRUE(canEncode(0x1F600, u"UTF-8"));
    EXPECT_FALSE(canEncode(0xD800, u"UTF-8"));
    EXPECT_FALSE(canEncode(0xD800, u"UTF-16"));
    EXPECT_TRUE(canEncode(0x4E00, u"no-such-charset"));
}

TEST(TextEncoding, NamesEncodings)
{
    EXPECT_TRUE(isKnownTextEncoding(u"latin1"));
    EXPECT_TRUE(isKnownTextEncoding(u"UTF8"));
    EXPECT_FALSE(isKnownTextEncoding(u""));
    EXPECT_FALSE(isKnownTextEncoding(u"no-such-charset"));

    EXPECT_EQ(standardTextEncodingName(u"latin1", TextEncodingNameStandard::IANA), u"ISO_8859-1:1987");
    EXPECT_EQ(standardTextEncodingName(u"latin1", TextEncodingNameStandard::MIME), u"ISO-8859-1");
    EXPECT_FALSE(standardTextEncodingName(u"no-such-charset", TextEncodingNameStandard::IANA));

    EXPECT_EQ(textEncodingConverterName(u"latin1"), u"ISO-8859-1");
    EXPECT_EQ(textEncodingConverterName(u"csShiftJIS"), textEncodingConverterName(u"Shift_JIS"));
    EXPECT_FALSE(textEncodingConverterName(u"no-such-charset"));
}

} // namespace
} // namespace brevanton
