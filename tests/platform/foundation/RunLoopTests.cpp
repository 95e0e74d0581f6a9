#include "platform/foundation/RunLoop.h"

#include "platform/foundation/Assertions.h"
#include "tests/platform/foundation/RunLoopTestPeer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace brevanton;

namespace {

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Start from a quiet loop whatever earlier tests left behind.
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) { }
        RunLoop::main().useManualClock();
        m_timersBefore = RunLoopTestPeer::pendingTimerCount(RunLoop::main());
        m_performsBefore = RunLoopTestPeer::pendingPerformCount(RunLoop::main());
    }
    void TearDown() override
    {
        // Nothing a test scheduled may leak into the next one.
        EXPECT_EQ(RunLoopTestPeer::pendingTimerCount(RunLoop::main()), m_timersBefore);
        EXPECT_EQ(RunLoopTestPeer::pendingPerformCount(RunLoop::main()), m_performsBefore);
        RunLoop::main().useRealClock();
    }
    RunLoop& loop() { return RunLoop::main(); }

    size_t m_timersBefore { 0 };
    size_t m_performsBefore { 0 };
};

TEST_F(RunLoopTest, TimersFireInFireDateOrderAtTheirFireDates)
{
    Date start = loop().now();
    std::vector<int> order;
    std::vector<double> firedAt;
    auto record = [&](int tag) {
        return [&, tag](Timer&) {
            order.push_back(tag);
            firedAt.push_back(loop().now().timeIntervalSince(start));
        };
    };
    auto late = loop().scheduleTimer(3, false, record(3));
    auto early = loop().scheduleTimer(1, false, record(1));
    auto middleA = loop().scheduleTimer(2, false, record(20));
    auto middleB = loop().scheduleTimer(2, false, record(21)); // same date: scheduling order

    loop().advanceClock(0.5);
    EXPECT_TRUE(order.empty());
    loop().advanceClock(10);
    EXPECT_EQ(order, (std::vector<int> { 1, 20, 21, 3 }));
    EXPECT_EQ(firedAt, (std::vector<double> { 1, 2, 2, 3 }));
    EXPECT_DOUBLE_EQ(loop().now().timeIntervalSince(start), 10.5);
    EXPECT_FALSE(late->isValid());
    EXPECT_FALSE(early->isValid());
}

TEST_F(RunLoopTest, RepeatingTimersFireEachIntervalUntilInvalidated)
{
    int fired = 0;
    auto timer = loop().scheduleTimer(1, true, [&](Timer& t) {
        if (++fired == 5)
            t.invalidate();
    });
    loop().advanceClock(3.5);
    EXPECT_EQ(fired, 3);
    EXPECT_TRUE(timer->isValid());
    loop().advanceClock(10);
    EXPECT_EQ(fired, 5); // invalidated from inside its own block
    EXPECT_FALSE(timer->isValid());

    // A repeating timer interleaves with one-shot timers by date.
    std::vector<std::string> log;
    auto repeating = loop().scheduleTimer(1, true, [&](Timer&) { log.push_back("r"); });
    auto once = loop().scheduleTimer(1.5, false, [&](Timer&) { log.push_back("o"); });
    loop().advanceClock(3);
    EXPECT_EQ(log, (std::vector<std::string> { "r", "o", "r", "r" }));
    repeating->invalidate();
}

TEST_F(RunLoopTest, InvalidatedAndMovedTimers)
{
    int fired = 0;
    auto timer = loop().scheduleTimer(1, false, [&](Timer&) { ++fired; });
    timer->invalidate();
    loop().advanceClock(5);
    EXPECT_EQ(fired, 0);

    // One timer invalidating another that is due in the same turn.
    std::shared_ptr<Timer> second;
    auto first = loop().scheduleTimer(1, false, [&](Timer&) { second->invalidate(); });
    second = loop().scheduleTimer(1, false, [&](Timer&) { ++fired; });
    loop().advanceClock(2);
    EXPECT_EQ(fired, 0);

    // Moving the fire date later, then earlier.
    auto moved = loop().scheduleTimer(1, false, [&](Timer&) { ++fired; });
    moved->setFireDate(loop().now().addingTimeInterval(5));
    loop().advanceClock(2);
    EXPECT_EQ(fired, 0);
    moved->setFireDate(loop().now().addingTimeInterval(0.5));
    loop().advanceClock(1);
    EXPECT_EQ(fired, 1);
}

