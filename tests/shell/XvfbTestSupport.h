// The real executable on a real X server: a child process ended when it goes,
// a display of its own (Xvfb) per test, xdotool to find windows and send
// clicks and keys, and waits on conditions rather than sleeps.
#pragma once

#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

extern char** environ;

namespace brevanton::testing {

// A child process that is ended (SIGTERM, then SIGKILL) when it goes. It
// runs with this process's environment, less the display variables, plus
// `environment` ("NAME=value" entries, which win); its standard error goes
// to the file `errorFile` names, when one does.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment, const std::string& errorFile = {})
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
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!errorFile.empty())
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() { end(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }
    // Waits up to `seconds` (none: only looks) for the child to exit by itself.
    bool waitForExit(double seconds)
    {
        auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (m_pid > 0) {
            int status = 0;
            if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_pid = -1;
                m_exitedNormally = WIFEXITED(status);
                m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                m_signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
                return true;
            }
            if (std::chrono::steady_clock::now() >= until)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }
    // How the child ended, for a test's message: "" while it runs.
    std::string howItEnded()
    {
        if (!waitForExit(0))
            return {};
        if (m_exitedNormally)
            return "exited with code " + std::to_string(m_exitCode);
        return m_signal ? "ended by signal " + std::to_string(m_signal) : "did not start";
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
            waitForExit(60);
        }
    }

private:
    pid_t m_pid { -1 };
    bool m_exitedNormally { false };
    int m_exitCode { -1 };
    int m_signal { 0 };
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
    launch.timeout = std::chrono::seconds(30);
    auto result = Process::run(launch);
    return result ? *result : ProcessResult {};
}

// The keysym X gives a character: Latin-1 its own code, the rest of Unicode
// its code point above 0x01000000.
inline uint32_t keysymForCharacter(char32_t character)
{
    return (character >= 0x20 && character < 0x7F) || (character >= 0xA0 && character <= 0xFF) ? character : 0x01000000 | character;
}

inline std::vector<char32_t> charactersOf(const std::string& utf8)
{
    std::u16string units = toUTF16(utf8);
    std::vector<char32_t> characters;
    for (size_t index = 0; index < units.size(); ++index) {
        char32_t character = units[index];
        if (isHighSurrogate(units[index]) && index + 1 < units.size() && isLowSurrogate(units[index + 1])) {
            character = 0x10000 + ((character - 0xD800) << 10) + (units[index + 1] - 0xDC00);
            ++index;
        }
        characters.push_back(character);
    }
    return characters;
}

// An X server of its own on a display nobody else uses; empty `display`
// when Xvfb did not start.
struct XvfbServer {
    std::string display;
    std::unique_ptr<ChildProcess> process;
    // What the server says: it names every display it finds taken on its
    // way, so it is shown only when the server fails.
    std::string log;

    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer()
    {
        process.reset();
        if (!log.empty())
            unlink(log.c_str());
    }

    static bool available() { return !findExecutable("Xvfb").empty() && !findExecutable("xdotool").empty(); }

