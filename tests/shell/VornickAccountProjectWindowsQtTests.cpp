// An account project folder opened in the shell on the offscreen Qt
// platform: the project in its editor with no window of its own, a window
// per blog (through a stand-in "Blog" opener) or, for an account without
// blogs, the first sync window over the fake WordPress site, and the
// project's end when its last window closes.
#include "tests/platform/foundation/NotificationCenterTestPeer.h"
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/publishing/ProjectEditorTestPeer.h"
#include "tests/wordpress/WordPressIntegratorTestSupport.h"

#include "app/VornickApplicationDefaults.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "documents/VornickProjectComponentEditor.h"
#include "documents/VornickProjectIndex.h"
#include "documents/VornickProjectLock.h"
#include "html/VornickHTMLServices.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/PersistentStore.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Layer.h"
#include "platform/views/Window.h"
#include "platform/views/Menu.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogHostingAccountPropertiesUIController.h"
#include "publishing/VornickBlogLoginUIController.h"
#include "publishing/VornickBlogPropertiesUIController.h"
#include "publishing/VornickBlogWindowOpening.h"
#include "publishing/VornickSyncStatusUIController.h"
#include "publishing/VornickWordPressBlogEditor.h"
#include "publishing/VornickWordPressAccountEditor.h"
#include "publishing/VornickFirstBlogSyncLoginUI.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"
#include "publishing/VornickProjectEditor.h"
#include "shell/VornickApplicationShell.h"
#include "toolkit/VornickKeychain.h"
#include "toolkit/VornickLog.h"
#include "ui/VornickLogWindowController.h"
#include "ui/VornickProjectIndexingProgressWindowController.h"
#include "ui/VornickSyncLogWindowController.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "ui/VornickTitleWall.h"
#include "platform/views/TextView.h"
#include "platform/views/TextField.h"
#include "platform/views/Toolbar.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "publishing/VornickProjectIndexingProgress.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <fstream>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace brevanton {
namespace {

// A blog's window as the blog window will be: a component editor whose
// window's closing ends it and offers the project its close.
class StandInBlogEditor final : public VornickProjectComponentEditor, public std::enable_shared_from_this<StandInBlogEditor> {
public:
    static std::shared_ptr<StandInBlogEditor> open(VornickProjectEditor& projectEditor, std::shared_ptr<VornickProjectComponent> blog)
    {
        auto editor = std::make_shared<StandInBlogEditor>();
        editor->m_blog = std::move(blog);
        editor->m_projectEditor = projectEditor.shared_from_this();
        editor->m_window = Window::create(Rect(100, 100, 600, 400));
        std::weak_ptr<StandInBlogEditor> weak = editor;
        editor->m_closeObserver = NotificationCenter::defaultCenter().addObserver(Window::WillCloseNotification,
            editor->m_window.get(), nullptr, [weak](const Notification&) {
                if (auto self = weak.lock())
                    self->windowWillClose();
            });
        return editor;
    }
    std::shared_ptr<VornickProjectComponent> projectComponent() const override { return m_blog; }
    void showWindows() override { m_window->makeKeyAndOrderFront(); }
    const std::shared_ptr<Window>& window() const { return m_window; }

private:
    void windowWillClose()
    {
        VornickProjectComponentEditor::unregisterEditor(*this);
        if (auto projectEditor = m_projectEditor.lock())
            projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
    }

