// Whether tidy's repaired copy of a page may be loaded in place of the page:
// the HTML parser already builds a well-formed tree from a broken page, so a
// repair is only worth loading where it loses nothing of that tree. Both
// trees are compared as parsed: the DOCTYPE, every element with its
// attributes in document order, and the text. Elements both parses imply
// (`tbody`, `head`) are in both trees; an element tidy inserts or drops, an
// attribute it loses or changes, and text it adds or removes are losses.
// Whitespace is tidy's to move outside preformatted elements (it breaks lines
// and indents), never inside them.
#pragma once

#include "platform/foundation/DocumentTextDecoding.h"

#include <optional>
#include <string>

namespace brevanton {

class DOMDocument;

// What the repaired document loses or changes of the original, in a sentence
// for the log; none when the repaired copy keeps everything.
std::optional<std::string> VornickRepairedCopyLoss(const DOMDocument& original, const DOMDocument& repaired);
// The same of a page's text, as the page reads it, and of the repaired copy
// tidy wrote to a file, both parsed here in the page's syntax. A copy that
// cannot be read or parsed loses everything; XML that is not well-formed
// loses nothing to it.
std::optional<std::string> VornickRepairedCopyLoss(const DecodedDocumentText& original, DocumentTextSyntax,
                                                   const std::string& repairedCopyPath);

} // namespace brevanton