    // The server takes the first display whose socket nobody holds (a claim
    // no other server can share) and writes its number to a pipe once
    // clients can connect. It never resets: a server that resets when its
    // last client leaves drops the connections arriving meanwhile, and the
    // program it was started for then could not open its display.
    bool start()
    {
        char logName[] = "/tmp/brevanton-xvfb-log-XXXXXX";
        int logFile = mkstemp(logName);
        if (logFile < 0)
            return false;
        close(logFile);
        log = logName;
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0)
            return false;
        // Only the server gets the pipe's writing end.
        fcntl(ends[1], F_SETFD, 0);
        process = std::make_unique<ChildProcess>(
            std::vector<std::string> { findExecutable("Xvfb"), "-displayfd", std::to_string(ends[1]), "-noreset", "-screen", "0",
                "1920x1080x24", "-nolisten", "tcp" },
            std::vector<std::string> {}, log);
        close(ends[1]);
        std::string number;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!process->waitForExit(0) && number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < until) {
            pollfd readable { ends[0], POLLIN, 0 };
            if (poll(&readable, 1, 100) <= 0)
                continue;
            char bytes[16];
            ssize_t count = read(ends[0], bytes, sizeof bytes);
            if (count <= 0) // The server ended without a display.
                break;
            number.append(bytes, static_cast<size_t>(count));
        }
        close(ends[0]);
        if (number.find('\n') == std::string::npos || process->waitForExit(0)) {
            process.reset();
            std::cerr << "Xvfb found no display: " << serverLog();
            return false;
        }
        display = ":" + number.substr(0, number.find('\n'));
        return true;
    }

    // Waits for `condition` while the program and this server run: a program
    // that ends first (one that could not open the display, say) fails the
    // wait at once, and `whatEnded` tells the test's output why.
    bool waitWhileRunning(ChildProcess& program, const std::function<bool()>& condition, double seconds) const
    {
        bool met = false;
        waitFor([&] { return (met = condition()) || program.waitForExit(0) || !process || process->waitForExit(0); }, seconds);
        return met;
    }
    std::string whatEnded(ChildProcess& program) const
    {
        std::string ended = program.howItEnded();
        std::string text = ended.empty() ? std::string() : "; the program " + ended;
        std::string serverEnded = process ? process->howItEnded() : "did not start";
        return serverEnded.empty() ? text : text + "; the X server " + serverEnded + ": " + serverLog();
    }
    std::string serverLog() const
    {
        std::ifstream file(log);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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
    // The window's place on the screen and size, as xdotool's
    // "getwindowgeometry --shell" says them: x, y, width, height.
    std::array<int, 4> windowGeometry(const std::string& window) const
    {
        auto output = xdotool(display, { "getwindowgeometry", "--shell", window }).standardOutput;
        auto value = [&](const std::string& key) {
            size_t at = output.find("\n" + key + "=");
            return at == std::string::npos ? 0 : std::atoi(output.c_str() + at + key.size() + 2);
        };
        return { value("X"), value("Y"), value("WIDTH"), value("HEIGHT") };
    }
    // The colours (0xRRGGBB) of the window's pixels as the server shows
    // them, row by row; empty when they cannot be read.
    std::vector<uint32_t> picture(const std::string& window, int width, int height) const
    {
        std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(xcb_connect(display.c_str(), nullptr), xcb_disconnect);
        if (xcb_connection_has_error(connection.get()) || width <= 0 || height <= 0)
            return {};
        auto id = static_cast<xcb_drawable_t>(std::strtoul(window.c_str(), nullptr, 10));
        std::unique_ptr<xcb_get_image_reply_t, void (*)(void*)> image(
            xcb_get_image_reply(connection.get(),
                                xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0, 0, static_cast<uint16_t>(width),
                                              static_cast<uint16_t>(height), ~0u),
                                nullptr),
            std::free);
        if (!image || xcb_get_image_data_length(image.get()) < width * height * 4)
            return {};
        // 24-bit depth in 32-bit units, blue first.
        const uint8_t* bytes = xcb_get_image_data(image.get());
        std::vector<uint32_t> colours(static_cast<size_t>(width) * height);
        for (size_t index = 0; index < colours.size(); ++index)
            colours[index] = (uint32_t(bytes[4 * index + 2]) << 16) | (uint32_t(bytes[4 * index + 1]) << 8) | bytes[4 * index];
        return colours;
    }
    // How many colours the window shows below its top `skippedRows` (a
    // menu bar): one for a window that draws nothing but its fill.
    size_t coloursShown(const std::string& window, int skippedRows = 0) const
    {
        auto geometry = windowGeometry(window);
        const int width = geometry[2];
        auto colours = picture(window, width, geometry[3]);
        std::set<uint32_t> distinct;
        for (size_t index = static_cast<size_t>(std::max(0, skippedRows)) * width; index < colours.size(); ++index)
            distinct.insert(colours[index]);
        return distinct.size();
    }
    // Gives the window the size, asked again while it has another (a window
    // still settling on a busy machine may set its own); false when it never took it.
    bool resizeWindow(const std::string& window, int width, int height, double seconds = 30) const
    {
        std::pair<int, int> wanted { width, height };
        return waitFor(
            [&] {
                if (windowSize(window) == wanted)
                    return true;
                xdotool(display, { "windowsize", "--sync", window, std::to_string(width), std::to_string(height) });
                return windowSize(window) == wanted;
            },
            seconds);
    }
    // The colour (0xRRGGBB) of a pixel of a window as the server shows it;
    // -1 when it cannot be read.
    long pixel(const std::string& window, int x, int y) const
    {
        std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(xcb_connect(display.c_str(), nullptr), xcb_disconnect);
        if (xcb_connection_has_error(connection.get()))
            return -1;
        auto id = static_cast<xcb_drawable_t>(std::strtoul(window.c_str(), nullptr, 10));
        std::unique_ptr<xcb_get_image_reply_t, void (*)(void*)> image(
            xcb_get_image_reply(connection.get(),
                                xcb_get_image(connection.get(), XCB_IMAGE_FORMAT_Z_PIXMAP, id, static_cast<int16_t>(x),
                                              static_cast<int16_t>(y), 1, 1, ~0u),
                                nullptr),
            std::free);
        if (!image || xcb_get_image_data_length(image.get()) < 3)
            return -1;
        // 24-bit depth in 32-bit units, blue first.
        const uint8_t* bytes = xcb_get_image_data(image.get());
        return (long(bytes[2]) << 16) | (long(bytes[1]) << 8) | bytes[0];
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
    // Types the text with xdotool, each character by its key in the
    // keyboard map; false when a character could not be given a key.
    [[nodiscard]] bool type(const std::string& text) const
    {
        if (!bindCharactersMissingFromKeyboard(text))
            return false;
        return xdotool(display, { "type", "--delay", "20", text }).succeeded();
    }
    // Gives each character of the text that no key of the keyboard map
    // types (unshifted or with Shift) a spare key of its own, kept while the
    // server runs, so that xdotool finds it in the map. Left to xdotool, such
    // a character is bound to a spare key for the moment of its press and
    // unbound after it, and a program that reads the press after the unbinding
    // gets no character. The binding is in place before xdotool starts, and
    // the program is told of the new map before any press it then reads.
    // False when the spare keys run out or the server refuses.
    [[nodiscard]] bool bindCharactersMissingFromKeyboard(const std::string& text) const
    {
        std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> connection(xcb_connect(display.c_str(), nullptr), xcb_disconnect);
        if (xcb_connection_has_error(connection.get()))
            return false;
        const xcb_setup_t* setup = xcb_get_setup(connection.get());
        const int keyCount = setup->max_keycode - setup->min_keycode + 1;
        std::unique_ptr<xcb_get_keyboard_mapping_reply_t, void (*)(void*)> mapping(
            xcb_get_keyboard_mapping_reply(connection.get(),
                                           xcb_get_keyboard_mapping(connection.get(), setup->min_keycode, static_cast<uint8_t>(keyCount)),
                                           nullptr),
            std::free);
        if (!mapping)
            return false;
        const int perKey = mapping->keysyms_per_keycode;
        const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
        std::set<xcb_keysym_t> typed;
        std::vector<xcb_keycode_t> spareKeys;
        for (int key = 0; key < keyCount; ++key) {
            bool spare = true;
            for (int column = 0; column < perKey; ++column) {
                xcb_keysym_t keysym = keysyms[key * perKey + column];
                spare = spare && keysym == 0;
                // The first two columns: the first group, unshifted and with Shift.
                if (column < 2 && keysym != 0)
                    typed.insert(keysym);
            }
            if (spare)
                spareKeys.push_back(static_cast<xcb_keycode_t>(setup->min_keycode + key));
        }
        for (char32_t character : charactersOf(text)) {
            // ASCII is on the keyboard; xdotool types control characters by their keys' names.
            if (character < 0x80)
                continue;
            xcb_keysym_t keysym = keysymForCharacter(character);
            if (!typed.insert(keysym).second)
                continue;
            if (spareKeys.empty())
                return false;
            xcb_void_cookie_t change = xcb_change_keyboard_mapping_checked(connection.get(), 1, spareKeys.back(), 1, &keysym);
            spareKeys.pop_back();
            std::unique_ptr<xcb_generic_error_t, void (*)(void*)> error(xcb_request_check(connection.get(), change), std::free);
            if (error)
                return false;
        }
        return true;
    }
};

} // namespace brevanton::testing
