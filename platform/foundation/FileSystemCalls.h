// FileSystemCalls: the system calls that writing a file safely makes, behind
// one seam. The calls answer as the system does (-1 and errno on failure);
// those the system may interrupt and that can be made again with the same
// effect are made again on EINTR, so no caller sees it. A rename or an
// exchange is not (whether it happened is unknown); close() is not either,
// since Linux releases the descriptor whatever it answers: EINTR from it
// counts as closed.
//
// system() makes the real calls. A subclass may answer an error for a call
// instead of making it (errorBeforeCall; close() is made all the same), which is how the failure of each
// call of a save is tried. The steps of an atomic write in FileUtilities.h
// are declared again below with the calls they go through.
#pragma once

#include "platform/foundation/Error.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>

namespace brevanton {

enum class FileSystemCall {
    Open,
    Read,
    Write,
    Fsync,
    Close,
    Stat,
    Lstat,
    Fstat,
    Realpath,
    Access,
    Ftruncate,
    Fallocate,
    Fchmod,
    Fchown,
    Flock,
    Rename,
    Exchange,
    Unlink,
    MakeFolder,
    ListAttributes,
    GetAttribute,
    SetAttribute,
    Futimens,
};

// The call's name, as in "fsync".
std::string_view fileSystemCallName(FileSystemCall);

class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;

    // The real calls.
    static FileSystemCalls& system();

    int open(const std::string& path, int flags, mode_t mode = 0);
    // Opens `name` relative to the open folder `folderFD` (openat).
    int openAt(int folderFD, const std::string& name, int flags, mode_t mode = 0);
    // Reads at the descriptor's offset; writes at `offset`.
    ssize_t read(int fd, void* buffer, size_t size);
    ssize_t pwrite(int fd, const void* data, size_t size, off_t offset);
    int fsync(int fd);
    int close(int fd);
    int stat(const std::string& path, struct ::stat& info);
    int lstat(const std::string& path, struct ::stat& info);
    int fstat(int fd, struct ::stat& info);
    // The path with every symbolic link resolved; an empty string with errno on failure.
    std::string realpath(const std::string& path);
    int access(const std::string& path, int mode);
    int ftruncate(int fd, off_t size);
    // Reserves the space of the first `size` bytes (posix_fallocate), answering as the others do.
    int fallocate(int fd, off_t size);
    int fchmod(int fd, mode_t mode);
    // Sets the open file's access and modification times (futimens).
    int futimens(int fd, const struct ::timespec times[2]);
    int fchown(int fd, uid_t owner, gid_t group);
    int flock(int fd, int operation);
    int rename(const std::string& from, const std::string& to);
    // Exchanges two names atomically (renameat2 with RENAME_EXCHANGE).
    int exchange(const std::string& first, const std::string& second);
    int unlink(const std::string& path);
    // Extended attributes of the item itself (a symbolic link is not followed).
    ssize_t listAttributes(const std::string& path, char* names, size_t size);
    ssize_t getAttribute(const std::string& path, const std::string& name, void* value, size_t size);
    int setAttribute(const std::string& path, const std::string& name, const void* value, size_t size);

    // The same relative to an open folder, never through a symbolic link at
    // `name` (fstatat, mkdirat, renameat and unlinkat; a link is looked at,
    // renamed over or removed itself), and the extended attributes of an
    // open file. They count as the calls of the same kind above.
    int lstatAt(int folderFD, const std::string& name, struct ::stat& info);
    int makeFolderAt(int folderFD, const std::string& name, mode_t mode);
    int renameAt(int folderFD, const std::string& from, const std::string& to);
    int unlinkAt(int folderFD, const std::string& name);
    ssize_t listAttributes(int fd, char* names, size_t size);
    ssize_t getAttribute(int fd, const std::string& name, void* value, size_t size);
    int setAttribute(int fd, const std::string& name, const void* value, size_t size);

protected:
    // 0 to make the call; an error number to answer instead, without making it.
    virtual int errorBeforeCall(FileSystemCall) { return 0; }

private:
    // Makes `call` through `perform` (or answers the error before it), again
    // while it is interrupted when `restartable`.
    template<typename Perform> auto make(FileSystemCall call, bool restartable, Perform perform);
};

// writeTemporaryFileBeside, createTemporaryFileBeside and syncFolderOf of
// FileUtilities.h, their system calls made through `calls`. Nothing is left
// when writing the temporary file fails; not even the owner of the file may
// be lost, so only a change of owner that this process is not allowed to
// make (another user's file) is passed over.
[[nodiscard]] std::optional<std::string> writeTemporaryFileBeside(const std::string& path, std::string_view contents,
                                                                  std::string& outTarget, Error* outError, mode_t newFileMode,
                                                                  FileSystemCalls& calls);
[[nodiscard]] std::optional<std::string> createTemporaryFileBeside(const std::string& path, int& outFD, Error* outError,
                                                                   FileSystemCalls& calls);
void syncFolderOf(const std::string& path, FileSystemCalls& calls);

} // namespace brevanton
