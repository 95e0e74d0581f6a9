// VornickBlogHostingAccountPropertiesUIController: the popover of a blog's
// hosting account ("BrevantonBlogHostingAccountPropertiesUI", built in
// code). While the account's synchronizer runs a session it shows the sync
// status, and after a session that failed the failure and what to do, with
// "Account Settings" leading on; otherwise the login details, whose "Log In"
// starts a manual sync. It switches as the synchronizer starts and ends
// sessions. The login
// details are the blog login panel, filled from the account; its login
// starts the manual sync, and the popover grows and shrinks with its
// advanced settings.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Popover.h"
#include "publishing/VornickBlogLoginUIController.h"
#include "publishing/VornickSyncStatusUIController.h"

#include <memory>
#include <optional>

namespace brevanton {

class View;
class VornickBlogHostingAccount;
class VornickPublishedBlogSynchronizer;

class VornickBlogHostingAccountPropertiesUIController final
    : public VornickSyncStatusUIDelegate,
      public VornickBlogLoginUIDelegate,
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
    const std::shared_ptr<VornickBlogLoginUIController>& loginUIController() const { return m_loginUIController; }
    const std::shared_ptr<View>& loginView() const { return m_loginView; }
    bool showsSyncStatus() const { return m_popover->contentView() == m_syncStatusUIController->view(); }

    // The sync status while a session runs, else the login details; below the
    // rectangle of the view (its bounds when none is given).
    void showForAccount(std::shared_ptr<VornickBlogHostingAccount>, const std::shared_ptr<View>& emergingFromView,
                        std::optional<Rect> rectInView = std::nullopt);
    void showLoginUI();
    // The account's sync log, shown by its project's document.
    void showSyncLog();
    void showSyncStatusUI();
    // Starts a manual sync with the account's details.
    void login();
    // The login panel grew or shrank by `heightChange`.
    void collapsibleContainerViewDidResizeHeightBy(double heightChange);

    // The login panel's delegate.
    void login(VornickBlogLoginUIController&) override { login(); }
    // The window the popover stands over, else the popover's own.
    std::shared_ptr<Window> windowForAuthenticationUI() override;
    void didResizeHeightBy(VornickCollapsibleContainerView&, double heightChange) override
    {
        collapsibleContainerViewDidResizeHeightBy(heightChange);
    }

private:
    VornickBlogHostingAccountPropertiesUIController() = default;
    void build();
    void switchPopoverToContentView(const std::shared_ptr<View>&);
    void synchronizerDidSwitchSyncSession(const Notification&);
    void showSyncStatusOrLogin();

    std::shared_ptr<VornickBlogHostingAccount> m_account;
    std::shared_ptr<Popover> m_popover;
    std::shared_ptr<VornickSyncStatusUIController> m_syncStatusUIController;
    std::shared_ptr<VornickBlogLoginUIController> m_loginUIController;
    std::shared_ptr<View> m_loginView;
    ObserverToken m_sessionObservation;
};

} // namespace brevanton
