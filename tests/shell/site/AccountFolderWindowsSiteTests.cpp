// An account folder given to the real executable on an X server of its own
// (Xvfb), against the real WordPress site: a fresh account without blogs
// shows its first sync window with the login panel, its stored details
// filled in; Return in the password field logs in, and the sync brings the site's blog, after
// which "Open Blogs" takes a click; Ctrl+W ends the program well. The
// folder, synced now, opens in its blog's window the next time.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/XvfbTestSupport.h"
#include "tests/wordpress/site/WordPressSiteTestSupport.h"

#include "blog/VornickPublishedBlogProject.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogLoginUIController.h"
#include "publishing/VornickFirstBlogSyncLoginUI.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"
#include "ui/VornickSendActionOnEditSecureTextField.h"
#include "shell/VornickApplicationShell.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace brevanton::testing {
namespace {

std::string readWholeFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

// The text of every file in the folder and below.
std::string textOfFilesIn(const std::string& folder)
{
    std::string text;
    std::error_code error;
    for (auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file())
            text += readWholeFile(entry.path().string());
    }
    return text;
}

// The first sync window shows no account; its status view is in place, as
// in a session.
class NoAccount final : public VornickFirstBlogSyncDocument {
public:
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const override { return nullptr; }
};

struct FirstSyncWindowPoints {
    Point openBlogs;
    Point passwordField;
};

// Where the centres of "Open Blogs" and of the login panel's password field
// lie, from the bottom left of the first sync window's content, laid out
// with the fonts of the window program.
std::optional<FirstSyncWindowPoints> firstSyncWindowPoints()
{
    qtApplication();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<FirstSyncWindowPoints> centre;
    {
        VornickApplicationShell shell(argc, argv);
        auto document = std::make_shared<NoAccount>();
        auto controller = VornickFirstBlogSyncLoginUI::createWindowController(document);
        auto window = controller->loadWindow();
        auto loginUI = std::dynamic_pointer_cast<VornickFirstBlogSyncLoginUI>(controller->loginInterface());
        std::optional<Point> password;
        if (loginUI && !controller->isShowingSyncStatusUI()) {
            auto& field = *loginUI->loginUIController()->passwordField();
            Rect frame = field.convertRectToView(field.bounds(), nullptr);
            password = Point { frame.midX(), frame.midY() };
        }
        controller->showSyncStatusUI();
        auto& button = *controller->syncStatusUIController()->syncCompletionButton();
        if (password && controller->isShowingSyncStatusUI() && button.title() == u"Open Blogs") {
            Rect frame = button.convertRectToView(button.bounds(), nullptr);
            centre = FirstSyncWindowPoints { Point { frame.midX(), frame.midY() }, *password };
        }
        window->close();
        controller.reset();
        RunLoop::main().runFor(0.05);
    }
    Application::shared().resetForTesting();
    return centre;
}

