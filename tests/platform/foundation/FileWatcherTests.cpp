#include "platform/foundation/FileWatcher.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace brevanton;

namespace {

class FileWatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto folder = createTemporaryDirectory("file-watcher-test");
        ASSERT_TRUE(folder);
        m_folder = *folder;
    }
    void TearDown() override { EXPECT_TRUE(removeItem(m_folder)); }

    std::string path(std::string_view name) const { return m_folder + "/" + std::string(name); }

    static void append(const std::string& path, std::string_view text)
    {
        FILE* file = std::fopen(path.c_str(), "a");
        ASSERT_TRUE(file);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }

    // Records what a watcher reports on the main run loop.
    struct Recorder {
        std::vector<FileWatcherEvent> events;
        FileWatcher::Callback callback()
        {
            return [this](const FileWatcherEvent& event) { events.push_back(event); };
        }
        uint32_t allFlags() const
        {
            uint32_t flags = 0;
            for (auto& event : events)
                flags |= event.flags;
            return flags;
        }
        std::vector<std::string> allNames() const
        {
            std::vector<std::string> names;
            for (auto& event : events)
                names.insert(names.end(), event.names.begin(), event.names.end());
            return names;
        }
        bool waitFor(uint32_t flags)
        {
            return RunLoop::main().runUntil([&] { return (allFlags() & flags) == flags; }, 30);
        }
    };

    // Waits until the reader has passed everything reported before now: a
    // change to a separate sentinel file must arrive.
    // The sentinel exists before it is watched, so that its change is
    // reported when its writer closes it, on any clock.
    void settle()
    {
        std::string sentinel = path("sentinel-folder/sentinel");
        EXPECT_TRUE(createDirectory(parentDirectory(sentinel)));
        if (!fileExists(sentinel)) {
            ASSERT_TRUE(writeFileAtomically(sentinel, ""));
        }
        bool seen = false;
        auto watcher = FileWatcher::watch(sentinel, [&](const FileWatcherEvent&) { seen = true; });
        ASSERT_TRUE(watcher);
        append(sentinel, "s");
        ASSERT_TRUE(RunLoop::main().runUntil([&] { return seen; }, 30));
    }

    // Writes `text` through an open descriptor, then waits until the
    // watchers' reader has seen the write.
    void writeChunk(int fd, std::string_view text)
    {
        ASSERT_EQ(::write(fd, text.data(), text.size()), ssize_t(text.size()));
        settle();
    }

    std::string m_folder;
};

// Runs a test on the run loop's manual clock, so that the settle time passes
// only when the test advances it.
class FileWatcherSettleTest : public FileWatcherTest {
protected:
    void SetUp() override
    {
        FileWatcherTest::SetUp();
        RunLoop::main().useManualClock();
    }
    void TearDown() override
    {
        RunLoop::main().useRealClock();
        FileWatcherTest::TearDown();
    }

    // Records each report with the file's contents when it came.
    struct ContentsRecorder {
        explicit ContentsRecorder(std::string watchedPath) : path(std::move(watchedPath)) { }
        std::string path;
        std::vector<uint32_t> flags;
        std::vector<std::string> contents;
        FileWatcher::Callback callback()
        {
            return [this](const FileWatcherEvent& event) {
                flags.push_back(event.flags);
                contents.push_back(readFile(path).value_or("(none)"));
            };
        }
        bool waitForReports(size_t count)
        {
            return RunLoop::main().runUntil([&] { return flags.size() >= count; }, 30);
        }
    };

    static void advance(double seconds) { RunLoop::main().advanceClock(seconds); }
};

} // namespace

TEST_F(FileWatcherTest, ReportsWritesButNotAttributeChanges)
{
    ASSERT_TRUE(writeFileAtomically(path("style.css"), "a {}"));
    Recorder recorder;
    Error error;
    auto watcher = FileWatcher::watch(path("style.css"), recorder.callback(), &error);
    ASSERT_TRUE(watcher) << error;
    EXPECT_TRUE(watcher->isActive());
    EXPECT_EQ(watcher->path(), path("style.css"));

    ::chmod(path("style.css").c_str(), 0600);
    settle();
    EXPECT_TRUE(recorder.events.empty());

    append(path("style.css"), "b {}");
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Modified));
    EXPECT_EQ(recorder.allFlags(), uint32_t(FileWatcherEvent::Modified));
}

