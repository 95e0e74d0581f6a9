#pragma once

#include <string>
#include <string_view>

namespace brevanton {

// The full case folding compareIgnoringCase orders by: comparing two foldings
// with compareInCodePointOrder gives the same order, so a sort can fold each
// string once instead of at every comparison.
std::u16string caseFolded(std::u16string_view text);
// Each character's simple case folding, in as many code units as the
// character (one that would change length stays itself): an offset in the
// folding is the same offset in the text, for finding text ignoring case.
std::u16string simpleCaseFolded(std::u16string_view text);
// Ordering by code point (not code unit): supplementary characters after U+FFFF.
int compareInCodePointOrder(std::u16string_view a, std::u16string_view b);

} // namespace brevanton
