// Whether tidy's repaired copy of a page may be loaded in place of the page:
// the HTML parser already builds a well-formed tree from a broken page, so a
// repair is only worth loading where it loses nothing of that tree. Both
// trees are compared as parsed: the DOCTYPE, every element with its
// attributes and its parent in document order, and the text with where each
// element starts and ends in it. Elements both parses imply (`tbody`, `head`)
// are in both trees; an element tidy inserts, drops or moves to another
// parent, an attribute it loses or changes, and text it adds, removes or
// moves across an element's start or end are losses. White space is tidy's
// to move only where it is the layout's: around and at the edges of blocks,
// and in the length of a run of it in flowing text (it breaks lines and
// indents); raw text (`style`, `script`), preformatted text and white space
// in inline content are kept as written.
//
// What the comparison reads of a tree can be taken on its own, on any thread,
// so that a load takes the page's while tidy still repairs, and the trees go
// once read.
#pragma once

#include "platform/foundation/DocumentTextDecoding.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class DOMDocument;

// A document's DOCTYPE, its elements with their attributes in document order,
// and its text, as the comparison reads them.
// A page shown with a stand-in character for U+00A0 in its text (one its
// text never holds, as the editing view chooses it) is read with U+00A0.
struct VornickComparedContent;
std::shared_ptr<const VornickComparedContent> VornickComparedContentOf(const DOMDocument&, char16_t nonBreakingSpaceStandIn = 0);
// The same of a text parsed here in its syntax (the tree goes again); null
// for XML that is not well-formed.
std::shared_ptr<const VornickComparedContent> VornickComparedContentOfText(const DecodedDocumentText&, DocumentTextSyntax);

// What the repaired content loses or changes of the original.
std::optional<std::string> VornickRepairedCopyLoss(const VornickComparedContent& original, const VornickComparedContent& repaired);
// The same of the repaired copy tidy wrote to a file, parsed here in the
// page's syntax. No original (XML that is not well-formed) loses nothing; a
// copy that cannot be read or parsed loses everything.
std::optional<std::string> VornickRepairedCopyLoss(const VornickComparedContent* original, DocumentTextSyntax,
                                                   const std::string& repairedCopyPath);

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
