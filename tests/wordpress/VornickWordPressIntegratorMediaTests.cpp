#include "tests/wordpress/WordPressIntegratorTestSupport.h"

#include "blog/VornickPublishedBlogSynchronizer.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/net/WebResource.h"
#include "toolkit/VornickObjectArchive.h"
#include "wordpress/VornickWordPressMediaItem.h"

namespace brevanton {
namespace {

class WordPressIntegratorMediaTest : public WordPressIntegratorTest {
protected:
    std::shared_ptr<VornickWordPressMediaItem> itemTitled(std::u16string_view title)
    {
        for (auto& object : blog()->mediaItems()) {
            if (object->valueForKey(u"title").stringValue() == title)
                return std::dynamic_pointer_cast<VornickWordPressMediaItem>(object);
        }
        return nullptr;
    }

    // A picture in the media folder with its item, not yet on the site.
    std::shared_ptr<VornickWordPressMediaItem> localPicture()
    {
        auto folder = *blog()->mediaFolderURL()->fileSystemPath();
        EXPECT_TRUE(createDirectory(folder));
        EXPECT_TRUE(writeFileAtomically(folder + "/photo.png", "\x89PNG\r\n\x1a\n"));
        auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context().insertNewObject(u"MediaItem"));
        item->setObjectForKey(blog(), u"blog");
        item->ManagedObject::setValueForKey(Value(u"Photo"), u"title");
        item->ManagedObject::setValueForKey(Value(u"photo.png"), u"localURLString");
        item->setSourceFileName(u"photo.brevantonwordpressmediaitem");
        return item;
    }

    // A post of the site, edited here to hold `content`, and queued for upload.
    std::shared_ptr<VornickWordPressBlogPost> uploadEditedPost(const char16_t* identifier, std::u16string title, std::u16string content)
    {
        integrator.importPostOrPageDescriptions({ post(identifier, title, u"https://site.example/" + title + u"/") }, site.blogDescription);
        auto edited = postTitled(title);
        EXPECT_TRUE(edited);
        if (!edited)
            return nullptr;
        edited->setSourceContentString(std::move(content));
        edited->ManagedObject::setValueForKey(Value(Date::now()), u"dateLastEditedLocally");
        Error error;
        EXPECT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context(), &error)) << error;
        auto& synchronizer = project->synchronizer();
        EXPECT_TRUE(synchronizer.queueSyncToUploadPost(*edited));
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !synchronizer.currentSyncSession(); }, 30))
            << "the upload session is still running: " << (synchronizer.currentSyncSession() ? synchronizer.currentSyncSession()->splat() : "")
            << toUTF8(log->text());
        RunLoop::main().runFor(0.01);
        return edited;
    }

    bool sentPostTitled(std::u16string_view title) const
    {
        return std::any_of(site.sentPosts.begin(), site.sentPosts.end(), [&](auto& sent) { return sent.at(u"title").stringValue() == title; });
    }
};

Dictionary mediaItem(const char16_t* identifier, const char16_t* title)
{
    return { { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(title) },
             { u"remoteURLString", Value(u"https://site.example/wp-content/uploads/" + std::u16string(title) + u".jpg") } };
}

