#include "documents/VornickWebResourceCache.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/net/URLResponse.h"
#include "platform/net/WebResource.h"

namespace brevanton {

std::u16string VornickWebResourceCache::cacheKeyForURL(const URL& url)
{
    const auto& string = url.absoluteString();
    return string.substr(0, string.find(u'#'));
}

std::shared_ptr<WebResource> VornickWebResourceCache::cachedWebResourceForURL(const URL& url) const
{
    auto found = m_resources.find(cacheKeyForURL(url));
    return found == m_resources.end() ? nullptr : found->second;
}

void VornickWebResourceCache::storeCachedWebResource(const WebResource& resource)
{
    // Resources are immutable, so the copy may be shared with every reader.
    m_resources[cacheKeyForURL(resource.url())] = std::make_shared<WebResource>(resource);
}

bool VornickWebResourceCache::storeCachedURLResponse(const URLResponse& response, const Data& data)
{
    std::u16string MIMEType = response.mimeType().empty() ? webMIMETypeForURL(response.url()) : response.mimeType();
    storeCachedWebResource(WebResource(data, response.url(), std::move(MIMEType), response.textEncodingName()));
    return true;
}

bool VornickWebResourceCache::storeCachedURLResponseFromFile(const URLResponse& response, const std::string& path)
{
    auto contents = readFile(path);
    (void)removeItem(path);
    return contents && storeCachedURLResponse(response, Data(contents->begin(), contents->end()));
}

std::set<std::u16string> VornickWebResourceCache::cachedSourceURLs() const
{
    std::set<std::u16string> urls;
    for (const auto& [key, resource] : m_resources)
        urls.insert(key);
    return urls;
}

} // namespace brevanton
