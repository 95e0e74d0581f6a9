#include "toolkit/VornickFileTreeEvent.h"

#include "toolkit/VornickFileSnapshot.h"

namespace brevanton {

std::shared_ptr<VornickFileTreeEvent> VornickFileTreeEvent::create(VornickFileTreeEventKind kind, const URL& fileURL,
                                                                   uint64_t eventID)
{
    auto event = std::shared_ptr<VornickFileTreeEvent>(new VornickFileTreeEvent(kind, fileURL, eventID));
    // A folder that appeared comes with everything in it: whoever indexes the
    // tree walks the snapshot rather than the folder, which may change meanwhile.
    event->m_fileSnapshot = kind == VornickFileTreeEventKind::FileAdded
        ? VornickFileSnapshot::createSnapshotOfTreeAtURL(fileURL)
        : VornickFileSnapshot::createAsStandaloneSnapshotOfURL(fileURL);
    return event;
}

} // namespace brevanton
