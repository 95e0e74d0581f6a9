// VornickWordPressBlog: a blog on a WordPress site. It adds the site's
// settings, post formats, post statuses and media library; media item files
// lie in "media" beside the blog file. Every lookup of a media item stays
// within this blog: service identifiers and addresses are per site.
#pragma once

#include "blog/VornickPublishedBlog.h"

namespace brevanton {

class VornickWordPressBlog : public VornickPublishedBlog {
public:
    std::string className() const override { return "VornickWordPressBlog"; }

    // The generic places and "categories".
    std::vector<VornickAttachmentPointDescription> postAttachmentPointDescriptions() const override;
    std::map<std::u16string, std::vector<std::u16string>> attachmentPointSelectorHeuristicsByIdentifier() const override;

    bool useWordPressBlockMode() const { return ManagedObject::valueForKey(u"useWordPressBlockMode").boolValue(); }

    // Posts whose type is "post", resp. "page", in the order of their ids.
    std::vector<std::shared_ptr<VornickBlogPost>> postsOnly() const override;
    std::vector<std::shared_ptr<VornickBlogPost>> pagesOnly() const override;
    void forEachPostOrPage(bool pages, const std::function<void(VornickBlogPost&)>& visit) const override;

    std::optional<URL> mediaFolderURL() const;
    // The browse address + "wp-admin/upload.php".
    std::u16string mediaLibraryURL() const;

    std::vector<std::shared_ptr<ManagedObject>> mediaItems() const { return objectsForKey(u"mediaItems"); }
    // The media item of this blog with that service identifier.
    std::shared_ptr<ManagedObject> mediaItemForIdentifier(const Value& identifier) const;
    // For a file URL, the media item whose "localURLString", read within
    // the media folder, names the URL's file; otherwise the one whose
    // "remoteURLString" is the URL.
    std::shared_ptr<ManagedObject> mediaItemForSourceURL(const URL&) const;
    // The media item or the size variant (of this blog) the URL shows, else
    // the item a "wp-image-N" token of the class attribute names.
    std::shared_ptr<ManagedObject> mediaItemOrVariantForSourceURL(const URL&, const std::u16string* classAttributeValue) const;

    // The archive's computed values, handed to the agents too.
    Dictionary postFormatDescriptions() const;
    Dictionary postStatusDescriptions() const;
    Array categoryDescriptions() const;
    Array tagDescriptions() const;

    std::optional<std::u16string> standardFilenameExtension() const override { return u"brevantonwordpressblog"; }
    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
    // Always holds "useWordPressBlockMode", "postFormats", "postStatuses",
    // "categories" and "tags", empty when there is nothing, so that a read
    // of the file clears what the blog no longer has.
    std::shared_ptr<VornickObjectArchive> archivalRepresentation() const override;
};

} // namespace brevanton