TEST_F(FileWatcherTest, FollowsAtomicSavesAndDeleteThenCreate)
{
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "one"));
    Recorder recorder;
    auto watcher = FileWatcher::watch(path("page.html"), recorder.callback());
    ASSERT_TRUE(watcher);

    // Rename over the watched file.
    ASSERT_TRUE(writeFileAtomically(path("page.html"), "two"));
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Replaced));
    EXPECT_TRUE(watcher->isActive());
    recorder.events.clear();
    append(path("page.html"), "more");
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Modified));

    // Exchanged with a new file, the old one then removed under the other name.
    recorder.events.clear();
    ASSERT_TRUE(writeFileAtomically(path("page.html.new"), "exchanged"));
    ASSERT_EQ(::renameat2(AT_FDCWD, path("page.html.new").c_str(), AT_FDCWD, path("page.html").c_str(), RENAME_EXCHANGE), 0);
    ASSERT_EQ(::unlink(path("page.html.new").c_str()), 0);
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Replaced));
    settle();
    EXPECT_TRUE(watcher->isActive());
    EXPECT_FALSE(recorder.allFlags() & FileWatcherEvent::Removed);
    recorder.events.clear();
    append(path("page.html"), "more");
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Modified));

    // Delete, then create anew under the same name.
    recorder.events.clear();
    ASSERT_EQ(::unlink(path("page.html").c_str()), 0);
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Removed));
    EXPECT_FALSE(watcher->isActive());
    EXPECT_TRUE(watcher->isWatching());
    recorder.events.clear();
    append(path("page.html"), "three");
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Replaced));
    EXPECT_TRUE(watcher->isActive());
    recorder.events.clear();
    append(path("page.html"), "four");
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Modified));

    // Renamed away: gone from the path.
    recorder.events.clear();
    ASSERT_EQ(::rename(path("page.html").c_str(), path("moved.html").c_str()), 0);
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Removed));
    EXPECT_FALSE(watcher->isActive());
    recorder.events.clear();
    append(path("moved.html"), "not watched");
    settle();
    EXPECT_TRUE(recorder.events.empty());
}

TEST_F(FileWatcherTest, OneDeletionIsReportedOnce)
{
    // The kernel tells of a deletion twice (the file's watch ends, then its
    // folder names it) and the two may be read apart: still one report.
    Recorder recorder;
    auto watcher = FileWatcher::watch(path("page.html"), recorder.callback());
    ASSERT_TRUE(watcher);
    for (int round = 0; round < 150; ++round) {
        recorder.events.clear();
        append(path("page.html"), "x");
        ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Replaced));
        ASSERT_TRUE(watcher->isActive());
        recorder.events.clear();
        ASSERT_EQ(::unlink(path("page.html").c_str()), 0);
        ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Removed));
        settle();
        int removals = 0;
        for (auto& event : recorder.events)
            removals += event.has(FileWatcherEvent::Removed);
        ASSERT_EQ(removals, 1) << "round " << round;
        EXPECT_FALSE(watcher->isActive());
    }
}

TEST_F(FileWatcherTest, MissingFilesFoldersAndParents)
{
    Recorder recorder;
    auto watcher = FileWatcher::watch(path("later.txt"), recorder.callback());
    ASSERT_TRUE(watcher);
    EXPECT_FALSE(watcher->isActive());
    append(path("later.txt"), "x");
    ASSERT_TRUE(recorder.waitFor(FileWatcherEvent::Replaced));
    EXPECT_TRUE(watcher->isActive());

    Error error;
    EXPECT_FALSE(FileWatcher::watch(path("no-folder/file"), [](const FileWatcherEvent&) {}, &error));
    EXPECT_EQ(error.domain(), POSIXErrorDomain);
    EXPECT_EQ(error.code(), ENOENT);

    // A watched folder reports its entries by name.
    ASSERT_TRUE(createDirectory(path("site")));
    Recorder folderRecorder;
    auto folderWatcher = FileWatcher::watch(path("site/"), folderRecorder.callback());
    ASSERT_TRUE(folderWatcher);
    EXPECT_EQ(folderWatcher->path(), path("site"));
    append(path("site/index.html"), "x");
    ASSERT_TRUE(folderRecorder.waitFor(FileWatcherEvent::ChildrenChanged));
    for (auto& name : folderRecorder.allNames())
        EXPECT_EQ(name, "index.html");

    // Removing the folder ends the watch.
    folderRecorder.events.clear();
    ASSERT_TRUE(removeItem(path("site")));
    ASSERT_TRUE(folderRecorder.waitFor(FileWatcherEvent::Removed));
    EXPECT_FALSE(folderWatcher->isActive());
}

