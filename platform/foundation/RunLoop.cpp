#include "platform/foundation/RunLoop.h"

#include "platform/foundation/Assertions.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace brevanton {

namespace {

// The shortest interval of a repeating timer, so that a zero interval
// cannot spin the loop.
constexpr double minimumRepeatInterval = 0.0001;

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

struct Timer::Private {
    std::mutex mutex;
    Date fireDate;
    std::shared_ptr<Block> block;
    std::atomic<bool> valid { true };
    std::atomic<RunLoop*> loop { nullptr }; // set once when scheduled
    const void* target { nullptr }; // delayed performs only
    bool isPerform { false };
    uint64_t sequence { 0 };
};

struct RunLoop::Private {
    struct Source {
        int fd;
        short events;
        std::shared_ptr<SourceCallback> callback;
        std::shared_ptr<std::atomic<bool>> removed;
    };
    struct EndOfTurnObserver {
        ObserverID identifier;
        std::shared_ptr<std::function<void()>> observer;
        std::shared_ptr<std::atomic<bool>> removed;
    };

    mutable std::mutex mutex;
    std::deque<std::function<void()>> posted;
    std::vector<std::shared_ptr<Timer>> timers;
    std::map<SourceToken, Source> sources;
    std::vector<EndOfTurnObserver> observers;
    uint64_t nextSequence { 1 };
    SourceToken nextSourceToken { 1 };
    ObserverID nextObserverID { 1 };

    int wakeFD { -1 };
    int turnDepth { 0 }; // turns running on the loop's thread, nested ones included

    bool manualClock { false };
    Date manualNow;
    const Date realBase { Date::now() };
    const double realBaseSteady { steadySeconds() };

    Date nowLocked() const
    {
        if (manualClock)
            return manualNow;
        return realBase.addingTimeInterval(steadySeconds() - realBaseSteady);
    }

    void wake()
    {
        if (wakeFD < 0)
            return;
        uint64_t one = 1;
        ssize_t ignored = ::write(wakeFD, &one, sizeof one);
        (void)ignored;
    }

    void drainWake()
    {
        uint64_t value;
        while (::read(wakeFD, &value, sizeof value) > 0) { }
    }

    void removeTimer(Timer* timer)
    {
        std::lock_guard lock(mutex);
        auto it = std::find_if(timers.begin(), timers.end(), [&](auto& t) { return t.get() == timer; });
        if (it != timers.end())
            timers.erase(it);
    }

