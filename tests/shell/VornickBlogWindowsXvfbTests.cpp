// The brevanton executable on a real X server (Xvfb) with no window manager,
// given account folders: a blog's window and its post's, with the post's
// status menu, source window, properties popover and spelling panel, the
// media library, the preferences Ctrl+, opens with each of their panes and
// the General Log; an account without blogs its login panel. Each window shows on the screen at
// the place and size it keeps, and draws its content rather than a bare
// fill. Skipped when Xvfb or xdotool is missing.
#include "tests/shell/BlogPostWindowTestSupport.h"
#include "tests/shell/OffscreenWindowPoints.h"
#include "tests/shell/XvfbTestSupport.h"

#include "platform/foundation/FileUtilities.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace brevanton;
using namespace brevanton::testing;

namespace {

// Above this row a window shows its menu bar.
constexpr int menuBarRows = 40;

class BlogWindowsOnXvfb : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XvfbServer::available())
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(server.start()) << "Xvfb did not start";
        auto made = createTemporaryDirectory("brevanton-xvfb-blog");
        ASSERT_TRUE(made);
        folder = *made;
    }
    void TearDown() override
    {
        program.reset();
        server.process.reset();
        if (!folder.empty())
            std::filesystem::remove_all(folder);
    }
    // The program on the paths, with defaults of its own.
    void launch(const std::vector<std::string>& paths)
    {
        std::vector<std::string> arguments { BREVANTON_EXECUTABLE };
        arguments.insert(arguments.end(), paths.begin(), paths.end());
        program = std::make_unique<ChildProcess>(arguments,
                                                 std::vector<std::string> { "DISPLAY=" + server.display, "XDG_CONFIG_HOME=" + folder + "/config" });
        ASSERT_TRUE(program->running());
    }
    // The window whose title matches, once it shows.
    std::string waitForWindow(const std::string& pattern)
    {
        std::string window;
        EXPECT_TRUE(server.waitWhileRunning(*program, [&] { return !(window = server.windowNamed(pattern)).empty(); }, 60))
            << "no window " << pattern << server.whatEnded(*program);
        return window;
    }
    // The first window to show that is not among `before`.
    std::string waitForNewWindow(const std::vector<std::string>& before)
    {
        std::string shown;
        EXPECT_TRUE(server.waitWhileRunning(
            *program,
            [&] {
                for (const auto& window : server.visibleWindows()) {
                    if (std::find(before.begin(), before.end(), window) == before.end())
                        shown = window;
                }
                return !shown.empty();
            },
            60))
            << "no new window showed" << server.whatEnded(*program);
        return shown;
    }
    // The window lies on the screen, draws its content (more than a bare
    // fill below its top `skippedRows`), and keeps the place and size it
    // first showed at, at least `leastHeight` tall.
    void expectShownWhole(const std::string& window, const std::string& name, int skippedRows, int leastHeight = 100)
    {
        SCOPED_TRACE(name);
        auto first = server.windowGeometry(window);
        EXPECT_TRUE(waitFor([&] { return server.coloursShown(window, skippedRows) > 8; }, 30))
            << "the window shows " << server.coloursShown(window, skippedRows) << " colours";
        auto last = server.windowGeometry(window);
        EXPECT_EQ(first, last) << "the window moved or grew after it showed";
        auto [x, y, width, height] = last;
        EXPECT_GT(width, 100);
        EXPECT_GT(height, leastHeight);
        EXPECT_TRUE(x >= 0 && y >= 0 && x + width <= 1920 && y + height <= 1080)
            << "at " << x << "," << y << " sized " << width << "x" << height << " on a 1920x1080 screen";
    }

    // Raises the window and gives it the keyboard, as a click on it would
    // under a window manager.
    void bringForward(const std::string& window)
    {
        xdotool(server.display, { "windowraise", window });
        xdotool(server.display, { "windowfocus", "--sync", window });
    }

    XvfbServer server;
    std::unique_ptr<ChildProcess> program;
    std::string folder;
};

