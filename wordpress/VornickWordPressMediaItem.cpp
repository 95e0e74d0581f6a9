#include "wordpress/VornickWordPressMediaItem.h"

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UUID.h"
#include "platform/net/WebResource.h"

namespace brevanton {

std::shared_ptr<VornickWordPressMediaItem> VornickWordPressMediaItemVariant::mediaItem() const
{
    return objectForKey<VornickWordPressMediaItem>(u"mediaItem");
}

Dictionary VornickWordPressMediaItemVariant::propertyList() const
{
    Dictionary list;
    for (const char16_t* key : { u"variantName", u"filename", u"mimeType", u"pixelsHigh", u"pixelsWide" }) {
        Value value = valueForKey(key);
        if (!value.isNull())
            list[key] = value;
    }
    return list;
}

std::optional<URL> VornickWordPressMediaItemVariant::resolvedSourceURL() const
{
    auto item = mediaItem();
    std::u16string fileName = valueForKey(u"filename").stringValue();
    if (!item || fileName.empty())
        return std::nullopt;
    auto remote = URL::create(item->ManagedObject::valueForKey(u"remoteURLString").stringValue());
    if (!remote || remote->absoluteString().empty())
        return std::nullopt;
    return remote->URLByDeletingLastPathComponent().URLByAppendingPathComponent(fileName, false);
}

std::shared_ptr<VornickWordPressBlog> VornickWordPressMediaItem::blog() const
{
    return objectForKey<VornickWordPressBlog>(u"blog");
}

std::shared_ptr<VornickProjectComponent> VornickWordPressMediaItem::parentComponent() const
{
    return blog();
}

std::optional<URL> VornickWordPressMediaItem::sourceFileURL() const
{
    auto blog = this->blog();
    auto folder = blog ? blog->mediaFolderURL() : std::nullopt;
    if (sourceFileName().empty() || !folder)
        return std::nullopt;
    return folder->URLByAppendingPathComponent(sourceFileName(), false);
}

std::optional<std::u16string> VornickWordPressMediaItem::editURL() const
{
    auto blog = this->blog();
    if (identifierUsedByBlogService().empty() || !blog)
        return std::nullopt;
    std::u16string url = blog->browseURLString();
    if (url.empty() || url.back() != u'/')
        url += u'/';
    return url + u"wp-admin/post.php?post=" + identifierUsedByBlogService() + u"&action=edit";
}

std::optional<URL> VornickWordPressMediaItem::resolvedLocalURL() const
{
    std::u16string local = ManagedObject::valueForKey(u"localURLString").stringValue();
    if (local.empty())
        return std::nullopt;
    auto absolute = URL::create(local);
    if (absolute && !absolute->scheme().empty())
        return absolute;
    auto blog = this->blog();
    auto folder = blog ? blog->mediaFolderURL() : std::nullopt;
    if (!folder)
        return std::nullopt;
    return URL::create(local, &*folder);
}

std::shared_ptr<VornickWordPressMediaItemVariant> VornickWordPressMediaItem::variantWithName(std::u16string_view name) const
{
    for (auto& variant : objectsForKey<VornickWordPressMediaItemVariant>(u"variants")) {
        if (variant->variantName() == name)
            return variant;
    }
    return nullptr;
}

std::u16string VornickWordPressMediaItem::imageSubtitle() const
{
    Value wide = ManagedObject::valueForKey(u"pixelsWide");
    Value high = ManagedObject::valueForKey(u"pixelsHigh");
    if (!wide.isNumber() || !high.isNumber())
        return {};
    return toUTF16(std::to_string(wide.integerValue()) + " x " + std::to_string(high.integerValue()));
}

std::optional<URL> VornickWordPressMediaItem::imageRepresentation() const
{
    std::u16string local = ManagedObject::valueForKey(u"localURLString").stringValue();
    if (!local.empty()) {
        auto url = URL::create(local);
        if (url && !url->scheme().empty())
            return url;
        if (auto archive = sourceFileURL()) {
            if (auto resolved = URL::create(local, &*archive))
                return resolved->absoluteURL();
        }
        return url;
    }
    auto remote = URL::create(ManagedObject::valueForKey(u"remoteURLString").stringValue());
    auto blog = this->blog();
    if (!remote || remote->scheme().empty() || !blog)
        return std::nullopt;
    auto cache = blog->webResourceCache();
    if (!cache)
        return std::nullopt;
    auto resource = cache->cachedWebResourceForURL(*remote);
    if (!resource || !resource->MIMEType().starts_with(u"image/"))
        return std::nullopt;
    return cache->cachedFileURLForURL(*remote);
}

std::vector<std::u16string> VornickWordPressMediaItem::attributesForArchivalRepresentation() const
{
    return { u"caption", u"dateCreated", u"localURLString", u"remoteURLString", u"htmlDescription",
             u"identifierUsedByBlogService", u"pixelsHigh", u"pixelsWide", u"title", u"uniqueIdentifier" };
}

std::shared_ptr<VornickObjectArchive> VornickWordPressMediaItem::archivalRepresentation() const
{
    auto archive = VornickProjectComponent::archivalRepresentation();
    Dictionary variants;
    for (auto& variant : objectsForKey<VornickWordPressMediaItemVariant>(u"variants")) {
        if (variant->variantName().empty())
            continue;
        Dictionary list = variant->propertyList();
        if (!list.empty())
            variants[variant->variantName()] = Value(std::move(list));
    }
    if (!variants.empty())
        archive->setObject(Value(std::move(variants)), u"variants");
    return archive;
}

void VornickWordPressMediaItem::awakeFromInsert()
{
    ManagedObject::setValueForKey(Value(UUID().UUIDString()), u"uniqueIdentifier");
}

} // namespace brevanton
