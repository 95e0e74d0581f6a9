// VornickBlogLoginUIController: the panel in which the user says where a
// WordPress account lives and how to log in (the kind of site, its address,
// the login and the password; under "Advanced Settings" the protocol, a
// request rate limit and a custom endpoint). It edits the account in place
// as the user types, marking the account's open project editor changed, and
// hands the login itself to its delegate (the first sync window, or the
// account's properties popover).
//
// A password goes only where it may travel (toolkit/VornickPasswordTransport):
// while the site's address or custom endpoint is plain http to another
// computer, the panel says so under the field and refuses to log in; a
// password the keychain refuses is shown as its error and starts nothing.
// After a session of the account's synchronizer ends, the login and password
// error labels show whether the site refused that login or password.
//
// Its view is built on first use under the interface name
// "BrevantonBlogLoginPanel". Made with std::make_shared; main thread only.
// The delegate is not held and must clear itself before it goes.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "ui/VornickCollapsibleContainerView.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class Button;
class PopUpButton;
class TextField;
class VornickBlogHostingAccount;
class VornickBlogLoginPanelView;
class VornickBlogLoginUIController;
class VornickBlogServiceSyncSession;
class VornickPublishedBlogSynchronizer;
class VornickSendActionOnEditSecureTextField;
class VornickSendActionOnEditTextField;
class VornickWordPressAccount;
class Window;

// Every operation is optional. The login is handed on only to a delegate
// that gives a window for authentication.
class VornickBlogLoginUIDelegate {
public:
    virtual ~VornickBlogLoginUIDelegate() = default;
    virtual void login(VornickBlogLoginUIController&) { }
    virtual std::shared_ptr<Window> windowForAuthenticationUI() { return nullptr; }
    virtual void didResizeHeightBy(VornickCollapsibleContainerView&, double /*heightChange*/) { }
};