    // The earliest fire date of the valid timers (under the lock).
    std::optional<Date> earliestFireDateLocked() const
    {
        std::optional<Date> earliest;
        for (auto& timer : timers) {
            if (!timer->m_private->valid)
                continue;
            Date date = timer->fireDate();
            if (!earliest || date < *earliest)
                earliest = date;
        }
        return earliest;
    }
};

// MARK: Timer

Timer::Timer(Date fireDate, double interval, bool repeats, Block block)
    : m_interval(interval)
    , m_repeats(repeats)
    , m_private(std::make_unique<Private>())
{
    m_private->fireDate = fireDate;
    m_private->block = std::make_shared<Block>(std::move(block));
}

Timer::~Timer() = default;

std::shared_ptr<Timer> Timer::create(Date fireDate, double interval, bool repeats, Block block)
{
    return std::shared_ptr<Timer>(new Timer(fireDate, interval, repeats, std::move(block)));
}

std::shared_ptr<Timer> Timer::scheduledTimer(double interval, bool repeats, Block block)
{
    return RunLoop::main().scheduleTimer(interval, repeats, std::move(block));
}

void Timer::invalidate()
{
    if (!m_private->valid.exchange(false))
        return;
    std::shared_ptr<Block> block;
    {
        std::lock_guard lock(m_private->mutex);
        block = std::move(m_private->block);
    }
    if (RunLoop* loop = m_private->loop.load())
        loop->m_private->removeTimer(this);
    // `block` is released here, after the timer left the loop; a block that
    // invalidates its own timer is kept alive by the loop's copy while it runs.
}

bool Timer::isValid() const
{
    return m_private->valid;
}

Date Timer::fireDate() const
{
    std::lock_guard lock(m_private->mutex);
    return m_private->fireDate;
}

void Timer::setFireDate(Date date)
{
    {
        std::lock_guard lock(m_private->mutex);
        m_private->fireDate = date;
    }
    if (RunLoop* loop = m_private->loop.load())
        loop->m_private->wake();
}

void Timer::fire()
{
    if (!m_private->valid)
        return;
    std::shared_ptr<Block> block;
    {
        std::lock_guard lock(m_private->mutex);
        block = m_private->block;
    }
    auto keepAlive = shared_from_this();
    if (block && *block)
        (*block)(*this);
    if (!m_repeats)
        invalidate();
}

// MARK: ScopedTimer

ScopedTimer& ScopedTimer::operator=(ScopedTimer&& other) noexcept
{
    if (this != &other) {
        invalidate();
        m_timer = std::move(other.m_timer);
    }
    return *this;
}

ScopedTimer& ScopedTimer::operator=(std::shared_ptr<Timer> timer)
{
    if (timer != m_timer)
        invalidate();
    m_timer = std::move(timer);
    return *this;
}

void ScopedTimer::invalidate()
{
    if (auto timer = std::move(m_timer))
        timer->invalidate();
}

// MARK: RunLoop

RunLoop::RunLoop()
    : m_private(std::make_unique<Private>())
{
    m_private->wakeFD = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
}

RunLoop::~RunLoop()
{
    if (m_private->wakeFD >= 0)
        ::close(m_private->wakeFD);
}

RunLoop& RunLoop::main()
{
    static RunLoop* loop = new RunLoop; // never destroyed: worker threads may post until exit
    return *loop;
}

RunLoop* RunLoop::current()
{
    return isMainThread() ? &main() : nullptr;
}

bool RunLoop::isMainThread()
{
    // Read once a thread (the answer never changes): asked on every hop
    // between threads, it would otherwise cost two system calls each time.
    static thread_local const bool isMain = ::gettid() == ::getpid();
    return isMain;
}

void RunLoop::perform(std::function<void()> block)
{
    {
        std::lock_guard lock(m_private->mutex);
        m_private->posted.push_back(std::move(block));
    }
    // The loop's own thread is not waiting: its next turn sees the block
    // before it would wait, so only another thread's block wakes it.
    if (!isMainThread())
        m_private->wake();
}

void RunLoop::addTimer(const std::shared_ptr<Timer>& timer)
{
    BREVANTON_ASSERT(timer, "A timer is required");
    BREVANTON_ASSERT(!timer->m_private->loop || timer->m_private->loop == this,
                     "A timer can only be scheduled on one run loop");
    if (!timer->isValid())
        return;
    {
        std::lock_guard lock(m_private->mutex);
        if (std::find(m_private->timers.begin(), m_private->timers.end(), timer) != m_private->timers.end())
            return;
        timer->m_private->loop = this;
        timer->m_private->sequence = m_private->nextSequence++;
        m_private->timers.push_back(timer);
    }
    m_private->wake();
}

std::shared_ptr<Timer> RunLoop::scheduleTimer(double interval, bool repeats, Timer::Block block)
{
    auto timer = Timer::create(now().addingTimeInterval(std::max(interval, 0.0)), interval, repeats, std::move(block));
    addTimer(timer);
    return timer;
}

void RunLoop::performAfterDelay(const void* target, double seconds, std::function<void()> block)
{
    auto timer = Timer::create(now().addingTimeInterval(std::max(seconds, 0.0)), 0, false,
                               [block = std::move(block)](Timer&) { block(); });
    timer->m_private->target = target;
    timer->m_private->isPerform = true;
    addTimer(timer);
}

void RunLoop::cancelPerforms(const void* target)
{
    std::vector<std::shared_ptr<Timer>> cancelled;
    {
        std::lock_guard lock(m_private->mutex);
        for (auto& timer : m_private->timers) {
            if (timer->m_private->isPerform && timer->m_private->target == target)
                cancelled.push_back(timer);
        }
    }
    for (auto& timer : cancelled)
        timer->invalidate();
}

RunLoop::SourceToken RunLoop::addFileDescriptorSource(int fd, short events, SourceCallback callback)
{
    BREVANTON_ASSERT(fd >= 0, "A file descriptor source needs a valid descriptor");
    SourceToken token;
    {
        std::lock_guard lock(m_private->mutex);
        token = m_private->nextSourceToken++;
        m_private->sources.emplace(token, Private::Source { fd, events,
            std::make_shared<SourceCallback>(std::move(callback)), std::make_shared<std::atomic<bool>>(false) });
    }
    m_private->wake();
    return token;
}

void RunLoop::removeSource(SourceToken token)
{
    std::shared_ptr<SourceCallback> callback; // released outside the lock
    {
        std::lock_guard lock(m_private->mutex);
        auto it = m_private->sources.find(token);
        if (it == m_private->sources.end())
            return;
        it->second.removed->store(true);
        callback = std::move(it->second.callback);
        m_private->sources.erase(it);
    }
    m_private->wake();
}

RunLoop::ObserverID RunLoop::addEndOfTurnObserver(std::function<void()> observer)
{
    std::lock_guard lock(m_private->mutex);
    ObserverID identifier = m_private->nextObserverID++;
    m_private->observers.push_back({ identifier, std::make_shared<std::function<void()>>(std::move(observer)),
                                     std::make_shared<std::atomic<bool>>(false) });
    return identifier;
}

void RunLoop::removeEndOfTurnObserver(ObserverID identifier)
{
    std::lock_guard lock(m_private->mutex);
    auto& observers = m_private->observers;
    auto it = std::find_if(observers.begin(), observers.end(), [&](auto& o) { return o.identifier == identifier; });
    if (it == observers.end())
        return;
    it->removed->store(true);
    observers.erase(it);
}

bool RunLoop::isInNestedTurn() const
{
    return m_private->turnDepth > 1;
}

bool RunLoop::runOnce(double maxWaitSeconds)
{
    auto& d = *m_private;
    bool didWork = false;
    struct TurnDepth {
        int& depth;
        explicit TurnDepth(int& depth) : depth(depth) { ++depth; }
        ~TurnDepth() { --depth; }
    } turnDepth(d.turnDepth);

    // What to poll, and how long to wait.
    struct PolledSource {
        SourceToken token;
        std::shared_ptr<SourceCallback> callback;
        std::shared_ptr<std::atomic<bool>> removed;
    };
    std::vector<pollfd> pollFDs;
    std::vector<PolledSource> polledSources;
    size_t postedCount;
    int timeoutMilliseconds;
    {
        std::lock_guard lock(d.mutex);
        postedCount = d.posted.size();
        pollFDs.push_back({ d.wakeFD, POLLIN, 0 });
        for (auto& [token, source] : d.sources) {
            pollFDs.push_back({ source.fd, source.events, 0 });
            polledSources.push_back({ token, source.callback, source.removed });
        }
        double wait = std::max(maxWaitSeconds, 0.0);
        if (postedCount)
            wait = 0;
        if (auto earliest = d.earliestFireDateLocked()) {
            double untilDue = earliest->timeIntervalSince(d.nowLocked());
            if (untilDue <= 0)
                wait = 0;
            else if (!d.manualClock)
                wait = std::min(wait, untilDue);
        }
        timeoutMilliseconds = wait <= 0 ? 0 : static_cast<int>(std::min(std::ceil(wait * 1000), 86400000.0));
    }

    int ready = ::poll(pollFDs.data(), pollFDs.size(), timeoutMilliseconds);
    if (ready < 0 && errno != EINTR)
        ready = 0;
    if (ready > 0 && pollFDs[0].revents)
        d.drainWake();

    // Blocks performed before the turn, and those that arrived while it waited.
    {
        std::lock_guard lock(d.mutex);
        postedCount = d.posted.size();
    }
    for (size_t i = 0; i < postedCount; ++i) {
        std::function<void()> block;
        {
            std::lock_guard lock(d.mutex);
            if (d.posted.empty())
                break;
            block = std::move(d.posted.front());
            d.posted.pop_front();
        }
        didWork = true;
        if (block)
            block();
    }

    // Due timers and delayed performs, in fire-date order.
    std::vector<std::pair<std::shared_ptr<Timer>, Date>> due;
    Date now;
    {
        std::lock_guard lock(d.mutex);
        now = d.nowLocked();
        for (auto& timer : d.timers) {
            Date fireDate = timer->fireDate();
            if (timer->m_private->valid && fireDate <= now)
                due.emplace_back(timer, fireDate);
        }
    }
    std::sort(due.begin(), due.end(), [](auto& a, auto& b) {
        if (a.second != b.second)
            return a.second < b.second;
        return a.first->m_private->sequence < b.first->m_private->sequence;
    });
    for (auto& [timer, fireDate] : due) {
        auto& tp = *timer->m_private;
        std::shared_ptr<Timer::Block> block;
        {
            std::lock_guard lock(tp.mutex);
            if (!tp.valid || tp.fireDate != fireDate)
                continue; // invalidated or moved meanwhile
            block = tp.block;
            if (timer->m_repeats) {
                double interval = std::max(timer->m_interval, minimumRepeatInterval);
                Date next = tp.fireDate.addingTimeInterval(interval);
                if (next <= now) {
                    // Missed firings are skipped, keeping the phase.
                    double missed = std::floor(now.timeIntervalSince(next) / interval) + 1;
                    next = next.addingTimeInterval(missed * interval);
                }
                tp.fireDate = next;
            }
        }
        if (!tp.valid)
            continue;
        didWork = true;
        struct InvalidateOneShot {
            Timer& timer;
            ~InvalidateOneShot()
            {
                if (!timer.m_repeats)
                    timer.invalidate();
            }
        } invalidateOneShot { *timer };
        if (block && *block)
            (*block)(*timer);
    }

    // Ready sources.
    if (ready > 0) {
        for (size_t i = 0; i < polledSources.size(); ++i) {
            short revents = pollFDs[i + 1].revents;
            if (!revents)
                continue;
            auto& source = polledSources[i];
            if (source.removed->load() || !source.callback || !*source.callback)
                continue;
            if (revents & POLLNVAL) {
                // A closed descriptor would be reported forever; drop its source.
                removeSource(source.token);
            }
            didWork = true;
            (*source.callback)(pollFDs[i + 1].fd, revents);
        }
    }

    // End-of-turn observers.
    std::vector<Private::EndOfTurnObserver> observers;
    {
        std::lock_guard lock(d.mutex);
        observers = d.observers;
    }
    for (auto& observer : observers) {
        if (!observer.removed->load() && *observer.observer)
            (*observer.observer)();
    }
    return didWork;
}

bool RunLoop::runUntil(const std::function<bool()>& condition, double timeoutSeconds)
{
    double deadline = steadySeconds() + std::max(timeoutSeconds, 0.0);
    while (true) {
        if (condition && condition())
            return true;
        double remaining = deadline - steadySeconds();
        if (remaining <= 0)
            return condition && condition();
        runOnce(remaining);
    }
}

void RunLoop::runFor(double seconds)
{
    runUntil(nullptr, seconds);
}

Date RunLoop::now() const
{
    std::lock_guard lock(m_private->mutex);
    return m_private->nowLocked();
}

void RunLoop::useManualClock()
{
    std::lock_guard lock(m_private->mutex);
    if (m_private->manualClock)
        return;
    m_private->manualNow = m_private->nowLocked();
    m_private->manualClock = true;
}

void RunLoop::useRealClock()
{
    {
        std::lock_guard lock(m_private->mutex);
        m_private->manualClock = false;
    }
    m_private->wake();
}

bool RunLoop::isUsingManualClock() const
{
    std::lock_guard lock(m_private->mutex);
    return m_private->manualClock;
}

void RunLoop::advanceClock(double seconds)
{
    auto& d = *m_private;
    Date target;
    {
        std::lock_guard lock(d.mutex);
        BREVANTON_ASSERT(d.manualClock, "advanceClock needs the manual clock (useManualClock)");
        target = d.manualNow.addingTimeInterval(std::max(seconds, 0.0));
    }
    while (true) {
        bool hasWork;
        {
            std::lock_guard lock(d.mutex);
            auto earliest = d.earliestFireDateLocked();
            bool timerDue = earliest && *earliest <= target;
            if (timerDue && *earliest > d.manualNow)
                d.manualNow = *earliest;
            hasWork = timerDue || !d.posted.empty();
        }
        if (!hasWork)
            break;
        runOnce(0);
    }
    {
        std::lock_guard lock(d.mutex);
        if (d.manualNow < target)
            d.manualNow = target;
    }
    runOnce(0);
}

size_t RunLoop::pendingTimerCount() const
{
    std::lock_guard lock(m_private->mutex);
    return std::count_if(m_private->timers.begin(), m_private->timers.end(),
                         [](auto& t) { return !t->m_private->isPerform && t->m_private->valid; });
}

size_t RunLoop::pendingPerformCount() const
{
    std::lock_guard lock(m_private->mutex);
    return std::count_if(m_private->timers.begin(), m_private->timers.end(),
                         [](auto& t) { return t->m_private->isPerform && t->m_private->valid; });
}

} // namespace brevanton
