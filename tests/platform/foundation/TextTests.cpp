#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace brevanton
