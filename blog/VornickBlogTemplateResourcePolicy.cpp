#include "blog/VornickBlogTemplateResourcePolicy.h"

#include "blog/VornickBlog.h"
#include "blog/VornickPublishedBlog.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"

#include <filesystem>

namespace brevanton {

namespace {

std::optional<std::u16string> hostOf(std::u16string_view string)
{
    auto url = URL::create(string);
    if (!url)
        return std::nullopt;
    auto scheme = url->scheme();
    auto host = url->host();
    if ((scheme != u"http" && scheme != u"https") || !host || host->empty())
        return std::nullopt;
    return asciiLowercase(*host);
}

// The path with links and "." / ".." resolved as far as the file system
// knows it (a missing tail is resolved lexically).
std::optional<std::filesystem::path> resolvedPath(const std::string& path)
{
    std::error_code error;
    auto resolved = std::filesystem::weakly_canonical(std::filesystem::path(path), error);
    if (error)
        return std::nullopt;
    return resolved;
}

bool isInsideFolder(const std::filesystem::path& path, const std::optional<URL>& folderURL)
{
    if (!folderURL)
        return false;
    auto folderPath = folderURL->fileSystemPath();
    if (!folderPath)
        return false;
    auto folder = resolvedPath(*folderPath);
    if (!folder || folder->empty())
        return false;
    auto relative = path.lexically_relative(*folder);
    return !relative.empty() && *relative.begin() != ".." && relative.is_relative();
}

void logRefusal(const URL& url)
{
    VornickLog::generalLog().log(u"Refused to load " + url.absoluteString() + u" for a page of the blog's theme: it is neither on the site nor in the blog's folder.");
}

} // namespace

VornickBlogTemplateResourcePolicy::VornickBlogTemplateResourcePolicy(std::shared_ptr<VornickBlog> blog)
    : m_blog(std::move(blog))
{
    if (auto published = std::dynamic_pointer_cast<VornickPublishedBlog>(m_blog))
        addSiteURLString(published->browseURLString());
}

VornickBlogTemplateResourcePolicy::~VornickBlogTemplateResourcePolicy() = default;

void VornickBlogTemplateResourcePolicy::addSiteURLString(std::u16string_view string)
{
    if (auto host = hostOf(string))
        m_siteHosts.insert(*host);
}

void VornickBlogTemplateResourcePolicy::setApplicationResourcesFolderURL(const URL& url)
{
    m_applicationResourcesFolderURL = url;
}

bool VornickBlogTemplateResourcePolicy::isSiteURL(const URL& url) const
{
    auto scheme = url.scheme();
    if (scheme != u"http" && scheme != u"https")
        return false;
    if (url.user() || url.password())
        return false;
    auto host = url.host();
    return host && m_siteHosts.contains(asciiLowercase(*host));
}

bool VornickBlogTemplateResourcePolicy::isAllowedFileURL(const URL& url) const
{
    if (!url.isFileURL())
        return false;
    auto path = url.fileSystemPath();
    if (!path)
        return false;
    auto resolved = resolvedPath(*path);
    if (!resolved)
        return false;
    if (m_blog && isInsideFolder(*resolved, m_blog->blogFolderURL()))
        return true;
    return isInsideFolder(*resolved, m_applicationResourcesFolderURL ? m_applicationResourcesFolderURL : Bundle::main().resourceURL());
}

std::optional<URLRequest> VornickBlogTemplateResourcePolicy::requestToLoad(const URLRequest& request) const
{
    const URL& url = request.url();
    auto scheme = url.scheme();
    if (scheme == u"data" || url.absoluteString() == u"about:blank")
        return request;
    if (scheme == u"http" || scheme == u"https") {
        // A copy in the blog's cache is taken without asking the network,
        // whichever host it came from.
        if (request.httpMethod() == u"GET" && m_blog) {
            if (auto cache = m_blog->webResourceCache()) {
                if (auto cachedFile = cache->cachedFileURLForURL(url)) {
                    URLRequest cached(*cachedFile);
                    return cached;
                }
            }
        }
        if (isSiteURL(url)) {
            URLRequest allowed = request;
            allowed.setMaximumRedirects(0);
            return allowed;
        }
        logRefusal(url);
        return std::nullopt;
    }
    if (isAllowedFileURL(url))
        return request;
    logRefusal(url);
    return std::nullopt;
}

} // namespace brevanton
