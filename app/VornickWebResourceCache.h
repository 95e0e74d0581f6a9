// VornickWebResourceCache: copies of web resources (data, MIME type, text
// encoding) kept in memory by the URL they were loaded from, so that a page
// loaded again gets them without another fetch. Main thread only.
#pragma once

#include "platform/foundation/URL.h"

#include <map>
#include <memory>
#include <set>
#include <string>

namespace brevanton {

class WebResource;

class VornickWebResourceCache {
public:
    VornickWebResourceCache() = default;
    VornickWebResourceCache(const VornickWebResourceCache&) = delete;
    VornickWebResourceCache& operator=(const VornickWebResourceCache&) = delete;

    // The cached resource of a URL (compared without its fragment), or null.
    std::shared_ptr<WebResource> cachedWebResourceForURL(const URL&) const;
    // Stores a copy of the resource under its URL, replacing an older one.
    void storeCachedWebResource(const WebResource&);
    // The absolute strings of the URLs cached.
    std::set<std::u16string> cachedSourceURLs() const;
    void removeAllCachedResources() { m_resources.clear(); }

private:
    std::map<std::u16string, std::shared_ptr<WebResource>> m_resources;
};

} // namespace brevanton
