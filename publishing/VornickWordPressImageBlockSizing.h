// The sizes an image block's inspector works with: the size at which a
// media item's variant shows unscaled, and which scale a displayed size is.
#pragma once

#include "platform/views/Geometry.h"

namespace brevanton {

// The scale segments, in order: 25 %, 50 %, 75 %, 100 %.
inline constexpr double VornickImageBlockScaleFactors[] = { 0.25, 0.5, 0.75, 1.0 };

// The pixel size a variant shows at: its own when both sides are known (at
// least 1); one known side with the other in the item's proportions; else
// the item's own size. Unknown sides are 0.
Size vornick_resolvedUnscaledImageSize(Size itemSize, Size variantSize);

// The scale segment of a displayed size: 3 (100 %) when a side is below 1;
// -1 (none) when the unscaled size has a side below 1, when the two sides
// are scaled differently (by 0.001 or more), or when the scale is none of
// the four.
long vornick_scaleSegmentForDisplayedImageSize(double width, double height, Size unscaledSize);

// A length rounded to whole pixels, halves up.
long vornick_wholePixels(double);

} // namespace brevanton