class VornickBlogLoginUIController : public VornickCollapsibleContainerViewDelegate,
                                     public std::enable_shared_from_this<VornickBlogLoginUIController> {
public:
    // Posted with the controller as object when canAttemptLogin may have changed.
    static constexpr const char* CanAttemptLoginDidChangeNotification = "VornickBlogLoginUICanAttemptLoginDidChangeNotification";
    static constexpr int64_t MaxRequestCountLimit = 10000;
    static constexpr double MaxRequestTimeIntervalLimit = 86400;
    static constexpr const char16_t* RequestRateRangeMessage = u"Use 1 to 10,000 requests in 1 to 86,400 seconds.";
    static constexpr const char16_t* InvalidLoginIDMessage = u"The site does not know this user name.";
    static constexpr const char16_t* InvalidPasswordMessage = u"The site did not accept this password.";

    // Tags of the pop-ups' items.
    enum AccountTypeTag : long { HostedAccountTag = 0, SelfHostedAccountTag = 1 };
    enum ProtocolTag : long { XMLRPCProtocolTag = 0, RESTv1ProtocolTag = 1, RESTv2ProtocolTag = 2 };

    VornickBlogLoginUIController();
    ~VornickBlogLoginUIController() override;

    VornickBlogLoginUIController(const VornickBlogLoginUIController&) = delete;
    VornickBlogLoginUIController& operator=(const VornickBlogLoginUIController&) = delete;

    std::u16string interfaceName() const { return u"BrevantonBlogLoginPanel"; }
    // Built on first use: laid out, the advanced settings collapsed and
    // "https://" in the address field.
    const std::shared_ptr<VornickBlogLoginPanelView>& view();

    const std::shared_ptr<VornickBlogHostingAccount>& account() const { return m_account; }
    // Stores the account and refills the panel from it.
    void setAccount(std::shared_ptr<VornickBlogHostingAccount>);
    // The account when it is a WordPress account, else null.
    std::shared_ptr<VornickWordPressAccount> wordPressAccount() const;

    VornickBlogLoginUIDelegate* delegate() const { return m_delegate; }
    void setDelegate(VornickBlogLoginUIDelegate* delegate) { m_delegate = delegate; }

    // Whether the account has an address and a login, the password field
    // holds more than white space, and the address and custom endpoint may
    // carry a password.
    bool canAttemptLogin() const;
    // Whether the address or endpoint is one a password may not be sent to
    // (the panel shows why under the field).
    bool sendsPasswordInTheClear() const;

    void updateLoginPanelFromAccount();

    // Actions.
    void accountTypeChanged();
    void protocolChanged();
    void hostURLEdited();
    void limitRequestRateToggled();
    void maxRequestParameterEdited();
    void remoteEndpointURLEdited();
    void loginIDEdited();
    // The login field lost the keyboard: an empty password field takes the
    // account's stored password.
    void loginIDEditingEnded();
    void passwordEdited();
    // Stores the password and hands the login on, only when canAttemptLogin;
    // a password the keychain refuses shows its error and goes no further.
    void login();
    void loginToAdditionalBlog();
    void showHelpTopic();

    bool authenticateForAdditionalBlog() const { return m_authenticateForAdditionalBlog; }

    // The collapsible container's delegate: moves the views below it, grows
    // the panel and tells the delegate.
    bool shouldChangeStateTo(VornickCollapsibleContainerView&, bool collapsed) override;
    void didResizeHeightBy(VornickCollapsibleContainerView&, double heightChange) override;

    // Focus for the window that hosts the panel.
    void focusHostURLField();
    void focusPasswordField();

    // Outlets (null until the view is built).
    const std::shared_ptr<PopUpButton>& accountTypePopUpButton() const { return m_accountTypePopUpButton; }
    const std::shared_ptr<TextField>& accountRequirementsLabel() const { return m_accountRequirementsLabel; }
    const std::shared_ptr<VornickCollapsibleContainerView>& advancedSettingsContainer() const { return m_advancedSettingsContainer; }
    const std::shared_ptr<PopUpButton>& protocolPopUpButton() const { return m_protocolPopUpButton; }
    const std::shared_ptr<TextField>& hostURLLabel() const { return m_hostURLLabel; }
    const std::shared_ptr<VornickSendActionOnEditTextField>& hostURLField() const { return m_hostURLField; }
    const std::shared_ptr<TextField>& hostURLTransportLabel() const { return m_hostURLTransportLabel; }
    const std::shared_ptr<Button>& limitRequestRateCheckbox() const { return m_limitRequestRateCheckbox; }
    const std::shared_ptr<VornickSendActionOnEditTextField>& maxRequestCountField() const { return m_maxRequestCountField; }
    const std::shared_ptr<VornickSendActionOnEditTextField>& maxRequestTimeIntervalField() const { return m_maxRequestTimeIntervalField; }
    const std::shared_ptr<TextField>& requestRateRangeLabel() const { return m_requestRateRangeLabel; }
    const std::shared_ptr<TextField>& remoteEndpointLabel() const { return m_remoteEndpointLabel; }
    const std::shared_ptr<VornickSendActionOnEditTextField>& remoteEndpointField() const { return m_remoteEndpointField; }
    const std::shared_ptr<TextField>& remoteEndpointTransportLabel() const { return m_remoteEndpointTransportLabel; }
    const std::shared_ptr<VornickSendActionOnEditTextField>& loginIDField() const { return m_loginIDField; }
    const std::shared_ptr<TextField>& loginIDErrorLabel() const { return m_loginIDErrorLabel; }
    const std::shared_ptr<VornickSendActionOnEditSecureTextField>& passwordField() const { return m_passwordField; }
    const std::shared_ptr<TextField>& passwordErrorLabel() const { return m_passwordErrorLabel; }
    const std::shared_ptr<Button>& loginButton() const { return m_loginButton; }

private:
    void loadView();
    VornickPublishedBlogSynchronizer* synchronizer() const;
    void synchronizerDidSwitchSyncSession(const Notification&);
    // Under the fields, what the session's server refused (the user name, the password).
    void showRefusalsOfSession(const VornickBlogServiceSyncSession&);
    void updateAccountTypeControls();
    void updateProtocolControls();
    void updateRemoteEndpointControls();
    void updateRequestRateControls();
    void updateTransportLabels();
    void canAttemptLoginDidChange();
    // Marks the account's open project editor changed: its settings are
    // saved at login, or when it closes.
    void accountWasEdited();
    void showPasswordError(const std::u16string&);

    std::shared_ptr<VornickBlogLoginPanelView> m_view;
    std::shared_ptr<PopUpButton> m_accountTypePopUpButton;
    std::shared_ptr<TextField> m_accountRequirementsLabel;
    std::shared_ptr<VornickCollapsibleContainerView> m_advancedSettingsContainer;
    std::shared_ptr<PopUpButton> m_protocolPopUpButton;
    std::shared_ptr<TextField> m_hostURLLabel;
    std::shared_ptr<VornickSendActionOnEditTextField> m_hostURLField;
    std::shared_ptr<TextField> m_hostURLTransportLabel;
    std::shared_ptr<Button> m_limitRequestRateCheckbox;
    std::shared_ptr<VornickSendActionOnEditTextField> m_maxRequestCountField;
    std::shared_ptr<VornickSendActionOnEditTextField> m_maxRequestTimeIntervalField;
    std::shared_ptr<TextField> m_requestRateRangeLabel;
    std::shared_ptr<TextField> m_remoteEndpointLabel;
    std::shared_ptr<VornickSendActionOnEditTextField> m_remoteEndpointField;
    std::shared_ptr<TextField> m_remoteEndpointTransportLabel;
    std::shared_ptr<VornickSendActionOnEditTextField> m_loginIDField;
    std::shared_ptr<TextField> m_loginIDErrorLabel;
    std::shared_ptr<VornickSendActionOnEditSecureTextField> m_passwordField;
    std::shared_ptr<TextField> m_passwordErrorLabel;
    std::shared_ptr<Button> m_loginButton;
    std::shared_ptr<Button> m_helpButton;

    std::shared_ptr<VornickBlogHostingAccount> m_account;
    VornickBlogLoginUIDelegate* m_delegate { nullptr };
    bool m_authenticateForAdditionalBlog { false };
    bool m_lastCanAttemptLogin { false };
    ObserverToken m_switchObserver;
};

} // namespace brevanton
