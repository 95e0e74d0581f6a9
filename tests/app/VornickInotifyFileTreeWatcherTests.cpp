#include "app/VornickInotifyFileTreeWatcher.h"
#include "toolkit/VornickFileTreeEvent.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickFileSnapshot.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class VornickInotifyFileTreeWatcherTest : public ::testing::Test {
protected:
    void SetUp() override { m_folder = createTemporaryDirectory("vornick-tree").value(); }
    void TearDown() override
    {
        m_watcher.reset();
        EXPECT_TRUE(removeItem(m_folder));
    }

    void watch()
    {
        m_watcher = VornickInotifyFileTreeWatcher::create(URL::fileURLWithPath(m_folder, true), 0);
        ASSERT_NE(m_watcher, nullptr);
        m_watcher->setFileEventsHandler([this](const VornickFileTreeEvents& events) {
            for (const auto& event : events)
                m_events.push_back(event);
        });
        m_watcher->startWatchingForFileTreeChanges();
        ASSERT_TRUE(m_watcher->isWatching());
    }

    // Runs the loop until an event of `kind` for `relativePath` arrived.
    bool waitFor(VornickFileTreeEventKind kind, const std::string& relativePath)
    {
        return RunLoop::main().runUntil([&] { return has(kind, relativePath); }, 30);
    }

    bool has(VornickFileTreeEventKind kind, const std::string& relativePath) const
    {
        for (const auto& event : m_events) {
            if (event->kind() == kind && event->fileURL().fileSystemPath() == m_folder + "/" + relativePath)
                return true;
        }
        return false;
    }

    std::string m_folder;
    std::shared_ptr<VornickInotifyFileTreeWatcher> m_watcher;
    VornickFileTreeEvents m_events;
};

TEST_F(VornickInotifyFileTreeWatcherTest, ReportsChangesAnywhereInTheTreeIncludingNewFolders)
{
    ASSERT_TRUE(createDirectory(m_folder + "/old"));
    watch();

    ASSERT_TRUE(writeFileAtomically(m_folder + "/old/a.html", "a"));
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileAdded, "old/a.html")) << "a folder that was there before";

    ASSERT_TRUE(createDirectory(m_folder + "/new/deeper"));
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileAdded, "new"));
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileAdded, "new/deeper"))
        << "a folder made inside a new folder before its watch began";
    ASSERT_TRUE(writeFileAtomically(m_folder + "/new/deeper/b.css", "b"));
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileAdded, "new/deeper/b.css")) << "new folders are watched too";

    FILE* file = std::fopen((m_folder + "/new/deeper/b.css").c_str(), "a");
    ASSERT_TRUE(file);
    std::fputs("more", file);
    std::fclose(file);
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileChanged, "new/deeper/b.css"));

    ASSERT_TRUE(removeItem(m_folder + "/old/a.html"));
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileRemoved, "old/a.html"));

    // A folder moved within the tree is followed under its new name; one
    // moved out of it is no longer reported.
    ASSERT_EQ(::rename((m_folder + "/new").c_str(), (m_folder + "/renamed").c_str()), 0);
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileRemoved, "new"));
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileAdded, "renamed"));
    ASSERT_TRUE(writeFileAtomically(m_folder + "/renamed/deeper/c.css", "c"));
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileAdded, "renamed/deeper/c.css"));
    auto outside = createTemporaryDirectory("vornick-tree-outside").value();
    ASSERT_EQ(::rename((m_folder + "/renamed").c_str(), (outside + "/gone").c_str()), 0);
    EXPECT_TRUE(waitFor(VornickFileTreeEventKind::FileRemoved, "renamed"));
    ASSERT_TRUE(writeFileAtomically(outside + "/gone/deeper/d.css", "d"));
    RunLoop::main().runFor(0.1);
    EXPECT_FALSE(has(VornickFileTreeEventKind::FileAdded, "renamed/deeper/d.css"));
    EXPECT_FALSE(has(VornickFileTreeEventKind::FileAdded, "new/deeper/d.css"));
    EXPECT_TRUE(removeItem(outside));

    uint64_t last = 0;
    for (const auto& event : m_events) {
        EXPECT_GT(event->eventID(), last) << "identifiers grow";
        last = event->eventID();
    }
    EXPECT_EQ(m_watcher->latestEventID(), last);
}

TEST_F(VornickInotifyFileTreeWatcherTest, AScanReportsTheTreeParentsFirstAndARestartReplacesIt)
{
    ASSERT_TRUE(createDirectory(m_folder + "/b/c"));
    ASSERT_TRUE(writeFileAtomically(m_folder + "/b/c/page.html", "x"));
    ASSERT_TRUE(writeFileAtomically(m_folder + "/a.txt", "x"));
    m_watcher = VornickInotifyFileTreeWatcher::create(URL::fileURLWithPath(m_folder, true), 41);
    int batches = 0;
    m_watcher->setFileEventsHandler([&](const VornickFileTreeEvents& events) {
        ++batches;
        m_events = events;
    });
    m_watcher->startOrRestartFileTreeScan();
    m_watcher->startOrRestartFileTreeScan();
    RunLoop::main().runUntil([&] { return batches > 0; }, 30);
    RunLoop::main().runOnce();
    EXPECT_EQ(batches, 1) << "the restarted scan replaces the first";

    std::vector<std::string> paths;
    for (const auto& event : m_events) {
        EXPECT_EQ(event->kind(), VornickFileTreeEventKind::FileAdded);
        ASSERT_NE(event->fileSnapshot(), nullptr);
        EXPECT_TRUE(event->fileSnapshot()->exists());
        paths.push_back(event->fileURL().fileSystemPath()->substr(m_folder.size() + 1));
    }
    EXPECT_EQ(paths, (std::vector<std::string> { "a.txt", "b", "b/c", "b/c/page.html" }));
    EXPECT_EQ(m_events.front()->eventID(), 42u) << "identifiers continue after the saved one";
}

TEST_F(VornickInotifyFileTreeWatcherTest, AStoppedOrMissingWatchReportsNothing)
{
    EXPECT_EQ(VornickInotifyFileTreeWatcher::create(*URL::create(u"http://example.com/"), 0), nullptr);

    auto missing = VornickInotifyFileTreeWatcher::create(URL::fileURLWithPath(m_folder + "/missing", true), 0);
    ASSERT_NE(missing, nullptr);
    missing->startWatchingForFileTreeChanges();
    EXPECT_FALSE(missing->isWatching());

    watch();
    m_watcher->stopWatching();
    m_watcher->startOrRestartFileTreeScan();
    m_watcher->stopWatching();
    ASSERT_TRUE(writeFileAtomically(m_folder + "/late.html", "x"));
    RunLoop::main().runFor(0.1);
    EXPECT_TRUE(m_events.empty());
}

} // namespace
