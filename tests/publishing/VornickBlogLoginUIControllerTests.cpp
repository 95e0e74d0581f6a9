// The login panel edits a WordPress account as the user types and logs in
// only when the password may travel to the site and the keychain took it.
#include "publishing/VornickBlogLoginUIController.h"

#include "tests/publishing/ProjectEditorTestPeer.h"
#include "tests/views/HelpPagesOpened.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickSyncStep.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/Sound.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogLoginPanelView.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickPasswordTransport.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "ui/VornickUITheme.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <functional>

using namespace brevanton;

namespace {

constexpr char16_t Password[] = u"abcd efgh ijkl";

struct RecordingLoginDelegate : VornickBlogLoginUIDelegate {
    std::shared_ptr<Window> window;
    int logins { 0 };
    std::vector<double> resizes;
    void login(VornickBlogLoginUIController&) override { ++logins; }
    std::shared_ptr<Window> windowForAuthenticationUI() override { return window; }
    void didResizeHeightBy(VornickCollapsibleContainerView&, double change) override { resizes.push_back(change); }
};

class VornickBlogLoginUIControllerTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(folder + "/Keychain.json"));
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(project) << error;
        account = project->wordPressAccount();
        controller = std::make_shared<VornickBlogLoginUIController>();
        controller->setAccount(account);
        delegate.window = window;
        controller->setDelegate(&delegate);
        window->contentView()->addSubview(controller->view());
        window->makeKeyAndOrderFront();
        Sound::clearPlayedSounds();
    }
    void TearDown() override
    {
        controller->setDelegate(nullptr);
        Application::shared().resetForTesting();
        KeychainStore::setDefaultStore(nullptr);
    }

    void edit(const std::shared_ptr<VornickSendActionOnEditTextField>& field, std::u16string text) { field->editTextAsUser(std::move(text)); }
    // Fills in a self-hosted site the password may go to.
    void fillIn(std::u16string address = u"https://blog.example.org")
    {
        edit(controller->hostURLField(), std::move(address));
        edit(controller->loginIDField(), u"editor");
        controller->passwordField()->editTextAsUser(Password);
    }
    std::u16string text(const std::shared_ptr<TextField>& field) const { return field->attributedStringValue().string(); }
    bool shows(const std::shared_ptr<TextField>& label) const { return !label->isHidden() && label->alphaValue() > 0; }

    std::string folder = createTemporaryDirectory("login-panel").value();
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<VornickWordPressAccount> account;
    std::shared_ptr<VornickBlogLoginUIController> controller;
    std::shared_ptr<Window> window = Window::create(Rect(0, 0, 720, 520));
    RecordingLoginDelegate delegate;
    EventSynthesizer events;
};

} // namespace

TEST_F(VornickBlogLoginUIControllerTests, AddressesAreTrimmedAndTakenAsHTTPSWithoutAScheme)
{
    EXPECT_EQ(controller->view()->identifier(), u"BrevantonBlogLoginPanel");
    EXPECT_EQ(text(controller->hostURLField()), u"https://");
    EXPECT_EQ(controller->accountTypePopUpButton()->selectedItem()->tag(), VornickBlogLoginUIController::SelfHostedAccountTag);

    // Taking the keyboard, the address field puts the insertion point after "https://".
    ASSERT_TRUE(window->makeFirstResponder(controller->hostURLField()));
    events.typeText(window, u"site.example");
    EXPECT_EQ(account->rootURLString(), u"https://site.example");

    edit(controller->hostURLField(), u"  blog.example.org/ \n");
    EXPECT_EQ(account->rootURLString(), u"https://blog.example.org/");
    edit(controller->hostURLField(), u"\thttp://127.0.0.1:8080/ ");
    EXPECT_EQ(account->rootURLString(), u"http://127.0.0.1:8080/") << "a scheme given is kept";
    edit(controller->hostURLField(), u"  ");
    EXPECT_EQ(account->rootURLString(), u"") << "no address is not \"https://\"";
}

