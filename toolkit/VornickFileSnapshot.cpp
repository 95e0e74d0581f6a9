#include "toolkit/VornickFileSnapshot.h"

#include "platform/foundation/CharacterSet.h"

#include <sys/stat.h>

namespace brevanton {

void VornickFileSnapshot::readStatus(bool followLinkedFolders)
{
    auto path = m_url.fileSystemPath();
    struct stat info;
    if (!path)
        return;
    if (!followLinkedFolders) {
        if (::lstat(path->c_str(), &info) != 0)
            return;
        m_isSymbolicLink = S_ISLNK(info.st_mode);
    }
    if (::stat(path->c_str(), &info) != 0)
        return;
    takeStatus(info);
}

void VornickFileSnapshot::takeStatus(const struct ::stat& info)
{
    m_exists = true;
    m_isDirectory = S_ISDIR(info.st_mode);
    m_size = static_cast<uint64_t>(info.st_size);
    m_modificationDate = Date(static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9);
    m_identity = { info.st_dev, info.st_ino };
}

void VornickFileSnapshot::readDeferredStatus() const
{
    if (!m_statusDeferred)
        return;
    std::call_once(m_deferredStatusRead, [this] {
        auto* self = const_cast<VornickFileSnapshot*>(this);
        struct stat info;
        auto path = m_url.fileSystemPath();
        // A file gone since the walk keeps what the walk saw: that it was there.
        if (path && ::stat(path->c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
            self->m_size = static_cast<uint64_t>(info.st_size);
            self->m_modificationDate = Date(static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9);
            self->m_identity = { info.st_dev, info.st_ino };
        }
    });
}

uint64_t VornickFileSnapshot::size() const
{
    readDeferredStatus();
    return m_size;
}

Date VornickFileSnapshot::modificationDate() const
{
    readDeferredStatus();
    return m_modificationDate;
}

const FileIdentity& VornickFileSnapshot::identity() const
{
    readDeferredStatus();
    return m_identity;
}

std::shared_ptr<VornickFileSnapshot> VornickFileSnapshot::createWithStatus(const URL& url, const struct ::stat& status)
{
    auto snapshot = std::shared_ptr<VornickFileSnapshot>(new VornickFileSnapshot(url));
    snapshot->takeStatus(status);
    return snapshot;
}

std::shared_ptr<VornickFileSnapshot> VornickFileSnapshot::createAsStandaloneSnapshotOfURL(const URL& url)
{
    auto snapshot = std::shared_ptr<VornickFileSnapshot>(new VornickFileSnapshot(url));
    snapshot->readStatus(true);
    return snapshot;
}

std::shared_ptr<VornickFileSnapshot> VornickFileSnapshot::createSnapshotOfTreeAtURL(const URL& url)
{
    auto snapshot = createAsStandaloneSnapshotOfURL(url);
    if (snapshot->m_isDirectory)
        snapshot->addChildSnapshots(snapshot);
    return snapshot;
}

void VornickFileSnapshot::addChildSnapshots(const std::shared_ptr<VornickFileSnapshot>& self)
{
    auto path = m_url.fileSystemPath();
    auto entries = path ? directoryEntries(*path) : std::nullopt;
    if (!entries)
        return;
    for (const auto& [name, type] : *entries) {
        std::string childPath = *path + "/" + name;
        auto child = std::shared_ptr<VornickFileSnapshot>(new VornickFileSnapshot(URL::fileURLWithPath(childPath, false)));
        if (type == DirectoryEntryType::RegularFile) {
            child->m_exists = true;
            child->m_statusDeferred = true;
        } else
            child->readStatus(false);
        if (child->m_isDirectory)
            child->m_url = URL::fileURLWithPath(childPath, true);
        child->m_parent = self;
        if (child->m_isDirectory && !child->m_isSymbolicLink)
            child->addChildSnapshots(child);
        m_children.push_back(std::move(child));
    }
}

std::shared_ptr<VornickFileSnapshot> VornickFileSnapshot::childWithRelativeURLString(
    std::u16string_view relativeURLString) const
{
    const VornickFileSnapshot* folder = this;
    std::shared_ptr<VornickFileSnapshot> found;
    size_t start = 0;
    while (start < relativeURLString.size()) {
        size_t end = relativeURLString.find(u'/', start);
        if (end == std::u16string_view::npos)
            end = relativeURLString.size();
        auto name = relativeURLString.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == u".")
            continue;
        if (!folder)
            return nullptr;
        found = nullptr;
        for (const auto& child : folder->m_children) {
            if (child->m_url.lastPathComponent() == name) {
                found = child;
                break;
            }
        }
        if (!found)
            return nullptr;
        folder = found.get();
    }
    return found;
}

URL VornickFileSnapshot::relativeURL() const
{
    auto parent = m_parent.lock();
    if (!parent)
        return m_url;
    // Characters a URL path may not hold as such (blanks, "%", "#", "?", ...) are escaped.
    static const CharacterSet allowed = CharacterSet::fromCharacters(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~!$&'()*+,;=:@");
    std::u16string escaped = percentEncode(m_url.lastPathComponent(), allowed);
    if (m_isDirectory)
        escaped += u'/';
    // A name with a ":" before any "/" would read as a scheme: "./" keeps it a path.
    if (escaped.find(u':') != std::u16string::npos)
        escaped = u"./" + escaped;
    auto relative = URL::create(escaped, &parent->m_url);
    return relative ? *relative : m_url;
}

bool VornickFileSnapshot::isEqualToSnapshot(const VornickFileSnapshot& other) const
{
    return m_exists == other.m_exists && identity() == other.identity() && size() == other.size()
        && modificationDate() == other.modificationDate() && m_isDirectory == other.m_isDirectory;
}

} // namespace brevanton
