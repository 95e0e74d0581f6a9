// The user's session in a blog's window against the real WordPress site: the
// executable's exhaustive sync brings the site into a fresh account folder;
// the program, given the folder on an X server of its own (Xvfb) and driven
// by xdotool, shows the blog's window, where Ctrl+F, a word of a post's
// title, Tab, Down and Return open the post's window; Ctrl+W closes it;
// "Trash" in the toolbar and Return in its sheet move the post to the Trash
// (its file says so); "Sync" sends it to the site's Trash; Ctrl+W closes the
// blog's window, whose list state (the search) is written beside the index.
#include "tests/platform/views/qt/QtTestSupport.h"
#include "tests/shell/XvfbTestSupport.h"
#include "tests/shell/site/AccountLayoutCopy.h"
#include "tests/wordpress/site/RESTSiteTestSupport.h"

#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "html/VornickHTMLServices.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Toolbar.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "publishing/VornickBlogEditorRestorableState.h"
#include "shell/VornickApplicationShell.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

namespace brevanton::testing::blog_window_session_site_tests {
namespace {

constexpr const char16_t* trashItemIdentifier = u"VornickDeletePostsToolbarItemIdentifier";
constexpr const char16_t* syncItemIdentifier = u"VornickStartSyncWithHostToolbarItemIdentifier";

bool runBrevanton(const std::vector<std::string>& arguments, std::string* output)
{
    ProcessLaunch launch;
    launch.executable = BREVANTON_EXECUTABLE;
    launch.arguments = arguments;
    // As scripts/run starts it.
    launch.environment["BREVANTON_ANNOUNCE_MODE"] = "1";
    launch.timeout = std::chrono::minutes(10);
    Error error;
    auto result = Process::run(launch, &error);
    if (!result) {
        *output = toUTF8(error.localizedDescription());
        return false;
    }
    *output = result->standardOutput + result->standardError;
    return result->succeeded();
}

// A regular expression matching the text as it is.
std::string regularExpressionMatching(const std::string& text)
{
    std::string escaped;
    for (char character : text) {
        if (std::string_view("\\^$.|?*+()[]{}").find(character) != std::string_view::npos)
            escaped += '\\';
        escaped += character;
    }
    return escaped;
}

std::string readWholeFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::stringstream buffer;
    buffer << stream.rdbuf();
    return buffer.str();
}

Value postFileValue(const std::string& path, const char16_t* key)
{
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(path), &error);
    const Value* value = archive ? archive->objectForKey(key) : nullptr;
    return value ? *value : Value();
}

// Where the toolbar's items are in the blog's window, in the window's own
// pixels: the account folder opened by the shell on the offscreen platform,
// its window sized as the one on the X display is (the toolbar lays out the
// same on every display), on a copy of the account: the program under test
// holds the account itself. The window is closed at once.
std::optional<std::map<std::u16string, QPoint>> toolbarItemCentres(const std::string& folder, int width, int height)
{
    qtApplication();
    VornickInstallHTMLServices();
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    std::optional<std::map<std::u16string, QPoint>> centres;
    AccountLayoutCopy copy(folder);
    {
        VornickApplicationShell shell(argc, argv);
        Error error;
        auto account = shell.openAccountProject(copy.folder(), &error);
        EXPECT_TRUE(account) << error;
        std::shared_ptr<Window> window;
        static_cast<void>(RunLoop::main().runUntil(
            [&] {
                QCoreApplication::processEvents();
                for (auto& candidate : Application::shared().windows()) {
                    if (candidate->isVisible() && candidate->toolbar() && candidate->toolbar()->itemWithIdentifier(syncItemIdentifier))
                        window = candidate;
                }
                return window != nullptr;
            },
            20));
        EXPECT_TRUE(window) << "no blog window opened";
        if (window) {
            auto* widget = shell.backend().widgetForWindow(*window);
            for (int round = 0; round < 3 && widget && (widget->width() != width || widget->height() != height); ++round) {
                Rect frame = window->frame();
                double dw = width - widget->width();
                double dh = height - widget->height();
                window->setFrame(Rect(frame.minX(), frame.minY() - dh, frame.width() + dw, frame.height() + dh));
                QCoreApplication::processEvents();
                RunLoop::main().runFor(0.05);
                widget = shell.backend().widgetForWindow(*window);
            }
            EXPECT_TRUE(widget && widget->width() == width && widget->height() == height);
            auto& toolbar = *window->toolbar();
            toolbar.layout();
            std::map<std::u16string, QPoint> found;
            for (const char16_t* identifier : { trashItemIdentifier, syncItemIdentifier }) {
                auto item = toolbar.itemWithIdentifier(identifier);
                Rect rect = item ? toolbar.view()->rectOfItem(*item) : Rect();
                EXPECT_FALSE(rect.isEmpty()) << toUTF8(identifier) << " is not in the toolbar";
                Rect inWindow = toolbar.view()->convertRectToView(rect, nullptr);
                found[identifier] = QPoint(static_cast<int>(inWindow.midX()), static_cast<int>(height - inWindow.midY()));
            }
            if (widget && widget->width() == width && widget->height() == height)
                centres = std::move(found);
            window->close();
        }
        RunLoop::main().runFor(0.1);
    }
    Application::shared().resetForTesting();
    return centres;
}

