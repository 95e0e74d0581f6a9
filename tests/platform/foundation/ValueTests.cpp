#include "platform/foundation/Assertions.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(Text, RoundTripsAndReplacesIllFormedInput)
{
    std::u16string text = u"caf\u00e9 \U0001F600";
    EXPECT_EQ(toUTF16(toUTF8(text)), text);
    EXPECT_EQ(toUTF16("a\xff" "b"), u"a\uFFFDb");
    EXPECT_EQ(toUTF8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD"); // lone surrogate
    // Every width, and surrogates out of order or cut off at either end.
    EXPECT_EQ(toUTF8(u"a\u00e9\u20ac\U0001F600z"), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(toUTF8(std::u16string { 0xDE00, u'x', 0xD83D }), "\xEF\xBF\xBDx\xEF\xBF\xBD");
    EXPECT_EQ(toUTF8(std::u16string { 0xD83D, 0xD83D, 0xDE00 }), "\xEF\xBF\xBD\xF0\x9F\x98\x80");
    EXPECT_EQ(toUTF8(u""), "");
    std::u16string out = u"kept";
    EXPECT_FALSE(decodeUTF8Strictly("a\xc3", out));
    EXPECT_EQ(out, u"kept");
}

TEST(Text, StrictDecodingAgreesWithTheLenientOneOnWellFormedTextAndRefusesTheRest)
{
    // Runs of ASCII around and across the eight-byte steps, then every width.
    for (size_t run = 0; run < 20; ++run) {
        std::string ascii(run, 'x');
        for (std::string tail : { "", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xC3\xA9" "abcdefghij" }) {
            std::string text = ascii + tail + ascii;
            std::u16string decoded;
            ASSERT_TRUE(decodeUTF8Strictly(text, decoded)) << run << text;
            EXPECT_EQ(decoded, toUTF16(text)) << run << text;
        }
        // A bad byte after the run, at its end or cut short, is found.
        for (std::string bad : { "\xFF", "\xC3", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80" }) {
            std::u16string out = u"kept";
            EXPECT_FALSE(decodeUTF8Strictly(ascii + bad + "tail after", out)) << run;
            EXPECT_FALSE(decodeUTF8Strictly(ascii + bad, out)) << run;
            EXPECT_EQ(out, u"kept");
        }
    }
    std::u16string empty = u"replaced";
    EXPECT_TRUE(decodeUTF8Strictly("", empty));
    EXPECT_EQ(empty, u"");
    std::u16string nul;
    EXPECT_TRUE(decodeUTF8Strictly(std::string_view("a\0b", 3), nul));
    EXPECT_EQ(nul, std::u16string(u"a\0b", 3));
}

TEST(Text, CaseMapping)
{
    EXPECT_EQ(asciiLowercase(u"DiV\u00C9"), u"div\u00C9");
    EXPECT_TRUE(equalsIgnoringASCIICase(u"TABLE", u"table"));
    EXPECT_EQ(lowercase(u"\u00C9COLE"), u"\u00e9cole");
    EXPECT_EQ(compareIgnoringCase(u"Apple", u"apple"), 0);
    EXPECT_LT(compareIgnoringCase(u"apple", u"Banana"), 0);
}

TEST(Value, DeepCopyEqualityAndDescription)
{
    Dictionary d;
    d[u"list"] = Array { Value(1), Value(2.5), Value(u"x"), Value() };
    d[u"flag"] = true;
    Value original(d);
    Value copy = original;
    copy.dictionary()[u"list"].array().push_back(Value(3));
    EXPECT_EQ(original[u"list"].count(), 4u);
    EXPECT_EQ(copy[u"list"].count(), 5u);
    EXPECT_FALSE(original == copy);
    EXPECT_EQ(Value(2), Value(2.0));
    EXPECT_FALSE(Value(1) == Value(true));
    EXPECT_TRUE(original[u"missing"].isNull());
    EXPECT_EQ(original.description(),
              "{\n    \"flag\" = true;\n    \"list\" = (\n        1,\n        2.5,\n        \"x\",\n        null\n    );\n}");
}

TEST(Value, TypedAccessAssertsOnWrongType)
{
    Value v(u"text");
    EXPECT_THROW(v.array(), InternalInconsistencyException);
    EXPECT_EQ(Value(u"42").integerValue(), 42);
    EXPECT_EQ(Value(7.9).integerValue(), 7);
    EXPECT_TRUE(Value(u"YES").boolValue());
}

TEST(Error, DescriptionAndOutParameter)
{
    Error error;
    EXPECT_FALSE(setError(&error, Error("D", 7, u"Broken")));
    EXPECT_EQ(error.localizedDescription(), u"Broken");
    EXPECT_TRUE(error.is("D", 7));
    EXPECT_FALSE(setError(nullptr, Error("D", 7)));
    EXPECT_EQ(Error::posix(2).localizedDescription(), u"No such file or directory");
}