TEST_F(WordPressIntegratorMediaTest, TheLibraryIsReadIntoFilesOfTheMediaFolderOnePageEverydayAllPagesExhaustively)
{
    Dictionary cat = mediaItem(u"7", u"Cat");
    cat[u"description"] = Value(u"<p>A cat</p>");
    cat[u"pixelsHigh"] = Value(u"480");
    cat[u"dateCreated"] = Value(u"2021-05-04T10:00:00Z");
    cat[u"variants"] = Value(Dictionary { { u"thumbnail", Value(Dictionary { { u"filename", Value(u"Cat-150x150.jpg") },
                                                                              { u"mimeType", Value(u"image/jpeg") },
                                                                              { u"pixelsHigh", Value(150) }, { u"pixelsWide", Value(u"150") } }) } });
    Dictionary hostile = mediaItem(u"../../outside", u"Hostile");
    Dictionary nine = mediaItem(u"9", u"Nine");
    nine[u"description"] = Value(u"<p>Nine</p>");
    site.mediaItems = { cat, hostile, nine };

    int notifications = 0;
    auto observer = NotificationCenter::defaultCenter().addObserver(VornickWordPressIntegrator::AddedMediaItemsNotification, nullptr, nullptr,
                                                                    [&](const Notification&) { ++notifications; });
    runSession(VornickSyncSessionType::Manual);
    EXPECT_NE(site.requestSummary().find("media@0"), std::string::npos);
    EXPECT_EQ(site.requestSummary().find("media@2"), std::string::npos) << "an everyday sync reads one page";
    // An item whose id is no positive integer never reaches the library.
    EXPECT_EQ(blog()->mediaItems().size(), 1u);
    EXPECT_FALSE(itemTitled(u"Hostile"));
    EXPECT_GE(notifications, 1);

    runSession(VornickSyncSessionType::ExhaustiveManual);
    EXPECT_NE(site.requestSummary().find("media@2"), std::string::npos);
    ASSERT_EQ(blog()->mediaItems().size(), 2u) << "items already here are matched, not made again";

    auto catItem = itemTitled(u"Cat");
    ASSERT_TRUE(catItem);
    EXPECT_EQ(catItem->ManagedObject::valueForKey(u"htmlDescription").stringValue(), u"<p>A cat</p>");
    EXPECT_EQ(catItem->ManagedObject::valueForKey(u"pixelsHigh").integerValue(), 480);
    EXPECT_TRUE(catItem->ManagedObject::valueForKey(u"dateCreated").isDate());
    auto thumbnail = catItem->variantWithName(u"thumbnail");
    ASSERT_TRUE(thumbnail);
    EXPECT_EQ(thumbnail->valueForKey(u"pixelsWide").integerValue(), 150);
    EXPECT_EQ(itemTitled(u"Nine")->ManagedObject::valueForKey(u"htmlDescription").stringValue(), u"<p>Nine</p>");

    // Every item has a file of its own, in the media folder.
    std::string mediaFolder = *blog()->mediaFolderURL()->fileSystemPath() + "/";
    std::set<std::u16string> names;
    for (auto& object : blog()->mediaItems()) {
        auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(object);
        names.insert(item->sourceFileName());
        auto path = item->sourceFileURL()->standardized().fileSystemPath();
        ASSERT_TRUE(path);
        EXPECT_EQ(path->rfind(mediaFolder, 0), 0u) << *path;
        EXPECT_TRUE(fileExists(*path)) << *path;
    }
    EXPECT_EQ(names.size(), 2u);
    EXPECT_TRUE(names.contains(u"7.brevantonwordpressmediaitem"));
    // A file holds the description under "htmlDescription"; read back, it stays.
    auto archive = VornickObjectArchive::createWithContentsOfURL(*catItem->sourceFileURL(), nullptr);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->propertyList()[u"htmlDescription"].stringValue(), u"<p>A cat</p>");
    integrator.importMediaItemDescription(archive->propertyList(), catItem, blog(), catItem->sourceFileURL());
    EXPECT_EQ(catItem->ManagedObject::valueForKey(u"htmlDescription").stringValue(), u"<p>A cat</p>");
}

