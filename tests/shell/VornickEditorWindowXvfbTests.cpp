// The brevanton executable on a real X server (Xvfb) driven by xdotool: a
// click in the heading, typed keys and Ctrl+S write the file; "<em" and
// Return in the completion window insert an emphasis; Ctrl+B styles
// a typed word, Ctrl+F finds it and Ctrl+Shift+S saves under a new name; on
// an installed manual, Ctrl+End, typing, Ctrl+B, Ctrl+F, Save As and Ctrl+W;
// a new window's page filling its pane, a click at its foot placing the
// caret; a source window of its own beside a page filling its window; in a
// post's window, letters the keyboard map lacks typed into the title, and
// Ctrl+Alt+U shows and hides the source's own window.
// The servers themselves: a display each, clients served while others come
// and go, and a program that cannot open its display ends the wait at once.
// Skipped when Xvfb or xdotool is missing.
#include "tests/shell/BlogPostWindowTestSupport.h"
#include "tests/shell/XvfbTestSupport.h"

#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "toolkit/VornickObjectArchive.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brevanton;
using namespace brevanton::testing;

// Where the heading's text is in the window: the layout is the same on every
// display, so the offscreen window the tests open tells.
QPoint headingTextInOffscreenWindow();
namespace brevanton {
QPoint postTitleTextInOffscreenWindow();
}

namespace {

// A display of its own for each test, and the window of the program on it.
class EditorWindowOnXvfb : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!XvfbServer::available())
            GTEST_SKIP() << "Xvfb or xdotool is not installed";
        ASSERT_TRUE(server.start()) << "Xvfb did not start";
        display = server.display;
    }
    void TearDown() override
    {
        editor.reset();
        server.process.reset();
    }
    // Starts the program on the file (with `environment` besides the display)
    // and waits for its window.
    void launch(const std::string& path, std::vector<std::string> environment = {})
    {
        environment.push_back("DISPLAY=" + display);
        editor = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, path }, environment);
        ASSERT_TRUE(editor->running());
        ASSERT_TRUE(server.waitWhileRunning(*editor, [&] { return !(window = windowNamed(std::filesystem::path(path).filename().string())).empty(); }, 30))
            << "no window showed " << path << server.whatEnded(*editor);
    }
    std::string windowNamed(const std::string& name) const { return server.windowNamed(name); }
    // The title the window shows (ending in "*" while the document is edited).
    std::string windowTitle() const { return server.windowTitle(window); }
    void keys(std::initializer_list<const char*> names) { server.keys(names); }
    void type(const std::string& text) { EXPECT_TRUE(server.type(text)); }
    // Answers the save panel Ctrl+Shift+S shows with a name in the file's folder.
    void saveAs(const std::string& name)
    {
        keys({ "ctrl+shift+s" });
        std::string dialog;
        ASSERT_TRUE(waitFor([&] { return !(dialog = windowNamed("Save")).empty(); }, 30)) << "no save panel showed";
        xdotool(display, { "windowfocus", "--sync", dialog });
        keys({ "ctrl+a" });
        type(name);
        keys({ "Return" });
    }

    XvfbServer server;
    std::string display;
    std::unique_ptr<ChildProcess> editor;
    std::string window;
};

