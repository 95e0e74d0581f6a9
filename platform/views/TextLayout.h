// The measurement of attributed text in the headless view layer: lines end
// at line breaks (no wrapping); a line is as wide as the advances of its
// characters in their fonts and as high as its tallest font's line height.
// Characters without a font attribute use the system font.
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/views/Geometry.h"

namespace brevanton {

// The size the text needs drawn on its own lines.
Size sizeOfAttributedString(const AttributedString&);

} // namespace brevanton
