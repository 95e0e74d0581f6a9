// Where a kind of window opens first: near the top left of the main
// screen's visible frame.
#pragma once

#include "platform/views/Geometry.h"

namespace brevanton {

// `margin` from the visible frame's left and top edges; `preferred` in size,
// less where the visible frame less `margin` on each side is smaller, but
// never smaller than `minimum`.
Rect vornick_initialWindowFrame(Size preferred, Size minimum, double margin);

} // namespace brevanton
