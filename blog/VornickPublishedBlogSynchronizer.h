// VornickPublishedBlogSynchronizer: decides when sync sessions run for one
// published blog project (one account). It keeps a queue of sessions whose
// first one runs while the others wait, starts automatic syncs from a timer
// (every "WordPressSyncInterval" minutes after the last automatic or manual
// session ended), starts the syncs the user asks for, and collects post
// uploads into one waiting upload session. Nothing starts while the
// application works offline or while the account's host is known to be
// unreachable; a session kept waiting by an unreachable host starts when the
// integrator's connection status becomes online or unknown again.
//
// Its project makes it on first use and owns it, with the integrator that
// builds and runs the sessions (which must outlive it). Made with
// std::make_shared. Main thread only; advanceSyncSessionQueue moves itself to
// the main queue when called elsewhere.
#pragma once

#include "blog/VornickSyncStepState.h"
#include "platform/foundation/Date.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <vector>

namespace brevanton {

class VornickBlogHostingAccount;
class VornickBlogServiceIntegrator;
class VornickBlogServiceSyncSession;
class VornickPublishedBlogPost;

// Object: the synchronizer. Empty user info when a session enters an empty
// queue; when a finished session leaves the head of the queue, the user
// object "oldSyncSession" holds it (a std::shared_ptr<VornickBlogServiceSyncSession>).
inline constexpr const char* VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification
    = "VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification";

// The modifier keys held when the user clicked the sync command; a command
// chosen from the keyboard or a menu passes none.
enum VornickSyncRequestModifiers : unsigned {
    VornickSyncRequestNoModifiers = 0,
    VornickSyncRequestOptionModifier = 1 << 0,
    VornickSyncRequestControlModifier = 1 << 1,
};

class VornickPublishedBlogSynchronizer : public std::enable_shared_from_this<VornickPublishedBlogSynchronizer> {
public:
    // Observes the sync interval preference, the working-offline setting and
    // the integrator's connection status.
    explicit VornickPublishedBlogSynchronizer(VornickBlogServiceIntegrator&);
    // Stops observing and invalidates the timer.
    virtual ~VornickPublishedBlogSynchronizer();

    VornickPublishedBlogSynchronizer(const VornickPublishedBlogSynchronizer&) = delete;
    VornickPublishedBlogSynchronizer& operator=(const VornickPublishedBlogSynchronizer&) = delete;

    VornickBlogServiceIntegrator& integrator() const { return m_integrator; }

    // --- Queries
    // The account of the integrator's agent.
    std::shared_ptr<VornickBlogHostingAccount> account() const;
    // The application delegate's setting; false without a delegate.
    static bool workingOffline();
    // The first session of the queue, or null.
    std::shared_ptr<VornickBlogServiceSyncSession> currentSyncSession() const;
    // The first queued session of the type that is Active (when allowed) or
    // Waiting (when allowed), or null.
    std::shared_ptr<VornickBlogServiceSyncSession> syncSessionOfType(VornickSyncSessionType, bool allowActive, bool allowWaiting) const;
    std::shared_ptr<VornickBlogServiceSyncSession> activeOrWaitingSyncSessionOfType(VornickSyncSessionType type) const
    {
        return syncSessionOfType(type, true, true);
    }
    std::shared_ptr<VornickBlogServiceSyncSession> waitingSyncSessionOfType(VornickSyncSessionType type) const
    {
        return syncSessionOfType(type, false, true);
    }
    // Whether an automatic, manual or exhaustive session is queued, in any state.
    bool automaticOrManualSyncSessionInQueue() const;
    const std::vector<std::shared_ptr<VornickBlogServiceSyncSession>>& syncSessionQueue() const { return m_syncSessionQueue; }

