// The character encoding of a document: the one chosen for its frame, else the
// one of its character set; and switching its declaration to another.
#pragma once

#include "toolkit/VornickStringEncoding.h"

#include <memory>
#include <utility>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMElement;

// The frame's encoding override when it has one, else the encoding of the
// document's character set name; 0 when that name is unknown.
VornickStringEncoding vornick_stringEncoding(const DOMDocument&);
// Only UTF-8 is supported: rewrites the head's charset declaration to UTF-8
// (keeping one declaration, in the form the document type calls for) and sets
// the frame's override. False, changing nothing, for another encoding or a
// document without HEAD.
[[nodiscard]] bool vornick_setStringEncoding(DOMDocument&, VornickStringEncoding);

// Whether a document can be written in the encoding and read back in it: a
// converter writes it and its name, declared in the document, means it to
// the reader.
bool vornick_canDeclareStringEncoding(VornickStringEncoding);
// As vornick_setStringEncoding, for any encoding vornick_canDeclareStringEncoding
// accepts: the head's declaration names it, the frame writes in it. False,
// changing nothing, for another encoding or a document without HEAD.
[[nodiscard]] bool vornick_declareStringEncoding(DOMDocument&, VornickStringEncoding);

// The head's charset declarations with their places among the head's
// children (copies), and the frame's encoding override: what a change of
// the encoding puts back when it is undone.
struct VornickCharsetDeclarations {
    std::vector<std::pair<unsigned, std::shared_ptr<DOMElement>>> metas;
    VornickStringEncoding encodingOverride { VornickStringEncodingNone };
};
VornickCharsetDeclarations vornick_charsetDeclarations(const DOMDocument&);
void vornick_restoreCharsetDeclarations(DOMDocument&, const VornickCharsetDeclarations&);

} // namespace brevanton
