#include "blog/VornickUploadBlogPostsStep.h"

#include "tests/blog/QueueStepTestSupport.h"

#include "toolkit/VornickRange.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickUploadBlogPostsStepTests : public QueueStepTest {
protected:
    std::shared_ptr<VornickUploadBlogPostsStep> step;

    void SetUp() override
    {
        QueueStepTest::SetUp();
        step = std::make_shared<VornickUploadBlogPostsStep>(u"uploadPosts", u"Upload Posts/Pages");
        std::weak_ptr<VornickUploadBlogPostsStep> weakStep = step;
        step->setStartBlock([weakStep] {
            if (auto strongStep = weakStep.lock())
                strongStep->startUploadingPosts();
        });
        blogStep->addStep(step);
    }

    // As the synchronizer queues an upload: the post is marked first.
    void schedule(const VornickPublishedBlogPost& post)
    {
        EXPECT_TRUE(integrator.markPostForUploadAtNextSync(nativeIdentifier(post)));
        step->scheduleUploadOfPostChanges(descriptionOfPost(post), blogDescription, nativeIdentifier(post));
    }

    // The agent's answer to the last send, through the integrator.
    void answerLastSend(const std::u16string& newIdentifier)
    {
        ASSERT_FALSE(agent->requests.empty());
        auto request = agent->requests.back();
        integrator.blogServiceAgentSuccessfullySentPostChanges(*agent, request.postChanges, request.blogDescription,
            request.nativePostIdentifier, { { u"identifierUsedByBlogService", Value(newIdentifier) }, { u"status", Value(u"draft") } }, false);
    }
};

TEST_F(VornickUploadBlogPostsStepTests, APostWaitsInOneEntryHoldingItsLatestEdit)
{
    auto draft = makePost(u"Draft");
    auto twin = makePost(u"Twin");
    draft->setSourceContentString(u"<p>same</p>");
    twin->setSourceContentString(u"<p>same</p>");
    schedule(*draft);
    schedule(*twin);
    EXPECT_EQ(step->postQueue().size(), 2u) << "two drafts with the same body are two posts";

    draft->setTitle(u"Draft, edited");
    schedule(*draft);
    ASSERT_EQ(step->postQueue().size(), 2u) << "a draft saved twice is one create request";
    EXPECT_EQ(step->postQueue()[0].at(u"postDescription")[u"title"], Value(u"Draft, edited")) << "the latest edit is sent";

    step->scheduleUploadOfPostChanges(descriptionOfPost(*draft), {}, nativeIdentifier(*draft));
    step->scheduleUploadOfPostChanges(descriptionOfPost(*draft), blogDescription, Value());
    EXPECT_EQ(step->postQueue().size(), 2u) << "nothing is queued without every argument";

    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    EXPECT_EQ(agent->requests[0].postChanges.at(u"title"), Value(u"Draft, edited"));
    EXPECT_TRUE(logged(u"Sending \"Draft, edited\""));
}

TEST_F(VornickUploadBlogPostsStepTests, EachPostTakesOneAnswerAndTheQueueMovesOnLater)
{
    auto first = makePost(u"First");
    auto second = makePost(u"Second");
    auto third = makePost(u"Third");
    for (auto& post : { first, second, third })
        schedule(*post);
    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    EXPECT_EQ(step->statusMessage(), u"Sending \"First\"");

    // An answer about a post that is not being sent changes nothing.
    step->integratorDidUploadPostChanges(descriptionOfPost(*second), blogDescription, nativeIdentifier(*second), false);
    EXPECT_EQ(step->postQueue().size(), 3u);

    answerLastSend(u"101");
    EXPECT_EQ(step->postQueue().size(), 2u);
    EXPECT_DOUBLE_EQ(step->progress(), 1.0 / 3.0);
    EXPECT_EQ(agent->requests.size(), 1u) << "the next post goes on a later turn";
    // The same answer again (a repeated callback) does not take the next post's place.
    answerLastSend(u"101");
    step->integratorFailedToUploadPostChanges(agent->requests.back().postChanges, blogDescription);
    EXPECT_EQ(step->postQueue().size(), 2u);
    drain();
    ASSERT_EQ(agent->requests.size(), 2u);
    EXPECT_EQ(agent->requests[1].postChanges.at(u"title"), Value(u"Second"));

    integrator.blogServiceAgentFailedToSendPostChanges(*agent, agent->requests[1].postChanges, blogDescription);
    EXPECT_DOUBLE_EQ(step->progress(), 2.0 / 3.0);
    drain();
    answerLastSend(u"103");
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed) << "a failed post does not stop the step";
    EXPECT_EQ(step->statusMessage(), u"Done");
    EXPECT_DOUBLE_EQ(step->progress(), 1.0);
    EXPECT_EQ(step->completedUploadCount(), 3u);
    EXPECT_TRUE(second->publishAtNextSync()) << "the failed post is tried again by a later session";
}

