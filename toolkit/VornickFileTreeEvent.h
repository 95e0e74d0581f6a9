// VornickFileTreeEvent: one change inside a watched folder tree, with a
// snapshot of the file or folder as it was when the event was made.
#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <memory>

namespace brevanton {

class VornickFileSnapshot;

enum class VornickFileTreeEventKind : int {
    // The contents of a file changed.
    FileChanged = 1,
    // A file or folder went away (deleted or moved out of the tree).
    FileRemoved = 2,
    // A file or folder appeared (created, moved in, or found by a scan).
    FileAdded = 3,
    // Events were lost; whoever keeps state about the tree should scan it again.
    TreeMustBeRescanned = 4,
};

class VornickFileTreeEvent {
public:
    static std::shared_ptr<VornickFileTreeEvent> create(VornickFileTreeEventKind, const URL& fileURL,
                                                        uint64_t eventID);

    VornickFileTreeEventKind kind() const { return m_kind; }
    const URL& fileURL() const { return m_fileURL; }
    // Grows with every event of a watcher.
    uint64_t eventID() const { return m_eventID; }
    // What is at the URL now (exists() is false for a removed file); for an
    // added folder, a snapshot of its whole tree.
    const std::shared_ptr<VornickFileSnapshot>& fileSnapshot() const { return m_fileSnapshot; }

private:
    VornickFileTreeEvent(VornickFileTreeEventKind kind, URL fileURL, uint64_t eventID)
        : m_kind(kind), m_fileURL(std::move(fileURL)), m_eventID(eventID) {}

    VornickFileTreeEventKind m_kind;
    URL m_fileURL;
    uint64_t m_eventID;
    std::shared_ptr<VornickFileSnapshot> m_fileSnapshot;
};

} // namespace brevanton