TEST_F(WordPressIntegratorMediaTest, ANewPictureGoesUpBeforeThePostThatShowsIt)
{
    importBlog();
    auto picture = localPicture();
    std::u16string uniqueIdentifier = picture->uniqueIdentifier();
    site.uploadAnswersWithDescription = true;
    auto sent = uploadEditedPost(u"12", u"Holiday",
        u"<!-- wp:image -->\n<figure class=\"wp-block-image\"><img src=\"../media/photo.png\" alt=\"\"/></figure>\n<!-- /wp:image -->");
    ASSERT_TRUE(sent);

    auto upload = std::find(site.requests.begin(), site.requests.end(), "upload:Photo");
    ASSERT_NE(upload, site.requests.end()) << site.requestSummary();
    auto send = std::find(site.requests.begin(), site.requests.end(), "send:Holiday");
    EXPECT_LT(upload, send) << site.requestSummary();
    EXPECT_EQ(picture->identifierUsedByBlogService(), u"900");
    EXPECT_EQ(picture->uniqueIdentifier(), uniqueIdentifier) << "the site's answer does not change who the item is";
    EXPECT_EQ(picture->ManagedObject::valueForKey(u"remoteURLString").stringValue(), u"https://site.example/wp-content/uploads/photo.png");
    auto archive = VornickObjectArchive::createWithContentsOfURL(*picture->sourceFileURL(), nullptr);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->propertyList()[u"identifierUsedByBlogService"].stringValue(), u"900");

    ASSERT_TRUE(sentPostTitled(u"Holiday")) << "the post goes up once its picture is a media item";
    std::u16string content = site.sentPosts.back().at(u"sourceContentString").stringValue();
    EXPECT_NE(content.find(u"https://site.example/wp-content/uploads/photo.png"), std::u16string::npos) << toUTF8(content);
    EXPECT_NE(content.find(u"wp-image-900"), std::u16string::npos) << toUTF8(content);
    EXPECT_NE(content.find(u"\"id\":900"), std::u16string::npos) << toUTF8(content);
    EXPECT_EQ(content.find(u"file:"), std::u16string::npos);
    EXPECT_EQ(content.find(u"../media/"), std::u16string::npos);
}

TEST_F(WordPressIntegratorMediaTest, APostStillNamingALocalFileIsNotSentAndStaysQueued)
{
    importBlog();
    auto local = uploadEditedPost(u"12", u"Local", u"<p><img src=\"file:///tmp/elsewhere/pic.png\"></p>");
    ASSERT_TRUE(local);
    EXPECT_FALSE(sentPostTitled(u"Local"));
    EXPECT_TRUE(local->publishAtNextSync());
    EXPECT_NE(log->text().find(u"Not sending \"Local\""), std::u16string::npos) << toUTF8(log->text());
    EXPECT_NE(log->text().find(u"file:///tmp/elsewhere/pic.png"), std::u16string::npos);

    auto beside = uploadEditedPost(u"13", u"Beside", u"<p><img src=\"notes/pic.png\"></p>");
    ASSERT_TRUE(beside);
    EXPECT_FALSE(sentPostTitled(u"Beside"));
    EXPECT_TRUE(beside->publishAtNextSync());

    // The site's own references go out as they are.
    auto remote = uploadEditedPost(u"14", u"Remote",
        u"<p><img src=\"/wp-content/uploads/a.png\"><img src=\"https://cdn.example/b.png\"><a href=\"/about/\">About</a></p>");
    ASSERT_TRUE(remote);
    EXPECT_TRUE(sentPostTitled(u"Remote"));
    EXPECT_FALSE(remote->publishAtNextSync());
}

TEST(VornickWordPressIntegratorRewiring, LocalFileReferencesAreFoundWhereverTheyStand)
{
    URL blogFolder = URL::fileURLWithPath("/home/u/Blogs/Site", true);
    URL postFolder = URL::fileURLWithPath("/home/u/Blogs/Site/posts", true);
    auto find = [&](const char16_t* html) { return VornickWordPressIntegrator::firstLocalFileReference(html, postFolder, blogFolder); };
    EXPECT_EQ(find(u"<img src=\"FILE:///etc/x.png\">"), u"FILE:///etc/x.png");
    EXPECT_EQ(find(u"<img src=\"../media/x.png\">"), u"../media/x.png");
    EXPECT_EQ(find(u"<img srcset=\"x.png 2x\">").value_or(u"none"), u"x.png");
    EXPECT_EQ(find(u"<a href='file:///home/u/notes.txt'>notes</a>"), u"file:///home/u/notes.txt");
    EXPECT_EQ(find(u"<img src=\"/wp-content/uploads/x.png\">"), std::nullopt);
    EXPECT_EQ(find(u"<img src=\"//cdn.example/x.png\">"), std::nullopt);
    EXPECT_EQ(find(u"<img src=\"../../../elsewhere/x.png\">"), std::nullopt) << "outside the blog's folder: not the blog's file";
    EXPECT_EQ(find(u"<p>Type file: then a name.</p>"), std::nullopt);
    EXPECT_EQ(find(u""), std::nullopt);
}

} // namespace
} // namespace brevanton

