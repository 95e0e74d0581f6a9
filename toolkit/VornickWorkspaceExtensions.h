// What the desktop would open links with.
#pragma once

#include "platform/foundation/URL.h"

#include <functional>
#include <optional>
#include <string>

namespace brevanton {

// The display name of the application the desktop opens "http" URLs with
// (asked through xdg-mime, named by its desktop entry), or nullopt when
// there is none or no way to ask.
std::optional<std::u16string> vornick_defaultWebBrowserDisplayName();

// Opens an "http" or "https" URL in the user's web browser through xdg-open,
// without waiting for it. Any other scheme (a file, a script, a program's
// own scheme) is refused: the answer is false and nothing is launched.
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

// Opens a new message with the subject and body in the user's mail program
// through xdg-email, without waiting for it; false when there is none.
bool vornick_composeMail(const std::u16string& subject, const std::u16string& body);

// Replaces the launch of xdg-email with `composer`; an empty function
// restores the real launch.
void vornick_setMailComposerForTesting(std::function<void(const std::u16string& subject, const std::u16string& body)> composer);

} // namespace brevanton
