// VornickBlogTemplateResourcePolicy: what a page of a blog's theme (a
// downloaded post template, or a page loaded to make one) may load. A
// template is untrusted HTML: its subresources and frames come from the
// blog's web resource cache (no request), over http(s) from the site's hosts
// (the blog's and the account's), or from files of the blog's folder or the
// application's resources; everything else is refused before any request or
// read, and logged.
#pragma once

#include "platform/net/URLRequest.h"

#include <memory>
#include <optional>

namespace brevanton {

class VornickBlog;

class VornickBlogTemplateResourcePolicy {
public:
    explicit VornickBlogTemplateResourcePolicy(std::shared_ptr<VornickBlog>);
    ~VornickBlogTemplateResourcePolicy();

    // The request to load in place of `request` (the cached copy's file when
    // the cache holds one), or null when it is refused.
    std::optional<URLRequest> requestToLoad(const URLRequest& request) const;

private:
    std::shared_ptr<VornickBlog> m_blog;
};

} // namespace brevanton
