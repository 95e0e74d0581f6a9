#include "documents/VornickProjectFolderWatcher.h"

#include "platform/foundation/Text.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace brevanton {

VornickProjectFolderWatcher::VornickProjectFolderWatcher(std::string root, std::function<void()> changed)
    : m_root(std::move(root))
    , m_changed(std::move(changed))
{
}

VornickProjectFolderWatcher::~VornickProjectFolderWatcher()
{
    m_timer.invalidate();
    for (auto& [path, watcher] : m_watchers)
        watcher->stopWatching();
}

std::unique_ptr<VornickProjectFolderWatcher> VornickProjectFolderWatcher::create(const URL& folder, std::function<void()> changed,
                                                                                 Error* outError)
{
    auto path = folder.fileSystemPath();
    if (!path) {
        setError(outError, Error(POSIXErrorDomain, EINVAL, u"Not a file URL: " + folder.absoluteString()));
        return nullptr;
    }
    std::string root = std::filesystem::path(*path).lexically_normal().string();
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    std::unique_ptr<VornickProjectFolderWatcher> watcher(new VornickProjectFolderWatcher(root, std::move(changed)));
    if (!watcher->watchTree(root, outError))
        return nullptr;
    return watcher;
}

bool VornickProjectFolderWatcher::watchTree(const std::string& path, Error* outError)
{
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, error))) {
        // A folder below that went away meanwhile is no failure.
        if (path != m_root)
            return true;
        setError(outError, Error(POSIXErrorDomain, ENOTDIR, toUTF16("Not a folder: " + path)));
        return false;
    }
    if (!m_watchers.count(path)) {
        // The watcher lives in the map as long as the callback may run, and
        // stops before it is removed: `this` stays valid for the callback.
        auto watcher = FileWatcher::watch(path, [this, path](const FileWatcherEvent& event) { folderChanged(path, event); }, outError);
        if (!watcher)
            return false;
        m_watchers.emplace(path, std::move(watcher));
    }
    for (std::filesystem::directory_iterator entries(path, error), end; !error && entries != end; entries.increment(error)) {
        std::string name = entries->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code kindError;
        if (entries->is_directory(kindError) && !entries->is_symlink(kindError)) {
            Error ignored;
            (void)watchTree(entries->path().string(), &ignored);
        }
    }
    return true;
}

void VornickProjectFolderWatcher::folderChanged(const std::string& path, const FileWatcherEvent& event)
{
    if (event.has(FileWatcherEvent::ChildrenChanged) || event.has(FileWatcherEvent::Overflow)
        || event.has(FileWatcherEvent::Replaced)) {
        // New folders are watched at once, so that files saved into them
        // right after are heard too.
        Error ignored;
        (void)watchTree(path, &ignored);
    }
    scheduleCallback();
}

void VornickProjectFolderWatcher::scheduleCallback()
{
    m_timer = Timer::scheduledTimer(CoalescingDelay, false, [this](Timer&) {
        // Folders removed meanwhile are no longer watched.
        for (auto it = m_watchers.begin(); it != m_watchers.end();) {
            if (it->first != m_root && !it->second->isActive()) {
                it->second->stopWatching();
                it = m_watchers.erase(it);
            } else
                ++it;
        }
        if (m_changed)
            m_changed();
    });
}

} // namespace brevanton
