#include "blog/VornickBlogServiceSyncSession.h"

#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickSyncSessionIntegrator.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileUtilities.h"
#include "tests/blog/VornickSyncStepTestSupport.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"

#include <gtest/gtest.h>

#include <map>

using namespace brevanton;

namespace {

using State = VornickSyncStepState;

// Answers the blogs it was given, by service identifier. The tree only hands
// a blog on, so an address of the fake's stands for each.
class FakeIntegrator : public VornickSyncSessionIntegrator {
public:
    explicit FakeIntegrator(std::shared_ptr<VornickLog> log) : m_log(std::move(log)) {}

    std::shared_ptr<VornickLog> syncLog() const override { return m_log; }
    std::shared_ptr<VornickPublishedBlog> existingBlogForDescription(const Dictionary& description) override
    {
        asked++;
        auto identifier = Value(description)[u"identifierUsedByBlogService"].stringValue();
        if (!m_blogs.count(identifier))
            return nullptr;
        // A pointer that owns nothing and never touches what it points at,
        // which is no blog: one with an owner would set the weak reference a
        // blog keeps to itself, inside the int, wherever the blog's type is
        // complete.
        return std::shared_ptr<VornickPublishedBlog>(std::shared_ptr<void>(), addBlog(identifier));
    }
    VornickPublishedBlog* addBlog(const std::u16string& identifier)
    {
        return static_cast<VornickPublishedBlog*>(static_cast<void*>(&m_blogs[identifier]));
    }
    void removeBlog(const std::u16string& identifier) { m_blogs.erase(identifier); }

    int asked { 0 };

private:
    std::shared_ptr<VornickLog> m_log;
    std::map<std::u16string, int> m_blogs;
};

Dictionary blogDescription(const std::u16string& identifier, const std::u16string& title)
{
    return Dictionary { { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(title) },
        { u"browseURLString", Value(u"https://example.org/") } };
}

class VornickBlogServiceSyncSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = createTemporaryDirectory("sync-session").value();
        m_log = VornickLog::create(URL::fileURLWithPath(m_folder + "/sync.log"));
        m_integrator = std::make_unique<FakeIntegrator>(m_log);
    }
    void TearDown() override
    {
        SyncStepStatusRecorder::drainMainQueue();
        m_log.reset();
        EXPECT_TRUE(removeItem(m_folder));
    }

    std::string m_folder;
    std::shared_ptr<VornickLog> m_log;
    std::unique_ptr<FakeIntegrator> m_integrator;
};

} // namespace

TEST(VornickSyncSession, TypesAndStatesHaveTheirNames)
{
    auto title = [](int64_t type) { return VornickSyncSession::defaultSessionTitleForType(static_cast<VornickSyncSessionType>(type)); };
    EXPECT_EQ(title(1), u"Automatic Sync");
    EXPECT_EQ(title(2), u"User-Requested Sync");
    EXPECT_EQ(title(3), u"User-Requested Sync (Exhaustive)");
    EXPECT_EQ(title(4), u"Upload Posts/Pages");
    EXPECT_EQ(title(5), u"Download Templates");
    EXPECT_EQ(title(0), u"Unknown Session Type");
    EXPECT_EQ(title(6), u"Unknown Session Type");

    VornickSyncSession session(VornickSyncSessionType::TemplateDownload);
    EXPECT_EQ(session.name(), u"root");
    EXPECT_EQ(session.title(), u"Download Templates");

    EXPECT_EQ(VornickSyncStepStateDisplayName(State::WaitingToStart), u"Waiting");
    EXPECT_EQ(VornickSyncStepStateDisplayName(State::CancelledByUser), u"Cancelled by User");
    EXPECT_EQ(VornickSyncStepStateDisplayName(State::CancelledByFailures), u"Cancelled by Failures");
    EXPECT_EQ(VornickSyncStepStateDisplayName(static_cast<State>(6)), std::nullopt);
    EXPECT_EQ(VornickSyncStepStateDisplayName(static_cast<State>(-1)), std::nullopt);
}

TEST(VornickSyncSession, InvalidLoginIsReadFromTheSiteListStep)
{
    auto session = std::make_shared<VornickSyncSession>(VornickSyncSessionType::Manual);
    EXPECT_EQ(session->errorCodeGettingBlogs(), 0);
    auto getBlogs = std::make_shared<VornickSyncStep>(u"getBlogs", u"Get Site List");
    session->addStep(getBlogs);
    EXPECT_EQ(session->errorCodeGettingBlogs(), 0);
    EXPECT_FALSE(session->failedDueToInvalidLoginID());

    // Whatever the domain.
    getBlogs->setError(Error("other.domain", 48, u"who?"));
    EXPECT_EQ(session->errorCodeGettingBlogs(), 48);
    EXPECT_TRUE(session->failedDueToInvalidLoginID());
    EXPECT_FALSE(session->failedDueToInvalidPassword());
    getBlogs->setError(Error(VornickErrorDomain, 49, u"wrong"));
    EXPECT_TRUE(session->failedDueToInvalidPassword());
    EXPECT_FALSE(session->failedDueToInvalidLoginID());
}

