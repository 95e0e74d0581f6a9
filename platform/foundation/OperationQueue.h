// OperationQueue: runs blocks on worker threads, at most
// maxConcurrentOperationCount at a time (1 makes a serial queue, which runs
// its operations one after another in the order they were added).
// OperationQueue::main() runs its blocks on the main run loop, in FIFO order.
//
// Background work runs on a queue and posts its result back to the main
// queue before it touches the interface or a document:
//
//     m_queue.addOperation([weakThis = weak_from_this(), input] {
//         auto result = compute(input);
//         OperationQueue::main().addOperation([weakThis, result] {
//             if (auto strongThis = weakThis.lock())
//                 strongThis->show(result);
//         });
//     });
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace brevanton {

class OperationQueue;

// One queued block. A running operation checks isCancelled() to stop early;
// a cancelled operation that has not started never runs.
class Operation {
public:
    bool isCancelled() const { return m_cancelled.load(std::memory_order_acquire); }
    void cancel() { m_cancelled.store(true, std::memory_order_release); }
    bool isExecuting() const { return m_state.load() == State::Executing; }
    bool isFinished() const { return m_state.load() == State::Finished; }

    // The operation running on the calling thread, or null.
    static Operation* current();

    explicit Operation(std::function<void(Operation&)> block) : m_block(std::move(block)) {}

private:
    friend class OperationQueue;
    enum class State { Ready, Executing, Finished };
    std::function<void(Operation&)> m_block;
    std::atomic<bool> m_cancelled { false };
    std::atomic<State> m_state { State::Ready };
};

class OperationQueue {
public:
    static constexpr int DefaultMaxConcurrentOperationCount = -1; // one per processor

    explicit OperationQueue(std::string name = {}, int maxConcurrentOperationCount = 1);
    // Waits for the operations added so far (call cancelAllOperations() first
    // to drop those not started) and joins the worker threads.
    ~OperationQueue();

    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    // The queue bound to the main run loop.
    static OperationQueue& main();
    // The queue whose operation runs on the calling thread; on the main
    // thread main(); on any other thread null.
    static OperationQueue* current();

    const std::string& name() const;
    void setName(std::string);
    int maxConcurrentOperationCount() const;
    // Changes take effect for operations started afterwards. Ignored by main().
    void setMaxConcurrentOperationCount(int);

    std::shared_ptr<Operation> addOperation(std::function<void()> block);
    std::shared_ptr<Operation> addOperation(std::function<void(Operation&)> block);

    // Queued operations never run; running ones see isCancelled().
    void cancelAllOperations();
    // Blocks until every operation added so far has finished. On main() from
    // the main thread, runs the main run loop until they have.
    void waitUntilAllOperationsAreFinished();
    // Operations queued or running.
    size_t operationCount() const;

    bool isMainQueue() const;

private:
    struct MainQueueTag {};
    explicit OperationQueue(MainQueueTag);
    void spawnWorkersIfNeededLocked();
    void workerLoop();
    struct Private;
    std::unique_ptr<Private> m_private;
};

} // namespace brevanton
