// The character encoding of a document: the one chosen for its frame, else the
// one of its character set; and switching its declaration to UTF-8.
#pragma once

#include "toolkit/VornickStringEncoding.h"

namespace brevanton {

class DOMDocument;

// The frame's encoding override when it has one, else the encoding of the
// document's character set name; 0 when that name is unknown.
VornickStringEncoding vornick_stringEncoding(const DOMDocument&);
// Only UTF-8 is supported: rewrites the head's charset declaration to UTF-8
// (keeping one declaration, in the form the document type calls for) and sets
// the frame's override. False, changing nothing, for another encoding or a
// document without HEAD.
[[nodiscard]] bool vornick_setStringEncoding(DOMDocument&, VornickStringEncoding);

} // namespace brevanton
