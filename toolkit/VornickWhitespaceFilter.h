// Whitespace tests and the HTML whitespace filter. Both judge characters by
// VornickHTMLWhitespace, with the non-breaking-space substitute character
// counting as whitespace where one is given (0 = none).
#pragma once

#include "toolkit/VornickRange.h"

#include <string>
#include <string_view>

namespace brevanton {

enum VornickWhitespaceFilteringOptions : unsigned {
    VornickWhitespaceFilteringTrimEnd = 1,
    VornickWhitespaceFilteringTrimStart = 2,
    VornickWhitespaceFilteringCollapse = 4,
    VornickWhitespaceFilteringKeepSubstitutes = 8,
};

// True when every character is HTML whitespace; the empty string included.
bool vornick_containsOnlyHTMLWhitespace(std::u16string_view);
bool vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(std::u16string_view,
                                                                              char16_t substitute);
// The same over `range`, which must lie within the string.
bool vornick_containsOnlyHTMLWhitespaceAndNonBreakingSpaceSubstituteCharacter(std::u16string_view,
                                                                              char16_t substitute,
                                                                              VornickRange range);

// Trims (TrimStart, TrimEnd) and collapses (Collapse) HTML whitespace.
// Collapsing replaces each run by its substitute characters when it holds any,
// else by one U+00A0 when it holds one, else by one space. KeepSubstitutes
// keeps the substitute characters of a trimmed leading run and a trailing
// substitute. `trackOffset`, when given, is an index into `string` on entry
// and the index of the same place in the result on return (a place inside a
// removed run moves to where the run's replacement ends at most).
std::u16string vornick_stringByFilteringWhitespaceWithOptions(std::u16string_view string, unsigned options,
                                                              char16_t substitute, size_t* trackOffset);

} // namespace brevanton
