// The "display" values that HTML gives its elements when no style sheet says
// otherwise: the one table that answers "display" until a cascade does.
#pragma once

#include <string_view>

namespace brevanton {

class DOMElement;

// The default display of an HTML element by its local name (any case):
// "block", "inline-block", "list-item", "table", "table-row", "table-cell",
// "none", ... and "inline" for every name the table does not hold.
std::u16string_view vornick_defaultDisplayValueForTagName(std::u16string_view tagName);

// The default display of `element`: "none" for an HTML element carrying the
// "hidden" attribute, the table's value for other HTML elements, "inline"
// for elements of other namespaces.
std::u16string_view vornick_defaultDisplayValueForElement(const DOMElement&);

} // namespace brevanton
