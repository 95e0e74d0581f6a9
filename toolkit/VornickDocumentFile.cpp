#include "toolkit/VornickDocumentFile.h"

#include "toolkit/VornickErrors.h"

#include "platform/foundation/FileSystemCalls.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TypeIdentifiers.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brevanton {

namespace {

std::u16string quoted(const std::string& path)
{
    return u"\u201C" + toUTF16(path) + u"\u201D";
}

bool fail(Error* outError, Error error, const std::string& path)
{
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    return setError(outError, std::move(error));
}

bool failWithErrno(Error* outError, int errorNumber, std::u16string_view operation, const std::string& path)
{
    return fail(outError, Error::posix(errorNumber, std::u16string(operation) + u" " + quoted(path)), path);
}

bool failWithCode(Error* outError, VornickErrorCode code, std::u16string description, const std::string& path)
{
    return fail(outError, Error(VornickErrorDomain, code, std::move(description)), path);
}

bool failChanged(Error* outError, const std::string& path)
{
    return failWithCode(outError, VornickDocumentFileChangedError,
                        quoted(path) + u" was changed by another program since Brevanton read it; saving would overwrite those changes, so it was not saved.",
                        path);
}

bool failWithPath(Error* outError, const std::string& path)
{
    if (outError)
        outError->userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    return false;
}

VornickFileStamp stampOfStatus(const struct stat& info)
{
    return fileStampOfStatus(info);
}

std::u16string notRegularDescription(const std::string& path, const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return quoted(path) + u" is a folder, not a document file.";
    return quoted(path) + u" is not a regular file (it is a pipe, a device or a socket), so it cannot be opened or saved as a document.";
}

class FileDescriptor {
public:
    FileDescriptor(FileSystemCalls& calls, int fd) : m_calls(calls), m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            m_calls.close(m_fd);
    }
    int get() const { return m_fd; }
    // Closes, answering the error of close() (0 when it succeeded).
    int close()
    {
        int result = m_calls.close(m_fd) < 0 ? errno : 0;
        m_fd = -1;
        return result;
    }

private:
    FileSystemCalls& m_calls;
    int m_fd;
};

// Reads from `fd` until its end, at most `limit` + 1 bytes; the errno of a failure.
int readAll(FileSystemCalls& calls, int fd, uint64_t limit, std::string& into)
{
    char buffer[65536];
    while (into.size() <= limit) {
        size_t wanted = static_cast<size_t>(std::min<uint64_t>(sizeof buffer, limit + 1 - into.size()));
        ssize_t count = calls.read(fd, buffer, wanted);
        if (count > 0) {
            into.append(buffer, static_cast<size_t>(count));
            continue;
        }
        if (count == 0)
            return 0;
        return errno;
    }
    return 0;
}

// Replaces the contents of the file `path` (already open read-write in
// `fd`) without replacing the file itself, so that every hard link to it
// sees the new contents. The old contents are first copied to a backup file
// beside it; a failure while writing puts them back. A backup that could
// not be put back is kept, and the error names it. Once the new contents are
// on disk the save has succeeded, whatever removing the backup answers.
bool rewriteInPlace(FileSystemCalls& calls, int fd, const std::string& path, std::string_view contents, Error* outError)
{
    std::string original;
    if (int error = readAll(calls, fd, UINT64_MAX - 1, original))
        return failWithErrno(outError, error, u"Could not read", path);

    int backupFD = -1;
    auto backupPath = createTemporaryFileBeside(path, backupFD, outError, calls);
    if (!backupPath)
        return false;
    FileDescriptor backup(calls, backupFD);
    int backupError = writeAll(calls, backup.get(), original);
    if (!backupError && calls.fsync(backup.get()) < 0)
        backupError = errno;
    if (!backupError)
        backupError = backup.close();
    if (backupError) {
        calls.unlink(*backupPath);
        return failWithErrno(outError, backupError, u"Could not write a backup copy of", path);
    }

    // Space for the new contents is reserved before any byte changes, so a
    // full disk is found while the file is still whole.
    int error = 0;
    if (contents.size() > original.size() && calls.fallocate(fd, static_cast<off_t>(contents.size())) < 0) {
        error = errno;
        if (error == EOPNOTSUPP || error == EINVAL)
            error = 0;
    }
    if (!error)
        error = writeAll(calls, fd, contents);
    if (!error && calls.ftruncate(fd, static_cast<off_t>(contents.size())) < 0)
        error = errno;
    if (!error && calls.fsync(fd) < 0)
        error = errno;
    if (!error) {
        calls.unlink(*backupPath);
        return true;
    }

    bool restored = !writeAll(calls, fd, original) && calls.ftruncate(fd, static_cast<off_t>(original.size())) == 0
        && calls.fsync(fd) == 0;
    if (restored) {
        calls.unlink(*backupPath);
        return failWithErrno(outError, error, u"Could not write", path);
    }
    return failWithErrno(outError, error,
                         u"Could not write (its previous contents are kept in " + quoted(*backupPath) + u")", path);
}

