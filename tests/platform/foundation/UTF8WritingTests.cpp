#include "platform/foundation/UTF8Writing.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

namespace brevanton {
namespace {

// Writes the text into a buffer with guard bytes after the measured length.
std::string written(std::u16string_view text)
{
    size_t length = utf8Length(text);
    std::string buffer(length + 8, '#');
    writeUTF8(text, buffer.data());
    EXPECT_EQ(buffer.substr(length), std::string(8, '#')) << "written past the measured length";
    return buffer.substr(0, length);
}

TEST(UTF8Writing, CharactersOfEveryLengthAtEveryOffsetOfARunOfASCII)
{
    // Characters of one to four bytes at every offset from the edge of the
    // sixteen units narrowed at once, in texts longer than many such blocks.
    const char16_t* units[] = { u"a", u"\u0080", u"\u07FF", u"\u0800", u"\uFFFF", u"\U0001F600", u"\n" };
    const char* bytes[] = { "a", "\xC2\x80", "\xDF\xBF", "\xE0\xA0\x80", "\xEF\xBF\xBF", "\xF0\x9F\x98\x80", "\n" };
    for (size_t kind = 0; kind < std::size(units); ++kind) {
        for (size_t lead = 0; lead < 40; ++lead) {
            std::u16string text(lead, u'x');
            std::string expected(lead, 'x');
            for (int i = 0; i < 50; ++i) {
                text += units[kind];
                expected += bytes[kind];
                text += u"an ascii run of some twenty units";
                expected += "an ascii run of some twenty units";
            }
            ASSERT_EQ(written(text), expected) << kind << " after " << lead;
            EXPECT_EQ(toUTF8(text), expected);
        }
    }
    EXPECT_EQ(written(u""), "");
}

TEST(UTF8Writing, LoneSurrogatesBecomeReplacementCharacters)
{
    // Inside and at the end of a block narrowed at once, and at the very end.
    std::u16string text = u"0123456789abcde";
    text += char16_t(0xD800);
    text += u"0123456789abcdef";
    text += char16_t(0xDC00);
    text += u"tail";
    text += char16_t(0xDBFF);
    EXPECT_EQ(written(text), "0123456789abcde\xEF\xBF\xBD" "0123456789abcdef\xEF\xBF\xBDtail\xEF\xBF\xBD");
    // A pair split across blocks stays one character.
    std::u16string split = u"0123456789abcde";
    split += u"\U0001F600";
    EXPECT_EQ(written(split), "0123456789abcde\xF0\x9F\x98\x80");
    EXPECT_EQ(toUTF16(written(split)), split);
}

} // namespace
} // namespace brevanton