TEST_F(FileWatcherTest, TwoWatchersOfOneFileAreIndependent)
{
    ASSERT_TRUE(writeFileAtomically(path("shared"), "x"));
    Recorder first, second;
    auto firstWatcher = FileWatcher::watch(path("shared"), first.callback());
    auto secondWatcher = FileWatcher::watch(path("shared"), second.callback());
    ASSERT_TRUE(firstWatcher && secondWatcher);
    firstWatcher.reset();
    append(path("shared"), "y");
    ASSERT_TRUE(second.waitFor(FileWatcherEvent::Modified));
    EXPECT_TRUE(first.events.empty());
}

TEST_F(FileWatcherTest, NoCallbackAfterStopOnTheMainRunLoop)
{
    ASSERT_TRUE(writeFileAtomically(path("file"), "x"));
    auto calls = std::make_shared<int>(0);
    auto watcher = FileWatcher::watch(path("file"), [calls](const FileWatcherEvent&) { ++*calls; });
    ASSERT_TRUE(watcher);
    std::weak_ptr<int> weakCalls = calls;
    calls.reset();

    // A delivery already queued on the run loop when the watcher goes must not run.
    append(path("file"), "y");
    settle();
    watcher.reset();
    RunLoop::main().runFor(0.01);
    EXPECT_TRUE(weakCalls.expired()) << "the callback is let go when the watcher stops";

    // Stopping from inside the callback.
    int inside = 0;
    std::unique_ptr<FileWatcher> selfStopping;
    selfStopping = FileWatcher::watch(path("file"), [&](const FileWatcherEvent&) {
        ++inside;
        selfStopping->stopWatching();
    });
    append(path("file"), "z");
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return inside > 0; }, 30));
    EXPECT_FALSE(selfStopping->isWatching());
    append(path("file"), "again");
    settle();
    EXPECT_EQ(inside, 1);
}

