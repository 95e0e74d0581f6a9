// The brevanton executable on a real X server (Xvfb) with no window manager,
// given account folders: a blog's window, the preferences Ctrl+, opens over
// it, and an account without blogs its login panel. Each window shows on
// the screen at the place and size it keeps, and draws its content rather
// than a bare fill. Skipped when Xvfb or xdotool is missing.
#include "tests/shell/BlogPostWindowTestSupport.h"
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
    void launch(const std::string& path)
    {
        program = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, path },
                                                 std::vector<std::string> { "DISPLAY=" + server.display });
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
    // The window lies on the screen, draws its content, and keeps the place
    // and size it first showed at.
    void expectShownWhole(const std::string& window, const std::string& name, int skippedRows)
    {
        SCOPED_TRACE(name);
        auto first = server.windowGeometry(window);
        EXPECT_TRUE(waitFor([&] { return server.coloursShown(window, skippedRows) > 8; }, 30))
            << "the window shows " << server.coloursShown(window, skippedRows) << " colours";
        auto last = server.windowGeometry(window);
        EXPECT_EQ(first, last) << "the window moved or grew after it showed";
        auto [x, y, width, height] = last;
        EXPECT_GT(width, 100);
        EXPECT_GT(height, 100);
        EXPECT_TRUE(x >= 0 && y >= 0 && x + width <= 1920 && y + height <= 1080)
            << "at " << x << "," << y << " sized " << width << "x" << height << " on a 1920x1080 screen";
    }

    XvfbServer server;
    std::unique_ptr<ChildProcess> program;
    std::string folder;
};

TEST_F(BlogWindowsOnXvfb, TheBlogsWindowAndThePreferencesShowWholeOnTheScreen)
{
    ASSERT_TRUE(makeSyncedLikeWordPressProject(folder));
    launch(folder);
    std::string blog = waitForWindow("Test Site");
    ASSERT_FALSE(blog.empty());
    expectShownWhole(blog, "blog window", menuBarRows);

    auto before = server.visibleWindows();
    xdotool(server.display, { "windowfocus", "--sync", blog });
    server.keys({ "ctrl+comma" });
    std::string preferences = waitForNewWindow(before);
    ASSERT_FALSE(preferences.empty());
    expectShownWhole(preferences, "preferences", menuBarRows);
    // Escape closes it; the blog's window stays.
    xdotool(server.display, { "windowfocus", "--sync", preferences });
    server.keys({ "Escape" });
    EXPECT_TRUE(waitFor([&] { return !server.isVisible(preferences); }, 30)) << "Escape left the preferences open";
    EXPECT_TRUE(server.isVisible(blog));
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
    launch(folder);
    std::string panel = waitForWindow(std::filesystem::path(folder).filename().string());
    ASSERT_FALSE(panel.empty());
    expectShownWhole(panel, "login panel", menuBarRows);
}

} // namespace
