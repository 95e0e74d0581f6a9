// VornickDocumentFile: reading and saving one document file without ever
// blocking on it, reading without bound, or overwriting what must not be
// overwritten.
//
// Reading goes by the policy every file read meets (FileReading.h: opened
// non-blocking, a regular file only, of at most
// VornickMaximumDocumentFileSize bytes, under a shared lock that a rewrite
// in place excludes) and accepts only bytes that are text, whatever the
// file's name (not an image, an archive or other binary data); it records
// what it read (device, inode, size, modification time). Saving accepts only a regular file of an
// HTML or XHTML type that is not write-protected and has not changed since
// it was read or last saved. The file keeps its mode, its "user." extended
// attributes and its hard links: a file with one link is replaced
// atomically; a file with several is rewritten in place, with a backup copy
// beside it until the new contents are on disk, so a failure restores it,
// under an exclusive lock (flock) taken before the file's stamp is checked
// a last time: of several programs saving one file at once, each finds the
// file as another left it whole, and refuses it as changed. Calls the system
// interrupts are made again; any other failure of a call leaves the file as
// it was, removes what the save made beside it and answers the call's error.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/FileReading.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/LoadedDocument.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace brevanton {

class FileSystemCalls;

// The largest document file read: 64 MiB.
inline constexpr uint64_t VornickMaximumDocumentFileSize = maximumFileSize(FileReadKind::Document);

// What identifies a file's contents as read: a change by another program
// changes at least one of these.
using VornickFileStamp = FileStamp;

class VornickDocumentFile {
public:
    explicit VornickDocumentFile(std::string path);
    // A file whose contents were read elsewhere, as they were when `stamp` was taken.
    VornickDocumentFile(std::string path, VornickFileStamp stamp);

    const std::string& path() const { return m_path; }
    // What the last read or save left in the file; nullopt before either.
    const std::optional<VornickFileStamp>& stamp() const { return m_stamp; }

    // Whether a file name has the extension of an HTML or XHTML type
    // ("html", "htm", "shtml", "shtm", "xhtml", "xht"; case ignored).
    static bool isDocumentPath(std::string_view path);

    // The whole file, read by the policy of files of `kind` (FileReading.h),
    // or nullopt with an error: POSIX errors from the system,
    // VornickDocumentFileNotRegularError, VornickDocumentFileTooLargeError,
    // VornickDocumentFileNotTextError.
    [[nodiscard]] std::optional<std::string> read(Error* outError, FileReadKind kind = FileReadKind::Document);
    // Reads the file as read() does into the one object its load, tidy's
    // check and a report take it from, its text to be decoded in `syntax`.
    [[nodiscard]] std::shared_ptr<LoadedDocument> load(DocumentTextSyntax, Error* outError);

    // What binary data the bytes are ("a PNG image", "binary data" for
    // NUL bytes that no text in a byte-order-marked or UTF-16 encoding
    // explains); nullopt for text.
    static std::optional<std::u16string> binaryKindOfContents(std::string_view bytes);

    // Writes `contents` as the file's new contents (a missing file is
    // created). Refuses with VornickDocumentFileNotRegularError,
    // VornickDocumentFileNotHTMLError, VornickDocumentFileWriteProtectedError
    // or VornickDocumentFileChangedError; other failures are POSIX errors.
    // The file's contents are unchanged when it answers false (should a file
    // with several links fail to be restored, the error names the backup
    // copy that holds its old contents).
    [[nodiscard]] bool save(std::string_view contents, Error* outError);

    // A save in two steps, so that the new contents can be written and
    // synced while something the save waits for runs: prepareSave checks the
    // file as save() does and writes the contents beside it; commitSave
    // checks it again and puts them in its place, refusing a file another
    // program changed or replaced since, up to the rename itself. A prepared
    // save dropped or discarded leaves no trace; the file is untouched until
    // the commit.
    class PreparedSave {
    public:
        PreparedSave(PreparedSave&&) noexcept;
        PreparedSave& operator=(PreparedSave&&) noexcept;
        PreparedSave(const PreparedSave&) = delete;
        PreparedSave& operator=(const PreparedSave&) = delete;
        ~PreparedSave() { discard(); }

        const std::string& contents() const { return m_contents; }
        void discard();

    private:
        friend class VornickDocumentFile;
        explicit PreparedSave(FileSystemCalls& calls) : m_calls(&calls) {}
        FileSystemCalls* m_calls;
        std::string m_contents;
        // The file written (a symbolic link resolved) and, unless it is to
        // be rewritten in place, the new contents synced beside it.
        std::string m_target;
        std::optional<std::string> m_temporaryPath;
    };
    [[nodiscard]] std::optional<PreparedSave> prepareSave(std::string contents, Error* outError);
    // Errors as save(); the file's contents are unchanged when it answers
    // false. The prepared save is used up either way.
    [[nodiscard]] bool commitSave(PreparedSave&&, Error* outError);

private:
    friend class VornickDocumentFileTestPeer;

    // Whether the file at `target` (its status in `info` when `exists`) may
    // be saved over now.
    bool checkSavable(const std::string& target, const struct stat& info, bool exists, Error* outError) const;

    std::string m_path;
    std::optional<VornickFileStamp> m_stamp;
    FileSystemCalls* m_calls;
};

} // namespace brevanton
