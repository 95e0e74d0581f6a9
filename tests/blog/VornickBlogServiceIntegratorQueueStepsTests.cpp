#include "blog/VornickBlogServiceIntegrator.h"

#include "tests/blog/QueueStepTestSupport.h"

#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickWorkspaceExtensions.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace brevanton {
namespace {

class RecordingIntegratorDelegate : public VornickBlogServiceIntegratorDelegate {
public:
    std::vector<Value> scheduledSends;
    bool acceptsSends { false };

    bool blogServiceIntegratorRequestScheduledSendOfPostChanges(VornickBlogServiceIntegrator&, const Dictionary&, const Dictionary&,
        const Value& nativePostIdentifier) override
    {
        scheduledSends.push_back(nativePostIdentifier);
        return acceptsSends;
    }
};

class VornickBlogServiceIntegratorQueueStepsTests : public QueueStepTest {
protected:
    std::shared_ptr<VornickUploadBlogPostsStep> uploadStep;
    std::vector<std::u16string> openedURLs;
    std::string dataHome;
    std::string savedDataHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";

    void SetUp() override
    {
        QueueStepTest::SetUp();
        // A trash of this test's own.
        dataHome = createTemporaryDirectory("queue-steps-data").value();
        ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        vornick_setWebBrowserOpenerForTesting([this](const URL& url) { openedURLs.push_back(url.absoluteString()); });
        UserDefaults::standard().setBool(true, u"OpenBlogPostInBrowserOnPublish");
    }

    void TearDown() override
    {
        UserDefaults::standard().removeObjectForKey(u"OpenBlogPostInBrowserOnPublish");
        vornick_setWebBrowserOpenerForTesting({});
        ::setenv("XDG_DATA_HOME", savedDataHome.c_str(), 1);
        QueueStepTest::TearDown();
    }

    void addUploadStep()
    {
        uploadStep = std::make_shared<VornickUploadBlogPostsStep>(u"uploadPosts", u"Upload Posts/Pages");
        std::weak_ptr<VornickUploadBlogPostsStep> weakStep = uploadStep;
        uploadStep->setStartBlock([weakStep] {
            if (auto step = weakStep.lock())
                step->startUploadingPosts();
        });
        blogStep->addStep(uploadStep);
    }

    void queueUpload(const VornickPublishedBlogPost& post)
    {
        EXPECT_TRUE(integrator.markPostForUploadAtNextSync(nativeIdentifier(post)));
        uploadStep->scheduleUploadOfPostChanges(descriptionOfPost(post), blogDescription, nativeIdentifier(post));
    }

    void answerSend(const RecordedAgentRequest& request, const Dictionary& newDescription)
    {
        integrator.blogServiceAgentSuccessfullySentPostChanges(*agent, request.postChanges, request.blogDescription,
                                                              request.nativePostIdentifier, newDescription, false);
    }

    static Dictionary fileContents(const VornickPublishedBlogPost& post)
    {
        Error error;
        auto archive = VornickObjectArchive::createWithContentsOfURL(*post.sourceFileURL(), &error);
        EXPECT_TRUE(archive) << error;
        return archive ? archive->propertyList() : Dictionary();
    }

    std::string trashPath(const std::string& leaf) const { return dataHome + "/Trash/" + leaf; }

