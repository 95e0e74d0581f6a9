// Which HTML version a document is written in, by the number the HTML layer
// gives its document types (0 unknown, 1-3 HTML 4.01, 4-7 XHTML, 8 HTML 5).
// The HTML specifications live above the DOM operations, so the HTML layer
// installs the resolver that reads the doctype; until it does, every
// document's type is 0.
#pragma once

#include <cstdint>

namespace brevanton {

class DOMDocument;

using VornickDocumentTypeResolver = int32_t (*)(const DOMDocument&);

inline constexpr int32_t VornickDocumentTypeNumberUnknown = 0;
inline constexpr int32_t VornickDocumentTypeNumberHTML5 = 8;

// Null restores the default. Main thread only.
void VornickSetDocumentTypeResolver(VornickDocumentTypeResolver);
int32_t vornick_documentType(const DOMDocument&);

} // namespace brevanton
