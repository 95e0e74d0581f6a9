#include "toolkit/VornickHostConnectionWatcher.h"

namespace brevanton {

VornickHostConnectionWatcher::VornickHostConnectionWatcher(std::u16string hostName, HostReachability::Probe probe)
    : m_hostName(std::move(hostName))
{
    // The reachability object is owned here and stopped in the destructor, so
    // its handler never outlives the watcher.
    m_reachability = HostReachability::create(m_hostName, [this](bool reachable) { reachabilityChanged(reachable); },
                                              std::move(probe));
    m_reachability->start();
}

VornickHostConnectionWatcher::~VornickHostConnectionWatcher()
{
    m_reachability->stop();
}

void VornickHostConnectionWatcher::checkNow()
{
    m_reachability->checkNow();
}

void VornickHostConnectionWatcher::reachabilityChanged(bool reachable)
{
    VornickHostConnectionStatus status = reachable ? VornickHostConnectionStatus::Reachable : VornickHostConnectionStatus::Unreachable;
    if (status == m_status)
        return;
    m_status = status;
    if (m_delegate)
        m_delegate->hostConnectionWatcher(*this, reachable);
}

} // namespace brevanton
