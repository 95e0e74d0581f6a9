#include "platform/foundation/OperationQueue.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace brevanton {

namespace {

thread_local OperationQueue* currentQueue = nullptr;
thread_local Operation* currentOperation = nullptr;

constexpr int maximumWorkerThreads = 64;

} // namespace

Operation* Operation::current()
{
    return currentOperation;
}

struct OperationQueue::Private {
    bool isMain { false };
    std::string name;
    int maxConcurrent { 1 };

    mutable std::mutex mutex;
    std::condition_variable workAvailable;
    std::condition_variable becameIdle;
    std::deque<std::shared_ptr<Operation>> queued;
    std::vector<std::shared_ptr<Operation>> running;
    std::vector<std::thread> workers;
    bool stopping { false };

    int effectiveMaxLocked() const
    {
        int limit = maxConcurrent;
        if (limit <= 0)
            limit = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
        return std::min(limit, maximumWorkerThreads);
    }

    bool isIdleLocked() const { return queued.empty() && running.empty(); }
};

namespace {

// Runs `operation` with the current queue and operation set for its thread.
void execute(OperationQueue* queue, Operation& operation, std::function<void(Operation&)>& block)
{
    OperationQueue* savedQueue = currentQueue;
    Operation* savedOperation = currentOperation;
    currentQueue = queue;
    currentOperation = &operation;
    struct Restore {
        OperationQueue* queue;
        Operation* operation;
        ~Restore()
        {
            currentQueue = queue;
            currentOperation = operation;
        }
    } restore { savedQueue, savedOperation };
    if (block)
        block(operation);
}

} // namespace

OperationQueue::OperationQueue(std::string name, int maxConcurrentOperationCount)
    : m_private(std::make_unique<Private>())
{
    m_private->name = std::move(name);
    m_private->maxConcurrent = maxConcurrentOperationCount == 0 ? 1 : maxConcurrentOperationCount;
}

OperationQueue::OperationQueue(MainQueueTag)
    : m_private(std::make_unique<Private>())
{
    m_private->isMain = true;
    m_private->name = "Main Queue";
}

OperationQueue::~OperationQueue()
{
    if (m_private->isMain)
        return;
    BREVANTON_ASSERT(currentQueue != this, "An operation queue cannot be destroyed by one of its own operations");
    waitUntilAllOperationsAreFinished();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(m_private->mutex);
        m_private->stopping = true;
        workers = std::move(m_private->workers);
    }
    m_private->workAvailable.notify_all();
    for (auto& worker : workers)
        worker.join();
}

OperationQueue& OperationQueue::main()
{
    // Never destroyed: worker threads may add to it until the process exits.
    static OperationQueue* queue = new OperationQueue(MainQueueTag {});
    return *queue;
}

OperationQueue* OperationQueue::current()
{
    if (currentQueue)
        return currentQueue;
    return RunLoop::isMainThread() ? &main() : nullptr;
}

bool OperationQueue::isMainQueue() const
{
    return m_private->isMain;
}

const std::string& OperationQueue::name() const
{
    return m_private->name;
}

void OperationQueue::setName(std::string name)
{
    m_private->name = std::move(name);
}

int OperationQueue::maxConcurrentOperationCount() const
{
    std::lock_guard lock(m_private->mutex);
    return m_private->isMain ? 1 : m_private->maxConcurrent;
}

void OperationQueue::setMaxConcurrentOperationCount(int count)
{
    if (m_private->isMain)
        return;
    {
        std::lock_guard lock(m_private->mutex);
        m_private->maxConcurrent = count == 0 ? 1 : count;
        spawnWorkersIfNeededLocked();
    }
    m_private->workAvailable.notify_all();
}

std::shared_ptr<Operation> OperationQueue::addOperation(std::function<void()> block)
{
    return addOperation(std::function<void(Operation&)>([block = std::move(block)](Operation&) {
        if (block)
            block();
    }));
}