TEST_F(RunLoopTest, TheLoopReleasesFiredAndInvalidatedTimersAndTheirBlocks)
{
    auto captured = std::make_shared<int>(0);
    std::weak_ptr<int> weakCaptured = captured;
    std::weak_ptr<Timer> weakTimer = loop().scheduleTimer(1, false, [captured](Timer&) { ++*captured; });
    captured.reset();
    EXPECT_FALSE(weakTimer.expired()); // fire and forget: the loop keeps it
    loop().advanceClock(1);
    EXPECT_TRUE(weakTimer.expired());
    EXPECT_TRUE(weakCaptured.expired());

    // A held but invalidated timer lets go of its block at once.
    auto resource = std::make_shared<int>(0);
    std::weak_ptr<int> weakResource = resource;
    auto held = loop().scheduleTimer(1, true, [resource](Timer&) { });
    resource.reset();
    held->invalidate();
    EXPECT_TRUE(weakResource.expired());
}

TEST_F(RunLoopTest, ScopedTimersAndWeakBlocksEndWithTheirOwners)
{
    int fired = 0;
    {
        ScopedTimer scoped = loop().scheduleTimer(1, true, [&](Timer&) { ++fired; });
        loop().advanceClock(1);
        EXPECT_EQ(fired, 1);
        scoped = loop().scheduleTimer(1, false, [&](Timer&) { fired += 100; }); // replaces and invalidates
        loop().advanceClock(0.5);
    }
    loop().advanceClock(5);
    EXPECT_EQ(fired, 1);

    struct Owner {
        int count { 0 };
    };
    auto owner = std::make_shared<Owner>();
    auto timer = loop().scheduleTimer(1, true,
        Timer::weakBlock<Owner>(owner, [](Owner& o, Timer&) { ++o.count; }));
    loop().advanceClock(2);
    EXPECT_EQ(owner->count, 2);
    owner.reset();
    loop().advanceClock(1);
    EXPECT_FALSE(timer->isValid());
}

TEST_F(RunLoopTest, TimersScheduledWhileAdvancingFireInTheSameAdvance)
{
    std::vector<double> firedAt;
    Date start = loop().now();
    auto outer = loop().scheduleTimer(1, false, [&](Timer&) {
        firedAt.push_back(loop().now().timeIntervalSince(start));
        loop().scheduleTimer(0, false, [&](Timer&) { firedAt.push_back(loop().now().timeIntervalSince(start)); });
        loop().scheduleTimer(2, false, [&](Timer&) { firedAt.push_back(loop().now().timeIntervalSince(start)); });
        loop().scheduleTimer(10, false, [&](Timer&) { firedAt.push_back(-1); });
    });
    loop().advanceClock(4);
    EXPECT_EQ(firedAt, (std::vector<double> { 1, 1, 3 }));
    EXPECT_EQ(RunLoopTestPeer::pendingTimerCount(loop()), m_timersBefore + 1);
    loop().advanceClock(10);
    EXPECT_EQ(firedAt.back(), -1);
}

TEST_F(RunLoopTest, DelayedPerformsAreCancelledByTarget)
{
    int a = 0, b = 0;
    std::vector<std::string> log;
    loop().performAfterDelay(&a, 1, [&] { log.push_back("a1"); });
    loop().performAfterDelay(&b, 1, [&] { log.push_back("b1"); });
    loop().performAfterDelay(&a, 2, [&] { log.push_back("a2"); });
    loop().performAfterDelay(&a, 0, [&] { log.push_back("a0"); });
    EXPECT_TRUE(log.empty()); // never synchronous, even with no delay
    EXPECT_EQ(RunLoopTestPeer::pendingPerformCount(loop()), m_performsBefore + 4);

    loop().advanceClock(0);
    EXPECT_EQ(log, (std::vector<std::string> { "a0" }));
    loop().cancelPerforms(&a);
    EXPECT_EQ(RunLoopTestPeer::pendingPerformCount(loop()), m_performsBefore + 1);
    loop().advanceClock(5);
    EXPECT_EQ(log, (std::vector<std::string> { "a0", "b1" }));

    // A perform cancelling another that is due in the same turn.
    loop().performAfterDelay(&a, 1, [&] { loop().cancelPerforms(&b); });
    loop().performAfterDelay(&b, 1, [&] { log.push_back("late b"); });
    loop().advanceClock(1);
    EXPECT_EQ(log.back(), "b1");
}

