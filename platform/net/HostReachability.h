// HostReachability: watches whether a host can be reached. A background thread
// probes the host (name resolution, then a TCP connection attempt; a refused
// connection counts as reachable, since the host answered) when watching
// starts, whenever the kernel reports a change of links, addresses or routes
// (netlink), and at a regular interval. The handler runs on the main run loop,
// with the first result and then with every change.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class HostReachability : public std::enable_shared_from_this<HostReachability> {
public:
    using ChangeHandler = std::function<void(bool reachable)>;
    // Answers whether the host can be reached; runs on the background thread,
    // and a call under way when stop() is called still runs to its end.
    using Probe = std::function<bool(const std::string& utf8HostName)>;

    static constexpr double defaultProbeInterval = 60;

    // Watching begins with start(). Without a probe, probeHost() is used.
    static std::shared_ptr<HostReachability> create(std::u16string hostName, ChangeHandler, Probe = {});
    ~HostReachability();

    const std::u16string& hostName() const { return m_hostName; }

    // Starts the background thread; a second call does nothing.
    void start(double probeInterval = defaultProbeInterval);
    // Stops watching; no handler call follows once this returned (on the main thread).
    void stop();
    // Probes again soon (after a change the caller knows of).
    void checkNow();

    // The last result delivered on the main run loop; nullopt before the first.
    std::optional<bool> isReachable() const { return m_reachable; }

    // The connection probe: resolves `host` and tries TCP ports 443 and 80 on
    // each address, waiting at most `timeoutSeconds` per attempt.
    static bool probeHost(const std::string& utf8HostName, double timeoutSeconds = 3);
    static bool probePort(const std::string& utf8HostName, int port, double timeoutSeconds);

private:
    HostReachability(std::u16string hostName, ChangeHandler, Probe);
    void deliver(bool reachable);

    struct Worker;
    std::u16string m_hostName;
    ChangeHandler m_handler;
    Probe m_probe;
    std::optional<bool> m_reachable;
    std::shared_ptr<Worker> m_worker;
};

} // namespace brevanton
