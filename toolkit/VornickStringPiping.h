// Running a text through an external executable (tidy, Markdown, ...).
#pragma once

#include "platform/foundation/Error.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

// Starts the executable at `path` (UTF-8), writes `string` to its standard
// input as UTF-8 while reading its standard output and standard error, and
// answers the standard output decoded as UTF-8. `arguments`, `environment`
// (then the child's whole environment) and `currentDirectoryPath` are used only
// when given. The standard error text and the termination status (the exit
// status, or the signal that ended the child) are stored where asked. A path
// that cannot be launched answers nothing with a POSIX-domain error; so does
// a child still running after VornickStringPipingTimeout (ETIMEDOUT) or
// writing more than the process output limit (EFBIG), which is killed with
// its process group.
inline constexpr std::chrono::seconds VornickStringPipingTimeout { 60 };

[[nodiscard]] std::optional<std::u16string> vornick_stringByPipingThroughExecutableAtPath(
    std::u16string_view string, const std::string& path, const std::vector<std::string>* arguments,
    const std::map<std::string, std::string>* environment, const std::string* currentDirectoryPath,
    std::u16string* standardErrorOutput, int* terminationStatus, Error* outError = nullptr);

} // namespace brevanton
