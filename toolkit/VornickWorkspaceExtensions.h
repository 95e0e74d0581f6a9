// What the desktop would open links with.
#pragma once

#include "platform/foundation/URL.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

// The display name of the application the desktop opens "http" URLs with
// (asked through xdg-mime, named by its desktop entry), or nullopt when
// there is none or no way to ask.
std::optional<std::u16string> vornick_defaultWebBrowserDisplayName();

// Opens an "http" or "https" URL in the user's web browser through xdg-open,
// without waiting for it. Any other scheme (a file, a script, a program's
// own scheme) is refused: the answer is false and nothing is launched. Each
// of these opening functions answers false too when there is no xdg-open.
bool vornick_openURLInWebBrowser(const URL&);

// Opens a link a user clicked through xdg-open: "http" and "https" URLs with
// a host in the web browser, "mailto" URLs with an address in the mail
// program. Any other scheme is refused: false, nothing launched.
bool vornick_openURLWithDesktop(const URL&);

// Opens a local file with the desktop's application for it through
// xdg-open: only a file URL naming an existing regular file (links followed);
// anything else is refused: false, nothing launched.
bool vornick_openFileWithDesktop(const URL&);

// Replaces the launch of xdg-open (for URLs that passed the scheme check)
// with `opener`; an empty function restores the real launch.
void vornick_setWebBrowserOpenerForTesting(std::function<void(const URL&)> opener);

// A message for the user's mail program to open, ready to send.
struct VornickMailMessage {
    std::vector<std::u16string> recipients;
    std::u16string subject;
    std::u16string body;
    // Files (paths) the message carries.
    std::vector<std::string> attachmentPaths;
};

// The most bytes one argument of a program may hold (with its closing NUL).
inline constexpr size_t VornickLongestProgramArgument = 128 * 1024;

// Whether the body can go in the message itself: xdg-email hands the mail
// program the message as one "mailto:" address, each byte of the body that
// is not a letter, digit or one of "-._~" written as three.
bool vornick_mailBodyFitsInOneArgument(std::u16string_view body);

// The arguments xdg-email is given for the message: UTF-8 subject and body,
// attachments, then the recipients. A recipient that could pass for an
// option or is no plain address is left out.
std::vector<std::string> vornick_xdgEmailArguments(const VornickMailMessage&);

// Opens a new message in the user's mail program through xdg-email,
// without waiting for it; false when there is none, or when the body is too
// long to be handed on (attach it instead).
bool vornick_composeMail(const VornickMailMessage&);

// Replaces the launch of xdg-email with `composer`, given the message and
// the arguments xdg-email would have had; an empty function restores the
// real launch.
using VornickMailComposer = std::function<void(const VornickMailMessage&, const std::vector<std::string>& arguments)>;
void vornick_setMailComposerForTesting(VornickMailComposer composer);

} // namespace brevanton