TEST_F(VornickBlogLoginUIControllerTests, ProtocolAndAccountTypeRefreshTheEndpointAndRequirements)
{
    // A new account speaks REST wp/v2 with an application password.
    EXPECT_EQ(controller->protocolPopUpButton()->selectedItem()->tag(), VornickBlogLoginUIController::RESTv2ProtocolTag);
    EXPECT_EQ(text(controller->accountRequirementsLabel()), u"Will use an application password (Basic authentication)");
    EXPECT_FALSE(controller->remoteEndpointField()->isEnabled());

    edit(controller->hostURLField(), u"https://blog.example.org");
    controller->protocolPopUpButton()->chooseItemAtIndex(VornickBlogLoginUIController::XMLRPCProtocolTag);
    EXPECT_EQ(account->useXMLRPC(), true);
    EXPECT_EQ(text(controller->accountRequirementsLabel()), u"Will use password authentication");
    EXPECT_TRUE(controller->remoteEndpointField()->isEnabled());
    EXPECT_EQ(controller->remoteEndpointField()->placeholderString(), u"https://blog.example.org/xmlrpc.php");
    edit(controller->remoteEndpointField(), u" https://blog.example.org/api/xmlrpc.php ");
    EXPECT_EQ(account->remoteEndpointURLString(), u"https://blog.example.org/api/xmlrpc.php");

    // REST after a custom endpoint: the endpoint goes and its field is off.
    controller->protocolPopUpButton()->chooseItemAtIndex(VornickBlogLoginUIController::RESTv2ProtocolTag);
    EXPECT_EQ(account->useXMLRPC(), false);
    EXPECT_EQ(account->restAPIVersion(), 2);
    EXPECT_EQ(account->remoteEndpointURLString(), std::nullopt);
    EXPECT_EQ(text(controller->remoteEndpointField()), u"");
    EXPECT_FALSE(controller->remoteEndpointField()->isEnabled());
    controller->protocolPopUpButton()->chooseItemAtIndex(VornickBlogLoginUIController::RESTv1ProtocolTag);
    EXPECT_EQ(account->restAPIVersion(), 1);

    // The hosted service: its address, the field off, the login field next.
    controller->accountTypePopUpButton()->chooseItemAtIndex(VornickBlogLoginUIController::HostedAccountTag);
    EXPECT_EQ(account->rootURLString(), u"https://wordpress.com");
    EXPECT_FALSE(controller->hostURLField()->isEnabled());
    EXPECT_EQ(text(controller->accountRequirementsLabel()), u"Will use OAuth2 authentication with wordpress.com");
    EXPECT_EQ(window->firstResponder(), controller->loginIDField());
    controller->accountTypePopUpButton()->chooseItemAtIndex(VornickBlogLoginUIController::SelfHostedAccountTag);
    EXPECT_EQ(account->rootURLString(), u"");
    EXPECT_EQ(text(controller->hostURLField()), u"https://");
    EXPECT_TRUE(controller->hostURLField()->isEnabled());
    EXPECT_EQ(window->firstResponder(), controller->hostURLField());
}

TEST_F(VornickBlogLoginUIControllerTests, RateLimitsTakeOnlySensibleValues)
{
    controller->advancedSettingsContainer()->setCollapsed(false);
    EXPECT_FALSE(controller->maxRequestCountField()->isEnabled());
    ASSERT_TRUE(controller->limitRequestRateCheckbox()->performClick());
    EXPECT_EQ(account->maxRequestCount(), 10);
    EXPECT_EQ(account->maxRequestTimeInterval(), 60.0);
    EXPECT_EQ(text(controller->maxRequestCountField()), u"10");
    EXPECT_EQ(text(controller->maxRequestTimeIntervalField()), u"60");
    EXPECT_TRUE(controller->maxRequestCountField()->isEnabled());

    struct Case {
        const char16_t* count;
        const char16_t* interval;
        int64_t storedCount;
        double storedInterval;
        bool accepted;
    };
    for (const Case& c : std::initializer_list<Case> {
             { u"10000", u"86400", 10000, 86400, true },
             { u"1", u"1", 1, 1, true },
             { u"0", u"1.5", 1, 1.5, false },
             { u"10001", u"0.5", 1, 1.5, false },
             { u"-3", u"86401", 1, 1.5, false },
             { u"12abc", u"nan", 1, 1.5, false },
             { u" 25 ", u"90", 25, 90, true },
         }) {
        edit(controller->maxRequestCountField(), c.count);
        edit(controller->maxRequestTimeIntervalField(), c.interval);
        EXPECT_EQ(account->maxRequestCount(), c.storedCount) << toUTF8(c.count);
        EXPECT_EQ(account->maxRequestTimeInterval(), c.storedInterval) << toUTF8(c.interval);
        EXPECT_EQ(shows(controller->requestRateRangeLabel()), !c.accepted) << toUTF8(c.count) << " " << toUTF8(c.interval);
    }

    ASSERT_TRUE(controller->limitRequestRateCheckbox()->performClick());
    EXPECT_EQ(account->maxRequestCount(), std::nullopt);
    EXPECT_EQ(account->maxRequestTimeInterval(), std::nullopt);
    EXPECT_EQ(text(controller->maxRequestCountField()), u"");
    EXPECT_EQ(text(controller->maxRequestTimeIntervalField()), u"");
    EXPECT_FALSE(controller->maxRequestTimeIntervalField()->isEnabled());
}

