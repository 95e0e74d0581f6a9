// Converting between bytes in a named character encoding (an IANA charset
// name or any alias ICU knows) and UTF-16 text. The one place that talks to
// ICU's converters; UTF-8 takes a fast path through Text.h.
#pragma once

#include "platform/foundation/Error.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// Codes in CocoaErrorDomain.
inline constexpr int64_t TextEncodingInapplicableForReadingError = 261; // bytes not valid in the encoding
inline constexpr int64_t TextEncodingUnknownError = 264;                // decoding with a name nobody knows
inline constexpr int64_t TextEncodingInapplicableForWritingError = 517; // unknown, or a character it cannot hold

// True when a converter exists for `encoding`. The empty name is not an encoding.
bool isKnownTextEncoding(std::u16string_view encoding);

// Strict decoding: bytes the encoding cannot map are an error, never U+FFFD.
// A byte order mark is kept as U+FEFF except where the encoding consumes it
// ("UTF-16", "UTF-32").
[[nodiscard]] std::optional<std::u16string> decodeText(std::string_view bytes, std::u16string_view encoding, Error* outError);

// Lenient decoding: what cannot be mapped becomes a substitute character.
// Nothing only when the encoding is not known.
std::optional<std::u16string> decodeTextReplacingInvalid(std::string_view bytes, std::u16string_view encoding);

// Strict encoding: a character the encoding cannot hold is an error. Under
// UTF-8 an unpaired surrogate becomes U+FFFD, as everywhere in Text.h.
[[nodiscard]] std::optional<std::string> encodeText(std::u16string_view text, std::u16string_view encoding, Error* outError);

// Encoding where each character the encoding cannot hold (and each unpaired
// surrogate) is replaced by what `fallback` returns for its code point, for
// instance a numeric character reference. The replacement must itself be
// encodable. Fails only for an unknown encoding or an unencodable replacement.
using TextEncodingFallback = std::function<std::u16string(char32_t codePoint)>;
[[nodiscard]] std::optional<std::string> encodeText(std::u16string_view text, std::u16string_view encoding, const TextEncodingFallback& fallback,
                                      Error* outError);

// Whether `encoding` holds `codePoint`. An unknown encoding has nothing to
// test against and answers true. Fast for repeated questions about one encoding.
bool canEncode(char32_t codePoint, std::u16string_view encoding);

// A converter alias under a naming standard: the name the standard gives to
// the encoding `alias` denotes ("latin1" is "ISO-8859-1" to IANA), or nothing.
enum class TextEncodingNameStandard { IANA, MIME };
std::optional<std::u16string> standardTextEncodingName(std::u16string_view alias, TextEncodingNameStandard);

// The name of the converter an alias denotes, looked up among IANA aliases
// first ("ISO-8859-1" for "latin1"). Nothing when the alias is unknown.
std::optional<std::u16string> textEncodingConverterName(std::u16string_view alias);

} // namespace brevanton
