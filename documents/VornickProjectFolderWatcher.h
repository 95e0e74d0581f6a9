// VornickProjectFolderWatcher: hears changes to the files of a folder tree
// (the folder and every folder below it, those made later too) and tells its
// owner once per burst of changes, a short delay after the last one, so that
// a save of many files is read once. Folders named like hidden files are not
// watched. Main thread; the owner's callback never runs after the watcher
// is destroyed.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/FileWatcher.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace brevanton {

class VornickProjectFolderWatcher {
public:
    static constexpr double CoalescingDelay = 0.5;

    // Watches `folder` (which must exist); null with the error when it
    // cannot be watched.
    [[nodiscard]] static std::unique_ptr<VornickProjectFolderWatcher> create(const URL& folder, std::function<void()> changed,
                                                                             Error* outError);
    ~VornickProjectFolderWatcher();
    VornickProjectFolderWatcher(const VornickProjectFolderWatcher&) = delete;
    VornickProjectFolderWatcher& operator=(const VornickProjectFolderWatcher&) = delete;

    // The folders watched now.
    size_t numberOfWatchedFolders() const { return m_watchers.size(); }

private:
    VornickProjectFolderWatcher(std::string root, std::function<void()> changed);
    [[nodiscard]] bool watchTree(const std::string& path, Error* outError);
    void folderChanged(const std::string& path, const FileWatcherEvent&);
    void scheduleCallback();

    std::string m_root;
    std::function<void()> m_changed;
    std::map<std::string, std::unique_ptr<FileWatcher>> m_watchers;
    ScopedTimer m_timer;
};

} // namespace brevanton
