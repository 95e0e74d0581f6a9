#include "blog/VornickPublishedBlogSynchronizer.h"

#include "blog/VornickBlog.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickBlogSyncStep.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickUploadBlogPostsStep.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/VornickApplicationEnvironment.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickObjectArchive.h"

#include <algorithm>

namespace brevanton {

namespace {

bool isAutomaticOrManual(VornickSyncSessionType type)
{
    return type == VornickSyncSessionType::Automatic || type == VornickSyncSessionType::Manual
        || type == VornickSyncSessionType::ExhaustiveManual;
}

// Reachable, or unknown (the status until an agent watches the host).
bool hostMayBeReachable(VornickHostConnectionStatus status)
{
    return status == VornickHostConnectionStatus::Reachable || status == VornickHostConnectionStatus::Unknown;
}

// Minutes; 0 turns automatic syncing off.
int64_t syncIntervalInMinutes()
{
    return VornickWordPressSyncInterval(VornickApplicationEnvironment::currentUserDefaults());
}

constexpr double firstAutomaticSyncDelay = 3.0;
constexpr double shortestAutomaticSyncDelay = 1.0;

} // namespace

VornickPublishedBlogSynchronizer::VornickPublishedBlogSynchronizer(VornickBlogServiceIntegrator& integrator)
    : m_integrator(integrator)
{
    m_syncSessionQueue.reserve(8);
    auto& center = NotificationCenter::defaultCenter();
    m_syncIntervalObserver = center.addObserver(VornickWordPressSyncIntervalPreferenceDidChangeNotification, nullptr, nullptr,
        [this](const Notification&) { tryStartingASyncNowThatWeCan(); });
    // Back online, a session that ended or waited meanwhile leaves or starts.
    m_workingOfflineObserver = center.addObserver(VornickWorkingOfflineDidChangeNotification, nullptr, nullptr,
        [this](const Notification&) {
            advanceSyncSessionQueue();
            tryStartingASyncNowThatWeCan();
        });
    // A session kept waiting by an unreachable host starts once the host
    // may be reachable again. Delivered on a later turn, so the integrator
    // has finished changing its status first.
    m_connectionStatusObserver = center.addObserver(VornickBlogServiceIntegrator::ConnectionStatusDidChangeNotification, &m_integrator,
        &OperationQueue::main(), [this](const Notification&) {
            if (hostMayBeReachable(m_integrator.connectionStatus()))
                advanceSyncSessionQueue();
        });
}

VornickPublishedBlogSynchronizer::~VornickPublishedBlogSynchronizer() = default;

std::shared_ptr<VornickBlogHostingAccount> VornickPublishedBlogSynchronizer::account() const
{
    return m_integrator.account();
}

bool VornickPublishedBlogSynchronizer::workingOffline()
{
    return VornickApplicationEnvironment::currentlyWorkingOffline();
}

std::shared_ptr<VornickBlogServiceSyncSession> VornickPublishedBlogSynchronizer::currentSyncSession() const
{
    return m_syncSessionQueue.empty() ? nullptr : m_syncSessionQueue.front();
}

std::shared_ptr<VornickBlogServiceSyncSession> VornickPublishedBlogSynchronizer::syncSessionOfType(VornickSyncSessionType type, bool allowActive,
                                                                                                 bool allowWaiting) const
{
    for (auto& session : m_syncSessionQueue) {
        if (session->type() != type)
            continue;
        if ((allowActive && session->state() == VornickSyncStepState::Active)
            || (allowWaiting && session->state() == VornickSyncStepState::WaitingToStart))
            return session;
    }
    return nullptr;
}

bool VornickPublishedBlogSynchronizer::lastEndedSyncSessionFailed() const
{
    auto state = m_lastEndedSyncSession ? m_lastEndedSyncSession->state() : VornickSyncStepState::Completed;
    return state == VornickSyncStepState::Failed || state == VornickSyncStepState::CancelledByFailures;
}

bool VornickPublishedBlogSynchronizer::automaticOrManualSyncSessionInQueue() const
{
    return std::any_of(m_syncSessionQueue.begin(), m_syncSessionQueue.end(),
                       [](auto& session) { return isAutomaticOrManual(session->type()); });
}

// MARK: Starting sessions

void VornickPublishedBlogSynchronizer::startManualSync(VornickSyncRequestModifiers modifiers)
{
    if (workingOffline() || automaticOrManualSyncSessionInQueue())
        return;
    if (modifiers & VornickSyncRequestOptionModifier) {
        if (modifiers & VornickSyncRequestControlModifier) {
            logToSyncLog(u"[Control]+[Option] held: Re-fetching of all templates");
            queueManualTemplateDownload();
        } else {
            logToSyncLog(u"[Option] key held: Forcing an exhaustive sync and re-fetching all templates");
            queueExhaustiveManualSync();
        }
        return;
    }
    queueManualSync();
}

void VornickPublishedBlogSynchronizer::startFirstEverManualSync()
{
    if (workingOffline() || automaticOrManualSyncSessionInQueue())
        return;
    queueExhaustiveManualSync();
}

std::shared_ptr<VornickBlogServiceSyncSession> VornickPublishedBlogSynchronizer::newSyncSessionOfType(VornickSyncSessionType type)
{
    return m_integrator.createSyncSessionOfType(type);
}

bool VornickPublishedBlogSynchronizer::queueSessionOfType(VornickSyncSessionType type)
{
    if (workingOffline())
        return false;
    auto session = newSyncSessionOfType(type);
    if (!session)
        return false;
    queueSyncSession(session);
    return true;
}

bool VornickPublishedBlogSynchronizer::queueAutomaticSync()
{
    return queueSessionOfType(VornickSyncSessionType::Automatic);
}

bool VornickPublishedBlogSynchronizer::queueManualSync()
{
    return queueSessionOfType(VornickSyncSessionType::Manual);
}

bool VornickPublishedBlogSynchronizer::queueExhaustiveManualSync()
{
    return queueSessionOfType(VornickSyncSessionType::ExhaustiveManual);
}

bool VornickPublishedBlogSynchronizer::queueManualTemplateDownload()
{
    return queueSessionOfType(VornickSyncSessionType::TemplateDownload);
}

bool VornickPublishedBlogSynchronizer::queueSyncToUploadPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription,
                                                                    const Value& nativePostIdentifier)
{
    // The post is marked first, so that an upload refused here (offline) or
    // failing later is tried again by the next sync.
    (void)m_integrator.markPostForUploadAtNextSync(nativePostIdentifier);
    if (workingOffline())
        return false;
    // Changes join the upload session that waits; once it runs, a new one follows it.
    auto session = waitingSyncSessionOfType(VornickSyncSessionType::UploadPostChanges);
    bool createdSession = false;
    if (!session) {
        session = newSyncSessionOfType(VornickSyncSessionType::UploadPostChanges);
        if (!session)
            return false;
        createdSession = true;
    }
    auto blogStep = session->addStepForBlogWithDescription(blogDescription);
    if (!blogStep)
        return false;
    auto uploadStep = blogStep->stepWithName<VornickUploadBlogPostsStep>(u"uploadPosts");
    if (!uploadStep) {
        uploadStep = std::make_shared<VornickUploadBlogPostsStep>(u"uploadPosts", u"Upload Posts/Pages");
        std::weak_ptr<VornickUploadBlogPostsStep> weakStep = uploadStep;
        uploadStep->setStartBlock([weakStep] {
            if (auto step = weakStep.lock())
                step->startUploadingPosts();
        });
        blogStep->addStep(uploadStep);
    }
    uploadStep->scheduleUploadOfPostChanges(postDescription, blogDescription, nativePostIdentifier);
    m_integrator.injectUploadOfMediaForPost(postDescription, blogDescription, nativePostIdentifier, *uploadStep);
    if (createdSession)
        queueSyncSession(session);
    return true;
}

