// FileWatcher: watches one file or folder by path with inotify and reports
// its changes on the main run loop or on an operation queue.
//
// The watch follows the path, not the file: when the file is deleted and a
// new one is created under the same name, or another file is renamed over it
// (an atomic save, also one that exchanges the two files), the watcher
// reports that and goes on watching the new file. For this it also watches
// the parent folder, which must exist.
//
// A file's writes are reported once per write, not once per chunk: a writer
// that truncates the file and writes it in several chunks is reported when it
// closes the file, or SettleTime after its last write if it keeps the file
// open. A file created at the path (not renamed there whole) is reported the
// same way, once written. Changes that cannot be half done (a rename over the
// file, a deletion) are reported at once, with any write still settling.
// The settle time runs on the main run loop's clock, so the main run loop
// must run for a writer that keeps its file open to be heard.
//
// stopWatching() (also run by the destructor) is synchronized with delivery:
// once it returns, the callback never starts again, and a callback running
// on another thread has finished. It may be called from inside the callback.
#pragma once

#include "platform/foundation/Error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class OperationQueue;

struct FileWatcherEvent {
    enum Flag : uint32_t {
        // The watched file's contents were written (a folder's: see ChildrenChanged).
        Modified = 1 << 0,
        // Nothing is at the path any more: deleted or renamed away.
        Removed = 1 << 1,
        // A file appeared at the path (created, or renamed over the old one); it is watched now.
        Replaced = 1 << 2,
        // For a watched folder: entries were created, deleted, renamed or written (see `names`).
        ChildrenChanged = 1 << 3,
        // The system dropped events; anything may have changed.
        Overflow = 1 << 4,
    };

    // Events of one batch are folded into one delivery.
    uint32_t flags { 0 };
    // For a watched folder, the names of the entries concerned, in order of first report.
    std::vector<std::string> names;

    bool has(Flag flag) const { return flags & flag; }
};

class FileWatcher {
public:
    using Callback = std::function<void(const FileWatcherEvent&)>;

    // How long a file written and still open must go unwritten before its
    // change is reported.
    static constexpr double SettleTime = 0.1;

    // Watches `path` (a file, a folder, or nothing yet) and calls `callback`
    // on the main run loop. Fails with a POSIX error when the parent folder
    // cannot be watched.
    [[nodiscard]] static std::unique_ptr<FileWatcher> watch(const std::string& path, Callback callback, Error* outError = nullptr);
    // The same with the callback run on `queue`, which must outlive the watcher.
    [[nodiscard]] static std::unique_ptr<FileWatcher> watch(const std::string& path, OperationQueue& queue, Callback callback,
                                              Error* outError = nullptr);

    ~FileWatcher();
    FileWatcher(const FileWatcher&) = delete;
    FileWatcher& operator=(const FileWatcher&) = delete;

    const std::string& path() const { return m_path; }

    // Ends the watch and lets go of the callback.
    void stopWatching();

    // True while something exists at the path and is being watched.
    bool isActive() const;
    // True until stopWatching() or until the parent folder went away.
    bool isWatching() const;

    struct State;

private:
    FileWatcher(std::string path, std::shared_ptr<State>);
    std::string m_path;
    std::shared_ptr<State> m_state;
};

} // namespace brevanton
