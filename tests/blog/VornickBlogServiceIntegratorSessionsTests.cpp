#include "blog/VornickBlogServiceIntegrator.h"

#include "tests/blog/SyncEngineTestSupport.h"

#include "blog/VornickBlogPostEditorOperations.h"
#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncStep.h"
#include "documents/VornickProjectComponentEditor.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "platform/net/URLError.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace brevanton::vornick_blog_service_integrator_sessions_tests {
namespace {

using Kind = FakeBlogServiceAgent::RequestKind;
using Behavior = FakeBlogServiceAgent::Behavior;

std::string stepNames(const VornickSyncStepContainer& node)
{
    std::string names;
    for (auto& step : node.steps()) {
        if (!names.empty())
            names += ' ';
        names += toUTF8(step->name());
        if (!step->steps().empty())
            names += "(" + stepNames(*step) + ")";
    }
    return names;
}

VornickSyncStep& leaf(VornickSyncStepContainer& node, std::u16string_view name)
{
    auto step = std::dynamic_pointer_cast<VornickSyncStep>(node.stepWithName(name));
    if (!step)
        throw std::runtime_error("no step " + toUTF8(name));
    return *step;
}

std::string fileText(const std::optional<URL>& url)
{
    std::ifstream file(toUTF8(url.value().path()));
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

class RecordingIntegratorDelegate : public VornickBlogServiceIntegratorDelegate {
public:
    std::vector<std::string> calls;
    void blogServiceIntegratorReceivedBlogDescriptions(VornickBlogServiceIntegrator&, const std::vector<Dictionary>& descriptions) override
    {
        calls.push_back("blogs:" + std::to_string(descriptions.size()));
    }
    void blogServiceIntegratorFailedToGetBlogDescriptionsWithError(VornickBlogServiceIntegrator&, const Error& error) override
    {
        calls.push_back("blogsFailed:" + std::to_string(error.code()));
    }
    void blogServiceIntegratorSyncSessionDidChangeState(VornickBlogServiceIntegrator&, VornickBlogServiceSyncSession& session) override
    {
        calls.push_back("session:" + std::to_string(static_cast<int>(session.state())));
    }
};

class VornickBlogServiceIntegratorSessionsTests : public SyncEngineTest {
protected:
    RecordingIntegratorDelegate delegate;

    VornickBlogServiceIntegratorSessionsTests() { integrator.setDelegate(&delegate); }
    ~VornickBlogServiceIntegratorSessionsTests() override { integrator.setDelegate(nullptr); }

    std::shared_ptr<VornickPublishedBlog> knownBlog(std::u16string identifier, std::u16string title)
    {
        auto blog = integrator.importBlogDescription({ { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(title) },
                                                       { u"browseURLString", Value(u"https://site.example/") } },
            nullptr, std::nullopt);
        EXPECT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
        return blog;
    }
};

TEST_F(VornickBlogServiceIntegratorSessionsTests, SessionsGetTheStepsTheirTypeAndAccountNeed)
{
    knownBlog(u"7", u"Seven");
    knownBlog(u"8", u"Eight");
    auto& account = project->fakeAccount();

    EXPECT_EQ(stepNames(*integrator.createSyncSessionOfType(VornickSyncSessionType::Manual)),
              "getBlogs syncBlog.7(syncPosts getResources) syncBlog.8(syncPosts getResources)");
    EXPECT_EQ(stepNames(*integrator.createSyncSessionOfType(VornickSyncSessionType::TemplateDownload)), "getBlogs syncBlog.7 syncBlog.8")
        << "templates only: the base adds nothing under the blogs";

    // A self-hosted REST site whose endpoint is not known yet, with OAuth2.
    account.setAccountValue(u"effectiveProtocolType", Value(2));
    account.setAccountValue(u"authenticationType", Value(2));
    auto upload = integrator.createSyncSessionOfType(VornickSyncSessionType::UploadPostChanges);
    EXPECT_EQ(stepNames(*upload), "getAPIEndpoint authenticate") << "an upload session gets its blogs from the synchronizer";
    EXPECT_STREQ(upload->stepWithName(u"getAPIEndpoint")->className(), "VornickGetAPIEndpointSyncStep");

    account.setAccountValue(u"rootURLString", Value(u"https://site.example/"));
    account.setAccountValue(u"remoteEndpointURLString", Value(u"https://site.example/wp-json/"));
    EXPECT_EQ(stepNames(*integrator.createSyncSessionOfType(VornickSyncSessionType::UploadPostChanges)), "authenticate");
    // One an older version stored off the site's origin is looked for again.
    account.setAccountValue(u"remoteEndpointURLString", Value(u"https://site.example:8443/wp-json/"));
    EXPECT_EQ(stepNames(*integrator.createSyncSessionOfType(VornickSyncSessionType::UploadPostChanges)), "getAPIEndpoint authenticate");
    account.setAccountValue(u"remoteEndpointURLString", Value());
    account.setAccountValue(u"isWordPressDotComAccount", Value(true));
    auto hosted = integrator.createSyncSessionOfType(VornickSyncSessionType::Automatic);
    EXPECT_EQ(stepNames(*hosted).substr(0, 22), "authenticate getBlogs ") << "the hosted service needs no endpoint";
    auto blogStep = hosted->stepWithName(u"syncBlog.7");
    EXPECT_STREQ(blogStep->stepWithName(u"getResources")->className(), "VornickGetReferencedResourcesStep");
    EXPECT_EQ(hosted->state(), VornickSyncStepState::WaitingToStart);
}

TEST(VornickBlogServiceIntegratorAccountTests, OnlyAWordPressAccountCanSync)
{
    std::string folder = createTemporaryDirectory("sync-engine").value();
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<TestPublishedBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantontestproject", false), &error);
    ASSERT_TRUE(project) << error;
    try {
        project->integrator().createSyncSessionOfType(VornickSyncSessionType::Manual);
        ADD_FAILURE() << "a generic account made a session";
    } catch (const InternalInconsistencyException& exception) {
        EXPECT_NE(std::string(exception.what()).find("Account is not a WordPress account"), std::string::npos) << exception.what();
    }
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, TheStartLogsTheSessionAndTheAccountsLimitsReachTheAgent)
{
    auto& account = project->fakeAccount();
    account.setAccountValue(u"maxRequestCount", Value(3));
    account.setAccountValue(u"maxRequestTimeInterval", Value(10.0));
    account.setAccountValue(u"authenticationType", Value(1));
    site.addBlog(u"7", u"Seven");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::BlogDescriptions, Behavior::NoAnswer); };
    auto session = startSession();
    drain();