    std::shared_ptr<VornickProjectComponent> m_blog;
    std::weak_ptr<VornickProjectEditor> m_projectEditor;
    std::shared_ptr<Window> m_window;
    ObserverToken m_closeObserver;
};

Dictionary sitePost(const char16_t* identifier, std::u16string title, const char16_t* type = u"post")
{
    return { { u"identifierUsedByBlogService", Value(identifier) }, { u"title", Value(std::move(title)) },
             { u"permalinkURLString", Value(u"https://site.example/" + std::u16string(identifier)) },
             { u"sourceContentString", Value(u"<p>Text</p>") }, { u"sourceContentType", Value(u"html") },
             { u"status", Value(u"publish") }, { u"type", Value(type) },
             { u"dateFirstPublished", Value(Date(700000000.0)) }, { u"dateLastPublished", Value(Date(700000000.0)) } };
}

class AccountProjectWindows : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        VornickInstallHTMLServices();
        RunLoop::main().useManualClock();
        folder = createTemporaryDirectory("account-windows").value();
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
        observersBefore = NotificationCenterTestPeer::observerCount(NotificationCenter::defaultCenter());
    }

    void TearDown() override
    {
        VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
        document.reset();
        project.reset();
        blogEditors.clear();
        fakeProject.reset();
        shell.reset();
        drain();
        Application::shared().resetForTesting();
        UserDefaults::standard().removeObjectForKey(VornickWordPressSyncIntervalDefaultsKey);
        RunLoop::main().useRealClock();
        std::filesystem::remove_all(folder);
    }

    std::string projectFile() const { return folder + "/project.brevantonwordpressproject"; }

    // The account's project saved in the folder: the site's address, the
    // login and what `fill` adds. Its index's path is kept in `indexPath`.
    void saveAccountProject(const std::function<void(VornickWordPressBlogProject&)>& fill)
    {
        Error error;
        auto newProject = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(std::string_view(projectFile()), false), &error);
        ASSERT_TRUE(newProject) << error;
        newProject->wordPressAccount()->setRootURLString(u"https://site.example/");
        newProject->wordPressAccount()->setLoginID(u"writer");
        fill(*newProject);
        ASSERT_TRUE(newProject->saveComponentsToSourceFilesIfNeeded(&error)) << error;
        ASSERT_TRUE(newProject->index()->commitEditingAndSave(&error)) << error;
        ASSERT_TRUE(newProject->save(&error)) << error;
        indexPath = newProject->index()->filePath();
    }

    static std::shared_ptr<VornickWordPressBlog> addBlog(VornickWordPressBlogProject& newProject, const std::u16string& name)
    {
        auto& context = *newProject.index()->managedObjectContext();
        auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(context.insertNewObject(u"Blog"));
        blog->setBlogFolderName(name);
        blog->setSourceFileName(name + u".brevantonwordpressblog");
        blog->setTitle(name);
        blog->setObjectForKey(newProject.wordPressAccount(), u"hostingAccount");
        return blog;
    }

    // The account's project on disk, with the blogs named, then opened here
    // around the fake site's agent, as the shell will find it.
    void makeAccount(const std::vector<std::u16string>& blogNames)
    {
        ASSERT_NO_FATAL_FAILURE(saveAccountProject([&](VornickWordPressBlogProject& newProject) {
            newProject.wordPressAccount()->setUseXMLRPC(true);
            for (const auto& name : blogNames)
                addBlog(newProject, name);
        }));
        Error error;
        fakeProject = VornickProject::createWithContentsOfProjectFileURL<FakeAgentWordPressProject>(
            URL::fileURLWithPath(std::string_view(projectFile()), false), &error);
        ASSERT_TRUE(fakeProject) << error;
        fakeSite = fakeProject->fakeIntegrator().site;
        fakeProject->fakeIntegrator().setSyncLog(VornickLog::create(URL::fileURLWithPath(folder + "/sync.log", false)));
        VornickProjectEditorTestPeer::openEditorForProject(fakeProject);
    }

    FakeWordPressSite& site() { return *fakeSite; }

    void registerStandInBlogOpener()
    {
        VornickProjectEditor::setComponentEditorOpener(u"Blog", [this](VornickProjectEditor& projectEditor, const auto& blog, Error*) {
            auto editor = StandInBlogEditor::open(projectEditor, blog);
            blogEditors.push_back(editor);
            return editor;
        });
    }

    std::shared_ptr<VornickWordPressAccountEditor> openAccount()
    {
        Error error;
        EXPECT_TRUE(shell->openDocument(folder, &error)) << error;
        EXPECT_EQ(shell->accountProjects().size(), 1u);
        auto opened = shell->accountProjects().empty() ? nullptr : shell->accountProjects().front();
        drain();
        return opened;
    }

    // Opens the account made before in the shell, which from then on alone
    // holds its project but for `project` (which tests let go of to see the
    // project end).
    void openMadeAccount()
    {
        project = fakeProject;
        document = openAccount();
        ASSERT_TRUE(document);
        fakeProject.reset();
    }

    // An account with the blogs named, opened with a stand-in window per blog.
    void openAccountWithStandInBlogs(const std::vector<std::u16string>& blogNames)
    {
        ASSERT_NO_FATAL_FAILURE(makeAccount(blogNames));
        registerStandInBlogOpener();
        openMadeAccount();
    }

    static void drain()
    {
        for (int turn = 0; turn < 400 && RunLoop::main().runOnce(0); ++turn) {
        }
        QCoreApplication::processEvents();
    }

    // Runs turns (the fake site answers one request a turn) until the
    // condition holds, for 30 seconds at most; an idle turn waits a moment
    // for work done on other threads (the templates step's) to come back.
    static bool turnUntil(const std::function<bool()>& condition)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (int turn = 0; turn < 4000 || std::chrono::steady_clock::now() < until; ++turn) {
            if (condition())
                return true;
            if (!RunLoop::main().runOnce(0)) {
                QCoreApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return condition();
    }

    static std::vector<std::shared_ptr<Window>> visibleWindows()
    {
        std::vector<std::shared_ptr<Window>> visible;
        for (auto& window : Application::shared().orderedWindows()) {
            if (window->isVisible())
                visible.push_back(window);
        }
        return visible;
    }

    static std::set<std::u16string> titlesOnWall(const VornickTitleWall& wall)
    {
        std::set<std::u16string> titles;
        for (auto& layer : wall.titleLayersAwaitingLaunch())
            titles.insert(layer->string());
        for (auto& layer : wall.titleLayersInFlight())
            titles.insert(layer->string());
        return titles;
    }

    std::string folder;
    size_t observersBefore { 0 };
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<FakeAgentWordPressProject> fakeProject;
    std::shared_ptr<FakeWordPressSite> fakeSite;
    std::vector<std::shared_ptr<StandInBlogEditor>> blogEditors;
    std::string indexPath;
    // What openMadeAccount opened.
    std::shared_ptr<FakeAgentWordPressProject> project;
    std::shared_ptr<VornickWordPressAccountEditor> document;
};

