// VornickBlogPostViewHost: what the post views and the attachment point
// settings sheet ask of the editor document that shows a blog's posts (the
// blog window, the post window): its blog, the window sheets go on, and the
// reload after the blog's attachment point settings changed.
#pragma once

#include <memory>

namespace brevanton {

class VornickBlog;
class Window;

class VornickBlogPostViewHost {
public:
    virtual ~VornickBlogPostViewHost() = default;

    virtual std::shared_ptr<VornickBlog> blog() const = 0;
    // The window sheets of this editor go on; null when it shows none.
    virtual std::shared_ptr<Window> windowForSheet() const = 0;
    // Opens the attachment point settings sheet for the post view's failures.
    virtual void editAttachmentPointSettings() = 0;
    // The sheet stored new settings in the blog: write the post back, reload
    // the post view and save the blog.
    virtual void attachmentPostSettingsDidChange() = 0;
};

} // namespace brevanton
