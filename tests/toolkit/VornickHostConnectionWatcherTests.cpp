#include "toolkit/VornickHostConnectionWatcher.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

using namespace brevanton;

namespace {

struct RecordingDelegate : VornickHostConnectionWatcherDelegate {
    void hostConnectionWatcher(VornickHostConnectionWatcher& watcher, bool reachable) override
    {
        reports.push_back(reachable);
        statusWhenTold = watcher.hostConnectionStatus();
        onMainThread = onMainThread && RunLoop::isMainThread();
    }
    std::vector<bool> reports;
    VornickHostConnectionStatus statusWhenTold { VornickHostConnectionStatus::Unknown };
    bool onMainThread { true };
};

void spin(const std::function<bool()>& condition)
{
    Date deadline = Date::now().addingTimeInterval(30);
    while (!condition() && Date::now() < deadline)
        RunLoop::main().runOnce(0.002);
}

} // namespace

TEST(VornickHostConnectionWatcher, TellsTheDelegateOfTheFirstStatusAndOfChangesOnly)
{
    // Shared with the probe: a probe already under way when the watcher goes
    // may still finish on its own thread after this test has returned.
    auto answerState = std::make_shared<std::atomic<bool>>(false);
    std::atomic<bool>& answer = *answerState;
    RecordingDelegate delegate;
    {
        VornickHostConnectionWatcher watcher(u"blog.example.org", [answerState](const std::string&) {
            return answerState->load();
        });
        watcher.setDelegate(&delegate);
        EXPECT_EQ(watcher.hostName(), u"blog.example.org");
        EXPECT_EQ(watcher.hostConnectionStatus(), VornickHostConnectionStatus::Unknown);

        spin([&] { return delegate.reports.size() == 1; });
        EXPECT_EQ(delegate.reports, std::vector<bool>({ false })) << "the first status is told, even when unreachable";
        EXPECT_EQ(watcher.hostConnectionStatus(), VornickHostConnectionStatus::Unreachable);

        // The same status twice is told once.
        watcher.reachabilityChanged(false);
        EXPECT_EQ(delegate.reports.size(), 1u);

        answer = true;
        watcher.checkNow();
        spin([&] { return delegate.reports.size() == 2; });
        EXPECT_EQ(delegate.reports, std::vector<bool>({ false, true }));
        EXPECT_EQ(delegate.statusWhenTold, VornickHostConnectionStatus::Reachable);
        EXPECT_TRUE(delegate.onMainThread);
        answer = false;
        watcher.checkNow();
    }
    // Whatever the last probe found, a destroyed watcher tells nothing.
    RunLoop::main().runFor(0.05);
    EXPECT_EQ(delegate.reports.size(), 2u);
}

TEST(VornickHostConnectionWatcher, TheLoopbackHostIsReachable)
{
    RecordingDelegate delegate;
    VornickHostConnectionWatcher watcher(u"127.0.0.1");
    watcher.setDelegate(&delegate);
    spin([&] { return !delegate.reports.empty(); });
    EXPECT_EQ(watcher.hostConnectionStatus(), VornickHostConnectionStatus::Reachable);
}
