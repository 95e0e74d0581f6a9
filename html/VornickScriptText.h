// Script text as an HTML parser reads it back. Inside a script element the
// parser ends the text at the first "</script" it meets outside a legacy
// "<!-- <script> ... </script> -->" passage, whose inner end tag does not
// end the script. Text written between a start and an end tag must end
// exactly at the end tag written after it.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

// Where the script text of `markup` ends as the parser's script data states
// find it: the offset of the "<" of the end tag, npos when none ends it.
size_t VornickScriptDataEndOffset(std::u16string_view markup);

// `text` unchanged when, followed by "</script>", it reads back as itself
// (as every parsed script does); otherwise with the least escaping that
// makes it do so: "<\/script" for an end tag that would end it early, and
// "<\script" for a legacy passage that would swallow the end tag. Both
// read in script strings as what they escape.
std::u16string VornickScriptTextReadingBackAsItself(std::u16string_view text);

} // namespace brevanton
