#include "toolkit/VornickMutableOrderedDictionary.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickMutableOrderedDictionary, KeepsInsertionOrder)
{
    VornickMutableOrderedDictionary dictionary;
    dictionary.setObject(Value(1), u"b");
    dictionary.setObject(Value(2), u"a");
    dictionary.setObject(Value(3), u"c");
    dictionary.setObject(Value(20), u"a"); // an existing key keeps its place
    EXPECT_EQ((dictionary.keys()), (std::vector<std::u16string> { u"b", u"a", u"c" }));
    EXPECT_EQ(*dictionary.objectForKey(u"a"), Value(20));

    dictionary.removeObjectForKey(u"b");
    dictionary.removeObjectForKey(u"missing");
    dictionary.setObject(Value(1), u"b"); // re-added: now last
    EXPECT_EQ((dictionary.keys()), (std::vector<std::u16string> { u"a", u"c", u"b" }));
    EXPECT_EQ(dictionary.count(), 3u);
    EXPECT_EQ(dictionary.objectForKey(u"missing"), nullptr);

    std::vector<std::u16string> seen;
    dictionary.enumerateKeysObjectsAndIndexesUsingBlock([&](const std::u16string& key, const Value&, size_t index, bool& stop) {
        EXPECT_EQ(index, seen.size());
        seen.push_back(key);
        stop = index == 1;
    });
    EXPECT_EQ(seen, (std::vector<std::u16string> { u"a", u"c" }));
}
