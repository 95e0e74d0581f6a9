// VornickBlogTemplateResourcePolicy: what a page of a blog's theme (a
// downloaded post template, or a page loaded to make one) may load. A
// template is untrusted HTML: its subresources and frames come from the
// blog's web resource cache (no request), over http(s) from the site's hosts
// (the blog's and the account's), or from files of the blog's folder or the
// application's resources; everything else is refused before any request or
// read, and logged.
//
// Hand requestToLoad to the web view's resource-load delegate
// (WebResourceLoadDelegate::willSendRequest answering null refuses the load
// before the frame fetches or reads anything). A request the policy lets go
// to the network follows no redirect: an answer on the site's host cannot
// send the page to another host. A meta refresh never loads anything (the
// web frame does not act on it).
#pragma once

#include "platform/foundation/URL.h"
#include "platform/net/URLRequest.h"

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brevanton {

class VornickBlog;

class VornickBlogTemplateResourcePolicy {
public:
    explicit VornickBlogTemplateResourcePolicy(std::shared_ptr<VornickBlog>);
    ~VornickBlogTemplateResourcePolicy();

    // Another address whose host is the site's (the account's root address).
    void addSiteURLString(std::u16string_view);
    // The application's resources folder; Bundle::main()'s unless set.
    void setApplicationResourcesFolderURL(const URL&);

    // The request to load in place of `request` (the cached copy's file when
    // the cache holds one), or null when it is refused.
    std::optional<URLRequest> requestToLoad(const URLRequest& request) const;

    // An http(s) address on one of the site's hosts, without user or password.
    bool isSiteURL(const URL&) const;
    // A file URL naming a file inside the blog's folder or the application's
    // resources, once links and ".." are resolved.
    bool isAllowedFileURL(const URL&) const;

private:
    std::shared_ptr<VornickBlog> m_blog;
    std::set<std::u16string> m_siteHosts;
    std::optional<URL> m_applicationResourcesFolderURL;
};

} // namespace brevanton