    // --- Starting sessions
    // Ignored offline or while an automatic or manual session is queued.
    // With Option held: an exhaustive session; with Control and Option: a
    // download of the templates; otherwise a manual session.
    void startManualSync(VornickSyncRequestModifiers);
    // An exhaustive session, ignored as startManualSync is.
    void startFirstEverManualSync();
    // Each answers whether a session was queued (never offline).
    bool queueAutomaticSync();
    bool queueManualSync();
    bool queueExhaustiveManualSync();
    bool queueManualTemplateDownload();
    // Adds the post's changes to the upload step of the waiting upload
    // session, or of a new upload session queued at the end.
    bool queueSyncToUploadPostChanges(const Dictionary& postDescription, const Dictionary& blogDescription, const Value& nativePostIdentifier);
    // The same with the post's and its blog's archives; false when either is missing.
    bool queueSyncToUploadPost(const VornickPublishedBlogPost&);

    // --- The queue
    // Appends a Waiting session that is not queued yet (anything else is a
    // programming error) and advances the queue; offline the session is dropped.
    void queueSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&);
    // Removes the finished sessions at the head of the queue and starts the
    // next Waiting one, unless offline or the host is unreachable.
    void advanceSyncSessionQueue();
    // The user's cancel: cancels the unfinished steps of the running
    // session, which then ends and leaves the queue.
    void cancelSync();
    // Drops every session behind the current one and cancels the current one
    // as the user's cancel does; a current session still Waiting is dropped
    // with the others.
    void cancelAllSyncSessions();
    // What cancelSync does; nothing when the current session is not Active.
    void cancelActiveSyncSession();

    // --- The automatic sync timer
    void scheduleFirstAutomaticSyncFollowingIndexUpdate();
    void scheduleAutomaticSyncAfterAcquiringConnection();
    // Replaces the pending timer; nothing is scheduled for 0 seconds or less.
    void scheduleNextSyncAttemptAfterInterval(double seconds);
    void cancelSyncSchedulingTimer();
    void syncTimerFired();
    // With no current session, plans the next automatic sync: one interval
    // after the last session ended (at least a second from now), or in a
    // second when none has ended yet.
    void tryStartingASyncNowThatWeCan();
    bool hasScheduledSyncTimer() const { return static_cast<bool>(m_scheduledSyncTimer); }

    double timeToNextSyncRetry() const { return m_timeToNextSyncRetry; }
    // When the last automatic or manual session ended, in whatever final
    // state (so a failing server is asked again one interval later, not at
    // once); upload and template sessions leave it alone.
    const std::optional<Date>& dateOfLastSyncCompletion() const { return m_dateOfLastSyncCompletion; }
    void setDateOfLastSyncCompletion(std::optional<Date> date) { m_dateOfLastSyncCompletion = std::move(date); }
    // The last session that left the queue, kept so that the windows can
    // still say how it ended (a failure stays shown until the next session).
    const std::shared_ptr<VornickBlogServiceSyncSession>& lastEndedSyncSession() const { return m_lastEndedSyncSession; }
    // Whether that session failed (or was cancelled by its failures).
    bool lastEndedSyncSessionFailed() const;

protected:
    // A new Waiting session of the type, or null: the integrator's.
    virtual std::shared_ptr<VornickBlogServiceSyncSession> newSyncSessionOfType(VornickSyncSessionType);

private:
    bool queueSessionOfType(VornickSyncSessionType);
    void syncSessionDidEnd(const std::shared_ptr<VornickBlogServiceSyncSession>&);
    void postDidSwitchSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>& oldSyncSession);
    void logToSyncLog(std::u16string_view line) const;

    VornickBlogServiceIntegrator& m_integrator;
    std::vector<std::shared_ptr<VornickBlogServiceSyncSession>> m_syncSessionQueue;
    std::shared_ptr<VornickBlogServiceSyncSession> m_lastEndedSyncSession;
    double m_timeToNextSyncRetry { 60.0 };
    ScopedTimer m_scheduledSyncTimer;
    std::optional<Date> m_dateOfLastSyncCompletion;
    ObserverToken m_syncIntervalObserver;
    ObserverToken m_workingOfflineObserver;
    ObserverToken m_connectionStatusObserver;
};

} // namespace brevanton
