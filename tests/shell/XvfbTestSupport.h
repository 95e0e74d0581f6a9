// The real executable on a real X server: a child process ended when it goes,
// a display of its own (Xvfb) per test, xdotool to find windows and send
// clicks and keys, and waits on conditions rather than sleeps.
#pragma once

#include "platform/foundation/Process.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace brevanton::testing {

// A child process that is ended (SIGTERM, then SIGKILL) when it goes. It
// runs with this process's environment, less the display variables, plus
// `environment` ("NAME=value" entries, which win).
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment)
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
            for (const auto& given : environment)
                replaced = replaced || entry.rfind(given.substr(0, given.find('=') + 1), 0) == 0;
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
    ~ChildProcess() { end(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
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

inline bool waitFor(const std::function<bool()>& condition, double seconds)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < until) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return condition();
}

inline ProcessResult xdotool(const std::string& display, std::vector<std::string> arguments)
{
    ProcessLaunch launch;
    launch.executable = findExecutable("xdotool");
    launch.arguments = std::move(arguments);
    launch.environment["DISPLAY"] = display;
    launch.timeout = std::chrono::seconds(5);
    auto result = Process::run(launch);
    return result ? *result : ProcessResult {};
}

// An X server of its own on a display number nobody uses; empty `display`
// when Xvfb did not start.
struct XvfbServer {
    std::string display;
    std::unique_ptr<ChildProcess> process;

    static bool available() { return !findExecutable("Xvfb").empty() && !findExecutable("xdotool").empty(); }

    bool start()
    {
        std::string xvfb = findExecutable("Xvfb");
        // Tests of several processes may pick the same free number at once:
        // the server whose pid the display's lock file holds has it, and the
        // other tries the next number.
        for (int candidate = 91 + getpid() % 64; candidate < 250 && !process; ++candidate) {
            std::string lock = "/tmp/.X" + std::to_string(candidate) + "-lock";
            std::string socket = "/tmp/.X11-unix/X" + std::to_string(candidate);
            if (std::filesystem::exists(lock) || std::filesystem::exists(socket))
                continue;
            std::string name = ":" + std::to_string(candidate);
            auto started = std::make_unique<ChildProcess>(
                std::vector<std::string> { xvfb, name, "-screen", "0", "1920x1080x24", "-nolisten", "tcp" }, std::vector<std::string> {});
            if (!started->running())
                return false;
            bool ours = waitFor([&] {
                if (started->waitForExit(0.02))
                    return true;
                std::ifstream lockFile(lock);
                long holder = 0;
                // Ours, and answering: a client connects and reads the screen.
                return lockFile >> holder && holder == started->pid() && std::filesystem::exists(socket)
                    && xdotool(name, { "getdisplaygeometry" }).succeeded();
            }, 15);
            if (ours && started->running()) {
                process = std::move(started);
                display = name;
            }
        }
        return process != nullptr;
    }

    // The first visible window whose name matches the pattern (a regular
    // expression), or "".
    std::string windowNamed(const std::string& pattern) const
    {
        auto found = xdotool(display, { "search", "--onlyvisible", "--name", pattern });
        return found.succeeded() ? found.standardOutput.substr(0, found.standardOutput.find('\n')) : std::string();
    }
    std::string windowTitle(const std::string& window) const
    {
        auto output = xdotool(display, { "getwindowname", window }).standardOutput;
        return output.substr(0, output.find('\n'));
    }
    // The window's size, as xdotool's "getwindowgeometry --shell" says it.
    std::pair<int, int> windowSize(const std::string& window) const
    {
        auto output = xdotool(display, { "getwindowgeometry", "--shell", window }).standardOutput;
        auto value = [&](const std::string& key) {
            size_t at = output.find(key + "=");
            return at == std::string::npos ? 0 : std::atoi(output.c_str() + at + key.size() + 1);
        };
        return { value("WIDTH"), value("HEIGHT") };
    }
    void click(const std::string& window, int x, int y) const
    {
        xdotool(display, { "windowfocus", "--sync", window });
        xdotool(display, { "mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", "1" });
    }
    // The visible windows, as xdotool names them.
    std::vector<std::string> visibleWindows() const
    {
        std::vector<std::string> windows;
        std::string output = xdotool(display, { "search", "--onlyvisible", "--name", "" }).standardOutput;
        for (size_t start = 0, end; start < output.size(); start = end + 1) {
            end = output.find('\n', start);
            if (end == std::string::npos)
                end = output.size();
            if (end > start)
                windows.push_back(output.substr(start, end - start));
        }
        return windows;
    }
    bool isVisible(const std::string& window) const
    {
        auto windows = visibleWindows();
        return std::find(windows.begin(), windows.end(), window) != windows.end();
    }
    // Presses the first button at a point of one window, moves the pointer
    // in steps to a point of another and lets go there.
    void drag(const std::string& from, int x, int y, const std::string& to, int toX, int toY) const
    {
        xdotool(display, { "mousemove", "--sync", "--window", from, std::to_string(x), std::to_string(y) });
        xdotool(display, { "mousedown", "1" });
        for (int step = 1; step <= 3; ++step) {
            xdotool(display, { "mousemove", "--window", from, std::to_string(x + 6 * step), std::to_string(y + 6 * step) });
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
        for (int step = 0; step <= 4; ++step) {
            xdotool(display, { "mousemove", "--window", to, std::to_string(toX + 4 * (4 - step)), std::to_string(toY) });
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        xdotool(display, { "mouseup", "1" });
    }
    void keys(std::initializer_list<const char*> names) const
    {
        for (auto* name : names)
            xdotool(display, { "key", "--delay", "20", name });
    }
    void type(const std::string& text) const { xdotool(display, { "type", "--delay", "20", text }); }
};

} // namespace brevanton::testing
