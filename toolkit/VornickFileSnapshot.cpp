#include "toolkit/VornickFileSnapshot.h"

#include <sys/stat.h>

namespace brevanton {

std::shared_ptr<VornickFileSnapshot> VornickFileSnapshot::createAsStandaloneSnapshotOfURL(const URL& url)
{
    auto snapshot = std::shared_ptr<VornickFileSnapshot>(new VornickFileSnapshot(url));
    auto path = url.fileSystemPath();
    struct stat info;
    if (path && ::stat(path->c_str(), &info) == 0) {
        snapshot->m_exists = true;
        snapshot->m_isDirectory = S_ISDIR(info.st_mode);
        snapshot->m_size = static_cast<uint64_t>(info.st_size);
        snapshot->m_modificationDate = Date(static_cast<double>(info.st_mtim.tv_sec) + info.st_mtim.tv_nsec / 1e9);
        snapshot->m_identity = { info.st_dev, info.st_ino };
    }
    return snapshot;
}

bool VornickFileSnapshot::isEqualToSnapshot(const VornickFileSnapshot& other) const
{
    return m_exists == other.m_exists && m_identity == other.m_identity && m_size == other.m_size
        && m_modificationDate == other.m_modificationDate && m_isDirectory == other.m_isDirectory;
}

} // namespace brevanton
