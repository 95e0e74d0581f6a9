#include "blog/VornickPublishedBlogSynchronizer.h"

#include "tests/blog/BlogModelTestSupport.h"
#include "tests/blog/VornickSyncStepTestSupport.h"
#include "tests/toolkit/ApplicationEnvironmentTestSupport.h"

#include "blog/VornickBlogServiceAgent.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

using Type = VornickSyncSessionType;
using State = VornickSyncStepState;

// An agent that takes every send and never answers, so an upload session stays running.
class SilentAgent : public VornickBlogServiceAgent {
public:
    void sendPostChanges(const Dictionary&, const Dictionary&, const Value&) override { }
};

// Records the media uploads the synchronizer asks for, by upload step; its
// agent never answers.
class RecordingIntegrator : public VornickBlogServiceIntegrator {
public:
    std::shared_ptr<VornickBlogServiceAgent> agent() override
    {
        if (!m_silentAgent)
            m_silentAgent = std::make_shared<SilentAgent>();
        return m_silentAgent;
    }

    void injectUploadOfMediaForPost(const Dictionary&, const Dictionary&, const Value& nativePostIdentifier,
                                    VornickUploadBlogPostsStep& step) override
    {
        injected.emplace_back(&step, nativePostIdentifier);
    }
    std::vector<std::pair<VornickUploadBlogPostsStep*, Value>> injected;

private:
    std::shared_ptr<SilentAgent> m_silentAgent;
};

// A session that runs until the test finishes its "work" step.
std::shared_ptr<VornickBlogServiceSyncSession> sessionWithWork(Type type)
{
    auto session = std::make_shared<VornickBlogServiceSyncSession>(type);
    session->addStepWithName(u"work", u"Work");
    return session;
}

// Builds its sessions itself: one plain step ("work") for the syncing
// kinds, which stays Active until the test finishes it; upload sessions get
// their blog steps from the synchronizer.
class TestSynchronizer : public VornickPublishedBlogSynchronizer {
public:
    using VornickPublishedBlogSynchronizer::VornickPublishedBlogSynchronizer;
    std::vector<Type> created;
    bool refuse = false;

protected:
    std::shared_ptr<VornickBlogServiceSyncSession> newSyncSessionOfType(Type type) override
    {
        if (refuse)
            return nullptr;
        created.push_back(type);
        return type == Type::UploadPostChanges ? std::make_shared<VornickBlogServiceSyncSession>(type) : sessionWithWork(type);
    }
};

class SynchronizerTestProject : public TestBlogProject {
protected:
    std::unique_ptr<VornickBlogServiceIntegrator> makeIntegrator() const override { return std::make_unique<RecordingIntegrator>(); }
    std::shared_ptr<VornickPublishedBlogSynchronizer> makeSynchronizer(VornickBlogServiceIntegrator& integrator) const override
    {
        return std::make_shared<TestSynchronizer>(integrator);
    }
};

Dictionary blogDescription(std::u16string identifier)
{
    return { { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(u"Blog " + identifier) } };
}

Dictionary postDescription(std::u16string title)
{
    return { { u"title", Value(title) }, { u"sourceContentString", Value(u"<p>" + title) } };
}

class VornickPublishedBlogSynchronizerTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        RunLoop::main().useManualClock();
        folder = createTemporaryDirectory("synchronizer").value();
        environment.install(folder + "/defaults.plist");
        environment->userDefaults().registerDefaults({ { VornickWordPressSyncIntervalDefaultsKey, Value(5) } });
        Error error;
        project = VornickProject::createWithNewProjectFileURL<SynchronizerTestProject>(
            URL::fileURLWithPath(folder + "/project.brevantontestproject", false), &error);
        ASSERT_TRUE(project) << error;
        log = VornickLog::create(URL::fileURLWithPath(folder + "/sync.txt", false));
        integrator().setSyncLog(log);
        synchronizer = &dynamic_cast<TestSynchronizer&>(project->synchronizer());
    }
    void TearDown() override
    {
        project.reset();
        log.reset();
        SyncStepStatusRecorder::drainMainQueue();
        environment.remove();
        RunLoop::main().useRealClock();
        EXPECT_TRUE(removeItem(folder));
    }

    RecordingIntegrator& integrator() { return dynamic_cast<RecordingIntegrator&>(project->integrator()); }
    static void drain() { SyncStepStatusRecorder::drainMainQueue(); }
    void advance(double seconds)
    {
        RunLoop::main().advanceClock(seconds);
        drain();
    }
    // Ends the running session's "work" step in the state; the queue moves on.
    void finishCurrentSession(State state = State::Completed)
    {
        auto session = synchronizer->currentSyncSession();
        ASSERT_TRUE(session);
        ASSERT_EQ(session->state(), State::Active);
        auto work = session->stepWithName(u"work");
        ASSERT_TRUE(work);
        work->setState(state);
        drain();
    }
    std::vector<Type> queuedTypes() const
    {
        std::vector<Type> types;
        for (auto& session : synchronizer->syncSessionQueue())
            types.push_back(session->type());
        return types;
    }
    bool logHas(std::u16string_view line) const { return log->text().find(line) != std::u16string::npos; }

    std::string folder;
    testing::TestApplicationEnvironment environment;
    std::shared_ptr<SynchronizerTestProject> project;
    std::shared_ptr<VornickLog> log;
    TestSynchronizer* synchronizer { nullptr };
};

