// VornickWordPressBlogPost: a post or page (`type` "post" or "page") of a
// WordPress blog, with its format, status, categories and featured image.
// Pages' files lie in the blog's "pages" folder.
#pragma once

#include "blog/VornickPublishedBlogPost.h"

namespace brevanton {

class VornickWordPressBlog;

class VornickWordPressBlogPost : public VornickPublishedBlogPost {
public:
    std::string className() const override { return "VornickWordPressBlogPost"; }

    std::u16string type() const { return ManagedObject::valueForKey(u"type").stringValue(); }
    bool isPage() const;
    std::shared_ptr<VornickWordPressBlog> wordPressBlog() const;

    std::u16string placeholderSourceContentString() const override;
    std::optional<std::u16string> standardFilenameExtension() const override { return u"brevantonwordpresspost"; }

    std::vector<std::u16string> arrayOfCategoryIdentifiers() const;
    std::vector<std::u16string> arrayOfCategoryStrings() const;

    // For an "html" post, the blog's media items whose files the source
    // refers to (resolved against the folder of the post's file), in the
    // order of their ids; none for other content types.
    std::vector<std::shared_ptr<ManagedObject>> mediaItemsReferencedBySourceContentString() const;

    // The permalink, else the site's preview address of the post.
    std::optional<std::u16string> viewOnlineURLString() const override;
    // A positive service identifier and the status "publish" or "private".
    bool currentlyPublished() const override;

    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
    std::shared_ptr<VornickObjectArchive> archivalRepresentation() const override;

protected:
    std::u16string postsFolderName() const override { return isPage() ? u"pages" : u"posts"; }
    void finishPreparingNewPost(bool isPage) override;
};

} // namespace brevanton
