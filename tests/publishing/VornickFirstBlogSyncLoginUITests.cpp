// The first blog sync window with the login panel as its login half.
#include "publishing/VornickFirstBlogSyncLoginUI.h"

#include "blog/VornickPublishedBlogSynchronizer.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/keychain/FileKeychainStore.h"
#include "platform/net/URLSession.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogLoginPanelView.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class AccountDocument : public VornickFirstBlogSyncDocument {
public:
    explicit AccountDocument(std::shared_ptr<VornickPublishedBlogProject> project) : m_project(std::move(project)) { }
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const override { return m_project; }

private:
    std::shared_ptr<VornickPublishedBlogProject> m_project;
};

class VornickFirstBlogSyncLoginUITests : public ::testing::Test {
protected:
    void SetUp() override
    {
        KeychainStore::setDefaultStore(std::make_shared<FileKeychainStore>(folder + "/Keychain.json"));
        URLSession::setOnlyLoopbackForTesting(true);
        Error error;
        project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(project) << error;
        document = std::make_shared<AccountDocument>(project);
        // As createWindowController makes it, keeping the login half at hand.
        loginUI = std::make_shared<VornickFirstBlogSyncLoginUI>();
        controller = std::make_shared<VornickFirstBlogSyncWindowController>(document, loginUI);
        loginUI->setWindowController(controller);
        controller->loadWindow();
        controller->window()->makeKeyAndOrderFront();
        login = loginUI->loginUIController();
    }
    void TearDown() override
    {
        project->synchronizer().cancelAllSyncSessions();
        for (int turn = 0; turn < 200 && RunLoop::main().runOnce(0.005); ++turn) {
        }
        controller.reset();
        Application::shared().resetForTesting();
        URLSession::setOnlyLoopbackForTesting(false);
        KeychainStore::setDefaultStore(nullptr);
    }

    void typeInto(const std::shared_ptr<Responder>& field, std::u16string_view text)
    {
        ASSERT_TRUE(controller->window()->makeFirstResponder(field));
        events.typeText(controller->window(), text);
    }

    std::string folder = createTemporaryDirectory("first-sync-login").value();
    std::shared_ptr<VornickWordPressBlogProject> project;
    std::shared_ptr<AccountDocument> document;
    std::shared_ptr<VornickFirstBlogSyncWindowController> controller;
    std::shared_ptr<VornickFirstBlogSyncLoginUI> loginUI;
    std::shared_ptr<VornickBlogLoginUIController> login;
    EventSynthesizer events;
};

} // namespace

TEST_F(VornickFirstBlogSyncLoginUITests, TheLoginPanelIsTheWindowsLoginHalfAndGrowsItsPanel)
{
    EXPECT_EQ(login->view()->superview(), controller->panelView());
    EXPECT_EQ(controller->window()->firstResponder(), login->hostURLField()) << "the address comes first";
    EXPECT_FALSE(project->synchronizer().currentSyncSession()) << "waits for the login details";

    Rect panel = controller->panelView()->frame();
    auto& container = login->advancedSettingsContainer();
    ASSERT_TRUE(container->disclosureButton()->performClick());
    double change = container->expandedHeight() - container->collapsedHeight();
    EXPECT_EQ(controller->panelView()->frame().height(), panel.height() + change);
    EXPECT_EQ(controller->panelView()->frame().size, login->view()->frame().size);

    // The factory wires the same.
    auto made = VornickFirstBlogSyncLoginUI::createWindowController(document);
    made->loadWindow();
    ASSERT_EQ(made->panelView()->subviews().size(), 1u);
    EXPECT_TRUE(std::dynamic_pointer_cast<VornickBlogLoginPanelView>(made->panelView()->subviews().front()));
}

TEST_F(VornickFirstBlogSyncLoginUITests, ReturnInThePasswordFieldStartsTheFirstSync)
{
    typeInto(login->hostURLField(), u"127.0.0.1:9");
    EXPECT_EQ(project->wordPressAccount()->rootURLString(), u"https://127.0.0.1:9");
    typeInto(login->loginIDField(), u"editor");
    typeInto(login->passwordField(), u"abcd efgh ijkl");
    events.pressKey(controller->window(), u'\r');
    EXPECT_TRUE(project->synchronizer().currentSyncSession());
    EXPECT_TRUE(controller->isShowingSyncStatusUI());
    EXPECT_EQ(project->wordPressAccount()->password(), u"abcd efgh ijkl");
}
