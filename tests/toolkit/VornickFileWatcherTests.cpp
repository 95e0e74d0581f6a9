#include "toolkit/VornickFileWatcher.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

class VornickFileWatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("vornick-file-watcher").value();
        m_path = m_folder + "/style.css";
        ASSERT_TRUE(writeFileAtomically(m_path, "a {}"));
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    static void append(const std::string& path, std::string_view text)
    {
        FILE* file = std::fopen(path.c_str(), "a");
        ASSERT_TRUE(file);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }

    std::shared_ptr<VornickFileWatcher> watch(const std::string& path)
    {
        return VornickFileWatcher::create(URL::fileURLWithPath(path, false), [this](VornickFileWatcher&) { ++m_calls; },
                                          &OperationQueue::main());
    }

    bool waitForCalls(int count)
    {
        return RunLoop::main().runUntil([&] { return m_calls >= count; }, 30);
    }

    // Everything reported before now has been delivered once a write to
    // another watched file has come through.
    void settle()
    {
        std::string sentinel = m_folder + "/sentinel";
        ASSERT_TRUE(writeFileAtomically(sentinel, ""));
        bool seen = false;
        auto watcher = VornickFileWatcher::create(URL::fileURLWithPath(sentinel, false),
                                                  [&](VornickFileWatcher&) { seen = true; }, &OperationQueue::main());
        append(sentinel, "x");
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return seen; }, 30));
    }

    std::string m_folder;
    std::string m_path;
    int m_calls { 0 };
};

bool endsWith(const std::u16string& text, std::u16string_view suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

TEST_F(VornickFileWatcherTest, AtomicSavesKeepTheWatchAlive)
{
    auto watcher = watch(m_path);
    ASSERT_TRUE(watcher);
    EXPECT_TRUE(watcher->isActive());
    EXPECT_TRUE(endsWith(watcher->description(), u" for " + watcher->fileURL().absoluteString() + u" (watching)"))
        << toUTF8(watcher->description());

    ASSERT_TRUE(writeFileAtomically(m_path, "b {}"));
    ASSERT_TRUE(waitForCalls(1));
    int afterSave = m_calls;
    append(m_path, "c {}");
    ASSERT_TRUE(waitForCalls(afterSave + 1));

    // Permissions alone are no change.
    settle();
    int before = m_calls;
    ::chmod(m_path.c_str(), 0600);
    settle();
    EXPECT_EQ(m_calls, before);
}

TEST_F(VornickFileWatcherTest, DeleteThenCreateRearmsTheWatch)
{
    auto watcher = watch(m_path);
    ASSERT_TRUE(watcher);
    ASSERT_EQ(::unlink(m_path.c_str()), 0);
    ASSERT_TRUE(waitForCalls(1));
    settle();
    EXPECT_EQ(m_calls, 1);
    EXPECT_FALSE(watcher->isActive());
    EXPECT_TRUE(endsWith(watcher->description(), u"(INACTIVE!)"));

    // A save that deletes the file and then writes a new one.
    append(m_path, "new");
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_TRUE(watcher->isActive());
    int afterCreate = m_calls;
    append(m_path, "more");
    ASSERT_TRUE(waitForCalls(afterCreate + 1));
}

TEST_F(VornickFileWatcherTest, MissingFilesAndBadArguments)
{
    auto watcher = watch(m_folder + "/missing.css");
    ASSERT_TRUE(watcher);
    EXPECT_FALSE(watcher->isActive());
    append(m_folder + "/missing.css", "x");
    settle();
    EXPECT_EQ(m_calls, 0);

    EXPECT_FALSE(VornickFileWatcher::create(*URL::create("https://example.org/a.css"), [](VornickFileWatcher&) {},
                                            &OperationQueue::main()));
    EXPECT_THROW(VornickFileWatcher::create(URL::fileURLWithPath(m_path, false), nullptr, &OperationQueue::main()),
                 InternalInconsistencyException);
    EXPECT_THROW(VornickFileWatcher::create(URL::fileURLWithPath(m_path, false), [](VornickFileWatcher&) {}, nullptr),
                 InternalInconsistencyException);
}

TEST_F(VornickFileWatcherTest, StoppingRacesNoCallback)
{
    // Watchers that go away while their events are delivered on a concurrent
    // queue: no block may run once stopWatching returned or the watcher is gone.
    OperationQueue queue("file watcher test", 4);
    std::atomic<int> late { 0 };
    for (int round = 0; round < 30; ++round) {
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        auto watcher = VornickFileWatcher::create(URL::fileURLWithPath(m_path, false), [stopped, &late](VornickFileWatcher& w) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            if (*stopped)
                ++late;
            (void)w.fileURL();
        }, &queue);
        ASSERT_TRUE(watcher);
        append(m_path, "x");
        append(m_path, "y");
        std::this_thread::sleep_for(std::chrono::microseconds(round * 50));
        if (round % 2)
            watcher->stopWatching();
        watcher.reset();
        *stopped = true;
    }
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(late, 0);

    // Stopping from inside the block.
    std::shared_ptr<VornickFileWatcher> selfStopping;
    int calls = 0;
    selfStopping = VornickFileWatcher::create(URL::fileURLWithPath(m_path, false), [&](VornickFileWatcher& watcher) {
        ++calls;
        watcher.stopWatching();
    }, &OperationQueue::main());
    append(m_path, "z");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return calls > 0; }, 30));
    append(m_path, "again");
    settle();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(selfStopping->isActive());
}
