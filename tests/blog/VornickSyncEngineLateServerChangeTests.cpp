// Server changes that reach the engine late: an edit made on the server
// after the user queued an upload (the send must not go over it), and a
// deletion check whose answer comes after its session ended (it must
// remove nothing).
#include "tests/blog/SyncEngineTestSupport.h"

#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickQueueStepSupport.h"
#include "blog/VornickSyncStepState.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Text.h"
#include "platform/store/ManagedObjectContext.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using Kind = FakeBlogServiceAgent::RequestKind;
using Behavior = FakeBlogServiceAgent::Behavior;

class VornickSyncEngineLateServerChangeTests : public SyncEngineTest {
protected:
    AccountEditorStandIn editor { *project };
    std::vector<std::shared_ptr<FakeBlogServiceAgent>> agents;
    // Scripts for the next agent made.
    std::vector<std::pair<Kind, Behavior>> script;

    VornickSyncEngineLateServerChangeTests()
    {
        RunLoop::main().useManualClock();
        integrator.prepareAgent = [this](FakeBlogServiceAgent& agent) {
            agents.push_back(std::static_pointer_cast<FakeBlogServiceAgent>(agent.shared_from_this()));
            for (auto& [kind, behavior] : script)
                agent.script(kind, behavior);
            script.clear();
        };
        site.addBlog(u"7", u"Seven");
        first = site.addPost(u"7", u"First");
        second = site.addPost(u"7", u"Second");
    }
    ~VornickSyncEngineLateServerChangeTests() override { RunLoop::main().useRealClock(); }

    std::u16string first;
    std::u16string second;

    void syncToTheEnd()
    {
        EXPECT_TRUE(project->synchronizer().queueManualSync());
        drain();
        EXPECT_FALSE(project->synchronizer().currentSyncSession());
    }

    std::shared_ptr<VornickPublishedBlogPost> post(const std::u16string& identifier)
    {
        auto blog = storedBlog(u"7");
        return blog ? storedPost(*blog, identifier) : nullptr;
    }

    // Edits the post here, saves it and queues its upload, as a post editor's publish does.
    void editAndQueue(VornickPublishedBlogPost& post, std::u16string content)
    {
        post.setSourceContentString(std::move(content));
        post.ManagedObject::setValueForKey(Value(Date::now().addingTimeInterval(5)), u"dateLastEditedLocally");
        post.setHasEditsNotYetSavedToSourceFile(true);
        Error error;
        ASSERT_TRUE(post.writePostToURL(*post.sourceFileURL(), VornickObjectArchiveFormat::JSON, &error)) << error;
        ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context, &error)) << error;
        ASSERT_TRUE(project->synchronizer().queueSyncToUploadPost(post));
    }

    std::string requestsOfLastAgent() const { return agents.empty() ? std::string() : agents.back()->requestSummary(); }
};

TEST_F(VornickSyncEngineLateServerChangeTests, AnUploadIsNotSentOverAServerEditMadeAfterItWasQueued)
{
    syncToTheEnd();
    auto local = post(first);
    ASSERT_TRUE(local);

    // Queued, then edited on the server before the upload session runs.
    editAndQueue(*local, u"mine");
    site.advanceClock(60);
    site.editPost(first, u"Theirs");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "get:" + toUTF8(first)) << "checked, not sent";
    EXPECT_EQ(site.post(first)->title, u"Theirs");
    EXPECT_NE(site.post(first)->content, u"mine");
    EXPECT_TRUE(local->hasPendingPostDescription()) << "the server's version is held as a conflict";
    EXPECT_TRUE(local->publishAtNextSync()) << "the local edit stays queued";
    EXPECT_EQ(local->sourceContentString(), u"mine");
    EXPECT_FALSE(context.hasChanges());
    EXPECT_TRUE(logHas("** CONFLICT(1): \"First\""));

    // The next two-way sync holds it too and sends nothing over it.
    syncToTheEnd();
    EXPECT_EQ(agents.back()->requestsOfKind(Kind::SendPostChanges).size(), 0u);
    EXPECT_EQ(site.post(first)->title, u"Theirs");

    // Once the user has resolved it (over that server version), the send goes.
    local->ManagedObject::setValueForKey(Value(site.post(first)->dateLastPublished), u"dateConflictLastResolvedWithServer");
    local->ManagedObject::setValueForKey(Value(), u"pendingPostDescriptionData");
    editAndQueue(*local, u"mine, resolved");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "get:" + toUTF8(first) + " send");
    EXPECT_EQ(site.post(first)->content, u"mine, resolved");
    EXPECT_FALSE(local->publishAtNextSync());
}

