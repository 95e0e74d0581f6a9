// UTF-8 / UTF-16 conversion and small text helpers. The system's text is
// std::u16string (UTF-16 code units); UTF-8 appears only at boundaries.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevanton {

// Ill-formed input is never an error here: each ill-formed sequence (the
// longest prefix of one that could begin a character, else a byte) becomes U+FFFD.
std::u16string toUTF16(std::string_view utf8);
// Appends the UTF-16 of the UTF-8 text (U+FFFD for each undecodable sequence).
void appendUTF16(std::u16string& out, std::string_view utf8);
// Writes the UTF-16 of the UTF-8 text into `out`, which has room for
// utf8.size() units (never more are needed; any of them may be written);
// answers how many units the text took. Runs of ASCII go sixteen bytes at a
// time where the processor allows.
size_t writeUTF16(std::string_view utf8, char16_t* out);
// The same, one character at a time on every processor: what the faster
// path must always agree with.
size_t writeUTF16OneCharacterAtATime(std::string_view utf8, char16_t* out);
// Widens the ASCII bytes at the start of `bytes` (at most `length`) into
// `out`, sixteen or eight at a time; returns how many it widened. `out` has
// room for `length` units; those past the ones widened may be written too.
size_t widenLeadingASCII(const unsigned char* bytes, size_t length, char16_t* out);
std::string toUTF8(std::u16string_view utf16);

// Strict conversion: false (and `out` untouched) when `utf8` is not well-formed UTF-8.
bool decodeUTF8Strictly(std::string_view utf8, std::u16string& out);

inline bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
inline bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// ASCII-only case mapping and comparison (tag names, keywords, schemes).
std::u16string asciiLowercase(std::u16string_view text);
std::u16string asciiUppercase(std::u16string_view text);
bool equalsIgnoringASCIICase(std::u16string_view a, std::u16string_view b);

// Full Unicode case mapping and case-insensitive ordering (ICU, root locale).
std::u16string lowercase(std::u16string_view text);
std::u16string uppercase(std::u16string_view text);
int compareIgnoringCase(std::u16string_view a, std::u16string_view b);

// HTML whitespace: space, tab, LF, FF, CR.
inline bool isHTMLWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}
// The text without HTML whitespace at either end; and with each run of it
// inside made one space as well (a title's, a control's label).
std::u16string_view stripHTMLWhitespace(std::u16string_view text);
std::u16string stripAndCollapseHTMLWhitespace(std::u16string_view text);

// Shorthand for literals at boundaries: u16("abc").
inline std::u16string u16(std::string_view utf8) { return toUTF16(utf8); }

} // namespace brevanton
