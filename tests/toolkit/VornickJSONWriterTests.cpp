#include "toolkit/VornickJSONWriter.h"

#include "toolkit/VornickMutableOrderedDictionary.h"
#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace brevanton;

namespace {

std::string written(const Value& value, uint64_t options = 0)
{
    VornickJSONWriter writer(options);
    writer.writeValue(value);
    Error error;
    auto data = writer.jsonDataReturningErrorIn(&error);
    EXPECT_TRUE(data) << error;
    return data.value_or("");
}

} // namespace

TEST(VornickJSONWriter, LayoutCompactAndPretty)
{
    Value dictionary(Dictionary { { u"b", Value(u"x") }, { u"a", Value(1) } });
    EXPECT_EQ(written(dictionary, VornickJSONWriter::PrettyPrint), "{\n  \"a\" : 1,\n  \"b\" : \"x\"\n}");
    EXPECT_EQ(written(dictionary), "{\"a\":1,\"b\":\"x\"}");

    Value nested(Dictionary { { u"list", Value(Array { Value(1), Value(Dictionary { { u"k", Value(true) } }) }) } });
    EXPECT_EQ(written(nested, VornickJSONWriter::PrettyPrint),
              "{\n  \"list\" : [\n    1,\n    {\n      \"k\" : 1\n    }\n  ]\n}");
    // Numbers as strings; booleans are the numbers 1 and 0.
    Value numbers(Array { Value(-12), Value(0.5), Value(false), Value(int64_t(1) << 60) });
    EXPECT_EQ(written(numbers, VornickJSONWriter::NumbersAsStrings), "[\"-12\",\"0.5\",\"0\",\"1152921504606846976\"]");
    EXPECT_EQ(written(numbers), "[-12,0.5,0,1152921504606846976]");
    EXPECT_EQ(written(Value(Array { Value(0.1), Value(1e300), Value(-2.0) })), "[0.1,1e+300,-2]");
}

TEST(VornickJSONWriter, MisuseIsRecordedAndWithholdsTheText)
{
    {
        VornickJSONWriter writer;
        for (int i = 0; i < 32; ++i)
            writer.beginDictionary();
        EXPECT_FALSE(writer.hasError());
        writer.beginDictionary();
        EXPECT_TRUE(writer.error().is(VornickErrorDomain, VornickJSONWriterErrorTreeTooDeep));
        EXPECT_EQ(toUTF8(writer.error().localizedDescription()), "-[JSONWriter beginDictionary] failed (tree too deep), top=32");
        Error error;
        EXPECT_FALSE(writer.jsonStringReturningErrorIn(&error));
        EXPECT_EQ(error.code(), VornickJSONWriterErrorTreeTooDeep);
    }
    {
        VornickJSONWriter writer;
        writer.endDictionary();
        EXPECT_TRUE(writer.error().is(VornickErrorDomain, VornickJSONWriterErrorNotInsideDictionary));
        EXPECT_EQ(toUTF8(writer.error().localizedDescription()),
                  "-[JSONWriter endDictionary] failed (not inside a dictionary), stack[top=0]=0, indentLevel=0");
        // Only the first error is kept.
        Array elements { Value(1) };
        writer.writeArrayValue(&elements, [&](const Value&) { writer.conditionalWriteKeyValue(u"k", Value(1)); });
        EXPECT_EQ(writer.error().code(), VornickJSONWriterErrorNotInsideDictionary);
        EXPECT_FALSE(writer.jsonDataReturningErrorIn(nullptr));
    }
    {
        VornickJSONWriter writer;
        Array elements { Value(1) };
        writer.writeArrayValue(&elements, [&](const Value&) { writer.writeKey(u"k", [] {}); });
        EXPECT_EQ(writer.error().code(), VornickJSONWriterErrorNotInsideDictionary);
        EXPECT_NE(toUTF8(writer.error().localizedDescription()).find("conditionalWriteKey:\"k\" stringValue:"), std::string::npos);
    }
    {
        // A container left open is not JSON: no text.
        VornickJSONWriter writer;
        writer.beginDictionary();
        writer.conditionalWriteKeyValue(u"a", Value(1));
        Error error;
        EXPECT_FALSE(writer.jsonStringReturningErrorIn(&error));
        EXPECT_EQ(error.code(), VornickJSONWriterErrorNotInsideDictionary);
    }
    {
        // An array closed where an object is innermost.
        VornickJSONWriter writer;
        Array elements { Value(1) };
        writer.writeArrayValue(&elements, [&](const Value&) { writer.beginDictionary(); });
        EXPECT_EQ(writer.error().code(), VornickJSONWriterErrorNotInsideArray);
    }
    for (double bad : { std::nan(""), std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity() }) {
        VornickJSONWriter writer;
        writer.writeValue(Value(Array { Value(1), Value(bad) }));
        Error error;
        EXPECT_FALSE(writer.jsonDataReturningErrorIn(&error));
        EXPECT_TRUE(error.is(VornickErrorDomain, VornickJSONWriterErrorNumberNotRepresentable)) << error;
    }
}

