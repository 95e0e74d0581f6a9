// The attribute names offered for an element: the global attributes of its
// document's HTML specification, those its kind allows, then the attributes
// it carries that neither names (by their lower-case names).
#pragma once

#include "toolkit/VornickCompletionSet.h"

namespace brevanton {

class DOMElement;

// Objects are `std::shared_ptr<VornickHTMLAttributeSpec>`, or the lower-case
// name (`std::u16string`) for an attribute the specification does not know.
VornickCompletionSet vornick_attributeCompletionSet(const DOMElement&);

} // namespace brevanton