    EXPECT_TRUE(logHas("== BEGIN Sync Session (User-Requested Sync) ==")) << logText();
    EXPECT_TRUE(logHas("Syncing sites for user account \"writer\"."));
    EXPECT_TRUE(logHas("Communicating with WordPress using Fake"));
    EXPECT_TRUE(logHas("Using Basic Authentication (Plugin Required)"));
    EXPECT_FALSE(logHas("Using Password Authentication"));
    EXPECT_LT(logText().find("== BEGIN"), logText().find("Communicating")) << "the header comes first";
    EXPECT_EQ(integrator.fakeAgent().maxRequestCount().integerValue(), 3);
    EXPECT_EQ(integrator.fakeAgent().maxRequestTimeInterval().doubleValue(), 10.0);
    EXPECT_EQ(integrator.fakeAgent().maxConcurrentURLLoadCount(), 1);
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs");
    EXPECT_EQ(leaf(*session, u"getBlogs").state(), VornickSyncStepState::Active);
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, AuthenticationCompletesFromTheCacheOrAfterTheUserAnswers)
{
    project->fakeAccount().setAccountValue(u"authenticationType", Value(2));
    site.addBlog(u"7", u"Seven");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::BlogDescriptions, Behavior::NoAnswer); };
    auto cached = startSession();
    drain();
    EXPECT_EQ(leaf(*cached, u"authenticate").state(), VornickSyncStepState::Completed);
    EXPECT_EQ(leaf(*cached, u"authenticate").statusMessage(), u"Done");
    EXPECT_TRUE(logHas("Using a cached authorization.  Interactive authentication unnecessary."));
    EXPECT_EQ(leaf(*cached, u"getBlogs").state(), VornickSyncStepState::Active) << "the site list follows";

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.setNeedsInteractiveAuthentication(true);
        agent.script(Kind::BlogDescriptions, Behavior::NoAnswer);
    };
    auto interactive = startSession();
    drain();
    EXPECT_EQ(leaf(*interactive, u"authenticate").state(), VornickSyncStepState::Active);
    integrator.fakeAgent().completeInteractiveAuthentication(Error(VornickErrorDomain, 5, u"The user closed the window."));
    drain();
    EXPECT_EQ(leaf(*interactive, u"authenticate").statusMessage(), u"Failed: The user closed the window.");
    EXPECT_EQ(interactive->state(), VornickSyncStepState::Failed);
    EXPECT_TRUE(logHas("Interactive authentication failed: The user closed the window."));
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "") << "no site list after a failed authorisation";

    auto succeeding = startSession();
    integrator.fakeAgent().completeInteractiveAuthentication(Error());
    drain();
    EXPECT_EQ(leaf(*succeeding, u"authenticate").statusMessage(), u"Done");
    EXPECT_TRUE(logHas("Interactive authentication succeeded"));
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs");
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, ASiteListImportsBlogsAddsTheirStepsOnceAndWritesOnlyChangedBlogFiles)
{
    auto seven = knownBlog(u"7", u"Seven");
    site.addBlog(u"7", u"Seven", u"https://site.example/");
    site.addBlog(u"8", u"Eight", u"https://eight.example/");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.setDefaultBehavior(Kind::Posts, Behavior::NoAnswer); };
    auto session = startSession();
    drain();

    EXPECT_EQ(stepNames(*session), "getBlogs syncBlog.7(syncPosts getResources) syncBlog.8(syncPosts getResources)");
    auto& getBlogs = leaf(*session, u"getBlogs");
    EXPECT_EQ(getBlogs.state(), VornickSyncStepState::Completed);
    EXPECT_EQ(getBlogs.statusMessage(), u"Received descriptions of 2 blogs");
    EXPECT_TRUE(logHas("Received descriptions of 2 blogs"));
    EXPECT_EQ(delegate.calls, std::vector<std::string> { "blogs:2" });
    EXPECT_EQ(integrator.fakeAgent().requestSummary(), "blogs posts@0") << "the first blog's posts are asked for next";
    std::vector<std::string> getBlogsStatuses;
    for (auto& status : statuses.take()) {
        if (status.name == u"getBlogs")
            getBlogsStatuses.push_back(std::to_string(static_cast<int>(status.state)) + ":" + toUTF8(status.statusMessage));
    }
    ASSERT_GE(getBlogsStatuses.size(), 3u);
    EXPECT_EQ(getBlogsStatuses[1], "1:Received descriptions of 2 blogs") << "the count is shown while the step runs";
    EXPECT_EQ(getBlogsStatuses[2], "2:Received descriptions of 2 blogs");
    auto eight = storedBlog(u"8");
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->hostingAccount(), project->hostingAccount());
    EXPECT_FALSE(context.hasChanges()) << "the site list is saved";
    EXPECT_NE(fileText(eight->sourceFileURL()).find("\"Eight\""), std::string::npos) << "a new blog's file is written at once";
    EXPECT_NE(fileText(seven->sourceFileURL()).find("\"Seven\""), std::string::npos) << "a blog never written before is written";

    // Unchanged blogs keep their files as they are; a renamed one is written.
    {
        std::ofstream(toUTF8(seven->sourceFileURL()->path())) << "untouched";
        std::ofstream(toUTF8(eight->sourceFileURL()->path())) << "untouched";
    }
    site.blog(u"8")->title = u"Eight, renamed";
    startSession();
    drain();
    EXPECT_EQ(fileText(seven->sourceFileURL()), "untouched");
    EXPECT_NE(fileText(eight->sourceFileURL()).find("Eight, renamed"), std::string::npos);
    EXPECT_EQ(vornick_allEntitiesOfKind(context, u"Blog")->size(), 2u);
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, ABlogWithoutIdentifierIsNotImported)
{
    site.addBlog(u"7", u"Seven");
    site.addBlog(u"", u"Nameless");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.setDefaultBehavior(Kind::Posts, Behavior::NoAnswer); };
    startSession();
    drain();
    startSession();
    drain();
    EXPECT_EQ(vornick_allEntitiesOfKind(context, u"Blog")->size(), 1u) << "it would be made again at every sync";
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, AFailedSiteListFailsTheHostedServiceButGivesASelfHostedSiteBlogOne)
{
    // Wrong login or password: the step says which, and the delegate is not told.
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::BlogDescriptions, Behavior::NoAnswer); };
    auto login = startSession();
    integrator.blogServiceAgentFailedToGetBlogDescriptionsWithError(integrator.fakeAgent(), Error(VornickErrorDomain, 48, u"bad login"));
    drain();
    EXPECT_EQ(leaf(*login, u"getBlogs").statusMessage(), u"Invalid username.");
    EXPECT_EQ(login->state(), VornickSyncStepState::Failed);
    EXPECT_TRUE(login->failedDueToInvalidLoginID());
    auto password = startSession();
    integrator.blogServiceAgentFailedToGetBlogDescriptionsWithError(integrator.fakeAgent(), Error(VornickErrorDomain, 49, u"bad password"));
    drain();
    EXPECT_EQ(leaf(*password, u"getBlogs").statusMessage(), u"Invalid password.");
    EXPECT_TRUE(password->failedDueToInvalidPassword());
    EXPECT_EQ(delegate.calls, (std::vector<std::string> { "session:3", "session:3" }));
    delegate.calls.clear();

    // A self-hosted site goes on with the blog "1".
    project->fakeAccount().setValueForKey(Value(u"https://self.example/"), u"rootURLString");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::BlogDescriptions, Behavior::FailWithHTTP500);
        agent.setDefaultBehavior(Kind::Posts, Behavior::NoAnswer);
    };
    auto selfHosted = startSession();
    drain();
    auto& getBlogs = leaf(*selfHosted, u"getBlogs");
    EXPECT_EQ(getBlogs.state(), VornickSyncStepState::Completed);
    EXPECT_EQ(getBlogs.statusMessage(), u"Failed: " + FakeBlogServiceAgent::http500Error().localizedDescription());
    EXPECT_EQ(getBlogs.error().code(), 500);
    auto substitute = storedBlog(u"1");
    ASSERT_TRUE(substitute);
    EXPECT_EQ(substitute->title(), u"Blog");
    EXPECT_EQ(substitute->browseURLString(), u"https://self.example/");
    EXPECT_EQ(stepNames(*selfHosted), "getBlogs syncBlog.1(syncPosts getResources)");
    EXPECT_EQ(leaf(*selfHosted, u"syncBlog.1").state(), VornickSyncStepState::Active);
    EXPECT_EQ(delegate.calls, std::vector<std::string> { "blogsFailed:500" });
    delegate.calls.clear();

    // The hosted service cannot do without its list.
    project->fakeAccount().setAccountValue(u"isMultiSiteAccount", Value(true));
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::BlogDescriptions, Behavior::FailWithTimeout); };
    auto hosted = startSession();
    drain();
    EXPECT_EQ(leaf(*hosted, u"getBlogs").state(), VornickSyncStepState::Failed);
    EXPECT_EQ(leaf(*hosted, u"syncBlog.1").state(), VornickSyncStepState::CancelledByFailures);
    EXPECT_EQ(hosted->state(), VornickSyncStepState::Failed);
    EXPECT_EQ(delegate.calls, (std::vector<std::string> { "blogsFailed:-1001", "session:3" }));
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, AFailedSiteListLeavesAKnownBlogAsTheServerLastSaidIt)
{
    project->fakeAccount().setValueForKey(Value(u"https://self.example/"), u"rootURLString");
    site.addBlog(u"1", u"Kitchen Notes");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.setDefaultBehavior(Kind::Posts, Behavior::NoAnswer); };
    startSession();
    drain();
    auto blog = storedBlog(u"1");
    ASSERT_TRUE(blog && blog->sourceFileURL());
    std::string written = fileText(blog->sourceFileURL());

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::BlogDescriptions, Behavior::FailWithHTTP500);
        agent.setDefaultBehavior(Kind::Posts, Behavior::NoAnswer);
    };
    auto failed = startSession();
    drain();
    EXPECT_EQ(leaf(*failed, u"getBlogs").state(), VornickSyncStepState::Completed);
    EXPECT_EQ(stepNames(*failed), "getBlogs syncBlog.1(syncPosts getResources)");
    EXPECT_EQ(storedBlog(u"1")->title(), u"Kitchen Notes");
    EXPECT_EQ(fileText(blog->sourceFileURL()), written);
    EXPECT_EQ(vornick_allEntitiesOfKind(context, u"Blog")->size(), 1u);
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, AFailedSiteListWithNoBlogItCanSyncFailsTheSessionWithItsReason)
{
    // A blog file without its identifier (written by hand, or by another
    // program) gives a known blog that no step can sync.
    project->fakeAccount().setValueForKey(Value(u"https://self.example/"), u"rootURLString");
    auto unnamed = std::dynamic_pointer_cast<VornickPublishedBlog>(context.insertNewObject(u"Blog"));
    ASSERT_TRUE(unnamed);
    unnamed->setObjectForKey(project->hostingAccount(), u"hostingAccount");
    unnamed->setTitle(u"Kitchen Notes");
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::BlogDescriptions, Behavior::FailWithHTTP500); };
    auto session = startSession();
    drain();
    auto& getBlogs = leaf(*session, u"getBlogs");
    EXPECT_EQ(getBlogs.state(), VornickSyncStepState::Failed);
    EXPECT_EQ(getBlogs.statusMessage(), u"Failed: " + FakeBlogServiceAgent::http500Error().localizedDescription());
    EXPECT_EQ(stepNames(*session), "getBlogs");
    EXPECT_EQ(session->state(), VornickSyncStepState::Failed) << "nothing was synced";
    EXPECT_TRUE(logHas("no blog known here can be synced without it"));
    EXPECT_EQ(delegate.calls, (std::vector<std::string> { "blogsFailed:500", "session:3" }));
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, SiteListAnswersCountOnlyOnceAndOnlyWhileTheSessionRuns)
{
    site.addBlog(u"7", u"Seven");
    // A repeated answer is taken once.
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::BlogDescriptions, Behavior::AnswerTwice);
        agent.setDefaultBehavior(Kind::Posts, Behavior::NoAnswer);
    };
    startSession();
    drain();
    EXPECT_EQ(delegate.calls, std::vector<std::string> { "blogs:1" });

    // An answer after the user cancelled changes nothing.
    site.addBlog(u"8", u"Eight");
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::BlogDescriptions, Behavior::Hold); };
    auto cancelled = startSession();
    drain();
    cancelled->cancelUnfinishedStepsRecursively();
    drain();
    integrator.fakeAgent().releaseHeldAnswers();
    drain();
    EXPECT_FALSE(storedBlog(u"8"));
    EXPECT_EQ(cancelled->state(), VornickSyncStepState::CancelledByUser);

    // An answer from another thread is taken on the main thread.
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::BlogDescriptions, Behavior::OffMainThread);
        agent.setDefaultBehavior(Kind::Posts, Behavior::NoAnswer);
    };
    auto threaded = startSession();
    integrator.fakeAgent().joinBackgroundAnswers();
    EXPECT_FALSE(storedBlog(u"8")) << "nothing is stored off the main thread";
    drain();
    EXPECT_TRUE(storedBlog(u"8"));
    EXPECT_EQ(leaf(*threaded, u"getBlogs").state(), VornickSyncStepState::Completed);
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, TheDelegateHearsOnceThatTheSessionEnded)
{
    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) { agent.script(Kind::BlogDescriptions, Behavior::Hold); };
    auto session = startSession();
    drain();
    EXPECT_TRUE(delegate.calls.empty());
    integrator.fakeAgent().releaseHeldAnswers();
    drain();
    EXPECT_EQ(session->state(), VornickSyncStepState::Completed) << "a site list with no blogs ends the session";
    EXPECT_EQ(delegate.calls, (std::vector<std::string> { "blogs:0", "session:2" }));
    session->queueMainThreadStatusUpdateNotification();
    drain();
    EXPECT_EQ(delegate.calls.size(), 2u);
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, TheConnectionGoesOnlineOnlyWhenTheHostIsReachable)
{
    EXPECT_EQ(integrator.connectionStatus(), VornickHostConnectionStatus::Unknown);
    auto& agent = integrator.fakeAgent();
    integrator.blogServiceAgentHostConnectionStatusChanged(agent, VornickHostConnectionStatus::Unreachable);
    EXPECT_EQ(integrator.connectionStatus(), VornickHostConnectionStatus::Unreachable);
    integrator.blogServiceAgentHostConnectionStatusChanged(agent, VornickHostConnectionStatus::Unknown);
    EXPECT_EQ(integrator.connectionStatus(), VornickHostConnectionStatus::Unreachable) << "unknown is never taken from the agent";
    // The agent watches no host, so its own status is not online.
    integrator.setConnectionStatus(VornickHostConnectionStatus::Unknown);
    integrator.setConnectionStatus(VornickHostConnectionStatus::Reachable);
    EXPECT_EQ(integrator.connectionStatus(), VornickHostConnectionStatus::Unreachable);
    EXPECT_TRUE(logHas("Overriding switch to online, because connection isn't online."));
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, DataIsLoadedOnlyWhileTheSessionRunsAndEveryCallerIsAnswered)
{
    URL url = URL::create(u"https://site.example/image.png").value();
    std::vector<Error> answers;
    auto record = [&](std::shared_ptr<URLResponse>, Data, Error error) { answers.push_back(error); };

    integrator.requestDataForURL(url, record);
    ASSERT_EQ(answers.size(), 1u) << "without a session the caller is told at once";
    EXPECT_TRUE(answers[0].is(URLErrorDomain, URLErrorCancelled));

    integrator.prepareAgent = [](FakeBlogServiceAgent& agent) {
        agent.script(Kind::BlogDescriptions, Behavior::NoAnswer);
        agent.setResource(u"https://site.example/image.png", 200, "png");
    };
    auto session = startSession();
    integrator.requestDataForURL(url, record);
    drain();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_TRUE(answers[1].isEmpty());
    EXPECT_EQ(integrator.fakeAgent().loadedURLs(), std::vector<std::u16string> { u"https://site.example/image.png" });

    session->cancelUnfinishedStepsRecursively();
    drain();
    integrator.requestDataForURL(url, record);
    ASSERT_EQ(answers.size(), 3u) << "a cancelled session loads nothing, but answers";
    EXPECT_TRUE(answers[2].is(URLErrorDomain, URLErrorCancelled));
    EXPECT_EQ(integrator.fakeAgent().loadedURLs().size(), 1u);
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, TheAccountIsTheOneTheStoreChoseAndTheAgentGetsIt)
{
    auto first = project->hostingAccount();
    auto second = std::dynamic_pointer_cast<VornickBlogHostingAccount>(context.insertNewObject(u"BlogHostingAccount"));
    second->setLoginID(u"other");
    ASSERT_TRUE(integrator.commitAndSaveChangesInManagedObjectContext(context));
    EXPECT_EQ(integrator.account(), first);
    EXPECT_EQ(integrator.fakeAgent().account()->loginID(), u"writer");
    EXPECT_TRUE(logHas("found 2 BlogHostingAccount entities, using the first")) << logText();
}