TEST_F(RunLoopTest, BlocksPostedFromThreadsRunOnTheLoopInOrder)
{
    constexpr int threads = 4, perThread = 200;
    std::vector<std::vector<int>> received(threads);
    std::atomic<int> total { 0 };
    std::atomic<bool> offMainThread { false };
    std::vector<std::thread> posters;
    for (int t = 0; t < threads; ++t) {
        posters.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i) {
                loop().perform([&, t, i] {
                    if (!RunLoop::isMainThread())
                        offMainThread = true;
                    received[t].push_back(i);
                    ++total;
                });
            }
        });
    }
    EXPECT_TRUE(loop().runUntil([&] { return total == threads * perThread; }, 20));
    for (auto& poster : posters)
        poster.join();
    EXPECT_FALSE(offMainThread);
    for (auto& sequence : received) {
        ASSERT_EQ(sequence.size(), size_t(perThread));
        EXPECT_TRUE(std::is_sorted(sequence.begin(), sequence.end()));
    }
}

TEST_F(RunLoopTest, AWaitingLoopWakesForAPostAndTimesOutWithoutOne)
{
    EXPECT_TRUE(RunLoop::isMainThread());
    EXPECT_EQ(RunLoop::current(), &RunLoop::main());
    bool ran = false;
    std::thread poster([&] {
        EXPECT_FALSE(RunLoop::isMainThread());
        EXPECT_EQ(RunLoop::current(), nullptr);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        loop().perform([&] { ran = true; });
    });
    // The generous timeout only bounds a failure; a woken loop returns at once.
    auto before = std::chrono::steady_clock::now();
    EXPECT_TRUE(loop().runUntil([&] { return ran; }, 30));
    poster.join();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));

    EXPECT_FALSE(loop().runUntil([] { return false; }, 0.01));
    EXPECT_FALSE(loop().runOnce(0));

    // A block posted by a block runs in a later turn, not in the same one.
    std::vector<int> order;
    loop().perform([&] {
        order.push_back(1);
        loop().perform([&] { order.push_back(3); });
    });
    loop().perform([&] { order.push_back(2); });
    EXPECT_TRUE(loop().runOnce(0));
    EXPECT_EQ(order, (std::vector<int> { 1, 2 }));
    EXPECT_TRUE(loop().runOnce(0));
    EXPECT_EQ(order, (std::vector<int> { 1, 2, 3 }));
}

TEST_F(RunLoopTest, FileDescriptorSourcesReportReadinessUntilRemoved)
{
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0);
    std::string received;
    int calls = 0;
    RunLoop::SourceToken token = 0;
    token = loop().addFileDescriptorSource(fds[0], POLLIN, [&](int fd, short revents) {
        ++calls;
        EXPECT_EQ(fd, fds[0]);
        EXPECT_TRUE(revents & POLLIN);
        char buffer[64];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, size_t(n));
        if (received.find('!') != std::string::npos)
            loop().removeSource(token); // from its own callback
    });
    EXPECT_FALSE(loop().runOnce(0)); // nothing to read yet

    std::thread writer([&] {
        ASSERT_EQ(::write(fds[1], "hello", 5), 5);
    });
    EXPECT_TRUE(loop().runUntil([&] { return received == "hello"; }, 30));
    writer.join();

    ASSERT_EQ(::write(fds[1], "!", 1), 1);
    EXPECT_TRUE(loop().runUntil([&] { return received == "hello!"; }, 30));
    int callsAtRemoval = calls;
    ASSERT_EQ(::write(fds[1], "more", 4), 4);
    loop().runFor(0.01);
    EXPECT_EQ(calls, callsAtRemoval);
    EXPECT_EQ(received, "hello!");
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST_F(RunLoopTest, EndOfTurnObserversRunAfterEachTurnsWork)
{
    std::vector<std::string> log;
    auto id = loop().addEndOfTurnObserver([&] { log.push_back("end"); });
    loop().perform([&] { log.push_back("block"); });
    loop().runOnce(0);
    loop().removeEndOfTurnObserver(id);
    loop().runOnce(0);
    EXPECT_EQ(log, (std::vector<std::string> { "block", "end" }));

    // An observer that removes itself.
    RunLoop::ObserverID self = 0;
    int calls = 0;
    self = loop().addEndOfTurnObserver([&] {
        ++calls;
        loop().removeEndOfTurnObserver(self);
    });
    loop().runOnce(0);
    loop().runOnce(0);
    EXPECT_EQ(calls, 1);
}

TEST_F(RunLoopTest, AdvancingTheRealClockIsAnError)
{
    loop().useRealClock();
    EXPECT_FALSE(loop().isUsingManualClock());
    EXPECT_THROW(loop().advanceClock(1), InternalInconsistencyException);
    loop().useManualClock();
    Date frozen = loop().now();
    loop().runFor(0.005);
    EXPECT_EQ(loop().now(), frozen);
}

} // namespace