TEST_F(VornickBlogLoginUIControllerTests, APasswordGoesOnlyOverHTTPSOrToThisComputer)
{
    fillIn(u"http://example.org");
    EXPECT_FALSE(controller->canAttemptLogin());
    EXPECT_TRUE(controller->sendsPasswordInTheClear());
    EXPECT_TRUE(shows(controller->hostURLTransportLabel()));
    EXPECT_EQ(text(controller->hostURLTransportLabel()),
              u"Passwords are sent only over https, or over http to this computer. Use the site's https address.");
    EXPECT_FALSE(controller->loginButton()->isEnabled());
    // Asked anyway (a stray Return, the button's key): nothing is stored or started.
    controller->login();
    EXPECT_EQ(delegate.logins, 0);
    EXPECT_EQ(account->password(), std::nullopt);
    EXPECT_EQ(Sound::playedSoundNames().size(), 1u);

    for (const char16_t* address : { u"https://example.org", u"http://127.0.0.1:8080", u"http://127.3.0.1", u"http://localhost/", u"http://[::1]:80/" }) {
        edit(controller->hostURLField(), address);
        EXPECT_TRUE(controller->canAttemptLogin()) << toUTF8(address);
        EXPECT_FALSE(shows(controller->hostURLTransportLabel())) << toUTF8(address);
    }
    edit(controller->hostURLField(), u"https://");
    EXPECT_FALSE(controller->canAttemptLogin()) << "no host yet";
    EXPECT_FALSE(shows(controller->hostURLTransportLabel())) << "not while the address is being typed";

    // A custom endpoint in the clear refuses as well.
    edit(controller->hostURLField(), u"https://blog.example.org");
    controller->protocolPopUpButton()->chooseItemAtIndex(VornickBlogLoginUIController::XMLRPCProtocolTag);
    controller->advancedSettingsContainer()->setCollapsed(false);
    edit(controller->remoteEndpointField(), u"http://blog.example.org/xmlrpc.php");
    EXPECT_FALSE(controller->canAttemptLogin());
    EXPECT_TRUE(shows(controller->remoteEndpointTransportLabel()));
    EXPECT_FALSE(shows(controller->hostURLTransportLabel()));
    edit(controller->remoteEndpointField(), u"blog.example.org/xmlrpc.php");
    EXPECT_TRUE(controller->canAttemptLogin()) << "the clients send to an endpoint without a scheme over https";
    EXPECT_FALSE(shows(controller->remoteEndpointTransportLabel()));

}

TEST_F(VornickBlogLoginUIControllerTests, ReturnInThePasswordFieldStoresThePasswordAndHandsTheLoginOn)
{
    int changes = 0;
    auto observation = NotificationCenter::defaultCenter().addObserver(VornickBlogLoginUIController::CanAttemptLoginDidChangeNotification,
                                                                       controller.get(), nullptr, [&](const Notification&) { ++changes; });
    ::testing::internal::CaptureStderr();
    edit(controller->hostURLField(), u"https://blog.example.org");
    edit(controller->loginIDField(), u" editor ");
    EXPECT_EQ(account->loginID(), u"editor");
    ASSERT_TRUE(window->makeFirstResponder(controller->passwordField()));
    events.typeText(window, u"   ");
    EXPECT_FALSE(controller->canAttemptLogin()) << "spaces are no password";
    events.pressKey(window, u'\r');
    EXPECT_EQ(delegate.logins, 0);
    controller->passwordField()->setTextString({});
    events.typeText(window, Password);
    EXPECT_TRUE(controller->canAttemptLogin());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(delegate.logins, 0) << "typing alone logs nobody in";
    events.pressKey(window, u'\r');
    EXPECT_EQ(delegate.logins, 1);
    EXPECT_EQ(account->password(), Password);
    // The address and login typed are in the project file for the next launch.
    Error error;
    auto reopened = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(reopened) << error;
    EXPECT_EQ(reopened->wordPressAccount()->rootURLString(), u"https://blog.example.org");
    EXPECT_EQ(reopened->wordPressAccount()->loginID(), u"editor");
    EXPECT_EQ(reopened->wordPressAccount()->password(), Password);

    // The panel as drawn holds the password nowhere.
    GraphicsContext context;
    controller->view()->display(context);
    for (const auto& command : context.commands())
        EXPECT_EQ(command.text.find(u"efgh"), std::u16string::npos);
    EXPECT_EQ(::testing::internal::GetCapturedStderr().find("efgh"), std::string::npos) << "no console line holds it";

    // Without a window for the authentication there is nobody to hand it to.
    delegate.window = nullptr;
    controller->login();
    EXPECT_EQ(delegate.logins, 1);
}