TEST_F(EditorWindowOnXvfb, ClickTypeAndCtrlSWriteTheFile)
{
    auto folder = createTemporaryDirectory("brevanton-xvfb");
    ASSERT_TRUE(folder);
    for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/editing"))
        std::filesystem::copy_file(entry.path(), *folder + "/" + entry.path().filename().string());
    std::string page = *folder + "/page.html";

    launch(page);

    QPoint heading = headingTextInOffscreenWindow();
    ASSERT_FALSE(heading.isNull());
    // The window may show before its page has loaded, when nothing takes
    // the click yet: on a busy machine the keys are sent again until a save
    // shows them.
    bool saved = false;
    for (int attempt = 0; attempt < 6 && !saved; ++attempt) {
        xdotool(display, { "windowfocus", "--sync", window });
        xdotool(display, { "mousemove", "--window", window, std::to_string(heading.x()), std::to_string(heading.y()), "click", "1" });
        type("Xy");
        keys({ "ctrl+s" });
        saved = waitFor(
            [&] {
                auto contents = readFile(page);
                return contents && contents->find("<h1>") != std::string::npos
                    && contents->find("<h1>Heading</h1>") == std::string::npos;
            },
            5);
    }
    auto contents = readFile(page).value_or("");
    EXPECT_TRUE(saved) << contents;
    auto headingStart = contents.find("<h1>");
    ASSERT_NE(headingStart, std::string::npos) << contents;
    EXPECT_NE(contents.substr(headingStart, contents.find("</h1>") - headingStart).find("Xy"), std::string::npos) << contents;

    // "<" opens the element name completion in a window of its own; "em"
    // searches it and Return puts an emphasis at the caret for the next word.
    auto windowsBefore = server.visibleWindows();
    type("<em");
    std::string completion;
    EXPECT_TRUE(waitFor([&] {
        for (const auto& shown : server.visibleWindows()) {
            if (std::find(windowsBefore.begin(), windowsBefore.end(), shown) == windowsBefore.end())
                completion = shown;
        }
        return !completion.empty();
    }, 30)) << "\"<\" showed no completion";
    keys({ "Return" });
    EXPECT_TRUE(waitFor([&] { return completion.empty() || !server.isVisible(completion); }, 30)) << "Return left the completion open";
    type("Em");
    keys({ "ctrl+s" });
    EXPECT_TRUE(waitFor([&] { return readFile(page).value_or("").find("<em>Em</em>") != std::string::npos; }, 30))
        << readFile(page).value_or("");
    contents = readFile(page).value_or("");

    // Ctrl+B, a word, Ctrl+B: the word is strong. Ctrl+F finds it, and
    // Ctrl+Shift+S saves the page under a new name, leaving the old file.
    std::string savedBefore = contents;
    keys({ "ctrl+b" });
    type("Bold");
    keys({ "ctrl+b", "ctrl+f" });
    type("Bold");
    keys({ "Return" });
    saveAs("copy.html");
    std::string copy = *folder + "/copy.html";
    EXPECT_TRUE(waitFor([&] { return readFile(copy).has_value(); }, 30)) << "nothing was saved as copy.html";
    auto copied = readFile(copy).value_or("");
    EXPECT_NE(copied.find("<strong>Bold</strong>"), std::string::npos) << copied;
    EXPECT_NE(copied.find("Xy"), std::string::npos) << copied;
    EXPECT_EQ(readFile(page).value_or(""), savedBefore) << "the old file is unchanged";
    ASSERT_TRUE(waitFor([&] { return !xdotool(display, { "search", "--onlyvisible", "--name", "copy.html" }).standardOutput.empty(); }, 30))
        << "the window goes on with the new file";

    // Ctrl+W closes the window, and the program ends with it, successfully.
    xdotool(display, { "windowfocus", "--sync", window });
    xdotool(display, { "key", "ctrl+w" });
    EXPECT_TRUE(editor->waitForExit(30));
    EXPECT_TRUE(editor->exitedNormally()) << "the program ended by a signal";
    EXPECT_EQ(editor->exitCode(), 0);
    std::filesystem::remove_all(*folder);
}

// A new window's page fills its pane down to the path bar at the window's
// foot from the start: the pane's lowest row is the page's white, and a click
// there puts the caret on the page, where typed letters are saved.
TEST_F(EditorWindowOnXvfb, ANewWindowsPageFillsItsPaneAndAClickLowInItPlacesTheCaret)
{
    auto folder = createTemporaryDirectory("brevanton-xvfb-fill");
    ASSERT_TRUE(folder);
    for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/editing"))
        std::filesystem::copy_file(entry.path(), *folder + "/" + entry.path().filename().string());
    std::string page = *folder + "/page.html";
    launch(page);

    auto [width, height] = server.windowSize(window);
    ASSERT_GT(height, 600) << "a window of a desktop's size";
    // Above the path bar (39 points) at the window's foot, left in the page.
    const int x = 40;
    const int y = height - 39 - 8;
    EXPECT_TRUE(waitFor([&] { return server.pixel(window, x, y) == 0xFFFFFF; }, 30))
        << "the pane's foot shows " << std::hex << server.pixel(window, x, y);
    bool saved = false;
    for (int attempt = 0; attempt < 6 && !saved; ++attempt) {
        server.click(window, x, y);
        type("Qz");
        keys({ "ctrl+s" });
        saved = waitFor([&] { return readFile(page).value_or("").find("Qz") != std::string::npos; }, 5);
    }
    EXPECT_TRUE(saved) << readFile(page).value_or("");
    auto contents = readFile(page).value_or("");
    EXPECT_LT(contents.find("Qz"), contents.find("</body>")) << contents;
    std::filesystem::remove_all(*folder);
}

