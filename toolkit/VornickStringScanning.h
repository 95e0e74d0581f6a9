// Scanning strings for snippet expressions ("{...}") and wiki words
// (two or more capitalised words run together, such as "FooBar").
#pragma once

#include "toolkit/VornickRange.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

using VornickRangeEnumerationBlock = std::function<void(VornickRange, bool& stop)>;

// Reports each "{" followed by ASCII letters and "}" (the range runs through
// the "}"). A "{" stays the start until a character other than a letter or
// "}" follows, so "{ab}cd}" reports "{ab}" and then "{ab}cd}". Answers false
// when the block stopped the walk, true otherwise. `options` is unused.
bool vornick_enumerateExpressionsWithOptions(std::u16string_view, unsigned options,
                                             const VornickRangeEnumerationBlock& block);

// Options of the wiki-word operations: 1 also reports (and escapes) words
// that a "/" directly before them escapes.
enum VornickWikiWordOptions : unsigned {
    VornickWikiWordIncludeEscaped = 1,
};

// Reports each wiki word: a run of two or more capitalised words that no
// letter touches on either side. Answers false when the block stopped.
bool vornick_enumerateWikiWordsWithOptions(std::u16string_view, unsigned options,
                                           const VornickRangeEnumerationBlock& block);
bool vornick_isWikiWord(std::u16string_view);
std::vector<VornickRange> vornick_wikiWordRangesWithOptions(std::u16string_view, unsigned options);
// "/" inserted before every wiki word.
std::u16string vornick_stringByEscapingWikiWordsWithOptions(std::u16string_view, unsigned options);

} // namespace brevanton
