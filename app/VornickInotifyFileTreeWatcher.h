// VornickInotifyFileTreeWatcher: the file tree watcher of the application.
// It watches a folder and every folder below it with inotify (folders created
// later included) and hands batches of events to its handler on the main run
// loop. A scan reports everything in the tree as added, parents first.
#pragma once

#include "toolkit/VornickFileTreeEvent.h"
#include "toolkit/VornickFileTreeWatcher.h"

#include <map>
#include <memory>
#include <string>

namespace brevanton {

class VornickInotifyFileTreeWatcher final : public VornickFileTreeWatcher,
                                            public std::enable_shared_from_this<VornickInotifyFileTreeWatcher> {
public:
    // Null for a URL that is not a file URL. Event identifiers continue
    // after `resumingFromEventID` (inotify keeps no history to resume from).
    static std::shared_ptr<VornickInotifyFileTreeWatcher> create(const URL& folderURL, uint64_t resumingFromEventID);
    ~VornickInotifyFileTreeWatcher() override;

    void setDelegate(VornickFileTreeWatcherDelegate* delegate) override { m_delegate = delegate; }
    VornickFileTreeWatcherDelegate* delegate() const override { return m_delegate; }
    void setFileEventsHandler(FileEventsHandler handler) override { m_handler = std::move(handler); }
    // Idempotent; false (logged) when inotify cannot watch the folder.
    void startWatchingForFileTreeChanges() override;
    // Reports the tree's present contents in one batch on the next turn of the main run loop.
    void startOrRestartFileTreeScan() override;
    void stopWatching();

    const URL& folderURL() const { return m_folderURL; }
    bool isWatching() const { return m_fd >= 0; }
    // The identifier of the latest event reported.
    uint64_t latestEventID() const { return m_latestEventID; }

private:
    VornickInotifyFileTreeWatcher(URL folderURL, std::string path, uint64_t eventID);
    void addWatchesBelow(const std::string& folderPath, VornickFileTreeEvents* addedEvents);
    void removeWatchesBelow(const std::string& folderPath);
    void readEvents();
    void deliver(VornickFileTreeEvents);
    std::shared_ptr<VornickFileTreeEvent> makeEvent(VornickFileTreeEventKind, const std::string& path);

    URL m_folderURL;
    std::string m_path;
    VornickFileTreeWatcherDelegate* m_delegate { nullptr };
    FileEventsHandler m_handler;
    int m_fd { -1 };
    uint64_t m_sourceToken { 0 };
    bool m_hasSource { false };
    std::map<int, std::string> m_watchedFolders;
    uint64_t m_latestEventID;
    unsigned m_scanGeneration { 0 };
};

// Installs VornickInotifyFileTreeWatcher as the maker of file tree watchers.
void VornickInstallFileTreeWatcherMaker();

} // namespace brevanton
