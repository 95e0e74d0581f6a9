#include "toolkit/VornickFileSnapshot.h"

#include "platform/foundation/FileUtilities.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

using namespace brevanton;

TEST(VornickFileSnapshot, RecordsSizeTimeAndIdentity)
{
    std::string folder = createTemporaryDirectory("snapshot").value();
    std::string path = folder + "/page.html";
    ASSERT_TRUE(writeFileAtomically(path, "12345"));
    struct timeval times[2] = { { 1000000000, 0 }, { 1000000000, 500000 } };
    ASSERT_EQ(::utimes(path.c_str(), times), 0);

    auto snapshot = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(path, false));
    ASSERT_TRUE(snapshot);
    EXPECT_TRUE(snapshot->exists());
    EXPECT_FALSE(snapshot->isDirectory());
    EXPECT_EQ(snapshot->size(), 5u);
    EXPECT_DOUBLE_EQ(snapshot->modificationDate().timeIntervalSince(Date(0)), 1000000000.5);
    EXPECT_EQ(snapshot->identity(), fileIdentity(path));
    EXPECT_FALSE(snapshot->parent());
    EXPECT_TRUE(snapshot->isEqualToSnapshot(*VornickFileSnapshot::createAsStandaloneSnapshotOfURL(snapshot->fileURL())));

    // A save that replaces the file is noticed even with the same size and time.
    ASSERT_TRUE(writeFileAtomically(path, "54321"));
    ASSERT_EQ(::utimes(path.c_str(), times), 0);
    auto after = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(path, false));
    EXPECT_NE(after->inode(), snapshot->inode());
    EXPECT_FALSE(after->isEqualToSnapshot(*snapshot));

    auto missing = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(folder + "/none", false));
    EXPECT_FALSE(missing->exists());
    EXPECT_TRUE(VornickFileSnapshot::createAsStandaloneSnapshotOfURL(URL::fileURLWithPath(folder, true))->isDirectory());
    EXPECT_TRUE(removeItem(folder));
}
