// What this layer uses of the application layer's file tree watching: a
// watcher of a folder tree that reports batches of file tree events, and the
// application delegate's update of its known file URLs. The application
// layer implements both and installs them at start-up; until it does, no
// file tree watcher can be made and event batches go nowhere.
#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class VornickFileTreeEvent;
using VornickFileTreeEvents = std::vector<std::shared_ptr<VornickFileTreeEvent>>;

// The delegate of a file tree watcher; its operations belong to the application layer.
class VornickFileTreeWatcherDelegate {
public:
    virtual ~VornickFileTreeWatcherDelegate() = default;
};

class VornickFileTreeWatcher {
public:
    using FileEventsHandler = std::function<void(const VornickFileTreeEvents&)>;
    using Maker = std::function<std::shared_ptr<VornickFileTreeWatcher>(const URL& folderURL, uint64_t eventID)>;

    virtual ~VornickFileTreeWatcher() = default;

    // A watcher of the tree at `folderURL`, resuming after a saved event
    // identifier (0: none). nullptr while no maker is installed.
    static std::shared_ptr<VornickFileTreeWatcher> createToWatchFileTreeAtURL(const URL& folderURL,
                                                                            uint64_t resumingFromFSEventID);
    static void setMaker(Maker);

    // Not owned.
    virtual void setDelegate(VornickFileTreeWatcherDelegate*) = 0;
    virtual VornickFileTreeWatcherDelegate* delegate() const = 0;
    virtual void setFileEventsHandler(FileEventsHandler) = 0;
    virtual void startWatchingForFileTreeChanges() = 0;
    virtual void startOrRestartFileTreeScan() = 0;
};

// The application delegate's update of the known file URLs.
class VornickKnownFileURLsUpdater {
public:
    virtual ~VornickKnownFileURLsUpdater() = default;
    // Queues the update and returns at once.
    virtual void updateKnownFileURLsFromFileTreeEvents(const VornickFileTreeEvents&) = 0;

    static std::shared_ptr<VornickKnownFileURLsUpdater> shared();
    static void setShared(std::shared_ptr<VornickKnownFileURLsUpdater>);
};

} // namespace brevanton
