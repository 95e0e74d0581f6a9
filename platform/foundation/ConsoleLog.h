// The process's console log: one line at a time on standard error. For
// messages meant for a developer (programming slips, unexpected states), not
// for the user; the user's log is the application's general log.
#pragma once

#include <string_view>
#include <utility>

namespace brevanton {

void consoleLog(std::string_view line);
void consoleLog(std::u16string_view line);

// Tracing lines (a rule that matched, a step the selection took) are wanted
// only while a developer follows a problem, and some come from paths that
// run on every keystroke or for every pasted element. They are written only
// while debug logging is on: off by default, on when the environment
// variable BREVANTON_DEBUG_LOG is set to anything but "" or "0" at start.
bool debugLoggingEnabled();
void setDebugLoggingEnabled(bool enabled);

// Writes the line `makeLine()` answers to the console while debug logging is
// on; while it is off the line is never made, so nothing is formatted.
template<typename MakeLine>
void consoleDebugLog(MakeLine&& makeLine)
{
    if (debugLoggingEnabled())
        consoleLog(std::forward<MakeLine>(makeLine)());
}

} // namespace brevanton
