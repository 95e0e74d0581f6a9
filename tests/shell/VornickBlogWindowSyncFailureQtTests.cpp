// A blog window on the offscreen Qt platform whose site refuses the login or
// fails: the user clicks Sync in the toolbar and the window says what went
// wrong and what to do, in its status line, its toolbar and the account's
// popover. The site is a scripted server on 127.0.0.1.
#include "tests/platform/net/LoopbackHTTPServer.h"
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/BlogPostWindowTestSupport.h"

#include "blog/VornickBlogServiceSyncSession.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "html/VornickHTMLServices.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Popover.h"
#include "platform/views/TextField.h"
#include "platform/views/Toolbar.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "editing/VornickToolbarItemViews.h"
#include "publishing/VornickBlogHostingAccountPropertiesUIController.h"
#include "publishing/VornickBlogLoginUIController.h"
#include "publishing/VornickBlogWindowOpening.h"
#include "publishing/VornickMiniSyncStatusUIController.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickSyncStepStatusTableCellView.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "shell/VornickApplicationShell.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressAccount.h"

#include <gtest/gtest.h>

#include <QTest>

#include <chrono>
#include <random>

namespace brevanton {
namespace {

using testserver::LoopbackHTTPServer;
using testserver::TestHTTPRequest;
using testserver::TestHTTPResponse;

struct FailingSite {
    const char* name;
    int status;
    const char* body;
    // What the window's status line and the popover's advice hold.
    const char16_t* reason;
    const char16_t* advice;
};

// Named in the test's listing by its name, not its bytes.
void PrintTo(const FailingSite& site, std::ostream* out)
{
    *out << site.name;
}

class BlogWindowSyncFailureQt : public ::testing::TestWithParam<FailingSite> {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        AlertDriver::shared().reset();
        const FailingSite& site = GetParam();
        server = std::make_unique<LoopbackHTTPServer>([&site](const TestHTTPRequest& request) {
            TestHTTPResponse response;
            if (request.target == "/" || request.target.starts_with("/?")) {
                response.headers.emplace_back("Content-Type", "text/html");
                response.body = "<html><head><link rel='https://api.w.org/' href='/wp-json/'></head><body>Site</body></html>";
                return response;
            }
            response.status = site.status;
            response.headers.emplace_back("Content-Type", "application/json");
            response.body = site.body;
            return response;
        });
        folder = createTemporaryDirectory("blog-window-sync-failure").value();
        ASSERT_TRUE(makeSyncedLikeWordPressProject(folder));
        {
            Error error;
            auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
                URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
            ASSERT_TRUE(project) << error;
            auto account = project->wordPressAccount();
            account->setRootURLString(toUTF16(server->url("/")));
            account->setUseXMLRPC(false);
            account->setLoginID(u"editor");
            std::mt19937_64 random(std::random_device {}());
            ASSERT_TRUE(account->setPassword(toUTF16(std::to_string(random())), &error)) << error;
            // The site's one blog, as a sync found it.
            auto blog = vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"Blog")->front();
            blog->setValueForKey(Value(u"1"), u"identifierUsedByBlogService");
            ASSERT_TRUE(project->saveComponentsToSourceFilesIfNeeded(&error)) << error;
            ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
            ASSERT_TRUE(project->save(&error)) << error;
        }
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        Error error;
        projectEditor = VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
        ASSERT_TRUE(projectEditor) << error;
        vornick_registerBlogWindowOpener();
        auto blog = vornick_allEntitiesOfKind(*projectEditor->project()->index()->managedObjectContext(), u"Blog")->front();
        editor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(
            projectEditor->openEditorForComponent(std::dynamic_pointer_cast<VornickProjectComponent>(blog), &error));
        ASSERT_TRUE(editor) << error;
        turn(0.2);
    }

    void TearDown() override
    {
        if (editor && !editor->isClosed())
            editor->close();
        editor.reset();
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        projectEditor.reset();
        shell.reset();
        turn(0.1);
        Application::shared().resetForTesting();
        AlertDriver::shared().reset();
        server.reset();
        std::filesystem::remove_all(folder);
    }

