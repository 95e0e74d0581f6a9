#include "documents/VornickProjectFolderWatcher.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brevanton {
namespace {

class VornickProjectFolderWatcherTests : public ::testing::Test {
protected:
    std::string folder = createTemporaryDirectory("folder-watcher").value();
    int calls = 0;

    std::unique_ptr<VornickProjectFolderWatcher> watch()
    {
        Error error;
        auto watcher = VornickProjectFolderWatcher::create(URL::fileURLWithPath(folder, true), [this] { ++calls; }, &error);
        EXPECT_TRUE(watcher) << error;
        return watcher;
    }

    void write(const std::string& relativePath)
    {
        std::filesystem::create_directories(std::filesystem::path(folder + "/" + relativePath).parent_path());
        ASSERT_TRUE(writeFileAtomically(folder + "/" + relativePath, "{}"));
    }

    // Waits for the next call, then lets the coalescing delay pass again.
    bool waitForCall(int expected)
    {
        bool arrived = RunLoop::main().runUntil([&] { return calls >= expected; }, 30);
        RunLoop::main().runFor(VornickProjectFolderWatcher::CoalescingDelay * 2);
        return arrived && calls == expected;
    }
};

TEST_F(VornickProjectFolderWatcherTests, ABurstOfChangesAnywhereBelowIsToldOnce)
{
    std::filesystem::create_directories(folder + "/blogs/One/posts");
    std::filesystem::create_directories(folder + "/.hidden");
    auto watcher = watch();
    ASSERT_TRUE(watcher);
    EXPECT_EQ(watcher->numberOfWatchedFolders(), 4u) << "the folder, blogs, One and posts";

    for (int i = 0; i < 5; ++i)
        write("blogs/One/posts/post " + std::to_string(i) + ".brevantonblogpost");
    EXPECT_TRUE(waitForCall(1)) << calls;

    // A folder made later is watched from then on, the files saved into it
    // right away too.
    write("blogs/Two/posts/first.brevantonblogpost");
    EXPECT_TRUE(waitForCall(2)) << calls;
    write("blogs/Two/posts/second.brevantonblogpost");
    EXPECT_TRUE(waitForCall(3)) << calls;
    EXPECT_EQ(watcher->numberOfWatchedFolders(), 6u);

    // Removed folders are let go.
    std::filesystem::remove_all(folder + "/blogs/Two");
    EXPECT_TRUE(waitForCall(4)) << calls;
    EXPECT_EQ(watcher->numberOfWatchedFolders(), 4u);

    // A file deleted is told too.
    std::filesystem::remove(folder + "/blogs/One/posts/post 0.brevantonblogpost");
    EXPECT_TRUE(waitForCall(5)) << calls;

    // Nothing is told once the watcher is gone, not even a change still pending.
    write("blogs/One/late.txt");
    RunLoop::main().runFor(0.05);
    watcher.reset();
    RunLoop::main().runFor(VornickProjectFolderWatcher::CoalescingDelay * 2);
    EXPECT_EQ(calls, 5);
}

TEST_F(VornickProjectFolderWatcherTests, AMissingFolderCannotBeWatched)
{
    Error error;
    EXPECT_FALSE(VornickProjectFolderWatcher::create(URL::fileURLWithPath(folder + "/missing", true), [] {}, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(writeFileAtomically(folder + "/file", "x"));
    EXPECT_FALSE(VornickProjectFolderWatcher::create(URL::fileURLWithPath(folder + "/file", false), [] {}, &error));
}

} // namespace
} // namespace brevanton
