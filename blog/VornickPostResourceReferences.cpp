#include "blog/VornickPostResourceReferences.h"

#include "blog/VornickPublishedBlogPost.h"
#include "html/VornickHTMLStringResourceReferenceFinder.h"

namespace brevanton {

const std::vector<URL>& VornickPostResourceReferences::URLsReferencedByPost(const VornickPublishedBlogPost& post, const std::u16string& html)
{
    Entry& entry = m_entries[&post];
    // Another post at the address of one that is gone is not the same post.
    const ManagedObject* object = &post;
    if (entry.post.lock().get() == object && entry.html == html)
        return entry.urls;
    entry.post = post.weak_from_this();
    entry.html = html;
    auto found = VornickHTMLStringResourceReferenceFinder::URLsReferencedInHTMLString(html, std::nullopt);
    entry.urls.assign(found.begin(), found.end());
    ++m_scanCount;
    return entry.urls;
}

void VornickPostResourceReferences::forgetGonePosts()
{
    std::erase_if(m_entries, [](const auto& entry) { return entry.second.post.expired(); });
}

} // namespace brevanton
