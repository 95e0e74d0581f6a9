// The process's console log: one line at a time on standard error. For
// messages meant for a developer (programming slips, unexpected states), not
// for the user; the user's log is the application's general log.
#pragma once

#include <string_view>

namespace brevanton {

void consoleLog(std::string_view line);
void consoleLog(std::u16string_view line);

} // namespace brevanton
