#include "platform/foundation/FileWatcher.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <mutex>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <utility>

namespace brevanton {

namespace {

enum class Role { Item, Parent };

constexpr uint32_t ItemFileMask = IN_MODIFY | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t ItemFolderMask = IN_MODIFY | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
    | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t ParentMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

struct FileWatcher::State {
    std::string path;
    std::string parentPath;
    std::string baseName;
    OperationQueue* queue { nullptr };

    // Guarded by the center's mutex.
    int itemWatch { -1 };
    bool itemIsFolder { false };
    int parentWatch { -1 };

    // What the file's writer changed and is not yet reported: it is once the
    // writer closes the file, or when the run loop's clock reaches
    // settleDeadline (`settleTimer`, on the main run loop, looks then).
    uint32_t settlingFlags { 0 };
    Date settleDeadline;
    std::shared_ptr<Timer> settleTimer;

    std::atomic<bool> active { false };
    std::atomic<bool> watching { false };
    std::atomic<bool> stopped { false };

    // Guarded by deliveryMutex, which is held while the callback runs.
    std::mutex deliveryMutex;
    Callback callback;
    std::atomic<std::thread::id> deliveringThread {};

    void deliver(const FileWatcherEvent& event)
    {
        if (stopped.load())
            return;
        std::lock_guard lock(deliveryMutex);
        if (stopped.load() || !callback)
            return;
        // A copy, so that stopWatching() from inside the callback can let go of the member.
        Callback current = callback;
        deliveringThread = std::this_thread::get_id();
        current(event);
        deliveringThread = std::thread::id();
    }
};

namespace {

using State = FileWatcher::State;

// One inotify instance for the whole process (instances are a scarce
// per-user resource), read by a background thread.
class InotifyCenter {
public:
    static InotifyCenter& shared()
    {
        // Never destroyed: its thread runs for the life of the process.
        static InotifyCenter* center = new InotifyCenter;
        return *center;
    }

    int descriptor() const { return m_fd; }
    int openError() const { return m_openError; }
    std::mutex& mutex() { return m_mutex; }

    // All of the following run with mutex() held.

    int addWatch(const std::shared_ptr<State>& state, Role role, const std::string& path, uint32_t mask)
    {
        int wd = ::inotify_add_watch(m_fd, path.c_str(), mask | IN_MASK_ADD);
        if (wd < 0)
            return -1;
        m_registrations[wd].push_back({ state, role, mask });
        return wd;
    }

    void removeWatch(int wd, const State* state, Role role)
    {
        auto found = m_registrations.find(wd);
        if (found == m_registrations.end())
            return;
        auto& list = found->second;
        std::erase_if(list, [&](const Registration& registration) {
            auto locked = registration.state.lock();
            return registration.role == role && (!locked || locked.get() == state);
        });
        if (list.empty()) {
            m_registrations.erase(found);
            ::inotify_rm_watch(m_fd, wd);
        }
    }

    void detachItem(State& state)
    {
        if (state.itemWatch >= 0)
            removeWatch(state.itemWatch, &state, Role::Item);
        state.itemWatch = -1;
        state.active = false;
    }

    // Watches whatever is at the state's path now, in place of what was there.
    // The same file keeps its watch, so that no event queued for it is lost.
    void armItem(const std::shared_ptr<State>& state)
    {
        struct stat info;
        if (::stat(state->path.c_str(), &info) < 0) {
            detachItem(*state);
            return;
        }
        bool isFolder = S_ISDIR(info.st_mode);
        uint32_t mask = isFolder ? ItemFolderMask : ItemFileMask;
        int wd = ::inotify_add_watch(m_fd, state->path.c_str(), mask | IN_MASK_ADD);
        if (wd >= 0 && wd == state->itemWatch) {
            for (auto& registration : m_registrations[wd]) {
                if (registration.role == Role::Item && registration.state.lock() == state)
                    registration.mask = mask;
            }
            state->itemIsFolder = isFolder;
            state->active = true;
            return;
        }
        detachItem(*state);
        if (wd < 0)
            return;
        m_registrations[wd].push_back({ state, Role::Item, mask });
        state->itemIsFolder = isFolder;
        state->itemWatch = wd;
        state->active = true;
    }

