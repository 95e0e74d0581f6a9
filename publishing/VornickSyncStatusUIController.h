// VornickSyncStatusUIController: shows the current sync session of an
// account's synchronizer as it runs: the session's own line, an outline of
// its steps (rows inserted as steps are added, without reloading the rest),
// and a cancel, a completion and a log button. It follows the synchronizer
// as it switches sessions, keeping the last session shown in between, and
// changes nothing but by asking the synchronizer to cancel.
//
// Its view is built on first use under the interface name
// "BrevantonSyncStatusUI". Made with std::make_shared; main thread only. The
// delegate is not held and must clear itself (setDelegate(nullptr)) before it
// goes; every observation ends with the controller.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/OutlineView.h"

#include <map>
#include <memory>
#include <string>

namespace brevanton {

class Button;
class TextField;
class VornickBlogHostingAccount;
class VornickBlogServiceSyncSession;
class VornickPublishedBlogSynchronizer;
class VornickSyncStepContainer;
class VornickSyncStepStatusTableCellView;

class VornickSyncStatusUIDelegate {
public:
    virtual ~VornickSyncStatusUIDelegate() = default;
    virtual void syncFailed() { }
    virtual void syncCancelled() { }
    virtual void syncCompleted() { }
};

class VornickSyncStatusUIController : public OutlineViewDataSource,
                                      public OutlineViewDelegate,
                                      public std::enable_shared_from_this<VornickSyncStatusUIController> {
public:
    static constexpr const char* CancelSyncAction = "cancelSync:";
    static constexpr const char16_t* StepsColumnIdentifier = u"step";

    VornickSyncStatusUIController();
    ~VornickSyncStatusUIController() override;

    VornickSyncStatusUIController(const VornickSyncStatusUIController&) = delete;
    VornickSyncStatusUIController& operator=(const VornickSyncStatusUIController&) = delete;

    virtual std::u16string interfaceName() const { return u"BrevantonSyncStatusUI"; }
    // Built on first use.
    const std::shared_ptr<View>& view();
    bool isViewLoaded() const { return m_view != nullptr; }

    const std::shared_ptr<VornickBlogHostingAccount>& account() const { return m_account; }
    // Another account: stops following the old synchronizer and its
    // session, shows the new synchronizer's current session and follows both.
    void setAccount(std::shared_ptr<VornickBlogHostingAccount>);
    // The account's project's synchronizer when it is a published blog
    // project; null otherwise.
    VornickPublishedBlogSynchronizer* synchronizer() const;
    const std::shared_ptr<VornickBlogServiceSyncSession>& displayedSyncSession() const { return m_displayedSyncSession; }

    // Asks the synchronizer to cancel the running session.
    void cancelSync();

    virtual void syncStepStatusDidChange(const Notification&);
    void updateForSyncSessionStateChange(const Notification&);
    // Shows a session that has left the synchronizer's queue as it ended:
    // a failed one with its failed step's message and what to do.
    void showEndedSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&);
    void synchronizerSwitchedSyncSession(const Notification&);
    void buildUIFromSession();
    void startObservingSynchronizer();
    void stopObservingSynchronizer();
    void startObservingSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&);
    void stopObservingSyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&);
    void recursiveAddStepsObservers(const std::shared_ptr<VornickSyncStepContainer>&);
    void removeAllStepsObservers();
    // The containers whose new steps are followed.
    size_t observedStepsCount() const { return m_observedSteps.size(); }

    // Outline contents: the session's steps at the top, a step's steps below it.
    long numberOfChildrenOfItem(OutlineView&, const OutlineItem&) override;
    OutlineItem child(OutlineView&, long index, const OutlineItem&) override;
    bool isItemExpandable(OutlineView&, const OutlineItem&) override;
    std::shared_ptr<View> viewForTableColumn(OutlineView&, const std::u16string& columnIdentifier, const OutlineItem&) override;

    // Outlets (null until the view is built).
    const std::shared_ptr<VornickSyncStepStatusTableCellView>& syncSessionStatusView() const { return m_syncSessionStatusView; }
    const std::shared_ptr<OutlineView>& stepsOutlineView() const { return m_stepsOutlineView; }
    const std::shared_ptr<Button>& cancelButton() const { return m_cancelButton; }
    const std::shared_ptr<Button>& syncCompletionButton() const { return m_syncCompletionButton; }
    const std::shared_ptr<Button>& syncLogButton() const { return m_syncLogButton; }
    // After a failure, what the user can do about it.
    const std::shared_ptr<TextField>& failureAdviceTextField() const { return m_failureAdviceTextField; }

    VornickSyncStatusUIDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickSyncStatusUIDelegate* delegate) { m_delegate = delegate; }

protected:
    // Builds the view and sets the outlets it has.
    virtual std::shared_ptr<View> loadView();
    void setSyncSessionStatusView(std::shared_ptr<VornickSyncStepStatusTableCellView> view) { m_syncSessionStatusView = std::move(view); }
    // Shows the session (or shows nothing new for null).
    virtual void displaySyncSession(const std::shared_ptr<VornickBlogServiceSyncSession>&);
    std::shared_ptr<VornickBlogServiceSyncSession> currentSyncSession() const;

private:
    void stepsWereInserted(const std::shared_ptr<VornickSyncStepContainer>&, long index);
    void replaceFailedStepMessage();
    void showFailureAdvice(const std::u16string&);
    // The session's line, buttons and delegate for the state the notification carries.
    void showSessionState(const Notification&, bool tellDelegate);
    void showButtonsForRunningSession(bool running);

    std::shared_ptr<View> m_view;
    std::shared_ptr<VornickSyncStepStatusTableCellView> m_syncSessionStatusView;
    std::shared_ptr<OutlineView> m_stepsOutlineView;
    std::shared_ptr<Button> m_cancelButton;
    std::shared_ptr<Button> m_syncCompletionButton;
    std::shared_ptr<Button> m_syncLogButton;
    std::shared_ptr<TextField> m_failureAdviceTextField;

    std::shared_ptr<VornickBlogHostingAccount> m_account;
    // The synchronizer followed (compared only; its project keeps it).
    const VornickPublishedBlogSynchronizer* m_observedSynchronizer { nullptr };
    std::shared_ptr<VornickBlogServiceSyncSession> m_displayedSyncSession;
    VornickSyncStatusUIDelegate* m_delegate { nullptr };

    ObserverToken m_synchronizerObserver;
    ObserverToken m_stepStatusObserver;
    std::map<const VornickSyncStepContainer*, ObserverToken> m_observedSteps;
};

} // namespace brevanton