TEST_F(AccountProjectWindows, AnAccountWithoutBlogsShowsTheLoginPanelSyncsOnLogInTitlesRiseThenOpenBlogsAndTheLastCloseEndsAll)
{
    UserDefaults::standard().setInteger(5, VornickWordPressSyncIntervalDefaultsKey);
    makeAccount({});
    site().pageSize = 2;
    site().posts = { sitePost(u"11", u"Hello <em>world</em>"), sitePost(u"12", u"Second &amp; last"), sitePost(u"13", u"Third") };
    site().pages = { sitePost(u"21", u"About", u"page") };
    registerStandInBlogOpener();
    ASSERT_NO_FATAL_FAILURE(openMadeAccount());
    std::weak_ptr<FakeAgentWordPressProject> weakProject = project;
    project.reset();

    // The project's editor shows nothing: the first sync window is the one window.
    auto controller = document->firstBlogSyncWindowController();
    ASSERT_TRUE(controller);
    auto windows = visibleWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows.front(), controller->window());
    EXPECT_EQ(controller->window()->title(), u"writer @ site.example");
    ASSERT_TRUE(shell->backend().widgetForWindow(*controller->window()));

    // Opened from its folder, the account shows the login panel with its
    // stored details, as a new one does: nothing signs in before the user.
    auto& synchronizer = weakProject.lock()->synchronizer();
    EXPECT_FALSE(controller->isShowingSyncStatusUI());
    EXPECT_FALSE(synchronizer.currentSyncSession());
    EXPECT_FALSE(synchronizer.hasScheduledSyncTimer()) << "an automatic sync would fail without the details";
    auto loginUI = std::dynamic_pointer_cast<VornickFirstBlogSyncLoginUI>(controller->loginInterface());
    ASSERT_TRUE(loginUI);
    ASSERT_EQ(controller->panelView()->subviews().size(), 1u);
    EXPECT_EQ(controller->panelView()->subviews().front(), loginUI->view());
    auto& login = *loginUI->loginUIController();
    EXPECT_EQ(login.hostURLField()->stringValue(), u"https://site.example/");
    EXPECT_FALSE(login.loginButton()->isEnabled());
    login.passwordField()->setTextString(UUID().UUIDString());
    login.passwordEdited();
    ASSERT_TRUE(login.loginButton()->isEnabled());
    ASSERT_TRUE(login.loginButton()->performClick());

    // The first sync, exhaustive, signs in with those details; the listed
    // titles, without their markup, rise on the wall while it runs.
    auto session = synchronizer.currentSyncSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->type(), VornickSyncSessionType::ExhaustiveManual);
    auto& wall = *controller->titleWall();
    wall.setRandomNumberSource([] { return 0.0; });
    ASSERT_TRUE(turnUntil([&] { return titlesOnWall(wall).contains(u"Third"); })) << site().requestSummary();
    ASSERT_EQ(synchronizer.currentSyncSession(), session);
    auto titles = titlesOnWall(wall);
    titles.erase(u"About");
    EXPECT_EQ(titles, (std::set<std::u16string> { u"Hello world", u"Second & last", u"Third" }));
    EXPECT_TRUE(controller->isShowingSyncStatusUI());
    RunLoop::main().advanceClock(VornickTitleWall::LaunchInterval);
    ASSERT_FALSE(wall.titleLayersInFlight().empty());
    auto rising = wall.titleLayersInFlight().front();
    double startY = rising->presentationPosition().y;
    RunLoop::main().advanceClock(1.0);
    EXPECT_GT(rising->presentationPosition().y, startY + 50);

    // The sync ends with the blog: "Open Blogs" shows and opens its window,
    // and the first sync window goes.
    ASSERT_TRUE(turnUntil([&] { return !synchronizer.currentSyncSession(); })) << session->splat();
    drain();
    EXPECT_EQ(session->state(), VornickSyncStepState::Completed) << session->splat();
    EXPECT_TRUE(titlesOnWall(wall).contains(u"About"));
    EXPECT_TRUE(document->hasBlogs());
    auto& button = *controller->syncStatusUIController()->syncCompletionButton();
    EXPECT_FALSE(button.isHidden());
    EXPECT_EQ(button.title(), u"Open Blogs");
    ASSERT_TRUE(button.performClick());
    drain();
    ASSERT_EQ(blogEditors.size(), 1u);
    windows = visibleWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows.front(), blogEditors.front()->window());
    EXPECT_FALSE(controller->window()->isVisible());
    EXPECT_TRUE(synchronizer.hasScheduledSyncTimer()) << "automatic syncs follow once the blogs are here";
    controller.reset();
    loginUI.reset();

    // Closing the blog's window closes the project: no timer of its
    // synchronizer, no observer of the document or the window, no project.
    std::weak_ptr<VornickWordPressAccountEditor> weakDocument = document;
    document.reset();
    session.reset();
    blogEditors.front()->window()->performClose();
    drain();
    EXPECT_TRUE(shell->accountProjects().empty());
    EXPECT_FALSE(shell->hasOpenWindows());
    EXPECT_TRUE(VornickProjectEditor::openProjectEditors().empty());
    blogEditors.clear();
    drain();
    EXPECT_TRUE(weakDocument.expired());
    EXPECT_TRUE(weakProject.expired());
    EXPECT_EQ(NotificationCenterTestPeer::observerCount(NotificationCenter::defaultCenter()), observersBefore);
}

