// VornickFirstBlogSyncWindowController: the window shown for an account that
// has no blogs yet. It first asks for the login details, then shows the sync
// status over a wall of post titles rising as their listings arrive. After
// a failed or cancelled sync its completion button leads back to the login
// view ("Account Settings"); after a successful one it opens the blogs
// ("Open Blogs").
//
// The login view comes from a login interface the window is given. Without
// one the window starts the first sync at once with the account's stored
// login details, and "Account Settings" starts it again.
//
// Made with std::make_shared, then loadWindow(); main thread only.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "publishing/VornickSyncStatusUIController.h"
#include "ui/VornickCollapsibleContainerView.h"

#include <memory>
#include <string>

namespace brevanton {

class Button;
class LayerHostingView;
class VornickBlogHostingAccount;
class VornickPublishedBlogProject;
class VornickPublishedBlogSynchronizer;
class VornickTitleWall;
class View;
class Window;

// What the window asks of the account project's document (the project
// editor); the optional operations do nothing by default.
class VornickFirstBlogSyncDocument {
public:
    virtual ~VornickFirstBlogSyncDocument() = default;
    virtual std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const = 0;
    virtual std::u16string displayName() const { return {}; }
    virtual void openEditorsForBlogs() { }
    virtual void showSyncLog() { }
};

// The login details half of the window (the blog login interface).
class VornickFirstBlogSyncLoginInterface {
public:
    virtual ~VornickFirstBlogSyncLoginInterface() = default;
    virtual std::shared_ptr<View> view() = 0;
    virtual void setAccount(const std::shared_ptr<VornickBlogHostingAccount>&) = 0;
    virtual void focusHostAddressField() { }
    virtual void focusPasswordField() { }
};

class VornickFirstBlogSyncWindowController : public VornickSyncStatusUIDelegate,
                                             public VornickCollapsibleContainerViewDelegate,
                                             public std::enable_shared_from_this<VornickFirstBlogSyncWindowController> {
public:
    static constexpr const char* OpenBlogsAction = "openBlogsAndCloseFirstSyncWindow:";
    static constexpr const char* OpenAccountSettingsAction = "openAccountSettingsAfterSyncFailure:";
    static constexpr const char* ShowSyncLogAction = "showSyncLog:";
    static constexpr const char16_t* OpenBlogsTitle = u"Open Blogs";
    static constexpr const char16_t* AccountSettingsTitle = u"Account Settings";
    // How far the login panel sits above the centre.
    static constexpr double LoginPanelRaise = 50;

    // Makes the title wall; the window, once loaded, follows the switches of
    // the sessions of every synchronizer (its own are told apart).
    explicit VornickFirstBlogSyncWindowController(std::weak_ptr<VornickFirstBlogSyncDocument>,
                                                  std::shared_ptr<VornickFirstBlogSyncLoginInterface> = nullptr);
    ~VornickFirstBlogSyncWindowController() override;

    VornickFirstBlogSyncWindowController(const VornickFirstBlogSyncWindowController&) = delete;
    VornickFirstBlogSyncWindowController& operator=(const VornickFirstBlogSyncWindowController&) = delete;

    // Builds the window and runs windowDidLoad.
    const std::shared_ptr<Window>& loadWindow();
    const std::shared_ptr<Window>& window() const { return m_window; }
    void windowDidLoad();

    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const;
    std::shared_ptr<VornickBlogHostingAccount> account() const;
    VornickPublishedBlogSynchronizer* synchronizer() const;
    // The account's name for window titles, else the name of the folder
    // holding the project file, else the document's name.
    std::u16string windowTitleForDocumentDisplayName(const std::u16string& displayName) const;

    void clearTitleWall();
    void addPostTitleToTitleWall(const std::u16string& title);
    const std::shared_ptr<VornickTitleWall>& titleWall() const { return m_titleWall; }

    void showLoginUI();
    void showSyncStatusUI();
    bool isShowingSyncStatusUI() const;
    void installCenteredSubview(const std::shared_ptr<View>&);
    void installCenteredSubview(const std::shared_ptr<View>&, const std::shared_ptr<View>& replacing);

    // The login interface's operations.
    void login();
    std::shared_ptr<Window> windowForAuthenticationUI() const { return m_window; }

    // The status interface's.
    void syncFailed() override;
    void syncCancelled() override;
    void syncCompleted() override { }

    // Actions.
    void showSyncLog();
    void openBlogsAndCloseFirstSyncWindow();
    void openAccountSettingsAfterSyncFailure();
    void configureSyncCompletionButtonToReturnToAccountSettings();

    // The login interface's advanced settings grew or shrank.
    void didResizeHeightBy(VornickCollapsibleContainerView&, double heightChange) override;

    const std::shared_ptr<VornickSyncStatusUIController>& syncStatusUIController() const { return m_syncStatusUIController; }
    // The login half; null when the stored details sign in.
    const std::shared_ptr<VornickFirstBlogSyncLoginInterface>& loginInterface() const { return m_loginUIController; }
    const std::shared_ptr<View>& panelView() const { return m_panelView; }
    const std::shared_ptr<LayerHostingView>& backgroundView() const { return m_backgroundView; }

private:
    void synchronizerDidSwitchSyncSession(const Notification&);
    void setCompletionButton(const char16_t* title, const char* action);

    std::weak_ptr<VornickFirstBlogSyncDocument> m_document;
    std::shared_ptr<VornickFirstBlogSyncLoginInterface> m_loginUIController;
    std::shared_ptr<VornickSyncStatusUIController> m_syncStatusUIController;
    std::shared_ptr<VornickTitleWall> m_titleWall;
    std::shared_ptr<Window> m_window;
    std::shared_ptr<View> m_panelView;
    std::shared_ptr<LayerHostingView> m_backgroundView;
    ObserverToken m_switchObserver;
};

} // namespace brevanton
