#include "publishing/VornickPublishedBlogPostView.h"

#include "blog/VornickPublishedBlogPost.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMCollections.h"

namespace brevanton {

VornickPublishedBlogPostView::VornickPublishedBlogPostView(Rect frame)
    : VornickBlogPostView(frame)
{
}

std::shared_ptr<VornickPublishedBlogPost> VornickPublishedBlogPostView::publishedPost() const
{
    return entityCast<VornickPublishedBlogPost>(post());
}

void VornickPublishedBlogPostView::setPublishedPost(const std::shared_ptr<VornickBlogPost>& post)
{
    if (auto published = std::dynamic_pointer_cast<VornickPublishedBlogPost>(post))
        setPost(published);
}

void VornickPublishedBlogPostView::postTemplateDidFinishLoading()
{
    auto published = publishedPost();
    auto document = mainFrameDocument();
    if (published && document && !published->permalinkURLString().empty()) {
        auto href = published->permalinkURLString();
        if (href.ends_with(u'/'))
            href += u"index.html";
        if (auto head = document->head()) {
            std::shared_ptr<DOMElement> base;
            auto bases = head->getElementsByTagName(u"base");
            if (bases && bases->length())
                base = bases->item(0);
            if (!base) {
                base = document->createElement(u"base");
                head->insertBefore(base, head->firstChild());
            }
            base->setAttribute(u"href", href);
        }
    }
    VornickBlogPostView::postTemplateDidFinishLoading();
}

} // namespace brevanton
