#include "toolkit/VornickBoundedLogFile.h"

#include "platform/foundation/FileUtilities.h"

#include <cerrno>
#include <optional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevanton {

namespace {

class OpenLogFile {
public:
    explicit OpenLogFile(const std::string& path)
        : m_fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644))
    {
    }
    ~OpenLogFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    OpenLogFile(const OpenLogFile&) = delete;
    OpenLogFile& operator=(const OpenLogFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int descriptor() const { return m_fd; }

private:
    int m_fd;
};

bool lockFile(int fd, int operation)
{
    while (::flock(fd, operation)) {
        if (errno != EINTR)
            return false;
    }
    return true;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

std::optional<size_t> fileSize(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status))
        return std::nullopt;
    return static_cast<size_t>(status.st_size);
}

// The newest `sizeLimit` bytes of the file, from the first line that starts
// in them.
std::optional<std::string> newestPart(const std::string& logPath, size_t size, size_t sizeLimit)
{
    int fd = ::open(logPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    // One byte more, to tell whether the part starts a line.
    size_t start = size > sizeLimit ? size - sizeLimit - 1 : 0;
    std::string part(size - start, '\0');
    size_t read = 0;
    while (read < part.size()) {
        ssize_t count = ::pread(fd, part.data() + read, part.size() - read, static_cast<off_t>(start + read));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        read += static_cast<size_t>(count);
    }
    ::close(fd);
    if (read < part.size())
        return std::nullopt;
    if (start) {
        size_t lineEnd = part.find('\n');
        part.erase(0, lineEnd == std::string::npos ? part.size() : lineEnd + 1);
    }
    return part;
}

// Holding the file exclusively, so that no process appends meanwhile: its
// newest part goes to the file of earlier lines, and it is emptied.
void moveNewestPartAway(int fd, const std::string& logPath, size_t sizeLimit)
{
    if (!lockFile(fd, LOCK_EX))
        return;
    // Another process may have done it while this one waited.
    auto size = fileSize(fd);
    if (size && *size > sizeLimit) {
        auto part = newestPart(logPath, *size, sizeLimit);
        // Lines are dropped only once they are the older half of the bound.
        if (part && writeFileAtomically(VornickEarlierLogFilePath(logPath), *part))
            static_cast<void>(::ftruncate(fd, 0));
    }
    lockFile(fd, LOCK_UN);
}

} // namespace

std::string VornickEarlierLogFilePath(const std::string& logPath)
{
    size_t slash = logPath.rfind('/');
    size_t dot = logPath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return logPath + ".old";
    return logPath.substr(0, dot) + ".old" + logPath.substr(dot);
}

bool VornickAppendToBoundedLogFile(const std::string& logPath, std::string_view bytes, size_t sizeLimit)
{
    OpenLogFile file(logPath);
    if (!file.isOpen() || !lockFile(file.descriptor(), LOCK_SH))
        return false;
    // One write at the end of the file, whoever else appends.
    bool written = writeAll(file.descriptor(), bytes);
    auto size = fileSize(file.descriptor());
    lockFile(file.descriptor(), LOCK_UN);
    if (written && size && *size > sizeLimit)
        moveNewestPartAway(file.descriptor(), logPath, sizeLimit);
    return written;
}

} // namespace brevanton