TEST_F(AccountProjectWindows, BlogsOpenCascadedTheAutomaticSyncIsScheduledAndTheProjectLastsWhileASyncRuns)
{
    UserDefaults::standard().setInteger(5, VornickWordPressSyncIntervalDefaultsKey);
    ASSERT_NO_FATAL_FAILURE(openAccountWithStandInBlogs({ u"Beta", u"Alpha" }));
    auto& synchronizer = project->synchronizer();

    // A window per blog, in the order of their names, each a title bar
    // right of and below the one before; no first sync window.
    EXPECT_FALSE(document->firstBlogSyncWindowController());
    ASSERT_EQ(blogEditors.size(), 2u);
    EXPECT_EQ(blogEditors[0]->projectComponent()->valueForKey(u"title").stringValue(), u"Alpha");
    auto first = blogEditors[0]->window()->frame();
    auto second = blogEditors[1]->window()->frame();
    EXPECT_EQ(second.minX() - first.minX(), 22);
    EXPECT_EQ(first.maxY() - second.maxY(), 22);
    EXPECT_EQ(visibleWindows().size(), 2u);
    // Asked again, the open windows come forward where they are.
    blogEditors[0]->window()->setFrameOrigin({ 300, 200 });
    document->openEditorsForBlogs();
    EXPECT_EQ(blogEditors.size(), 2u);
    EXPECT_EQ(blogEditors[0]->window()->frame().origin, (Point { 300, 200 }));
    EXPECT_EQ(blogEditors[1]->window()->frame(), second);

    // The first automatic sync comes 3 seconds after the index was read.
    EXPECT_TRUE(synchronizer.hasScheduledSyncTimer());
    EXPECT_FALSE(synchronizer.currentSyncSession());
    // (The site keeps it running: the list of blogs never comes.)
    site().unanswered = { "blogs" };
    RunLoop::main().advanceClock(2.9);
    EXPECT_FALSE(synchronizer.currentSyncSession());
    RunLoop::main().advanceClock(0.1);
    drain();
    auto session = synchronizer.currentSyncSession();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->type(), VornickSyncSessionType::Automatic);
    EXPECT_EQ(session->state(), VornickSyncStepState::Active);

    // Both windows closed while it runs: the project stays until it ends.
    blogEditors[0]->window()->performClose();
    blogEditors[1]->window()->performClose();
    drain();
    EXPECT_EQ(shell->accountProjects().size(), 1u);
    EXPECT_TRUE(shell->hasOpenWindows());
    synchronizer.cancelSync();
    ASSERT_TRUE(turnUntil([&] { return shell->accountProjects().empty(); })) << session->splat();
    EXPECT_FALSE(shell->hasOpenWindows());
    // Closed, the account syncs no more: no automatic sync is pending, and
    // the integrator tells the document nothing.
    EXPECT_FALSE(synchronizer.hasScheduledSyncTimer());
    EXPECT_EQ(project->integrator().delegate(), nullptr);
    std::weak_ptr<FakeAgentWordPressProject> weakProject = project;
    project.reset();
    blogEditors.clear();
    document.reset();
    session.reset();
    drain();
    EXPECT_TRUE(weakProject.expired());
}

TEST_F(AccountProjectWindows, TheBlogWindowsAccountItemShowsTheLoginPanelWhereTypedDetailsAndReturnOrItsButtonStartTheSync)
{
    makeAccount({ u"Alpha" });
    vornick_registerBlogWindowOpener();
    ASSERT_NO_FATAL_FAILURE(openMadeAccount());
    auto& synchronizer = project->synchronizer();
    synchronizer.cancelAllSyncSessions();
    auto blog = std::dynamic_pointer_cast<VornickProjectComponent>(
        vornick_entityOfKind(*project->index()->managedObjectContext(), u"Blog", Value(u"Alpha"), u"title"));
    ASSERT_TRUE(blog);
    auto editor = std::dynamic_pointer_cast<VornickWordPressBlogEditor>(VornickProjectComponentEditor::editorForComponent(*blog));
    ASSERT_TRUE(editor);
    auto* window = shell->backend().widgetForWindow(*editor->window());
    ASSERT_TRUE(window);

    // A click on the toolbar's Account item opens the account's popover on
    // the login panel, filled from the account.
    auto toolbar = editor->window()->toolbar();
    auto item = toolbar->itemWithIdentifier(u"VornickJumpToAccountToolbarItemIdentifier");
    ASSERT_TRUE(item);
    Rect itemRect = toolbar->view()->convertRectToView(toolbar->view()->rectOfItem(*item), nullptr);
    ASSERT_FALSE(itemRect.isEmpty()) << "the item is shown";
    EXPECT_TRUE(editor->window()->isKeyWindow());
    EXPECT_TRUE(item->isEnabled()) << "validated when its window became key";
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                      QPoint(static_cast<int>(itemRect.midX()), static_cast<int>(window->height() - itemRect.midY())));
    drain();
    auto* controller = editor->accountPropertiesUIController();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->popover()->isShown());
    EXPECT_FALSE(controller->showsSyncStatus());
    auto* popover = shell->backend().widgetForWindow(*controller->popover()->window());
    ASSERT_TRUE(popover);
    EXPECT_TRUE(popover->isVisible());
    // It emerges from the item's button: under it, across its middle.
    ASSERT_TRUE(item->view()) << "the item shows the window's own control";
    Rect itemOnScreen = editor->window()->convertRectToScreen(item->view()->convertRectToView(item->view()->bounds(), nullptr));
    Rect popoverFrame = controller->popover()->window()->frame();
    EXPECT_LE(popoverFrame.maxY(), itemOnScreen.minY() + 1);
    EXPECT_GT(popoverFrame.maxY(), itemOnScreen.minY() - 40);
    EXPECT_TRUE(popoverFrame.minX() < itemOnScreen.midX() && itemOnScreen.midX() < popoverFrame.maxX());
    auto& login = *controller->loginUIController();
    EXPECT_EQ(login.hostURLField()->stringValue(), u"https://site.example/");

    // A click in the login field, and another login typed over the one
    // there: the account takes it as the field shows it.
    QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*popover, *login.loginIDField()));
    drain();
    QTest::keyClick(popover, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(popover, "editor");
    drain();
    EXPECT_EQ(login.loginIDField()->stringValue(), u"editor");
    EXPECT_EQ(project->wordPressAccount()->loginID(), u"editor");

    // The user clicks the password field, selects all, types (the field shows no
    // character of it) and presses Return: the manual sync starts and the
    // popover follows it with the sync status.
    site().unanswered = { "blogs" };
    QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*popover, *login.passwordField()));
    drain();
    std::string password = toUTF8(UUID().UUIDString());
    // (Over what the keychain may hold for the account already.)
    QTest::keyClick(popover, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(popover, QString::fromStdString(password));
    drain();
    EXPECT_EQ(toUTF8(login.passwordField()->stringValue()), password);
    EXPECT_TRUE(login.loginButton()->isEnabled());
    QImage shown = popover->grab().toImage();
    EXPECT_FALSE(shown.isNull());
    for (const auto& command : popover->lastPaintedCommands())
        EXPECT_EQ(toUTF8(command.text).find(password.substr(0, 8)), std::string::npos) << "the password is drawn";
    // Return, and once that session ended (back on the login details) a
    // click on "Log In": each starts the manual sync.
    const std::function<void()> logIns[] = {
        [&] { QTest::keyClick(popover, Qt::Key_Return); },
        [&] { QTest::mouseClick(popover, Qt::LeftButton, Qt::NoModifier, brevanton::testing::centreInWidget(*popover, *login.loginButton())); },
    };
    for (const auto& logIn : logIns) {
        ASSERT_TRUE(login.loginButton()->isEnabled());
        logIn();
        drain();
        auto session = synchronizer.currentSyncSession();
        ASSERT_TRUE(session);
        EXPECT_EQ(session->type(), VornickSyncSessionType::Manual);
        EXPECT_TRUE(controller->showsSyncStatus());
        synchronizer.cancelAllSyncSessions();
        ASSERT_TRUE(turnUntil([&] { return !synchronizer.currentSyncSession(); }));
        drain();
        EXPECT_FALSE(controller->showsSyncStatus());
    }
    controller->popover()->close();

    // The Settings item shows the blog's properties the same way.
    auto settings = toolbar->itemWithIdentifier(u"VornickEditBlogSettingsToolbarItemIdentifier");
    ASSERT_TRUE(settings);
    Rect settingsRect = toolbar->view()->convertRectToView(toolbar->view()->rectOfItem(*settings), nullptr);
    QTest::mouseClick(window, Qt::LeftButton, Qt::NoModifier,
                      QPoint(static_cast<int>(settingsRect.midX()), static_cast<int>(window->height() - settingsRect.midY())));
    drain();
    ASSERT_TRUE(editor->blogPropertiesUIController());
    EXPECT_TRUE(editor->blogPropertiesUIController()->popover()->isShown());
    editor->blogPropertiesUIController()->popover()->close();
    editor->window()->performClose();
    drain();
    editor.reset();
    document.reset();
    EXPECT_TRUE(shell->accountProjects().empty());
}

