// Reading and writing HTML files in a named (IANA) character encoding.
#pragma once

#include "platform/foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// UTF-8 is decoded strictly; other encodings fail on bytes they cannot map.
// A failure is a Cocoa-domain error (file read, inapplicable encoding).
[[nodiscard]] std::optional<std::u16string> VornickDecodeText(std::string_view bytes, std::u16string_view encodingName, Error* outError);

} // namespace brevanton