// Renames `temporaryPath` over `target`. With `expected`, the file replaced
// must still be the one it stands for: the two are exchanged atomically and
// the one taken out is compared, so that a change made up to the rename is
// found, and then put back. The temporary file is gone when this answers
// false; when it answers true, only a file taken out that could not be
// removed may be left under its name.
bool putInPlace(FileSystemCalls& calls, const std::string& temporaryPath, const std::string& target, const VornickFileStamp* expected,
                Error* outError)
{
    auto fail = [&](int error) {
        calls.unlink(temporaryPath);
        return failWithErrno(outError, error, u"Could not write", target);
    };
    if (expected) {
        if (calls.exchange(temporaryPath, target) == 0) {
            // The temporary name holds the file taken out now.
            struct stat replaced;
            int lookError = calls.lstat(temporaryPath, replaced) < 0 ? errno : 0;
            if (!lookError && stampOfStatus(replaced) == *expected) {
                calls.unlink(temporaryPath);
                return true;
            }
            if (calls.exchange(temporaryPath, target) < 0) {
                if (lookError)
                    return failWithErrno(outError, lookError,
                                         u"Could not check (the new contents stay in it; its previous ones are kept in "
                                             + quoted(temporaryPath) + u")",
                                         target);
                return failWithCode(outError, VornickDocumentFileChangedError,
                                    quoted(target) + u" was changed by another program while it was being saved; its changed contents are kept in "
                                        + quoted(temporaryPath) + u".",
                                    target);
            }
            calls.unlink(temporaryPath);
            if (lookError)
                return failWithErrno(outError, lookError, u"Could not check", target);
            return failChanged(outError, target);
        }
        // A file system without the exchange: the check just made stands.
        if (errno != EINVAL && errno != ENOSYS && errno != ENOENT)
            return fail(errno);
    }
    if (calls.rename(temporaryPath, target) < 0)
        return fail(errno);
    return true;
}

} // namespace

std::optional<std::u16string> VornickDocumentFile::binaryKindOfContents(std::string_view bytes)
{
    using namespace std::string_view_literals;
    static const std::pair<std::string_view, const char16_t*> signatures[] = {
        { "\x89PNG\r\n\x1A\n"sv, u"a PNG image" },
        { "\xFF\xD8\xFF"sv, u"a JPEG image" },
        { "GIF87a"sv, u"a GIF image" },
        { "GIF89a"sv, u"a GIF image" },
        { "II*\0"sv, u"a TIFF image" },
        { "MM\0*"sv, u"a TIFF image" },
        { "PK\x03\x04"sv, u"a ZIP archive" },
        { "PK\x05\x06"sv, u"a ZIP archive" },
        { "\x1F\x8B"sv, u"a gzip archive" },
        { "\xFD" "7zXZ\0"sv, u"an xz archive" },
        { "7z\xBC\xAF\x27\x1C"sv, u"a 7-Zip archive" },
        { "\x28\xB5\x2F\xFD"sv, u"a Zstandard archive" },
        { "Rar!\x1A\x07"sv, u"a RAR archive" },
        { "%PDF-"sv, u"a PDF document" },
        { "\x7F" "ELF"sv, u"a program" },
    };
    for (auto [signature, kind] : signatures) {
        if (bytes.starts_with(signature))
            return std::u16string(kind);
    }
    auto startsWith = [&](std::string_view prefix, size_t at = 0) {
        return bytes.size() >= at + prefix.size() && bytes.substr(at, prefix.size()) == prefix;
    };
    if (startsWith("RIFF") && startsWith("WEBP", 8))
        return u"a WebP image";
    if (startsWith("BZh") && bytes.size() > 3 && bytes[3] >= '1' && bytes[3] <= '9' && startsWith("1AY&SY", 4))
        return u"a bzip2 archive";
    if (startsWith("ustar", 257))
        return u"a tar archive";
    // Text in UTF-16 or UTF-32 holds NUL bytes; other text holds one only
    // by mistake, never in numbers.
    for (std::string_view mark : { "\xFF\xFE"sv, "\xFE\xFF"sv, "<\0"sv, "\0<"sv }) {
        if (startsWith(mark))
            return std::nullopt;
    }
    std::string_view head = bytes.substr(0, 65536);
    size_t nuls = static_cast<size_t>(std::count(head.begin(), head.end(), '\0'));
    if (nuls > 8 && nuls * 32 > head.size())
        return u"binary data";
    return std::nullopt;
}

