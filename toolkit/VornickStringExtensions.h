// Operations the editor adds to strings: tokens, character runs, character
// codes, typography, escaping, truncation and file names.
#pragma once

#include "toolkit/VornickRange.h"
#include "platform/foundation/CharacterSet.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

// Search options of vornick_rangeOfCharacterRunFromSet (the platform's values).
enum VornickStringSearchOptions : unsigned {
    VornickBackwardsSearch = 4,
    VornickAnchoredSearch = 8,
};

// The tokens between runs of HTML whitespace (newlines and U+00A0 included);
// never an empty token.
std::vector<std::u16string> vornick_spaceSeparatedTokens(std::u16string_view);

// True when no character lies outside `set` (the empty string included).
bool vornick_containsOnlyCharactersInSet(std::u16string_view, const CharacterSet& set);

// The whole run of members of `set` around the first member found in `range`
// (the last one with VornickBackwardsSearch; only at the range's start, or end
// when backwards, with VornickAnchoredSearch). The run does not leave `range`.
// {VornickNotFound, 0} when there is none.
VornickRange vornick_rangeOfCharacterRunFromSet(std::u16string_view, const CharacterSet& set, unsigned options,
                                                VornickRange range);

// Every maximal run of members of `set` replaced by `replacement`.
std::u16string vornick_stringByReplacingRunsOfCharactersInSet(std::u16string_view, const CharacterSet& set,
                                                              std::u16string_view replacement);
void vornick_replaceRunsOfCharactersInSet(std::u16string&, const CharacterSet& set, std::u16string_view replacement);

// Characters and their codes.
std::u16string vornick_stringWithCharacter(char16_t);
std::u16string vornick_hexCodeStringForCharacter(char16_t);        // "%04X"
std::u16string vornick_unicodeHexCodeStringForCharacter(char16_t); // "U+%04X"
// Every UTF-16 unit as "U+%04X", joined by `separator`, up to the first U+0000.
std::u16string vornick_charactersAsUnicodeHexCodesSeparatedByString(std::u16string_view, std::u16string_view separator);
// The value of a string of the ASCII digits 0-9, A-F and a-f; nothing for an
// empty string, any other character, or a value beyond 64 bits.
std::optional<uint64_t> vornick_hexIntegerValue(std::u16string_view);
// True for exactly one character, U+000D (Return) or U+0003 (Enter).
bool vornick_isReturnOrEnterKey(std::u16string_view);
// Hands `body` the characters (followed by a U+0000) and their count; false
// without calling it for an empty string.
bool vornick_withCharactersDo(std::u16string_view,
                              const std::function<bool(const char16_t* characters, size_t length)>& body);
// Debugging: writes each UTF-16 unit to the general log as "0x%04X" and the character.
void vornick_logCharacterCodes(std::u16string_view);

// Typography.
// U+2014 to "--", U+2013 to "-", curly single quotes to "'", curly double
// quotes to '"', U+2026 to "...".
std::u16string vornick_stringByReplacingSpecialCharactersWithMarkdownSmartyPantsShorthand(std::u16string_view);
// Curly and angle quotes, primes and their kin back to "'" and '"'.
std::u16string vornick_stringByRevertingTypographicSubstitutions(std::u16string_view);
// The text between matching outer quotes ('...' or "..."), else the string.
std::u16string vornick_stringByTrimmingHTMLAttributeQuotes(std::u16string_view);

// Escaping.
// UTF-8 percent escapes of every character a URL may not hold as it stands
// (space, quotes, "<>", "#", "%", non-ASCII, ...), and of ":".
std::u16string vornick_stringByAddingPercentEscapes(std::u16string_view);
// application/x-www-form-urlencoded: line breaks as "%0D%0A", spaces as "+",
// every byte other than ASCII letters, digits and "*-._" percent-escaped.
std::u16string vornick_stringByEscapingFormNameOrValue(std::u16string_view);
// The "&...;" around `location` (from the last "&" before it through the
// first ";" after that "&"), {VornickNotFound, 0} when there is none.
VornickRange vornick_rangeOfHTMLEntityEscapeContainingLocation(std::u16string_view, size_t location);

// At most `maxLength` units: the head, the placeholder and the tail, cut
// between code points. Unchanged when short enough or when the placeholder
// alone is longer than `maxLength`.
std::u16string vornick_stringByTruncatingToMaxLength(std::u16string_view, size_t maxLength,
                                                     std::u16string_view placeholder);

// Trimmed of whitespace and newlines, each "/" replaced by "_".
std::u16string vornick_safeFileNameFromString(std::u16string_view);

// The n of a file name ending in "@" n "x" before its extension ("icon@2x.png"
// gives 2); VornickNotFound when the name is shorter than 4 characters or has none.
size_t VornickScaleFactorFromFilename(std::u16string_view);

// Mutable strings: each character equal to the first unit of a pair becomes
// the pair's second unit (the first matching pair wins).
void vornick_mapCharactersUsingReplacements(std::u16string&, std::span<const std::pair<char16_t, char16_t>> replacements);
void vornick_replaceOccurrencesOfCharacter(std::u16string&, char16_t character, char16_t replacement);

} // namespace brevanton
