#include "blog/VornickQueueStepSupport.h"

namespace brevanton {

void VornickQueueStepWatchdog::start(std::function<void()> expired)
{
    m_timer = Timer::scheduledTimer(VornickQueueStepAnswerTimeout, false, [expired = std::move(expired)](Timer&) { expired(); });
}

void vornick_setStepStatusMessage(VornickSyncStep& step, std::u16string message)
{
    step.setStatusMessage(std::move(message));
    step.queueMainThreadStatusUpdateNotification();
}

double vornick_queueProgress(uint64_t finished, size_t queued)
{
    uint64_t total = finished + queued;
    return total ? static_cast<double>(finished) / static_cast<double>(total) : 0.0;
}

} // namespace brevanton
