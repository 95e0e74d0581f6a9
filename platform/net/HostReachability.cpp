#include "platform/net/HostReachability.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <thread>

namespace brevanton {

// The state shared with the background thread; the thread keeps it alive after
// the watcher is gone (a probe can be stuck in name resolution for a while).
struct HostReachability::Worker {
    std::atomic<bool> stopped { false };
    int wakeFD { -1 };
    int netlinkFD { -1 };

    Worker()
    {
        wakeFD = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        netlinkFD = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
        if (netlinkFD >= 0) {
            sockaddr_nl address {};
            address.nl_family = AF_NETLINK;
            address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
            if (::bind(netlinkFD, reinterpret_cast<sockaddr*>(&address), sizeof address) < 0) {
                ::close(netlinkFD);
                netlinkFD = -1;
            }
        }
    }

    ~Worker()
    {
        if (wakeFD >= 0)
            ::close(wakeFD);
        if (netlinkFD >= 0)
            ::close(netlinkFD);
    }

    void wake()
    {
        uint64_t one = 1;
        [[maybe_unused]] auto written = ::write(wakeFD, &one, sizeof one);
    }

    // Waits for a reason to probe again: an interval passed, a netlink message,
    // or a wake-up. Answers false when stopped.
    bool wait(double interval)
    {
        pollfd fds[2] = { { wakeFD, POLLIN, 0 }, { netlinkFD, POLLIN, 0 } };
        int count = netlinkFD >= 0 ? 2 : 1;
        int timeout = static_cast<int>(std::lround(interval * 1000));
        int result = ::poll(fds, count, timeout);
        char buffer[8192];
        if (result > 0) {
            if (fds[0].revents) {
                uint64_t value;
                [[maybe_unused]] auto bytes = ::read(wakeFD, &value, sizeof value);
            }
            if (count == 2 && fds[1].revents) {
                while (::recv(netlinkFD, buffer, sizeof buffer, MSG_DONTWAIT) > 0) { }
                // Let a burst of changes settle before probing.
                ::poll(nullptr, 0, 200);
                while (::recv(netlinkFD, buffer, sizeof buffer, MSG_DONTWAIT) > 0) { }
            }
        }
        return !stopped;
    }
};

std::shared_ptr<HostReachability> HostReachability::create(std::u16string hostName, ChangeHandler handler, Probe probe)
{
    return std::shared_ptr<HostReachability>(new HostReachability(std::move(hostName), std::move(handler), std::move(probe)));
}

HostReachability::HostReachability(std::u16string hostName, ChangeHandler handler, Probe probe)
    : m_hostName(std::move(hostName))
    , m_handler(std::move(handler))
    , m_probe(probe ? std::move(probe) : Probe([](const std::string& host) { return probeHost(host); }))
{
}

HostReachability::~HostReachability()
{
    stop();
}

void HostReachability::start(double probeInterval)
{
    if (m_worker)
        return;
    m_worker = std::make_shared<Worker>();
    std::weak_ptr<HostReachability> weakThis = weak_from_this();
    std::thread([worker = m_worker, probe = m_probe, host = toUTF8(m_hostName), weakThis, probeInterval] {
        do {
            bool reachable = probe(host);
            if (worker->stopped)
                break;
            RunLoop::main().perform([worker, weakThis, reachable] {
                if (worker->stopped)
                    return;
                if (auto strongThis = weakThis.lock())
                    strongThis->deliver(reachable);
            });
        } while (worker->wait(probeInterval));
    }).detach();
}

void HostReachability::stop()
{
    if (!m_worker)
        return;
    m_worker->stopped = true;
    m_worker->wake();
    m_worker = nullptr;
}

void HostReachability::checkNow()
{
    if (m_worker)
        m_worker->wake();
}

void HostReachability::deliver(bool reachable)
{
    if (m_reachable == reachable)
        return;
    m_reachable = reachable;
    if (m_handler)
        m_handler(reachable);
}

bool HostReachability::probePort(const std::string& host, int port, double timeoutSeconds)
{
    if (host.empty())
        return false;
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* addresses = nullptr;
    std::string service = std::to_string(port);
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses) != 0)
        return false;
    bool reachable = false;
    for (addrinfo* address = addresses; address && !reachable; address = address->ai_next) {
        int fd = ::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, address->ai_protocol);
        if (fd < 0)
            continue;
        int result = ::connect(fd, address->ai_addr, address->ai_addrlen);
        if (result == 0) {
            reachable = true;
        } else if (errno == ECONNREFUSED) {
            reachable = true;
        } else if (errno == EINPROGRESS) {
            pollfd descriptor { fd, POLLOUT, 0 };
            if (::poll(&descriptor, 1, static_cast<int>(std::lround(timeoutSeconds * 1000))) > 0) {
                int socketError = 0;
                socklen_t length = sizeof socketError;
                ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &socketError, &length);
                reachable = socketError == 0 || socketError == ECONNREFUSED;
            }
        }
        ::close(fd);
    }
    ::freeaddrinfo(addresses);
    return reachable;
}

bool HostReachability::probeHost(const std::string& host, double timeoutSeconds)
{
    return probePort(host, 443, timeoutSeconds) || probePort(host, 80, timeoutSeconds);
}

} // namespace brevanton
