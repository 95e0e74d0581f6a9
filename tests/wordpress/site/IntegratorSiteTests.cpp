// The WordPress integrator with each agent against the real site, with
// pretty and plain permalinks: an exhaustive sync brings in the terms with
// their parents, formats, statuses, options and the media library, and gives
// every post a file of its own; a picture placed in a post goes up before it.
#include "blog/VornickBlogCategory.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncStepState.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"
#include "toolkit/VornickURLExtensions.h"
#include "tests/wordpress/site/SyncSiteTestSupport.h"
#include "wordpress/VornickWordPressMediaItem.h"

#include <gtest/gtest.h>

#include <set>

namespace brevanton::testing {
namespace {

class IntegratorSite : public SyncSiteTest {
protected:
    std::shared_ptr<VornickBlogServiceSyncSession> exhaustiveSyncToTheEnd()
    {
        auto& synchronizer = m_project->synchronizer();
        EXPECT_TRUE(synchronizer.queueExhaustiveManualSync());
        auto session = synchronizer.currentSyncSession();
        EXPECT_TRUE(RunLoop::main().runUntil([&] { return !synchronizer.currentSyncSession(); }, 240)) << "the session is still running";
        RunLoop::main().runFor(0.1);
        return session;
    }

    void expectAnExhaustiveSyncImportsEverything()
    {
        auto session = exhaustiveSyncToTheEnd();
        ASSERT_TRUE(session);
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(this->blog());
        ASSERT_TRUE(blog) << toUTF8(m_log->text());
        for (const char16_t* name : { u"syncCategories", u"syncTags", u"getMediaItems", u"syncPosts", u"syncPages" }) {
            auto blogStep = session->stepForBlogWithDescription({ { u"identifierUsedByBlogService", Value(u"1") } });
            ASSERT_TRUE(blogStep);
            auto step = blogStep->stepWithName(name);
            if (!step && xmlrpc() && std::u16string_view(name) == u"syncTags")
                continue;
            ASSERT_TRUE(step) << toUTF8(name);
            EXPECT_EQ(step->state(), VornickSyncStepState::Completed) << toUTF8(name) << "\n" << session->splat();
        }

        // 121 categories on three levels.
        auto categories = blog->objectsForKey(u"categories");
        EXPECT_GE(categories.size(), 121u);
        size_t withParent = 0;
        for (auto& object : categories)
            withParent += std::dynamic_pointer_cast<VornickBlogCategory>(object)->parentCategory() ? 1 : 0;
        EXPECT_GT(withParent, 0u);
        if (!xmlrpc())
            EXPECT_GE(blog->objectsForKey(u"tags").size(), 30u);
        else
            EXPECT_FALSE(blog->ManagedObject::valueForKey(u"themeIdentifier").stringValue().empty()) << "the blog options";
        EXPECT_FALSE(blog->postFormatDescriptions().empty());
        EXPECT_FALSE(blog->postStatusDescriptions().empty());

        // The four images, each with a file of its own.
        EXPECT_GE(blog->mediaItems().size(), 4u);
        for (auto& object : blog->mediaItems()) {
            auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(object);
            ASSERT_TRUE(item && item->sourceFileURL());
            EXPECT_TRUE(fileExists(*item->sourceFileURL()->fileSystemPath())) << toUTF8(item->sourceFileName());
        }

        // Every post and page has a file of its own.
        std::set<std::string> paths;
        for (auto& post : blog->posts()) {
            auto url = post->sourceFileURL();
            ASSERT_TRUE(url);
            EXPECT_TRUE(fileExists(*url->fileSystemPath())) << *url->fileSystemPath();
            paths.insert(*url->fileSystemPath());
        }
        EXPECT_EQ(paths.size(), blog->posts().size());
        EXPECT_GE(blog->postsOnly().size(), 120u);
    }
};

using IntegratorSitePretty = IntegratorSite;

TEST_P(IntegratorSitePretty, AnExhaustiveSyncImportsTermsOptionsMediaAndAFileForEveryPost)
{
    expectAnExhaustiveSyncImportsEverything();
}

TEST_P(IntegratorSitePretty, APicturePlacedInAPostGoesUpFirstAndThePostNamesIt)
{
    if (xmlrpc())
        GTEST_SKIP() << "the site's copy is read over REST once; one protocol suffices";
    auto first = syncToTheEnd();
    ASSERT_TRUE(first);
    auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(this->blog());
    ASSERT_TRUE(blog);
    auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(postTitled(u"Post 9"));
    ASSERT_TRUE(post && post->sourceFileURL());

    // A picture dropped beside the post: a file of the media folder and its item.
    std::string mediaFolder = *blog->mediaFolderURL()->fileSystemPath();
    ASSERT_TRUE(createDirectory(mediaFolder));
    static const unsigned char png[] = { 0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
                                         0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1f, 0x15, 0xc4, 0x89, 0x00, 0x00, 0x00,
                                         0x0d, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8, 0xcf, 0xc0, 0xf0, 0x1f, 0x00, 0x05, 0x00, 0x01, 0xff,
                                         0x89, 0x99, 0x3d, 0x1d, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82 };
    ASSERT_TRUE(writeFileAtomically(mediaFolder + "/dropped.png", std::string_view(reinterpret_cast<const char*>(png), sizeof png)));
    auto* context = m_project->siteIntegrator().context();
    auto item = std::dynamic_pointer_cast<VornickWordPressMediaItem>(context->insertNewObject(u"MediaItem"));
    item->setObjectForKey(blog, u"blog");
    item->ManagedObject::setValueForKey(Value(u"Dropped"), u"title");
    item->ManagedObject::setValueForKey(Value(u"dropped.png"), u"localURLString");
    item->setSourceFileName(u"dropped.brevantonwordpressmediaitem");
    auto relative = *vornick_URLStringRelativeToBaseURL(URL::fileURLWithPath(mediaFolder + "/dropped.png", false),
                                                        post->sourceFileURL()->URLByDeletingLastPathComponent());
    editLocally(*post, u"<!-- wp:image -->\n<figure class=\"wp-block-image\"><img src=\"" + relative + u"\" alt=\"\"/></figure>\n<!-- /wp:image -->");
    uploadToTheEnd(*post);
    if (HasFailure())
        ADD_FAILURE() << toUTF8(lastSessionLog()) << m_project->synchronizer().currentSyncSession()->splat();

    ASSERT_FALSE(item->identifierUsedByBlogService().empty()) << toUTF8(lastSessionLog());
    std::u16string remote = item->ManagedObject::valueForKey(u"remoteURLString").stringValue();
    EXPECT_FALSE(remote.empty());
    EXPECT_FALSE(post->publishAtNextSync()) << "the post went up once its picture was a media item";
    auto content = siteContent(post->identifierUsedByBlogService());
    ASSERT_TRUE(content);
    EXPECT_NE(content->find(remote), std::u16string::npos) << toUTF8(*content);
    EXPECT_NE(content->find(u"wp-image-" + item->identifierUsedByBlogService()), std::u16string::npos) << toUTF8(*content);
    EXPECT_NE(content->find(u"\"id\":" + item->identifierUsedByBlogService()), std::u16string::npos) << toUTF8(*content);
    EXPECT_EQ(content->find(u"file:"), std::u16string::npos) << toUTF8(*content);
}

INSTANTIATE_TEST_SUITE_P(Protocols, IntegratorSitePretty, ::testing::Values(SiteProtocol::REST, SiteProtocol::XMLRPC), siteProtocolName);

class IntegratorSitePlain : public IntegratorSite {
protected:
    void SetUp() override
    {
        IntegratorSite::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        std::string output;
        ASSERT_TRUE(runWordPressSiteScript("permalinks", { "plain" }, &output)) << output;
    }
};

TEST_P(IntegratorSitePlain, AnExhaustiveSyncGivesEveryPostAFileOfItsOwn)
{
    expectAnExhaustiveSyncImportsEverything();
    for (auto& post : blog()->posts())
        EXPECT_NE(post->sourceFileName(), u"_landing_page.brevantonwordpresspost");
}

INSTANTIATE_TEST_SUITE_P(Protocols, IntegratorSitePlain, ::testing::Values(SiteProtocol::REST, SiteProtocol::XMLRPC), siteProtocolName);

} // namespace
} // namespace brevanton::testing
