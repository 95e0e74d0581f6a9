// VornickWebResourceCache: copies of web resources (data, MIME type, text
// encoding) kept by the URL they were loaded from, so that a page loaded
// again gets them without another fetch. This base keeps them in memory and
// is used on the main thread only; a cache kept on disk for a blog
// (documents/VornickDiskWebResourceCache) overrides the operations.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace brevanton {

class URLResponse;
class WebResource;

class VornickWebResourceCache {
public:
    VornickWebResourceCache() = default;
    virtual ~VornickWebResourceCache() = default;
    VornickWebResourceCache(const VornickWebResourceCache&) = delete;
    VornickWebResourceCache& operator=(const VornickWebResourceCache&) = delete;

    // The cached resource of a URL (compared without its fragment), or null.
    virtual std::shared_ptr<WebResource> cachedWebResourceForURL(const URL&) const;
    // Stores a copy of the resource under its URL, replacing an older one.
    virtual void storeCachedWebResource(const WebResource&);
    // Stores the data of a response under the response's URL, with its MIME
    // type (taken from the URL's extension when the response has none) and
    // text encoding. Answers whether it was stored.
    [[nodiscard]] virtual bool storeCachedURLResponse(const URLResponse&, const Data&);
    // The folder a download for the cache is written to, so that its file
    // can be moved in whole; empty for a cache that keeps copies in memory.
    virtual std::string downloadFolderPath() const { return {}; }
    // Stores the response whose body is the file at `path`, which the cache
    // takes (a cache on disk moves it in; this one reads it). Answers
    // whether it was stored; the file is gone either way.
    [[nodiscard]] virtual bool storeCachedURLResponseFromFile(const URLResponse&, const std::string& path);
    // The absolute strings of the URLs cached (without fragments).
    virtual std::set<std::u16string> cachedSourceURLs() const;
    virtual void removeAllCachedResources() { m_resources.clear(); }

    // The key a URL is cached under: its absolute string without the
    // fragment, which never changes what is loaded.
    static std::u16string cacheKeyForURL(const URL&);

private:
    std::map<std::u16string, std::shared_ptr<WebResource>> m_resources;
};

} // namespace brevanton
