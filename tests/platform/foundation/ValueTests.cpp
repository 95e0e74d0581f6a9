#include "platform/foundation/Assertions.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <span>

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
    // Texts: equal only unit for unit and to the same length.
    EXPECT_EQ(Value(u""), Value(u""));
    EXPECT_EQ(Value(u"caf\u00E9 \U0001F600"), Value(u"caf\u00E9 \U0001F600"));
    EXPECT_FALSE(Value(u"ab") == Value(u"abc"));
    EXPECT_FALSE(Value(u"abc") == Value(u"ab"));
    EXPECT_FALSE(Value(u"") == Value(u"a"));
    EXPECT_FALSE(Value(u"abd") == Value(u"abc"));
    EXPECT_FALSE(Value(u"\u0100") == Value(u"\u0001")) << "every byte of a unit counts";
    EXPECT_TRUE(original[u"missing"].isNull());
    EXPECT_EQ(original.description(),
              "{\n    \"flag\" = true;\n    \"list\" = (\n        1,\n        2.5,\n        \"x\",\n        null\n    );\n}");
}

TEST(Dictionary, KeepsKeysInCodeUnitOrderAndAnswersLikeAMap)
{
    // Keys of one code unit above the surrogates sort after those of two.
    Dictionary d;
    d[u"\uFFFF"] = Value(1);
    d[u"b"] = Value(2);
    d[u"\U00010000"] = Value(3);
    d[u""] = Value(4);
    d[u"a"] = Value(5);
    std::vector<std::u16string> keys;
    for (const auto& [key, value] : d)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::u16string> { u"", u"a", u"b", u"\U00010000", u"\uFFFF" }));

    EXPECT_TRUE(d.contains(std::u16string_view(u"b")));
    EXPECT_EQ(d.count(u"zz"), 0u);
    EXPECT_EQ(d.find(u"zz"), d.end());
    EXPECT_EQ(d.at(u"a"), Value(5));
    EXPECT_THROW(d.at(u"zz"), std::out_of_range);
    EXPECT_EQ(d.lower_bound(u"aa")->first, u"b");

    // Inserting never replaces; assigning does; each says whether it added.
    EXPECT_FALSE(d.insert({ u"a", Value(9) }).second);
    EXPECT_FALSE(d.try_emplace(u"a", 9).second);
    EXPECT_FALSE(d.emplace(std::u16string(u"a"), Value(9)).second);
    EXPECT_EQ(d.at(u"a"), Value(5));
    EXPECT_FALSE(d.insert_or_assign(u"a", Value(6)).second);
    EXPECT_EQ(d.at(u"a"), Value(6));
    auto [added, wasAdded] = d.try_emplace(u"ab", 7);
    EXPECT_TRUE(wasAdded);
    EXPECT_EQ(added->first, u"ab");
    EXPECT_TRUE(d[u"new"].isNull());
    EXPECT_EQ(d.size(), 7u);

    EXPECT_EQ(d.erase(u"new"), 1u);
    EXPECT_EQ(d.erase(u"new"), 0u);
    auto next = d.erase(d.find(u"ab"));
    EXPECT_EQ(next->first, u"b");
    EXPECT_EQ(d.size(), 5u);

    Dictionary same { { u"\U00010000", Value(3) }, { u"a", Value(6) }, { u"b", Value(2) }, { u"", Value(4) }, { u"\uFFFF", Value(1) } };
    EXPECT_TRUE(d == same);
    same[u"b"] = Value(0);
    EXPECT_TRUE(d != same);
}

TEST(Dictionary, RepeatedKeysKeepTheFirstWhenInsertedAndTheLastWhenReadAsMembers)
{
    Dictionary listed { { u"k", Value(1) }, { u"a", Value(2) }, { u"k", Value(3) } };
    EXPECT_EQ(Value(listed), Value(Dictionary { { u"a", Value(2) }, { u"k", Value(1) } }));

    Dictionary::Storage members { { u"k", Value(1) }, { u"z", Value(2) }, { u"k", Value(3) }, { u"a", Value(4) }, { u"k", Value(5) } };
    Dictionary read = Dictionary::fromMembers(std::move(members));
    ASSERT_EQ(read.size(), 3u);
    EXPECT_EQ(read.at(u"k"), Value(5));
    EXPECT_EQ(read.begin()->first, u"a");
    EXPECT_TRUE(Dictionary::fromMembers({}).empty());
}

