// VornickGetReferencedResourcesStep ("getResources"): gathers the addresses
// of the images and other resources a blog's posts, pages and media library
// refer to, and loads those not yet cached into the blog's web resource
// cache, one at a time. Main thread only.
#pragma once

#include "blog/VornickSyncStep.h"

#include <memory>
#include <optional>
#include <set>
#include <string>

namespace brevanton {

class URL;
class VornickPublishedBlogPost;
class VornickWebResourceCache;

class VornickGetReferencedResourcesStep : public VornickSyncStep {
public:
    VornickGetReferencedResourcesStep(std::u16string name, std::u16string title) : VornickSyncStep(std::move(name), std::move(title)) { }

    // Nothing unless Active.
    void gatherResourceNeeds();
    void gatherResourceNeedsFromPostsAndPages();
    void gatherResourceNeedsFromMediaLibrary();
    void startGettingResources();
    void postNextRequest();
    void addRequestForURL(const URL&);
    void scheduleFetchToCacheOfResourcesReferencedByPost(const VornickPublishedBlogPost&);
    void scheduleFetchToCacheOfResourceURLIfNeeded(const URL&, const VornickPublishedBlogPost*);

    const std::shared_ptr<VornickWebResourceCache>& webResourceCache() const { return m_webResourceCache; }
    void setWebResourceCache(std::shared_ptr<VornickWebResourceCache> cache) { m_webResourceCache = std::move(cache); }
    const std::set<std::u16string>& requestedURLsSet() const { return m_requestedURLsSet; }
    size_t requestedURLsCount() const { return m_requestedURLsCount; }
    const char* className() const override { return "VornickGetReferencedResourcesStep"; }

private:
    std::shared_ptr<VornickWebResourceCache> m_webResourceCache;
    std::set<std::u16string> m_requestedURLsSet;
    std::optional<std::set<std::u16string>> m_alreadyCachedURLsSet;
    size_t m_requestedURLsCount { 0 };
};

} // namespace brevanton
