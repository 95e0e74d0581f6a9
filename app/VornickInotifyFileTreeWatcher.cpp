#include "app/VornickInotifyFileTreeWatcher.h"

#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevanton {

namespace {

constexpr uint32_t watchedEvents = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO
    | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string joinPath(const std::string& folder, const std::string& name)
{
    return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool isRealDirectory(const std::string& path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

std::shared_ptr<VornickInotifyFileTreeWatcher> VornickInotifyFileTreeWatcher::create(const URL& folderURL,
                                                                                     uint64_t resumingFromEventID)
{
    auto path = folderURL.isFileURL() ? folderURL.fileSystemPath() : std::nullopt;
    if (!path)
        return nullptr;
    std::string folder = *path;
    while (folder.size() > 1 && folder.ends_with('/'))
        folder.pop_back();
    return std::shared_ptr<VornickInotifyFileTreeWatcher>(
        new VornickInotifyFileTreeWatcher(folderURL, std::move(folder), resumingFromEventID));
}

VornickInotifyFileTreeWatcher::VornickInotifyFileTreeWatcher(URL folderURL, std::string path, uint64_t eventID)
    : m_folderURL(std::move(folderURL))
    , m_path(std::move(path))
    , m_latestEventID(eventID)
{
}

VornickInotifyFileTreeWatcher::~VornickInotifyFileTreeWatcher()
{
    stopWatching();
}

void VornickInotifyFileTreeWatcher::startWatchingForFileTreeChanges()
{
    if (m_fd >= 0)
        return;
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0) {
        consoleLog("VornickFileTreeWatcher: inotify_init1 failed: " + std::string(std::strerror(errno)));
        return;
    }
    addWatchesBelow(m_path, nullptr);
    if (m_watchedFolders.empty()) {
        consoleLog("VornickFileTreeWatcher: cannot watch " + m_path);
        stopWatching();
        return;
    }
    std::weak_ptr<VornickInotifyFileTreeWatcher> weakThis = weak_from_this();
    m_sourceToken = RunLoop::main().addFileDescriptorSource(m_fd, POLLIN, [weakThis](int, short) {
        if (auto watcher = weakThis.lock())
            watcher->readEvents();
    });
    m_hasSource = true;
}

void VornickInotifyFileTreeWatcher::stopWatching()
{
    if (m_hasSource) {
        RunLoop::main().removeSource(m_sourceToken);
        m_hasSource = false;
    }
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_watchedFolders.clear();
    ++m_scanGeneration;
}

// Watches `folderPath` and every folder below it. With `addedEvents`, every
// entry found is reported as added (a folder created after the watch began
// may already hold files when its watch is added).
void VornickInotifyFileTreeWatcher::addWatchesBelow(const std::string& folderPath, VornickFileTreeEvents* addedEvents)
{
    if (m_fd < 0)
        return;
    int descriptor = ::inotify_add_watch(m_fd, folderPath.c_str(), watchedEvents);
    if (descriptor < 0)
        return;
    m_watchedFolders[descriptor] = folderPath;
    auto names = directoryEntryNames(folderPath);
    if (!names)
        return;
    for (const auto& name : *names) {
        auto path = joinPath(folderPath, name);
        if (addedEvents)
            addedEvents->push_back(makeEvent(VornickFileTreeEventKind::FileAdded, path));
        if (isRealDirectory(path))
            addWatchesBelow(path, addedEvents);
    }
}

void VornickInotifyFileTreeWatcher::removeWatchesBelow(const std::string& folderPath)
{
    for (auto watched = m_watchedFolders.begin(); watched != m_watchedFolders.end();) {
        const auto& path = watched->second;
        bool below = path == folderPath || (path.starts_with(folderPath) && path[folderPath.size()] == '/');
        if (below) {
            ::inotify_rm_watch(m_fd, watched->first);
            watched = m_watchedFolders.erase(watched);
        } else {
            ++watched;
        }
    }
}

void VornickInotifyFileTreeWatcher::startOrRestartFileTreeScan()
{
    unsigned generation = ++m_scanGeneration;
    std::weak_ptr<VornickInotifyFileTreeWatcher> weakThis = weak_from_this();
    RunLoop::main().perform([weakThis, generation] {
        auto watcher = weakThis.lock();
        // A later scan or a stop replaces this one.
        if (!watcher || watcher->m_scanGeneration != generation)
            return;
        VornickFileTreeEvents events;
        std::vector<std::string> pending { watcher->m_path };
        while (!pending.empty()) {
            auto folder = std::move(pending.back());
            pending.pop_back();
            auto listed = directoryEntryNames(folder);
            if (!listed)
                continue;
            const auto& names = *listed;
            for (auto name = names.rbegin(); name != names.rend(); ++name) {
                auto path = joinPath(folder, *name);
                if (isRealDirectory(path))
                    pending.push_back(path);
            }
            for (const auto& name : names)
                events.push_back(watcher->makeEvent(VornickFileTreeEventKind::FileAdded, joinPath(folder, name)));
        }
        watcher->deliver(std::move(events));
    });
}

void VornickInotifyFileTreeWatcher::readEvents()
{
    VornickFileTreeEvents events;
    alignas(struct inotify_event) char buffer[16 * 1024];
    for (;;) {
        ssize_t length = ::read(m_fd, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            auto* event = reinterpret_cast<const struct inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                events.push_back(makeEvent(VornickFileTreeEventKind::TreeMustBeRescanned, m_path));
                continue;
            }
            auto folder = m_watchedFolders.find(event->wd);
            if (folder == m_watchedFolders.end())
                continue;
            if (event->mask & IN_IGNORED) {
                m_watchedFolders.erase(folder);
                continue;
            }
            if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                // The root itself went away; children report their own removal.
                if (folder->second == m_path)
                    events.push_back(makeEvent(VornickFileTreeEventKind::FileRemoved, m_path));
                continue;
            }
            if (!event->len)
                continue;
            auto path = joinPath(folder->second, event->name);
            if (event->mask & (IN_CREATE | IN_MOVED_TO)) {
                events.push_back(makeEvent(VornickFileTreeEventKind::FileAdded, path));
                if (event->mask & IN_ISDIR)
                    addWatchesBelow(path, &events);
            } else if (event->mask & (IN_DELETE | IN_MOVED_FROM)) {
                events.push_back(makeEvent(VornickFileTreeEventKind::FileRemoved, path));
                // A folder moved out of the tree must not go on reporting
                // under its old path (moved within, it is watched again).
                if ((event->mask & IN_MOVED_FROM) && (event->mask & IN_ISDIR))
                    removeWatchesBelow(path);
            } else if (event->mask & (IN_MODIFY | IN_CLOSE_WRITE)) {
                // One change per file and batch.
                bool reported = !events.empty() && events.back()->kind() == VornickFileTreeEventKind::FileChanged
                    && events.back()->fileURL().fileSystemPath() == path;
                if (!reported)
                    events.push_back(makeEvent(VornickFileTreeEventKind::FileChanged, path));
            }
        }
    }
    if (!events.empty())
        deliver(std::move(events));
}

std::shared_ptr<VornickFileTreeEvent> VornickInotifyFileTreeWatcher::makeEvent(VornickFileTreeEventKind kind,
                                                                              const std::string& path)
{
    return VornickFileTreeEvent::create(kind, URL::fileURLWithPath(path), ++m_latestEventID);
}

void VornickInotifyFileTreeWatcher::deliver(VornickFileTreeEvents events)
{
    // A copy: the handler may replace itself.
    auto handler = m_handler;
    if (handler && !events.empty())
        handler(events);
}

void VornickInstallFileTreeWatcherMaker()
{
    VornickFileTreeWatcher::setMaker([](const URL& folderURL, uint64_t eventID) -> std::shared_ptr<VornickFileTreeWatcher> {
        return VornickInotifyFileTreeWatcher::create(folderURL, eventID);
    });
}

} // namespace brevanton
