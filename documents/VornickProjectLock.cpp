#include "documents/VornickProjectLock.h"

#include "platform/foundation/Text.h"
#include "toolkit/VornickErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace brevanton {

namespace {

struct Holds {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<VornickProjectLock>> byFolder;
};

Holds& holds()
{
    static Holds instance;
    return instance;
}

// The process id the lock file names, or 0.
long holderNamedIn(int fd)
{
    char text[32] = {};
    ssize_t length = ::pread(fd, text, sizeof text - 1, 0);
    if (length <= 0)
        return 0;
    return std::strtol(text, nullptr, 10);
}

Error fileError(const std::string& path, int code)
{
    return Error(POSIXErrorDomain, code,
        toUTF16("The project folder\u2019s lock file " + path + " cannot be made: " + std::strerror(code)));
}

} // namespace

VornickProjectLock::VornickProjectLock(std::string key, int fd)
    : m_key(std::move(key))
    , m_fd(fd)
{
}

VornickProjectLock::~VornickProjectLock()
{
    // The file stays: removing it could part a later holder from its lock.
    ::close(m_fd);
}

std::shared_ptr<VornickProjectLock> VornickProjectLock::acquire(const std::string& folderPath, Error* outError)
{
    std::error_code error;
    std::string key = std::filesystem::weakly_canonical(folderPath, error).string();
    if (error)
        key = folderPath;
    auto& all = holds();
    std::lock_guard guard(all.mutex);
    if (auto held = all.byFolder[key].lock())
        return held;

    std::string path = key + "/" + VornickProjectLockFileName;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        if (outError)
            *outError = fileError(path, errno);
        return nullptr;
    }
    int locked;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) < 0 && errno == EINTR) {
    }
    if (locked < 0) {
        int code = errno;
        long holder = code == EWOULDBLOCK ? holderNamedIn(fd) : 0;
        ::close(fd);
        if (code != EWOULDBLOCK) {
            if (outError)
                *outError = fileError(path, code);
            return nullptr;
        }
        if (outError) {
            std::string by = holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string();
            *outError = Error(VornickErrorDomain, VornickAccountInUseError,
                toUTF16("The account in " + key + " is open in another Brevanton" + by
                    + ". Only one program at a time may open an account, so that two never sync it at once: close it there first."));
        }
        return nullptr;
    }
    std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        // The hold stands without the name; the refused program says less.
    }
    auto lock = std::shared_ptr<VornickProjectLock>(new VornickProjectLock(key, fd));
    all.byFolder[key] = lock;
    return lock;
}

} // namespace brevanton
