#include "toolkit/VornickWorkspaceExtensions.h"

#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/Process.h"
#include "platform/foundation/Text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace brevanton {

static std::string trimmed(std::string text)
{
    const char* space = " \t\r\n";
    text.erase(0, text.find_first_not_of(space));
    auto end = text.find_last_not_of(space);
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

static std::vector<std::string> applicationFolders()
{
    std::vector<std::string> folders { xdgFolder(XDGFolder::Data) + "/applications" };
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string list = dataDirs && *dataDirs ? dataDirs : "/usr/local/share:/usr/share";
    std::stringstream stream(list);
    std::string folder;
    while (std::getline(stream, folder, ':')) {
        if (!folder.empty() && folder.front() == '/')
            folders.push_back(folder + "/applications");
    }
    return folders;
}

// The unlocalized Name of the [Desktop Entry] group of a desktop file.
static std::optional<std::string> desktopEntryName(const std::string& contents)
{
    std::stringstream stream(contents);
    std::string line;
    bool inEntry = false;
    while (std::getline(stream, line)) {
        line = trimmed(line);
        if (!line.empty() && line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (inEntry && line.rfind("Name=", 0) == 0) {
            std::string name = trimmed(line.substr(5));
            if (!name.empty())
                return name;
        }
    }
    return std::nullopt;
}

std::optional<std::u16string> vornick_defaultWebBrowserDisplayName()
{
    std::string xdgMime = findExecutable("xdg-mime");
    if (xdgMime.empty())
        return std::nullopt;
    ProcessLaunch launch;
    launch.executable = xdgMime;
    launch.arguments = { "query", "default", "x-scheme-handler/http" };
    launch.timeout = std::chrono::milliseconds(5000);
    auto result = Process::run(launch);
    if (!result || !result->succeeded())
        return std::nullopt;
    std::string desktopID = trimmed(result->standardOutput);
    if (auto newline = desktopID.find('\n'); newline != std::string::npos)
        desktopID = trimmed(desktopID.substr(0, newline));
    if (desktopID.empty() || desktopID.find('/') != std::string::npos)
        return std::nullopt;
    for (auto& folder : applicationFolders()) {
        if (auto contents = readFile(folder + "/" + desktopID)) {
            if (auto name = desktopEntryName(*contents))
                return toUTF16(*name);
            break;
        }
    }
    std::string name = desktopID;
    constexpr std::string_view suffix = ".desktop";
    if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        name.erase(name.size() - suffix.size());
    return toUTF16(name);
}

static std::function<void(const URL&)>& webBrowserOpener()
{
    static std::function<void(const URL&)> opener;
    return opener;
}

static bool launchDesktopOpener(const URL& url);

bool vornick_openURLInWebBrowser(const URL& url)
{
    std::u16string scheme = url.scheme();
    if ((scheme != u"http" && scheme != u"https") || !url.host() || url.host()->empty())
        return false;
    return launchDesktopOpener(url);
}

bool vornick_openURLWithDesktop(const URL& url)
{
    if (url.scheme() == u"mailto")
        return url.absoluteString().size() > 7 && launchDesktopOpener(url);
    return vornick_openURLInWebBrowser(url);
}

bool vornick_openFileWithDesktop(const URL& url)
{
    auto path = url.fileSystemPath();
    struct ::stat status;
    if (!path || path->empty() || ::stat(path->c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    return launchDesktopOpener(URL::fileURLWithPath(*path, false));
}

static bool launchDesktopOpener(const URL& url)
{
    if (auto& opener = webBrowserOpener()) {
        opener(url);
        return true;
    }
    std::string xdgOpen = findExecutable("xdg-open");
    if (xdgOpen.empty()) {
        consoleLog(u"No xdg-open to open " + url.absoluteString());
        return false;
    }
    ProcessLaunch launch;
    launch.executable = xdgOpen;
    // Arguments, not a command line: nothing in them is read by a shell.
    launch.arguments = { toUTF8(url.absoluteString()) };
    // No timeout: xdg-open may wait for the browser, which a kill would take down too.
    Process::runAsynchronously(std::move(launch), [](std::optional<ProcessResult> result, Error error) {
        if (!result)
            consoleLog(u"Failed to launch xdg-open: " + error.localizedDescription());
    });
    return true;
}

void vornick_setWebBrowserOpenerForTesting(std::function<void(const URL&)> opener)
{
    webBrowserOpener() = std::move(opener);
}

static VornickMailComposer& mailComposer()
{
    static VornickMailComposer composer;
    return composer;
}

static size_t percentEncodedLength(std::string_view bytes)
{
    size_t length = 0;
    for (unsigned char byte : bytes) {
        bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
            || byte == '-' || byte == '.' || byte == '_' || byte == '~';
        length += unreserved ? 1 : 3;
    }
    return length;
}

// What the rest of the "mailto:" address may take besides the body: the
// recipients, the subject and the names of the fields.
static constexpr size_t MailAddressAllowance = 8 * 1024;

bool vornick_mailBodyFitsInOneArgument(std::u16string_view body)
{
    return percentEncodedLength(toUTF8(body)) + MailAddressAllowance < VornickLongestProgramArgument;
}

static bool isPlainMailAddress(const std::u16string& address)
{
    if (address.empty() || address.front() == u'-' || address.find(u'@') == std::u16string::npos)
        return false;
    return std::none_of(address.begin(), address.end(), [](char16_t character) {
        return character <= u' ' || character == u',' || character == u'?' || character == u'&' || character == u'<'
            || character == u'>' || character == u'"' || character == 0x7f;
    });
}

std::vector<std::string> vornick_xdgEmailArguments(const VornickMailMessage& message)
{
    std::vector<std::string> arguments { "--utf8" };
    if (!message.subject.empty())
        arguments.insert(arguments.end(), { "--subject", toUTF8(message.subject) });
    if (!message.body.empty())
        arguments.insert(arguments.end(), { "--body", toUTF8(message.body) });
    for (const auto& path : message.attachmentPaths)
        arguments.insert(arguments.end(), { "--attach", path });
    for (const auto& recipient : message.recipients) {
        if (isPlainMailAddress(recipient))
            arguments.push_back(toUTF8(recipient));
    }
    return arguments;
}

bool vornick_composeMail(const VornickMailMessage& message)
{
    if (!vornick_mailBodyFitsInOneArgument(message.body) || percentEncodedLength(toUTF8(message.subject)) >= MailAddressAllowance / 2) {
        consoleLog(u"A message too long for the mail program was not handed on");
        return false;
    }
    auto arguments = vornick_xdgEmailArguments(message);
    if (auto& composer = mailComposer()) {
        composer(message, arguments);
        return true;
    }
    std::string xdgEmail = findExecutable("xdg-email");
    if (xdgEmail.empty())
        return false;
    ProcessLaunch launch;
    launch.executable = xdgEmail;
    // Arguments, not a command line: nothing in them is read by a shell.
    launch.arguments = std::move(arguments);
    Process::runAsynchronously(std::move(launch), [](std::optional<ProcessResult> result, Error error) {
        if (!result)
            consoleLog(u"Failed to launch xdg-email: " + error.localizedDescription());
    });
    return true;
}

void vornick_setMailComposerForTesting(VornickMailComposer composer)
{
    mailComposer() = std::move(composer);
}

} // namespace brevanton
