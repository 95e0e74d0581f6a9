#include "platform/foundation/JSONReader.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(JSONReader, NumbersKeepTheirKind)
{
    Error error;
    auto value = readJSON(R"([1, -2, 1.0, 2.5e3, 9223372036854775807, -9223372036854775808,
                             18446744073709551615, 1e300, true, null, 0])", &error);
    ASSERT_TRUE(value) << error;
    const Array& a = value->array();
    ASSERT_EQ(a.size(), 11u);
    EXPECT_TRUE(a[0].isInteger());
    EXPECT_EQ(a[1].integerValue(), -2);
    EXPECT_TRUE(a[2].isReal());
    EXPECT_EQ(a[3], Value(2500.0));
    EXPECT_EQ(a[4].integerValue(), INT64_MAX);
    EXPECT_EQ(a[5].integerValue(), INT64_MIN);
    // Beyond the signed range: a real of the right magnitude, never a wrapped negative.
    EXPECT_TRUE(a[6].isReal());
    EXPECT_DOUBLE_EQ(a[6].doubleValue(), 18446744073709551615.0);
    EXPECT_TRUE(a[8].isBoolean());
    EXPECT_TRUE(a[9].isNull());
}

TEST(JSONReader, StringsBecomeUTF16)
{
    Error error;
    auto value = readJSON("\xEF\xBB\xBF {\"s\": \"caf\\u00e9 \\ud83d\\ude00 \xF0\x9F\x98\x80 \\\"q\\\" \\/ \\n\","
                          " \"k\\u00e9y\": 1, \"dup\": 1, \"dup\": 2}", &error);
    ASSERT_TRUE(value) << error;
    EXPECT_EQ((*value)[u"s"].string(), u"caf\u00e9 \U0001F600 \U0001F600 \"q\" / \n");
    EXPECT_EQ((*value)[u"k\u00e9y"], Value(1));
    EXPECT_EQ((*value)[u"dup"], Value(2));

    // Objects inside objects and arrays, names out of order and repeated.
    auto nested = readJSON(R"({"z": {"b": 1, "a": 2, "b": 3}, "a": [{"y": 1, "x": 2, "y": 4}], "z2": {}, "z": {"c": 5, "c": 6}})", &error);
    ASSERT_TRUE(nested) << error;
    EXPECT_EQ(*nested, Value(Dictionary { { u"a", Value(Array { Value(Dictionary { { u"x", Value(2) }, { u"y", Value(4) } }) }) },
                                          { u"z", Value(Dictionary { { u"c", Value(6) } }) }, { u"z2", Value(Dictionary {}) } }));
    EXPECT_EQ(nested->dictionary().begin()->first, u"a");
}

TEST(JSONReader, ErrorsAreCocoa3840AndNameThePosition)
{
    for (std::string text : { "{\"a\": tru}", "", "[1] [2]", "[\"\\ud800\"]", "[\"\xff\"]", "[1e400]", "{\"a\" 1}" }) {
        Error error;
        EXPECT_FALSE(readJSON(text, &error)) << text;
        EXPECT_TRUE(error.is(CocoaErrorDomain, JSONReadingError)) << error;
        EXPECT_NE(toUTF8(error.localizedDescription()).find("around line 1, column "), std::string::npos) << error;
        EXPECT_LE(error.userInfo().at(JSONErrorIndexKey).integerValue(), int64_t(text.size())) << error;
    }
    Error error;
    EXPECT_FALSE(readJSON("\xEF\xBB\xBF[1,\n 2,\n x]", &error));
    EXPECT_EQ(error.userInfo().at(JSONErrorIndexKey).integerValue(), 12);
    EXPECT_NE(toUTF8(error.localizedDescription()).find("line 3, column 2"), std::string::npos) << error;
}

TEST(JSONReader, FragmentsAndDepth)
{
    Error error;
    EXPECT_FALSE(readJSON("\"text\"", &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, JSONReadingError));
    auto fragment = readJSON("\"text\"", &error, JSONReadingOptions { .fragmentsAllowed = true });
    ASSERT_TRUE(fragment);
    EXPECT_EQ(*fragment, Value(u"text"));

    std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(readJSON(deep, &error));
    EXPECT_TRUE(error.is(CocoaErrorDomain, JSONReadingError));
    std::string fine = std::string(100, '[') + std::string(100, ']');
    EXPECT_TRUE(readJSON(fine, &error));
}

namespace brevanton {

TEST(JSONReader, UndecodableTextIsMarkedInItsStringAlone)
{
    const JSONReadingOptions marking { .markUndecodableText = true };
    struct Case {
        std::string_view text;
        std::u16string first;
    } cases[] = {
        { "[\"lone \\ud800\", \"ok\"]", u"lone \uffff" },
        { "[\"low \\udc00 first\", \"ok\"]", u"low \uffff first" },
        { "[\"caf\xE9\", \"ok\"]", u"caf\uffff" },
        { "[\"cut \xE2\x82\", \"ok\"]", u"cut \uffff\uffff" },
        { "[\"raw \x01 control\", \"ok\"]", u"raw \uffff control" },
        { "[\"pair \\ud83d\\ude00 \xC3\xA9\", \"ok\"]", u"pair \U0001F600 \u00e9" },
        { "[\"escaped \\\" quote \\\\\\ud800\", \"ok\"]", u"escaped \" quote \\\uffff" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(std::string(test.text));
        auto value = readJSON(test.text, nullptr, marking);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->array()[0], Value(test.first));
        EXPECT_EQ(value->array()[1], Value(u"ok"));
    }
    // Without the option such text fails the whole reply; sound text reads alike either way.
    EXPECT_FALSE(readJSON(cases[0].text, nullptr));
    std::string_view sound = "{\"t\":\"caf\xC3\xA9 \\ud83d\\ude00\",\"n\":[1,2.5]}";
    EXPECT_EQ(readJSON(sound, nullptr, marking), readJSON(sound, nullptr));
}

} // namespace brevanton