TEST_F(VornickPublishedBlogSynchronizerTests, TheClickedKeysChooseTheKindOfManualSync)
{
    EXPECT_EQ(&project->synchronizer(), synchronizer) << "one synchronizer, made on first use";
    EXPECT_EQ(&synchronizer->integrator(), &project->integrator());

    synchronizer->startManualSync(VornickSyncRequestOptionModifier);
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::ExhaustiveManual });
    EXPECT_TRUE(logHas(u"[Option] key held: Forcing an exhaustive sync and re-fetching all templates"));
    EXPECT_EQ(synchronizer->currentSyncSession()->state(), State::Active) << "an idle queue starts it at once";
    finishCurrentSession();

    synchronizer->startManualSync(VornickSyncRequestModifiers(VornickSyncRequestOptionModifier | VornickSyncRequestControlModifier));
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::TemplateDownload });
    EXPECT_TRUE(logHas(u"[Control]+[Option] held: Re-fetching of all templates"));
    finishCurrentSession();

    synchronizer->startManualSync(VornickSyncRequestControlModifier);
    synchronizer->startManualSync(VornickSyncRequestNoModifiers);
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::Manual }) << "Control alone is a plain sync; a second request is refused";
    finishCurrentSession();
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    EXPECT_TRUE(logHas(u"== END Sync Session (User-Requested Sync) state=Completed =="));

    synchronizer->refuse = true;
    EXPECT_FALSE(synchronizer->queueManualSync()) << "no session made, none queued";
    EXPECT_FALSE(synchronizer->queueSyncToUploadPostChanges(postDescription(u"A"), blogDescription(u"1"), Value(u"p1")));
}

TEST_F(VornickPublishedBlogSynchronizerTests, ManualSyncIsRefusedWhileAnAutomaticOneIsQueuedOrRunning)
{
    ASSERT_TRUE(synchronizer->queueAutomaticSync());
    synchronizer->startManualSync(VornickSyncRequestOptionModifier);
    synchronizer->startFirstEverManualSync();
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::Automatic }) << "running";

    // Waiting behind an upload session.
    finishCurrentSession();
    synchronizer->queueSyncSession(sessionWithWork(Type::UploadPostChanges));
    ASSERT_TRUE(synchronizer->queueAutomaticSync());
    EXPECT_EQ(synchronizer->waitingSyncSessionOfType(Type::Automatic), synchronizer->syncSessionQueue()[1]);
    synchronizer->startManualSync(VornickSyncRequestNoModifiers);
    EXPECT_EQ(queuedTypes(), (std::vector<Type> { Type::UploadPostChanges, Type::Automatic })) << "waiting";
}

