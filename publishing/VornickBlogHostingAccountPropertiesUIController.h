// VornickBlogHostingAccountPropertiesUIController: the popover of a blog's
// hosting account ("BrevantonBlogHostingAccountPropertiesUI", built in
// code). While the account's synchronizer runs a session it shows the sync
// status; otherwise the login details, whose "Log In" starts a manual sync.
// It switches as the synchronizer starts and ends sessions. The login
// details come from a login interface the controller is given; without one
// it shows the account's name and "Log In" alone.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Popover.h"
#include "publishing/VornickSyncStatusUIController.h"

#include <memory>

namespace brevanton {

class Button;
class TextField;
class View;
class VornickBlogHostingAccount;
class VornickFirstBlogSyncLoginInterface;
class VornickPublishedBlogSynchronizer;

class VornickBlogHostingAccountPropertiesUIController final
    : public VornickSyncStatusUIDelegate,
      public std::enable_shared_from_this<VornickBlogHostingAccountPropertiesUIController> {
public:
    static constexpr const char16_t* nibName = u"BrevantonBlogHostingAccountPropertiesUI";
    static constexpr const char16_t* accountSettingsTitle = u"Account Settings";

    static std::shared_ptr<VornickBlogHostingAccountPropertiesUIController> create();
    ~VornickBlogHostingAccountPropertiesUIController() override;

    const std::shared_ptr<Popover>& popover() const { return m_popover; }
    const std::shared_ptr<VornickBlogHostingAccount>& account() const { return m_account; }
    void setAccount(std::shared_ptr<VornickBlogHostingAccount>);
    // The synchronizer of the account's project when it is a published blog project.
    VornickPublishedBlogSynchronizer* synchronizer() const;
    const std::shared_ptr<VornickSyncStatusUIController>& syncStatusUIController() const { return m_syncStatusUIController; }
    // The login panel's interface (the login controller); none: the stand-in view.
    void setLoginInterface(std::shared_ptr<VornickFirstBlogSyncLoginInterface>);
    const std::shared_ptr<View>& loginView() const { return m_loginView; }
    bool showsSyncStatus() const { return m_popover->contentView() == m_syncStatusUIController->view(); }

    // The sync status while a session runs, else the login details; below the view.
    void showForAccount(std::shared_ptr<VornickBlogHostingAccount>, const std::shared_ptr<View>& emergingFromView);
    void showLoginUI();
    // The account's sync log, shown by its project's document.
    void showSyncLog();
    void showSyncStatusUI();
    // Starts a manual sync with the account's details.
    void login();
    // The login panel grew or shrank by `heightChange`.
    void collapsibleContainerViewDidResizeHeightBy(double heightChange);

private:
    VornickBlogHostingAccountPropertiesUIController() = default;
    void build();
    void switchPopoverToContentView(const std::shared_ptr<View>&);
    void synchronizerDidSwitchSyncSession(const Notification&);
    void updateStandInLoginView();

    std::shared_ptr<VornickBlogHostingAccount> m_account;
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<VornickSyncStatusUIController> m_syncStatusUIController;
    std::shared_ptr<VornickFirstBlogSyncLoginInterface> m_loginInterface;
    std::shared_ptr<View> m_loginView;
    std::shared_ptr<View> m_standInLoginView;
    std::shared_ptr<TextField> m_accountLabel;
    ObserverToken m_sessionObservation;
};

} // namespace brevanton