VornickDocumentFile::VornickDocumentFile(std::string path)
    : m_path(std::move(path))
    , m_calls(&FileSystemCalls::system())
{
}

VornickDocumentFile::VornickDocumentFile(std::string path, VornickFileStamp stamp)
    : m_path(std::move(path))
    , m_stamp(stamp)
    , m_calls(&FileSystemCalls::system())
{
}

bool VornickDocumentFile::isDocumentPath(std::string_view path)
{
    size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return false;
    auto type = typeIdentifierForFilenameExtension(toUTF16(name.substr(dot + 1)));
    return typeIdentifierConformsTo(type, TypeIdentifier::HTML) || typeIdentifierConformsTo(type, TypeIdentifier::XHTML);
}

std::optional<std::string> VornickDocumentFile::read(Error* outError, FileReadKind kind)
{
    // The policy every file read meets (FileReading.h); its refusals come
    // back in the codes of document files.
    auto refused = [&](Error& error, FileReadRefusal refusal) {
        static constexpr VornickErrorCode codes[] = { VornickDocumentFileNotRegularError, VornickDocumentFileNotRegularError,
                                                      VornickDocumentFileTooLargeError };
        if (refusal == FileReadRefusal::None)
            return setError(outError, std::move(error));
        return failWithCode(outError, codes[static_cast<int>(refusal) - 1], error.localizedDescription(), m_path);
    };
    Error error;
    FileReadRefusal refusal = FileReadRefusal::None;
    auto file = ReadableFile::open(m_path, kind, &error, &refusal, *m_calls);
    if (!file) {
        refused(error, refusal);
        return std::nullopt;
    }
    auto contents = file->readToEnd(&error, &refusal);
    if (!contents) {
        refused(error, refusal);
        return std::nullopt;
    }
    if (auto binaryKind = binaryKindOfContents(*contents)) {
        failWithCode(outError, VornickDocumentFileNotTextError,
                     quoted(m_path) + u" is " + *binaryKind + u", not a text document, so it was not opened.", m_path);
        return std::nullopt;
    }
    // What was there when reading began: a change during the read makes the
    // next save refuse rather than overwrite it.
    m_stamp = stampOfStatus(file->status());
    return contents;
}

std::shared_ptr<LoadedDocument> VornickDocumentFile::load(DocumentTextSyntax syntax, Error* outError)
{
    auto contents = read(outError);
    if (!contents)
        return nullptr;
    return LoadedDocument::create(m_path, std::move(*contents), *m_stamp, syntax);
}

VornickDocumentFile::PreparedSave::PreparedSave(PreparedSave&& other) noexcept
    : m_calls(other.m_calls)
    , m_contents(std::move(other.m_contents))
    , m_target(std::move(other.m_target))
    , m_temporaryPath(std::exchange(other.m_temporaryPath, std::nullopt))
{
}

VornickDocumentFile::PreparedSave& VornickDocumentFile::PreparedSave::operator=(PreparedSave&& other) noexcept
{
    if (this != &other) {
        discard();
        m_calls = other.m_calls;
        m_contents = std::move(other.m_contents);
        m_target = std::move(other.m_target);
        m_temporaryPath = std::exchange(other.m_temporaryPath, std::nullopt);
    }
    return *this;
}

void VornickDocumentFile::PreparedSave::discard()
{
    if (m_temporaryPath)
        m_calls->unlink(*m_temporaryPath);
    m_temporaryPath.reset();
}

bool VornickDocumentFile::checkSavable(const std::string& target, const struct stat& info, bool exists, Error* outError) const
{
    if (!exists)
        return true;
    if (!S_ISREG(info.st_mode))
        return failWithCode(outError, VornickDocumentFileNotRegularError, notRegularDescription(m_path, info), m_path);
    // The mode bits are asked too: access() lets the superuser write anything.
    // Only a refusal says the file is protected; any other failure is its own.
    int accessError = 0;
    if ((info.st_mode & 0222) && m_calls->access(target, W_OK) < 0) {
        accessError = errno;
        if (accessError != EACCES && accessError != EPERM && accessError != EROFS)
            return failWithErrno(outError, accessError, u"Could not write", m_path);
    }
    if (!(info.st_mode & 0222) || accessError)
        return failWithCode(outError, VornickDocumentFileWriteProtectedError,
                            quoted(m_path) + u" is write-protected, so it was not saved. Save it under another name, or make it writable first.",
                            m_path);
    if (m_stamp && stampOfStatus(info) != *m_stamp)
        return failChanged(outError, m_path);
    return true;
}

