#include "platform/foundation/FileSystemCalls.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace brevanton {

std::string_view fileSystemCallName(FileSystemCall call)
{
    switch (call) {
    case FileSystemCall::Open: return "open";
    case FileSystemCall::Read: return "read";
    case FileSystemCall::Write: return "write";
    case FileSystemCall::Fsync: return "fsync";
    case FileSystemCall::Close: return "close";
    case FileSystemCall::Stat: return "stat";
    case FileSystemCall::Lstat: return "lstat";
    case FileSystemCall::Fstat: return "fstat";
    case FileSystemCall::Realpath: return "realpath";
    case FileSystemCall::Access: return "access";
    case FileSystemCall::Ftruncate: return "ftruncate";
    case FileSystemCall::Fallocate: return "fallocate";
    case FileSystemCall::Fchmod: return "fchmod";
    case FileSystemCall::Fchown: return "fchown";
    case FileSystemCall::Flock: return "flock";
    case FileSystemCall::Rename: return "rename";
    case FileSystemCall::Exchange: return "exchange";
    case FileSystemCall::Unlink: return "unlink";
    case FileSystemCall::MakeFolder: return "mkdir";
    case FileSystemCall::ListAttributes: return "listxattr";
    case FileSystemCall::GetAttribute: return "getxattr";
    case FileSystemCall::SetAttribute: return "setxattr";
    case FileSystemCall::Futimens: return "futimens";
    }
    return "?";
}

FileSystemCalls& FileSystemCalls::system()
{
    static FileSystemCalls calls;
    return calls;
}

template<typename Perform> auto FileSystemCalls::make(FileSystemCall call, bool restartable, Perform perform)
{
    while (true) {
        decltype(perform()) result;
        if (int error = errorBeforeCall(call)) {
            errno = error;
            result = -1;
        } else {
            result = perform();
        }
        if (result < 0 && errno == EINTR && restartable)
            continue;
        return result;
    }
}

int FileSystemCalls::open(const std::string& path, int flags, mode_t mode)
{
    return make(FileSystemCall::Open, true, [&] { return ::open(path.c_str(), flags, mode); });
}

int FileSystemCalls::openAt(int folderFD, const std::string& name, int flags, mode_t mode)
{
    return make(FileSystemCall::Open, true, [&] { return ::openat(folderFD, name.c_str(), flags, mode); });
}

ssize_t FileSystemCalls::read(int fd, void* buffer, size_t size)
{
    return make(FileSystemCall::Read, true, [&] { return ::read(fd, buffer, size); });
}

ssize_t FileSystemCalls::pwrite(int fd, const void* data, size_t size, off_t offset)
{
    return make(FileSystemCall::Write, true, [&] { return ::pwrite(fd, data, size, offset); });
}

int FileSystemCalls::fsync(int fd)
{
    return make(FileSystemCall::Fsync, true, [&] { return ::fsync(fd); });
}

int FileSystemCalls::close(int fd)
{
    // The descriptor is released whatever close() answers, an error chosen
    // for it too.
    int result = ::close(fd);
    if (int error = errorBeforeCall(FileSystemCall::Close)) {
        errno = error;
        result = -1;
    }
    if (result < 0 && errno == EINTR)
        return 0;
    return result;
}

int FileSystemCalls::stat(const std::string& path, struct ::stat& info)
{
    return make(FileSystemCall::Stat, true, [&] { return ::stat(path.c_str(), &info); });
}

int FileSystemCalls::lstat(const std::string& path, struct ::stat& info)
{
    return make(FileSystemCall::Lstat, true, [&] { return ::lstat(path.c_str(), &info); });
}

int FileSystemCalls::fstat(int fd, struct ::stat& info)
{
    return make(FileSystemCall::Fstat, true, [&] { return ::fstat(fd, &info); });
}

std::string FileSystemCalls::realpath(const std::string& path)
{
    std::string resolved;
    make(FileSystemCall::Realpath, true, [&] {
        char* result = ::realpath(path.c_str(), nullptr);
        if (!result)
            return -1;
        resolved = result;
        std::free(result);
        return 0;
    });
    return resolved;
}

