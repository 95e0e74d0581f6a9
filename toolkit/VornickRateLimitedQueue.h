// VornickRateLimitedQueue: keeps the requests of one account within a limit of
// so many starts per time interval. A block runs at once while the limit
// allows; otherwise it waits, in arrival order, and a timer on the main run
// loop runs it once the oldest start has aged out. Blocks always start in the
// order they were added. Turning the limit off (a maximum or an interval of 0)
// runs the waiting blocks at once.
//
// Used on the main thread; times come from the main run loop's clock.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <deque>
#include <functional>

namespace brevanton {

class VornickRateLimitedQueue {
public:
    using Block = std::function<void()>;
    // Receives the delay in seconds until the waiting block may start.
    using DeferralHandler = std::function<void(double delay)>;

    // A maximum or an interval of 0 means no limit.
    VornickRateLimitedQueue(uint64_t maxOperations, double perTimeInterval);
    // Invalidates the timer; waiting blocks never run.
    ~VornickRateLimitedQueue();

    VornickRateLimitedQueue(const VornickRateLimitedQueue&) = delete;
    VornickRateLimitedQueue& operator=(const VornickRateLimitedQueue&) = delete;

    // Runs `block` now (synchronously) when the limit allows and nothing waits
    // before it; otherwise queues it. `deferralHandler`, when given, is called
    // with the delay when the block has to wait and a new wait was started for it.
    void addOperationWithBlock(Block block, DeferralHandler deferralHandler = {});

    uint64_t maxOperationsPerTestInterval() const { return m_maxOperationsPerTestInterval; }
    void setMaxOperationsPerTestInterval(uint64_t);
    double testInterval() const { return m_testInterval; }
    void setTestInterval(double);
    bool rateLimitingEnabled() const { return m_maxOperationsPerTestInterval > 0 && m_testInterval > 0; }

private:
    friend class VornickRateLimitedQueueTestPeer;

    // Drops the starts older than the interval (one exactly an interval old still counts).
    void purgeOldOperationStartDatesForDateNow(Date now);
    // Schedules the service of the waiting blocks for when the oldest start
    // ages out (plus a second) and tells `handler` the delay. Answers the delay,
    // or a negative number when nothing was scheduled.
    double scheduleQueueServiceTimerAndInvokeDeferralHandler(const DeferralHandler& handler);
    // Runs the waiting blocks that the limit allows, in order, and schedules
    // the service again when some still wait.
    void serviceQueue();
    // Runs every waiting block in order (rate limiting turned off).
    void flushDeferredBlocks();
    void limitsChanged();
    Date now() const { return RunLoop::main().now(); }

    uint64_t m_maxOperationsPerTestInterval;
    double m_testInterval;
    std::deque<Date> m_operationStartDates;
    std::deque<Block> m_deferredBlocks;
    ScopedTimer m_timer;
    // Set while waiting blocks run, so that blocks added by them wait their turn.
    bool m_servicing { false };
};

} // namespace brevanton
