#include "platform/store/ObjectNumberTable.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

namespace brevanton {
namespace {

// Stand-in addresses: the table never follows them.
ManagedObject* objectNumbered(int64_t number)
{
    return reinterpret_cast<ManagedObject*>(static_cast<uintptr_t>(number) * 16 + 16);
}

// Follows a plain map through inserts and erases in random order, so that
// erasing moves entries of long probe runs (also across the end of the array).
TEST(ObjectNumberTableTests, AnswersAsAMapThroughInsertsAndErases)
{
    ObjectNumberTable table;
    std::map<int64_t, ManagedObject*> expected;
    std::mt19937 random(7);
    std::uniform_int_distribution<int64_t> numbers(1, 3000);
    for (int round = 0; round < 20000; ++round) {
        int64_t number = numbers(random);
        if (random() % 3) {
            table.insert(number, objectNumbered(number));
            expected.emplace(number, objectNumbered(number));
        } else {
            table.erase(number);
            expected.erase(number);
        }
        if (round % 1000 == 0) {
            for (int64_t probe = 0; probe <= 3001; ++probe) {
                auto found = expected.find(probe);
                ASSERT_EQ(table.find(probe), found == expected.end() ? nullptr : found->second) << probe << " after " << round;
            }
        }
    }
    EXPECT_EQ(table.size(), expected.size());
    for (auto& [number, object] : expected)
        EXPECT_EQ(table.find(number), object);
}

TEST(ObjectNumberTableTests, KeepsTheFirstObjectOfANumber)
{
    ObjectNumberTable table;
    EXPECT_EQ(table.find(5), nullptr);
    table.erase(5);
    table.insert(5, objectNumbered(5));
    table.insert(5, objectNumbered(6));
    EXPECT_EQ(table.find(5), objectNumbered(5));
    EXPECT_EQ(table.size(), 1u);
    table.erase(5);
    EXPECT_EQ(table.find(5), nullptr);
    EXPECT_EQ(table.size(), 0u);
}

} // namespace
} // namespace brevanton
