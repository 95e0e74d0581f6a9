// VornickGetReferencedResourcesStep ("getResources"): gathers the addresses
// of the images and other resources a blog's posts, pages and media library
// refer to, and loads those not yet cached into the blog's web resource
// cache, one at a time. Main thread only; answers that arrive on another
// thread are handled on the main one, and answers that arrive after the
// session was cancelled are dropped.
//
// Only http and https addresses without a user or password are loaded, and
// only successful (2xx) answers are kept, within the limits of a referenced
// resource (a media library file may be larger): a reply past them stops
// while it arrives and is logged with the reason. A cache on disk gets each
// body as a file downloaded into its folder and moved in, never held in
// memory. A failed load is logged and does not fail the step. A resource is
// kept under the address the posts refer to, also when it redirected.
// Without a web resource cache nothing is loaded.
#pragma once

#include "blog/VornickSyncStep.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class Error;
class URL;
class URLResponse;
class VornickPublishedBlog;
class VornickPostResourceReferences;
class VornickPublishedBlogPost;
class VornickWebResourceCache;

class VornickGetReferencedResourcesStep : public VornickSyncStep {
public:
    // The largest resource kept; a bigger one is skipped with a log line.
    static constexpr size_t MaximumCachedResourceLength = 32 * 1024 * 1024;

    VornickGetReferencedResourcesStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    // Nothing unless Active.
    void gatherResourceNeeds();
    void gatherResourceNeedsFromPostsAndPages();
    void gatherResourceNeedsFromMediaLibrary();
    void startGettingResources();
    void postNextRequest();
    void addRequestForURL(const URL&);
    // `references` keeps the posts' scans (the integrator's, from one session
    // to the next); the addresses asked for are added to `found` when given.
    void scheduleFetchToCacheOfResourcesReferencedByPost(const VornickPublishedBlogPost&, VornickPostResourceReferences& references,
                                                         std::vector<URL>* found = nullptr);
    void scheduleFetchToCacheOfResourceURLIfNeeded(const URL&, const VornickPublishedBlogPost*);

    const std::shared_ptr<VornickWebResourceCache>& webResourceCache() const { return m_webResourceCache; }
    void setWebResourceCache(std::shared_ptr<VornickWebResourceCache> cache) { m_webResourceCache = std::move(cache); }
    const std::set<std::u16string>& requestedURLsSet() const { return m_requestedURLsSet; }
    size_t requestedURLsCount() const { return m_requestedURLsCount; }
    const char* className() const override { return "VornickGetReferencedResourcesStep"; }

private:
    // The stored blog of the parent blog step; null when there is none.
    std::shared_ptr<VornickPublishedBlog> blog();
    void receivedResource(const URL&, const std::shared_ptr<URLResponse>&, const Data&, const Error&);
    // A cache on disk takes each file whole: downloaded beside it, moved in.
    void receivedDownload(const URL&, const std::shared_ptr<URLResponse>&, const std::string& bodyFilePath, const Error&);
    // Whether the answer is one to keep; logs why not.
    bool isKeepable(const URL&, const std::shared_ptr<URLResponse>&, bool hasBody, const Error&);
    void resourceEnded();

    std::shared_ptr<VornickWebResourceCache> m_webResourceCache;
    std::set<std::u16string> m_requestedURLsSet;
    // Files of the media library among them, which may be larger.
    std::set<std::u16string> m_mediaFileURLsSet;
    std::optional<std::set<std::u16string>> m_alreadyCachedURLsSet;
    size_t m_requestedURLsCount { 0 };
};

} // namespace brevanton