    void stop(State& state)
    {
        cancelSettling(state);
        detachItem(state);
        if (state.parentWatch >= 0)
            removeWatch(state.parentWatch, &state, Role::Parent);
        state.parentWatch = -1;
        state.watching = false;
    }

    // Runs on the main run loop when a settle timer fires.
    void settleTimerFired(const std::weak_ptr<State>& weakState, const Timer& timer)
    {
        auto state = weakState.lock();
        if (!state)
            return;
        std::lock_guard lock(m_mutex);
        // A timer let go of while this waited for the lock has nothing to do.
        if (state->settleTimer.get() != &timer || !state->settlingFlags || state->stopped)
            return;
        if (RunLoop::main().now() < state->settleDeadline) {
            // Written again since the timer was set.
            scheduleSettleTimer(state);
            return;
        }
        state->settleTimer.reset();
        FileWatcherEvent event;
        event.flags = std::exchange(state->settlingFlags, 0);
        dispatch(state, std::move(event));
    }

private:
    struct Registration {
        std::weak_ptr<State> state;
        Role role;
        uint32_t mask;
    };

    struct Pending {
        std::shared_ptr<State> state;
        FileWatcherEvent event;
    };

    InotifyCenter()
    {
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0) {
            m_openError = errno;
            return;
        }
        std::thread([this] { readEvents(); }).detach();
    }

    // Under the mutex, so that deliveries keep the order of the changes
    // whichever thread reports them.
    static void dispatch(const std::shared_ptr<State>& state, FileWatcherEvent event)
    {
        auto block = [state, event = std::move(event)] { state->deliver(event); };
        if (state->queue)
            state->queue->addOperation(std::move(block));
        else
            RunLoop::main().perform(std::move(block));
    }

    void scheduleSettleTimer(const std::shared_ptr<State>& state)
    {
        std::weak_ptr<State> weakState = state;
        state->settleTimer = Timer::create(state->settleDeadline, 0, false,
                                           [this, weakState](Timer& timer) { settleTimerFired(weakState, timer); });
        RunLoop::main().addTimer(state->settleTimer);
    }

    // The file is being written: `flags` are reported once the writer is done.
    void settleLater(const std::shared_ptr<State>& state, uint32_t flags)
    {
        state->settlingFlags |= flags;
        state->settleDeadline = RunLoop::main().now().addingTimeInterval(FileWatcher::SettleTime);
        if (!state->settleTimer || !state->settleTimer->isValid())
            scheduleSettleTimer(state);
    }

    static void cancelSettling(State& state)
    {
        state.settlingFlags = 0;
        if (auto timer = std::exchange(state.settleTimer, nullptr))
            timer->invalidate();
    }

    // Reports `flags` in this batch, with what was settling.
    static void report(FileWatcherEvent& event, State& state, uint32_t flags)
    {
        event.flags |= flags | state.settlingFlags;
        cancelSettling(state);
    }

    static void addName(FileWatcherEvent& event, std::string_view name)
    {
        if (name.empty())
            return;
        if (std::find(event.names.begin(), event.names.end(), name) == event.names.end())
            event.names.emplace_back(name);
    }

    FileWatcherEvent& pendingFor(std::vector<Pending>& pending, const std::shared_ptr<State>& state)
    {
        for (auto& entry : pending) {
            if (entry.state == state)
                return entry.event;
        }
        pending.push_back({ state, {} });
        return pending.back().event;
    }

