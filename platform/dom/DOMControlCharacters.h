// The HTML tokenizer here turns raw control characters (U+0001-U+0008,
// U+000B, U+000E-U+001F, U+007F-U+009F) into U+FFFD, where the HTML
// standard keeps them: a windows-1252 page's bytes 0x81, 0x8D, 0x8F, 0x90 and
// 0x9D would be lost. They pass the tokenizer as private-use stand-ins and
// are put back in the tree it built.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

class DOMNode;

// `utf8` with each such control character replaced by its stand-in; false,
// leaving `out` alone, when there is none (or the text holds stand-ins of its
// own, which would then be taken for controls).
bool protectControlCharacters(std::string_view utf8, std::string& out);

// Puts the control characters back in the text, comments and attribute values under `root`.
void restoreControlCharacters(DOMNode& root);

} // namespace brevanton
