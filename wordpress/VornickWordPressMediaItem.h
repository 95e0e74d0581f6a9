// VornickWordPressMediaItem: one item of a WordPress blog's media library
// (entity "MediaItem"), with its size variants (entity "MediaItemVariant").
// Its archive file lies in the blog's "media" folder.
#pragma once

#include "documents/VornickProjectComponent.h"

namespace brevanton {

class VornickWordPressBlog;
class VornickWordPressMediaItem;

class VornickWordPressMediaItemVariant : public ManagedObject {
public:
    static constexpr std::u16string_view entityName = u"MediaItemVariant";

    std::u16string variantName() const { return valueForKey(u"variantName").stringValue(); }
    std::shared_ptr<VornickWordPressMediaItem> mediaItem() const;
    // Up to "variantName", "filename", "mimeType", "pixelsHigh", "pixelsWide", each when set.
    Dictionary propertyList() const;
    // The item's remote URL with the variant's file name as its last component.
    std::optional<URL> resolvedSourceURL() const;
};

class VornickWordPressMediaItem : public VornickProjectComponent {
public:
    static constexpr std::u16string_view entityName = u"MediaItem";

    std::string className() const override { return "VornickWordPressMediaItem"; }

    std::shared_ptr<VornickWordPressBlog> blog() const;
    std::shared_ptr<VornickProjectComponent> parentComponent() const override;
    std::u16string identifierUsedByBlogService() const { return ManagedObject::valueForKey(u"identifierUsedByBlogService").stringValue(); }
    std::u16string uniqueIdentifier() const { return ManagedObject::valueForKey(u"uniqueIdentifier").stringValue(); }

    // The blog's media folder + the file name; none without a file name.
    std::optional<URL> sourceFileURL() const override;
    std::optional<std::u16string> standardFilenameExtension() const override { return u"brevantonwordpressmediaitem"; }
    // The site's edit page of the item; none without a service identifier.
    std::optional<std::u16string> editURL() const;
    // "localURLString" as a URL when it has a scheme, else within the media folder.
    std::optional<URL> resolvedLocalURL() const;
    std::shared_ptr<VornickWordPressMediaItemVariant> variantWithName(std::u16string_view name) const;

    // What the media library's image browser shows of the item.
    std::u16string imageUID() const { return uniqueIdentifier(); }
    std::u16string imageTitle() const { return ManagedObject::valueForKey(u"title").stringValue(); }
    // "W x H" from the pixel size; empty while either is unknown.
    std::u16string imageSubtitle() const;
    // The picture: the local file (an address without a scheme read
    // relative to the item's archive file, so within the media folder);
    // without one, the blog's cached copy of the remote file when it holds
    // an image; else none.
    std::optional<URL> imageRepresentation() const;

    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
    std::shared_ptr<VornickObjectArchive> archivalRepresentation() const override;

protected:
    // A new item gets a fresh UUID as its unique identifier.
    void awakeFromInsert() override;
};

} // namespace brevanton