TEST_F(VornickSyncEngineLateServerChangeTests, AnUploadIsSentAfterItsCheckOnlyWhenTheServerCopyIsUnchanged)
{
    syncToTheEnd();
    auto local = post(first);
    ASSERT_TRUE(local);

    editAndQueue(*local, u"one");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "get:" + toUTF8(first) + " send");
    EXPECT_EQ(site.post(first)->content, u"one");
    EXPECT_FALSE(local->publishAtNextSync());
    EXPECT_FALSE(local->hasPendingPostDescription());

    // The check fails: nothing is sent, the post stays queued for a later session.
    script = { { Kind::SinglePost, Behavior::FailWithHTTP500 } };
    editAndQueue(*local, u"two");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "get:" + toUTF8(first));
    EXPECT_EQ(site.post(first)->content, u"one");
    EXPECT_TRUE(local->publishAtNextSync());

    // A check answered twice sends once.
    script = { { Kind::SinglePost, Behavior::AnswerTwice } };
    editAndQueue(*local, u"three");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "get:" + toUTF8(first) + " send");
    EXPECT_EQ(site.post(first)->content, u"three");

    // A check never answered gives up after the answer timeout, without sending.
    script = { { Kind::SinglePost, Behavior::NoAnswer } };
    editAndQueue(*local, u"four");
    drain();
    EXPECT_TRUE(project->synchronizer().currentSyncSession());
    RunLoop::main().advanceClock(VornickQueueStepAnswerTimeout + 1);
    drain();
    EXPECT_FALSE(project->synchronizer().currentSyncSession());
    EXPECT_EQ(requestsOfLastAgent(), "get:" + toUTF8(first));
    EXPECT_EQ(site.post(first)->content, u"three");
    EXPECT_TRUE(local->publishAtNextSync());

    // A post gone from the server is not sent either; the two-way sync deals with it.
    site.deletePost(first);
    editAndQueue(*local, u"five");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "get:" + toUTF8(first));
    EXPECT_TRUE(local->publishAtNextSync());
}

TEST_F(VornickSyncEngineLateServerChangeTests, NewPostsAndAgentsThatCannotFetchOnePostSendAtOnce)
{
    syncToTheEnd();
    auto blog = storedBlog(u"7");
    ASSERT_TRUE(blog);
    auto draft = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
    ASSERT_TRUE(draft->prepareNewPostAndAssociateWithBlog(blog));
    draft->setTitle(u"Draft");
    editAndQueue(*draft, u"new");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "send") << "a post the server never had has nothing to compare";
    EXPECT_FALSE(draft->identifierUsedByBlogService().empty());

    integrator.prepareAgent = [this](FakeBlogServiceAgent& agent) {
        agent.setSinglePostsSupported(false);
        agents.push_back(std::static_pointer_cast<FakeBlogServiceAgent>(agent.shared_from_this()));
    };
    auto local = post(second);
    editAndQueue(*local, u"unchecked");
    drain();
    EXPECT_EQ(requestsOfLastAgent(), "send");
    EXPECT_EQ(site.post(second)->content, u"unchecked");
}

TEST_F(VornickSyncEngineLateServerChangeTests, ADeletionConfirmedAfterItsSessionEndedRemovesNothing)
{
    syncToTheEnd();
    auto local = post(first);
    ASSERT_TRUE(local);
    auto path = *local->sourceFileURL()->fileSystemPath();
    ASSERT_TRUE(fileExists(path));

    // The check's answer is held past the session's end (the step gives up on it).
    site.deletePost(first);
    script = { { Kind::ConfirmDeletion, Behavior::Hold } };
    EXPECT_TRUE(project->synchronizer().queueManualSync());
    drain();
    ASSERT_EQ(agents.back()->heldAnswerCount(), 1u);
    RunLoop::main().advanceClock(VornickQueueStepAnswerTimeout + 1);
    drain();
    ASSERT_FALSE(project->synchronizer().currentSyncSession());
    auto lateAgent = agents.back();
    lateAgent->releaseHeldAnswers();
    drain();
    EXPECT_TRUE(post(first)) << "removed on an answer no running check waited for";
    EXPECT_TRUE(fileExists(path));
    EXPECT_TRUE(logHas("Ignoring a confirmed deletion of post " + toUTF8(first)));

    // While the next session waits for its check of that post, an answer
    // about another post (unasked) removes nothing; the awaited one does.
    script = { { Kind::ConfirmDeletion, Behavior::Hold } };
    EXPECT_TRUE(project->synchronizer().queueManualSync());
    drain();
    ASSERT_TRUE(project->synchronizer().currentSyncSession());
    ASSERT_EQ(agents.back()->heldAnswerCount(), 1u);
    auto other = post(second);
    ASSERT_TRUE(other);
    integrator.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*agents.back(), second,
        VornickBlogServiceIntegrator::nativeIdentifierForPost(*other), storedBlog(u"7")->archivalRepresentation()->propertyList(), false);
    EXPECT_TRUE(post(second));
    agents.back()->releaseHeldAnswers();
    drain();
    EXPECT_FALSE(post(first)) << "a live confirmation removes the post";
    EXPECT_FALSE(fileExists(path));
    EXPECT_TRUE(post(second));
    EXPECT_FALSE(project->synchronizer().currentSyncSession());
}

} // namespace
} // namespace brevanton
