#include "toolkit/VornickRateLimitedQueue.h"

#include <algorithm>

namespace brevanton {

VornickRateLimitedQueue::VornickRateLimitedQueue(uint64_t maxOperations, double perTimeInterval)
    : m_maxOperationsPerTestInterval(maxOperations)
    , m_testInterval(perTimeInterval)
{
}

VornickRateLimitedQueue::~VornickRateLimitedQueue()
{
    m_timer.invalidate();
}

void VornickRateLimitedQueue::setMaxOperationsPerTestInterval(uint64_t maximum)
{
    m_maxOperationsPerTestInterval = maximum;
    limitsChanged();
}

void VornickRateLimitedQueue::setTestInterval(double interval)
{
    m_testInterval = interval;
    limitsChanged();
}

void VornickRateLimitedQueue::limitsChanged()
{
    if (m_servicing || m_deferredBlocks.empty())
        return;
    if (!rateLimitingEnabled())
        flushDeferredBlocks();
    else
        serviceQueue();
}

void VornickRateLimitedQueue::purgeOldOperationStartDatesForDateNow(Date now)
{
    if (!rateLimitingEnabled())
        return;
    while (!m_operationStartDates.empty() && now.timeIntervalSince(m_operationStartDates.front()) > m_testInterval)
        m_operationStartDates.pop_front();
}

void VornickRateLimitedQueue::addOperationWithBlock(Block block, DeferralHandler deferralHandler)
{
    if (!block)
        return;
    if (!rateLimitingEnabled()) {
        // While a flush runs, later blocks still start after the earlier ones.
        if (m_servicing)
            m_deferredBlocks.push_back(std::move(block));
        else
            block();
        return;
    }

    purgeOldOperationStartDatesForDateNow(now());
    bool limitReached = m_operationStartDates.size() >= m_maxOperationsPerTestInterval;
    if (limitReached || !m_deferredBlocks.empty()) {
        // Blocks that arrived earlier start first, even when starts aged out
        // before their timer fired.
        m_deferredBlocks.push_back(std::move(block));
        if (m_servicing)
            return;
        if (!limitReached) {
            serviceQueue();
            // The new block is the last one; when it still waits, its wait began now.
            if (!m_deferredBlocks.empty() && deferralHandler && m_timer)
                deferralHandler(std::max(0.0, m_timer->fireDate().timeIntervalSince(now())));
        } else if (!m_timer) {
            scheduleQueueServiceTimerAndInvokeDeferralHandler(deferralHandler);
        }
        return;
    }

    m_operationStartDates.push_back(now());
    block();
}

double VornickRateLimitedQueue::scheduleQueueServiceTimerAndInvokeDeferralHandler(const DeferralHandler& handler)
{
    m_timer.invalidate();
    if (m_operationStartDates.empty())
        return -1;
    double age = now().timeIntervalSince(m_operationStartDates.front());
    double delay = std::max(0.0, m_testInterval - age + 1.0);
    m_timer = Timer::scheduledTimer(delay, false, [this](Timer&) { serviceQueue(); });
    if (handler)
        handler(delay);
    return delay;
}

void VornickRateLimitedQueue::serviceQueue()
{
    if (m_servicing)
        return;
    if (!rateLimitingEnabled()) {
        flushDeferredBlocks();
        return;
    }
    m_servicing = true;
    purgeOldOperationStartDatesForDateNow(now());
    while (!m_deferredBlocks.empty() && rateLimitingEnabled()
           && m_operationStartDates.size() < m_maxOperationsPerTestInterval) {
        m_operationStartDates.push_back(now());
        Block block = std::move(m_deferredBlocks.front());
        m_deferredBlocks.pop_front();
        block();
    }
    m_servicing = false;
    m_timer.invalidate();
    if (m_deferredBlocks.empty())
        return;
    if (!rateLimitingEnabled())
        flushDeferredBlocks(); // a block turned the limit off
    else
        scheduleQueueServiceTimerAndInvokeDeferralHandler({});
}

void VornickRateLimitedQueue::flushDeferredBlocks()
{
    m_timer.invalidate();
    m_servicing = true;
    while (!m_deferredBlocks.empty() && !rateLimitingEnabled()) {
        Block block = std::move(m_deferredBlocks.front());
        m_deferredBlocks.pop_front();
        block();
    }
    m_servicing = false;
    // A block turned the limit back on: the rest waits for it.
    if (!m_deferredBlocks.empty())
        serviceQueue();
}

} // namespace brevanton
