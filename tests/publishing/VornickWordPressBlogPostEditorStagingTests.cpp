// A local file the user drops or pastes into a post goes into the blog's
// media library: a copy in the blog's resource cache and one media item
// (written, announced, found again by the post's references), named by the
// unique naming of component files. Only regular files whose bytes show an
// image, a sound or a film are taken; the others are refused with the reason.
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "documents/VornickDiskWebResourceCache.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "publishing/VornickWordPressBlogPostEditor.h"
#include "toolkit/VornickErrors.h"
#include "wordpress/VornickWordPressIntegrator.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace brevanton {
namespace {

class WordPressBlogPostEditorStaging : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = createTemporaryDirectory("post-editor-staging").value();
        outside = createTemporaryDirectory("post-editor-staging-outside").value();
        auto path = makeSyncedLikeWordPressProject(folder);
        ASSERT_TRUE(path);
        Error error;
        project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(project) << error;
        post = project->postWithFilePath(*path);
        ASSERT_TRUE(post);
        blog = post->wordPressBlog();
        editor = std::make_unique<VornickWordPressBlogPostEditor>(post);
        announcements = NotificationCenter::defaultCenter().addObserver(
            VornickWordPressIntegrator::AddedMediaItemsNotification, nullptr, nullptr, [this](const Notification& notification) {
                if (notification.object == static_cast<const void*>(blog.get()))
                    ++announced;
            });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObserver(announcements);
        editor.reset();
        std::filesystem::remove_all(folder);
        std::filesystem::remove_all(outside);
    }

    std::string copyOfPicture(const std::string& name)
    {
        std::string path = outside + "/" + name;
        std::filesystem::copy_file(BREVANTON_TEST_DATA_DIR "/editing/picture.png", path, std::filesystem::copy_options::overwrite_existing);
        return path;
    }
    std::string fileHolding(const std::string& name, std::string_view bytes)
    {
        std::string path = outside + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::vector<std::shared_ptr<VornickWordPressMediaItem>> items() const
    {
        std::vector<std::shared_ptr<VornickWordPressMediaItem>> found;
        for (auto& object : blog->mediaItems())
            found.push_back(std::dynamic_pointer_cast<VornickWordPressMediaItem>(object));
        return found;
    }
    std::optional<URL> stage(const std::string& path, Error* error)
    {
        return editor->findReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(URL::fileURLWithPath(path, false), error);
    }

    std::string folder;
    std::string outside;
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressBlogPost> post;
    std::shared_ptr<VornickWordPressBlog> blog;
    std::unique_ptr<VornickWordPressBlogPostEditor> editor;
    ObserverToken announcements;
    int announced { 0 };
};

TEST_F(WordPressBlogPostEditorStaging, APictureBecomesOneMediaItemOfTheBlogWrittenAnnouncedAndFoundByThePostsReference)
{
    std::string picture = copyOfPicture("Holiday picture.png");
    Error error;
    auto staged = stage(picture, &error);
    ASSERT_TRUE(staged) << error;

    // A copy kept with the blog, in its resource cache.
    auto stagedPath = staged->fileSystemPath();
    ASSERT_TRUE(stagedPath);
    EXPECT_EQ(stagedPath->rfind(*blog->resourcesFolderURL()->fileSystemPath(), 0), 0u) << *stagedPath;
    EXPECT_TRUE(fileExists(*stagedPath));
    EXPECT_TRUE(fileExists(picture));

    // One item: its title the file's name, its place beside the media
    // folder, its size, a file of its own named after the second it was made.
    auto made = items();
    ASSERT_EQ(made.size(), 1u);
    auto& item = *made.front();
    EXPECT_EQ(item.imageTitle(), u"Holiday picture.png");
    std::u16string local = item.ManagedObject::valueForKey(u"localURLString").stringValue();
    EXPECT_EQ(local.rfind(u"../resources/", 0), 0u) << toUTF8(local);
    EXPECT_EQ(item.resolvedLocalURL()->standardized().fileSystemPath(), staged->standardized().fileSystemPath());
    EXPECT_EQ(item.ManagedObject::valueForKey(u"pixelsWide").integerValue(), 40);
    EXPECT_EQ(item.ManagedObject::valueForKey(u"pixelsHigh").integerValue(), 30);
    EXPECT_TRUE(item.ManagedObject::valueForKey(u"dateCreated").isDate());
    EXPECT_TRUE(item.identifierUsedByBlogService().empty());
    std::u16string fileName = item.ManagedObject::valueForKey(u"sourceFileName").stringValue();
    EXPECT_EQ(fileName.size(), std::u16string(u"2026_12_08_23_10_00.brevantonwordpressmediaitem").size()) << toUTF8(fileName);
    EXPECT_TRUE(fileExists(*item.sourceFileURL()->fileSystemPath()));
    EXPECT_EQ(announced, 1);

    // The post referring to the copy names the item, which the next sync
    // uploads before it.
    std::u16string reference = u"../resources/" + staged->lastPathComponent();
    post->setSourceContentString(u"<!-- wp:image -->\n<figure class=\"wp-block-image\"><img src=\"" + staged->absoluteString()
                                 + u"\" alt=\"\"/></figure>\n<!-- /wp:image -->");
    auto referenced = post->mediaItemsReferencedBySourceContentString();
    ASSERT_EQ(referenced.size(), 1u);
    EXPECT_EQ(referenced.front(), made.front());

    // The same file again, or its copy, is the same item.
    auto again = stage(picture, &error);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->absoluteString(), staged->absoluteString());
    auto copy = editor->findReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(*staged, &error);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->absoluteString(), staged->absoluteString());
    EXPECT_EQ(items().size(), 1u);
    EXPECT_EQ(announced, 1);

    // Another file in the same second gets a file name of its own.
    auto other = stage(copyOfPicture("other.png"), &error);
    ASSERT_TRUE(other) << error;
    made = items();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_NE(made[0]->ManagedObject::valueForKey(u"sourceFileName").stringValue(),
              made[1]->ManagedObject::valueForKey(u"sourceFileName").stringValue());
}