std::shared_ptr<Operation> OperationQueue::addOperation(std::function<void(Operation&)> block)
{
    auto operation = std::make_shared<Operation>(std::move(block));
    auto& d = *m_private;

    if (d.isMain) {
        {
            std::lock_guard lock(d.mutex);
            d.queued.push_back(operation);
        }
        RunLoop::main().perform([this, operation] {
            auto& d = *m_private;
            {
                std::lock_guard lock(d.mutex);
                auto it = std::find(d.queued.begin(), d.queued.end(), operation);
                if (it == d.queued.end())
                    return; // cancelled
                d.queued.erase(it);
                d.running.push_back(operation);
            }
            struct Finish {
                Private& d;
                const std::shared_ptr<Operation>& operation;
                ~Finish()
                {
                    operation->m_state = Operation::State::Finished;
                    {
                        std::lock_guard lock(d.mutex);
                        d.running.erase(std::find(d.running.begin(), d.running.end(), operation));
                    }
                    d.becameIdle.notify_all();
                }
            } finish { d, operation };
            if (operation->isCancelled())
                return;
            operation->m_state = Operation::State::Executing;
            execute(this, *operation, operation->m_block);
        });
        return operation;
    }

    {
        std::lock_guard lock(d.mutex);
        d.queued.push_back(operation);
        spawnWorkersIfNeededLocked();
    }
    d.workAvailable.notify_one();
    return operation;
}

void OperationQueue::spawnWorkersIfNeededLocked()
{
    auto& d = *m_private;
    size_t wanted = std::min(static_cast<size_t>(d.effectiveMaxLocked()), d.running.size() + d.queued.size());
    while (d.workers.size() < wanted)
        d.workers.emplace_back([this] { workerLoop(); });
}

void OperationQueue::workerLoop()
{
    auto& d = *m_private;
    std::unique_lock lock(d.mutex);
    while (true) {
        d.workAvailable.wait(lock, [&] {
            return d.stopping
                || (!d.queued.empty() && d.running.size() < static_cast<size_t>(d.effectiveMaxLocked()));
        });
        if (d.queued.empty() && d.stopping)
            return;
        if (d.queued.empty() || d.running.size() >= static_cast<size_t>(d.effectiveMaxLocked()))
            continue;
        auto operation = std::move(d.queued.front());
        d.queued.pop_front();
        d.running.push_back(operation);
        lock.unlock();
        if (!operation->isCancelled()) {
            operation->m_state = Operation::State::Executing;
            try {
                execute(this, *operation, operation->m_block);
            } catch (...) {
                // An operation that throws ends; the queue goes on.
            }
        }
        operation->m_state = Operation::State::Finished;
        operation->m_block = nullptr; // release what it captured, outside the lock
        lock.lock();
        d.running.erase(std::find(d.running.begin(), d.running.end(), operation));
        bool idle = d.isIdleLocked();
        lock.unlock();
        operation.reset();
        if (idle)
            d.becameIdle.notify_all();
        d.workAvailable.notify_one();
        lock.lock();
    }
}

void OperationQueue::cancelAllOperations()
{
    std::deque<std::shared_ptr<Operation>> dropped;
    {
        std::lock_guard lock(m_private->mutex);
        for (auto& operation : m_private->running)
            operation->cancel();
        dropped = std::move(m_private->queued);
        m_private->queued.clear();
        for (auto& operation : dropped) {
            operation->cancel();
            operation->m_state = Operation::State::Finished;
        }
    }
    m_private->becameIdle.notify_all();
    // `dropped` releases the blocks of the cancelled operations here, outside the lock.
}

void OperationQueue::waitUntilAllOperationsAreFinished()
{
    auto& d = *m_private;
    if (d.isMain && RunLoop::isMainThread()) {
        // Blocks of the main queue run on this thread: turn the loop until
        // they have (a running one that waits for its own queue is skipped).
        RunLoop::main().runUntil([&] {
            std::lock_guard lock(d.mutex);
            return d.queued.empty();
        }, 1e9);
        return;
    }
    BREVANTON_ASSERT(currentQueue != this, "An operation cannot wait for its own queue to finish");
    std::unique_lock lock(d.mutex);
    d.becameIdle.wait(lock, [&] { return d.isIdleLocked(); });
}

size_t OperationQueue::operationCount() const
{
    std::lock_guard lock(m_private->mutex);
    return m_private->queued.size() + m_private->running.size();
}

} // namespace brevanton
