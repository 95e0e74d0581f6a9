// The brevanton executable on a real X server (Xvfb) driven by xdotool: a
// click in the heading, typed keys and Ctrl+S write the file; Ctrl+B styles
// a typed word, Ctrl+F finds it and Ctrl+Shift+S saves under a new name.
// Skipped when Xvfb or xdotool is missing.
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"

#include <gtest/gtest.h>

#include <QPoint>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace brevanton;

namespace {

// A child process that is ended (SIGTERM, then SIGKILL) when it goes.
class Child {
public:
    Child(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
    {
        std::vector<char*> argv;
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> variables;
        for (char** variable = environ; *variable; ++variable) {
            std::string entry(*variable);
            bool replaced = entry.rfind("QT_QPA_PLATFORM=", 0) == 0 || entry.rfind("DISPLAY=", 0) == 0
                || entry.rfind("WAYLAND_DISPLAY=", 0) == 0;
            if (!replaced)
                variables.push_back(entry);
        }
        variables.insert(variables.end(), environment.begin(), environment.end());
        std::vector<char*> envp;
        for (auto& variable : variables)
            envp.push_back(variable.data());
        envp.push_back(nullptr);
        if (posix_spawn(&m_pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
    }
    ~Child() { end(); }
    bool running() const { return m_pid > 0; }
    // Waits up to `seconds` for the child to exit by itself.
    bool waitForExit(double seconds)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (m_pid > 0 && std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_exitedNormally = WIFEXITED(status);
                m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return m_pid <= 0;
    }
    // Whether the child ended by exiting (not by a signal), and its code.
    bool exitedNormally() const { return m_exitedNormally; }
    int exitCode() const { return m_exitCode; }
    void end()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGTERM);
        if (!waitForExit(2)) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid { -1 };
    bool m_exitedNormally { false };
    int m_exitCode { -1 };
};

bool waitFor(const std::function<bool()>& condition, double seconds)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return condition();
}

ProcessResult xdotool(const std::string& display, std::vector<std::string> arguments)
{
    ProcessLaunch launch;
    launch.executable = findExecutable("xdotool");
    launch.arguments = std::move(arguments);
    launch.environment["DISPLAY"] = display;
    launch.timeout = std::chrono::seconds(5);
    auto result = Process::run(launch);
    return result ? *result : ProcessResult {};
}

} // namespace

// Where the heading's text is in the window: the layout is the same on every
// display, so the offscreen window the tests open tells.
QPoint headingTextInOffscreenWindow();

namespace {

TEST(EditorWindowOnXvfb, ClickTypeAndCtrlSWriteTheFile)
{
    std::string xvfb = findExecutable("Xvfb");
    if (xvfb.empty() || findExecutable("xdotool").empty())
        GTEST_SKIP() << "Xvfb or xdotool is not installed";

    // A display number nobody uses.
    int number = 0;
    for (int candidate = 91; candidate < 200 && !number; ++candidate) {
        if (!std::filesystem::exists("/tmp/.X" + std::to_string(candidate) + "-lock")
            && !std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(candidate)))
            number = candidate;
    }
    ASSERT_NE(number, 0);
    std::string display = ":" + std::to_string(number);
    Child server({ xvfb, display, "-screen", "0", "1920x1080x24", "-nolisten", "tcp" }, {});
    ASSERT_TRUE(server.running());
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)); }, 15))
        << "Xvfb did not start";

    auto folder = createTemporaryDirectory("brevanton-xvfb");
    ASSERT_TRUE(folder);
    for (const auto& entry : std::filesystem::directory_iterator(std::string(BREVANTON_TEST_DATA_DIR) + "/editing"))
        std::filesystem::copy_file(entry.path(), *folder + "/" + entry.path().filename().string());
    std::string page = *folder + "/page.html";

    Child editor({ BREVANTON_EXECUTABLE, page }, { "DISPLAY=" + display });
    ASSERT_TRUE(editor.running());
    std::string window;
    ASSERT_TRUE(waitFor(
        [&] {
            auto found = xdotool(display, { "search", "--onlyvisible", "--name", "page.html" });
            window = found.standardOutput.substr(0, found.standardOutput.find('\n'));
            return found.succeeded() && !window.empty();
        },
        30))
        << "no window showed the page";

    QPoint heading = headingTextInOffscreenWindow();
    ASSERT_FALSE(heading.isNull());
    // The window may show before its page has loaded, when nothing takes
    // the click yet: on a busy machine the keys are sent again until a save
    // shows them.
    bool saved = false;
    for (int attempt = 0; attempt < 6 && !saved; ++attempt) {
        xdotool(display, { "windowfocus", "--sync", window });
        xdotool(display, { "mousemove", "--window", window, std::to_string(heading.x()), std::to_string(heading.y()), "click", "1" });
        xdotool(display, { "type", "--delay", "20", "Xy" });
        xdotool(display, { "key", "--delay", "20", "ctrl+s" });
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

    // Ctrl+B, a word, Ctrl+B: the word is strong. Ctrl+F finds it, and
    // Ctrl+Shift+S saves the page under a new name, leaving the old file.
    std::string savedBefore = contents;
    xdotool(display, { "key", "--delay", "20", "ctrl+b" });
    xdotool(display, { "type", "--delay", "20", "Bold" });
    xdotool(display, { "key", "--delay", "20", "ctrl+b" });
    xdotool(display, { "key", "--delay", "20", "ctrl+f" });
    xdotool(display, { "type", "--delay", "20", "Bold" });
    xdotool(display, { "key", "--delay", "20", "Return" });
    xdotool(display, { "key", "--delay", "20", "ctrl+shift+s" });
    std::string dialog;
    ASSERT_TRUE(waitFor(
        [&] {
            auto found = xdotool(display, { "search", "--onlyvisible", "--name", "Save" });
            dialog = found.standardOutput.substr(0, found.standardOutput.find('\n'));
            return found.succeeded() && !dialog.empty();
        },
        15))
        << "no save panel showed";
    xdotool(display, { "windowfocus", "--sync", dialog });
    xdotool(display, { "key", "--delay", "20", "ctrl+a" });
    xdotool(display, { "type", "--delay", "20", "copy.html" });
    xdotool(display, { "key", "--delay", "20", "Return" });
    std::string copy = *folder + "/copy.html";
    EXPECT_TRUE(waitFor([&] { return readFile(copy).has_value(); }, 10)) << "nothing was saved as copy.html";
    auto copied = readFile(copy).value_or("");
    EXPECT_NE(copied.find("<strong>Bold</strong>"), std::string::npos) << copied;
    EXPECT_NE(copied.find("Xy"), std::string::npos) << copied;
    EXPECT_EQ(readFile(page).value_or(""), savedBefore) << "the old file is unchanged";
    ASSERT_TRUE(waitFor([&] { return !xdotool(display, { "search", "--onlyvisible", "--name", "copy.html" }).standardOutput.empty(); }, 10))
        << "the window goes on with the new file";

    // Ctrl+W closes the window, and the program ends with it, successfully.
    xdotool(display, { "windowfocus", "--sync", window });
    xdotool(display, { "key", "ctrl+w" });
    EXPECT_TRUE(editor.waitForExit(15));
    EXPECT_TRUE(editor.exitedNormally()) << "the program ended by a signal";
    EXPECT_EQ(editor.exitCode(), 0);
    std::filesystem::remove_all(*folder);
}

} // namespace