TEST_F(WordPressBlogPostEditorStaging, OnlyRegularFilesHoldingAPictureASoundOrAFilmAreStagedOthersAreRefusedWithTheReason)
{
    std::string text = fileHolding("notes.png", "These are private notes, not a picture.\n");
    std::string script = fileHolding("drawing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"><script>alert(1)</script></svg>");
    std::string fifo = outside + "/pipe.png";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string link = outside + "/link.png";
    std::filesystem::create_symlink(text, link);
    std::string subfolder = outside + "/folder.png";
    std::filesystem::create_directory(subfolder);

    struct Case {
        std::string path;
        const char16_t* reason;
    };
    for (const Case& refused : { Case { text, u"holds no image, sound or film" }, Case { script, u"holds no image, sound or film" },
                                 Case { link, u"holds no image, sound or film" }, Case { fifo, u"is not a regular file" },
                                 Case { subfolder, u"is a folder" }, Case { outside + "/missing.png", u"cannot be read" } }) {
        Error error;
        EXPECT_FALSE(stage(refused.path, &error)) << refused.path;
        EXPECT_EQ(error.code(), VornickMediaFileUnreadableError) << refused.path;
        EXPECT_NE(error.localizedDescription().find(refused.reason), std::u16string::npos) << toUTF8(error.localizedDescription());
        EXPECT_NE(error.localizedDescription().find(URL::fileURLWithPath(refused.path, false).lastPathComponent()), std::u16string::npos);
    }
    EXPECT_TRUE(items().empty());
    EXPECT_EQ(announced, 0);
    auto resources = *blog->resourcesFolderURL()->fileSystemPath();
    if (std::filesystem::exists(resources)) {
        for (auto& entry : std::filesystem::directory_iterator(resources))
            EXPECT_EQ(entry.path().filename(), VornickDiskWebResourceCache::IndexFileName) << entry.path();
    }

    // A sound and a film, told by their bytes.
    Error error;
    EXPECT_TRUE(stage(fileHolding("song.mp3", std::string("ID3\x04\0\0\0\0\0\0", 10) + std::string(32, 'x')), &error)) << error;
    EXPECT_TRUE(stage(fileHolding("clip.mp4", std::string("\0\0\0\x20" "ftypisom\0\0\2\0", 16) + std::string(32, 'x')), &error)) << error;
    EXPECT_EQ(items().size(), 2u);
}

TEST_F(WordPressBlogPostEditorStaging, AddressesThatAreNoLocalFileAndFilesOfTheLibraryStayAsTheyAre)
{
    Error error;
    auto remote = *URL::create(u"https://elsewhere.example/photo.jpg");
    auto kept = editor->findReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(remote, &error);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->absoluteString(), remote.absoluteString());

    // An item the library downloaded: its file is referenced where it is.
    auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(project->index()->managedObjectContext()->insertNewObject(u"MediaItem"));
    item->ManagedObject::setValueForKey(Value(u"7"), u"identifierUsedByBlogService");
    item->ManagedObject::setValueForKey(Value(u"photo.png"), u"localURLString");
    item->setObjectForKey(blog, u"blog");
    std::string media = *blog->mediaFolderURL()->fileSystemPath();
    std::filesystem::create_directories(media);
    std::filesystem::copy_file(BREVANTON_TEST_DATA_DIR "/editing/picture.png", media + "/photo.png");
    auto library = stage(media + "/photo.png", &error);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(library->fileSystemPath(), media + "/photo.png");
    EXPECT_EQ(items().size(), 1u);
    EXPECT_EQ(announced, 0);
}

} // namespace
} // namespace brevanton