int FileSystemCalls::access(const std::string& path, int mode)
{
    return make(FileSystemCall::Access, true, [&] { return ::access(path.c_str(), mode); });
}

int FileSystemCalls::ftruncate(int fd, off_t size)
{
    return make(FileSystemCall::Ftruncate, true, [&] { return ::ftruncate(fd, size); });
}

int FileSystemCalls::fallocate(int fd, off_t size)
{
    return make(FileSystemCall::Fallocate, true, [&] {
        int error = ::posix_fallocate(fd, 0, size);
        if (!error)
            return 0;
        errno = error;
        return -1;
    });
}

int FileSystemCalls::fchmod(int fd, mode_t mode)
{
    return make(FileSystemCall::Fchmod, true, [&] { return ::fchmod(fd, mode); });
}

int FileSystemCalls::futimens(int fd, const struct ::timespec times[2])
{
    return make(FileSystemCall::Futimens, true, [&] { return ::futimens(fd, times); });
}

int FileSystemCalls::fchown(int fd, uid_t owner, gid_t group)
{
    return make(FileSystemCall::Fchown, true, [&] { return ::fchown(fd, owner, group); });
}

int FileSystemCalls::flock(int fd, int operation)
{
    return make(FileSystemCall::Flock, true, [&] { return ::flock(fd, operation); });
}

int FileSystemCalls::rename(const std::string& from, const std::string& to)
{
    return make(FileSystemCall::Rename, false, [&] { return ::rename(from.c_str(), to.c_str()); });
}

int FileSystemCalls::exchange(const std::string& first, const std::string& second)
{
    return make(FileSystemCall::Exchange, false,
                [&] { return ::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE); });
}

int FileSystemCalls::unlink(const std::string& path)
{
    return make(FileSystemCall::Unlink, true, [&] { return ::unlink(path.c_str()); });
}

ssize_t FileSystemCalls::listAttributes(const std::string& path, char* names, size_t size)
{
    return make(FileSystemCall::ListAttributes, true, [&] { return ::llistxattr(path.c_str(), names, size); });
}

ssize_t FileSystemCalls::getAttribute(const std::string& path, const std::string& name, void* value, size_t size)
{
    return make(FileSystemCall::GetAttribute, true, [&] { return ::lgetxattr(path.c_str(), name.c_str(), value, size); });
}

int FileSystemCalls::setAttribute(const std::string& path, const std::string& name, const void* value, size_t size)
{
    return make(FileSystemCall::SetAttribute, true, [&] { return ::lsetxattr(path.c_str(), name.c_str(), value, size, 0); });
}

int FileSystemCalls::lstatAt(int folderFD, const std::string& name, struct ::stat& info)
{
    return make(FileSystemCall::Lstat, true, [&] { return ::fstatat(folderFD, name.c_str(), &info, AT_SYMLINK_NOFOLLOW); });
}

int FileSystemCalls::makeFolderAt(int folderFD, const std::string& name, mode_t mode)
{
    return make(FileSystemCall::MakeFolder, true, [&] { return ::mkdirat(folderFD, name.c_str(), mode); });
}

int FileSystemCalls::renameAt(int folderFD, const std::string& from, const std::string& to)
{
    return make(FileSystemCall::Rename, false, [&] { return ::renameat(folderFD, from.c_str(), folderFD, to.c_str()); });
}

int FileSystemCalls::unlinkAt(int folderFD, const std::string& name)
{
    return make(FileSystemCall::Unlink, true, [&] { return ::unlinkat(folderFD, name.c_str(), 0); });
}

ssize_t FileSystemCalls::listAttributes(int fd, char* names, size_t size)
{
    return make(FileSystemCall::ListAttributes, true, [&] { return ::flistxattr(fd, names, size); });
}

ssize_t FileSystemCalls::getAttribute(int fd, const std::string& name, void* value, size_t size)
{
    return make(FileSystemCall::GetAttribute, true, [&] { return ::fgetxattr(fd, name.c_str(), value, size); });
}

int FileSystemCalls::setAttribute(int fd, const std::string& name, const void* value, size_t size)
{
    return make(FileSystemCall::SetAttribute, true, [&] { return ::fsetxattr(fd, name.c_str(), value, size, 0); });
}

} // namespace brevanton
