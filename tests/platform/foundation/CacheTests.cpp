#include "platform/foundation/Cache.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace brevanton {
namespace {

TEST(Cache, DropsTheLeastRecentlyUsedEntriesOverItsCountLimit)
{
    Cache<std::string, int> cache(u"numbers");
    EXPECT_EQ(cache.name(), u"numbers");
    cache.setCountLimit(3);
    cache.setObject("a", 1);
    cache.setObject("b", 2);
    cache.setObject("c", 3);
    // Reading "a" and replacing "b" make "c" the least recently used.
    EXPECT_EQ(cache.objectForKey("a").value_or(0), 1);
    cache.setObject("b", 20);
    cache.setObject("d", 4);
    EXPECT_EQ(cache.count(), 3u);
    EXPECT_FALSE(cache.objectForKey("c"));
    EXPECT_EQ(cache.objectForKey("b").value_or(0), 20);

    // A lower limit drops entries at once; "a" was used longest ago.
    cache.setCountLimit(2);
    EXPECT_EQ(cache.count(), 2u);
    EXPECT_FALSE(cache.objectForKey("a"));
    EXPECT_TRUE(cache.objectForKey("d"));

    cache.removeObjectForKey("d");
    EXPECT_FALSE(cache.objectForKey("d"));
    cache.removeAllObjects();
    EXPECT_EQ(cache.count(), 0u);

    // Without a limit nothing is dropped.
    Cache<int, int> unlimited;
    for (int i = 0; i < 1000; ++i)
        unlimited.setObject(i, i);
    EXPECT_EQ(unlimited.count(), 1000u);
}

TEST(Cache, ServesSeveralThreadsAtOnce)
{
    Cache<int, int> cache;
    cache.setCountLimit(16);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int i = 0; i < 2000; ++i) {
                cache.setObject(i % 40, t);
                if (auto value = cache.objectForKey((i * 7) % 40)) {
                    EXPECT_GE(*value, 0);
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_LE(cache.count(), 16u);
}

} // namespace
} // namespace brevanton