TEST_F(VornickBlogServiceSyncSessionTest, BlogStepsAreNamedByTheServiceIdentifier)
{
    EXPECT_EQ(VornickBlogServiceSyncSession::stepNameForBlogWithDescription(blogDescription(u"42", u"Mine")), u"syncBlog.42");
    EXPECT_EQ(VornickBlogServiceSyncSession::stepNameForBlogWithDescription({ { u"title", Value(u"Mine") } }), std::nullopt);
    EXPECT_EQ(VornickBlogServiceSyncSession::stepNameForBlogWithDescription({ { u"identifierUsedByBlogService", Value(42) } }), std::nullopt);

    auto step = VornickBlogSyncStep::create(blogDescription(u"42", u"Caf\u00E9 <b>\"Notes\"</b>"));
    ASSERT_TRUE(step);
    EXPECT_EQ(step->name(), u"syncBlog.42");
    EXPECT_EQ(step->title(), u"Sync \"Caf\u00E9 <b>\"Notes\"</b>\"");
    EXPECT_EQ(step->blogDescription().at(u"browseURLString"), Value(u"https://example.org/"));
    EXPECT_EQ(VornickBlogSyncStep::create({ { u"identifierUsedByBlogService", Value(u"42") } }), nullptr);
    EXPECT_EQ(VornickBlogSyncStep::create({ { u"title", Value(u"No identifier") } }), nullptr);

    auto session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::Automatic);
    session->setIntegrator(m_integrator.get());
    auto first = session->addStepForBlogWithDescription(blogDescription(u"1", u"One"));
    ASSERT_TRUE(first);
    EXPECT_EQ(session->addStepForBlogWithDescription(blogDescription(u"1", u"Renamed")), first);
    EXPECT_EQ(session->stepForBlogWithDescription(blogDescription(u"1", u"")), first);
    EXPECT_EQ(session->addStepForBlogWithDescription({ { u"identifierUsedByBlogService", Value(u"2") } }), nullptr);
    EXPECT_EQ(session->steps().size(), 1u);
    // A step of the blog's name that is no blog step is not the blog's.
    session->addStep(std::make_shared<VornickSyncStep>(u"syncBlog.3", u"Impostor"));
    EXPECT_EQ(session->stepForBlogWithDescription(blogDescription(u"3", u"Three")), nullptr);
    // Identifiers of any length find their step (and only theirs).
    for (size_t length : { 54, 55, 56, 300 }) {
        std::u16string identifier(length, u'7');
        auto added = session->addStepForBlogWithDescription(blogDescription(identifier, u"Long"));
        ASSERT_TRUE(added);
        EXPECT_EQ(session->stepForBlogWithDescription(blogDescription(identifier, u"")), added) << length;
        EXPECT_EQ(session->stepForBlogWithDescription(blogDescription(identifier + u"8", u"")), nullptr) << length;
    }

    // The blog step logs its start to the integrator's log; its children find it.
    auto posts = first->addStepWithName(u"syncPosts", u"Sync Posts");
    EXPECT_EQ(posts->blogStep(), first.get());
    EXPECT_EQ(posts->syncLog(), m_log);
    session->setState(State::Active);
    EXPECT_NE(m_log->text().find(u"Starting sync of blog \"One\"\n"), std::u16string::npos) << toUTF8(m_log->text());
    EXPECT_EQ(posts->state(), State::Active);

    session->setIntegrator(nullptr);
    EXPECT_EQ(posts->syncLog(), nullptr);
}

TEST_F(VornickBlogServiceSyncSessionTest, FindingABlogDeletedDuringTheSyncFailsTheStep)
{
    SyncStepStatusRecorder recorder;
    VornickPublishedBlog* stored = m_integrator->addBlog(u"7");
    auto session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::Manual);
    session->setIntegrator(m_integrator.get());
    auto blog = session->addStepForBlogWithDescription(blogDescription(u"7", u"Seven"));
    auto posts = blog->addStepWithName(u"syncPosts", u"Sync Posts");
    auto resources = std::dynamic_pointer_cast<VornickSyncStep>(blog->addStepWithName(u"getResources", u"Get Referenced Images, etc."));
    session->setState(State::Active);

    EXPECT_EQ(posts->findBlog().get(), stored);
    EXPECT_EQ(blog->findBlog().get(), stored);
    posts->setState(State::Completed);
    ASSERT_EQ(resources->state(), State::Active);
    recorder.take();

    // The blog went while the session ran.
    m_integrator->removeBlog(u"7");
    EXPECT_EQ(resources->findBlog(), nullptr);
    EXPECT_EQ(resources->state(), State::Failed);
    EXPECT_TRUE(resources->error().is(VornickErrorDomain, VornickBlogNotFoundError)) << resources->error();
    EXPECT_EQ(resources->statusMessage(), u"Failed: The blog \u201CSeven\u201D is no longer in the project.");
    EXPECT_EQ(blog->state(), State::CancelledByFailures);
    EXPECT_EQ(session->state(), State::Failed);
    auto posted = recorder.take();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.front().object, resources.get());
    EXPECT_EQ(posted.front().state, State::Failed);

    // A late answer for a finished step changes nothing.
    EXPECT_EQ(posts->findBlog(), nullptr);
    EXPECT_EQ(posts->state(), State::Completed);

    // A session let go of by its integrator finds no blog either.
    auto orphan = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::Manual);
    auto orphanBlog = orphan->addStepForBlogWithDescription(blogDescription(u"8", u"Eight"));
    orphan->setState(State::Active);
    int askedBefore = m_integrator->asked;
    EXPECT_EQ(orphanBlog->findBlog(), nullptr);
    EXPECT_EQ(m_integrator->asked, askedBefore);
    EXPECT_EQ(orphan->state(), State::Failed);

    // Outside a blog step there is no description to look for.
    auto stray = std::make_shared<VornickSyncStep>(u"stray", u"Stray");
    session->addStep(stray);
    try {
        (void)stray->findBlog();
        ADD_FAILURE() << "no assertion";
    } catch (const InternalInconsistencyException& exception) {
        EXPECT_NE(std::string(exception.reason()).find("blogDescription=nil"), std::string::npos);
    }
}
