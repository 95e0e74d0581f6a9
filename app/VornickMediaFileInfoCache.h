// VornickMediaFileInfoCache: what the application knows of media files (for
// now the pixel size of images), read on demand and kept by URL. An entry is
// read again when its file changed since it was read. Thread-safe.
#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace brevanton {

class VornickMediaFileInfo {
public:
    VornickMediaFileInfo(const URL& fileURL, uint32_t pixelsWide, uint32_t pixelsHigh)
        : m_fileURL(fileURL), m_pixelsWide(pixelsWide), m_pixelsHigh(pixelsHigh) {}

    const URL& fileURL() const { return m_fileURL; }
    uint32_t pixelsWide() const { return m_pixelsWide; }
    uint32_t pixelsHigh() const { return m_pixelsHigh; }

private:
    URL m_fileURL;
    uint32_t m_pixelsWide;
    uint32_t m_pixelsHigh;
};

class VornickMediaFileInfoCache {
public:
    // The info of the image file at a file URL. When it is not stored (or
    // its file changed) and `fetchIfNecessary` is true, the file's header is
    // read and the result stored. Null for an unknown or unreadable image.
    std::shared_ptr<const VornickMediaFileInfo> infoForURL(const URL&, bool fetchIfNecessary);
    void removeAllInfo();

private:
    struct Entry {
        std::shared_ptr<const VornickMediaFileInfo> info;
        int64_t modificationTime { 0 };
        uint64_t size { 0 };
    };
    std::mutex m_mutex;
    std::map<std::string, Entry> m_entries;
};

} // namespace brevanton
