// VornickListContentAdvisories: what tidy leaves unsaid about lists in an
// HTML 5 page: text, or an element other than a list item (or a script or
// template), directly inside a UL or OL, which the document type forbids.
// Each is the warning "missing <li>" (tidy's own words for the older
// document types) at the line and column, counted from 1, where that
// content starts in the source the map was made of.
#pragma once

#include "html/VornickValidationAdvisory.h"

#include <string>
#include <vector>

namespace brevanton {

class DOMDocument;
class VornickDOMToNSRangeMap;

std::vector<VornickValidationAdvisory> VornickListContentAdvisories(DOMDocument&, const VornickDOMToNSRangeMap&,
                                                                    const std::u16string& source);

} // namespace brevanton