    static bool waitUntil(const std::function<bool()>& condition, double seconds)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > until)
                return false;
            RunLoop::main().runOnce(0.01);
            QCoreApplication::processEvents();
        }
        return true;
    }
    static void turn(double seconds) { waitUntil([] { return false; }, seconds); }

    QtWindowWidget* widget() const { return shell->backend().widgetForWindow(*editor->window()); }
    std::shared_ptr<ToolbarItem> item(const std::u16string& identifier) const
    {
        return editor->window()->toolbar()->itemWithIdentifier(identifier);
    }

    std::unique_ptr<LoopbackHTTPServer> server;
    std::string folder;
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickProjectEditor> projectEditor;
    std::shared_ptr<VornickWordPressBlogEditor> editor;
};

TEST_P(BlogWindowSyncFailureQt, TheStatusTheSyncButtonAndTheAccountPopoverSayWhatFailedAndWhatToDo)
{
    const FailingSite& site = GetParam();
    ASSERT_TRUE(widget());
    auto sync = item(VornickStartSyncWithHostToolbarItemIdentifier);
    ASSERT_TRUE(sync && sync->view());
    ASSERT_EQ(sync->label(), u"Sync");

    // A click on Sync: the session runs and fails on the server's answer.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*widget(), *sync->view()));
    auto& synchronizer = *editor->synchronizer();
    ASSERT_TRUE(waitUntil([&] { return synchronizer.currentSyncSession() != nullptr; }, 5));
    EXPECT_EQ(sync->label(), u"Stop");
    ASSERT_TRUE(waitUntil([&] { return !synchronizer.currentSyncSession(); }, 20));
    turn(0.1);
    EXPECT_GE(server->requestCount(), 2u);

    // The button is Sync again; the status line stays, saying why.
    EXPECT_EQ(sync->label(), u"Sync");
    ASSERT_TRUE(synchronizer.lastEndedSyncSession());
    ASSERT_TRUE(editor->isMiniSyncStatusShown()) << synchronizer.lastEndedSyncSession()->splat();
    auto status = editor->miniSyncStatusUIController()->latestStatusMessageTextField()->stringValue();
    EXPECT_TRUE(status.starts_with(u"Sync failed: ")) << toUTF8(status);
    EXPECT_NE(status.find(site.reason), std::u16string::npos) << toUTF8(status);

    // The account's popover: the failure, what to do, and the way to the login.
    editor->showAccountProperties(nullptr);
    auto* popover = editor->accountPropertiesUIController();
    ASSERT_TRUE(popover);
    ASSERT_TRUE(popover->showsSyncStatus());
    auto& statusUI = *popover->syncStatusUIController();
    EXPECT_EQ(statusUI.syncSessionStatusView()->statusMessageTextField()->stringValue(), u"Failed");
    EXPECT_NE(statusUI.failureAdviceTextField()->stringValue().find(site.advice), std::u16string::npos)
        << toUTF8(statusUI.failureAdviceTextField()->stringValue());
    EXPECT_FALSE(statusUI.syncCompletionButton()->isHidden());
    EXPECT_EQ(statusUI.syncCompletionButton()->title(), u"Account Settings");
    popover->showLoginUI();
    EXPECT_FALSE(popover->showsSyncStatus());
    if (site.status == 401) {
        EXPECT_FALSE(popover->loginUIController()->passwordErrorLabel()->isHidden());
    }

    // The next sync takes the status line over again.
    QTest::mouseClick(widget(), Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*widget(), *sync->view()));
    ASSERT_TRUE(waitUntil([&] { return synchronizer.currentSyncSession() != nullptr; }, 5));
    EXPECT_FALSE(editor->miniSyncStatusUIController()->latestStatusMessageTextField()->stringValue().starts_with(u"Sync failed"));
    ASSERT_TRUE(waitUntil([&] { return !synchronizer.currentSyncSession(); }, 20));
}

INSTANTIATE_TEST_SUITE_P(
    Sites, BlogWindowSyncFailureQt,
    ::testing::Values(
        FailingSite { "WrongPassword", 401,
                      R"({"code":"incorrect_password","message":"The password you entered is incorrect.","data":{"status":401}})",
                      u"WordPress rejected the password.", u"password" },
        FailingSite { "ServerError", 500, R"({"code":"internal_server_error","message":"There has been a critical error.","data":{"status":500}})",
                      u"500", u"try again later" }),
    [](const ::testing::TestParamInfo<FailingSite>& info) { return std::string(info.param.name); });

} // namespace
} // namespace brevanton
