// RunLoop: the main thread's event loop. It runs blocks posted from any
// thread, timers, delayed performs keyed by a target, and file-descriptor
// sources (poll(2)). Its clock is the real monotonic time by default; tests
// install a manual clock and advance it, so timers fire deterministically.
//
// Everything the loop calls runs on the thread that runs the loop, which is
// the main thread. Scheduling (timers, performs, sources) is thread-safe.
//
// Ownership of timers: a scheduled timer is retained by its run loop until it
// is invalidated (a one-shot timer invalidates itself after it fired), so a
// fire-and-forget timer works. An object that owns a timer keeps the
// shared_ptr (or a ScopedTimer) and invalidates it in its destructor, and the
// timer's block never captures a strong reference to its owner:
//
//     std::weak_ptr<Owner> weakThis = weak_from_this();
//     m_timer = Timer::scheduledTimer(3.0, false, [weakThis](Timer&) {
//         if (auto strongThis = weakThis.lock())
//             strongThis->timerFired();
//     });
//     Owner::~Owner() { if (m_timer) m_timer->invalidate(); }
//
// An owner that is not held by a shared_ptr may capture `this` only when it
// invalidates the timer in its destructor (ScopedTimer does that for it) and
// is destroyed on the main thread.
#pragma once

#include "platform/foundation/Date.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <poll.h>

namespace brevanton {

class RunLoop;

class Timer : public std::enable_shared_from_this<Timer> {
public:
    using Block = std::function<void(Timer&)>;

    // A timer on the main run loop that first fires `interval` seconds from
    // the loop's now, then every `interval` seconds when `repeats`.
    static std::shared_ptr<Timer> scheduledTimer(double interval, bool repeats, Block block);
    // An unscheduled timer; add it with RunLoop::addTimer.
    static std::shared_ptr<Timer> create(Date fireDate, double interval, bool repeats, Block block);

    // After invalidate() the block never starts again (also when invalidate()
    // is called from another thread) and the run loop lets go of the timer and
    // of the block.
    void invalidate();
    bool isValid() const;

    Date fireDate() const;
    // Moves the next firing; the run loop picks up the change at once.
    void setFireDate(Date);
    double timeInterval() const { return m_interval; }
    bool repeats() const { return m_repeats; }

    // Calls the block now (when valid) without changing the schedule of a
    // repeating timer; a one-shot timer is invalidated afterwards.
    void fire();

    // Wraps `block` so that it runs while `weakOwner` is alive, and does
    // nothing once the owner is gone.
    template<typename T>
    static Block weakBlock(const std::weak_ptr<T>& weakOwner, std::function<void(T&, Timer&)> block)
    {
        return [weakOwner, block = std::move(block)](Timer& timer) {
            if (auto owner = weakOwner.lock())
                block(*owner, timer);
            else
                timer.invalidate();
        };
    }

    ~Timer();

private:
    friend class RunLoop;
    struct Private;
    Timer(Date fireDate, double interval, bool repeats, Block block);

    const double m_interval;
    const bool m_repeats;
    std::unique_ptr<Private> m_private;
};

// Holds a timer and invalidates it when destroyed or given another one.
class ScopedTimer {
public:
    ScopedTimer() = default;
    ScopedTimer(std::shared_ptr<Timer> timer) : m_timer(std::move(timer)) {}
    ScopedTimer(ScopedTimer&& other) noexcept : m_timer(std::move(other.m_timer)) {}
    ScopedTimer& operator=(ScopedTimer&& other) noexcept;
    ScopedTimer& operator=(std::shared_ptr<Timer> timer);
    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;
    ~ScopedTimer() { invalidate(); }

    void invalidate();
    // True while it holds a valid timer.
    explicit operator bool() const { return m_timer && m_timer->isValid(); }
    Timer* get() const { return m_timer.get(); }
    Timer* operator->() const { return m_timer.get(); }

private:
    std::shared_ptr<Timer> m_timer;
};

class RunLoop {
public:
    using SourceToken = uint64_t;
    using ObserverID = uint64_t;
    // Called with the descriptor and the poll(2) revents that occurred.
    using SourceCallback = std::function<void(int fd, short revents)>;

    // The main thread's run loop (the one all interface and document work uses).
    static RunLoop& main();
    // The run loop of the calling thread: the main loop on the main thread,
    // otherwise null (worker threads use operation queues, not run loops).
    static RunLoop* current();
    static bool isMainThread();

    // Queues `block` to run on the loop's thread in a later turn, in FIFO
    // order with other performed blocks. Callable from any thread; wakes a
    // loop that waits.
    void perform(std::function<void()> block);

    // Timers.
    void addTimer(const std::shared_ptr<Timer>&);
    std::shared_ptr<Timer> scheduleTimer(double interval, bool repeats, Timer::Block block);

    // Runs `block` after `seconds` (0 means the next turn). `target` keys the
    // perform for cancellation; it is only compared, never dereferenced.
    void performAfterDelay(const void* target, double seconds, std::function<void()> block);
    // Cancels every delayed perform of `target` that has not started.
    void cancelPerforms(const void* target);

    // File-descriptor sources: `callback` runs on the loop when poll(2) reports
    // one of `events` (POLLIN, POLLOUT, ...) or an error/hang-up on `fd`. The
    // source stays until removed; removing it from its own callback is safe.
    SourceToken addFileDescriptorSource(int fd, short events, SourceCallback callback);
    void removeSource(SourceToken);

    // Called at the end of every turn of the loop (after its blocks, timers
    // and sources ran), on the loop's thread. Removing from inside is safe.
    ObserverID addEndOfTurnObserver(std::function<void()> observer);
    void removeEndOfTurnObserver(ObserverID);

    // One turn: runs the blocks performed before it began, the timers and
    // delayed performs that are due, and the sources that are ready, then the
    // end-of-turn observers. When nothing is ready it waits at most
    // `maxWaitSeconds` (real time) for something to be. Answers whether any
    // block, timer or source ran.
    bool runOnce(double maxWaitSeconds = 0);
    // True while the running turn was started from inside another turn (a
    // block that waits by running the loop), so that end-of-turn work meant
    // for a whole event (undo grouping) waits for the outermost turn.
    bool isInNestedTurn() const;
    // Runs turns until `condition` holds (checked before each turn) or
    // `timeoutSeconds` of real time passed; answers whether the condition held.
    bool runUntil(const std::function<bool()>& condition, double timeoutSeconds);
    // Runs turns for `seconds` of real time (with the manual clock, timers are
    // only due when the clock is advanced).
    void runFor(double seconds);

    // The loop's clock. Timers, delayed performs and code that measures
    // intervals on the main thread (rate limits, write delays) read it.
    Date now() const;
    // Installs a manual clock, starting at the present now; it only moves
    // through advanceClock. useRealClock() returns to real time.
    void useManualClock();
    void useRealClock();
    bool isUsingManualClock() const;
    // Moves the manual clock forward by `seconds`, firing on the way every
    // timer and delayed perform that became due, in fire-date order (the clock
    // reads each one's fire date while it runs), and the performed blocks.
    // Must be called on the loop's thread.
    void advanceClock(double seconds);

    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

private:
    RunLoop();
    ~RunLoop();
    friend class Timer;
    friend class RunLoopTestPeer;

    // Counts of what is scheduled.
    size_t pendingTimerCount() const;
    size_t pendingPerformCount() const;

    struct Private;
    std::unique_ptr<Private> m_private;
};

} // namespace brevanton
