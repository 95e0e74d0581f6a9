// Where a node is shown: its box in the web view that shows its document,
// in the coordinates of any view.
#pragma once

#include "dom/VornickRangeExtensions.h"

namespace brevanton {

class DOMNode;
class View;

// The node's bounding box converted to `view`; empty for a node that shows
// nothing or whose document no web view shows.
VornickRect vornick_boundingBoxInView(const DOMNode&, const View&);
// A bounds getter for vornick_boundingBoxBestGuess that answers boxes in `view`.
VornickNodeBoundsGetter VornickNodeBoundsGetterForView(const View&);

} // namespace brevanton
