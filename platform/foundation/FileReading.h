// FileReading: the one way the program reads a file, whatever the file holds
// (documents, style sheets, images, snippet sets, defaults, the keychain
// file, its own resources), with one policy:
// - the file is opened without blocking, so a FIFO nobody writes to answers
//   at once;
// - only a regular file is read: a FIFO, a device such as /dev/zero or a
//   socket could block or never end;
// - at most the size its kind may have: a larger file is refused before a
//   byte is read, and one that grows past it while read is refused too;
// - a document waits, a few seconds at most, for a rewrite in place by
//   another save (which holds an exclusive whole-file lock), so that it is
//   read whole.
// Failures are errors of the POSIX domain carrying the path; a refusal by
// this policy is EISDIR (a folder), EINVAL (another file that is not
// regular) or EFBIG (too large), and says so in its description.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/FileSystemCalls.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace brevanton {

enum class FileReadKind {
    Document,
    StyleSheet,
    Image,
    SnippetSet,
    Defaults,
    Keychain,
    // Anything else: the program's resources, caches, media to upload.
    Other,
};

// The largest file of a kind that is read, in bytes.
constexpr uint64_t maximumFileSize(FileReadKind kind)
{
    switch (kind) {
    case FileReadKind::Document:
        return uint64_t(64) << 20;
    case FileReadKind::StyleSheet:
    case FileReadKind::SnippetSet:
    case FileReadKind::Defaults:
        return uint64_t(16) << 20;
    case FileReadKind::Image:
        return uint64_t(256) << 20;
    case FileReadKind::Keychain:
        return uint64_t(4) << 20;
    case FileReadKind::Other:
        return uint64_t(1024) << 20;
    }
    return 0;
}

// The kind as refusals name it: "a document", "a style sheet", "an image",
// "a snippet set", "a defaults file", "a keychain file", "a file".
std::u16string_view fileReadKindDescription(FileReadKind);

// Why the policy refused a file.
enum class FileReadRefusal { None, Folder, NotRegular, TooLarge };

// A folder open so that its files are opened by name relative to it
// (openat): the path to the folder is looked up once for all of them. Its
// descriptor is closed with it.
class ReadableFolder {
public:
    // Nullopt with an error when the folder cannot be opened.
    [[nodiscard]] static std::optional<ReadableFolder> open(const std::string& path, Error* outError,
                                                            FileSystemCalls& = FileSystemCalls::system());
    ReadableFolder(ReadableFolder&&) noexcept;
    ReadableFolder& operator=(ReadableFolder&&) noexcept;
    ReadableFolder(const ReadableFolder&) = delete;
    ReadableFolder& operator=(const ReadableFolder&) = delete;
    ~ReadableFolder();

    const std::string& path() const { return m_path; }
    int descriptor() const { return m_fd; }

private:
    ReadableFolder(std::string path, FileSystemCalls& calls, int fd) : m_path(std::move(path)), m_calls(&calls), m_fd(fd) {}

    std::string m_path;
    FileSystemCalls* m_calls;
    int m_fd;
};

// A regular file of a kind open for reading, its descriptor closed with it.
class ReadableFile {
public:
    // Nullopt with an error when the file cannot be opened or the policy
    // refuses it (then `outRefusal` says why).
    [[nodiscard]] static std::optional<ReadableFile> open(const std::string& path, FileReadKind, Error* outError,
                                                          FileReadRefusal* outRefusal = nullptr,
                                                          FileSystemCalls& = FileSystemCalls::system());
    // The same for the file `name` in `folder` (errors name the whole path).
    [[nodiscard]] static std::optional<ReadableFile> open(const ReadableFolder& folder, const std::string& name, FileReadKind,
                                                          Error* outError, FileReadRefusal* outRefusal = nullptr,
                                                          FileSystemCalls& = FileSystemCalls::system());
    ReadableFile(ReadableFile&&) noexcept;
    ReadableFile& operator=(ReadableFile&&) noexcept;
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;
    ~ReadableFile();

    int descriptor() const { return m_fd; }
    // The file's status when it was opened (after the wait for a rewrite in place).
    const struct ::stat& status() const { return m_status; }

    // Up to `size` bytes at the current offset; -1 and errno on failure.
    ssize_t read(void* buffer, size_t size);
    // The rest of the file. A file grown past its kind's limit is refused
    // (EFBIG, `outRefusal` TooLarge).
    [[nodiscard]] std::optional<std::string> readToEnd(Error* outError, FileReadRefusal* outRefusal = nullptr);
    // The same into `contents` (replaced; its capacity is kept, so that one
    // buffer serves many files). A file no larger than its status said is
    // read with one call. False with the error on failure.
    [[nodiscard]] bool readToEnd(std::string& contents, Error* outError, FileReadRefusal* outRefusal = nullptr);

private:
    ReadableFile(std::string path, FileReadKind kind, FileSystemCalls& calls, int fd)
        : m_path(std::move(path)), m_kind(kind), m_calls(&calls), m_fd(fd) {}
    [[nodiscard]] static std::optional<ReadableFile> checkOpened(int fd, std::string path, FileReadKind, Error* outError,
                                                                 FileReadRefusal* outRefusal, FileSystemCalls&);

    std::string m_path;
    FileReadKind m_kind;
    FileSystemCalls* m_calls;
    int m_fd;
    // Opened without blocking; reads block once a file system honoured it.
    bool m_nonBlocking { true };
    struct ::stat m_status {};
};

// A whole file and its status when reading began (fileStampOfStatus gives
// what was read: a change during the read changes the file's stamp from it).
struct FileContents {
    std::string bytes;
    struct ::stat status {};
};

// The whole contents of a file of `kind`, by the policy above.
[[nodiscard]] std::optional<FileContents> readRegularFile(const std::string& path, FileReadKind, Error* outError,
                                                          FileReadRefusal* outRefusal = nullptr,
                                                          FileSystemCalls& = FileSystemCalls::system());
// The whole contents of a file of `kind` (readFile of FileUtilities.h reads one of kind Other).
[[nodiscard]] std::optional<std::string> readFile(const std::string& path, Error* outError, FileReadKind);
// At most `limit` bytes from the start of a regular file.
[[nodiscard]] std::optional<std::string> readFilePrefix(const std::string& path, size_t limit, Error* outError = nullptr);

// Takes a whole-file lock (LOCK_SH or LOCK_EX), waiting a few seconds at
// most for another holder: 0, or the errno of the failure (EWOULDBLOCK when
// the wait ran out). A file system without locks (ENOLCK, EOPNOTSUPP)
// answers 0: there is nothing to exclude there.
int lockWholeFile(FileSystemCalls&, int fd, int operation);

} // namespace brevanton