TEST_F(VornickPublishedBlogSynchronizerTests, UploadsJoinTheWaitingUploadSessionUntilItRuns)
{
    ASSERT_TRUE(synchronizer->queueManualSync());
    for (auto* identifier : { u"p1", u"p2", u"p3" })
        ASSERT_TRUE(synchronizer->queueSyncToUploadPostChanges(postDescription(identifier), blogDescription(u"1"), Value(identifier)));
    ASSERT_EQ(queuedTypes(), (std::vector<Type> { Type::Manual, Type::UploadPostChanges }));
    auto uploads = synchronizer->syncSessionQueue()[1];
    EXPECT_EQ(uploads->state(), State::WaitingToStart);
    ASSERT_EQ(uploads->steps().size(), 1u) << "one blog step";
    auto blogStep = uploads->stepForBlogWithDescription(blogDescription(u"1"));
    ASSERT_TRUE(blogStep);
    ASSERT_EQ(blogStep->steps().size(), 1u);
    auto uploadStep = std::dynamic_pointer_cast<VornickUploadBlogPostsStep>(blogStep->stepWithName(u"uploadPosts"));
    ASSERT_TRUE(uploadStep);
    EXPECT_EQ(uploadStep->title(), u"Upload Posts/Pages");
    ASSERT_EQ(integrator().injected.size(), 3u);
    for (auto& [step, identifier] : integrator().injected)
        EXPECT_EQ(step, uploadStep.get()) << "every post goes to the one upload step";
    EXPECT_EQ(integrator().injected[2].second, Value(u"p3"));

    // Another blog gets its own blog step in the same session.
    ASSERT_TRUE(synchronizer->queueSyncToUploadPostChanges(postDescription(u"B"), blogDescription(u"2"), Value(u"q1")));
    EXPECT_EQ(uploads->steps().size(), 2u);

    finishCurrentSession();
    ASSERT_EQ(synchronizer->currentSyncSession(), uploads);
    EXPECT_EQ(uploads->state(), State::Active);
    ASSERT_TRUE(synchronizer->queueSyncToUploadPostChanges(postDescription(u"p4"), blogDescription(u"1"), Value(u"p4")));
    ASSERT_EQ(queuedTypes(), (std::vector<Type> { Type::UploadPostChanges, Type::UploadPostChanges })) << "a second session behind the running one";
    EXPECT_NE(integrator().injected.back().first, uploadStep.get());
    EXPECT_EQ(synchronizer->syncSessionQueue()[1]->state(), State::WaitingToStart);
}

TEST_F(VornickPublishedBlogSynchronizerTests, AStoredPostIsQueuedWithItsBlogsDescription)
{
    integrator().setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    auto blog = integrator().importBlogDescription(blogDescription(u"7"), nullptr, std::nullopt);
    ASSERT_TRUE(blog);
    auto post = integrator().importPostDescription(
        { { u"identifierUsedByBlogService", Value(u"31") }, { u"title", Value(u"Post") } }, nullptr, blog, std::nullopt, false);
    ASSERT_TRUE(post);
    ASSERT_TRUE(synchronizer->queueSyncToUploadPost(*post));
    auto uploads = synchronizer->currentSyncSession();
    ASSERT_TRUE(uploads);
    EXPECT_TRUE(uploads->stepForBlogWithDescription(blogDescription(u"7")));
    ASSERT_EQ(integrator().injected.size(), 1u);
    EXPECT_EQ(integrator().injected[0].second, VornickBlogServiceIntegrator::nativeIdentifierForPost(*post));

    auto orphan = std::dynamic_pointer_cast<VornickPublishedBlogPost>(
        project->index()->managedObjectContext()->insertNewObject(u"BlogPost"));
    ASSERT_TRUE(orphan);
    EXPECT_FALSE(synchronizer->queueSyncToUploadPost(*orphan)) << "a post without a blog has no blog description";
}

TEST_F(VornickPublishedBlogSynchronizerTests, NothingStartsWhileWorkingOffline)
{
    environment->setWorkingOffline(true);
    EXPECT_FALSE(synchronizer->queueAutomaticSync());
    EXPECT_FALSE(synchronizer->queueSyncToUploadPostChanges(postDescription(u"A"), blogDescription(u"1"), Value(u"p1")));
    synchronizer->startManualSync(VornickSyncRequestNoModifiers);
    synchronizer->queueSyncSession(std::make_shared<VornickBlogServiceSyncSession>(Type::Manual));
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty()) << "the session is dropped";
    advance(61);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty()) << "the timer keeps retrying";
    EXPECT_FALSE(logHas(u"AUTO SYNC"));
    synchronizer->cancelSyncSchedulingTimer();
    synchronizer->scheduleFirstAutomaticSyncFollowingIndexUpdate();
    EXPECT_FALSE(synchronizer->hasScheduledSyncTimer());
    environment->setWorkingOffline(false);

    // A session that ends while working offline stays at the head of the
    // queue; going online again moves the queue on and plans the next sync.
    ASSERT_TRUE(synchronizer->queueManualSync());
    synchronizer->queueSyncSession(sessionWithWork(Type::UploadPostChanges));
    environment->setWorkingOffline(true);
    finishCurrentSession();
    EXPECT_EQ(queuedTypes(), (std::vector<Type> { Type::Manual, Type::UploadPostChanges }));
    environment->setWorkingOffline(false);
    drain();
    ASSERT_EQ(queuedTypes(), std::vector<Type> { Type::UploadPostChanges });
    EXPECT_EQ(synchronizer->currentSyncSession()->state(), State::Active);
}