TEST_F(BlogWindowsOnXvfb, EachWindowOfABlogAndItsPostShowsWholeOnTheScreen)
{
    const OffscreenWindowPoints points = windowPointsInOffscreenWindows();
    ASSERT_FALSE(points.mediaButton.isNull() || points.propertiesButton.isNull() || points.statusPopUp.isNull());
    ASSERT_FALSE(points.preferencePanes.empty());
    auto postFile = makeSyncedLikeWordPressProject(folder, postBody, false, { { u"draft", u"Draft" }, { u"pending", u"Pending Review" } });
    ASSERT_TRUE(postFile);
    launch({ folder, *postFile });
    std::string blog = waitForWindow("Test Site");
    std::string post = waitForWindow("Hello world");
    ASSERT_FALSE(blog.empty() || post.empty());
    expectShownWhole(blog, "blog window", menuBarRows);
    expectShownWhole(post, "post window", menuBarRows);

    // The post's status pop-up lists the blog's statuses in a menu on the screen.
    bringForward(post);
    auto before = server.visibleWindows();
    server.click(post, points.statusPopUp.x(), points.statusPopUp.y());
    std::string menu = waitForNewWindow(before);
    ASSERT_FALSE(menu.empty());
    expectShownWhole(menu, "status menu", 0, 40);
    server.keys({ "Escape" });
    EXPECT_TRUE(waitFor([&] { return !server.isVisible(menu); }, 30)) << "Escape left the menu open";

    // Ctrl+Alt+U: the source in a window of its own, beside the post's.
    bringForward(post);
    server.keys({ "ctrl+alt+u" });
    std::string source = waitForWindow("^Hello world .* Source$");
    ASSERT_FALSE(source.empty());
    expectShownWhole(source, "source window", 0);
    auto postFrame = server.windowGeometry(post);
    EXPECT_GT(server.windowGeometry(source)[0], postFrame[0] + postFrame[2] / 2) << "right of the post's window";

    // The properties popover opens at its button, on the screen.
    before = server.visibleWindows();
    bringForward(post);
    server.click(post, points.propertiesButton.x(), points.propertiesButton.y());
    std::string popover = waitForNewWindow(before);
    ASSERT_FALSE(popover.empty());
    expectShownWhole(popover, "properties popover", 0);

    // The blog's media library, in the middle of the screen across.
    bringForward(blog);
    server.click(blog, points.mediaButton.x(), points.mediaButton.y());
    std::string library = waitForWindow("^Media Library: Test Site$");
    ASSERT_FALSE(library.empty());
    // An empty library shows its menu bar over its backdrop.
    expectShownWhole(library, "media library", 0);
    auto [x, y, width, height] = server.windowGeometry(library);
    EXPECT_NEAR(x + width / 2, 1920 / 2, 1) << "at " << x << "," << y;
    EXPECT_GT(y, 0);

    // Ctrl+, opens the preferences; a click on each pane's item shows it.
    before = server.visibleWindows();
    bringForward(blog);
    server.keys({ "ctrl+comma" });
    std::string preferences = waitForNewWindow(before);
    ASSERT_FALSE(preferences.empty());
    expectShownWhole(preferences, "preferences", menuBarRows);
    for (const auto& entry : points.preferencePanes) {
        const auto& pane = entry.first;
        const auto& item = entry.second;
        server.click(preferences, item.x(), item.y());
        EXPECT_TRUE(waitFor([&] { return server.windowTitle(preferences) == pane; }, 30))
            << "the click showed " << server.windowTitle(preferences) << ", not " << pane;
        expectShownWhole(preferences, "preferences, " + pane, menuBarRows);
    }
    // Escape closes them; the blog's window stays.
    xdotool(server.display, { "windowfocus", "--sync", preferences });
    server.keys({ "Escape" });
    EXPECT_TRUE(waitFor([&] { return !server.isVisible(preferences); }, 30)) << "Escape left the preferences open";
    EXPECT_TRUE(server.isVisible(blog));

    // Help > General Log, by the keyboard: Alt takes the menu bar, Left
    // wraps to its last menu, Down opens it at its first item.
    bringForward(blog);
    server.keys({ "alt", "Left", "Down", "Return" });
    std::string log = waitForWindow("^General Log$");
    ASSERT_FALSE(log.empty());
    expectShownWhole(log, "general log", menuBarRows);

    // Edit > Spelling > Show Spelling and Grammar in the post's window: Up
    // wraps to the Edit menu's last item, Right opens its submenu. The
    // panel shows its field and buttons in the screen's upper half.
    bringForward(post);
    server.keys({ "alt", "Right", "Down", "Up", "Right", "Return" });
    std::string spelling = waitForWindow("^Spelling and Grammar$");
    ASSERT_FALSE(spelling.empty());
    expectShownWhole(spelling, "spelling panel", 0);
    EXPECT_LT(server.windowGeometry(spelling)[1], 1080 / 2);
}

TEST_F(BlogWindowsOnXvfb, AnAccountWithoutBlogsShowsItsLoginPanelWholeOnTheScreen)
{
    Error error;
    auto project = VornickProject::createWithNewProjectFileURL<VornickWordPressBlogProject>(
        URL::fileURLWithPath(folder + "/project.brevantonwordpressproject", false), &error);
    ASSERT_TRUE(project) << error;
    ASSERT_TRUE(project->index()->commitEditingAndSave(&error)) << error;
    ASSERT_TRUE(project->save(&error)) << error;
    project.reset();
    launch({ folder });
    std::string panel = waitForWindow(std::filesystem::path(folder).filename().string());
    ASSERT_FALSE(panel.empty());
    expectShownWhole(panel, "login panel", menuBarRows);
}

} // namespace
