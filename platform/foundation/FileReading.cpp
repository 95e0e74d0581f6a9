#include "platform/foundation/FileReading.h"

#include "platform/foundation/FileUtilities.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace brevanton {

namespace {

// How long a read of a document waits for a rewrite in place, and a rewrite
// for another, before giving up.
constexpr std::chrono::milliseconds lockPatience { 5000 };

std::u16string quoted(const std::string& path)
{
    return u"\u201C" + toUTF16(path) + u"\u201D";
}

bool fail(Error* outError, int errorNumber, std::u16string description, const std::string& path, FileReadRefusal* outRefusal,
          FileReadRefusal refusal = FileReadRefusal::None)
{
    if (outRefusal)
        *outRefusal = refusal;
    Error error(POSIXErrorDomain, errorNumber, std::move(description));
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    return setError(outError, std::move(error));
}

bool failWithErrno(Error* outError, int errorNumber, std::u16string_view operation, const std::string& path,
                   FileReadRefusal* outRefusal)
{
    Error error = Error::posix(errorNumber, std::u16string(operation) + u" " + quoted(path));
    return fail(outError, errorNumber, error.localizedDescription(), path, outRefusal);
}

bool failTooLarge(Error* outError, const std::string& path, FileReadKind kind, FileReadRefusal* outRefusal)
{
    return fail(outError, EFBIG,
                quoted(path) + u" is larger than the " + toUTF16(std::to_string(maximumFileSize(kind) >> 20)) + u" MB "
                    + std::u16string(fileReadKindDescription(kind)) + u" may have.",
                path, outRefusal, FileReadRefusal::TooLarge);
}

} // namespace

std::u16string_view fileReadKindDescription(FileReadKind kind)
{
    switch (kind) {
    case FileReadKind::Document:
        return u"a document";
    case FileReadKind::StyleSheet:
        return u"a style sheet";
    case FileReadKind::Image:
        return u"an image";
    case FileReadKind::SnippetSet:
        return u"a snippet set";
    case FileReadKind::Defaults:
        return u"a defaults file";
    case FileReadKind::Keychain:
        return u"a keychain file";
    case FileReadKind::Other:
        break;
    }
    return u"a file";
}

int lockWholeFile(FileSystemCalls& calls, int fd, int operation)
{
    auto deadline = std::chrono::steady_clock::now() + lockPatience;
    while (calls.flock(fd, operation | LOCK_NB) < 0) {
        int error = errno;
        if (error == ENOLCK || error == EOPNOTSUPP)
            return 0;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline)
            return error;
        ::usleep(2000);
    }
    return 0;
}

namespace {

// Non-blocking, so that opening a FIFO nobody writes to answers at once.
constexpr int openFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

} // namespace

std::optional<ReadableFolder> ReadableFolder::open(const std::string& path, Error* outError, FileSystemCalls& calls)
{
    int fd = calls.open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        failWithErrno(outError, errno, u"Could not open", path, nullptr);
        return std::nullopt;
    }
    return ReadableFolder(path, calls, fd);
}

ReadableFolder::ReadableFolder(ReadableFolder&& other) noexcept
    : m_path(std::move(other.m_path))
    , m_calls(other.m_calls)
    , m_fd(std::exchange(other.m_fd, -1))
{
}

ReadableFolder& ReadableFolder::operator=(ReadableFolder&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            m_calls->close(m_fd);
        m_path = std::move(other.m_path);
        m_calls = other.m_calls;
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

ReadableFolder::~ReadableFolder()
{
    if (m_fd >= 0)
        m_calls->close(m_fd);
}

std::optional<ReadableFile> ReadableFile::open(const std::string& path, FileReadKind kind, Error* outError,
                                               FileReadRefusal* outRefusal, FileSystemCalls& calls)
{
    return checkOpened(calls.open(path, openFlags), path, kind, outError, outRefusal, calls);
}

std::optional<ReadableFile> ReadableFile::open(const ReadableFolder& folder, const std::string& name, FileReadKind kind,
                                               Error* outError, FileReadRefusal* outRefusal, FileSystemCalls& calls)
{
    return checkOpened(calls.openAt(folder.descriptor(), name, openFlags), folder.path() + "/" + name, kind, outError,
                       outRefusal, calls);
}

std::optional<ReadableFile> ReadableFile::checkOpened(int fd, std::string path, FileReadKind kind, Error* outError,
                                                      FileReadRefusal* outRefusal, FileSystemCalls& calls)
{
    if (outRefusal)
        *outRefusal = FileReadRefusal::None;
    if (fd < 0) {
        failWithErrno(outError, errno, u"Could not open", path, outRefusal);
        return std::nullopt;
    }
    ReadableFile file(std::move(path), kind, calls, fd);
    const std::string& name = file.m_path;
    if (calls.fstat(fd, file.m_status) < 0) {
        failWithErrno(outError, errno, u"Could not read", name, outRefusal);
        return std::nullopt;
    }
    if (S_ISDIR(file.m_status.st_mode)) {
        fail(outError, EISDIR, quoted(name) + u" is a folder, not " + std::u16string(fileReadKindDescription(kind)) + u".", name,
             outRefusal, FileReadRefusal::Folder);
        return std::nullopt;
    }
    if (!S_ISREG(file.m_status.st_mode)) {
        fail(outError, EINVAL, quoted(name) + u" is not a regular file (it is a pipe, a device or a socket), so it was not read.",
             name, outRefusal, FileReadRefusal::NotRegular);
        return std::nullopt;
    }
    if (kind == FileReadKind::Document) {
        // A rewrite in place by another save is waited for; what it leaves is read.
        if (int error = lockWholeFile(calls, fd, LOCK_SH)) {
            failWithErrno(outError, error, u"Could not lock", name, outRefusal);
            return std::nullopt;
        }
        if (calls.fstat(fd, file.m_status) < 0) {
            failWithErrno(outError, errno, u"Could not read", name, outRefusal);
            return std::nullopt;
        }
    }
    if (static_cast<uint64_t>(file.m_status.st_size) > maximumFileSize(kind)) {
        failTooLarge(outError, name, kind, outRefusal);
        return std::nullopt;
    }
    // The descriptor stays non-blocking: a regular file has its data, and
    // read() turns blocking on the odd file system that would answer EAGAIN.
    return file;
}

ReadableFile::ReadableFile(ReadableFile&& other) noexcept
    : m_path(std::move(other.m_path))
    , m_kind(other.m_kind)
    , m_calls(other.m_calls)
    , m_fd(std::exchange(other.m_fd, -1))
    , m_nonBlocking(other.m_nonBlocking)
    , m_status(other.m_status)
{
}

ReadableFile& ReadableFile::operator=(ReadableFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            m_calls->close(m_fd);
        m_path = std::move(other.m_path);
        m_kind = other.m_kind;
        m_calls = other.m_calls;
        m_fd = std::exchange(other.m_fd, -1);
        m_nonBlocking = other.m_nonBlocking;
        m_status = other.m_status;
    }
    return *this;
}