TEST(BlogWindowSession, SearchOpensAPostTrashAndSyncSendItToTheSiteTrashAndTheWindowKeepsItsSearch)
{
    BREVANTON_REQUIRE_WORDPRESS_SITE(site);
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    std::string scriptOutput;
    ASSERT_TRUE(runWordPressSiteScript("restore", {}, &scriptOutput)) << scriptOutput;

    // A fresh account folder; the application password in the keychain file
    // the program reads too, never on a command line.
    auto folder = createTemporaryDirectory("blog-window-session");
    ASSERT_TRUE(folder);
    std::string projectPath = *folder + "/" + toUTF8(VornickWordPressProjectFileName);
    {
        Error error;
        auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(URL::fileURLWithPath(projectPath, false), &error);
        ASSERT_TRUE(project) << error;
        auto account = project->wordPressAccount();
        account->setRootURLString(site.url + u"/");
        account->setUseXMLRPC(false);
        account->setLoginID(site.administrator.username);
        ASSERT_TRUE(account->setPassword(site.administrator.applicationPassword, &error)) << error;
        ASSERT_TRUE(project->save(&error)) << error;
    }
    std::string output;
    ASSERT_TRUE(runBrevanton({ "--sync", "--type", "3", *folder }, &output)) << output;

    // The blog's name, the pending posts' files and identifiers, and where
    // the window's state goes.
    std::u16string blogName;
    std::map<std::u16string, std::pair<std::string, std::u16string>> pendingPosts;
    std::string statePath;
    {
        Error error;
        auto project = VornickProject::createWithContentsOfProjectFileURL<VornickWordPressBlogProject>(
            URL::fileURLWithPath(projectPath, false), &error);
        ASSERT_TRUE(project) << error;
        statePath = VornickBlogEditorRestorableState::stateFilePathForIndexFilePath(project->index()->filePath());
        auto posts = vornick_allEntitiesOfKind(*project->index()->managedObjectContext(), u"BlogPost").value_or(ManagedObjects());
        for (auto& object : posts) {
            auto post = std::dynamic_pointer_cast<VornickWordPressBlogPost>(object);
            if (post && post->title().rfind(u"Pending ", 0) == 0 && post->sourceFileURL()) {
                pendingPosts[post->title()] = { *post->sourceFileURL()->fileSystemPath(), post->identifierUsedByBlogService() };
                if (auto blog = post->blog())
                    blogName = blog->displayName();
            }
        }
    }
    ASSERT_EQ(pendingPosts.size(), 3u) << output;
    ASSERT_FALSE(blogName.empty());

    XvfbServer server;
    ASSERT_TRUE(server.start()) << "Xvfb did not start";
    constexpr int width = 1280;
    constexpr int height = 800;
    auto toolbarItems = toolbarItemCentres(*folder, width, height);
    ASSERT_TRUE(toolbarItems);
    // The offscreen window wrote its state; the session's is written anew.
    static_cast<void>(removeItem(statePath));

    auto program = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, *folder },
        std::vector<std::string> { "DISPLAY=" + server.display });
    ASSERT_TRUE(program->running());
    std::string window;
    ASSERT_TRUE(server.waitWhileRunning(
        *program, [&] { return !(window = server.windowNamed("^" + regularExpressionMatching(toUTF8(blogName)) + "$")).empty(); }, 30))
        << "no window named " << toUTF8(blogName) << server.whatEnded(*program);
    ASSERT_TRUE(server.resizeWindow(window, width, height)) << server.windowSize(window).first << "x" << server.windowSize(window).second;

    // Find a post by a word of its title; the first found opens in its window.
    std::string postWindow;
    bool opened = false;
    for (int attempt = 0; attempt < 3 && !opened; ++attempt) {
        xdotool(server.display, { "windowfocus", "--sync", window });
        server.keys({ "ctrl+f", "ctrl+a" });
        EXPECT_TRUE(server.type("Pending"));
        server.keys({ "Tab", "Down", "Return" });
        opened = waitFor([&] { return !(postWindow = server.windowNamed("^Pending [0-9]")).empty(); }, 15);
    }
    ASSERT_TRUE(opened) << "no post's window opened from the list";
    std::u16string title = toUTF16(server.windowTitle(postWindow));
    auto post = pendingPosts.find(title);
    ASSERT_NE(post, pendingPosts.end()) << toUTF8(title);
    const std::string postPath = post->second.first;
    const std::u16string identifier = post->second.second;
    ASSERT_FALSE(identifier.empty());

    xdotool(server.display, { "windowfocus", "--sync", postWindow });
    server.keys({ "ctrl+w" });
    ASSERT_TRUE(waitFor([&] { return server.windowNamed("^Pending [0-9]").empty(); }, 15)) << "the post's window stayed";

    // The post, still selected, goes to the Trash from the toolbar and its sheet.
    bool trashed = false;
    QPoint trash = toolbarItems->at(trashItemIdentifier);
    for (int attempt = 0; attempt < 3 && !trashed; ++attempt) {
        server.click(window, trash.x(), trash.y());
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        server.keys({ "Return" });
        trashed = waitFor([&] { return postFileValue(postPath, u"inTrash").boolValue(); }, 10);
    }
    ASSERT_TRUE(trashed) << "the post's file does not say it is in the Trash";
    EXPECT_TRUE(program->running());

    // Sync: the site has it in its Trash.
    QPoint sync = toolbarItems->at(syncItemIdentifier);
    auto statusOnSite = [&] {
        SiteReply reply = siteRESTRequest(site, site.administrator, u"GET", u"/wp/v2/posts/" + identifier + u"?context=edit");
        return reply.status == 200 && reply.json ? (*reply.json)[u"status"].stringValue() : std::u16string();
    };
    EXPECT_EQ(statusOnSite(), u"pending");
    bool synced = false;
    for (int attempt = 0; attempt < 2 && !synced; ++attempt) {
        server.click(window, sync.x(), sync.y());
        synced = waitFor([&] { return statusOnSite() == u"trash"; }, 25);
    }
    EXPECT_TRUE(synced) << "the site's post is " << toUTF8(statusOnSite());

    // Ctrl+W closes the blog's window, the last one: its state is written
    // and the program ends well.
    xdotool(server.display, { "windowfocus", "--sync", window });
    server.keys({ "ctrl+w" });
    ASSERT_TRUE(program->waitForExit(20)) << "the program did not end";
    EXPECT_TRUE(program->exitedNormally());
    EXPECT_EQ(program->exitCode(), 0);
    std::string state = readWholeFile(statePath);
    EXPECT_NE(state.find(toUTF8(VornickBlogEditorSearchStringKey)), std::string::npos) << state;
    EXPECT_NE(state.find("Pending"), std::string::npos) << state;

    program.reset();
    server.process.reset();
    EXPECT_TRUE(removeItem(*folder));
    std::string restoreOutput;
    EXPECT_TRUE(runWordPressSiteScript("restore", {}, &restoreOutput)) << restoreOutput;
}

} // namespace
} // namespace brevanton::testing::blog_window_session_site_tests
