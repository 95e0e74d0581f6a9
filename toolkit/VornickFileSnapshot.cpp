#include "toolkit/VornickFileSnapshot.h"

#include "platform/foundation/CharacterSet.h"

#include <algorithm>
#include <mutex>
#include <sys/stat.h>

namespace brevanton {

namespace {

// Runs `make` the first time and marks it done; later calls only read the
// mark. One lock serves all snapshots rather than a std::call_once flag
// each, whose every first call ends in a system call (waking waiters,
// whether any wait or not): one per file of a tree as it is indexed.
template<typename Make>
void runOnce(std::atomic<bool>& done, std::mutex& mutex, Make&& make)
{
    if (done.load(std::memory_order_acquire))
        return;
    std::lock_guard lock(mutex);
    if (done.load(std::memory_order_relaxed))
        return;
    make();
    done.store(true, std::memory_order_release);
}

std::mutex urlMutex;
std::mutex statusMutex;

} // namespace

VornickFileSnapshot::VornickFileSnapshot(const URL& url, std::string path)
    : m_url(url)
    , m_path(std::move(path))
{
}

const URL& VornickFileSnapshot::fileURL() const
{
    if (m_urlFromPath)
        runOnce(m_urlMade, urlMutex, [this] { m_url = URL::fileURLWithPath(m_path, m_isDirectory); });
    return *m_url;
}

std::string_view VornickFileSnapshot::name() const
{
    size_t slash = m_path.rfind('/');
    return slash == std::string::npos ? std::string_view(m_path) : std::string_view(m_path).substr(slash + 1);
}

bool VornickFileSnapshot::hasPathExtension(std::u16string_view extension) const
{
    auto isASCIIAlphanumeric = [](char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); };
    if (!m_urlFromPath || extension.empty() || !std::all_of(extension.begin(), extension.end(), isASCIIAlphanumeric))
        return fileURL().pathExtension() == extension;
    // The last "." is the one before the extension, and not the name's first character.
    std::string_view entry = name();
    if (entry.size() < extension.size() + 2 || entry[entry.size() - extension.size() - 1] != '.')
        return false;
    return std::equal(extension.begin(), extension.end(), entry.end() - static_cast<ptrdiff_t>(extension.size()),
                      [](char16_t a, char b) { return a == static_cast<char16_t>(b); });
}

std::u16string VornickFileSnapshot::decodedName() const
{
    std::string_view entry = name();
    if (!m_urlFromPath || entry.empty() || !std::all_of(entry.begin(), entry.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return fileURL().lastPathComponent();
    return std::u16string(entry.begin(), entry.end());
}

void VornickFileSnapshot::readStatus(bool followLinkedFolders)
{
    struct stat info;
    if (m_path.empty())
        return;
    if (!followLinkedFolders) {
        if (::lstat(m_path.c_str(), &info) != 0)
            return;
        m_isSymbolicLink = S_ISLNK(info.st_mode);
    }
    if (::stat(m_path.c_str(), &info) != 0)
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
    runOnce(m_deferredStatusRead, statusMutex, [this] {
        auto* self = const_cast<VornickFileSnapshot*>(this);
        struct stat info;
        // A file gone since the walk keeps what the walk saw: that it was there.
        if (::stat(m_path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
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

std::shared_ptr<VornickFileSnapshot> VornickFileSnapshot::createWithStatus(const URL& url, std::string path, const struct ::stat& status)
{
    auto snapshot = std::shared_ptr<VornickFileSnapshot>(new VornickFileSnapshot(url, std::move(path)));
    snapshot->takeStatus(status);
    return snapshot;
}

std::shared_ptr<VornickFileSnapshot> VornickFileSnapshot::createAsStandaloneSnapshotOfURL(const URL& url)
{
    auto snapshot = std::shared_ptr<VornickFileSnapshot>(new VornickFileSnapshot(url, url.fileSystemPath().value_or(std::string())));
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
    auto entries = m_path.empty() ? std::nullopt : directoryEntries(m_path);
    if (!entries)
        return;
    m_children.reserve(entries->size());
    for (const auto& [name, type] : *entries) {
        auto child = std::shared_ptr<VornickFileSnapshot>(new VornickFileSnapshot(m_path + "/" + name));
        child->m_urlFromPath = true;
        if (type == DirectoryEntryType::RegularFile) {
            child->m_exists = true;
            child->m_statusDeferred = true;
        } else
            child->readStatus(false);
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
            if (child->decodedName() == name) {
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
        return fileURL();
    // Characters a URL path may not hold as such (blanks, "%", "#", "?", ...) are escaped.
    static const CharacterSet allowed = CharacterSet::fromCharacters(
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-._~!$&'()*+,;=:@");
    std::u16string escaped = percentEncode(decodedName(), allowed);
    if (m_isDirectory)
        escaped += u'/';
    // A name with a ":" before any "/" would read as a scheme: "./" keeps it a path.
    if (escaped.find(u':') != std::u16string::npos)
        escaped = u"./" + escaped;
    auto relative = URL::create(escaped, &parent->fileURL());
    return relative ? *relative : fileURL();
}

bool VornickFileSnapshot::isEqualToSnapshot(const VornickFileSnapshot& other) const
{
    return m_exists == other.m_exists && identity() == other.identity() && size() == other.size()
        && modificationDate() == other.modificationDate() && m_isDirectory == other.m_isDirectory;
}

} // namespace brevanton