TEST_F(VornickPublishedBlogSynchronizerTests, AWaitingSessionStartsWhenTheHostMayBeReachableAgain)
{
    integrator().setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    ASSERT_TRUE(synchronizer->queueManualSync());
    EXPECT_EQ(synchronizer->currentSyncSession()->state(), State::WaitingToStart);
    advance(600);
    EXPECT_EQ(synchronizer->currentSyncSession()->state(), State::WaitingToStart);
    integrator().setConnectionStatus(VornickHostConnectionStatus::Unknown);
    drain();
    EXPECT_EQ(synchronizer->currentSyncSession()->state(), State::Active);
}

TEST_F(VornickPublishedBlogSynchronizerTests, TheTimerSyncsAtLaunchAndRetriesWhileTheHostIsUnreachable)
{
    // At launch the status is unknown: the sync is tried.
    synchronizer->scheduleFirstAutomaticSyncFollowingIndexUpdate();
    advance(2.9);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    advance(0.2);
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::Automatic });
    EXPECT_TRUE(logHas(u"AUTO SYNC: Online"));
    EXPECT_FALSE(synchronizer->hasScheduledSyncTimer()) << "nothing more is planned while it runs";
    finishCurrentSession();
    log->clear();

    integrator().setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    synchronizer->scheduleNextSyncAttemptAfterInterval(3);
    advance(3.1);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    EXPECT_TRUE(log->text().empty()) << toUTF8(log->text());
    EXPECT_TRUE(synchronizer->hasScheduledSyncTimer());
    advance(59.8);
    integrator().setConnectionStatus(VornickHostConnectionStatus::Unknown);
    drain();
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    advance(0.2);
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::Automatic }) << "tried again 60 seconds later";
}

TEST_F(VornickPublishedBlogSynchronizerTests, SyncsRecurAnIntervalAfterTheLastOneEnded)
{
    Date start = RunLoop::main().now();
    synchronizer->tryStartingASyncNowThatWeCan();
    advance(0.9);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    advance(0.2);
    ASSERT_EQ(queuedTypes(), std::vector<Type> { Type::Automatic }) << "a second after launch";
    advance(100);
    finishCurrentSession(State::Failed);
    ASSERT_TRUE(synchronizer->dateOfLastSyncCompletion());
    EXPECT_NEAR(synchronizer->dateOfLastSyncCompletion()->timeIntervalSince(start), 101.1, 1e-6);
    EXPECT_TRUE(logHas(u"state=Failed"));

    advance(5 * 60 - 0.5);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty()) << "a failed sync is not retried at once";
    advance(1);
    ASSERT_EQ(queuedTypes(), std::vector<Type> { Type::Automatic });
    finishCurrentSession();

    // An upload ending counts for nothing; the next sync keeps its time.
    advance(60);
    synchronizer->queueSyncSession(sessionWithWork(Type::UploadPostChanges));
    finishCurrentSession(State::CancelledByUser);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    advance(4 * 60 - 0.5);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());

    // A longer interval moves the pending sync.
    environment->userDefaults().setInteger(10, VornickWordPressSyncIntervalDefaultsKey);
    NotificationCenter::defaultCenter().post(VornickWordPressSyncIntervalPreferenceDidChangeNotification, nullptr);
    advance(5 * 60);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    advance(5 * 60);
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::Automatic });
}

