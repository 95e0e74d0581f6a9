// VornickFileWatcher: watches one file and calls a block on an operation
// queue whenever the file is written, replaced, renamed away or deleted (a
// file written in chunks once, when written: see FileWatcher).
//
// The watch follows the path: a file saved atomically (a new file renamed
// over the old one) or deleted and then created again goes on being watched.
// While nothing is at the path the watcher is inactive; it becomes active
// again when a file appears there. A watcher made for a file that does not
// exist stays inactive and never calls its block.
//
// stopWatching() (also run when the watcher is destroyed) is synchronized
// with the calls: once it returned, the block is never called again, and a
// call running on another thread has ended. (A block that waits for the
// thread that stops its watcher would therefore never end.)
#pragma once

#include "platform/foundation/FileWatcher.h"
#include "platform/foundation/URL.h"

#include <functional>
#include <memory>
#include <mutex>

namespace brevanton {

class OperationQueue;

class VornickFileWatcher : public std::enable_shared_from_this<VornickFileWatcher> {
public:
    using Block = std::function<void(VornickFileWatcher&)>;

    // All three are required (assertions "newFileURL", "newBlock", "newQueue"
    // for a missing block or queue); a URL that is not a file URL answers
    // nullptr. `queue` must outlive the watcher.
    static std::shared_ptr<VornickFileWatcher> create(const URL& newFileURL, Block newBlock, OperationQueue* newQueue);
    virtual ~VornickFileWatcher();

    const URL& fileURL() const { return m_fileURL; }
    void stopWatching();
    // True while a file is at the path and watched.
    bool isActive() const;

    // "VornickFileWatcher(0x...) for file:///... (watching)" or "(INACTIVE!)".
    std::u16string description() const;

protected:
    VornickFileWatcher(const URL& fileURL, Block block, OperationQueue* queue);
    virtual const char* className() const { return "VornickFileWatcher"; }
    void start();

private:
    void handleFileEvent(const FileWatcherEvent&);

    URL m_fileURL;
    Block m_block;
    OperationQueue* m_queue;
    mutable std::mutex m_mutex;
    std::unique_ptr<FileWatcher> m_source;
};

} // namespace brevanton
