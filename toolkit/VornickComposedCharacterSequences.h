// User-perceived characters (extended grapheme clusters) in UTF-16 text: a
// letter with its combining marks, an emoji with its modifiers or joined by
// zero-width joiners, a flag, a Hangul syllable, CR LF. Backspace deletes one
// and the arrow keys step over one, never into its middle.
#pragma once

#include "toolkit/VornickRange.h"

#include <string_view>

namespace brevanton {

// The sequence holding the code unit at `index`. Asserts that `index` lies
// within the text.
VornickRange vornick_rangeOfComposedCharacterSequenceAtIndex(std::u16string_view, size_t index);

// From the start of the sequence before `index` to `index` (what backspace
// deletes); not found at the start of the text.
VornickRange vornick_rangeOfComposedCharacterSequenceBeforeIndex(std::u16string_view, size_t index);
// From `index` to the end of the sequence after it; not found at the end of
// the text. Both assert that `index` is at most the text's length.
VornickRange vornick_rangeOfComposedCharacterSequenceAfterIndex(std::u16string_view, size_t index);

} // namespace brevanton
