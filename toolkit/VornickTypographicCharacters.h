// Typographic one-character strings and the candidates for the character
// that stands in for a non-breaking space while editing.
#pragma once

#include <iterator>
#include <string>
#include <string_view>

namespace brevanton {

// U+23D8, U+2423, U+2395, U+2337, in order of preference. The view looks at
// an array, one object in the whole program: a view of a string literal
// could begin at one translation unit's copy of the literal and end at
// another's, and a loop over it run past both.
inline constexpr char16_t VornickNonBreakingSpaceSubstituteCandidateCharacters[] = u"\u23D8\u2423\u2395\u2337";
inline constexpr std::u16string_view VornickNonBreakingSpaceSubstituteCandidates {
    VornickNonBreakingSpaceSubstituteCandidateCharacters, std::size(VornickNonBreakingSpaceSubstituteCandidateCharacters) - 1
};

const std::u16string& vornick_lineSeparatorString();      // U+2028
const std::u16string& vornick_paragraphSeparatorString(); // U+2029
const std::u16string& vornick_openSingleQuoteString();    // U+2018
const std::u16string& vornick_apostropheString();         // U+2019
const std::u16string& vornick_openDoubleQuoteString();    // U+201C
const std::u16string& vornick_closeDoubleQuoteString();   // U+201D
const std::u16string& vornick_ellipsisString();           // U+2026
const std::u16string& vornick_mdashString();              // U+2014
const std::u16string& vornick_ndashString();              // U+2013
const std::u16string& vornick_nonBreakingSpaceString();   // U+00A0

} // namespace brevanton
