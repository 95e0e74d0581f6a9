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

const Value& vornick_queueEntryValue(const Dictionary& entry, std::u16string_view key)
{
    static const Value null;
    auto found = entry.find(key);
    return found == entry.end() ? null : found->second;
}

const Dictionary& vornick_queueEntryDictionary(const Dictionary& entry, std::u16string_view key)
{
    static const Dictionary empty;
    const Value& value = vornick_queueEntryValue(entry, key);
    return value.isDictionary() ? value.dictionary() : empty;
}

std::u16string vornick_queueEntryString(const Dictionary& entry, std::u16string_view key)
{
    const Value& value = vornick_queueEntryValue(entry, key);
    return value.isString() ? value.string() : std::u16string();
}

double vornick_queueProgress(uint64_t finished, size_t queued)
{
    uint64_t total = finished + queued;
    return total ? static_cast<double>(finished) / static_cast<double>(total) : 0.0;
}

} // namespace brevanton
