// VornickWordPressBlogResourceReferenceReplacer: turns references to the
// blog's cached copies of web resources back into the http(s) addresses they
// were cached from. Every other reference stays as written, and so does a
// cached copy of a local file (the cache keeps those under their own file
// URL): a post must never go up naming a file on this computer.
#pragma once

#include "html/VornickHTMLStringResourceReferenceFinder.h"

#include <memory>

namespace brevanton {

class VornickWordPressBlog;

class VornickWordPressBlogResourceReferenceReplacer : public VornickHTMLStringResourceReferenceReplacer {
public:
    VornickWordPressBlogResourceReferenceReplacer(std::u16string htmlString, std::optional<URL> baseURL,
                                                  std::shared_ptr<VornickWordPressBlog> blog);

    // Set once, when made.
    const std::shared_ptr<VornickWordPressBlog>& wordPressBlog() const { return m_wordPressBlog; }
    std::u16string replacementURLStringForURLString(std::u16string_view urlString, const URL& resolvedURL) override;

private:
    const std::shared_ptr<VornickWordPressBlog> m_wordPressBlog;
};

} // namespace brevanton