namespace brevanton {
namespace {

TEST_F(WordPressIntegratorMediaTest, ACopyTheBlogsCacheAddsOfAnItemsAddressBecomesItsLocalFileWhileTheProjectIsOpen)
{
    auto imported = importBlog();
    ASSERT_TRUE(imported);
    EXPECT_TRUE(integrator.watchingWebCache());
    Dictionary sea = mediaItem(u"31", u"Sea");
    URL seaAddress = *URL::create(u"https://site.example/wp-content/uploads/sea.png");
    sea[u"remoteURLString"] = Value(seaAddress.absoluteString());
    integrator.importMediaItemDescriptions(vornickWordPressMediaItemDescriptions({ sea }), imported);
    auto seaItem = itemTitled(u"Sea");
    ASSERT_TRUE(seaItem);
    EXPECT_TRUE(seaItem->ManagedObject::valueForKey(u"localURLString").stringValue().empty());
    auto photo = localPicture();
    URL photoAddress = *URL::create(u"https://site.example/wp-content/uploads/photo.png");
    photo->ManagedObject::setValueForKey(Value(photoAddress.absoluteString()), u"remoteURLString");

    auto cache = imported->webResourceCache();
    ASSERT_TRUE(cache);
    std::string png = "\x89PNG\r\n\x1a\nsea";
    cache->storeCachedWebResource(WebResource(Data(png.begin(), png.end()), seaAddress, u"image/png"));
    // The item now shows the cached copy, and its file says so.
    auto cached = std::dynamic_pointer_cast<VornickDiskWebResourceCache>(cache)->cachedFileURLForURL(seaAddress);
    ASSERT_TRUE(cached);
    EXPECT_EQ(seaItem->ManagedObject::valueForKey(u"localURLString").stringValue(), u"../resources/" + cached->lastPathComponent());
    ASSERT_TRUE(seaItem->resolvedLocalURL());
    EXPECT_EQ(seaItem->resolvedLocalURL()->standardized().fileSystemPath(), cached->standardized().fileSystemPath());
    auto archive = VornickObjectArchive::createWithContentsOfURL(*seaItem->sourceFileURL(), nullptr);
    ASSERT_TRUE(archive);
    EXPECT_EQ(archive->propertyList()[u"localURLString"].stringValue(), u"../resources/" + cached->lastPathComponent());

    // An item whose own file is there keeps it: the cache holds only a copy.
    cache->storeCachedWebResource(WebResource(Data(png.begin(), png.end()), photoAddress, u"image/png"));
    EXPECT_EQ(photo->ManagedObject::valueForKey(u"localURLString").stringValue(), u"photo.png");
    // Once its file is gone, a new copy takes its place.
    ASSERT_TRUE(removeItem(*photo->resolvedLocalURL()->fileSystemPath()));
    cache->removeAllCachedResources();
    cache->storeCachedWebResource(WebResource(Data(png.begin(), png.end()), photoAddress, u"image/png"));
    EXPECT_TRUE(photo->ManagedObject::valueForKey(u"localURLString").stringValue().starts_with(u"../resources/"));

    // A closed project watches no cache.
    integrator.setManagedObjectContextProvider(nullptr);
    EXPECT_FALSE(integrator.watchingWebCache());
    cache->removeAllCachedResources();
    seaItem->ManagedObject::setValueForKey(Value(u""), u"localURLString");
    cache->storeCachedWebResource(WebResource(Data(png.begin(), png.end()), seaAddress, u"image/png"));
    EXPECT_EQ(seaItem->ManagedObject::valueForKey(u"localURLString").stringValue(), u"");
    integrator.setManagedObjectContextProvider(project.get());
    EXPECT_TRUE(integrator.watchingWebCache());
}

} // namespace
} // namespace brevanton
