#include "platform/foundation/FolderConfinedWriting.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace brevanton {

namespace {

// An open descriptor, closed through the calls when it goes.
class Descriptor {
public:
    Descriptor(FileSystemCalls& calls, int fd)
        : m_calls(calls)
        , m_fd(fd)
    {
    }
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            m_calls.close(m_fd);
        m_fd = fd;
    }

private:
    FileSystemCalls& m_calls;
    int m_fd;
};

Error pathError(int errorNumber, const std::string& path)
{
    Error error = Error::posix(errorNumber, u"Could not write \u201C" + toUTF16(path) + u"\u201D");
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    return error;
}

Error linkError(const std::string& link, const std::string& path)
{
    Error error = Error::posix(ELOOP, u"Could not write \u201C" + toUTF16(path) + u"\u201D: \u201C" + toUTF16(link)
                                          + u"\u201D is a symbolic link, and nothing inside a project is written through a link.");
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    return error;
}

std::string withoutTrailingSlashes(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The names leading from `folder` to `path`; none when `path` does not lie
// inside `folder` or climbs out of it.
std::optional<std::vector<std::string>> namesBelow(const std::string& folder, const std::string& path)
{
    std::string prefix = withoutTrailingSlashes(folder);
    if (prefix != "/")
        prefix += '/';
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    std::vector<std::string> names;
    for (size_t start = prefix.size(); start <= path.size();) {
        size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        std::string name = path.substr(start, end - start);
        if (name == "." || name == "..")
            return std::nullopt;
        if (!name.empty())
            names.push_back(std::move(name));
        start = end + 1;
    }
    if (names.empty())
        return std::nullopt;
    return names;
}

// Opens the folder that the first `count` names lead to from `folder`,
// following no link and making the missing ones when `create`; -1 with the
// error (about `path`) otherwise.
int openFolderChain(FileSystemCalls& calls, const std::string& folder, const std::vector<std::string>& names, size_t count,
                    bool create, const std::string& path, Error* outError)
{
    int fd = calls.open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        setError(outError, pathError(errno, path));
        return -1;
    }
    std::string reached = withoutTrailingSlashes(folder);
    constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    for (size_t i = 0; i < count; ++i) {
        reached += (reached == "/" ? "" : "/") + names[i];
        int next = calls.openAt(fd, names[i], folderFlags);
        if (next < 0 && errno == ENOENT && create) {
            if (calls.makeFolderAt(fd, names[i], 0755) == 0 || errno == EEXIST)
                next = calls.openAt(fd, names[i], folderFlags);
        }
        if (next < 0) {
            int error = errno;
            struct stat info;
            if ((error == ELOOP || error == ENOTDIR) && calls.lstatAt(fd, names[i], info) == 0 && S_ISLNK(info.st_mode))
                setError(outError, linkError(reached, path));
            else
                setError(outError, pathError(error, path));
            calls.close(fd);
            return -1;
        }
        calls.close(fd);
        fd = next;
    }
    return fd;
}

