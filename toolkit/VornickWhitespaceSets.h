// The whitespace sets of the editor, in one table. Each operation that asks
// "is this whitespace?" names the set it means:
//
//   VornickPlatformWhitespace            Zs and tab (no line breaks).
//                                        vornick_stringByReplacingRunsOfCharactersInSet callers,
//                                        attributed-text collapsing that keeps newlines.
//   VornickPlatformWhitespaceAndNewline  Z* (Zs, Zl, Zp), U+0009 to U+000D and U+0085.
//                                        vornick_safeFileNameFromString trims these.
//   VornickHTMLWhitespace                the set above plus U+00A0 (which Zs already holds),
//                                        and the non-breaking-space substitute character
//                                        wherever an operation is given one. The whitespace
//                                        tests, the whitespace filter and
//                                        vornick_spaceSeparatedTokens use it.
//   VornickHTMLSpace                     the HTML standard's five space characters: space,
//                                        tab, LF, FF, CR (vornick_HTMLSpaceCharacterSet,
//                                        class lists).
//
// Every member of every set is a BMP character, so the tests work on UTF-16
// code units.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brevanton {

enum VornickWhitespaceSet : uint8_t {
    VornickPlatformWhitespace = 1 << 0,
    VornickPlatformWhitespaceAndNewline = 1 << 1,
    VornickHTMLWhitespace = 1 << 2,
    VornickHTMLSpace = 1 << 3,
};

struct VornickWhitespaceCharacter {
    char16_t character;
    uint8_t sets; // VornickWhitespaceSet bits
};

namespace whitespace_detail {
inline constexpr uint8_t Space = VornickPlatformWhitespace | VornickPlatformWhitespaceAndNewline
    | VornickHTMLWhitespace;
inline constexpr uint8_t Newline = VornickPlatformWhitespaceAndNewline | VornickHTMLWhitespace;
} // namespace whitespace_detail

inline constexpr VornickWhitespaceCharacter VornickWhitespaceTable[] = {
    { 0x0009, whitespace_detail::Space | VornickHTMLSpace },   // tab
    { 0x000A, whitespace_detail::Newline | VornickHTMLSpace }, // line feed
    { 0x000B, whitespace_detail::Newline },                    // line tabulation
    { 0x000C, whitespace_detail::Newline | VornickHTMLSpace }, // form feed
    { 0x000D, whitespace_detail::Newline | VornickHTMLSpace }, // carriage return
    { 0x0020, whitespace_detail::Space | VornickHTMLSpace },   // space
    { 0x0085, whitespace_detail::Newline },                    // next line
    { 0x00A0, whitespace_detail::Space },                      // no-break space
    { 0x1680, whitespace_detail::Space },                      // ogham space mark
    { 0x2000, whitespace_detail::Space },                      // en quad ...
    { 0x2001, whitespace_detail::Space },
    { 0x2002, whitespace_detail::Space },
    { 0x2003, whitespace_detail::Space },
    { 0x2004, whitespace_detail::Space },
    { 0x2005, whitespace_detail::Space },
    { 0x2006, whitespace_detail::Space },
    { 0x2007, whitespace_detail::Space },
    { 0x2008, whitespace_detail::Space },
    { 0x2009, whitespace_detail::Space },
    { 0x200A, whitespace_detail::Space },                      // ... hair space
    { 0x2028, whitespace_detail::Newline },                    // line separator
    { 0x2029, whitespace_detail::Newline },                    // paragraph separator
    { 0x202F, whitespace_detail::Space },                      // narrow no-break space
    { 0x205F, whitespace_detail::Space },                      // medium mathematical space
    { 0x3000, whitespace_detail::Space },                      // ideographic space
};

// The sets `character` belongs to (VornickWhitespaceSet bits; 0 for none).
inline uint8_t vornick_whitespaceSetsOfCharacter(char32_t character)
{
    if (character > 0x3000 || (character > 0x20 && character < 0x85) || (character > 0xA0 && character < 0x1680))
        return 0;
    for (const auto& entry : VornickWhitespaceTable) {
        if (entry.character == character)
            return entry.sets;
        if (entry.character > character)
            return 0;
    }
    return 0;
}

inline bool vornick_isInWhitespaceSet(char32_t character, VornickWhitespaceSet set)
{
    return vornick_whitespaceSetsOfCharacter(character) & set;
}

// HTML whitespace, with `substitute` (the non-breaking-space substitute
// character, 0 for none) counting as well.
inline bool vornick_isHTMLWhitespace(char32_t character, char16_t substitute = 0)
{
    return (substitute && character == substitute)
        || (vornick_whitespaceSetsOfCharacter(character) & VornickHTMLWhitespace);
}

} // namespace brevanton
