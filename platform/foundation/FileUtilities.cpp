#include "platform/foundation/FileUtilities.h"

#include "platform/foundation/FileSystemCalls.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <random>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace brevanton {

namespace {

Error pathError(int errorNumber, std::u16string_view operation, const std::string& path)
{
    Error error = Error::posix(errorNumber, std::u16string(operation) + u" \u201C" + toUTF16(path) + u"\u201D");
    error.userInfo()[Error::FilePathKey] = Value(toUTF16(path));
    return error;
}

bool failWithErrno(Error* outError, std::u16string_view operation, const std::string& path)
{
    return setError(outError, pathError(errno, operation, path));
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string result(folder);
    if (result.empty() || result.back() != '/')
        result += '/';
    result += name;
    return result;
}

std::string randomCharacters(size_t count)
{
    static constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    thread_local std::mt19937_64 generator { std::random_device {}() };
    std::uniform_int_distribution<size_t> pick(0, sizeof alphabet - 2);
    std::string result;
    for (size_t i = 0; i < count; ++i)
        result += alphabet[pick(generator)];
    return result;
}

// Makes one item exclusively; false with errno set when it cannot.
bool createExclusively(const std::string& path, FileKind kind)
{
    if (kind == FileKind::Directory)
        return ::mkdir(path.c_str(), 0755) == 0;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

std::string userAttributeName(std::string_view name)
{
    return "user." + std::string(name);
}

std::optional<std::vector<std::string>> listAttributes(FileSystemCalls& calls, const std::string& path, Error* outError)
{
    std::string buffer;
    while (true) {
        ssize_t size = calls.listAttributes(path, nullptr, 0);
        if (size < 0) {
            failWithErrno(outError, u"Could not list the extended attributes of", path);
            return std::nullopt;
        }
        buffer.resize(static_cast<size_t>(size));
        if (size == 0)
            break;
        size = calls.listAttributes(path, buffer.data(), buffer.size());
        if (size >= 0) {
            buffer.resize(static_cast<size_t>(size));
            break;
        }
        if (errno != ERANGE) {
            failWithErrno(outError, u"Could not list the extended attributes of", path);
            return std::nullopt;
        }
    }
    std::vector<std::string> names;
    size_t start = 0;
    while (start < buffer.size()) {
        size_t end = buffer.find('\0', start);
        if (end == std::string::npos)
            end = buffer.size();
        std::string_view name(buffer.data() + start, end - start);
        if (name.starts_with("user.") && name.size() > 5)
            names.emplace_back(name.substr(5));
        start = end + 1;
    }
    return names;
}

std::optional<std::string> getAttribute(FileSystemCalls& calls, const std::string& path, std::string_view name, Error* outError)
{
    std::string attribute = userAttributeName(name);
    while (true) {
        ssize_t size = calls.getAttribute(path, attribute, nullptr, 0);
        if (size < 0) {
            failWithErrno(outError, u"Could not read the extended attribute " + toUTF16(name) + u" of", path);
            return std::nullopt;
        }
        std::string value(static_cast<size_t>(size), '\0');
        if (size == 0)
            return value;
        size = calls.getAttribute(path, attribute, value.data(), value.size());
        if (size >= 0) {
            value.resize(static_cast<size_t>(size));
            return value;
        }
        if (errno != ERANGE) {
            failWithErrno(outError, u"Could not read the extended attribute " + toUTF16(name) + u" of", path);
            return std::nullopt;
        }
    }
}

bool setAttribute(FileSystemCalls& calls, const std::string& path, std::string_view name, std::string_view value, Error* outError)
{
    if (calls.setAttribute(path, userAttributeName(name), value.data(), value.size()) < 0)
        return failWithErrno(outError, u"Could not set the extended attribute " + toUTF16(name) + u" of", path);
    return true;
}

} // namespace

std::optional<std::vector<DirectoryEntry>> directoryEntries(const std::string& path)
{
    DIR* directory = ::opendir(path.c_str());
    if (!directory)
        return std::nullopt;
    std::vector<DirectoryEntry> entries;
    while (dirent* entry = ::readdir(directory)) {
        if (!std::strcmp(entry->d_name, ".") || !std::strcmp(entry->d_name, ".."))
            continue;
        DirectoryEntryType type = DirectoryEntryType::Other;
        switch (entry->d_type) {
        case DT_UNKNOWN:
            type = DirectoryEntryType::Unknown;
            break;
        case DT_REG:
            type = DirectoryEntryType::RegularFile;
            break;
        case DT_DIR:
            type = DirectoryEntryType::Directory;
            break;
        case DT_LNK:
            type = DirectoryEntryType::SymbolicLink;
            break;
        }
        entries.push_back({ entry->d_name, type });
    }
    ::closedir(directory);
    std::sort(entries.begin(), entries.end(), [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return entries;
}

std::optional<std::vector<std::string>> directoryEntryNames(const std::string& path)
{
    DIR* directory = ::opendir(path.c_str());
    if (!directory)
        return std::nullopt;
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(directory)) {
        if (std::strcmp(entry->d_name, ".") && std::strcmp(entry->d_name, ".."))
            names.emplace_back(entry->d_name);
    }
    ::closedir(directory);
    std::sort(names.begin(), names.end());
    return names;
}

int writeAll(FileSystemCalls& calls, int fd, std::string_view data)
{
    off_t offset = 0;
    while (!data.empty()) {
        ssize_t count = calls.pwrite(fd, data.data(), data.size(), offset);
        if (count < 0)
            return errno;
        data.remove_prefix(static_cast<size_t>(count));
        offset += count;
    }
    return 0;
}

int giveReplacementTheOwnerOf(FileSystemCalls& calls, int fd, const struct stat& existing)
{
    if (existing.st_uid == ::geteuid() && existing.st_gid == ::getegid())
        return 0;
    if (calls.fchown(fd, existing.st_uid, existing.st_gid) == 0)
        return 0;
    if (errno != EPERM && errno != EINVAL)
        return errno;
    if (calls.fchown(fd, static_cast<uid_t>(-1), existing.st_gid) < 0 && errno != EPERM && errno != EINVAL)
        return errno;
    return 0;
}

namespace {

bool removeTree(const std::string& path, Error* outError)
{
    struct stat info;
    if (::lstat(path.c_str(), &info) < 0)
        return failWithErrno(outError, u"Could not remove", path);
    if (S_ISDIR(info.st_mode)) {
        auto names = directoryEntryNames(path);
        if (!names)
            return failWithErrno(outError, u"Could not remove", path);
        for (auto& name : *names) {
            if (!removeTree(joinPath(path, name), outError))
                return false;
        }
        if (::rmdir(path.c_str()) < 0)
            return failWithErrno(outError, u"Could not remove", path);
        return true;
    }
    if (::unlink(path.c_str()) < 0)
        return failWithErrno(outError, u"Could not remove", path);
    return true;
}

} // namespace

std::string parentDirectory(std::string_view path)
{
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    if (slash == 0)
        return "/";
    std::string_view parent = path.substr(0, slash);
    while (parent.size() > 1 && parent.back() == '/')
        parent.remove_suffix(1);
    return std::string(parent);
}

namespace {

constexpr size_t temporaryRandomLength = 8;
constexpr std::string_view temporaryMarker = ".tmp-";

} // namespace

std::string temporaryFileNameFor(std::string_view givenName)
{
    // "." + name + ".tmp-" + 8 random characters must fit in one file name:
    // a long name is cut, at a UTF-8 character boundary.
    const size_t nameRoom = NAME_MAX - 1 - temporaryMarker.size() - temporaryRandomLength;
    std::string name(givenName);
    if (name.size() > nameRoom) {
        size_t cut = nameRoom;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    return "." + name + std::string(temporaryMarker) + randomCharacters(temporaryRandomLength);
}

bool isTemporaryFileName(std::string_view name)
{
    const size_t tail = temporaryMarker.size() + temporaryRandomLength;
    if (name.size() < 1 + tail || name.front() != '.')
        return false;
    std::string_view random = name.substr(name.size() - temporaryRandomLength);
    return name.substr(name.size() - tail, temporaryMarker.size()) == temporaryMarker
        && std::all_of(random.begin(), random.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

std::optional<std::string> createTemporaryFileBeside(const std::string& path, int& outFD, Error* outError, FileSystemCalls& calls)
{
    size_t slash = path.rfind('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string folder = parentDirectory(path);
    outFD = -1;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temporaryPath = joinPath(folder, temporaryFileNameFor(name));
        outFD = calls.open(temporaryPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (outFD >= 0)
            return temporaryPath;
        if (errno != EEXIST)
            break;
    }
    failWithErrno(outError, u"Could not write", path);
    return std::nullopt;
}

std::optional<std::string> writeTemporaryFileBeside(const std::string& givenPath, std::string_view contents, std::string& outTarget,
                                                    Error* outError, mode_t newFileMode, FileSystemCalls& calls)
{
    // Writing through a symbolic link replaces the file it points to, not the link.
    std::string path = givenPath;
    struct stat linkInfo;
    if (calls.lstat(path, linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        std::string resolved = calls.realpath(path);
        if (!resolved.empty())
            path = std::move(resolved);
    }
    mode_t mode;
    struct stat existing;
    bool replacing = calls.stat(path, existing) == 0;
    if (!replacing && errno != ENOENT) {
        // A file that cannot be looked at would lose its mode, owner and
        // attributes in the replacement.
        failWithErrno(outError, u"Could not write", path);
        return std::nullopt;
    }
    if (replacing) {
        if (S_ISDIR(existing.st_mode)) {
            setError(outError, pathError(EISDIR, u"Could not write", path));
            return std::nullopt;
        }
        mode = existing.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = newFileMode & ~mask;
    }

    int fd = -1;
    auto temporary = createTemporaryFileBeside(path, fd, outError, calls);
    if (!temporary)
        return std::nullopt;
    const std::string& temporaryPath = *temporary;

    auto fail = [&](int errorNumber) -> std::optional<std::string> {
        calls.close(fd);
        calls.unlink(temporaryPath);
        setError(outError, pathError(errorNumber, u"Could not write", path));
        return std::nullopt;
    };
    if (int error = writeAll(calls, fd, contents))
        return fail(error);
    if (replacing) {
        if (int error = giveReplacementTheOwnerOf(calls, fd, existing))
            return fail(error);
        Error attributeError;
        auto names = listAttributes(calls, path, &attributeError);
        if (!names && attributeError.code() != ENOTSUP)
            return fail(static_cast<int>(attributeError.code()));
        for (const auto& name : names.value_or(std::vector<std::string> {})) {
            auto value = getAttribute(calls, path, name, &attributeError);
            if (!value && attributeError.code() == ENODATA)
                continue; // Removed meanwhile.
            if (!value || !setAttribute(calls, temporaryPath, name, *value, &attributeError))
                return fail(static_cast<int>(attributeError.code()));
        }
    }
    if (calls.fchmod(fd, mode) < 0)
        return fail(errno);
    if (calls.fsync(fd) < 0)
        return fail(errno);
    if (calls.close(fd) < 0) {
        int closeError = errno;
        calls.unlink(temporaryPath);
        setError(outError, pathError(closeError, u"Could not write", path));
        return std::nullopt;
    }
    outTarget = std::move(path);
    return temporary;
}

void syncFolderOf(const std::string& path, FileSystemCalls& calls)
{
    int folderFD = calls.open(parentDirectory(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFD >= 0) {
        calls.fsync(folderFD);
        calls.close(folderFD);
    }
}

std::optional<std::string> createTemporaryFileBeside(const std::string& path, int& outFD, Error* outError)
{
    return createTemporaryFileBeside(path, outFD, outError, FileSystemCalls::system());
}

std::optional<std::string> writeTemporaryFileBeside(const std::string& path, std::string_view contents, std::string& outTarget,
                                                    Error* outError, mode_t newFileMode)
{
    return writeTemporaryFileBeside(path, contents, outTarget, outError, newFileMode, FileSystemCalls::system());
}

void syncFolderOf(const std::string& path)
{
    syncFolderOf(path, FileSystemCalls::system());
}

bool writeFileAtomically(const std::string& givenPath, std::string_view contents, Error* outError, mode_t newFileMode)
{
    std::string path;
    auto temporaryPath = writeTemporaryFileBeside(givenPath, contents, path, outError, newFileMode);
    if (!temporaryPath)
        return false;
    if (::rename(temporaryPath->c_str(), path.c_str()) < 0) {
        int renameError = errno;
        ::unlink(temporaryPath->c_str());
        return setError(outError, pathError(renameError, u"Could not write", path));
    }
    // Make the rename itself durable.
    syncFolderOf(path);
    return true;
}

std::optional<std::string> createUniqueFile(const std::string& folder, std::string_view baseName, FileKind kind,
                                            Error* outError, long firstNumber, bool tryBaseName)
{
    if (baseName.empty() || baseName.find('/') != std::string_view::npos) {
        setError(outError, pathError(EINVAL, u"Could not create a file named", std::string(baseName)));
        return std::nullopt;
    }
    std::string_view stem = baseName;
    std::string_view extension;
    size_t dot = baseName.rfind('.');
    if (dot != std::string_view::npos && dot > 0) {
        stem = baseName.substr(0, dot);
        extension = baseName.substr(dot);
    }
    if (tryBaseName) {
        std::string path = joinPath(folder, baseName);
        if (createExclusively(path, kind))
            return path;
        if (errno != EEXIST) {
            failWithErrno(outError, u"Could not create", path);
            return std::nullopt;
        }
    }
    for (long number = std::max(firstNumber, 1L); number < firstNumber + 100000; ++number) {
        std::string path = joinPath(folder, std::string(stem) + " " + std::to_string(number) + std::string(extension));
        if (createExclusively(path, kind))
            return path;
        if (errno != EEXIST) {
            failWithErrno(outError, u"Could not create", path);
            return std::nullopt;
        }
    }
    setError(outError, pathError(EEXIST, u"Could not create", joinPath(folder, baseName)));
    return std::nullopt;
}

std::optional<std::string> createFileFromTemplate(std::string_view pathTemplate, size_t suffixLength, Error* outError)
{
    std::string path(pathTemplate);
    if (suffixLength > path.size()) {
        setError(outError, pathError(EINVAL, u"Bad file name template", path));
        return std::nullopt;
    }
    size_t end = path.size() - suffixLength;
    size_t start = end;
    while (start > 0 && path[start - 1] == 'X')
        --start;
    if (start == end || path.find('/', start) != std::string::npos) {
        setError(outError, pathError(EINVAL, u"Bad file name template", path));
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 10000; ++attempt) {
        path.replace(start, end - start, randomCharacters(end - start));
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            failWithErrno(outError, u"Could not create", path);
            return std::nullopt;
        }
    }
    setError(outError, pathError(EEXIST, u"Could not create", std::string(pathTemplate)));
    return std::nullopt;
}

std::optional<std::string> createTemporaryDirectory(std::string_view prefix, Error* outError)
{
    std::string pathTemplate = joinPath(temporaryDirectory(), std::string(prefix) + "-XXXXXX");
    if (!::mkdtemp(pathTemplate.data())) {
        failWithErrno(outError, u"Could not create", pathTemplate);
        return std::nullopt;
    }
    return pathTemplate;
}

bool createDirectory(const std::string& path, bool intermediates, Error* outError, mode_t mode)
{
    if (::mkdir(path.c_str(), mode) == 0)
        return true;
    if (!intermediates)
        return failWithErrno(outError, u"Could not create the folder", path);
    if (errno == EEXIST) {
        if (isDirectory(path))
            return true;
        return setError(outError, pathError(EEXIST, u"Could not create the folder", path));
    }
    if (errno != ENOENT)
        return failWithErrno(outError, u"Could not create the folder", path);
    std::string parent = parentDirectory(path);
    if (parent == path || !createDirectory(parent, true, outError, mode))
        return parent == path ? failWithErrno(outError, u"Could not create the folder", path) : false;
    if (::mkdir(path.c_str(), mode) == 0 || (errno == EEXIST && isDirectory(path)))
        return true;
    return failWithErrno(outError, u"Could not create the folder", path);
}

bool removeItem(const std::string& path, Error* outError)
{
    return removeTree(path, outError);
}

bool fileExists(const std::string& path, bool* isDirectoryOut)
{
    struct stat info;
    if (::stat(path.c_str(), &info) < 0) {
        if (isDirectoryOut)
            *isDirectoryOut = false;
        return false;
    }
    if (isDirectoryOut)
        *isDirectoryOut = S_ISDIR(info.st_mode);
    return true;
}

bool isDirectory(const std::string& path)
{
    bool directory = false;
    return fileExists(path, &directory) && directory;
}

FileStamp fileStampOfStatus(const struct ::stat& info)
{
    return { { info.st_dev, info.st_ino }, static_cast<uint64_t>(info.st_size), static_cast<int64_t>(info.st_mtim.tv_sec),
             static_cast<int64_t>(info.st_mtim.tv_nsec) };
}

std::optional<FileIdentity> fileIdentity(const std::string& path, Error* outError, bool followSymbolicLinks)
{
    struct stat info;
    int result = followSymbolicLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    if (result < 0) {
        failWithErrno(outError, u"Could not read the attributes of", path);
        return std::nullopt;
    }
    return FileIdentity { info.st_dev, info.st_ino };
}

std::optional<std::vector<std::string>> listExtendedAttributes(const std::string& path, Error* outError)
{
    return listAttributes(FileSystemCalls::system(), path, outError);
}

std::optional<std::string> getExtendedAttribute(const std::string& path, std::string_view name, Error* outError)
{
    return getAttribute(FileSystemCalls::system(), path, name, outError);
}

bool setExtendedAttribute(const std::string& path, std::string_view name, std::string_view value, Error* outError)
{
    return setAttribute(FileSystemCalls::system(), path, name, value, outError);
}

bool removeExtendedAttribute(const std::string& path, std::string_view name, Error* outError)
{
    if (::lremovexattr(path.c_str(), userAttributeName(name).c_str()) < 0)
        return failWithErrno(outError, u"Could not remove the extended attribute " + toUTF16(name) + u" of", path);
    return true;
}

std::string homeDirectory()
{
    const char* home = ::getenv("HOME");
    if (home && *home)
        return home;
    if (passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

std::string xdgFolder(XDGFolder folder)
{
    const char* variable = nullptr;
    const char* fallback = nullptr;
    switch (folder) {
    case XDGFolder::Config:
        variable = "XDG_CONFIG_HOME";
        fallback = ".config";
        break;
    case XDGFolder::Data:
        variable = "XDG_DATA_HOME";
        fallback = ".local/share";
        break;
    case XDGFolder::Cache:
        variable = "XDG_CACHE_HOME";
        fallback = ".cache";
        break;
    }
    const char* value = ::getenv(variable);
    // Relative values are invalid and ignored.
    if (value && value[0] == '/')
        return value;
    return joinPath(homeDirectory(), fallback);
}

std::optional<std::string> applicationFolder(XDGFolder folder, bool create, Error* outError)
{
    std::string path = joinPath(xdgFolder(folder), ApplicationFolderName);
    if (create && !createDirectory(path, true, outError, 0700))
        return std::nullopt;
    return path;
}

std::string temporaryDirectory()
{
    const char* value = ::getenv("TMPDIR");
    if (value && value[0] == '/')
        return value;
    return "/tmp";
}

} // namespace brevanton