// The value of one attribute of an open file; nullopt with errno set.
std::optional<std::string> attributeOf(FileSystemCalls& calls, int fd, const std::string& name)
{
    while (true) {
        ssize_t size = calls.getAttribute(fd, name, nullptr, 0);
        if (size < 0)
            return std::nullopt;
        std::string value(static_cast<size_t>(size), '\0');
        if (size == 0)
            return value;
        size = calls.getAttribute(fd, name, value.data(), value.size());
        if (size >= 0) {
            value.resize(static_cast<size_t>(size));
            return value;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
}

// Gives `to` the "user." attributes of `from`: 0, or the error number.
int copyUserAttributes(FileSystemCalls& calls, int from, int to)
{
    std::string names;
    while (true) {
        ssize_t size = calls.listAttributes(from, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? 0 : errno;
        names.resize(static_cast<size_t>(size));
        if (size == 0)
            return 0;
        size = calls.listAttributes(from, names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<size_t>(size));
            break;
        }
        if (errno != ERANGE)
            return errno;
    }
    for (size_t start = 0; start < names.size();) {
        size_t end = names.find('\0', start);
        if (end == std::string::npos)
            end = names.size();
        std::string name = names.substr(start, end - start);
        start = end + 1;
        if (!name.starts_with("user.") || name.size() == 5)
            continue;
        auto value = attributeOf(calls, from, name);
        if (!value && errno == ENODATA)
            continue; // Removed meanwhile.
        if (!value || calls.setAttribute(to, name, value->data(), value->size()) < 0)
            return errno;
    }
    return 0;
}

// Within one tick of the file system's clock a new file gets the time of
// the one it replaces, and looks unchanged to whoever compares the times (the
// project's indexing reads again only files modified since it read them):
// the open file's modification time is set just past `replaced` unless it
// already is later. 0, or the error number.
int moveModificationTimePast(FileSystemCalls& calls, int fd, const struct timespec& replaced)
{
    struct stat written;
    if (calls.fstat(fd, written) < 0)
        return errno;
    auto isLater = [](const struct timespec& a, const struct timespec& b) { return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec; };
    if (isLater(written.st_mtim, replaced))
        return 0;
    // A microsecond: what a date in seconds since 1970 still tells apart.
    struct timespec times[2] = { { 0, UTIME_OMIT }, replaced };
    times[1].tv_nsec += 1000;
    if (times[1].tv_nsec >= 1000000000) {
        times[1].tv_nsec -= 1000000000;
        ++times[1].tv_sec;
    }
    return calls.futimens(fd, times) < 0 ? errno : 0;
}

size_t removeLeftoversIn(FileSystemCalls& calls, int folderFD, int depth)
{
    int listFD = calls.openAt(folderFD, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFD < 0)
        return 0;
    DIR* directory = ::fdopendir(listFD);
    if (!directory) {
        calls.close(listFD);
        return 0;
    }
    std::vector<std::pair<std::string, unsigned char>> entries;
    while (dirent* entry = ::readdir(directory)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            entries.emplace_back(name, entry->d_type);
    }
    ::closedir(directory);

    size_t removed = 0;
    for (auto& [name, type] : entries) {
        if (type == DT_UNKNOWN) {
            struct stat info;
            if (calls.lstatAt(folderFD, name, info) < 0)
                continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_LNK;
        }
        if (type == DT_DIR) {
            // Deeper than any project goes: a loop of bind mounts, say.
            if (depth >= 32)
                continue;
            int child = calls.openAt(folderFD, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0) {
                removed += removeLeftoversIn(calls, child, depth + 1);
                calls.close(child);
            }
            continue;
        }
        if (type != DT_REG || !isTemporaryFileName(name))
            continue;
        int fd = calls.openAt(folderFD, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info;
        // A write under way holds its file locked.
        if (calls.fstat(fd, info) == 0 && S_ISREG(info.st_mode) && calls.flock(fd, LOCK_EX | LOCK_NB) == 0
            && calls.unlinkAt(folderFD, name) == 0)
            ++removed;
        calls.close(fd);
    }
    return removed;
}

} // namespace

bool writeFileInsideFolder(const std::string& folder, const std::string& path, std::string_view contents, Error* outError,
                           mode_t newFileMode, FileSystemCalls& calls)
{
    auto names = namesBelow(folder, path);
    if (!names)
        return setError(outError, pathError(EINVAL, path));
    const std::string& name = names->back();
    Descriptor folderFD(calls, openFolderChain(calls, folder, *names, names->size() - 1, true, path, outError));
    if (folderFD.get() < 0)
        return false;

    // An existing regular file is replaced keeping its mode, owner and
    // attributes; anything else at the name but a folder (a symbolic link
    // above all) is replaced by a new file, whatever it points to untouched.
    struct stat existing;
    Descriptor existingFD(calls, -1);
    if (calls.lstatAt(folderFD.get(), name, existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return setError(outError, pathError(EISDIR, path));
        if (S_ISREG(existing.st_mode)) {
            existingFD.reset(calls.openAt(folderFD.get(), name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
            // A file that cannot be looked at would lose its mode, owner and
            // attributes in the replacement.
            if (existingFD.get() < 0)
                return setError(outError, pathError(errno, path));
        }
    } else if (errno != ENOENT) {
        return setError(outError, pathError(errno, path));
    }
    bool replacing = existingFD.get() >= 0;
    mode_t mode;
    if (replacing) {
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = newFileMode & ~mask;
    }

    std::string temporaryName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporaryName = temporaryFileNameFor(name);
        fd = calls.openAt(folderFD.get(), temporaryName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return setError(outError, pathError(errno, path));
    Descriptor temporary(calls, fd);
    // Held until the file is renamed: a lock nobody else holds (and a file
    // system without locks writes all the same).
    (void)calls.flock(fd, LOCK_EX | LOCK_NB);
    auto fail = [&](int error) {
        temporary.reset();
        calls.unlinkAt(folderFD.get(), temporaryName);
        return setError(outError, pathError(error, path));
    };

    if (int error = writeAll(calls, fd, contents))
        return fail(error);
    if (replacing) {
        if (int error = giveReplacementTheOwnerOf(calls, fd, existing))
            return fail(error);
        if (int error = copyUserAttributes(calls, existingFD.get(), fd))
            return fail(error);
    }
    if (calls.fchmod(fd, mode) < 0)
        return fail(errno);
    if (replacing) {
        if (int error = moveModificationTimePast(calls, fd, existing.st_mtim))
            return fail(error);
    }
    if (calls.fsync(fd) < 0)
        return fail(errno);
    if (calls.renameAt(folderFD.get(), temporaryName, name) < 0)
        return fail(errno);
    // Makes the rename itself durable.
    calls.fsync(folderFD.get());
    return true;
}

bool createFolderInsideFolder(const std::string& folder, const std::string& path, Error* outError, FileSystemCalls& calls)
{
    if (withoutTrailingSlashes(path) == withoutTrailingSlashes(folder)) {
        Descriptor fd(calls, openFolderChain(calls, folder, {}, 0, false, path, outError));
        return fd.get() >= 0;
    }
    auto names = namesBelow(folder, path);
    if (!names)
        return setError(outError, pathError(EINVAL, path));
    Descriptor fd(calls, openFolderChain(calls, folder, *names, names->size(), true, path, outError));
    return fd.get() >= 0;
}

bool liesInsideFolderWithoutLinks(const std::string& folder, const std::string& path, FileSystemCalls& calls)
{
    auto names = namesBelow(folder, path);
    if (!names)
        return false;
    Descriptor fd(calls, openFolderChain(calls, folder, *names, names->size() - 1, false, path, nullptr));
    if (fd.get() < 0)
        return false;
    struct stat info;
    return calls.lstatAt(fd.get(), names->back(), info) == 0 ? !S_ISLNK(info.st_mode) : errno == ENOENT;
}

size_t removeLeftoverTemporaryFiles(const std::string& folder, FileSystemCalls& calls)
{
    int fd = calls.open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    size_t removed = removeLeftoversIn(calls, fd, 0);
    calls.close(fd);
    return removed;
}

} // namespace brevanton
