// The measurement of attributed text in the headless view layer: lines end
// at line breaks (no wrapping); a line is as wide as its pieces of one font
// measured in their fonts and as high as its tallest font's line height.
// Characters without a font attribute use the system font. The width is the
// widest of the 32 lines with the most characters (a tab counting as 8), so
// that measuring a long source asks the fonts little.
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/views/Geometry.h"

namespace brevanton {

// The size the text needs drawn on its own lines.
Size sizeOfAttributedString(const AttributedString&);

} // namespace brevanton
