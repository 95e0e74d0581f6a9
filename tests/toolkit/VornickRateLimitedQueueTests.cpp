#include "toolkit/VornickRateLimitedQueue.h"
#include "platform/foundation/RunLoop.h"
#include "tests/platform/foundation/RunLoopTestPeer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brevanton {

class VornickRateLimitedQueueTestPeer {
public:
    static size_t deferredBlockCount(const VornickRateLimitedQueue& queue) { return queue.m_deferredBlocks.size(); }
    static bool hasPendingTimer(const VornickRateLimitedQueue& queue) { return static_cast<bool>(queue.m_timer); }
};

} // namespace brevanton

using namespace brevanton;

namespace {

class VornickRateLimitedQueueTest : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::main().useManualClock(); }
    void TearDown() override { RunLoop::main().useRealClock(); }

    void advance(double seconds) { RunLoop::main().advanceClock(seconds); }

    VornickRateLimitedQueue::Block record(std::string name)
    {
        return [this, name] { started.push_back(name); };
    }
    VornickRateLimitedQueue::DeferralHandler recordDelay()
    {
        return [this](double delay) { delays.push_back(delay); };
    }

    std::vector<std::string> started;
    std::vector<double> delays;
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(VornickRateLimitedQueueTest, DefersBeyondTheLimitAndStartsAsStartsAgeOut)
{
    VornickRateLimitedQueue queue(2, 10);
    queue.addOperationWithBlock(record("a"), recordDelay());
    advance(3);
    queue.addOperationWithBlock(record("b"), recordDelay());
    EXPECT_EQ(started, Names({ "a", "b" }));

    advance(2); // the oldest start is 5 s old
    queue.addOperationWithBlock(record("c"), recordDelay());
    queue.addOperationWithBlock(record("d"), recordDelay());
    EXPECT_EQ(started, Names({ "a", "b" }));
    EXPECT_EQ(delays, std::vector<double>({ 6.0 })) << "one deferral report, for the wait that began";
    EXPECT_EQ(VornickRateLimitedQueueTestPeer::deferredBlockCount(queue), 2u);

    advance(5.9);
    EXPECT_EQ(started.size(), 2u);
    advance(0.1); // "a" has aged out, "b" is 8 s old
    EXPECT_EQ(started, Names({ "a", "b", "c" }));
    EXPECT_TRUE(VornickRateLimitedQueueTestPeer::hasPendingTimer(queue));
    advance(3); // "b" ages out
    EXPECT_EQ(started, Names({ "a", "b", "c", "d" }));
    EXPECT_FALSE(VornickRateLimitedQueueTestPeer::hasPendingTimer(queue));
}

TEST_F(VornickRateLimitedQueueTest, AStartExactlyOneIntervalOldStillCounts)
{
    VornickRateLimitedQueue queue(1, 10);
    queue.addOperationWithBlock(record("a"));
    advance(10);
    queue.addOperationWithBlock(record("b"), recordDelay());
    EXPECT_EQ(started, Names({ "a" }));
    EXPECT_EQ(delays, std::vector<double>({ 1.0 }));
    advance(1);
    EXPECT_EQ(started, Names({ "a", "b" }));
}

TEST_F(VornickRateLimitedQueueTest, KeepsArrivalOrderWhenStartsAgeOutBeforeTheTimerFires)
{
    VornickRateLimitedQueue queue(1, 10);
    queue.addOperationWithBlock(record("a"));
    advance(1);
    queue.addOperationWithBlock(record("b"), recordDelay()); // waits until 11 s
    advance(9.5); // "a" has aged out, the timer has not fired yet
    queue.addOperationWithBlock(record("c"), recordDelay());
    EXPECT_EQ(started, Names({ "a", "b" })) << "the waiting block starts before the new one";
    ASSERT_EQ(delays.size(), 2u);
    EXPECT_DOUBLE_EQ(delays[1], 11.0);
    advance(11);
    EXPECT_EQ(started, Names({ "a", "b", "c" }));

    // Blocks added by a block that the timer started wait behind the others.
    queue.addOperationWithBlock([&] {
        started.push_back("d");
        queue.addOperationWithBlock(record("f"));
    });
    queue.addOperationWithBlock(record("e"));
    advance(11);
    EXPECT_EQ(started, Names({ "a", "b", "c", "d" }));
    advance(22);
    EXPECT_EQ(started, Names({ "a", "b", "c", "d", "e", "f" }));
}

TEST_F(VornickRateLimitedQueueTest, WithoutALimitEverythingRunsAndWaitingBlocksAreFlushed)
{
    VornickRateLimitedQueue unlimited(0, 10);
    EXPECT_FALSE(unlimited.rateLimitingEnabled());
    for (int i = 0; i < 5; ++i)
        unlimited.addOperationWithBlock(record("u"), recordDelay());
    EXPECT_EQ(started.size(), 5u);
    EXPECT_TRUE(delays.empty());

    started.clear();
    VornickRateLimitedQueue queue(1, 60);
    queue.addOperationWithBlock(record("a"));
    queue.addOperationWithBlock(record("b"));
    queue.addOperationWithBlock(record("c"));
    queue.setMaxOperationsPerTestInterval(0);
    EXPECT_EQ(started, Names({ "a", "b", "c" }));
    EXPECT_FALSE(VornickRateLimitedQueueTestPeer::hasPendingTimer(queue));
    queue.addOperationWithBlock(record("d"));
    EXPECT_EQ(started.back(), "d");

    started.clear();
    queue.setMaxOperationsPerTestInterval(1);
    queue.addOperationWithBlock(record("e")); // "a" still counts; flushed blocks do not
    queue.addOperationWithBlock(record("f"));
    EXPECT_TRUE(started.empty());
    queue.setTestInterval(0);
    EXPECT_EQ(started, Names({ "e", "f" }));
    EXPECT_EQ(VornickRateLimitedQueueTestPeer::deferredBlockCount(queue), 0u);
}

TEST_F(VornickRateLimitedQueueTest, RaisingTheLimitStartsWaitingBlocksAndDestructionDropsThem)
{
    {
        VornickRateLimitedQueue queue(1, 10);
        queue.addOperationWithBlock(record("a"));
        queue.addOperationWithBlock(record("b"));
        queue.addOperationWithBlock(record("c"));
        queue.setMaxOperationsPerTestInterval(2);
        EXPECT_EQ(started, Names({ "a", "b" }));
        EXPECT_TRUE(VornickRateLimitedQueueTestPeer::hasPendingTimer(queue));
    }
    advance(60);
    EXPECT_EQ(started, Names({ "a", "b" })) << "a destroyed queue runs nothing more";
    EXPECT_EQ(RunLoopTestPeer::pendingTimerCount(RunLoop::main()), 0u);
}
