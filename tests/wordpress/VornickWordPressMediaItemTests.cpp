#include "wordpress/VornickWordPressMediaItem.h"

#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/store/ManagedObjectContext.h"
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
