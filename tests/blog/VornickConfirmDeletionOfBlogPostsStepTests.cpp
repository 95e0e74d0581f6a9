#include "blog/VornickConfirmDeletionOfBlogPostsStep.h"

#include "tests/blog/QueueStepTestSupport.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

class VornickConfirmDeletionOfBlogPostsStepTests : public QueueStepTest {
protected:
    std::shared_ptr<VornickConfirmDeletionOfBlogPostsStep> step;

    void schedule(const std::u16string& identifier, const Value& nativePostIdentifier)
    {
        integrator.scheduleConfirmServerSideDeletionOfPostWithIdentifier(identifier, nativePostIdentifier, blogDescription);
        step = integrator.existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(blogDescription);
        ASSERT_TRUE(step);
    }
};

TEST_F(VornickConfirmDeletionOfBlogPostsStepTests, ChecksEachPostOnceAndAlwaysCompletes)
{
    schedule(u"41", Value(u"x-native:41"));
    schedule(u"", Value(u"x-native:none"));
    schedule(u"43", Value(u"x-native:43"));
    EXPECT_EQ(step->title(), u"Confirm Deleted Posts");
    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    EXPECT_EQ(agent->requests[0].kind, "confirm");
    EXPECT_EQ(step->statusMessage(), u"Checking deletion status of post 41");

    // Answers about other posts, and a second answer, change nothing.
    integrator.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*agent, u"43", Value(u"x-native:43"), blogDescription, false);
    EXPECT_EQ(step->completedConfirmationCount(), 0u);
    integrator.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*agent, u"41", Value(u"x-native:41"), blogDescription, true);
    integrator.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*agent, u"41", Value(u"x-native:41"), blogDescription, true);
    EXPECT_EQ(step->completedConfirmationCount(), 1u);
    EXPECT_EQ(timesLogged(u"Step: Confirmed deletion of post 41"), 1u);
    EXPECT_DOUBLE_EQ(step->progress(), 1.0 / 3.0);
    drain();

    // The entry without an identifier goes to the failed queue without a request.
    ASSERT_EQ(agent->requests.size(), 2u);
    EXPECT_EQ(agent->requests[1].postIdentifier, u"43");
    EXPECT_EQ(step->failedRequestQueue().size(), 1u);
    integrator.blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*agent, u"43", Value(u"x-native:43"), blogDescription,
                                                                                    Error("test", 1, u"no"));
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(step->statusMessage(), u"2 post checks failed");
    EXPECT_TRUE(logged(u"2 post checks failed"));
    EXPECT_TRUE(logged(u"Failed to confirm deletion of post 43"));
}

TEST_F(VornickConfirmDeletionOfBlogPostsStepTests, ALostAnswerFailsTheCheckAfterFiveMinutes)
{
    schedule(u"51", Value(u"x-native:51"));
    start();
    RunLoop::main().advanceClock(299);
    EXPECT_EQ(step->state(), VornickSyncStepState::Active);
    RunLoop::main().advanceClock(2);
    drain();
    EXPECT_EQ(step->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(step->statusMessage(), u"1 post check failed");

    auto other = std::make_shared<VornickConfirmDeletionOfBlogPostsStep>(u"confirmDeletions", u"Confirm Deleted Posts");
    other->setState(VornickSyncStepState::Active);
    other->startConfirmingPostDeletions();
    EXPECT_EQ(other->statusMessage(), u"Done");
    EXPECT_EQ(other->state(), VornickSyncStepState::Completed);
}

TEST_F(VornickConfirmDeletionOfBlogPostsStepTests, APostStillOnTheServerIsKeptNotAFailedCheck)
{
    const Error stillThere(VornickErrorDomain, VornickPostStillOnServerError, u"still there");
    const Error unreachable("test", 7, u"no answer");
    struct Case {
        std::vector<const Error*> answers;
        std::u16string status;
        std::u16string line;
    } cases[] = {
        { { &stillThere, &stillThere }, u"Done", u"Done confirming post deletions: 2 posts still on the server, kept" },
        { { &stillThere, &unreachable }, u"1 post check failed; 1 post still on the server, kept",
          u"1 post check failed; 1 post still on the server, kept" },
    };
    for (auto& test : cases) {
        SCOPED_TRACE(toUTF8(test.line));
        integrator.setSyncSession(nullptr);
        SetUp();
        for (size_t index = 0; index < test.answers.size(); ++index)
            schedule(u"6" + toUTF16(std::to_string(index)), Value(u"x-native:6" + toUTF16(std::to_string(index))));
        start();
        for (size_t index = 0; index < test.answers.size(); ++index) {
            std::u16string identifier = u"6" + toUTF16(std::to_string(index));
            integrator.blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*agent, identifier, Value(u"x-native:" + identifier),
                                                                                            blogDescription, *test.answers[index]);
            drain();
        }
        EXPECT_EQ(step->state(), VornickSyncStepState::Completed);
        EXPECT_EQ(step->statusMessage(), test.status);
        EXPECT_TRUE(logged(test.line));
        EXPECT_FALSE(logged(u"2 post checks failed"));
    }
}

TEST_F(VornickConfirmDeletionOfBlogPostsStepTests, NoStepWithoutTheBlogsStepInTheSession)
{
    Dictionary otherBlog { { u"identifierUsedByBlogService", Value(u"8") }, { u"title", Value(u"Other") } };
    integrator.scheduleConfirmServerSideDeletionOfPostWithIdentifier(u"1", Value(u"x-native:1"), otherBlog);
    EXPECT_FALSE(integrator.existingConfirmDeletionOfBlogPostsStepForBlogWithDescription(otherBlog));
    EXPECT_EQ(blogStep->steps().size(), 0u);
}

} // namespace
} // namespace brevanton
