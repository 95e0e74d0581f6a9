// Geometry helpers of the editor's overlays.
#pragma once

#include "platform/views/Geometry.h"

namespace brevanton {

// The rectangle of the vertical gap between two rectangles: across both
// horizontally (from the smaller minimum x to the larger maximum x), and
// from the maximum-y edge of the one with the smaller y values to the
// minimum-y edge of the other; their union when they overlap vertically.
Rect VornickVerticalGapRectBetweenRects(const Rect& a, const Rect& b);

} // namespace brevanton
