#include "platform/foundation/URLHandoff.h"

#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace brevanton {

namespace {

constexpr std::string_view socketPrefix = "handoff-";
constexpr std::string_view socketSuffix = ".socket";
// How long a listener waits for the address once a process connected.
constexpr int listenerReadTimeoutMilliseconds = 2000;

Error handoffError(int code, const std::string& what)
{
    return Error(POSIXErrorDomain, code, toUTF16(what + ": " + std::strerror(code)));
}

// Whether the folder at the path is ours alone; fills the error when not.
bool isPrivateFolder(const std::string& path, Error* outError)
{
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) {
        setError(outError, handoffError(errno, path));
        return false;
    }
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        setError(outError, Error(POSIXErrorDomain, EPERM,
            toUTF16(path + " is not a folder of this user's closed to others; no address is handed on through it.")));
        return false;
    }
    return true;
}

bool fillAddress(sockaddr_un& address, const std::string& path)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

int millisecondsLeft(std::chrono::steady_clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for the descriptor to be ready for `events` until the deadline.
bool waitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        pollfd entry { fd, events, 0 };
        int ready = ::poll(&entry, 1, millisecondsLeft(deadline));
        if (ready > 0)
            return (entry.revents & events) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool writeAll(int fd, std::string_view bytes, std::chrono::steady_clock::time_point deadline)
{
    while (!bytes.empty()) {
        ssize_t written = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (written > 0) {
            bytes.remove_prefix(static_cast<size_t>(written));
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLOUT, deadline))
            continue;
        return false;
    }
    return true;
}

// Reads up to the first line break, at most `limit` bytes before it; nothing
// when the line is longer, the peer went away first or the deadline passed.
std::optional<std::string> readLine(int fd, size_t limit, std::chrono::steady_clock::time_point deadline)
{
    std::string line;
    char buffer[1024];
    for (;;) {
        ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got > 0) {
            line.append(buffer, static_cast<size_t>(got));
            if (size_t end = line.find('\n'); end != std::string::npos) {
                line.resize(end);
                return line;
            }
            if (line.size() > limit)
                return std::nullopt;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && waitFor(fd, POLLIN, deadline))
            continue;
        return std::nullopt;
    }
}

enum class SocketAnswer { Taken, NotTaken, Gone, Silent };

SocketAnswer offerTo(const std::string& path, std::string_view url, double timeout)
{
    sockaddr_un address;
    if (!fillAddress(address, path))
        return SocketAnswer::Silent;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return SocketAnswer::Silent;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(static_cast<int64_t>(timeout * 1000));
    SocketAnswer answer = SocketAnswer::Silent;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        // A socket file nobody listens on any more.
        if (errno == ECONNREFUSED)
            answer = SocketAnswer::Gone;
    } else if (writeAll(fd, std::string(url) + "\n", deadline)) {
        if (auto line = readLine(fd, 16, deadline))
            answer = *line == "1" ? SocketAnswer::Taken : SocketAnswer::NotTaken;
    }
    ::close(fd);
    return answer;
}

} // namespace

std::optional<std::string> URLHandoffFolder(Error* outError)
{
    std::string folder;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/' && isPrivateFolder(runtime, nullptr))
        folder = std::string(runtime) + "/brevanton";
    else
        folder = "/tmp/brevanton-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        setError(outError, handoffError(errno, folder));
        return std::nullopt;
    }
    if (!isPrivateFolder(folder, outError))
        return std::nullopt;
    return folder;
}

URLHandoffResult handOffURL(std::string_view url, double timeout)
{
    if (url.empty() || url.size() > URLHandoffMaximumLength || url.find_first_of("\r\n") != std::string_view::npos)
        return URLHandoffResult::NoListener;
    auto folder = URLHandoffFolder(nullptr);
    if (!folder)
        return URLHandoffResult::NoListener;
    std::vector<std::string> sockets;
    if (DIR* directory = ::opendir(folder->c_str())) {
        while (dirent* entry = ::readdir(directory)) {
            std::string_view name = entry->d_name;
            if (name.starts_with(socketPrefix) && name.ends_with(socketSuffix))
                sockets.push_back(*folder + "/" + std::string(name));
        }
        ::closedir(directory);
    }
    URLHandoffResult result = URLHandoffResult::NoListener;
    for (const auto& path : sockets) {
        switch (offerTo(path, url, timeout)) {
        case SocketAnswer::Taken:
            return URLHandoffResult::Taken;
        case SocketAnswer::NotTaken:
            result = URLHandoffResult::NotTaken;
            break;
        case SocketAnswer::Gone:
            ::unlink(path.c_str());
            break;
        case SocketAnswer::Silent:
            break;
        }
    }
    return result;
}

std::unique_ptr<URLHandoffListener> URLHandoffListener::start(Handler handler, Error* outError)
{
    auto folder = URLHandoffFolder(outError);
    if (!folder)
        return nullptr;
    // Named after the process and the listener, so that no two listeners
    // share a name; one left by an earlier process of the same number is dead.
    static std::atomic<unsigned> listeners { 0 };
    std::string path = *folder + "/" + std::string(socketPrefix) + std::to_string(::getpid()) + "-" + std::to_string(++listeners)
        + std::string(socketSuffix);
    sockaddr_un address;
    if (!fillAddress(address, path)) {
        setError(outError, Error(POSIXErrorDomain, ENAMETOOLONG, toUTF16("The socket path " + path + " is too long.")));
        return nullptr;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        setError(outError, handoffError(errno, "socket"));
        return nullptr;
    }
    ::unlink(path.c_str());
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::chmod(path.c_str(), 0600) != 0
        || ::listen(fd, 8) != 0) {
        int code = errno;
        ::close(fd);
        ::unlink(path.c_str());
        setError(outError, handoffError(code, path));
        return nullptr;
    }
    return std::unique_ptr<URLHandoffListener>(new URLHandoffListener(fd, std::move(path), std::move(handler)));
}

URLHandoffListener::URLHandoffListener(int fd, std::string socketPath, Handler handler)
    : m_fd(fd)
    , m_socketPath(std::move(socketPath))
    , m_handler(std::move(handler))
{
    m_source = RunLoop::main().addFileDescriptorSource(m_fd, POLLIN, [this](int, short) { acceptConnection(); });
}

URLHandoffListener::~URLHandoffListener()
{
    RunLoop::main().removeSource(m_source);
    ::close(m_fd);
    ::unlink(m_socketPath.c_str());
}

void URLHandoffListener::acceptConnection()
{
    int connection = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (connection < 0)
        return;
    ucred peer {};
    socklen_t size = sizeof peer;
    bool sameUser = ::getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
    if (!sameUser) {
        ::close(connection);
        return;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(listenerReadTimeoutMilliseconds);
    bool taken = false;
    // The handler may end this listener: it runs on a copy.
    Handler handler = m_handler;
    if (auto url = readLine(connection, URLHandoffMaximumLength, deadline); url && !url->empty())
        taken = handler(*url);
    else
        consoleLog("An address handed to this process could not be read; it was left alone.");
    (void)writeAll(connection, taken ? "1\n" : "0\n", deadline);
    ::close(connection);
}

} // namespace brevanton
