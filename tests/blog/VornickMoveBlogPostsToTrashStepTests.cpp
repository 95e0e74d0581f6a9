#include "blog/VornickMoveBlogPostsToTrashStep.h"

#include "tests/blog/QueueStepTestSupport.h"

#include "toolkit/VornickErrors.h"
#include "toolkit/VornickObjectArchive.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickMoveBlogPostsToTrashStepTests : public QueueStepTest {
protected:
    std::shared_ptr<VornickMoveBlogPostsToTrashStep> step;

    std::shared_ptr<VornickPublishedBlogPost> makeTrashedPost(const std::u16string& title, const std::u16string& identifier)
    {
        auto post = makePost(title, identifier);
        post->ManagedObject::setValueForKey(Value(true), u"inTrash");
        EXPECT_TRUE(integrator.markPostForUploadAtNextSync(nativeIdentifier(*post)));
        return post;
    }

    // As the two-way sync schedules a move: the step is made on first use.
    void schedule(const VornickPublishedBlogPost& post)
    {
        integrator.scheduleMoveToTrashOfPost(descriptionOfPost(post), blogDescription, nativeIdentifier(post));
        step = integrator.existingMovePostsToTrashStepForBlogWithDescription(blogDescription);
        ASSERT_TRUE(step);
    }

    void answerFailure(const RecordedAgentRequest& request, Error error)
    {
        integrator.blogServiceAgentFailedToDeletePostWithIdentifier(*agent, request.postIdentifier, request.nativePostIdentifier,
                                                                    request.blogDescription, error);
    }
    void answerSuccess(const RecordedAgentRequest& request)
    {
        integrator.blogServiceAgentSuccessfullyDeletedPostWithIdentifier(*agent, request.postIdentifier, request.nativePostIdentifier,
                                                                        request.blogDescription);
    }
};

TEST_F(VornickMoveBlogPostsToTrashStepTests, OnlyTheServersOwnNotFoundCountsAsAlreadyGone)
{
    auto gone = makeTrashedPost(u"Gone", u"11");
    auto proxied = makeTrashedPost(u"Proxied", u"12");
    auto moved = makeTrashedPost(u"Moved", u"13");
    for (auto& post : { gone, proxied, moved })
        schedule(*post);
    schedule(*moved);
    EXPECT_EQ(step->postQueue().size(), 3u) << "the same post twice is one entry";
    EXPECT_EQ(step->title(), u"Move Posts/Pages to Trash");
    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    EXPECT_EQ(agent->requests[0].kind, "trash");
    EXPECT_EQ(agent->requests[0].postIdentifier, u"11");

    answerFailure(agent->requests[0], Error(VornickErrorDomain, VornickServerSaysPostNotFoundError, u"No such post"));
    EXPECT_TRUE(logged(u"Post 11 already gone from server"));
    EXPECT_FALSE(gone->publishAtNextSync());
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(*gone->sourceFileURL(), &error);
    ASSERT_TRUE(archive) << error;
    EXPECT_EQ(archive->propertyList().at(u"publishAtNextSync").boolValue(true), false) << "the file says so too";
    EXPECT_DOUBLE_EQ(step->progress(), 1.0 / 3.0);
    drain();

    // A 410 of the HTTP domain may be a proxy or a wrong address: a failure, not a move.
    ASSERT_EQ(agent->requests.size(), 2u);
    answerFailure(agent->requests[1], Error(VornickHTTPErrorDomain, 410, u"Gone"));
    EXPECT_TRUE(logged(u"Failed to move post 12 to the Trash"));
    EXPECT_TRUE(proxied->publishAtNextSync());
    answerSuccess(agent->requests[1]) /* a second answer about the same post */;
    EXPECT_EQ(step->completedItemCount(), 2u);
    drain();

    ASSERT_EQ(agent->requests.size(), 3u);
    answerSuccess(agent->requests[2]);
    EXPECT_TRUE(logged(u"Successfully moved post 13 to the Trash"));
    EXPECT_FALSE(moved->publishAtNextSync());
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(step->statusMessage(), u"1 post deletions failed");
    EXPECT_TRUE(logged(u"Done moving posts to the Trash. Failed for 1 of 3 posts."));
    ASSERT_EQ(step->failedRequestQueue().size(), 1u);
}

TEST_F(VornickMoveBlogPostsToTrashStepTests, PostsNeverOnTheServerAreSkippedAndALostAnswerFails)
{
    auto local = makeTrashedPost(u"Local only", u"");
    auto remote = makeTrashedPost(u"Remote", u"21");
    schedule(*local);
    schedule(*remote);
    session->setState(VornickSyncStepState::Active);
    EXPECT_TRUE(logged(u"Moving \"Local only\" to the Trash"));
    EXPECT_TRUE(agent->requests.empty()) << "nothing to move on the server";
    drain();
    ASSERT_EQ(agent->requests.size(), 1u);
    EXPECT_EQ(agent->requests[0].postIdentifier, u"21");
    RunLoop::main().advanceClock(300.5);
    drain();
    EXPECT_TRUE(logged(u"Failed to move post 21 to the Trash"));
    EXPECT_EQ(step->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(step->completedItemCount(), 1u) << "the skipped post is not counted";
    answerSuccess(agent->requests[0]);
    EXPECT_EQ(step->completedItemCount(), 1u) << "an answer after the step ended changes nothing";
}

TEST_F(VornickMoveBlogPostsToTrashStepTests, AllMovedCompletes)
{
    auto post = makeTrashedPost(u"Post", u"31");
    schedule(*post);
    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    answerSuccess(agent->requests[0]);
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(step->statusMessage(), u"Done");
    EXPECT_TRUE(logged(u"Done moving posts to the Trash."));
}

} // namespace
} // namespace brevanton
