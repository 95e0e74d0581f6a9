// JSON reading into Value (through nlohmann-json). Integers stay integers,
// reals stay reals; unsigned integers beyond the signed 64-bit range become
// reals. Strings become UTF-16, escaped surrogate pairs included.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string_view>

namespace brevanton {

struct JSONReadingOptions {
    // Accept a top-level value that is neither an array nor an object.
    bool fragmentsAllowed { false };
    // Read a string that holds text which is not Unicode (a byte that is no
    // part of a UTF-8 sequence, an escaped lone surrogate, a raw control
    // character) with U+FFFF in its place, instead of failing the whole
    // text: a reader that checks its strings then refuses only the value
    // that holds one.
    bool markUndecodableText { false };
};

// The code of every JSON parse error, in the Cocoa domain.
inline constexpr int64_t JSONReadingError = 3840;

// Parses UTF-8 JSON text (a leading UTF-8 byte order mark is skipped). On a
// parse error answers nullopt and an Error(CocoaErrorDomain, JSONReadingError)
// whose description names the line, column and byte offset of the fault; the
// offset is also in the user info under JSONErrorIndexKey.
[[nodiscard]] std::optional<Value> readJSON(std::string_view text, Error* outError, JSONReadingOptions options = {});
[[nodiscard]] std::optional<Value> readJSON(const Data& bytes, Error* outError, JSONReadingOptions options = {});

inline constexpr const char16_t* JSONErrorIndexKey = u"JSONErrorIndex";

} // namespace brevanton
