// File helpers on POSIX paths (UTF-8): whole-file reads, atomic writes,
// exclusive creation of unique files, folders, file identity, extended
// attributes in the "user." namespace and the XDG base folders.
// Every failure is an Error of the POSIX domain carrying the path.
#pragma once

#include "platform/foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <vector>

namespace brevanton {

class FileSystemCalls;

// The name of the application's folder inside each XDG base folder.
inline constexpr const char* ApplicationFolderName = "com.Orbendalworks.Brevanton";

// The whole contents of a file, read as FileReading.h says (kind Other).
[[nodiscard]] std::optional<std::string> readFile(const std::string& path, Error* outError = nullptr);

// Writes `contents` to a temporary file in the same folder, flushes it to
// disk and renames it over `path`. An existing file keeps its permission
// bits, its "user." extended attributes and (where this process may set
// them) its owner and group; a new one gets `newFileMode` (less the umask).
// A symbolic link at `path` is followed: the file it points to is replaced,
// the link stays.
[[nodiscard]] bool writeFileAtomically(const std::string& path, std::string_view contents, Error* outError = nullptr,
                         mode_t newFileMode = 0644);

// The first half of writeFileAtomically: `contents` in a new temporary
// file beside `path` (beside the file a symbolic link there points to),
// with the existing file's permission bits, extended attributes and owner,
// flushed to disk. Answers the temporary file's path and sets `outTarget`
// to the path it is to be renamed over; the caller renames it, then makes
// the rename durable with syncFolderOf, or removes it.
[[nodiscard]] std::optional<std::string> writeTemporaryFileBeside(const std::string& path, std::string_view contents,
                                                    std::string& outTarget, Error* outError = nullptr,
                                                    mode_t newFileMode = 0644);
// Writes all of `data` at the start of the open file; 0, or the errno of the failure.
int writeAll(FileSystemCalls&, int fd, std::string_view data);
// Gives a file written to replace another the replaced file's owner, and its
// group where only that may be given; a change this process may not make
// (another user's file) is passed over. 0, or the errno of another failure.
int giveReplacementTheOwnerOf(FileSystemCalls&, int fd, const struct stat& existing);
// Flushes the folder holding `path` (its entries: a rename into it) to disk.
void syncFolderOf(const std::string& path);

// Creates a new empty file (mode 0600), open for writing in `outFD`, in the
// folder of `path` under a hidden name made from the file's own ("." name
// ".tmp-" and random characters), the name cut so that the whole fits in
// the 255 bytes a file name may hold. Answers its path.
[[nodiscard]] std::optional<std::string> createTemporaryFileBeside(const std::string& path, int& outFD, Error* outError = nullptr);
// A new hidden name of that form for a temporary file beside the file named
// `name` (a name, not a path), and whether a name is of that form.
std::string temporaryFileNameFor(std::string_view name);
bool isTemporaryFileName(std::string_view name);

enum class FileKind { Regular, Directory };

// Creates a new empty file (or folder) inside `folder` under a name nobody
// else has: `baseName` itself when `tryBaseName`, otherwise or when it is
// taken "stem N.ext" for N = firstNumber, firstNumber + 1, ... (the stem and
// extension of `baseName`). Creation is exclusive (O_CREAT|O_EXCL, mkdir), so
// an item that appears meanwhile is never reused or truncated. Answers the
// new path.
[[nodiscard]] std::optional<std::string> createUniqueFile(const std::string& folder, std::string_view baseName,
                                            FileKind = FileKind::Regular, Error* outError = nullptr,
                                            long firstNumber = 2, bool tryBaseName = true);

// Creates a new empty file from a path template whose last component holds
// a run of at least one "X" just before its last `suffixLength` characters
// ("folder/Vornick.XXXX.html", suffix 5); the X's are replaced by random
// letters and digits until an exclusive creation succeeds. Answers the path.
[[nodiscard]] std::optional<std::string> createFileFromTemplate(std::string_view pathTemplate, size_t suffixLength = 0,
                                                  Error* outError = nullptr);

// Creates a new folder with a unique name in the temporary directory.
[[nodiscard]] std::optional<std::string> createTemporaryDirectory(std::string_view prefix = "brevanton",
                                                    Error* outError = nullptr);

// Creates a folder; with `intermediates` also its missing parents, and an
// existing folder is then no error.
[[nodiscard]] bool createDirectory(const std::string& path, bool intermediates = true, Error* outError = nullptr,
                     mode_t mode = 0755);

// Removes a file, a symbolic link or a folder with all its contents.
[[nodiscard]] bool removeItem(const std::string& path, Error* outError = nullptr);

bool fileExists(const std::string& path, bool* isDirectory = nullptr);
bool isDirectory(const std::string& path);
// The names of a folder's entries, "." and ".." left out, sorted by their
// bytes; nullopt when the folder cannot be read.
std::optional<std::vector<std::string>> directoryEntryNames(const std::string& path);
// What a folder's entry says it is, without a look at the item itself: a
// file system that does not say answers Unknown.
enum class DirectoryEntryType { Unknown, RegularFile, Directory, SymbolicLink, Other };
struct DirectoryEntry {
    std::string name;
    DirectoryEntryType type { DirectoryEntryType::Unknown };
};
// The same entries with their types, sorted the same way.
std::optional<std::vector<DirectoryEntry>> directoryEntries(const std::string& path);

// What identifies a file on the system: device and inode.
struct FileIdentity {
    dev_t device { 0 };
    ino_t inode { 0 };
    bool operator==(const FileIdentity&) const = default;
};
// What identifies a file's contents as read: a change by another program
// changes at least one of these.
struct FileStamp {
    FileIdentity identity;
    uint64_t size { 0 };
    int64_t modificationSeconds { 0 };
    int64_t modificationNanoseconds { 0 };
    bool operator==(const FileStamp&) const = default;
};
FileStamp fileStampOfStatus(const struct ::stat&);
[[nodiscard]] std::optional<FileIdentity> fileIdentity(const std::string& path, Error* outError = nullptr,
                                         bool followSymbolicLinks = true);

// Extended attributes. Names are given and answered without the "user."
// prefix, which is added for the system calls; attributes of other
// namespaces are not listed. All calls act on a symbolic link itself, not on
// its target. A file system without extended attributes gives ENOTSUP, a
// missing attribute ENODATA (the POSIX domain code).
[[nodiscard]] std::optional<std::vector<std::string>> listExtendedAttributes(const std::string& path, Error* outError = nullptr);
[[nodiscard]] std::optional<std::string> getExtendedAttribute(const std::string& path, std::string_view name,
                                                Error* outError = nullptr);
[[nodiscard]] bool setExtendedAttribute(const std::string& path, std::string_view name, std::string_view value,
                          Error* outError = nullptr);
[[nodiscard]] bool removeExtendedAttribute(const std::string& path, std::string_view name, Error* outError = nullptr);

// The XDG base folders: the variable when it holds an absolute path, else
// its default under the home folder ("~/.config", "~/.local/share", "~/.cache").
enum class XDGFolder { Config, Data, Cache };
std::string xdgFolder(XDGFolder);
// The application's folder inside an XDG base folder; made (with its
// parents) when `create` is true.
[[nodiscard]] std::optional<std::string> applicationFolder(XDGFolder, bool create = false, Error* outError = nullptr);

std::string homeDirectory();
// $TMPDIR when set to an absolute path, else "/tmp".
std::string temporaryDirectory();

// The folder part of a path ("/a/b" -> "/a", "b" -> ".", "/" -> "/").
std::string parentDirectory(std::string_view path);

} // namespace brevanton