TEST_F(FileWatcherTest, StopWaitsForACallbackRunningOnAQueue)
{
    ASSERT_TRUE(writeFileAtomically(path("file"), "x"));
    OperationQueue queue("watcher queue", 4);
    for (int round = 0; round < 20; ++round) {
        std::atomic<bool> stopped { false };
        std::atomic<bool> calledAfterStop { false };
        std::atomic<bool> entered { false };
        std::atomic<bool> offMainThread { true };
        auto watcher = FileWatcher::watch(path("file"), queue, [&](const FileWatcherEvent&) {
            entered = true;
            offMainThread = offMainThread && !RunLoop::isMainThread();
            if (stopped)
                calledAfterStop = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (stopped)
                calledAfterStop = true;
        });
        ASSERT_TRUE(watcher);
        append(path("file"), "y");
        if (round % 2) {
            // Stop while the callback is (likely) running.
            for (int i = 0; i < 5000 && !entered; ++i)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        watcher->stopWatching();
        stopped = true;
        watcher.reset();
        EXPECT_FALSE(calledAfterStop) << "round " << round;
        EXPECT_TRUE(offMainThread);
    }
    queue.waitUntilAllOperationsAreFinished();
}

// Another program writing a file in place (truncating it, then writing it in
// chunks) makes one change, reported once the file is whole: when the writer
// closes it, or the settle time after its last chunk while it keeps it open.
// Writes further apart than the settle time are changes of their own.
TEST_F(FileWatcherSettleTest, AWriteInChunksIsReportedOnceAfterItsLastChunk)
{
    ASSERT_TRUE(writeFileAtomically(path("style.css"), "p { color: red }"));
    ContentsRecorder recorder(path("style.css"));
    auto watcher = FileWatcher::watch(path("style.css"), recorder.callback());
    ASSERT_TRUE(watcher);

    // Opened for writing and closed unwritten: no change.
    int fd = ::open(path("style.css").c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ::close(fd);
    settle();
    advance(FileWatcher::SettleTime * 2);
    settle();
    EXPECT_TRUE(recorder.flags.empty());

    // Truncated, three chunks each within the settle time of the last, closed.
    fd = ::open(path("style.css").c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    settle();
    for (std::string_view chunk : { "p ", "{ color: ", "green }" }) {
        advance(FileWatcher::SettleTime * 0.6);
        writeChunk(fd, chunk);
    }
    advance(FileWatcher::SettleTime * 0.6);
    settle();
    EXPECT_TRUE(recorder.flags.empty()) << "reported before the last chunk";
    ::close(fd);
    ASSERT_TRUE(recorder.waitForReports(1));
    EXPECT_EQ(recorder.flags, (std::vector<uint32_t> { FileWatcherEvent::Modified }));
    EXPECT_EQ(recorder.contents, (std::vector<std::string> { "p { color: green }" }));

    // The same, the file kept open: reported once the settle time passed.
    fd = ::open(path("style.css").c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    settle();
    for (std::string_view chunk : { "b ", "{ color: ", "blue }" }) {
        advance(FileWatcher::SettleTime * 0.6);
        writeChunk(fd, chunk);
    }
    advance(FileWatcher::SettleTime * 0.6);
    settle();
    EXPECT_EQ(recorder.flags.size(), 1u) << "reported before the settle time after the last chunk";
    advance(FileWatcher::SettleTime * 0.6);
    ASSERT_TRUE(recorder.waitForReports(2));
    EXPECT_EQ(recorder.contents.back(), "b { color: blue }");

    // Two writes further apart than the settle time: two reports.
    writeChunk(fd, " i {}");
    advance(FileWatcher::SettleTime * 1.5);
    ASSERT_TRUE(recorder.waitForReports(3));
    writeChunk(fd, " em {}");
    advance(FileWatcher::SettleTime * 1.5);
    ASSERT_TRUE(recorder.waitForReports(4));
    EXPECT_EQ(recorder.contents.back(), "b { color: blue } i {} em {}");
    // Closing the file after its writes were reported reports nothing more.
    ::close(fd);
    settle();
    advance(FileWatcher::SettleTime * 2);
    settle();
    EXPECT_EQ(recorder.flags, (std::vector<uint32_t>(4, FileWatcherEvent::Modified)));
}

// A file made at the path and written in chunks is reported once, whole; a
// deletion is reported at once, with the write that was still settling, and
// nothing follows it.
TEST_F(FileWatcherSettleTest, AFileMadeAnewIsReportedWrittenAndADeletionAtOnce)
{
    ContentsRecorder recorder(path("page.html"));
    auto watcher = FileWatcher::watch(path("page.html"), recorder.callback());
    ASSERT_TRUE(watcher);

    int fd = ::open(path("page.html").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    writeChunk(fd, "<p>");
    advance(FileWatcher::SettleTime * 0.6);
    writeChunk(fd, "made</p>");
    EXPECT_TRUE(recorder.flags.empty()) << "reported while being written";
    ::close(fd);
    ASSERT_TRUE(recorder.waitForReports(1));
    EXPECT_TRUE(recorder.flags[0] & FileWatcherEvent::Replaced);
    EXPECT_EQ(recorder.contents, (std::vector<std::string> { "<p>made</p>" }));
    EXPECT_TRUE(watcher->isActive());

    fd = ::open(path("page.html").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    writeChunk(fd, "<p>more</p>");
    ASSERT_EQ(::unlink(path("page.html").c_str()), 0);
    ASSERT_TRUE(recorder.waitForReports(2));
    EXPECT_EQ(recorder.flags[1], uint32_t(FileWatcherEvent::Removed | FileWatcherEvent::Modified));
    EXPECT_FALSE(watcher->isActive());
    writeChunk(fd, "<p>unlinked</p>");
    ::close(fd);
    settle();
    advance(FileWatcher::SettleTime * 2);
    settle();
    EXPECT_EQ(recorder.flags.size(), 2u);
}
