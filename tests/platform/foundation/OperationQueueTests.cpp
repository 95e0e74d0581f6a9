#include "platform/foundation/OperationQueue.h"

#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

using namespace brevanton;

namespace {

// A gate that operations wait on until the test opens it.
class Gate {
public:
    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_condition.notify_all();
    }
    // Waits for the gate; false when it stayed closed for 20 seconds (a failure).
    bool wait()
    {
        std::unique_lock lock(m_mutex);
        return m_condition.wait_for(lock, std::chrono::seconds(20), [&] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_open { false };
};

// Spins until `condition` holds; false after 20 seconds (a failure, never a hang).
template<typename Condition>
bool eventually(Condition condition)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

// Counts operations running at once.
struct ConcurrencyMeter {
    std::atomic<int> now { 0 };
    std::atomic<int> peak { 0 };
    void enter()
    {
        int value = ++now;
        int seen = peak;
        while (value > seen && !peak.compare_exchange_weak(seen, value)) { }
    }
    void leave() { --now; }
};

TEST(OperationQueueTest, SerialQueueRunsOneAtATimeInOrder)
{
    OperationQueue queue("serial", 1);
    EXPECT_EQ(queue.name(), "serial");
    ConcurrencyMeter meter;
    std::mutex mutex;
    std::vector<int> order;
    for (int i = 0; i < 50; ++i) {
        queue.addOperation([&, i] {
            meter.enter();
            EXPECT_EQ(OperationQueue::current(), &queue);
            EXPECT_NE(Operation::current(), nullptr);
            EXPECT_FALSE(RunLoop::isMainThread());
            std::this_thread::yield();
            {
                std::lock_guard lock(mutex);
                order.push_back(i);
            }
            meter.leave();
        });
    }
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(queue.operationCount(), 0u);
    EXPECT_EQ(meter.peak, 1);
    ASSERT_EQ(order.size(), 50u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST(OperationQueueTest, ConcurrentQueueRunsUpToItsMaximumAtOnce)
{
    OperationQueue queue("concurrent", 3);
    ConcurrencyMeter meter;
    Gate gate;
    std::atomic<int> started { 0 };
    for (int i = 0; i < 9; ++i) {
        queue.addOperation([&] {
            meter.enter();
            ++started;
            gate.wait();
            meter.leave();
        });
    }
    // Three start together (they could not all have started otherwise).
    ASSERT_TRUE(eventually([&] { return started >= 3; }));
    EXPECT_EQ(queue.operationCount(), 9u);
    gate.open();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(started, 9);
    EXPECT_EQ(meter.peak, 3);

    // Raising the maximum starts waiting operations at once.
    OperationQueue widening("widening", 1);
    Gate hold;
    std::atomic<int> begun { 0 };
    for (int i = 0; i < 3; ++i)
        widening.addOperation([&] {
            ++begun;
            hold.wait();
        });
    ASSERT_TRUE(eventually([&] { return begun >= 1; }));
    widening.setMaxConcurrentOperationCount(3);
    EXPECT_TRUE(eventually([&] { return begun == 3; }));
    hold.open();
    // The operations look at the gate until they leave it: it outlives them.
    widening.waitUntilAllOperationsAreFinished();
}

TEST(OperationQueueTest, CancellingDropsQueuedOperationsAndFlagsRunningOnes)
{
    OperationQueue queue("cancel", 1);
    Gate running, release;
    std::atomic<bool> sawCancellation { false };
    std::atomic<int> laterRan { 0 };
    auto first = queue.addOperation([&](Operation& operation) {
        running.open();
        release.wait();
        sawCancellation = operation.isCancelled() && Operation::current() == &operation;
    });
    std::vector<std::shared_ptr<Operation>> later;
    for (int i = 0; i < 5; ++i)
        later.push_back(queue.addOperation([&] { ++laterRan; }));
    ASSERT_TRUE(running.wait());
    EXPECT_EQ(queue.operationCount(), 6u);
    queue.cancelAllOperations();
    EXPECT_EQ(queue.operationCount(), 1u);
    release.open();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_TRUE(sawCancellation);
    EXPECT_EQ(laterRan, 0);
    EXPECT_TRUE(first->isFinished());
    for (auto& operation : later)
        EXPECT_TRUE(operation->isCancelled());

    // The queue goes on working after a cancellation.
    queue.addOperation([&] { ++laterRan; });
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(laterRan, 1);

    // A single operation cancelled before it starts never runs.
    Gate hold;
    queue.addOperation([&] { hold.wait(); });
    auto single = queue.addOperation([&] { ++laterRan; });
    single->cancel();
    hold.open();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(laterRan, 1);
}

TEST(OperationQueueTest, DestroyingAQueueFinishesItsOperationsAndJoins)
{
    std::atomic<int> ran { 0 };
    {
        OperationQueue queue("shutdown", 2);
        for (int i = 0; i < 20; ++i)
            queue.addOperation([&] { ++ran; });
    }
    EXPECT_EQ(ran, 20);

    // A queue destroyed after cancelling drops what had not started.
    Gate release;
    std::atomic<int> dropped { 0 };
    {
        OperationQueue queue("shutdown-cancel", 1);
        queue.addOperation([&] { release.wait(); });
        for (int i = 0; i < 5; ++i)
            queue.addOperation([&] { ++dropped; });
        queue.cancelAllOperations();
        release.open();
    }
    EXPECT_EQ(dropped, 0);
}

TEST(OperationQueueTest, MainQueueRunsOnTheRunLoopInOrder)
{
    auto& main = OperationQueue::main();
    EXPECT_TRUE(main.isMainQueue());
    EXPECT_EQ(OperationQueue::current(), &main);

    OperationQueue worker("worker", 4);
    std::vector<int> order;
    std::atomic<bool> offMainThread { false };
    std::atomic<bool> wrongCurrentQueue { false };
    // Posted from workers in a known order: each worker posts after the previous one did.
    for (int i = 0; i < 20; ++i) {
        worker.addOperation([&, i] {
            main.addOperation([&, i] {
                if (!RunLoop::isMainThread())
                    offMainThread = true;
                if (OperationQueue::current() != &OperationQueue::main())
                    wrongCurrentQueue = true;
                order.push_back(i);
            });
        });
        worker.waitUntilAllOperationsAreFinished();
    }
    EXPECT_TRUE(order.empty()); // only the run loop runs them
    EXPECT_EQ(main.operationCount(), 20u);
    main.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(main.operationCount(), 0u);
    EXPECT_FALSE(offMainThread);
    EXPECT_FALSE(wrongCurrentQueue);
    std::vector<int> expected(20);
    for (int i = 0; i < 20; ++i)
        expected[i] = i;
    EXPECT_EQ(order, expected);

    // Cancelled main-queue blocks never run.
    bool ran = false;
    main.addOperation([&] { ran = true; });
    main.cancelAllOperations();
    RunLoop::main().runOnce(0);
    EXPECT_FALSE(ran);
    EXPECT_EQ(main.operationCount(), 0u);
}

TEST(OperationQueueTest, WorkerResultsComeBackToTheMainQueue)
{
    OperationQueue worker("background", 2);
    int result = 0;
    worker.addOperation([&] {
        int computed = 6 * 7;
        OperationQueue::main().addOperation([&, computed] { result = computed; });
    });
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return result == 42; }, 30));
}

} // namespace
