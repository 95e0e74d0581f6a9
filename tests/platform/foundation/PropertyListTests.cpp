#include "platform/foundation/PropertyList.h"

#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace {

std::string asString(const Data& data)
{
    return std::string(data.begin(), data.end());
}

Value sampleTree()
{
    Dictionary nested;
    nested[u"caf\u00e9 \U0001F600"] = Value(u"\u00fcml\u00e4ut & <tag> \U0001F600");
    nested[u"empty"] = Value(Array {});
    Dictionary root;
    root[u"integer"] = Value(42);
    root[u"negative"] = Value(-7);
    root[u"large"] = Value(int64_t(1) << 62);
    root[u"real"] = Value(0.1);
    root[u"tiny"] = Value(1.5e-300);
    root[u"yes"] = Value(true);
    root[u"no"] = Value(false);
    root[u"data"] = Value(Data { 0, 1, 2, 0xFF, 0x80 });
    root[u"date"] = Value(Date(1700000000.0));
    root[u"array"] = Value(Array { Value(1), Value(u"two"), Value(Dictionary(nested)) });
    root[u"nested"] = Value(std::move(nested));
    return Value(std::move(root));
}

} // namespace

TEST(PropertyList, XMLAndBinaryRoundTripEveryValueType)
{
    Value tree = sampleTree();
    for (auto format : { PropertyListFormat::XML, PropertyListFormat::Binary }) {
        Error error;
        auto data = writePropertyList(tree, format, &error);
        ASSERT_TRUE(data) << error;
        PropertyListFormat readFormat = format == PropertyListFormat::XML ? PropertyListFormat::Binary
                                                                          : PropertyListFormat::XML;
        auto read = readPropertyList(*data, &error, &readFormat);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(readFormat, format);
        EXPECT_EQ(*read, tree) << read->description();
        // Types survive, not only numeric equality.
        EXPECT_TRUE((*read)[u"integer"].isInteger());
        EXPECT_TRUE((*read)[u"real"].isReal());
        EXPECT_TRUE((*read)[u"yes"].isBoolean());
        EXPECT_TRUE((*read)[u"date"].isDate());
        EXPECT_DOUBLE_EQ((*read)[u"date"].date().timeIntervalSince1970(), 1700000000.0);
        EXPECT_EQ((*read)[u"negative"].integerValue(), -7);
    }
    auto binary = writePropertyList(tree, PropertyListFormat::Binary, nullptr);
    ASSERT_TRUE(binary);
    EXPECT_EQ(asString(*binary).substr(0, 8), "bplist00");

    // Binary lists keep fractions of a second and dates before the reference date.
    Value dates(Array { Value(Date(1700000000.25)), Value(Date(-86400.5)) });
    auto written = writePropertyList(dates, PropertyListFormat::Binary, nullptr);
    ASSERT_TRUE(written);
    auto read = readPropertyList(*written, nullptr);
    ASSERT_TRUE(read);
    EXPECT_DOUBLE_EQ(read->array()[0].date().timeIntervalSince1970(), 1700000000.25);
    EXPECT_DOUBLE_EQ(read->array()[1].date().timeIntervalSince1970(), -86400.5);
}

TEST(PropertyList, XMLIsReadAfterByteOrderMarkAndLeadingWhitespace)
{
    auto xml = writePropertyList(Value(Dictionary { { u"k", Value(u"v") } }), PropertyListFormat::XML, nullptr);
    ASSERT_TRUE(xml);
    std::string text = asString(*xml);
    EXPECT_TRUE(text.starts_with("<?xml"));
    for (std::string prefix : { "\xEF\xBB\xBF", "  \n\t", "\xEF\xBB\xBF\r\n " }) {
        Error error;
        auto read = readPropertyList(prefix + text, &error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ((*read)[u"k"], Value(u"v"));
        EXPECT_TRUE(looksLikePropertyList(prefix + text));
    }
}

TEST(PropertyList, CorruptInputIsAnErrorNotACrash)
{
    auto binary = writePropertyList(sampleTree(), PropertyListFormat::Binary, nullptr);
    ASSERT_TRUE(binary);
    for (std::string input : { std::string(), std::string("{\"json\": 1}"), std::string("<?xml version=\"1.0\"?><plist><dict><key>a</key>"),
                               asString(*binary).substr(0, binary->size() / 2), std::string("bplist00garbagegarbage") }) {
        Error error;
        EXPECT_FALSE(readPropertyList(input, &error)) << input;
        EXPECT_TRUE(error.is(CocoaErrorDomain, PropertyListReadCorruptError)) << error;
    }
    EXPECT_FALSE(looksLikePropertyList("{\"a\": 1}"));

    // A NUL inside a string, as a damaged file may hold, does not abort the
    // process: the string ends there.
    static const char withNULText[] = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key><string>x\0y</string></dict></plist>";
    Error error;
    auto withNUL = readPropertyList(std::string_view(withNULText, sizeof(withNULText) - 1), &error);
    ASSERT_TRUE(withNUL) << error;
    auto found = withNUL->find(u"a");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->stringValue(), u"x");
}

TEST(PropertyList, ValuesWithoutAPropertyListFormAreWriteErrors)
{
    for (Value bad : { Value(), Value(Array { Value(1), Value() }), Value(Date::distantFuture()) }) {
        for (auto format : { PropertyListFormat::XML, PropertyListFormat::Binary }) {
            Error error;
            EXPECT_FALSE(writePropertyList(bad, format, &error)) << bad.description();
            EXPECT_TRUE(error.is(CocoaErrorDomain, PropertyListWriteInvalidError));
        }
    }
}