TEST_F(AccountProjectWindows, TheUploadsASessionAsksForAreQueuedAndTitlesGoToNoWallWithoutTheFirstSyncWindow)
{
    ASSERT_NO_FATAL_FAILURE(openAccountWithStandInBlogs({ u"Only" }));
    auto& synchronizer = project->synchronizer();
    EXPECT_TRUE(document->blogServiceIntegratorRequestScheduledSendOfPostChanges(project->integrator(), sitePost(u"31", u"Queued"),
                                                                                site().blogDescription, Value(u"native-31")));
    EXPECT_TRUE(synchronizer.activeOrWaitingSyncSessionOfType(VornickSyncSessionType::UploadPostChanges));
    document->blogServiceIntegratorReceivedPostDescriptions(project->integrator(), { sitePost(u"32", u"Listed") }, site().blogDescription, 0,
                                                            false);
    EXPECT_FALSE(document->firstBlogSyncWindowController());
}

TEST_F(AccountProjectWindows, WithoutAutomaticSyncOrABlogWindowNothingIsScheduledAndTheProjectCloses)
{
    UserDefaults::standard().setInteger(0, VornickWordPressSyncIntervalDefaultsKey);
    makeAccount({ u"Only" });
    std::weak_ptr<FakeAgentWordPressProject> weakProject = fakeProject;
    auto& synchronizer = fakeProject->synchronizer();
    VornickProjectEditor::setComponentEditorOpener(u"Blog", nullptr);
    Error error;
    ASSERT_TRUE(shell->openDocument(projectFile(), &error)) << error;
    // No "Blog" opener: nothing shows (the log says why), and the project closes.
    std::u16string logBefore = VornickLog::generalLog().text();
    RunLoop::main().runOnce(0);
    EXPECT_FALSE(synchronizer.hasScheduledSyncTimer());
    std::u16string logged = VornickLog::generalLog().text().substr(logBefore.size());
    EXPECT_NE(logged.find(u"The blog \u201COnly\u201D could not be opened"), std::u16string::npos) << toUTF8(logged);
    fakeProject.reset();
    drain();
    EXPECT_TRUE(visibleWindows().empty());
    EXPECT_TRUE(shell->accountProjects().empty());
    EXPECT_FALSE(shell->hasOpenWindows());
    EXPECT_TRUE(VornickProjectEditor::openProjectEditors().empty());
    EXPECT_TRUE(weakProject.expired());
}