std::optional<VornickDocumentFile::PreparedSave> VornickDocumentFile::prepareSave(std::string contents, Error* outError)
{
    if (!isDocumentPath(m_path)) {
        failWithCode(outError, VornickDocumentFileNotHTMLError,
                     quoted(m_path) + u" is not an HTML or XHTML file; only those are saved as documents.", m_path);
        return std::nullopt;
    }
    FileSystemCalls& calls = *m_calls;
    PreparedSave prepared(calls);
    // A symbolic link stays; the file it points to is written. Only a missing
    // file goes unresolved (it is created); saving over a link that could not
    // be followed would replace the link.
    prepared.m_target = calls.realpath(m_path);
    if (prepared.m_target.empty()) {
        if (errno != ENOENT) {
            failWithErrno(outError, errno, u"Could not write", m_path);
            return std::nullopt;
        }
        prepared.m_target = m_path;
    }
    struct stat info;
    bool exists = calls.stat(prepared.m_target, info) == 0;
    if (!exists && errno != ENOENT) {
        failWithErrno(outError, errno, u"Could not write", m_path);
        return std::nullopt;
    }
    if (!checkSavable(prepared.m_target, info, exists, outError))
        return std::nullopt;
    // A file with several links is rewritten in place when the save is
    // committed; any other gets its replacement now.
    if (!exists || info.st_nlink <= 1) {
        std::string target;
        prepared.m_temporaryPath = writeTemporaryFileBeside(prepared.m_target, contents, target, outError, 0644, calls);
        if (!prepared.m_temporaryPath) {
            if (outError)
                outError->userInfo()[Error::FilePathKey] = Value(toUTF16(m_path));
            return std::nullopt;
        }
    }
    prepared.m_contents = std::move(contents);
    return prepared;
}

bool VornickDocumentFile::commitSave(PreparedSave&& given, Error* outError)
{
    FileSystemCalls& calls = *m_calls;
    PreparedSave prepared = std::move(given);
    const std::string& path = prepared.m_target;
    struct stat info;
    bool exists = calls.stat(path, info) == 0;
    if (!exists && errno != ENOENT)
        return failWithErrno(outError, errno, u"Could not write", m_path);
    if (!checkSavable(path, info, exists, outError))
        return false;

    // What the file holds once saved, recorded from the file written (so that
    // a change made just after the save is never taken for it).
    std::optional<VornickFileStamp> written;
    if (exists && info.st_nlink > 1) {
        // Links made since the save was prepared are kept too.
        prepared.discard();
        FileDescriptor fd(calls, calls.open(path, O_RDWR | O_NOCTTY | O_CLOEXEC));
        if (fd.get() < 0)
            return failWithErrno(outError, errno, u"Could not write", m_path);
        // Held until the file is closed: no other save rewrites it meanwhile,
        // and no read sees it half written. The stamp is checked under it.
        if (int error = lockWholeFile(calls, fd.get(), LOCK_EX))
            return failWithErrno(outError, error, u"Could not lock", m_path);
        struct stat opened;
        if (calls.fstat(fd.get(), opened) < 0)
            return failWithErrno(outError, errno, u"Could not write", m_path);
        if (stampOfStatus(opened) != stampOfStatus(info) || (m_stamp && stampOfStatus(opened) != *m_stamp))
            return failChanged(outError, m_path);
        if (!rewriteInPlace(calls, fd.get(), path, prepared.m_contents, outError)) {
            // What is in the file now was put there by this save (the old
            // contents restored, or a part of the new ones): the next save
            // may write over it.
            if (calls.fstat(fd.get(), opened) == 0)
                m_stamp = stampOfStatus(opened);
            return false;
        }
        // The new contents are on disk: closing cannot undo the save.
        if (calls.fstat(fd.get(), opened) == 0)
            written = stampOfStatus(opened);
    } else {
        if (!prepared.m_temporaryPath) {
            // Prepared for a rewrite in place of a file that has one link now.
            std::string target;
            prepared.m_temporaryPath = writeTemporaryFileBeside(path, prepared.m_contents, target, outError, 0644, calls);
            if (!prepared.m_temporaryPath)
                return failWithPath(outError, m_path);
        }
        struct stat replacement;
        if (calls.lstat(*prepared.m_temporaryPath, replacement) < 0)
            return failWithErrno(outError, errno, u"Could not write", m_path);
        std::string temporaryPath = *std::exchange(prepared.m_temporaryPath, std::nullopt);
        if (!putInPlace(calls, temporaryPath, path, exists && m_stamp ? &*m_stamp : nullptr, outError))
            return failWithPath(outError, m_path);
        written = stampOfStatus(replacement);
        syncFolderOf(path, calls);
    }
    m_stamp = written;
    return true;
}

bool VornickDocumentFile::save(std::string_view contents, Error* outError)
{
    auto prepared = prepareSave(std::string(contents), outError);
    return prepared && commitSave(std::move(*prepared), outError);
}

} // namespace brevanton
