// A blog project whose integrator talks to the fake agent, for the sync
// engine's tests: its account stands in for a WordPress account (answering
// the WordPress account's keys from values the test sets), its integrator
// makes a FakeBlogServiceAgent on the shared fake site whenever it needs an
// agent, and it writes a sync log the test can read.
#pragma once

#include "tests/blog/BlogModelTestSupport.h"
#include "tests/blog/FakeBlogServiceAgent.h"
#include "tests/blog/VornickSyncStepTestSupport.h"

#include "blog/VornickBlogHostingAccount.h"
#include "blog/VornickBlogPostEditorOperations.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "documents/VornickProjectComponentEditor.h"
#include "platform/foundation/FileUtilities.h"
#include "toolkit/VornickLog.h"

#include <gtest/gtest.h>

#include <map>

namespace brevanton {

// Stands in for the WordPress account, which the blog layer cannot include.
class FakeWordPressAccount : public VornickBlogHostingAccount {
public:
    std::string className() const override { return "VornickWordPressAccount"; }
    std::optional<std::u16string> keychainKeyForPassword() const override { return u"fake-wordpress-account"; }

    // "effectiveProtocolType" (1 XML-RPC, 2 REST), "authenticationType" (0, 1,
    // 2 OAuth2), "isWordPressDotComAccount", "isMultiSiteAccount",
    // "remoteEndpointURLString", "maxRequestCount", "maxRequestTimeInterval".
    void setAccountValue(std::u16string key, Value value) { m_values[std::move(key)] = std::move(value); }

    bool respondsToKey(std::u16string_view key) const override
    {
        return m_values.contains(key) || VornickBlogHostingAccount::respondsToKey(key);
    }
    Value valueForKey(std::u16string_view key) const override
    {
        auto found = m_values.find(key);
        return found != m_values.end() ? found->second : VornickBlogHostingAccount::valueForKey(key);
    }

private:
    std::map<std::u16string, Value, std::less<>> m_values {
        { u"effectiveProtocolType", Value(1) }, { u"authenticationType", Value(0) },
        { u"isWordPressDotComAccount", Value(false) }, { u"isMultiSiteAccount", Value(false) },
    };
};

// Makes a fake agent on its site whenever it has none (a new session drops the agent).
class FakeAgentIntegrator : public VornickBlogServiceIntegrator {
public:
    std::shared_ptr<FakeBlogSite> site { std::make_shared<FakeBlogSite>() };
    // Set on each new agent before it is used.
    std::function<void(FakeBlogServiceAgent&)> prepareAgent;

    std::shared_ptr<VornickBlogServiceAgent> agent() override
    {
        if (!VornickBlogServiceIntegrator::agent()) {
            auto agent = std::make_shared<FakeBlogServiceAgent>(site);
            if (prepareAgent)
                prepareAgent(*agent);
            setAgent(agent);
        }
        return VornickBlogServiceIntegrator::agent();
    }
    FakeBlogServiceAgent& fakeAgent() { return static_cast<FakeBlogServiceAgent&>(*agent()); }

    // A post first seen on the server gets a file of its own, named after its
    // identifier, as the service integrators name theirs (unless this is off:
    // the base then names it).
    bool namesImportedPosts { true };
    std::shared_ptr<VornickPublishedBlogPost> importPostDescription(const Dictionary& description,
        std::shared_ptr<VornickPublishedBlogPost> post, const std::shared_ptr<VornickPublishedBlog>& blog,
        const std::optional<URL>& sourceFile, bool intoNewEmptyDatabase) override
    {
        post = VornickBlogServiceIntegrator::importPostDescription(description, std::move(post), blog, sourceFile, intoNewEmptyDatabase);
        if (namesImportedPosts && post && post->sourceFileName().empty() && !post->identifierUsedByBlogService().empty())
            post->setSourceFileName(u"post-" + post->identifierUsedByBlogService() + u"." + post->standardFilenameExtension().value_or(u"post"));
        return post;
    }
};

class FakeAgentBlogProject : public VornickPublishedBlogProject {
public:
    std::shared_ptr<const ManagedObjectModel> managedObjectModel() const override
    {
        static std::shared_ptr<const ManagedObjectModel> model = vornickMakeBlogProjectModel(false, [](ManagedObjectModel& model) {
            model.entityNamed(u"BlogHostingAccount")->setInstanceFactory([] { return std::make_shared<FakeWordPressAccount>(); });
        });
        return model;
    }
    FakeAgentIntegrator& fakeIntegrator() { return static_cast<FakeAgentIntegrator&>(integrator()); }
    FakeWordPressAccount& fakeAccount() { return static_cast<FakeWordPressAccount&>(*hostingAccount()); }

protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override { return std::make_unique<FakeAgentIntegrator>(); }
};

// Does what the account editor does as the integrator's delegate: a send the
// two-way sync decides on is queued with the project's synchronizer, to run
// in an upload session.
class AccountEditorStandIn : public VornickBlogServiceIntegratorDelegate {
public:
    explicit AccountEditorStandIn(VornickPublishedBlogProject& project) : m_project(project) { project.integrator().setDelegate(this); }
    ~AccountEditorStandIn() override
    {
        if (m_project.integrator().delegate() == this)
            m_project.integrator().setDelegate(nullptr);
    }
    AccountEditorStandIn(const AccountEditorStandIn&) = delete;
    AccountEditorStandIn& operator=(const AccountEditorStandIn&) = delete;

