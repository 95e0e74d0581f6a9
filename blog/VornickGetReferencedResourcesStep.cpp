#include "blog/VornickGetReferencedResourcesStep.h"

#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceIntegratorSupport.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickWebResourceCache.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/net/URLResponse.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickURLExtensions.h"

namespace brevanton {

namespace {

bool isSuccessfulAnswer(const URLResponse& response)
{
    auto* http = dynamic_cast<const HTTPURLResponse*>(&response);
    return http && http->statusCode() >= 200 && http->statusCode() < 300;
}

} // namespace

std::shared_ptr<VornickPublishedBlog> VornickGetReferencedResourcesStep::blog()
{
    auto* blogStep = this->blogStep();
    auto* integrator = vornick_integratorOfStep(*this);
    if (!blogStep || !integrator)
        return nullptr;
    return integrator->existingBlogForDescription(blogStep->blogDescription());
}

void VornickGetReferencedResourcesStep::gatherResourceNeeds()
{
    if (!active())
        return;
    gatherResourceNeedsFromPostsAndPages();
    gatherResourceNeedsFromMediaLibrary();
}

void VornickGetReferencedResourcesStep::gatherResourceNeedsFromPostsAndPages()
{
    setStatusMessage(u"Finding referenced resources");
    queueMainThreadStatusUpdateNotification();
    auto blog = this->blog();
    if (!blog)
        return;
    // Most posts are as they were at the last sync, whose scan the integrator kept.
    std::optional<VornickPostResourceReferences> unkept;
    auto* integrator = vornick_integratorOfStep(*this);
    auto& references = integrator ? integrator->postResourceReferences() : unkept.emplace();
    // Nothing changed since the last pass over this blog: it found what a
    // pass would find now (the cache is asked again, it may have changed).
    if (auto* found = integrator ? references.URLsOfLastPassIfCurrent(blog) : nullptr) {
        for (const URL& url : *found)
            scheduleFetchToCacheOfResourceURLIfNeeded(url, nullptr);
        return;
    }
    std::vector<URL> found;
    blog->forEachObjectForKey<VornickPublishedBlogPost>(u"posts", [&](VornickPublishedBlogPost& post) {
        scheduleFetchToCacheOfResourcesReferencedByPost(post, references, &found);
    });
    if (integrator) {
        references.forgetGonePosts();
        references.notePassOver(blog, std::move(found));
    }
}

void VornickGetReferencedResourcesStep::gatherResourceNeedsFromMediaLibrary()
{
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(this->blog());
    if (!blog)
        return;
    auto items = blog->mediaItems();
    if (items.empty())
        return;
    for (const auto& item : items) {
        Value remote = item->valueForKey(u"remoteURLString");
        if (!remote.isString() || remote.string().empty())
            continue;
        if (auto url = URL::create(remote.string()); url && !url->scheme().empty()) {
            scheduleFetchToCacheOfResourceURLIfNeeded(*url, nullptr);
            m_mediaFileURLsSet.insert(VornickWebResourceCache::cacheKeyForURL(*url));
        }
    }
    if (!m_requestedURLsSet.empty()) {
        if (auto log = syncLog())
            log->log("Queued resource fetch for {} Media Items", m_requestedURLsSet.size());
    }
}

void VornickGetReferencedResourcesStep::scheduleFetchToCacheOfResourcesReferencedByPost(const VornickPublishedBlogPost& post,
    VornickPostResourceReferences& references, std::vector<URL>* found)
{
    for (const URL& url : references.URLsReferencedByPost(post)) {
        if (url.scheme().empty())
            continue;
        scheduleFetchToCacheOfResourceURLIfNeeded(url, &post);
        if (found)
            found->push_back(url);
    }
}

void VornickGetReferencedResourcesStep::scheduleFetchToCacheOfResourceURLIfNeeded(const URL& url, const VornickPublishedBlogPost*)
{
    if (!m_alreadyCachedURLsSet)
        m_alreadyCachedURLsSet = m_webResourceCache ? m_webResourceCache->cachedSourceURLs() : std::set<std::u16string>();
    if (m_alreadyCachedURLsSet->contains(VornickWebResourceCache::cacheKeyForURL(url)))
        return;
    addRequestForURL(url);
}

void VornickGetReferencedResourcesStep::addRequestForURL(const URL& url)
{
    // Only web addresses: content from the server must not pull local files
    // (file:) or other schemes into the cache, nor carry a user and password.
    if (!vornick_isWebAddress(url) || url.user() || url.password())
        return;
    m_requestedURLsSet.insert(VornickWebResourceCache::cacheKeyForURL(url));
}

void VornickGetReferencedResourcesStep::startGettingResources()
{
    if (!active())
        return;
    // Without a cache nothing loaded could be kept.
    if (!m_webResourceCache)
        m_requestedURLsSet.clear();
    m_requestedURLsCount = m_requestedURLsSet.size();
    if (m_requestedURLsCount) {
        setStatusMessage(u"Fetching resources");
        if (auto log = syncLog())
            log->log("Fetching {} resources", m_requestedURLsCount);
    }
    postNextRequest();
}

void VornickGetReferencedResourcesStep::postNextRequest()
{
    if (!active())
        return;
    auto* integrator = vornick_integratorOfStep(*this);
    if (m_requestedURLsSet.empty() || !integrator) {
        setStatusMessage(u"Done");
        setState(VornickSyncStepState::Completed);
        queueMainThreadStatusUpdateNotification();
        return;
    }
    std::u16string urlString = std::move(m_requestedURLsSet.extract(m_requestedURLsSet.begin()).value());
    auto url = URL::create(urlString);
    if (!url) {
        postNextRequest();
        return;
    }
    if (auto log = syncLog())
        log->log("Getting {}", urlString);
    setStatusMessage(u"Getting " + url->lastPathComponent());
    queueMainThreadStatusUpdateNotification();

    auto weakStep = weak_from_this();
    std::string folder = m_webResourceCache ? m_webResourceCache->downloadFolderPath() : std::string();
    VornickReplyKind kind = m_mediaFileURLsSet.contains(urlString) ? VornickReplyKind::MediaFile : VornickReplyKind::ReferencedResource;
    if (!folder.empty()) {
        integrator->downloadURL(*url, kind, folder,
            [weakStep, url = *url](std::shared_ptr<URLResponse> response, const std::string& path, Error error) {
                if (auto step = std::static_pointer_cast<VornickGetReferencedResourcesStep>(weakStep.lock()))
                    step->receivedDownload(url, response, path, error);
            });
        return;
    }
    integrator->requestDataForURL(*url, kind, [weakStep, url = *url](std::shared_ptr<URLResponse> response, Data data, Error error) {
        if (auto step = std::static_pointer_cast<VornickGetReferencedResourcesStep>(weakStep.lock()))
            step->receivedResource(url, response, data, error);
    });
}

bool VornickGetReferencedResourcesStep::isKeepable(const URL& url, const std::shared_ptr<URLResponse>& response, bool hasBody,
                                                   const Error& error)
{
    auto log = syncLog();
    const URL& answeredURL = response ? response->url() : url;
    if (!error.isEmpty() || !response || !hasBody || !isSuccessfulAnswer(*response)) {
        if (log)
            log->log("** FAILED to fetch data for resource URL={}{}", answeredURL.absoluteString(),
                     error.isEmpty() ? std::u16string() : u" (" + error.localizedDescription() + u")");
        return false;
    }
    return true;
}

void VornickGetReferencedResourcesStep::receivedDownload(const URL& url, const std::shared_ptr<URLResponse>& response,
                                                         const std::string& bodyFilePath, const Error& error)
{
    auto* session = syncSession();
    if (!active() || !session || !session->active())
        return;
    if (isKeepable(url, response, !bodyFilePath.empty() && fileExists(bodyFilePath), error) && m_webResourceCache) {
        std::u16string contentType = response->mimeType();
        if (!contentType.empty() && !response->textEncodingName().empty())
            contentType += u"; charset=" + response->textEncodingName();
        URLResponse stored(url, contentType, response->expectedContentLength());
        if (!m_webResourceCache->storeCachedURLResponseFromFile(stored, bodyFilePath)) {
            if (auto log = syncLog())
                log->log("** FAILED to cache data for resource URL={}", url.absoluteString());
        }
    }
    resourceEnded();
}

void VornickGetReferencedResourcesStep::resourceEnded()
{
    if (m_requestedURLsCount)
        setProgress(static_cast<double>(m_requestedURLsCount - m_requestedURLsSet.size()) / static_cast<double>(m_requestedURLsCount));
    postNextRequest();
}

void VornickGetReferencedResourcesStep::receivedResource(const URL& url, const std::shared_ptr<URLResponse>& response, const Data& data,
                                                         const Error& error)
{
    // A cancelled session (or a step that has already ended) takes no answer.
    auto* session = syncSession();
    if (!active() || !session || !session->active())
        return;

    auto log = syncLog();
    if (isKeepable(url, response, !data.empty(), error) && m_webResourceCache) {
        // Kept under the address the posts refer to, also when it redirected
        // elsewhere, so that the posts find it and the next sync skips it.
        std::u16string contentType = response->mimeType();
        if (!contentType.empty() && !response->textEncodingName().empty())
            contentType += u"; charset=" + response->textEncodingName();
        URLResponse stored(url, contentType, static_cast<int64_t>(data.size()));
        if (!m_webResourceCache->storeCachedURLResponse(stored, data) && log)
            log->log("** FAILED to cache data for resource URL={}", url.absoluteString());
    }
    resourceEnded();
}

} // namespace brevanton