// With the source kept out of the page's window, the source shows in a
// window of its own beside it, drawn and on the screen, and the page fills
// its window across.
TEST_F(EditorWindowOnXvfb, ADetachedSourceWindowStandsBesideItsPageWhichFillsItsWindow)
{
    auto folder = createTemporaryDirectory("brevanton-xvfb-detached");
    ASSERT_TRUE(folder);
    for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/editing"))
        std::filesystem::copy_file(entry.path(), *folder + "/" + entry.path().filename().string());
    std::string page = *folder + "/page.html";
    std::filesystem::create_directories(*folder + "/config/com.Orbendalworks.Brevanton");
    std::ofstream(*folder + "/config/com.Orbendalworks.Brevanton/UserDefaults.plist")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>EmbedSourceLoupe</key><integer>0</integer></dict></plist>\n";
    launch(page, { "XDG_CONFIG_HOME=" + *folder + "/config" });

    std::string source;
    ASSERT_TRUE(server.waitWhileRunning(*editor, [&] { return !(source = windowNamed("page.html \u2014 Source")).empty(); }, 30))
        << "no source window showed" << server.whatEnded(*editor);
    EXPECT_TRUE(waitFor([&] { return server.coloursShown(source) > 8; }, 30)) << "the source window shows " << server.coloursShown(source) << " colours";
    auto [pageX, pageY, pageWidth, pageHeight] = server.windowGeometry(window);
    auto [x, y, width, height] = server.windowGeometry(source);
    EXPECT_TRUE(x >= pageX + pageWidth / 2 && x + width <= 1920 && y >= 0 && y + height <= 1080)
        << "at " << x << "," << y << " sized " << width << "x" << height << " beside the page at " << pageX << "," << pageY;
    // The pane's foot is the page's white at its right end too, above the path bar.
    const auto footX = pageWidth - 40;
    const auto footY = pageHeight - 39 - 8;
    EXPECT_TRUE(waitFor([&] { return server.pixel(window, footX, footY) == 0xFFFFFF; }, 30))
        << "the page's right foot shows " << std::hex << server.pixel(window, footX, footY);
    std::filesystem::remove_all(*folder);
}

// A manual nobody here wrote, as the system's documentation has one.
std::string installedManualPage()
{
    for (const char* path : { "/usr/share/doc/python3/python-policy.html", "/usr/share/doc/zlib1g-dev/examples/zlib_how.html",
                              "/usr/share/doc/libxslt1-dev/html/APIsymbols.html" }) {
        if (std::filesystem::exists(path))
            return path;
    }
    return {};
}

TEST_F(EditorWindowOnXvfb, OnARealManualCtrlEndTypingCtrlBCtrlFAndSaveAsKeepTheEditsInTheNewFileOnly)
{
    std::string manual = installedManualPage();
    if (manual.empty())
        GTEST_SKIP() << "no manual page is installed";
    auto folder = createTemporaryDirectory("brevanton-xvfb-manual");
    ASSERT_TRUE(folder);
    std::string page = *folder + "/manual.html";
    std::filesystem::copy_file(manual, page);
    auto original = readFile(page).value_or("");
    ASSERT_FALSE(original.empty());
    launch(page);

    // A click in the page gives it the keys; Ctrl+End goes to its end, where
    // the typed word goes. The window is marked edited once the page has
    // taken it (the window may show before its page has loaded: the keys are
    // sent again until it has).
    bool edited = false;
    for (int attempt = 0; attempt < 6 && !edited; ++attempt) {
        xdotool(display, { "windowfocus", "--sync", window });
        xdotool(display, { "mousemove", "--window", window, "200", "300", "click", "1" });
        keys({ "ctrl+End" });
        type(" Zyxwv");
        edited = waitFor([&] { return windowTitle().ends_with("*"); }, 5);
    }
    ASSERT_TRUE(edited) << windowTitle();
    // The word just typed, selected by Ctrl+Shift+Left and made strong.
    keys({ "ctrl+shift+Left", "ctrl+b" });
    keys({ "ctrl+f" });
    type("Zyxwv");
    keys({ "Return" });
    saveAs("edited-manual.html");
    std::string copy = *folder + "/edited-manual.html";
    ASSERT_TRUE(waitFor([&] { return !windowNamed("edited-manual.html").empty(); }, 30)) << "the window goes on with the new file";
    auto saved = readFile(copy).value_or("");
    EXPECT_NE(saved.find("<strong>Zyxwv</strong>"), std::string::npos) << "the typed word, made strong, at the end";
    EXPECT_GT(saved.rfind("Zyxwv"), saved.size() * 9 / 10) << "typed at the end of the page";
    EXPECT_EQ(readFile(page).value_or(""), original) << "the old file is unchanged";

    // Ctrl+W closes the window (saved, it asks nothing), and the program ends.
    xdotool(display, { "windowfocus", "--sync", window });
    keys({ "ctrl+w" });
    EXPECT_TRUE(editor->waitForExit(30));
    EXPECT_TRUE(editor->exitedNormally()) << "the program ended by a signal";
    EXPECT_EQ(editor->exitCode(), 0);
    std::filesystem::remove_all(*folder);
}

} // namespace

