#include "app/VornickMediaFileInfoCache.h"

#include "platform/views/ImagePixelSize.h"

#include <sys/stat.h>

namespace brevanton {

std::shared_ptr<const VornickMediaFileInfo> VornickMediaFileInfoCache::infoForURL(const URL& url, bool fetchIfNecessary)
{
    auto path = url.isFileURL() ? url.fileSystemPath() : std::nullopt;
    if (!path)
        return nullptr;
    struct stat status;
    bool exists = ::stat(path->c_str(), &status) == 0 && S_ISREG(status.st_mode);
    int64_t modificationTime = exists ? int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec : 0;
    uint64_t size = exists ? uint64_t(status.st_size) : 0;

    std::lock_guard lock(m_mutex);
    auto found = m_entries.find(*path);
    // An entry of a file that has changed since is not used.
    if (found != m_entries.end() && exists && found->second.modificationTime == modificationTime
        && found->second.size == size)
        return found->second.info;
    if (!fetchIfNecessary)
        return nullptr;
    if (!exists) {
        if (found != m_entries.end())
            m_entries.erase(found);
        return nullptr;
    }
    auto pixelSize = imagePixelSizeOfFile(*path);
    Entry entry;
    entry.modificationTime = modificationTime;
    entry.size = size;
    if (pixelSize)
        entry.info = std::make_shared<const VornickMediaFileInfo>(url, static_cast<uint32_t>(pixelSize->pixelsWide),
                                                                 static_cast<uint32_t>(pixelSize->pixelsHigh));
    m_entries[*path] = entry;
    return entry.info;
}

void VornickMediaFileInfoCache::removeAllInfo()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

} // namespace brevanton
