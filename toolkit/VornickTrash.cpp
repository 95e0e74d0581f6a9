#include "toolkit/VornickTrash.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace brevanton {

namespace {

struct TrashFolder {
    std::string path;
    // Empty for the home trash, whose info files hold absolute paths.
    std::string topDirectory;
};

bool failWithErrno(Error* outError, int errorNumber, const std::string& what)
{
    return setError(outError, Error::posix(errorNumber, toUTF16(what)));
}

// Makes the folder with mode 0700 unless it exists; answers whether it is a folder (not a link).
bool ensurePrivateFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct ::stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The nearest existing folder at or above the path, for its device.
std::optional<dev_t> deviceOfPathOrAncestor(std::string path)
{
    while (true) {
        struct ::stat info {};
        if (::stat(path.c_str(), &info) == 0)
            return info.st_dev;
        if (path == "/" || path.empty())
            return std::nullopt;
        path = parentDirectory(path);
    }
}

// The top folder of the mount the path lies on: the highest ancestor on the same device.
std::string mountTopDirectory(const std::string& path, dev_t device)
{
    std::string top = path;
    while (top != "/") {
        std::string parent = parentDirectory(top);
        struct ::stat info {};
        if (::stat(parent.c_str(), &info) != 0 || info.st_dev != device)
            break;
        top = parent;
    }
    return top;
}

std::optional<TrashFolder> trashFolderForDevice(dev_t device, const std::string& itemFolder, Error* outError)
{
    std::string home = xdgFolder(XDGFolder::Data);
    if (deviceOfPathOrAncestor(home) == device) {
        std::string trash = home + "/Trash";
        if (!isDirectory(home) && !createDirectory(home, true, outError))
            return std::nullopt;
        if (!ensurePrivateFolder(trash)) {
            failWithErrno(outError, errno ? errno : ENOTDIR, "Cannot use the trash folder " + trash);
            return std::nullopt;
        }
        return TrashFolder { trash, {} };
    }

    std::string top = mountTopDirectory(itemFolder, device);
    std::string uid = std::to_string(::getuid());
    std::string shared = (top == "/" ? "" : top) + "/.Trash";
    struct ::stat info {};
    if (::lstat(shared.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        std::string own = shared + "/" + uid;
        struct ::stat ownInfo {};
        if (ensurePrivateFolder(own) && ::lstat(own.c_str(), &ownInfo) == 0 && ownInfo.st_uid == ::getuid())
            return TrashFolder { own, top };
    }
    std::string own = (top == "/" ? "" : top) + "/.Trash-" + uid;
    struct ::stat ownInfo {};
    if (ensurePrivateFolder(own) && ::lstat(own.c_str(), &ownInfo) == 0 && ownInfo.st_uid == ::getuid())
        return TrashFolder { own, top };
    setError(outError, Error::posix(EXDEV, toUTF16("No trash can be used on the device of " + itemFolder)));
    return std::nullopt;
}

// Percent-encodes every byte but the unreserved ones and "/".
std::string percentEncodedPath(const std::string& path)
{
    static const char* hex = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char byte : path) {
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || byte == '-'
            || byte == '.' || byte == '_' || byte == '~' || byte == '/') {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 15];
        }
    }
    return encoded;
}

std::string localDeletionDate()
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// "name.ext", "name 2.ext", ...; a name without extension, or a dot file, takes the number at its end.
std::string candidateName(const std::string& name, int number)
{
    if (number == 1)
        return name;
    size_t dot = name.rfind('.');
    std::string suffix = " " + std::to_string(number);
    if (dot == std::string::npos || dot == 0)
        return name + suffix;
    return name.substr(0, dot) + suffix + name.substr(dot);
}

bool writeAll(int fd, const std::string& text)
{
    size_t written = 0;
    while (written < text.size()) {
        ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += static_cast<size_t>(count);
    }
    return true;
}

} // namespace

std::optional<URL> vornick_moveFileToTrash(const URL& fileURL, Error* outError)
{
    auto path = fileURL.fileSystemPath();
    if (!path || path->empty() || path->front() != '/') {
        setError(outError, Error::posix(EINVAL, u"Not a file path: " + fileURL.absoluteString()));
        return std::nullopt;
    }
    while (path->size() > 1 && path->back() == '/')
        path->pop_back();
    struct ::stat item {};
    if (::lstat(path->c_str(), &item) != 0) {
        failWithErrno(outError, errno, "Cannot move " + *path + " to the Trash");
        return std::nullopt;
    }
    std::string itemFolder = parentDirectory(*path);
    struct ::stat folder {};
    if (::stat(itemFolder.c_str(), &folder) != 0) {
        failWithErrno(outError, errno, "Cannot move " + *path + " to the Trash");
        return std::nullopt;
    }
    auto trash = trashFolderForDevice(item.st_dev, itemFolder, outError);
    if (!trash)
        return std::nullopt;
    std::string filesFolder = trash->path + "/files";
    std::string infoFolder = trash->path + "/info";
    if (!ensurePrivateFolder(filesFolder) || !ensurePrivateFolder(infoFolder)) {
        failWithErrno(outError, errno ? errno : ENOTDIR, "Cannot use the trash folder " + trash->path);
        return std::nullopt;
    }

    std::string recordedPath = *path;
    if (!trash->topDirectory.empty() && trash->topDirectory != "/")
        recordedPath = path->substr(trash->topDirectory.size() + 1);
    else if (trash->topDirectory == "/")
        recordedPath = path->substr(1);
    std::string info = "[Trash Info]\nPath=" + percentEncodedPath(recordedPath) + "\nDeletionDate=" + localDeletionDate() + "\n";

    std::string baseName = path->substr(path->rfind('/') + 1);
    for (int number = 1; number < 10000; ++number) {
        std::string name = candidateName(baseName, number);
        std::string infoPath = infoFolder + "/" + name + ".trashinfo";
        int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            failWithErrno(outError, errno, "Cannot write " + infoPath);
            return std::nullopt;
        }
        std::string trashedPath = filesFolder + "/" + name;
        struct ::stat existing {};
        if (::lstat(trashedPath.c_str(), &existing) == 0) {
            // A file without its info file: leave both alone and take another name.
            ::close(fd);
            ::unlink(infoPath.c_str());
            continue;
        }
        bool written = writeAll(fd, info) && ::fsync(fd) == 0;
        int writeError = errno;
        ::close(fd);
        if (!written) {
            ::unlink(infoPath.c_str());
            failWithErrno(outError, writeError, "Cannot write " + infoPath);
            return std::nullopt;
        }
        if (::rename(path->c_str(), trashedPath.c_str()) != 0) {
            int renameError = errno;
            ::unlink(infoPath.c_str());
            failWithErrno(outError, renameError, "Cannot move " + *path + " to the Trash");
            return std::nullopt;
        }
        return URL::fileURLWithPath(trashedPath, S_ISDIR(item.st_mode));
    }
    setError(outError, Error::posix(EEXIST, toUTF16("No free name in the trash for " + baseName)));
    return std::nullopt;
}

} // namespace brevanton