TEST_F(AccountProjectWindows, WhatHoldsNoAccountProjectIsAnErrorInWordsAndOpensNothing)
{
    std::filesystem::create_directories(folder + "/empty");
    std::filesystem::create_directories(folder + "/garbled");
    std::ofstream(folder + "/garbled/project.brevantonwordpressproject") << "{ not an archive";
    std::ofstream(folder + "/notes.txt") << "text";
    struct Case {
        std::string path;
        const char16_t* says;
    };
    for (const Case& item : { Case { folder + "/empty", u"The folder \u201Cempty\u201D holds no WordPress account" },
                              Case { folder + "/garbled", u"cannot be opened" } }) {
        Error error;
        EXPECT_FALSE(shell->openDocument(item.path, &error)) << item.path;
        EXPECT_NE(error.localizedDescription().find(item.says), std::u16string::npos) << toUTF8(error.localizedDescription());
    }
    for (const Case& item : { Case { folder + "/notes.txt", u"\u201Cnotes.txt\u201D is not a WordPress account" },
                              Case { folder + "/missing", u"\u201Cmissing\u201D cannot be opened: there is no such file or folder." } }) {
        Error error;
        EXPECT_FALSE(shell->openAccountProject(item.path, &error)) << item.path;
        EXPECT_NE(error.localizedDescription().find(item.says), std::u16string::npos) << toUTF8(error.localizedDescription());
    }
    drain();
    EXPECT_TRUE(shell->accountProjects().empty());
    EXPECT_TRUE(VornickProjectEditor::openProjectEditors().empty());
    EXPECT_TRUE(visibleWindows().empty());
}

