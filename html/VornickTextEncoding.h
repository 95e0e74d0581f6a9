// Decoding and encoding text in a named (IANA) character encoding through ICU.
#pragma once

#include "platform/foundation/Error.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// UTF-8 is decoded strictly; other encodings fail on bytes they cannot map.
// A failure is a Cocoa-domain error (file read, inapplicable encoding).
std::optional<std::u16string> VornickDecodeText(std::string_view bytes, std::u16string_view encodingName, Error* outError);
// Fails for a character the encoding cannot hold.
std::optional<std::string> VornickEncodeText(std::u16string_view text, std::u16string_view encodingName, Error* outError);

} // namespace brevanton
