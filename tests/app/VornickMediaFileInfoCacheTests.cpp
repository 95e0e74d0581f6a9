#include "app/VornickMediaFileInfoCache.h"

#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

using Bytes = std::string;

Bytes be32(uint32_t v) { return { char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF) }; }
Bytes le16(uint32_t v) { return { char(v & 0xFF), char(v >> 8) }; }

Bytes png(uint32_t wide, uint32_t high)
{
    return Bytes("\x89PNG\r\n\x1A\n", 8) + be32(13) + "IHDR" + be32(wide) + be32(high) + Bytes("\x08\x06\0\0\0", 5)
        + be32(0);
}

Bytes gif(uint32_t wide, uint32_t high) { return "GIF89a" + le16(wide) + le16(high) + Bytes("\0\0\0", 3); }

class VornickMediaFileInfoCacheTest : public ::testing::Test {
protected:
    void SetUp() override { m_folder = createTemporaryDirectory("vornick-media-info").value(); }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    URL write(const std::string& name, const Bytes& bytes)
    {
        auto path = m_folder + "/" + name;
        EXPECT_TRUE(writeFileAtomically(path, bytes));
        return URL::fileURLWithPath(path, false);
    }

    std::string m_folder;
};

TEST_F(VornickMediaFileInfoCacheTest, ReadsOnDemandAndAgainWhenTheFileChanged)
{
    VornickMediaFileInfoCache cache;
    auto url = write("picture.png", png(100, 50));
    EXPECT_EQ(cache.infoForURL(url, false), nullptr) << "nothing stored, nothing fetched";

    auto info = cache.infoForURL(url, true);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->pixelsWide(), 100u);
    EXPECT_EQ(info->pixelsHigh(), 50u);
    EXPECT_EQ(cache.infoForURL(url, false), info) << "stored";

    // The picture is replaced by a larger one under the same name.
    write("picture.png", gif(300, 200));
    auto updated = cache.infoForURL(url, true);
    ASSERT_NE(updated, nullptr);
    EXPECT_EQ(updated->pixelsWide(), 300u);

    EXPECT_TRUE(removeItem(*url.fileSystemPath()));
    EXPECT_EQ(cache.infoForURL(url, true), nullptr);
}

TEST_F(VornickMediaFileInfoCacheTest, UnknownFilesAndURLsHaveNoInfo)
{
    VornickMediaFileInfoCache cache;
    EXPECT_EQ(cache.infoForURL(write("notes.txt", "hello"), true), nullptr);
    EXPECT_EQ(cache.infoForURL(URL::fileURLWithPath(m_folder + "/missing.png", false), true), nullptr);
    EXPECT_EQ(cache.infoForURL(*URL::create(u"http://example.com/a.png"), true), nullptr);
    EXPECT_EQ(cache.infoForURL(URL::fileURLWithPath(m_folder, true), true), nullptr) << "a folder";
}

} // namespace