TEST_F(VornickPublishedBlogSynchronizerTests, AnIntervalOfZeroTurnsAutomaticSyncOff)
{
    synchronizer->scheduleFirstAutomaticSyncFollowingIndexUpdate();
    ASSERT_TRUE(synchronizer->hasScheduledSyncTimer());
    environment->userDefaults().setInteger(0, VornickWordPressSyncIntervalDefaultsKey);
    NotificationCenter::defaultCenter().post(VornickWordPressSyncIntervalPreferenceDidChangeNotification, nullptr);
    EXPECT_FALSE(synchronizer->hasScheduledSyncTimer()) << "the pending timer is cancelled";
    synchronizer->scheduleAutomaticSyncAfterAcquiringConnection();
    EXPECT_FALSE(synchronizer->hasScheduledSyncTimer());
    advance(3600);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());

    environment->userDefaults().setInteger(1, VornickWordPressSyncIntervalDefaultsKey);
    synchronizer->scheduleAutomaticSyncAfterAcquiringConnection();
    advance(3.5);
    EXPECT_EQ(queuedTypes(), std::vector<Type> { Type::Automatic });
}

TEST_F(VornickPublishedBlogSynchronizerTests, SwitchNotificationsAndCancelling)
{
    std::vector<std::shared_ptr<VornickBlogServiceSyncSession>> switches;
    int emptySwitches = 0;
    auto token = NotificationCenter::defaultCenter().addObserver(VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification,
        static_cast<VornickPublishedBlogSynchronizer*>(synchronizer), nullptr, [&](const Notification& notification) {
            auto old = notification.userObjects.find("oldSyncSession");
            if (old == notification.userObjects.end())
                ++emptySwitches;
            else
                switches.push_back(std::any_cast<std::shared_ptr<VornickBlogServiceSyncSession>>(old->second));
        });

    ASSERT_TRUE(synchronizer->queueManualSync());
    auto first = synchronizer->currentSyncSession();
    ASSERT_TRUE(synchronizer->queueSyncToUploadPostChanges(postDescription(u"A"), blogDescription(u"1"), Value(u"p1")));
    ASSERT_TRUE(synchronizer->queueManualTemplateDownload());
    EXPECT_EQ(emptySwitches, 1) << "only the session entering an empty queue";

    synchronizer->cancelAllSyncSessions();
    drain();
    EXPECT_EQ(first->state(), State::CancelledByUser) << "the running session is cancelled too";
    EXPECT_TRUE(logHas(u"CANCELLING sync session at user's request"));
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    ASSERT_EQ(switches.size(), 1u);
    EXPECT_EQ(switches[0], first);

    integrator().setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    ASSERT_TRUE(synchronizer->queueManualSync());
    synchronizer->cancelSync();
    EXPECT_EQ(synchronizer->currentSyncSession()->state(), State::WaitingToStart) << "only a running session is cancelled";
    synchronizer->cancelAllSyncSessions();
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
    EXPECT_EQ(emptySwitches, 2);
}

TEST_F(VornickPublishedBlogSynchronizerTests, QueueingAWrongSessionIsAProgrammingError)
{
    EXPECT_THROW(synchronizer->queueSyncSession(nullptr), InternalInconsistencyException);
    auto active = std::make_shared<VornickBlogServiceSyncSession>(Type::Manual);
    active->addStepWithName(u"work", u"Work");
    active->setState(State::Active);
    EXPECT_THROW(synchronizer->queueSyncSession(active), InternalInconsistencyException);

    integrator().setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    auto waiting = std::make_shared<VornickBlogServiceSyncSession>(Type::Manual);
    synchronizer->queueSyncSession(waiting);
    try {
        synchronizer->queueSyncSession(waiting);
        ADD_FAILURE() << "queued twice";
    } catch (const InternalInconsistencyException& exception) {
        EXPECT_NE(std::string(exception.reason()).find("![syncSessionQueue containsObject:syncSession]"), std::string::npos);
    }
    EXPECT_EQ(synchronizer->syncSessionQueue().size(), 1u);
    active->cancelUnfinishedStepsRecursively();
}

TEST_F(VornickPublishedBlogSynchronizerTests, NothingOutlivesTheSynchronizer)
{
    auto own = std::make_shared<TestSynchronizer>(integrator());
    ASSERT_TRUE(own->queueManualSync());
    auto session = own->currentSyncSession();
    own->scheduleNextSyncAttemptAfterInterval(5);
    own.reset();
    session->stepWithName(u"work")->setState(State::Completed);
    advance(10);
    integrator().setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    drain();
    environment->setWorkingOffline(true);
    EXPECT_EQ(session->state(), State::Completed);
    EXPECT_TRUE(synchronizer->syncSessionQueue().empty());
}

} // namespace
} // namespace brevanton