    bool blogServiceIntegratorRequestScheduledSendOfPostChanges(VornickBlogServiceIntegrator&, const Dictionary& postChanges,
        const Dictionary& blogDescription, const Value& nativePostIdentifier) override
    {
        return m_project.synchronizer().queueSyncToUploadPostChanges(postChanges, blogDescription, nativePostIdentifier);
    }

private:
    VornickPublishedBlogProject& m_project;
};

// An open post editor, as the post editor window registers itself; it
// records what the engine tells it.
class FakePostEditor : public VornickProjectComponentEditor, public VornickBlogPostEditorOperations {
public:
    explicit FakePostEditor(std::shared_ptr<VornickProjectComponent> component, bool edited = false)
        : m_component(std::move(component)), m_edited(edited) { }
    std::vector<std::string> calls;

    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_component; }
    bool isDocumentEdited() const override { return m_edited; }
    void postWillReceiveNewPendingDescription() override { calls.push_back("willPend"); }
    void postDidReceiveNewPendingDescription() override { calls.push_back("didPend"); }
    void postWillReceiveReplacementFromServer() override { calls.push_back("willReplace"); }
    void postDidReceiveReplacementFromServer() override { calls.push_back("didReplace"); }
    void enqueueServerSideDeletionOfPost(bool inTrash) override { calls.push_back(inTrash ? "deletedToTrash" : "deleted"); }
    void saveAlreadyIntegratedChanges() override { calls.push_back("saveIntegrated"); }
    void saveDocumentWithoutUploadingDraftChanges() override { calls.push_back("saveWithoutUpload"); }

private:
    std::shared_ptr<VornickProjectComponent> m_component;
    bool m_edited;
};

// An open blog window.
class FakeBlogWindowEditor : public VornickProjectComponentEditor, public VornickBlogEditorOperations {
public:
    explicit FakeBlogWindowEditor(std::shared_ptr<VornickProjectComponent> component) : m_component(std::move(component)) { }
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> updatedPosts;

    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_component; }
    void updateDisplayedContentForPost(const std::shared_ptr<VornickPublishedBlogPost>& post) override { updatedPosts.push_back(post); }

private:
    std::shared_ptr<VornickProjectComponent> m_component;
};

// A project in a temporary folder with a sync log, its account logged in
// as "writer", and helpers to run sessions to their end.
class SyncEngineTest : public ::testing::Test {
protected:
    std::string folder;
    std::shared_ptr<FakeAgentBlogProject> project = makeProject(folder);
    ManagedObjectContext& context = *project->index()->managedObjectContext();
    FakeAgentIntegrator& integrator = project->fakeIntegrator();
    FakeBlogSite& site = *integrator.site;
    std::shared_ptr<VornickLog> log = VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false));
    SyncStepStatusRecorder statuses;

    SyncEngineTest()
    {
        integrator.setSyncLog(log);
        project->fakeAccount().setLoginID(u"writer");
    }
    ~SyncEngineTest() override
    {
        integrator.setSyncSession(nullptr);
        SyncStepStatusRecorder::drainMainQueue();
    }

    static std::shared_ptr<FakeAgentBlogProject> makeProject(std::string& folder)
    {
        folder = createTemporaryDirectory("sync-engine").value();
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<FakeAgentBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantontestproject", false), &error);
        EXPECT_TRUE(project) << error;
        return project;
    }

    // Makes the session the integrator's and starts it.
    std::shared_ptr<VornickBlogServiceSyncSession> startSession(VornickSyncSessionType type = VornickSyncSessionType::Manual)
    {
        auto session = integrator.createSyncSessionOfType(type);
        integrator.setSyncSession(session);
        session->setState(VornickSyncStepState::Active);
        session->queueMainThreadStatusUpdateNotification();
        return session;
    }

    // Runs the main queue until nothing is left to do.
    static void drain() { SyncStepStatusRecorder::drainMainQueue(); }

    std::string logText() const { return toUTF8(log->text()); }
    bool logHas(std::string_view line) const { return logText().find(line) != std::string::npos; }

    std::shared_ptr<VornickPublishedBlog> storedBlog(std::u16string identifier)
    {
        return integrator.existingBlogForDescription({ { u"identifierUsedByBlogService", Value(identifier) } });
    }
    std::shared_ptr<VornickPublishedBlogPost> storedPost(const VornickPublishedBlog& blog, std::u16string identifier)
    {
        return integrator.existingPostForDescription({ { u"identifierUsedByBlogService", Value(identifier) } }, std::nullopt, blog);
    }
};

} // namespace brevanton
