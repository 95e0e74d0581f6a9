#include "toolkit/VornickBase64.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

Data bytes(std::string_view text)
{
    return Data(text.begin(), text.end());
}

Data sequence(size_t count)
{
    Data data(count);
    for (size_t i = 0; i < count; ++i)
        data[i] = static_cast<uint8_t>(i * 37 + 11);
    return data;
}

} // namespace

TEST(VornickBase64, EncodesWithPaddingAndBreaksLinesAfter48Bytes)
{
    EXPECT_EQ(base64EncodedString(bytes("")), u"");
    EXPECT_EQ(base64EncodedString(bytes("f")), u"Zg==");
    EXPECT_EQ(base64EncodedString(bytes("fo")), u"Zm8=");
    EXPECT_EQ(base64EncodedString(bytes("foo")), u"Zm9v");
    EXPECT_EQ(base64EncodedString(Data { 0xFB, 0xFF, 0xBF }), u"+/+/");

    std::u16string full = base64EncodedString(sequence(48));
    EXPECT_EQ(full.size(), 64u);
    EXPECT_EQ(full.find(u'\r'), std::u16string::npos);

    std::u16string longer = base64EncodedString(sequence(49));
    ASSERT_EQ(longer.size(), 64u + 2 + 4);
    EXPECT_EQ(longer.substr(0, 64), full);
    EXPECT_EQ(longer.substr(64, 2), u"\r\n");
    EXPECT_EQ(longer.substr(66, 2), base64EncodedString(Data { sequence(49)[48] }).substr(0, 2));

    std::u16string twoLines = base64EncodedString(sequence(96));
    EXPECT_EQ(twoLines.size(), 130u) << "no line break after the last line";
    EXPECT_EQ(base64EncodedString(sequence(96), VornickBase64Lines::OneLine).size(), 128u);
}

TEST(VornickBase64, DecodesSkippingWhatIsOutsideTheAlphabet)
{
    EXPECT_EQ(dataFromBase64String(u"Zm9v"), bytes("foo"));
    EXPECT_EQ(dataFromBase64String(u"Zm 9v\r\n"), bytes("foo"));
    EXPECT_EQ(dataFromBase64String(u"Zm8="), bytes("fo"));
    EXPECT_EQ(dataFromBase64String(u"Zg"), bytes("f"));
    EXPECT_EQ(dataFromBase64String(u"Zm9vY"), bytes("foo")) << "a single trailing character is ignored";
    EXPECT_EQ(dataFromBase64String(u"Zm9v\u00e9"), Data()) << "text that is not ASCII";
    EXPECT_EQ(dataFromBase64String(u"+/+/"), (Data { 0xFB, 0xFF, 0xBF }));

    for (size_t count : { 0, 1, 2, 3, 47, 48, 49, 100 }) {
        Data data = sequence(count);
        EXPECT_EQ(dataFromBase64String(base64EncodedString(data)), data) << count;
    }
}