namespace {

TEST_F(EditorWindowOnXvfb, APostFileOpensInItsThemeAndTypingCtrlSAndCtrlWSaveItAndEnd)
{
    auto folder = createTemporaryDirectory("brevanton-xvfb-post");
    ASSERT_TRUE(folder);
    auto post = makeSyncedLikeWordPressProject(*folder);
    ASSERT_TRUE(post);
    editor = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, *post }, std::vector<std::string> { "DISPLAY=" + display });
    ASSERT_TRUE(editor->running());
    // Titled with the post's title, its markup gone.
    ASSERT_TRUE(server.waitWhileRunning(*editor, [&] { return !(window = windowNamed("Hello world")).empty(); }, 30))
        << "no window showed the post" << server.whatEnded(*editor);

    QPoint title = postTitleTextInOffscreenWindow();
    ASSERT_FALSE(title.isNull());
    // A click in the title, then keys, sent again until a save shows them:
    // letters the keyboard map lacks (one beyond the 16-bit range) among them.
    // The window's program is stopped while they go and reads them after
    // xdotool is done, as a busy machine may have it: each still has its key.
    pid_t windowProcess = std::atoi(xdotool(display, { "getwindowpid", window }).standardOutput.c_str());
    ASSERT_GT(windowProcess, 0);
    bool saved = false;
    for (int attempt = 0; attempt < 6 && !saved; ++attempt) {
        xdotool(display, { "windowfocus", "--sync", window });
        xdotool(display, { "mousemove", "--window", window, std::to_string(title.x()), std::to_string(title.y()), "click", "1" });
        kill(windowProcess, SIGSTOP);
        type("Xy\u00e9\u03b5\U0001F30A");
        kill(windowProcess, SIGCONT);
        keys({ "ctrl+s" });
        saved = waitFor([&] { return readFile(*post).value_or("").find("Xy") != std::string::npos; }, 5);
    }
    auto contents = readFile(*post).value_or("");
    EXPECT_TRUE(saved) << contents;
    Error error;
    auto archive = VornickObjectArchive::createWithContentsOfURL(URL::fileURLWithPath(*post), &error);
    ASSERT_TRUE(archive) << error;
    const Value* savedTitle = archive->objectForKey(u"title");
    ASSERT_TRUE(savedTitle);
    EXPECT_TRUE(savedTitle->stringValue().starts_with(u"Xy\u00e9\u03b5\U0001F30A")) << contents;
    EXPECT_NE(contents.find("Omega paragraph stays."), std::string::npos) << contents;
    EXPECT_EQ(contents.find("file:"), std::string::npos) << contents;

    // Ctrl+Alt+U shows the page's source in a window of its own; pressed
    // again with the keyboard in that window, it hides it.
    keys({ "ctrl+alt+u" });
    std::string loupe;
    ASSERT_TRUE(waitFor([&] { return !(loupe = windowNamed("Source$")).empty(); }, 30)) << "Show Source showed no window";
    xdotool(display, { "windowfocus", "--sync", loupe });
    keys({ "ctrl+alt+u" });
    EXPECT_TRUE(waitFor([&] { return windowNamed("Source$").empty(); }, 30)) << "the key in the source window did not hide it";
    xdotool(display, { "windowfocus", "--sync", window });

    // Saved: Ctrl+W closes the last window without asking, and the program ends.
    keys({ "ctrl+w" });
    ASSERT_TRUE(editor->waitForExit(30)) << "the program did not end";
    EXPECT_TRUE(editor->exitedNormally());
    EXPECT_EQ(editor->exitCode(), 0);
    std::filesystem::remove_all(*folder);
}