    void handle(const inotify_event& event, std::vector<Pending>& pending)
    {
        if (event.mask & IN_Q_OVERFLOW) {
            // Events were lost: every watch looks again at what is at its path.
            std::vector<std::shared_ptr<State>> states;
            for (auto& [wd, list] : m_registrations) {
                for (auto& registration : list) {
                    if (auto state = registration.state.lock(); state && registration.role == Role::Parent)
                        states.push_back(std::move(state));
                }
            }
            for (auto& state : states) {
                armItem(state);
                report(pendingFor(pending, state), *state, FileWatcherEvent::Overflow);
            }
            return;
        }
        auto found = m_registrations.find(event.wd);
        if (found == m_registrations.end())
            return;
        std::string_view name = event.len ? std::string_view(event.name) : std::string_view();

        if (event.mask & IN_IGNORED) {
            // The kernel dropped the watch (its file or folder is gone).
            auto list = std::move(found->second);
            m_registrations.erase(found);
            for (auto& registration : list) {
                auto state = registration.state.lock();
                if (!state)
                    continue;
                if (registration.role == Role::Item && state->itemWatch == event.wd) {
                    state->itemWatch = -1;
                    // The parent folder reports the same removal by name, and it
                    // may be read apart from this: report it once, from there.
                    if (state->parentWatch < 0) {
                        state->active = false;
                        report(pendingFor(pending, state), *state, FileWatcherEvent::Removed);
                    }
                } else if (registration.role == Role::Parent && state->parentWatch == event.wd) {
                    state->parentWatch = -1;
                    detachItem(*state);
                    state->watching = false;
                    report(pendingFor(pending, state), *state, FileWatcherEvent::Removed);
                }
            }
            return;
        }

        // Copied: handling may change the registrations of this descriptor.
        auto list = found->second;
        for (auto& registration : list) {
            if (!(event.mask & registration.mask))
                continue;
            auto state = registration.state.lock();
            if (!state || state->stopped)
                continue;
            if (registration.role == Role::Parent) {
                if (state->parentWatch != event.wd)
                    continue;
                if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                    // The folder itself went away: the path cannot be followed any more.
                    bool wasActive = state->active;
                    if (wasActive)
                        report(pendingFor(pending, state), *state, FileWatcherEvent::Removed);
                    stop(*state);
                    continue;
                }
                if (name != state->baseName)
                    continue;
                if (event.mask & IN_CREATE) {
                    // A file made here is about to be written: it is reported
                    // once written, like a write.
                    armItem(state);
                    if (state->active && !state->itemIsFolder)
                        settleLater(state, FileWatcherEvent::Replaced);
                    else
                        report(pendingFor(pending, state), *state, FileWatcherEvent::Replaced);
                } else if (event.mask & IN_MOVED_TO) {
                    armItem(state);
                    report(pendingFor(pending, state), *state, FileWatcherEvent::Replaced);
                } else if (event.mask & (IN_DELETE | IN_MOVED_FROM)) {
                    // A file exchanged with the one at the path (an atomic save
                    // that checks what it replaces) leaves its name after the
                    // new one arrived: the path is looked at again.
                    armItem(state);
                    report(pendingFor(pending, state), *state,
                           state->active ? FileWatcherEvent::Replaced : FileWatcherEvent::Removed);
                }
                continue;
            }
            if (state->itemWatch != event.wd)
                continue;
            if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                // The parent folder reports the same change by name; without one, report it here.
                if (state->parentWatch < 0) {
                    detachItem(*state);
                    report(pendingFor(pending, state), *state, FileWatcherEvent::Removed);
                }
                continue;
            }
            if (state->itemIsFolder) {
                auto& pendingEvent = pendingFor(pending, state);
                pendingEvent.flags |= FileWatcherEvent::ChildrenChanged;
                addName(pendingEvent, name);
                continue;
            }
            if (event.mask & IN_MODIFY)
                settleLater(state, FileWatcherEvent::Modified);
            // The writer is done: what it wrote is reported now. A file
            // opened for writing and closed unwritten reports nothing.
            if ((event.mask & IN_CLOSE_WRITE) && state->settlingFlags)
                report(pendingFor(pending, state), *state, 0);
        }
    }

