// HTML serialization of nodes by the HTML fragment serialization algorithm.
#pragma once

#include <string>
#include <string_view>

namespace brevanton {

class DOMNode;

// Appends the serialization of `node`'s children to `into`.
void serializeChildrenAsHTML(const DOMNode& node, std::u16string& into);
// Appends the serialization of `node` itself, as its parent would serialize it.
void serializeNodeAsHTML(const DOMNode& node, std::u16string& into);

// HTML void elements (lower-case local names), which have no end tag.
bool isHTMLVoidElementName(std::u16string_view localName);
// Escaping: "&", no-break space, and "<" ">" in text, or "\"" "<" ">" in attribute values.
void appendEscapedHTML(std::u16string& into, std::u16string_view text, bool attributeMode);

} // namespace brevanton
