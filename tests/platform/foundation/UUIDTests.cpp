#include "platform/foundation/UUID.h"

#include <gtest/gtest.h>

#include <set>

using namespace brevanton;

TEST(UUID, NewIdentifiersAreDistinctVersion4AndReadBack)
{
    std::set<std::u16string> seen;
    for (int i = 0; i < 1000; ++i) {
        UUID uuid;
        auto string = uuid.UUIDString();
        ASSERT_EQ(string.size(), 36u);
        EXPECT_EQ(string[14], u'4');
        EXPECT_NE(std::u16string(u"89AB").find(string[19]), std::u16string::npos);
        EXPECT_TRUE(seen.insert(string).second);
        EXPECT_EQ(UUID::fromString(string), uuid);
    }
    auto lower = UUID::fromString(u"0a1b2c3d-4e5f-4a6b-8c7d-8e9fa0b1c2d3");
    ASSERT_TRUE(lower);
    EXPECT_EQ(lower->UUIDString(), u"0A1B2C3D-4E5F-4A6B-8C7D-8E9FA0B1C2D3");
    for (auto bad : { u"", u"0a1b2c3d4e5f4a6b8c7d8e9fa0b1c2d3", u"0a1b2c3d-4e5f-4a6b-8c7d-8e9fa0b1c2dz",
                      u"0a1b2c3d-4e5f-4a6b-8c7d-8e9fa0b1c2d3 ", u"../../etc/passwd-aaaa-aaaa-aaaaaaaaaaa" })
        EXPECT_FALSE(UUID::fromString(bad));
}