TEST_F(VornickBlogLoginUIControllerTests, AKeychainFailureIsShownAndStartsNothing)
{
    fillIn();
    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>("/dev/null/Keychain.json"));
    controller->login();
    EXPECT_EQ(delegate.logins, 0);
    EXPECT_TRUE(shows(controller->passwordErrorLabel()));
    EXPECT_NE(text(controller->passwordErrorLabel()), VornickBlogLoginUIController::InvalidPasswordMessage);
    EXPECT_FALSE(text(controller->passwordErrorLabel()).empty());
    EXPECT_EQ(text(controller->passwordErrorLabel()).find(u"efgh"), std::u16string::npos);

    KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(folder + "/Keychain.json"));
    controller->login();
    EXPECT_EQ(delegate.logins, 1);
    EXPECT_FALSE(shows(controller->passwordErrorLabel()));
}

TEST_F(VornickBlogLoginUIControllerTests, TheEndedSessionsFailureShowsTheLoginOrPasswordLabel)
{
    fillIn();
    auto post = [&](const void* object, int64_t code) {
        auto session = std::make_shared<VornickBlogServiceSyncSession>(VornickSyncSessionType::ExhaustiveManual);
        auto step = std::make_shared<VornickSyncStep>(u"getBlogs", u"Get Blogs");
        step->setError(Error("XMLRPCErrorDomain", code, u"refused"));
        session->addStep(step);
        Notification notification;
        notification.name = VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification;
        notification.object = object;
        notification.userObjects["oldSyncSession"] = session;
        NotificationCenter::defaultCenter().post(notification);
    };
    post(&project->synchronizer(), 49);
    EXPECT_TRUE(shows(controller->passwordErrorLabel()));
    EXPECT_EQ(text(controller->passwordErrorLabel()), VornickBlogLoginUIController::InvalidPasswordMessage);
    EXPECT_FALSE(shows(controller->loginIDErrorLabel()));
    // Shown again for the same account (the failed sync's "Account
    // Settings"), the panel still says it; another account starts clean.
    controller->setAccount(account);
    EXPECT_TRUE(shows(controller->passwordErrorLabel()));
    EXPECT_FALSE(shows(controller->loginIDErrorLabel()));
    post(&project->synchronizer(), 48);
    EXPECT_TRUE(shows(controller->loginIDErrorLabel()));
    EXPECT_FALSE(shows(controller->passwordErrorLabel()));
    int other = 0;
    post(&other, 49);
    EXPECT_FALSE(shows(controller->passwordErrorLabel())) << "another account's session";
    post(&project->synchronizer(), 0);
    EXPECT_FALSE(shows(controller->loginIDErrorLabel()));
}

TEST_F(VornickBlogLoginUIControllerTests, TheLoginFieldEndingFillsAnEmptyPasswordFromTheKeychain)
{
    account->setRootURLString(u"https://blog.example.org");
    account->setLoginID(u"editor");
    Error error;
    ASSERT_TRUE(account->setPassword(Password, &error)) << error;
    controller->setAccount(account);
    EXPECT_EQ(controller->passwordField()->stringValue(), Password) << "refilled from the account";
    controller->passwordField()->setTextString({});
    ASSERT_TRUE(window->makeFirstResponder(controller->loginIDField()));
    ASSERT_TRUE(window->makeFirstResponder(controller->passwordField()));
    EXPECT_EQ(controller->passwordField()->stringValue(), Password);
    EXPECT_TRUE(controller->canAttemptLogin());
}

