// Which HTML version a document is written in. The HTML specifications live
// above the DOM operations, so the HTML layer installs the resolver that
// reads the doctype; until it does, every document's type is Unknown.
#pragma once

#include <cstdint>

namespace brevanton {

class DOMDocument;

// The HTML versions the editor knows; the numbers are those stored by
// earlier versions and are kept.
enum class VornickHTMLDocumentType : int32_t {
    Unknown = 0,
    HTML401Transitional = 1,
    HTML401Strict = 2,
    HTML401Frameset = 3,
    XHTML10Transitional = 4,
    XHTML10Strict = 5,
    XHTML10Frameset = 6,
    XHTML11 = 7,
    HTML5 = 8,
};

// Every known type, Unknown excluded, in order.
inline constexpr VornickHTMLDocumentType VornickEveryHTMLDocumentType[] = {
    VornickHTMLDocumentType::HTML401Transitional, VornickHTMLDocumentType::HTML401Strict,
    VornickHTMLDocumentType::HTML401Frameset, VornickHTMLDocumentType::XHTML10Transitional,
    VornickHTMLDocumentType::XHTML10Strict, VornickHTMLDocumentType::XHTML10Frameset,
    VornickHTMLDocumentType::XHTML11, VornickHTMLDocumentType::HTML5,
};

using VornickDocumentTypeResolver = VornickHTMLDocumentType (*)(const DOMDocument&);

// Null restores the default. Main thread only.
void VornickSetDocumentTypeResolver(VornickDocumentTypeResolver);
VornickHTMLDocumentType vornick_documentType(const DOMDocument&);

} // namespace brevanton