ReadableFile::~ReadableFile()
{
    if (m_fd >= 0)
        m_calls->close(m_fd);
}

ssize_t ReadableFile::read(void* buffer, size_t size)
{
    ssize_t count = m_calls->read(m_fd, buffer, size);
    if (count < 0 && errno == EAGAIN && m_nonBlocking) {
        // A file system that honours the flag for a regular file: wait for
        // its data as for any file's.
        int flags = ::fcntl(m_fd, F_GETFL);
        if (flags < 0 || ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK) < 0)
            return -1;
        m_nonBlocking = false;
        count = m_calls->read(m_fd, buffer, size);
    }
    return count;
}

bool ReadableFile::readToEnd(std::string& contents, Error* outError, FileReadRefusal* outRefusal)
{
    if (outRefusal)
        *outRefusal = FileReadRefusal::None;
    const uint64_t limit = maximumFileSize(m_kind);
    const uint64_t expected = std::min<uint64_t>(static_cast<uint64_t>(std::max<off_t>(m_status.st_size, 0)), limit);
    // Room for one byte past what the status said, so that one read that
    // comes back short of it has reached the end; one byte past the limit
    // shows a file that grew beyond it.
    contents.resize(static_cast<size_t>(expected + 1));
    size_t length = 0;
    while (true) {
        if (length == contents.size()) {
            if (length > limit)
                break;
            contents.resize(static_cast<size_t>(std::min<uint64_t>(std::max<uint64_t>(uint64_t(length) * 2, 65536), limit + 1)));
        }
        ssize_t count = read(contents.data() + length, contents.size() - length);
        if (count < 0) {
            contents.clear();
            return failWithErrno(outError, errno, u"Could not read", m_path, outRefusal);
        }
        if (count == 0)
            break;
        length += static_cast<size_t>(count);
        // Short of the room asked for and as long as the status said: the
        // end (a file that grew meanwhile would have filled the room).
        if (length == expected && length < contents.size())
            break;
    }
    if (length > limit) {
        contents.clear();
        return failTooLarge(outError, m_path, m_kind, outRefusal);
    }
    contents.resize(length);
    return true;
}

std::optional<std::string> ReadableFile::readToEnd(Error* outError, FileReadRefusal* outRefusal)
{
    std::string contents;
    if (!readToEnd(contents, outError, outRefusal))
        return std::nullopt;
    return contents;
}

std::optional<FileContents> readRegularFile(const std::string& path, FileReadKind kind, Error* outError, FileReadRefusal* outRefusal,
                                            FileSystemCalls& calls)
{
    auto file = ReadableFile::open(path, kind, outError, outRefusal, calls);
    if (!file)
        return std::nullopt;
    auto bytes = file->readToEnd(outError, outRefusal);
    if (!bytes)
        return std::nullopt;
    return FileContents { std::move(*bytes), file->status() };
}

std::optional<std::string> readFile(const std::string& path, Error* outError, FileReadKind kind)
{
    auto contents = readRegularFile(path, kind, outError);
    if (!contents)
        return std::nullopt;
    return std::move(contents->bytes);
}

std::optional<std::string> readFile(const std::string& path, Error* outError)
{
    return readFile(path, outError, FileReadKind::Other);
}

std::optional<std::string> readFilePrefix(const std::string& path, size_t limit, Error* outError)
{
    auto file = ReadableFile::open(path, FileReadKind::Other, outError);
    if (!file)
        return std::nullopt;
    std::string contents;
    char buffer[65536];
    while (contents.size() < limit) {
        ssize_t count = file->read(buffer, std::min(sizeof buffer, limit - contents.size()));
        if (count == 0)
            break;
        if (count < 0) {
            failWithErrno(outError, errno, u"Could not read", path, nullptr);
            return std::nullopt;
        }
        contents.append(buffer, static_cast<size_t>(count));
    }
    return contents;
}

} // namespace brevanton
