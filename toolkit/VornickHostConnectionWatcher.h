// VornickHostConnectionWatcher: watches whether a host name can be reached and
// tells its delegate, on the main run loop, when that changes. The sync engine
// uses it to notice going offline and coming back.
#pragma once

#include "platform/net/HostReachability.h"

#include <cstdint>
#include <memory>
#include <string>

namespace brevanton {

class VornickHostConnectionWatcher;

enum class VornickHostConnectionStatus : int32_t {
    Unreachable = 0,
    Reachable = 1,
    Unknown = 2, // before the first report
};

class VornickHostConnectionWatcherDelegate {
public:
    virtual ~VornickHostConnectionWatcherDelegate() = default;
    // `reachable` is the new status.
    virtual void hostConnectionWatcher(VornickHostConnectionWatcher&, bool /*reachable*/) { }
};

class VornickHostConnectionWatcher {
public:
    // Starts watching `hostName` at once. `probe` replaces the connection
    // probe of HostReachability (tests).
    explicit VornickHostConnectionWatcher(std::u16string hostName, HostReachability::Probe probe = {});
    // Stops the watch; the delegate hears nothing more.
    ~VornickHostConnectionWatcher();

    VornickHostConnectionWatcher(const VornickHostConnectionWatcher&) = delete;
    VornickHostConnectionWatcher& operator=(const VornickHostConnectionWatcher&) = delete;

    const std::u16string& hostName() const { return m_hostName; }
    // VornickHostConnectionStatus::Unknown until the first report, then reachable or not.
    VornickHostConnectionStatus hostConnectionStatus() const { return m_status; }

    // Not owned.
    VornickHostConnectionWatcherDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickHostConnectionWatcherDelegate* delegate) { m_delegate = delegate; }

    // Probes again soon.
    void checkNow();

    // Called with each probe result: updates the status and tells the delegate
    // when it changed (so the first result is always told).
    void reachabilityChanged(bool reachable);

private:
    std::u16string m_hostName;
    VornickHostConnectionStatus m_status { VornickHostConnectionStatus::Unknown };
    VornickHostConnectionWatcherDelegate* m_delegate { nullptr };
    std::shared_ptr<HostReachability> m_reachability;
};

} // namespace brevanton
