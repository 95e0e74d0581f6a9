// Parsing markup into DOM trees: HTML through our own tree builder
// (HTMLTreeBuilder.h), XML and XHTML through libxml2 with no network access
// and no external entities (an XML document that is not well-formed is
// refused with the parser's line and column, never recovered in part). Both
// take text decoded to UTF-8 (DocumentTextDecoding.h); HTML also decoded
// markup in UTF-16, which is what our tree builder reads. Elements nest as
// deep as the markup says: the parsers and every walk of the tree are
// iterative, so nothing is flattened however deep a page nests.
#pragma once

#include "platform/foundation/Error.h"

#include <memory>
#include <string>
#include <string_view>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;
class DOMElement;

std::shared_ptr<DOMDocument> parseHTMLDocument(std::string_view utf8);
std::shared_ptr<DOMDocument> parseHTMLDocument(std::u16string_view markup);
// The XML declaration and the DOCTYPE's internal subset are kept as written.
std::shared_ptr<DOMDocument> parseXMLDocument(std::string_view utf8, Error* outError);
// Markup parsed in the context of `context` (BODY when null), owned by
// `document`: HTML in HTML documents, XML otherwise. XML markup that is not
// well-formed is parsed as HTML.
std::shared_ptr<DOMDocumentFragment> parseFragment(DOMDocument& document, std::u16string_view markup,
                                                   const DOMElement* context);
std::shared_ptr<DOMDocumentFragment> parseHTMLFragment(DOMDocument& document, std::u16string_view markup,
                                                       const DOMElement* context);
std::shared_ptr<DOMDocumentFragment> parseXMLFragment(DOMDocument& document, std::u16string_view markup,
                                                      const DOMElement* context);

// Fast UTF-8 to UTF-16 for text known to be well-formed (ill-formed bytes become U+FFFD).
void appendUTF8AsUTF16(std::u16string& into, const char* bytes, size_t length);

} // namespace brevanton