TEST_F(VornickBlogLoginUIControllerTests, OpeningTheAdvancedSettingsMovesWhatIsBelowAndGrowsThePanel)
{
    auto& container = controller->advancedSettingsContainer();
    ASSERT_TRUE(container->isCollapsed());
    Rect panel = controller->view()->frame();
    Rect button = controller->loginButton()->frame();
    Rect password = controller->passwordField()->frame();
    ASSERT_TRUE(container->disclosureButton()->performClick());
    ASSERT_FALSE(container->isCollapsed());
    double change = container->expandedHeight() - container->collapsedHeight();
    EXPECT_EQ(delegate.resizes, std::vector<double>({ change }));
    EXPECT_EQ(controller->view()->frame().height(), panel.height() + change);
    EXPECT_EQ(controller->loginButton()->frame().minY(), button.minY() + change);
    EXPECT_EQ(controller->passwordField()->frame(), password) << "what is above stays";
    EXPECT_GE(controller->loginButton()->frame().minY(), container->frame().maxY());
    ASSERT_TRUE(container->disclosureButton()->performClick());
    EXPECT_EQ(controller->view()->frame(), panel);
}

TEST_F(VornickBlogLoginUIControllerTests, ThePanelIsARoundedCardInTheThemesColourAndHelpOpensItsTopic)
{
    GraphicsContext context;
    controller->view()->display(context);
    auto commands = context.commandsOfView(controller->view().get());
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.front().kind, DrawCommand::Kind::FillRoundedRect);
    EXPECT_EQ(commands.front().cornerRadius, 8);
    EXPECT_EQ(commands.front().rect, controller->view()->bounds());
    EXPECT_EQ(commands.front().color, *VornickUITheme::currentTheme().blogLoginPanelBackgroundColor());

    brevanton::testing::HelpPagesOpened opened;
    controller->showHelpTopic();
    EXPECT_EQ(opened.paths(), opened.onlyPageOf(u"connecting-to-wordpress"));
}

TEST_F(VornickBlogLoginUIControllerTests, EditsMarkTheOpenProjectChangedAndLoginOrClosingSavesThem)
{
    auto editor = VornickProjectEditorTestPeer::openEditorForProject(project);
    int changes = 0;
    auto observation = NotificationCenter::defaultCenter().addObserver(VornickProjectEditor::DidChangeNotification, editor.get(), nullptr,
                                                                       [&](const Notification&) { ++changes; });
    controller->advancedSettingsContainer()->setCollapsed(false);
    struct Case {
        const char* name;
        std::function<void()> edit;
    };
    const Case cases[] = {
        { "address", [&] { edit(controller->hostURLField(), u"https://blog.example.org"); } },
        { "login", [&] { edit(controller->loginIDField(), u"editor"); } },
        { "protocol", [&] { controller->protocolPopUpButton()->chooseItemAtIndex(VornickBlogLoginUIController::XMLRPCProtocolTag); } },
        { "endpoint", [&] { edit(controller->remoteEndpointField(), u"https://blog.example.org/rpc.php"); } },
        { "rate limit", [&] { ASSERT_TRUE(controller->limitRequestRateCheckbox()->performClick()); } },
        { "request count", [&] { edit(controller->maxRequestCountField(), u"20"); } },
    };
    int expected = 0;
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        test.edit();
        EXPECT_EQ(changes, ++expected);
        EXPECT_TRUE(editor->isDocumentEdited());
    }
    // A count out of range is not taken, and changes nothing.
    edit(controller->maxRequestCountField(), u"0");
    EXPECT_EQ(changes, expected);

    auto reopen = [&] {
        Error error;
        auto reopened = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        EXPECT_TRUE(reopened) << error;
        return reopened ? reopened->wordPressAccount() : nullptr;
    };
    controller->passwordField()->editTextAsUser(Password);
    controller->login();
    EXPECT_EQ(delegate.logins, 1);
    EXPECT_FALSE(editor->isDocumentEdited());
    auto saved = reopen();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->remoteEndpointURLString(), u"https://blog.example.org/rpc.php");
    EXPECT_EQ(saved->maxRequestCount(), 20);

    // Edited and never logged in with: closing keeps the edit.
    edit(controller->loginIDField(), u"author");
    EXPECT_TRUE(editor->isDocumentEdited());
    editor->close();
    saved = reopen();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->loginID(), u"author");
}
