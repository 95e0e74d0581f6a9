// The pixel size of encoded image data (PNG, JPEG, GIF, BMP, ...), read from its header.
#pragma once

#include "platform/foundation/Value.h"
#include "platform/views/Geometry.h"

#include <optional>

namespace brevanton {

std::optional<Size> webImagePixelSize(const Data&);

} // namespace brevanton