TEST(AccountFolderWindows, FirstSyncWindowSyncsOpenBlogsTakesAClickCtrlWEndsTheProgramThenTheBlogsWindowsOpen)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    std::string scriptOutput;
    ASSERT_TRUE(runWordPressSiteScript("restore", {}, &scriptOutput)) << scriptOutput;

    // A fresh account folder: the project file, the address and login, the
    // application password in the keychain file the program reads too.
    auto folder = createTemporaryDirectory("account-folder-windows");
    ASSERT_TRUE(folder);
    std::string caches = *folder + "/caches";
    std::string account = *folder + "/Account";
    std::u16string windowName;
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(account + "/" + toUTF8(VornickWordPressProjectFileName), false), &error);
        ASSERT_TRUE(project) << error;
        auto wordPressAccount = project->wordPressAccount();
        wordPressAccount->setRootURLString(site.url + u"/");
        wordPressAccount->setUseXMLRPC(false);
        wordPressAccount->setLoginID(site.administrator.username);
        ASSERT_TRUE(wordPressAccount->setPassword(site.administrator.applicationPassword, &error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
        windowName = wordPressAccount->displayNameForWindowTitle();
    }
    auto points = firstSyncWindowPoints();
    ASSERT_TRUE(points);

    XvfbServer server;
    ASSERT_TRUE(server.start()) << "Xvfb did not start";
    // Its own caches: the general log and the sync log are the program's alone.
    std::vector<std::string> environment { "DISPLAY=" + server.display, "XDG_CACHE_HOME=" + caches };
    auto program = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, account }, environment);
    ASSERT_TRUE(program->running());
    std::string window;
    ASSERT_TRUE(server.waitWhileRunning(*program, [&] { return !(window = server.windowNamed("^" + toUTF8(windowName) + "$")).empty(); }, 30))
        << "no first sync window named " << toUTF8(windowName) << server.whatEnded(*program);

    // The login panel shows the stored details; nothing signs in before
    // Return in its password field.
    std::string syncLogs = caches + "/com.Orbendalworks.Brevanton/SyncLogs";
    auto syncBegan = [&] { return textOfFilesIn(syncLogs).find("== BEGIN Sync Session") != std::string::npos; };
    EXPECT_FALSE(waitFor(syncBegan, 2)) << "the first sync began before the user logged in";
    auto [loginWidth, loginHeight] = server.windowSize(window);
    bool loggedIn = false;
    for (int attempt = 0; attempt < 5 && !loggedIn; ++attempt) {
        server.click(window, static_cast<int>(points->passwordField.x), loginHeight - static_cast<int>(points->passwordField.y));
        server.keys({ "End", "Return" });
        loggedIn = waitFor(syncBegan, 6);
    }
    ASSERT_TRUE(loggedIn) << "Return did not log in";

    // The first sync runs with the stored password and brings the blog.
    ASSERT_TRUE(waitFor([&] { return textOfFilesIn(syncLogs).find("== END Sync Session") != std::string::npos; }, 50))
        << textOfFilesIn(syncLogs);
    std::string syncLog = textOfFilesIn(syncLogs);
    EXPECT_NE(syncLog.find("state=Completed"), std::string::npos) << syncLog;
    std::string blogsFolder = account + "/blogs";
    std::string blogFolderName;
    for (auto& entry : std::filesystem::directory_iterator(blogsFolder))
        blogFolderName = entry.path().filename().string();
    ASSERT_FALSE(blogFolderName.empty());

    // "Open Blogs" shows now: a click opens the blog's window (or, where no
    // blog window is built in, says so in the general log).
    auto [width, height] = server.windowSize(window);
    ASSERT_GT(height, 0);
    std::string generalLog = caches + "/com.Orbendalworks.Brevanton/Logs/GeneralLog.txt";
    std::string blogWindow;
    auto clicked = [&] {
        return !(blogWindow = server.windowNamed(blogFolderName.substr(0, blogFolderName.find(" (")))).empty()
            || readWholeFile(generalLog).find("could not be opened: There is no window for an item") != std::string::npos;
    };
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        server.click(window, static_cast<int>(points->openBlogs.x), height - static_cast<int>(points->openBlogs.y));
        opened = waitFor(clicked, 6);
    }
    ASSERT_TRUE(opened) << "\"Open Blogs\" took no click\n" << readWholeFile(generalLog);

    // Ctrl+W closes the window in front; the program ends well with its last one.
    server.keys({ "ctrl+w" });
    ASSERT_TRUE(program->waitForExit(20)) << "the program did not end";
    EXPECT_TRUE(program->exitedNormally());
    EXPECT_EQ(program->exitCode(), 0);

    // Synced, the account opens in its blog's window.
    program = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, account }, environment);
    ASSERT_TRUE(program->running());
    bool blogWindowShowed = waitFor([&] { return !(blogWindow = server.windowNamed(blogFolderName.substr(0, blogFolderName.find(" (")))).empty(); }, 20);
    if (!blogWindowShowed) {
        // Without blog windows built in, nothing shows and the project closes.
        ASSERT_TRUE(program->waitForExit(20)) << "the program showed nothing and did not end";
        EXPECT_EQ(program->exitCode(), 0);
        EXPECT_TRUE(server.windowNamed("^" + toUTF8(windowName) + "$").empty());
    } else {
        xdotool(server.display, { "windowfocus", "--sync", blogWindow });
        server.keys({ "ctrl+w" });
        ASSERT_TRUE(program->waitForExit(20)) << "the program did not end";
        EXPECT_TRUE(program->exitedNormally());
        EXPECT_EQ(program->exitCode(), 0);
    }

    program.reset();
    server.process.reset();
    EXPECT_TRUE(removeItem(*folder));
    std::string restoreOutput;
    EXPECT_TRUE(runWordPressSiteScript("restore", {}, &restoreOutput)) << restoreOutput;
}

} // namespace
} // namespace brevanton::testing