    void readEvents()
    {
        alignas(inotify_event) char buffer[64 * 1024];
        while (true) {
            pollfd descriptor { m_fd, POLLIN, 0 };
            if (::poll(&descriptor, 1, -1) < 0)
                continue;
            std::vector<Pending> pending;
            std::lock_guard lock(m_mutex);
            while (true) {
                ssize_t length = ::read(m_fd, buffer, sizeof buffer);
                if (length <= 0)
                    break;
                for (char* cursor = buffer; cursor < buffer + length;) {
                    auto* event = reinterpret_cast<inotify_event*>(cursor);
                    handle(*event, pending);
                    cursor += sizeof(inotify_event) + event->len;
                }
            }
            for (auto& entry : pending) {
                if (entry.event.flags)
                    dispatch(entry.state, std::move(entry.event));
            }
        }
    }

    int m_fd { -1 };
    int m_openError { 0 };
    std::mutex m_mutex;
    std::unordered_map<int, std::vector<Registration>> m_registrations;
};

std::shared_ptr<State> startWatching(const std::string& givenPath, OperationQueue* queue,
                                     FileWatcher::Callback callback, Error* outError)
{
    auto& center = InotifyCenter::shared();
    if (center.descriptor() < 0) {
        setError(outError, Error::posix(center.openError(), u"Could not watch files"));
        return nullptr;
    }
    std::string path = givenPath;
    if (!path.empty() && path[0] != '/') {
        char folder[PATH_MAX];
        if (::getcwd(folder, sizeof folder))
            path = std::string(folder) + "/" + path;
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    auto state = std::make_shared<State>();
    state->path = path;
    state->queue = queue;
    state->callback = std::move(callback);
    if (path != "/") {
        state->parentPath = parentDirectory(path);
        state->baseName = path.substr(path.rfind('/') + 1);
    }

    std::lock_guard lock(center.mutex());
    if (!state->parentPath.empty()) {
        state->parentWatch = center.addWatch(state, Role::Parent, state->parentPath, ParentMask | IN_ONLYDIR);
        if (state->parentWatch < 0) {
            Error error = Error::posix(errno, u"Could not watch \u201C" + toUTF16(state->parentPath) + u"\u201D");
            error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
            setError(outError, std::move(error));
            return nullptr;
        }
    }
    center.armItem(state);
    state->watching = true;
    return state;
}

} // namespace

FileWatcher::FileWatcher(std::string path, std::shared_ptr<State> state)
    : m_path(std::move(path)), m_state(std::move(state))
{
}

std::unique_ptr<FileWatcher> FileWatcher::watch(const std::string& path, Callback callback, Error* outError)
{
    auto state = startWatching(path, nullptr, std::move(callback), outError);
    if (!state)
        return nullptr;
    return std::unique_ptr<FileWatcher>(new FileWatcher(state->path, state));
}

std::unique_ptr<FileWatcher> FileWatcher::watch(const std::string& path, OperationQueue& queue, Callback callback,
                                                Error* outError)
{
    auto state = startWatching(path, &queue, std::move(callback), outError);
    if (!state)
        return nullptr;
    return std::unique_ptr<FileWatcher>(new FileWatcher(state->path, state));
}

FileWatcher::~FileWatcher()
{
    stopWatching();
}

void FileWatcher::stopWatching()
{
    if (!m_state || m_state->stopped.exchange(true))
        return;
    {
        auto& center = InotifyCenter::shared();
        std::lock_guard lock(center.mutex());
        center.stop(*m_state);
    }
    if (m_state->deliveringThread.load() == std::this_thread::get_id()) {
        // Called from the callback: this thread already holds the delivery lock.
        m_state->callback = nullptr;
        return;
    }
    // Waits for a callback running on another thread.
    std::lock_guard lock(m_state->deliveryMutex);
    m_state->callback = nullptr;
}

bool FileWatcher::isActive() const
{
    return m_state && !m_state->stopped && m_state->active;
}

bool FileWatcher::isWatching() const
{
    return m_state && !m_state->stopped && m_state->watching;
}

} // namespace brevanton
