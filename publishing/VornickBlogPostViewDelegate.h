// VornickBlogPostViewDelegate: what a post view tells the editor document
// that owns it, beside the content editing view's own delegate calls (the
// same object is both). Every operation is optional. The default locators of
// an attachment point are the post's blog's selector candidates, in order.
#pragma once

#include "editing/VornickContentEditingViewDelegate.h"
#include "platform/foundation/URL.h"

#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class VornickBlogPostView;

class VornickBlogPostViewDelegate : public VornickContentEditingViewDelegate {
public:
    // The folder of the blog's downloaded templates; none: no templates.
    virtual std::optional<URL> blogPostViewTemplatesFolderURL(VornickBlogPostView&) { return std::nullopt; }
    // Property names "tags" and "categories".
    virtual void blogPostViewWillEditPostProperty(VornickBlogPostView&, const std::u16string&) {}
    virtual void blogPostViewEditedPostProperty(VornickBlogPostView&, const std::u16string&) {}
    // Whether the delegate takes the failed attachment report (the view
    // shows its failure banner only for one that does).
    virtual bool respondsToFailedAttachment() const { return false; }
    virtual void blogPostViewFailedAttachmentForAttachmentPointIdentifiers(VornickBlogPostView&, const std::vector<std::u16string>&) {}

    // The blog's candidates for the identifier, each a locator of it.
    std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
    vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView&, const std::u16string&) override;
};

} // namespace brevanton
