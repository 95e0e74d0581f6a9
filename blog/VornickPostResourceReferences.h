// VornickPostResourceReferences: the addresses of the resources each post's
// HTML refers to, as found at the post's last scan. A post whose content is
// what it was then is not scanned again; one whose content changed is. Each
// entry keeps the content it was found in (compared whole, so no change goes
// unseen) and the post it belongs to, and goes with the post. Main thread
// only, as the sync steps that ask.
#pragma once

#include "platform/foundation/URL.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace brevanton {

class ManagedObject;
class VornickPublishedBlogPost;

class VornickPostResourceReferences {
public:
    // The addresses referenced in `html`, the post's HTML content.
    const std::vector<URL>& URLsReferencedByPost(const VornickPublishedBlogPost&, const std::u16string& html);
    // Drops the entries of posts that no longer exist.
    void forgetGonePosts();
    // How many times content was scanned.
    size_t scanCount() const { return m_scanCount; }

private:
    struct Entry {
        std::weak_ptr<const ManagedObject> post;
        std::u16string html;
        std::vector<URL> urls;
    };
    std::unordered_map<const VornickPublishedBlogPost*, Entry> m_entries;
    size_t m_scanCount { 0 };
};

} // namespace brevanton
