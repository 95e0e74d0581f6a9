#include "blog/VornickUploadWordPressMediaItemsStep.h"

#include "tests/blog/QueueStepTestSupport.h"

#include "blog/VornickUploadBlogPostsStep.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

// A service's integrator that knows which posts use which media item.
class MediaAwareIntegrator : public VornickBlogServiceIntegrator {
public:
    bool postReferencesMediaItem(const Value& nativePostIdentifier, const Dictionary& mediaItemDescription) override
    {
        return nativePostIdentifier == Value(u"x-native:uses-b") && mediaItemDescription.at(u"uniqueIdentifier") == Value(u"u-b.png");
    }
};

class VornickUploadWordPressMediaItemsStepTests : public QueueStepTest {
protected:
    std::shared_ptr<VornickUploadWordPressMediaItemsStep> step;

    void SetUp() override
    {
        QueueStepTest::SetUp();
        step = std::make_shared<VornickUploadWordPressMediaItemsStep>(u"uploadMediaItems", u"Upload Media Items");
        std::weak_ptr<VornickUploadWordPressMediaItemsStep> weakStep = step;
        step->setStartBlock([weakStep] {
            if (auto strongStep = weakStep.lock())
                strongStep->startUploadingMediaItems();
        });
        blogStep->addStep(step);
    }

    static Dictionary item(const std::u16string& title)
    {
        return { { u"title", Value(title) }, { u"uniqueIdentifier", Value(u"u-" + title) } };
    }
    // The server's description of an uploaded item: what was sent and its identifier.
    static Dictionary uploaded(const std::u16string& title, const std::u16string& identifier)
    {
        Dictionary description = item(title);
        description[u"identifierUsedByBlogService"] = Value(identifier);
        return description;
    }
};

TEST_F(VornickUploadWordPressMediaItemsStepTests, OneFailureOfThreeFailsTheStep)
{
    for (auto title : { u"a.png", u"b.png", u"c.png" })
        step->scheduleUploadOfMediaItem(item(title), blogDescription);
    step->scheduleUploadOfMediaItem({}, blogDescription);
    EXPECT_EQ(step->itemQueue().size(), 3u);
    session->setState(VornickSyncStepState::Active);
    EXPECT_TRUE(logged(u"Uploading 3 media items"));
    EXPECT_EQ(step->statusMessage(), u"Uploading \"a.png\"");
    // The base integrator cannot upload: it says so on a later turn. The
    // first two items are answered before that, as a service's integrator would.
    step->integratorDidUploadMediaItem(uploaded(u"a.png", u"501"), blogDescription);
    step->integratorDidUploadMediaItem(uploaded(u"a.png", u"501"), blogDescription);
    EXPECT_EQ(step->completedUploadCount(), 1u) << "one answer per item";
    EXPECT_TRUE(logged(u"Uploaded media item \"a.png\" (501)"));
    RunLoop::main().runOnce(0);
    EXPECT_EQ(step->statusMessage(), u"Uploading \"b.png\"");
    step->integratorDidUploadMediaItem(uploaded(u"b.png", u"502"), blogDescription);
    RunLoop::main().runOnce(0);
    EXPECT_EQ(step->statusMessage(), u"Uploading \"c.png\"");
    EXPECT_EQ(step->failedItemQueue().size(), 0u) << "late refusals of answered items change nothing";
    RunLoop::main().runOnce(0);
    EXPECT_TRUE(logged(u"** This blog service cannot upload media item \"c.png\""));
    EXPECT_EQ(step->statusMessage(), u"Failed upload of \"c.png\"");
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(step->statusMessage(), u"1 items failed to upload");
    EXPECT_TRUE(logged(u"Done uploading Media Items. 2/3 succeeded."));
}

TEST_F(VornickUploadWordPressMediaItemsStepTests, AFailedItemTakesThePostsThatUseItOutOfTheUpload)
{
    auto uploadPosts = std::make_shared<VornickUploadBlogPostsStep>(u"uploadPosts", u"Upload Posts/Pages");
    blogStep->addStep(uploadPosts);
    uploadPosts->scheduleUploadOfPostChanges({ { u"title", Value(u"Uses b") } }, blogDescription, Value(u"x-native:uses-b"));
    uploadPosts->scheduleUploadOfPostChanges({ { u"title", Value(u"Plain") } }, blogDescription, Value(u"x-native:plain"));
    MediaAwareIntegrator mediaIntegrator;
    mediaIntegrator.setSyncLog(log);
    session->setIntegrator(&mediaIntegrator);
    step->scheduleUploadOfMediaItem(item(u"b.png"), blogDescription);
    session->setState(VornickSyncStepState::Active);
    step->integratorFailedToUploadMediaItem(item(u"b.png"), blogDescription);
    EXPECT_TRUE(logged(u"Cancel upload of posts that depend on media item \"b.png\""));
    ASSERT_EQ(uploadPosts->postQueue().size(), 1u);
    EXPECT_EQ(uploadPosts->postQueue()[0].at(u"postDescription")[u"title"], Value(u"Plain"));
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Failed);
    session->setIntegrator(&integrator);
}

TEST_F(VornickUploadWordPressMediaItemsStepTests, AnEmptyQueueCompletesQuietly)
{
    start();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(step->statusMessage(), u"Done");
    EXPECT_FALSE(logged(u"Done uploading Media Items."));
}

} // namespace
} // namespace brevanton
