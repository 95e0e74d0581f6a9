// The text another program on an X display holds on the clipboard, read as
// any X client reads it: the CLIPBOARD selection converted to UTF8_STRING
// onto a window of our own, then its property read.
#pragma once

#include <optional>
#include <string>

namespace brevanton::testing {

// The clipboard's text on `display` (":99"), or nothing when no program
// owns it or its owner did not answer within `seconds`.
std::optional<std::string> clipboardTextOnDisplay(const std::string& display, double seconds = 5);

} // namespace brevanton::testing