TEST(Dictionary, MembersReadWithTheLastOrderGiveWhatASortGives)
{
    // Objects of the same members in the same order, then in other orders,
    // with as many members but other keys, with repeated keys, and with
    // fewer: each is read as without the order kept between them.
    std::mt19937 random(11);
    auto members = [](std::initializer_list<const char16_t*> keys) {
        Dictionary::Storage storage;
        int value = 0;
        for (const char16_t* key : keys)
            storage.emplace_back(key, Value(value++));
        return storage;
    };
    std::vector<Dictionary::Storage> objects {
        members({ u"post_id", u"post_title", u"post_date", u"post_date_gmt", u"link", u"terms" }),
        members({ u"post_id", u"post_title", u"post_date", u"post_date_gmt", u"link", u"terms" }),
        members({ u"post_title", u"post_id", u"post_date", u"post_date_gmt", u"link", u"terms" }),
        members({ u"post_id", u"post_title", u"post_date", u"post_date_gmt", u"link", u"guid" }),
        members({ u"post_id", u"post_title", u"post_date", u"post_date_gmt", u"link", u"post_id" }),
        members({ u"post_id", u"post_title", u"post_date", u"post_date_gmt", u"link", u"terms" }),
        members({ u"post_id", u"post_id", u"post_date", u"post_date_gmt", u"link", u"terms" }),
        members({ u"link", u"post_date", u"post_date_gmt", u"post_id", u"post_title", u"terms" }),
        members({ u"post_id", u"post_title", u"post_date", u"post_date_gmt", u"link", u"terms" }),
        members({ u"b", u"a" }),
        members({ u"a" }),
        members({ u"b", u"a" }),
    };
    for (int round = 0; round < 20; ++round) {
        Dictionary::Storage shuffled = objects[0];
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        objects.push_back(std::move(shuffled));
    }
    Dictionary::MemberOrder lastOrder;
    for (size_t i = 0; i < objects.size(); ++i) {
        Dictionary expected = Dictionary::fromMembers(objects[i]);
        // (The members are moved out of the reader's storage.)
        Dictionary read = Dictionary::fromMembers(std::span(objects[i]), lastOrder);
        ASSERT_TRUE(read == expected) << i;
        ASSERT_TRUE(std::is_sorted(read.begin(), read.end(), [](const auto& a, const auto& b) { return a.first < b.first; })) << i;
    }
}

TEST(Dictionary, AgreesWithATreeThroughRandomEdits)
{
    // Keys in and out of order, repeated, with surrogates; lookups after
    // every kind of edit.
    std::mt19937 random(7);
    const std::u16string letters = u"ab\uFFFF\U00010000";
    auto randomKey = [&] {
        std::u16string key;
        size_t length = random() % 4;
        for (size_t i = 0; i < length; ++i)
            key += letters[random() % letters.size()];
        return key;
    };
    Dictionary dictionary;
    std::map<std::u16string, Value> tree;
    for (int step = 0; step < 5000; ++step) {
        std::u16string key = randomKey();
        int value = step;
        switch (random() % 6) {
        case 0:
            dictionary[key] = Value(value);
            tree[key] = Value(value);
            break;
        case 1:
            EXPECT_EQ(dictionary.try_emplace(key, value).second, tree.try_emplace(key, value).second);
            break;
        case 2:
            EXPECT_EQ(dictionary.insert_or_assign(key, Value(value)).second, tree.insert_or_assign(key, Value(value)).second);
            break;
        case 3:
            EXPECT_EQ(dictionary.erase(key), tree.erase(key));
            break;
        case 4:
            if (auto it = dictionary.find(key); it != dictionary.end()) {
                dictionary.erase(it);
                tree.erase(key);
            }
            break;
        case 5:
            EXPECT_EQ(dictionary.contains(key), tree.contains(key));
            break;
        }
        ASSERT_EQ(dictionary.size(), tree.size());
    }
    EXPECT_TRUE(std::equal(dictionary.begin(), dictionary.end(), tree.begin(), tree.end(),
                           [](const auto& a, const auto& b) { return a.first == b.first && a.second == b.second; }));

    // Read as members, the same edits give the same dictionary.
    Dictionary::Storage stale, current;
    for (const auto& [key, value] : tree) {
        stale.emplace_back(key, Value(-1));
        current.emplace_back(key, value);
    }
    std::shuffle(stale.begin(), stale.end(), random);
    std::shuffle(current.begin(), current.end(), random);
    stale.insert(stale.end(), current.begin(), current.end());
    EXPECT_TRUE(Dictionary::fromMembers(std::move(stale)) == dictionary);
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
