// Property lists: XML and binary property lists read into Value and written
// from it (through libplist). Dates and data round-trip; null cannot be written.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string_view>

namespace brevanton {

enum class PropertyListFormat { XML, Binary };

// Reads an XML property list (a UTF-8 byte order mark and leading whitespace
// are skipped) or a binary one ("bplist00"). On failure answers nullopt and
// an Error of the Cocoa domain (PropertyListReadCorruptError). `outFormat`, when
// given, receives the format that was read.
[[nodiscard]] std::optional<Value> readPropertyList(std::string_view bytes, Error* outError,
                                      PropertyListFormat* outFormat = nullptr);
[[nodiscard]] std::optional<Value> readPropertyList(const Data& bytes, Error* outError,
                                      PropertyListFormat* outFormat = nullptr);

// Writes `value` in `format`. Fails (nullopt and an Error of the Cocoa domain,
// PropertyListWriteInvalidError) when the value holds a null, which property
// lists cannot represent.
[[nodiscard]] std::optional<Data> writePropertyList(const Value& value, PropertyListFormat format, Error* outError);

// True when `bytes` begin (after an optional byte order mark and whitespace)
// like an XML or binary property list.
bool looksLikePropertyList(std::string_view bytes);

// Cocoa property-list error codes.
inline constexpr int64_t PropertyListReadCorruptError = 3840;
inline constexpr int64_t PropertyListWriteInvalidError = 3852;

} // namespace brevanton