// Quit with the post edited and unsaved: the question's Save (its default
// button, Return) writes the post, and the program ends.
TEST_F(EditorWindowOnXvfb, QuitWithAnEditedPostAsksAndSaveWritesItAndEndsTheProgram)
{
    auto folder = createTemporaryDirectory("brevanton-xvfb-quit");
    ASSERT_TRUE(folder);
    auto post = makeSyncedLikeWordPressProject(*folder);
    ASSERT_TRUE(post);
    editor = std::make_unique<ChildProcess>(std::vector<std::string> { BREVANTON_EXECUTABLE, *post }, std::vector<std::string> { "DISPLAY=" + display });
    ASSERT_TRUE(editor->running());
    ASSERT_TRUE(server.waitWhileRunning(*editor, [&] { return !(window = windowNamed("Hello world")).empty(); }, 30))
        << "no window showed the post" << server.whatEnded(*editor);
    QPoint title = postTitleTextInOffscreenWindow();
    ASSERT_FALSE(title.isNull());
    bool edited = false;
    for (int attempt = 0; attempt < 6 && !edited; ++attempt) {
        xdotool(display, { "windowfocus", "--sync", window });
        xdotool(display, { "mousemove", "--window", window, std::to_string(title.x()), std::to_string(title.y()), "click", "1" });
        type("Qz");
        edited = waitFor([&] { return windowTitle().ends_with("*"); }, 5);
    }
    ASSERT_TRUE(edited) << windowTitle();

    // The question is the visible window besides the post's.
    auto otherWindow = [&] {
        auto found = xdotool(display, { "search", "--onlyvisible", "--class", "." }).standardOutput;
        for (size_t start = 0, end; (end = found.find('\n', start)) != std::string::npos; start = end + 1) {
            if (std::string id = found.substr(start, end - start); id != window)
                return id;
        }
        return std::string();
    };
    ASSERT_EQ(otherWindow(), "");
    keys({ "ctrl+q" });
    std::string question;
    ASSERT_TRUE(server.waitWhileRunning(*editor, [&] { return !(question = otherWindow()).empty(); }, 30))
        << "no question showed" << server.whatEnded(*editor);
    xdotool(display, { "windowfocus", "--sync", question });
    keys({ "Return" });
    ASSERT_TRUE(editor->waitForExit(30)) << "the program did not end";
    EXPECT_TRUE(editor->exitedNormally());
    EXPECT_EQ(editor->exitCode(), 0);
    EXPECT_NE(readFile(*post).value_or("").find("Qz"), std::string::npos) << "the post was saved";
    std::filesystem::remove_all(*folder);
}

} // namespace

namespace {

// Servers started while others run each take a display of their own and
// answer on it at once; clients that come and go, two at a time, are all
// served, none dropped by a server starting over when the last one leaves.
TEST(XvfbServers, EachAnswersOnADisplayOfItsOwnWhileClientsComeAndGo)
{
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    std::vector<std::unique_ptr<XvfbServer>> servers;
    std::set<std::string> displays;
    for (int count = 0; count < 3; ++count) {
        servers.push_back(std::make_unique<XvfbServer>());
        ASSERT_TRUE(servers.back()->start()) << "Xvfb did not start";
        displays.insert(servers.back()->display);
        auto geometry = xdotool(servers.back()->display, { "getdisplaygeometry" });
        EXPECT_TRUE(geometry.succeeded()) << servers.back()->display << ": " << geometry.standardError;
        EXPECT_EQ(geometry.standardOutput, "1920 1080\n");
    }
    EXPECT_EQ(displays.size(), 3u);

    std::atomic<int> refused { 0 };
    auto client = [&] {
        for (int count = 0; count < 40; ++count)
            refused += xdotool(servers.front()->display, { "getdisplaygeometry" }).succeeded() ? 0 : 1;
    };
    std::thread other(client);
    client();
    other.join();
    EXPECT_EQ(refused, 0);
}

// A program that cannot open its display ends, and the wait for its window
// ends with it, saying how, rather than after the whole wait.
TEST(XvfbServers, AProgramThatCannotOpenItsDisplayEndsTheWaitForItsWindow)
{
    if (!XvfbServer::available())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";
    XvfbServer server;
    ASSERT_TRUE(server.start()) << "Xvfb did not start";
    auto folder = createTemporaryDirectory("brevanton-xvfb-nodisplay");
    ASSERT_TRUE(folder);
    std::string page = *folder + "/page.html";
    std::ofstream(page) << "<p>Text</p>\n";
    // No server takes a display this high: the servers here take the lowest free one.
    ChildProcess program({ BREVANTON_EXECUTABLE, page }, { "DISPLAY=:65000" });
    ASSERT_TRUE(program.running());
    auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(server.waitWhileRunning(program, [&] { return !server.windowNamed("page\\.html").empty(); }, 120));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(60)) << "the wait outlived the program";
    std::string ended = server.whatEnded(program);
    EXPECT_NE(ended.find("the program "), std::string::npos) << ended;
    EXPECT_EQ(ended.find("the X server"), std::string::npos) << ended;
    std::filesystem::remove_all(*folder);
}

} // namespace