TEST(VornickJSONWriter, OutputIsAlwaysValidJSON)
{
    // Nulls, empty containers and elements that write nothing still leave valid text.
    Value tree(Array { Value(), Value(Array {}), Value(Array { Value(Array {}) }), Value(Dictionary {}),
                       Value(Dictionary { { u"n", Value() }, { u"e", Value(Array {}) } }) });
    for (uint64_t options : { 0, 1, 2, 3 }) {
        std::string text = written(tree, options);
        Error error;
        auto read = readJSON(text, &error);
        ASSERT_TRUE(read) << text << "\n" << error;
        const Array& a = read->array();
        ASSERT_EQ(a.size(), 5u) << text;
        EXPECT_TRUE(a[0].isNull());
        EXPECT_EQ(a[2], Value(Array { Value(Array {}) }));
        // A null and an empty array under a key of a written tree are kept.
        EXPECT_TRUE(a[4].contains(u"n"));
        EXPECT_EQ(a[4][u"e"], Value(Array {}));
    }
    EXPECT_EQ(written(Value(Array {})), "[]");

    VornickJSONWriter writer;
    Array elements { Value(1), Value(2) };
    writer.writeArrayValue(&elements, [&](const Value& element) {
        if (element == Value(1))
            writer.writeNumberValue(nullptr);
        else
            writer.writeValue(element);
    });
    EXPECT_EQ(writer.jsonDataReturningErrorIn(nullptr).value_or(""), "[null,2]");
}

TEST(VornickJSONWriter, EmptyContainersInsideATreeReadBackWhole)
{
    Value empties(Dictionary { { u"list", Value(Array {}) }, { u"map", Value(Dictionary {}) } });
    Value tree(Dictionary {
        { u"top", empties },
        { u"Upper", Value(Dictionary { { u"Inner", Value(Array {}) }, { u"a", Value(Dictionary { { u"deep", empties } }) } }) },
        { u"rows", Value(Array { empties, Value(Array { Value(Dictionary {}), Value(Array {}) }) }) },
        { u"word", Value(u"kept") },
    });
    for (uint64_t options : { 0, 1, 2, 3 }) {
        std::string text = written(tree, options);
        Error error;
        auto read = readJSON(text, &error);
        ASSERT_TRUE(read) << text << "\n" << error;
        EXPECT_EQ(*read, tree) << text;
    }

    // A tree under a key keeps its empty members; the value given to the
    // conditional writer is still left out when it is itself empty.
    VornickJSONWriter writer;
    writer.beginDictionary();
    writer.conditionalWriteKeyValue(u"tree", empties);
    writer.conditionalWriteKeyValue(u"none", Value(Dictionary {}));
    writer.endDictionary();
    EXPECT_EQ(writer.jsonDataReturningErrorIn(nullptr).value_or(""), "{\"tree\":{\"list\":[],\"map\":{}}}");

    VornickMutableOrderedDictionary ordered;
    ordered.setObject(Value(Array {}), u"z");
    ordered.setObject(Value(Dictionary { { u"k", Value(Array {}) } }), u"a");
    VornickJSONWriter orderedWriter;
    orderedWriter.writeDictionary(ordered);
    EXPECT_EQ(orderedWriter.jsonDataReturningErrorIn(nullptr).value_or(""), "{\"z\":[],\"a\":{\"k\":[]}}");
}

