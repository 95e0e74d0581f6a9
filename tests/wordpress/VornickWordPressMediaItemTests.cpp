#include "wordpress/VornickWordPressMediaItem.h"

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/net/URLResponse.h"
#include "platform/store/ManagedObjectContext.h"
#include "tests/wordpress/WordPressMediaLibraryTestSupport.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(VornickWordPressMediaItemTests, ArchiveVariantsAndAddresses)
{
    std::string folder = createTemporaryDirectory("media-item").value();
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(project) << error;
    auto& context = *project->index()->managedObjectContext();
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
    blog->setBlogFolderName(u"Site");
    blog->setSourceFileName(u"site.brevantonwordpressblog");
    blog->setValueForKey(Value(u"https://site.example"), u"browseURLString");
    auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
    auto other = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context.insertNewObject(u"MediaItem"));
    ASSERT_TRUE(item && other);
    EXPECT_EQ(item->uniqueIdentifier().size(), 36u);
    EXPECT_NE(item->uniqueIdentifier(), other->uniqueIdentifier());
    item->setObjectForKey(blog, u"blog");
    EXPECT_EQ(item->editURL(), std::nullopt);
    item->setValueForKey(Value(u"42"), u"identifierUsedByBlogService");
    item->setValueForKey(Value(u"https://site.example/uploads/2026/photo.jpg"), u"remoteURLString");
    item->setValueForKey(Value(u"photo.jpg"), u"localURLString");
    EXPECT_EQ(item->editURL(), u"https://site.example/wp-admin/post.php?post=42&action=edit");
    EXPECT_EQ(item->resolvedLocalURL()->absoluteString(), blog->mediaFolderURL()->absoluteString() + u"photo.jpg");

    auto variant = std::dynamic_pointer_cast<VornickWordPressMediaItemVariant>(context.insertNewObject(u"MediaItemVariant"));
    variant->setValueForKey(Value(u"thumbnail"), u"variantName");
    variant->setValueForKey(Value(u"photo-150x150.jpg"), u"filename");
    variant->setValueForKey(Value(150), u"pixelsWide");
    variant->setObjectForKey(item, u"mediaItem");
    auto nameless = context.insertNewObject(u"MediaItemVariant");
    nameless->setValueForKey(Value(u"x.jpg"), u"filename");
    nameless->setObjectForKey(item, u"mediaItem");
    EXPECT_EQ(variant->resolvedSourceURL()->absoluteString(), u"https://site.example/uploads/2026/photo-150x150.jpg");
    EXPECT_EQ(item->variantWithName(u"thumbnail"), variant);

    item->setSourceFileName(u"photo.brevantonwordpressmediaitem");
    ASSERT_TRUE(item->writeArchivalRepresentationToURL(*item->sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)) << error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(*item->sourceFileURL(), &error);
    ASSERT_TRUE(archive) << error;
    EXPECT_EQ(archive->objectForKey(u"identifierUsedByBlogService")->stringValue(), u"42");
    ASSERT_TRUE(archive->objectForKey(u"variants"));
    const Value& variants = *archive->objectForKey(u"variants");
    EXPECT_EQ(variants.count(), 1u) << variants;
    EXPECT_EQ(variants[u"thumbnail"][u"pixelsWide"].integerValue(), 150);
    EXPECT_EQ(blog->mediaItemOrVariantForSourceURL(*variant->resolvedSourceURL(), nullptr), variant);
}

} // namespace
} // namespace brevanton

namespace brevanton {
namespace {

TEST(VornickWordPressMediaItemTests, ThePictureShownIsTheLocalFileElseACachedImageOfTheRemoteFile)
{
    testing::WordPressMediaLibrary library;
    auto local = library.addItem(u"1", u"photo.jpg", u"https://site.example/uploads/photo.jpg");
    local->setSourceFileName(u"photo.brevantonwordpressmediaitem");
    EXPECT_EQ(local->imageRepresentation()->absoluteString(), library.blog->mediaFolderURL()->absoluteString() + u"photo.jpg");
    auto absolute = library.addItem(u"2", u"file:///pictures/other.png", {});
    EXPECT_EQ(absolute->imageRepresentation()->absoluteString(), u"file:///pictures/other.png");

    // A server item without a local file: its cached copy, only when that is an image.
    auto remote = library.addItem(u"3", {}, u"https://site.example/uploads/remote.png");
    auto page = library.addItem(u"4", {}, u"https://site.example/uploads/page.html");
    EXPECT_FALSE(remote->imageRepresentation());
    auto cache = std::dynamic_pointer_cast<VornickDiskWebResourceCache>(library.blog->webResourceCache());
    ASSERT_TRUE(cache);
    std::string body = "not really a picture";
    for (auto [item, type] : { std::pair { remote, u"image/png" }, std::pair { page, u"text/html" } }) {
        URLResponse response(*URL::create(item->ManagedObject::valueForKey(u"remoteURLString").stringValue()), type, body.size());
        ASSERT_TRUE(cache->storeCachedURLResponse(response, Data(body.begin(), body.end())));
    }
    auto cached = remote->imageRepresentation();
    ASSERT_TRUE(cached);
    EXPECT_TRUE(cached->isFileURL());
    EXPECT_EQ(cached, cache->cachedFileURLForURL(*URL::create(u"https://site.example/uploads/remote.png")));
    EXPECT_FALSE(page->imageRepresentation());
    EXPECT_FALSE(library.addItem(u"5", {}, {})->imageRepresentation());

    EXPECT_EQ(remote->imageSubtitle(), u"");
    remote->setValueForKey(Value(int64_t(640)), u"pixelsWide");
    remote->setValueForKey(Value(int64_t(480)), u"pixelsHigh");
    EXPECT_EQ(remote->imageSubtitle(), u"640 x 480");
    remote->setValueForKey(Value(u"Remote"), u"title");
    EXPECT_EQ(remote->imageTitle(), u"Remote");
    EXPECT_EQ(remote->imageUID(), remote->uniqueIdentifier());
}

} // namespace
} // namespace brevanton