bool VornickPublishedBlogSynchronizer::queueSyncToUploadPost(const VornickPublishedBlogPost& post)
{
    if (workingOffline())
        return false;
    auto postArchive = post.archivalRepresentation();
    auto blog = post.blog();
    auto blogArchive = blog ? blog->archivalRepresentation() : nullptr;
    if (!postArchive || !blogArchive)
        return false;
    return queueSyncToUploadPostChanges(postArchive->propertyList(), blogArchive->propertyList(),
                                        VornickBlogServiceIntegrator::nativeIdentifierForPost(post));
}

// MARK: The queue

void VornickPublishedBlogSynchronizer::queueSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& syncSession)
{
    BREVANTON_ASSERT(syncSession, "syncSession");
    BREVANTON_ASSERT(syncSession->state() == VornickSyncStepState::WaitingToStart, "[syncSession state] == VornickSyncStepWaitingToStart");
    BREVANTON_ASSERT(std::find(m_syncSessionQueue.begin(), m_syncSessionQueue.end(), syncSession) == m_syncSessionQueue.end(),
                     "![syncSessionQueue containsObject:syncSession]");
    if (workingOffline())
        return;
    m_syncSessionQueue.push_back(syncSession);
    if (m_syncSessionQueue.size() == 1)
        postDidSwitchSyncSession(nullptr);
    advanceSyncSessionQueue();
}

