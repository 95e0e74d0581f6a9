// VornickDiskWebResourceCache: a blog's web resource cache, kept on disk so
// that posts show offline. The cache folder holds one file per cached
// resource and the SQLite index "index.brevantoncachedb", which maps each
// source URL (without fragment) to its file, MIME type and text encoding.
//
// Safe from any thread: every operation holds the cache's lock, and the
// index is opened in SQLite's serialized mode. A resource's file is written
// (atomically) before its row, so a crash leaves at worst an unlisted file,
// never a row naming a missing or half-written one.
#pragma once

#include "documents/VornickWebResourceCache.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace brevanton {

class URLResponse;

// Posted on the default centre, on the main thread, after a resource was
// stored in a file new to the cache (a resource stored again keeps its
// file). Object: the cache, for comparison only (it may be gone by the time
// a post from another thread is delivered); userInfo "sourceURL" and
// "cachedFileURL", absolute URL strings.
inline constexpr const char* VornickWebResourceCacheDidAddFileNotification = "VornickWebResourceCacheDidAddFileNotification";

class VornickDiskWebResourceCache final : public VornickWebResourceCache {
public:
    static constexpr const char* IndexFileName = "index.brevantoncachedb";

    // The cache in `cacheDirectoryURL` (a file URL), made with its parents
    // when missing. An index that is not a database (damaged, or another
    // file) is set aside as "<name>.unreadable" and a new one started: the
    // cache only holds copies. Null with the error when the folder or the
    // index cannot be made.
    [[nodiscard]] static std::shared_ptr<VornickDiskWebResourceCache> createWithCacheDirectoryURL(
        const URL& cacheDirectoryURL, Error* outError = nullptr);
    ~VornickDiskWebResourceCache() override;

    const URL& cacheDirectoryURL() const { return m_directoryURL; }

    // Null when the URL is not cached or its file can no longer be read.
    std::shared_ptr<WebResource> cachedWebResourceForURL(const URL&) const override;
    // Failures are logged; the cache is left as it was.
    void storeCachedWebResource(const WebResource&) override;
    std::set<std::u16string> cachedSourceURLs() const override;
    // Removes every row and every cached file.
    void removeAllCachedResources() override;

    // The file URL of the cached copy of a URL; the URL itself when it
    // already lies inside the cache folder; otherwise nothing.
    std::optional<URL> cachedFileURLForURL(const URL&) const;
    // The source URL of the entry whose file is `cachedFileURL`, or nothing.
    std::optional<URL> originalURLForCachedFileURL(const URL& cachedFileURL) const;
    // Stores a copy of a local file whose MIME type is known from its
    // extension, under the file's own URL, and answers the copy's URL;
    // nothing when it is not a readable local file of a known type.
    std::optional<URL> storeCopyOfFile(const URL& fileURL);
    // Failures are logged; the cache is left as it was.
    [[nodiscard]] bool storeCachedURLResponse(const URLResponse&, const Data&) override;
    // The cache folder: a download's file is renamed into place, never copied.
    std::string downloadFolderPath() const override { return m_directoryPath; }
    [[nodiscard]] bool storeCachedURLResponseFromFile(const URLResponse&, const std::string& path) override;

private:
    struct Index;
    VornickDiskWebResourceCache(URL directoryURL, std::string directoryPath, std::unique_ptr<Index>);
    // `addedFileName` gets the name of the file made for a new entry. The
    // contents are `data`, or the file `bodyFile` (in the cache folder),
    // renamed into place.
    bool storeResource(const std::u16string& key, const URL& sourceURL, const Data&, const std::u16string& MIMEType,
                       const std::u16string& textEncodingName, Error* outError, std::string* addedFileName = nullptr,
                       const std::string* bodyFile = nullptr);
    // Posts VornickWebResourceCacheDidAddFileNotification; called without the lock.
    void postDidAddFile(const URL& sourceURL, const std::string& fileName) const;
    std::optional<std::string> fileNameForKey(const std::u16string& key) const;

    URL m_directoryURL;
    std::string m_directoryPath;
    mutable std::mutex m_mutex;
    std::unique_ptr<Index> m_index;
};

} // namespace brevanton