// Another program holding the account (an open Brevanton holds its lock
// file): File > Open of its folder says which process holds it, in an alert,
// and opens nothing; once let go, the account opens.
TEST_F(AccountProjectWindows, AnAccountAnotherProgramHoldsIsRefusedInAnAlertAndOpensNothing)
{
    ASSERT_NO_FATAL_FAILURE(saveAccountProject([](VornickWordPressBlogProject&) { }));
    int holder = ::open((folder + "/" + VornickProjectLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    std::string pid = std::to_string(::getpid());
    ASSERT_EQ(::write(holder, pid.data(), pid.size()), static_cast<ssize_t>(pid.size()));

    AlertDriver::shared().reset();
    AlertDriver::shared().enqueueResponse(AlertFirstButtonReturn);
    EXPECT_FALSE(shell->openDocumentTellingUser(folder));
    drain();
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    auto& alert = *AlertDriver::shared().shownAlerts().front();
    std::u16string said = alert.messageText() + u"\n" + alert.informativeText();
    EXPECT_NE(said.find(u"is open in another Brevanton (process " + toUTF16(pid) + u")"), std::u16string::npos) << toUTF8(said);
    EXPECT_TRUE(shell->accountProjects().empty());
    EXPECT_TRUE(VornickProjectEditor::openProjectEditors().empty());
    EXPECT_TRUE(visibleWindows().empty());

    ::close(holder);
    AlertDriver::shared().reset();
    EXPECT_TRUE(shell->openDocumentTellingUser(folder));
    drain();
    EXPECT_EQ(shell->accountProjects().size(), 1u);
    EXPECT_TRUE(AlertDriver::shared().shownAlerts().empty());
}

// An index cut short (a full disk, a copy interrupted): the account opens
// with its blog, its index built again from the files, and says so once.
TEST_F(AccountProjectWindows, AnIndexThatCannotBeReadIsBuiltAgainAndTheUserIsTold)
{
    ASSERT_NO_FATAL_FAILURE(saveAccountProject([](VornickWordPressBlogProject& newProject) { addBlog(newProject, u"Kitchen"); }));
    UserDefaults::standard().setInteger(0, VornickWordPressSyncIntervalDefaultsKey);
    auto bytes = readFile(indexPath);
    ASSERT_TRUE(bytes && bytes->size() > 200);
    ASSERT_TRUE(writeFileAtomically(indexPath, bytes->substr(0, 200)));
    registerStandInBlogOpener();
    AlertDriver::shared().reset();

    document = openAccount();
    ASSERT_TRUE(document);
    EXPECT_EQ(blogEditors.size(), 1u);
    ASSERT_EQ(AlertDriver::shared().shownAlerts().size(), 1u);
    auto& alert = *AlertDriver::shared().shownAlerts().front();
    EXPECT_NE(alert.messageText().find(u"was built again from its files"), std::u16string::npos) << toUTF8(alert.messageText());
    EXPECT_NE(alert.informativeText().find(u"could not be read"), std::u16string::npos) << toUTF8(alert.informativeText());
    EXPECT_TRUE(fileExists(indexPath + ".unreadable"));
    AlertDriver::shared().reset();
}

TEST_F(AccountProjectWindows, NewWordPressAccountMakesAFolderInTheShoeboxShowsTheLoginPanelAndClosedWithoutABlogGoesToTheTrash)
{
    // A document window with the main menu's bar, where the user clicks
    // File > New WordPress Account….
    auto documentWindow = Window::create(Rect(100, 100, 400, 300));
    documentWindow->makeKeyAndOrderFront();
    VornickInstallDocumentWindowBridges(*shell, *documentWindow);
    auto* documentWidget = shell->backend().widgetForWindow(*documentWindow);
    ASSERT_TRUE(documentWidget);
    auto* bar = dynamic_cast<QtMenuBar*>(documentWidget->menuBar());
    ASSERT_TRUE(bar);
    auto fileItem = shell->mainMenu()->itemWithTitle(u"File");
    ASSERT_TRUE(fileItem);
    auto newAccountItem = fileItem->submenu()->itemWithTitle(u"New WordPress Account\u2026");
    ASSERT_TRUE(newAccountItem);
    QtMenu* fileMenu = bar->menuForItem(*fileItem);
    ASSERT_TRUE(fileMenu);
    fileMenu->prepareToShow();
    QAction* shown = fileMenu->actionForItem(*newAccountItem);
    ASSERT_TRUE(shown);
    ASSERT_TRUE(shown->isEnabled());

    std::string shoebox = *VornickWordPressBlogProject::blogProjectsShoeboxDirectoryURL().fileSystemPath();
    auto before = std::set<std::filesystem::path>(std::filesystem::directory_iterator(shoebox), {});
    shown->trigger();
    drain();

    // A new folder in the shoebox (the test's home in the build folder) holds the saved project.
    ASSERT_EQ(shell->accountProjects().size(), 1u);
    auto editor = shell->accountProjects().front();
    std::set<std::filesystem::path> made;
    for (auto& entry : std::filesystem::directory_iterator(shoebox)) {
        if (!before.contains(entry.path()))
            made.insert(entry.path());
    }
    ASSERT_EQ(made.size(), 1u);
    std::filesystem::path accountFolder = *made.begin();
    EXPECT_TRUE(accountFolder.filename().string().starts_with("WordPress Account"));
    EXPECT_TRUE(std::filesystem::exists(accountFolder / "project.brevantonwordpressproject"));

    // Its first sync window shows the login panel; nothing syncs before the user logs in.
    auto controller = editor->firstBlogSyncWindowController();
    ASSERT_TRUE(controller);
    ASSERT_TRUE(controller->window()->isVisible());
    ASSERT_TRUE(shell->backend().widgetForWindow(*controller->window()));
    EXPECT_FALSE(controller->isShowingSyncStatusUI());
    ASSERT_FALSE(controller->panelView()->subviews().empty());
    EXPECT_NE(controller->panelView()->subviews().front(), controller->syncStatusUIController()->view());
    EXPECT_FALSE(editor->project()->synchronizer().currentSyncSession());

    // The details typed so far, the password in the keychain.
    auto account = editor->project()->wordPressAccount();
    account->setRootURLString(u"https://site.example/");
    account->setLoginID(u"writer");
    Error error;
    ASSERT_TRUE(account->setPassword(UUID().UUIDString(), &error)) << error;
    auto passwordKey = *account->keychainKeyForPassword();
    ASSERT_TRUE(VornickKeychain::getDataForServiceName(passwordKey, u"writer"));
    std::string indexName = std::filesystem::path(editor->project()->index()->filePath()).filename().string();

    // Closed without a blog, the account goes: its folder and index to the
    // Trash, its password out of the keychain.
    controller->window()->performClose();
    controller.reset();
    account.reset();
    drain();
    drain();
    EXPECT_TRUE(editor->isClosed());
    EXPECT_TRUE(shell->accountProjects().empty());
    EXPECT_FALSE(std::filesystem::exists(accountFolder));
    std::string trash = xdgFolder(XDGFolder::Data) + "/Trash/files/";
    EXPECT_TRUE(std::filesystem::exists(trash + accountFolder.filename().string() + "/project.brevantonwordpressproject"));
    EXPECT_TRUE(std::filesystem::exists(trash + indexName));
    EXPECT_FALSE(VornickKeychain::getDataForServiceName(passwordKey, u"writer"));
    std::filesystem::remove_all(trash + accountFolder.filename().string());
    std::filesystem::remove_all(trash + indexName);
    documentWindow->close();
}

TEST_F(AccountProjectWindows, TheSyncLogWindowShowsTheAccountsSyncLogAndClosesWithTheAccount)
{
    ASSERT_NO_FATAL_FAILURE(openAccountWithStandInBlogs({ u"Alpha" }));
    auto log = project->integrator().syncLog();
    log->log("== BEGIN Sync Session (Manual) ==");

    // The account's properties popover: its sync log button asks the project's document.
    auto accountProperties = VornickBlogHostingAccountPropertiesUIController::create();
    accountProperties->setAccount(project->wordPressAccount());
    ASSERT_TRUE(accountProperties->syncStatusUIController());
    auto& logButton = accountProperties->syncStatusUIController()->syncLogButton();
    EXPECT_TRUE(logButton->isEnabled());
    ASSERT_TRUE(logButton->performClick());
    drain();
    // The blog window asks the project editor as well.
    auto projectEditor = VornickProjectEditor::projectEditorForProject(project);
    ASSERT_TRUE(projectEditor);
    auto& controller = document->syncLogWindowController();
    ASSERT_TRUE(controller);
    auto window = controller->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_EQ(window->title(), u"Sync Log");
    EXPECT_TRUE(shell->backend().widgetForWindow(*window));
    EXPECT_EQ(controller->textView()->string(), log->text());
    log->log("Starting sync of blog \"Alpha\"");
    EXPECT_TRUE(controller->textView()->string().ends_with(u"Starting sync of blog \"Alpha\"\n"));

    // Asked again: the same window, in front.
    blogEditors[0]->window()->makeKeyAndOrderFront();
    projectEditor->showSyncLog();
    EXPECT_EQ(document->syncLogWindowController()->window(), window);
    EXPECT_TRUE(window->isKeyWindow());

    // The account closes: its sync log window goes too.
    blogEditors[0]->window()->performClose();
    ASSERT_TRUE(turnUntil([&] { return shell->accountProjects().empty(); }));
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(document->syncLogWindowController());
}

TEST_F(AccountProjectWindows, TheIndexingWindowShowsWhileABigAccountFolderIndexesAndGoesWhenDone)
{
    constexpr int postCount = 240;
    ASSERT_NO_FATAL_FAILURE(saveAccountProject([&](VornickWordPressBlogProject& newProject) {
        auto blog = addBlog(newProject, u"Alpha");
        auto& context = *newProject.index()->managedObjectContext();
        for (int i = 0; i < postCount; ++i) {
            auto post = std::dynamic_pointer_cast<VornickPublishedBlogPost>(context.insertNewObject(u"BlogPost"));
            ASSERT_TRUE(post);
            post->setObjectForKey(blog, u"blog");
            std::u16string number = toUTF16(std::to_string(i));
            post->setSourceFileName(u"post " + number + u".brevantonwordpresspost");
            post->setTitle(u"Post " + number);
            post->setSourceContentString(u"<p>Text of post " + number + u"</p>");
            post->setValueForKey(Value(u"90" + number), u"identifierUsedByBlogService");
            post->setHasEditsNotYetSavedToSourceFile(true);
        }
    }));
    // No index: opening the folder reads every file.
    Error error;
    ASSERT_TRUE(PersistentStore::destroy(indexPath, &error)) << error;
    registerStandInBlogOpener();

    // What the user sees at each step of the indexing.
    struct Seen {
        bool windowShown;
        bool widgetShown;
        // How often the widget painted so far, and the status it painted last.
        unsigned paints;
        std::u16string paintedStatus;
    };
    std::vector<Seen> seen;
    std::vector<std::u16string> statuses;
    auto observation = NotificationCenter::defaultCenter().addObserver(VornickProjectIndexingProgressNotification, nullptr, nullptr,
        [&](const Notification& notification) {
            statuses.push_back(notification.userInfo.at(u"statusMessage").string());
            std::shared_ptr<Window> indexingWindow;
            for (auto& window : Application::shared().windows()) {
                if (window->title() == u"Indexing")
                    indexingWindow = window;
            }
            auto* widget = indexingWindow ? shell->backend().widgetForWindow(*indexingWindow) : nullptr;
            Seen step { indexingWindow && indexingWindow->isVisible(), widget && widget->isVisible(), widget ? widget->paintCount() : 0, {} };
            for (const auto& command : widget ? widget->lastPaintedCommands() : std::vector<DrawCommand>()) {
                if (command.kind == DrawCommand::Kind::Text && command.text.starts_with(u"Indexing: "))
                    step.paintedStatus = command.text;
            }
            seen.push_back(std::move(step));
        });
    // Every progress step may draw; nothing else of the main loop runs meanwhile.
    VornickProjectIndexingProgress::setDisplayIntervalForTesting(std::chrono::milliseconds(0));
    std::optional<size_t> stepsWhenTheLoopTurned;
    RunLoop::main().perform([&] { stepsWhenTheLoopTurned = statuses.size(); });
    document = openAccount();
    VornickProjectIndexingProgress::setDisplayIntervalForTesting(VornickProjectIndexingProgress::displayInterval);
    ASSERT_TRUE(document);
    observation.reset();
    ASSERT_TRUE(stepsWhenTheLoopTurned);
    EXPECT_TRUE(*stepsWhenTheLoopTurned == 0 || *stepsWhenTheLoopTurned == statuses.size()) << *stepsWhenTheLoopTurned;

    // Progress came every 50 files, between the start and the end.
    ASSERT_GE(statuses.size(), 6u);
    EXPECT_TRUE(statuses.front().starts_with(u"Indexing: 0/")) << toUTF8(statuses.front());
    EXPECT_NE(std::find_if(statuses.begin(), statuses.end(), [](const auto& status) { return status.starts_with(u"Indexing: 100/"); }),
              statuses.end());
    // (Each observer sees what the one before it, the editor's, left of the
    // step before: the window shows from the second step on.)
    EXPECT_FALSE(seen.front().windowShown);
    for (size_t step = 1; step < seen.size(); ++step) {
        EXPECT_TRUE(seen[step].windowShown) << "step " << step;
        EXPECT_TRUE(seen[step].widgetShown) << "step " << step;
    }
    // The main thread was busy indexing, yet the window painted as it went:
    // when it first showed, and with the progress of the steps after.
    auto paintedProgress = [](const Seen& step) -> std::pair<int, int> {
        int indexed = -1;
        int toIndex = -1;
        std::sscanf(toUTF8(step.paintedStatus).c_str(), "Indexing: %d/%d files", &indexed, &toIndex);
        return { indexed, toIndex };
    };
    ASSERT_GE(seen.size(), 3u);
    EXPECT_GT(seen[1].paints, 0u);
    EXPECT_EQ(paintedProgress(seen[1]).first, 0) << toUTF8(seen[1].paintedStatus);
    EXPECT_GT(seen.back().paints, seen[1].paints);
    EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [&](const Seen& step) {
        auto [indexed, toIndex] = paintedProgress(step);
        return indexed > 0 && indexed < toIndex;
    }));
    auto projectEditor = VornickProjectEditor::projectEditorForProject(document->project());
    ASSERT_TRUE(projectEditor && projectEditor->indexingProgress());
    auto* progress = projectEditor->indexingProgress()->windowController();
    ASSERT_TRUE(progress);
    EXPECT_EQ(projectEditor->indexingProgress()->timesShown(), 1u);
    EXPECT_EQ(progress->titleTextField()->attributedStringValue().string(), u"Indexing project writer @ https://site.example/");
    EXPECT_FALSE(progress->window()->isVisible()) << "done, it went";
    EXPECT_FALSE(shell->backend().widgetForWindow(*progress->window())->isVisible());
    // The blog's window opened over the indexed posts.
    ASSERT_EQ(blogEditors.size(), 1u);
    EXPECT_EQ(blogEditors[0]->projectComponent()->countForKey(u"posts"), static_cast<size_t>(postCount));
}

} // namespace
} // namespace brevanton
