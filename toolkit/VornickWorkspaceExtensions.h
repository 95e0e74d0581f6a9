// What the desktop would open links with.
#pragma once

#include <optional>
#include <string>

namespace brevanton {

// The display name of the application the desktop opens "http" URLs with
// (asked through xdg-mime, named by its desktop entry), or nullopt when
// there is none or no way to ask.
std::optional<std::u16string> vornick_defaultWebBrowserDisplayName();

} // namespace brevanton