void VornickPublishedBlogSynchronizer::advanceSyncSessionQueue()
{
    if (!RunLoop::isMainThread()) {
        OperationQueue::main().addOperation([weakThis = weak_from_this()] {
            if (auto synchronizer = weakThis.lock())
                synchronizer->advanceSyncSessionQueue();
        });
        return;
    }
    if (workingOffline() || !hostMayBeReachable(m_integrator.connectionStatus()))
        return;
    std::shared_ptr<VornickBlogServiceSyncSession> session;
    while (!m_syncSessionQueue.empty()) {
        session = m_syncSessionQueue.front();
        if (VornickSyncStepStateIsFinal(session->state())) {
            m_syncSessionQueue.erase(m_syncSessionQueue.begin());
            m_lastEndedSyncSession = session;
            postDidSwitchSyncSession(session);
            session = nullptr;
            continue;
        }
        if (session->state() != VornickSyncStepState::WaitingToStart)
            return;
        break;
    }
    if (!session)
        return;

    std::weak_ptr<VornickPublishedBlogSynchronizer> weakThis = weak_from_this();
    std::weak_ptr<VornickBlogServiceSyncSession> weakSession = session;
    // The session's own final status notifications go out first.
    session->setEndBlock([weakThis, weakSession] {
        OperationQueue::main().addOperation([weakThis, weakSession] {
            auto synchronizer = weakThis.lock();
            auto session = weakSession.lock();
            if (synchronizer && session)
                synchronizer->syncSessionDidEnd(session);
        });
    });
    m_integrator.setSyncSession(session);
    session->setState(VornickSyncStepState::Active);
    session->queueMainThreadStatusUpdateNotification();
}

void VornickPublishedBlogSynchronizer::syncSessionDidEnd(const std::shared_ptr<VornickBlogServiceSyncSession>& session)
{
    auto stateName = VornickSyncStepStateDisplayName(session->state());
    logToSyncLog(u"== END Sync Session (" + session->title() + u") state=" + std::u16string(stateName.value_or(u"Unknown")) + u" ==");
    // Whatever way it ended, the next automatic sync comes one interval
    // later: a failing server is not asked again every second.
    if (isAutomaticOrManual(session->type()))
        m_dateOfLastSyncCompletion = RunLoop::main().now();
    advanceSyncSessionQueue();
    tryStartingASyncNowThatWeCan();
}

