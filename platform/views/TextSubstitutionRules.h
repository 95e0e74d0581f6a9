// The automatic text substitutions of text checking, as the program's own
// small rule set: straight quotes become typographic ones (opening after
// the start of the text, a space or an opening bracket or dash; closing or
// an apostrophe otherwise), and two or three hyphens between other
// characters become an em dash. The text-replacement table is empty.
#pragma once

#include "platform/views/TextChecking.h"

#include <string_view>
#include <vector>

namespace brevanton {

// The substitutions of `types` (quote, dash, replacement) found in the part
// `range` of `text`; the text around the range is read as context only.
std::vector<TextCheckingResult> textSubstitutionsInString(std::u16string_view text, TextRange range, TextCheckingTypes types);

} // namespace brevanton