TEST_F(VornickBlogServiceIntegratorSessionsTests, OpenEditorsAreFoundForTheirOwnPostOnly)
{
    auto blog = knownBlog(u"7", u"Seven");
    auto post = integrator.importPostDescription({ { u"identifierUsedByBlogService", Value(u"1") } }, nullptr, blog, std::nullopt, false);
    auto other = integrator.importPostDescription({ { u"identifierUsedByBlogService", Value(u"2") } }, nullptr, blog, std::nullopt, false);
    EXPECT_FALSE(integrator.editorForPost(*post));
    auto editor = std::make_shared<FakePostEditor>(post);
    VornickProjectComponentEditor::registerEditor(editor);
    EXPECT_EQ(integrator.editorForPost(*post), editor);
    EXPECT_FALSE(integrator.editorForPost(*other));
    EXPECT_FALSE(integrator.editorForBlog(*blog)) << "a post editor is no blog window";
    VornickProjectComponentEditor::unregisterEditor(*editor);
    EXPECT_FALSE(integrator.editorForPost(*post));
    {
        auto closed = std::make_shared<FakePostEditor>(post);
        VornickProjectComponentEditor::registerEditor(closed);
    }
    EXPECT_FALSE(integrator.editorForPost(*post)) << "an editor that went away is not found";
}

} // namespace
} // namespace brevanton::vornick_blog_service_integrator_sessions_tests