void VornickPublishedBlogSynchronizer::cancelSync()
{
    cancelActiveSyncSession();
}

void VornickPublishedBlogSynchronizer::cancelActiveSyncSession()
{
    auto session = currentSyncSession();
    if (!session || session->state() != VornickSyncStepState::Active)
        return;
    logToSyncLog(u"CANCELLING sync session at user's request");
    session->cancelUnfinishedStepsRecursively();
}

void VornickPublishedBlogSynchronizer::cancelAllSyncSessions()
{
    if (m_syncSessionQueue.empty())
        return;
    if (m_syncSessionQueue.front()->state() == VornickSyncStepState::WaitingToStart) {
        m_syncSessionQueue.clear();
        return;
    }
    m_syncSessionQueue.erase(m_syncSessionQueue.begin() + 1, m_syncSessionQueue.end());
    cancelActiveSyncSession();
}

void VornickPublishedBlogSynchronizer::postDidSwitchSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& oldSyncSession)
{
    Notification notification;
    notification.name = VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification;
    notification.object = this;
    if (oldSyncSession)
        notification.userObjects["oldSyncSession"] = oldSyncSession;
    NotificationCenter::defaultCenter().post(notification);
}

// MARK: The automatic sync timer

void VornickPublishedBlogSynchronizer::scheduleFirstAutomaticSyncFollowingIndexUpdate()
{
    if (workingOffline() || automaticOrManualSyncSessionInQueue())
        return;
    scheduleNextSyncAttemptAfterInterval(firstAutomaticSyncDelay);
}

void VornickPublishedBlogSynchronizer::scheduleAutomaticSyncAfterAcquiringConnection()
{
    if (workingOffline() || automaticOrManualSyncSessionInQueue() || syncIntervalInMinutes() < 1)
        return;
    scheduleNextSyncAttemptAfterInterval(firstAutomaticSyncDelay);
}

void VornickPublishedBlogSynchronizer::scheduleNextSyncAttemptAfterInterval(double seconds)
{
    cancelSyncSchedulingTimer();
    if (seconds <= 0)
        return;
    m_scheduledSyncTimer = Timer::scheduledTimer(seconds, false, [this](Timer&) { syncTimerFired(); });
}

void VornickPublishedBlogSynchronizer::cancelSyncSchedulingTimer()
{
    m_scheduledSyncTimer.invalidate();
}

void VornickPublishedBlogSynchronizer::syncTimerFired()
{
    cancelSyncSchedulingTimer();
    if (automaticOrManualSyncSessionInQueue())
        return;
    // The status stays unknown until an agent watches the host, so unknown
    // is worth a try as well: only a host known to be unreachable waits.
    if (hostMayBeReachable(m_integrator.connectionStatus()) && !workingOffline()) {
        logToSyncLog(u"AUTO SYNC: Online");
        if (queueAutomaticSync())
            return;
    }
    scheduleNextSyncAttemptAfterInterval(m_timeToNextSyncRetry);
}

void VornickPublishedBlogSynchronizer::tryStartingASyncNowThatWeCan()
{
    if (currentSyncSession())
        return;
    cancelSyncSchedulingTimer();
    int64_t minutes = syncIntervalInMinutes();
    if (minutes < 1)
        return;
    double delay = shortestAutomaticSyncDelay;
    if (m_dateOfLastSyncCompletion) {
        double elapsed = RunLoop::main().now().timeIntervalSince(*m_dateOfLastSyncCompletion);
        delay = std::max(static_cast<double>(minutes) * 60.0 - elapsed, shortestAutomaticSyncDelay);
    }
    scheduleNextSyncAttemptAfterInterval(delay);
}

void VornickPublishedBlogSynchronizer::logToSyncLog(std::u16string_view line) const
{
    m_integrator.logToSyncLog(line);
}

} // namespace brevanton
