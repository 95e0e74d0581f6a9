// Encoding labels as web content uses them: every label a page may declare
// ("latin1", "x-sjis", "unicode", ...) names one encoding of the WHATWG
// Encoding Standard, by that encoding's canonical name, which the text
// encoding service (TextEncoding.h) decodes and encodes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// The canonical name of the encoding `label` denotes ("windows-1252" for
// "ISO-8859-1", "us-ascii" and "latin1"; "UTF-16LE" for "utf-16" and
// "unicode"), ignoring ASCII case and surrounding whitespace. Nothing for a
// label the standard does not list ("utf-32", "utf-7", "utf16").
std::optional<std::u16string> textEncodingForLabel(std::u16string_view label);

// The two encodings whose bytes are not ASCII-compatible.
bool isUTF16Encoding(std::u16string_view canonicalName);

} // namespace brevanton