TEST(VornickJSONWriter, StringsAreEscapedAndRoundTrip)
{
    EXPECT_EQ(VornickJSONWriter::stringValueEscapedForJSON(u"a\u0001b"), u"a\\u0001b");
    EXPECT_EQ(VornickJSONWriter::stringValueEscapedForJSON(u"</a> caf\u00e9"), u"</a> caf\u00e9");
    EXPECT_EQ(VornickJSONWriter::stringValueEscapedForJSON(u"\"\\\b\f\n\r\t"), u"\\\"\\\\\\b\\f\\n\\r\\t");
    EXPECT_EQ(VornickJSONWriter::stringValueEscapedForJSON(u"\u007f\u0085\ufeff\u200b"), u"\\u007f\\u0085\\ufeff\\u200b");
    // An unpaired surrogate has no UTF-8 form: replaced, so the text stays readable.
    EXPECT_EQ(VornickJSONWriter::stringValueEscapedForJSON(std::u16string(u"a") + char16_t(0xD800) + u"b"), u"a\ufffdb");

    std::u16string tricky = u"q\"uote \\ slash / tab\t nl\n nul" + std::u16string(1, u'\0')
        + u" \U0001F600 \u00e9 \u2028 \U0001D173 \u00ad end";
    Value tree(Dictionary { { tricky, Value(Array { Value(tricky) }) } });
    for (uint64_t options : { 0, 1 }) {
        std::string text = written(tree, options);
        Error error;
        auto read = readJSON(text, &error);
        ASSERT_TRUE(read) << error;
        EXPECT_EQ(*read, tree);
    }
}

TEST(VornickJSONWriter, KeyOrderAndConditionalWrites)
{
    Value keys(Dictionary { { u"c", Value(3) }, { u"a", Value(1) }, { u"B", Value(2) } });
    // writeDictionary: code-unit order; a dictionary under a key: ignoring case.
    EXPECT_EQ(written(keys), "{\"B\":2,\"a\":1,\"c\":3}");
    EXPECT_EQ(written(Value(Dictionary { { u"k", keys } })), "{\"k\":{\"a\":1,\"B\":2,\"c\":3}}");
    EXPECT_EQ(written(Value(Dictionary { { u"k", Value(Dictionary { { u"\u00c9t\u00e9", Value(1) }, { u"\u00e9a", Value(2) }, { u"Z", Value(3) } }) } })),
              "{\"k\":{\"Z\":3,\"\u00e9a\":2,\"\u00c9t\u00e9\":1}}");
    // A key that is a prefix of another comes first, also when the upper-case key forces a sort.
    EXPECT_EQ(written(Value(Dictionary { { u"k", Value(Dictionary { { u"ab", Value(1) }, { u"a", Value(2) }, { u"B", Value(3) } }) } })),
              "{\"k\":{\"a\":2,\"ab\":1,\"B\":3}}");
    EXPECT_EQ(written(Value(Dictionary { { u"k", Value(Dictionary { { u"\u00e9", Value(1) }, { u"\u00e9b", Value(2) }, { u"E", Value(3) } }) } })),
              "{\"k\":{\"E\":3,\"\u00e9\":1,\"\u00e9b\":2}}");

    VornickMutableOrderedDictionary ordered;
    ordered.setObject(Value(1), u"z");
    ordered.setObject(Value(2), u"a");
    VornickJSONWriter orderedWriter;
    orderedWriter.writeDictionary(ordered);
    EXPECT_EQ(orderedWriter.jsonDataReturningErrorIn(nullptr).value_or(""), "{\"z\":1,\"a\":2}");

    VornickJSONWriter writer;
    writer.beginDictionary();
    writer.conditionalWriteKeyValue(u"empty", Value(u""));
    writer.conditionalWriteKeyValue(u"emptyArray", Value(Array {}));
    writer.conditionalWriteKeyValue(u"missing", nullptr);
    writer.conditionalWriteKeyStringValue(u"nostring", nullptr);
    writer.conditionalWriteKeyNumberValue(u"nonumber", nullptr);
    writer.conditionalWriteKeyValue(u"", Value(1));
    writer.conditionalWriteKeyValue(u"data", Value(Data { 'M', 'a', 'n', 'y' }));
    writer.conditionalWriteKeyValue(u"date", Value(Date(0)));
    Dictionary pairs { { u"y", Value(1) }, { u"X", Value(2) } };
    writer.conditionalWriteKeyDictionaryValue(u"pairs", &pairs, [&](const std::u16string& key, const Value& value) {
        writer.conditionalWriteKeyValue(key, value);
    });
    writer.endDictionary();
    Error error;
    auto text = writer.jsonDataReturningErrorIn(&error);
    ASSERT_TRUE(text) << error;
    EXPECT_EQ(*text, "{\"data\":\"TWFueQ==\",\"date\":\"1970-01-01T00:00:00Z\",\"pairs\":{\"X\":2,\"y\":1}}");
}
