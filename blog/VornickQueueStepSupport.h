// What the queue steps (uploads, trash moves, deletion checks, media
// uploads) share.
//
// VornickQueueStepWatchdog: a queue step's wait for the server's answer about
// the item it sent. While it waits the step takes one answer for that item;
// when no answer has come VornickQueueStepAnswerTimeout seconds after the
// request went out, it calls its expiry block, and the step fails the item,
// so that a lost answer never leaves a session running for ever. Times come
// from the main run loop's clock. Main thread only.
#pragma once

#include "blog/VornickSyncStep.h"
#include "platform/foundation/RunLoop.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace brevanton {

inline constexpr double VornickQueueStepAnswerTimeout = 300.0;

class VornickQueueStepWatchdog {
public:
    // Starts waiting (again, from now). `expired` runs once, on the main run
    // loop, unless stop() comes first; it must not hold its step strongly.
    void start(std::function<void()> expired);
    // Ends the wait: the answer came, or the step gave up.
    void stop() { m_timer.invalidate(); }
    bool isWaiting() const { return static_cast<bool>(m_timer); }

private:
    ScopedTimer m_timer;
};

// Sets the step's status message and announces it.
void vornick_setStepStatusMessage(VornickSyncStep&, std::u16string message);

// Runs `block` with the step on a later turn of the main run loop, while the
// step still exists.
template<typename Step>
void vornick_performLaterWithStep(Step& step, std::function<void(Step&)> block)
{
    std::weak_ptr<VornickSyncStepContainer> weakStep = step.weak_from_this();
    RunLoop::main().perform([weakStep, block = std::move(block)] {
        if (auto strongStep = weakStep.lock())
            block(static_cast<Step&>(*strongStep));
    });
}

// Starts the step's watchdog; on expiry `expired` runs with the step while it
// still exists and is Active.
template<typename Step>
void vornick_startWatchdogOfStep(Step& step, VornickQueueStepWatchdog& watchdog, std::function<void(Step&)> expired)
{
    std::weak_ptr<VornickSyncStepContainer> weakStep = step.weak_from_this();
    watchdog.start([weakStep, expired = std::move(expired)] {
        auto strongStep = weakStep.lock();
        if (strongStep && strongStep->active())
            expired(static_cast<Step&>(*strongStep));
    });
}

// A queue entry's (or a description's) value for the key: null when missing,
// an empty dictionary or string when it is of another kind.
const Value& vornick_queueEntryValue(const Dictionary& entry, std::u16string_view key);
const Dictionary& vornick_queueEntryDictionary(const Dictionary& entry, std::u16string_view key);
std::u16string vornick_queueEntryString(const Dictionary& entry, std::u16string_view key);

// finished ÷ (finished + still queued); 0 while there is nothing.
double vornick_queueProgress(uint64_t finished, size_t queued);

} // namespace brevanton