TEST_F(VornickUploadBlogPostsStepTests, AnEditMadeWhileThePostIsBeingSentFollowsAsAnUpdate)
{
    auto draft = makePost(u"Draft");
    schedule(*draft);
    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    EXPECT_FALSE(agent->requests[0].postChanges.contains(u"identifierUsedByBlogService"));

    draft->setTitle(u"Draft, edited");
    schedule(*draft);
    ASSERT_EQ(step->postQueue().size(), 2u) << "the version on its way stays as it was sent";
    answerLastSend(u"55");
    EXPECT_EQ(draft->identifierUsedByBlogService(), u"55");
    EXPECT_TRUE(draft->publishAtNextSync()) << "the later edit still has to go";
    drain();
    ASSERT_EQ(agent->requests.size(), 2u);
    EXPECT_EQ(agent->requests[1].postChanges.at(u"identifierUsedByBlogService"), Value(u"55"))
        << "an update of the post the server made, not a second post";
    EXPECT_EQ(agent->requests[1].postChanges.at(u"title"), Value(u"Draft, edited"));
    answerLastSend(u"55");
    EXPECT_FALSE(draft->publishAtNextSync());
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed);
}

TEST_F(VornickUploadBlogPostsStepTests, APostWithoutAnswerFailsAfterFiveMinutesOfWaiting)
{
    auto first = makePost(u"First");
    auto second = makePost(u"Second");
    schedule(*first);
    schedule(*second);
    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    // The second post's wait counts from its own request, not from when it was queued.
    RunLoop::main().advanceClock(299);
    EXPECT_EQ(step->postQueue().size(), 2u);
    RunLoop::main().advanceClock(2);
    drain();
    EXPECT_TRUE(logged(u"** No answer from the server about \"First\" within 300 seconds"));
    ASSERT_EQ(agent->requests.size(), 2u);
    EXPECT_EQ(agent->requests[1].postChanges.at(u"title"), Value(u"Second"));
    EXPECT_EQ(step->state(), VornickSyncStepState::Active);

    // The late answer about the first post is the server's word: the post takes it, the queue does not move.
    integrator.blogServiceAgentSuccessfullySentPostChanges(*agent, agent->requests[0].postChanges, blogDescription,
        agent->requests[0].nativePostIdentifier, { { u"identifierUsedByBlogService", Value(u"9") } }, false);
    EXPECT_EQ(first->identifierUsedByBlogService(), u"9");
    EXPECT_EQ(step->postQueue().size(), 1u);
    RunLoop::main().advanceClock(301);
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(step->completedUploadCount(), 2u);
}

TEST_F(VornickUploadBlogPostsStepTests, AnEmptyQueueCompletesAndAWaitingStepSendsNothing)
{
    auto post = makePost(u"Post");
    schedule(*post);
    step->advancePostQueue();
    EXPECT_TRUE(agent->requests.empty()) << "only an Active step sends";
    EXPECT_EQ(step->postQueueIndexOfExistingRequestWithPostDescription({}, nativeIdentifier(*post)), 0u);
    EXPECT_EQ(step->postQueueIndexOfExistingRequestWithPostDescription({}, Value(u"x-other")), VornickNotFound);

    auto empty = std::make_shared<VornickUploadBlogPostsStep>(u"other", u"Other");
    empty->setState(VornickSyncStepState::Active);
    empty->startUploadingPosts();
    EXPECT_EQ(empty->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(empty->statusMessage(), u"Done");
}

} // namespace
} // namespace brevanton
