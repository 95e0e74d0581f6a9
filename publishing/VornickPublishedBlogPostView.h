// VornickPublishedBlogPostView: the post view of a hosted blog's posts. The
// page's base is the post's permalink, so that the theme's relative
// references resolve on the site.
#pragma once

#include "publishing/VornickBlogPostView.h"

namespace brevanton {

class VornickPublishedBlogPost;

class VornickPublishedBlogPostView : public VornickBlogPostView {
public:
    explicit VornickPublishedBlogPostView(Rect frame);

    std::shared_ptr<VornickPublishedBlogPost> publishedPost() const;
    // Anything but a published post is ignored.
    void setPublishedPost(const std::shared_ptr<VornickBlogPost>&);

    void postTemplateDidFinishLoading() override;
};

} // namespace brevanton