    // Deletion checks of the posts, running: the first one's request is out.
    void checkDeletions(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>& posts)
    {
        for (auto& post : posts)
            integrator.scheduleConfirmServerSideDeletionOfPostWithIdentifier(post->identifierUsedByBlogService(), nativeIdentifier(*post),
                                                                            blogDescription);
        start();
    }
};

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, ASentPostTakesTheServersIdentifierAndDates)
{
    addUploadStep();
    auto post = makePost(u"Hello");
    queueUpload(*post);
    start();
    ASSERT_EQ(agent->requests.size(), 1u);
    Date published(1790000000.0);
    answerSend(agent->requests[0], { { u"identifierUsedByBlogService", Value(u"77") }, { u"status", Value(u"Publish") },
                                     { u"permalinkURLString", Value(u"https://site.example/hello/") },
                                     { u"dateLastPublished", Value(published) } });
    EXPECT_TRUE(logged(u"++ Push to server of \"Hello\" succeeded"));
    EXPECT_TRUE(logged(u"\tSaving post's server-provided identifier: 77"));
    EXPECT_EQ(post->identifierUsedByBlogService(), u"77");
    EXPECT_FALSE(post->publishAtNextSync());
    EXPECT_EQ(post->permalinkURLString(), u"https://site.example/hello/");
    EXPECT_EQ(post->ManagedObject::valueForKey(u"dateLastPublished"), Value(published));
    EXPECT_TRUE(post->ManagedObject::valueForKey(u"dateFirstPublished").isDate()) << "now, for a post never published";
    EXPECT_FALSE(context.hasChanges());
    Dictionary file = fileContents(*post);
    EXPECT_EQ(file[u"identifierUsedByBlogService"], Value(u"77"));
    EXPECT_EQ(file[u"publishAtNextSync"].boolValue(true), false);
    EXPECT_EQ(openedURLs, std::vector<std::u16string> { u"https://site.example/hello/" });
    drain();
    EXPECT_EQ(uploadStep->state(), VornickSyncStepState::Completed);
}

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, AChangeMadeWhileTheSendWasOnItsWayStillHasToGo)
{
    addUploadStep();
    auto edited = makePost(u"Edited");
    auto trashed = makePost(u"Trashed");
    auto unchanged = makePost(u"Unchanged");
    Date sentEdit(1790000000.0);
    for (auto& post : { edited, trashed, unchanged })
        post->ManagedObject::setValueForKey(Value(sentEdit), u"dateLastEditedLocally");
    queueUpload(*edited);
    queueUpload(*trashed);
    queueUpload(*unchanged);
    start();
    // Saved in its editor, and moved to the trash, after the descriptions were taken.
    edited->setSourceContentString(u"<p>later</p>");
    edited->ManagedObject::setValueForKey(Value(sentEdit.addingTimeInterval(30)), u"dateLastEditedLocally");
    trashed->ManagedObject::setValueForKey(Value(true), u"inTrash");
    for (size_t index = 0; index < 3; ++index) {
        ASSERT_EQ(agent->requests.size(), index + 1);
        answerSend(agent->requests[index], { { u"identifierUsedByBlogService", Value(toUTF16(std::to_string(80 + index))) } });
        drain();
    }
    EXPECT_TRUE(edited->publishAtNextSync()) << "the later edit never reached the server";
    EXPECT_EQ(edited->dateLastSyncedLocally(), sentEdit) << "in step as of the edit that was sent";
    EXPECT_TRUE(VornickBlogServiceIntegrator::postWasEditedLocally(*edited));
    EXPECT_TRUE(trashed->publishAtNextSync()) << "the move to the trash never reached the server";
    EXPECT_FALSE(unchanged->publishAtNextSync());
    EXPECT_FALSE(VornickBlogServiceIntegrator::postWasEditedLocally(*unchanged));
    EXPECT_EQ(unchanged->identifierUsedByBlogService(), u"82");
    EXPECT_EQ(uploadStep->state(), VornickSyncStepState::Completed);
}

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, AnAnswerThatCannotBeAppliedStillEndsItsItem)
{
    addUploadStep();
    auto numbered = makePost(u"Numbered");
    auto vanished = makePost(u"Vanished");
    queueUpload(*numbered);
    queueUpload(*vanished);
    start();
    answerSend(agent->requests[0], { { u"identifierUsedByBlogService", Value(5) } });
    EXPECT_TRUE(numbered->identifierUsedByBlogService().empty()) << "a number is no identifier";
    EXPECT_TRUE(numbered->publishAtNextSync()) << "so the post waits for a later upload";
    EXPECT_EQ(uploadStep->postQueue().size(), 1u) << "the item failed, the queue goes on";
    drain();

    ASSERT_EQ(agent->requests.size(), 2u);
    context.deleteObject(vanished);
    answerSend(agent->requests[1], { { u"identifierUsedByBlogService", Value(u"6") } });
    EXPECT_TRUE(logged(u"** Failed to find post so we can give it its new identifier!"));
    drain();
    EXPECT_EQ(uploadStep->state(), VornickSyncStepState::Completed);
    EXPECT_EQ(uploadStep->completedUploadCount(), 2u);
}

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, SchedulingASendMarksThePostForTheNextSyncEvenWhenRefused)
{
    RecordingIntegratorDelegate delegate;
    integrator.setDelegate(&delegate);
    auto post = makePost(u"Offline edit");
    integrator.scheduleSendPostChanges(descriptionOfPost(*post), blogDescription, nativeIdentifier(*post));
    EXPECT_EQ(delegate.scheduledSends.size(), 1u);
    EXPECT_TRUE(post->publishAtNextSync());
    EXPECT_FALSE(context.hasChanges()) << "saved";
    EXPECT_EQ(fileContents(*post)[u"publishAtNextSync"].boolValue(), true) << "and written, so a re-index keeps it";
    integrator.scheduleSendPostChanges(descriptionOfPost(*post), {}, nativeIdentifier(*post));
    EXPECT_EQ(delegate.scheduledSends.size(), 1u) << "nothing without every argument";
    EXPECT_FALSE(integrator.markPostForUploadAtNextSync(Value(u"x-coredata://none/BlogPost/p999")));
    integrator.setDelegate(nullptr);
}

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, OnlyPublishedWebAddressesOpenWhenTheUserAsks)
{
    auto answer = [](const char16_t* status, const char16_t* permalink) {
        Dictionary description { { u"permalinkURLString", Value(permalink) } };
        if (status)
            description[u"status"] = Value(status);
        return description;
    };
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(u"DRAFT", u"https://site.example/a/"), Value());
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(u"trash", u"https://site.example/b/"), Value());
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(nullptr, u"https://site.example/c/"), Value());
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(u"publish", u"file:///etc/passwd"), Value());
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(u"publish", u"javascript:alert(1)"), Value());
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(u"publish", u""), Value());
    EXPECT_TRUE(openedURLs.empty());
    EXPECT_TRUE(logged(u"Not opening the post's address in the browser: file:///etc/passwd"));
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(u"future", u"http://site.example/d/"), Value());
    UserDefaults::standard().setBool(false, u"OpenBlogPostInBrowserOnPublish");
    integrator.ifPreferencesRequestItOpenJustPublishedPost(answer(u"publish", u"https://site.example/e/"), Value());
    EXPECT_EQ(openedURLs, std::vector<std::u16string> { u"http://site.example/d/" });
}

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, APostGoneFromTheServerGoesToTheTrashUnlessItHasUnsyncedEdits)
{
    auto gone = makePost(u"Gone", u"61");
    auto edited = makePost(u"Edited", u"62");
    ASSERT_TRUE(integrator.markPostForUploadAtNextSync(nativeIdentifier(*edited)));
    std::string gonePath = *gone->sourceFileURL()->fileSystemPath();
    std::string goneName = gonePath.substr(gonePath.rfind('/') + 1);
    checkDeletions({ gone, edited });

    integrator.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*agent, u"61", nativeIdentifier(*gone), blogDescription, false);
    EXPECT_TRUE(logged(u"Confirmed deletion of post 61"));
    EXPECT_TRUE(logged(u"Deleting post \"Gone\" (61). (Post file will be moved to the macOS Trash.)"));
    EXPECT_FALSE(fileExists(gonePath));
    EXPECT_TRUE(fileExists(trashPath("files/" + goneName)));
    EXPECT_TRUE(fileExists(trashPath("info/" + goneName + ".trashinfo")));
    EXPECT_FALSE(integrator.existingPostForDescription({ { u"identifierUsedByBlogService", Value(u"61") } }, std::nullopt, *blog));
    EXPECT_FALSE(context.hasChanges());
    drain();

    integrator.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*agent, u"62", nativeIdentifier(*edited), blogDescription, true);
    EXPECT_TRUE(logged(u"Keeping post \"Edited\" (62)"));
    EXPECT_FALSE(edited->isDeleted());
    EXPECT_TRUE(edited->identifierUsedByBlogService().empty()) << "a new post for the server";
    EXPECT_TRUE(edited->publishAtNextSync()) << "uploaded by the next sync";
    EXPECT_FALSE(edited->currentlyPublished());
    EXPECT_TRUE(fileExists(*edited->sourceFileURL()->fileSystemPath()));
    EXPECT_FALSE(fileContents(*edited).contains(u"identifierUsedByBlogService"));
}

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, APostWhoseFileCannotBeTrashedStays)
{
    auto post = makePost(u"Stuck", u"71");
    std::string path = *post->sourceFileURL()->fileSystemPath();
    ASSERT_TRUE(writeFileAtomically(dataHome + "/Trash", "not a folder"));
    checkDeletions({ post });
    integrator.blogServiceAgentConfirmedServerSideDeletionOfPostWithIdentifier(*agent, u"71", nativeIdentifier(*post), blogDescription, false);
    EXPECT_TRUE(logged(u"Warning: Failed to move post file form \"Stuck\" (71) to the macOS Trash: "));
    EXPECT_TRUE(fileExists(path));
    EXPECT_FALSE(post->isDeleted()) << "the index keeps mirroring the files";

    integrator.blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*agent, u"71", nativeIdentifier(*post), blogDescription,
                                                                                    Error("test", 1, u"no"));
    EXPECT_TRUE(logged(u"Failed to confirm deletion of post 71"));
}

TEST_F(VornickBlogServiceIntegratorQueueStepsTests, APostFoundOnTheServerIsLoggedAsKeptNotAsAFailedCheck)
{
    auto first = makePost(u"First", u"81");
    auto second = makePost(u"Second", u"82");
    checkDeletions({ first, second });
    for (auto& post : { first, second }) {
        integrator.blogServiceAgentFailedToConfirmServerSideDeletionOfPostWithIdentifier(*agent, post->identifierUsedByBlogService(),
            nativeIdentifier(*post), blogDescription, Error(VornickErrorDomain, VornickPostStillOnServerError, u"still there"));
        drain();
    }
    EXPECT_TRUE(logged(u"Post 81 is still on the server; kept"));
    EXPECT_TRUE(logged(u"Post 82 is still on the server; kept"));
    EXPECT_FALSE(logged(u"Failed to confirm deletion of post"));
    EXPECT_FALSE(logged(u"post checks failed"));
    EXPECT_TRUE(logged(u"Done confirming post deletions: 2 posts still on the server, kept"));
    EXPECT_FALSE(first->isDeleted());
    EXPECT_FALSE(second->isDeleted());
}

} // namespace
} // namespace brevanton
