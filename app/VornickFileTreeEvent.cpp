#include "app/VornickFileTreeEvent.h"

#include "toolkit/VornickFileSnapshot.h"

namespace brevanton {

std::shared_ptr<VornickFileTreeEvent> VornickFileTreeEvent::create(VornickFileTreeEventKind kind, const URL& fileURL,
                                                                   uint64_t eventID)
{
    auto event = std::shared_ptr<VornickFileTreeEvent>(new VornickFileTreeEvent(kind, fileURL, eventID));
    event->m_fileSnapshot = VornickFileSnapshot::createAsStandaloneSnapshotOfURL(fileURL);
    return event;
}

} // namespace brevanton
