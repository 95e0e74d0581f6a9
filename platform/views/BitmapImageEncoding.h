// Writing a bitmap representation as an image file: JPEG through
// libjpeg-turbo, PNG through libpng, TIFF through libtiff, each in memory.
// The pixels are unassociated RGBA (ImageRep); a file without alpha gets the
// colour channels alone, and JPEG, which has no alpha, gets the pixels
// composited over white so that transparent parts do not turn black.
#pragma once

#include "platform/views/Image.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace brevanton {

// The platform's numbers for the file types.
enum class BitmapImageFileType { TIFF = 0, JPEG = 3, PNG = 4 };

struct BitmapImageProperties {
    // JPEG: 0 (smallest file) to 1 (best picture); values outside are clamped.
    std::optional<double> compressionFactor;
    // JPEG: a progressive file instead of a baseline one.
    bool progressive { false };
};

// The file data of the bitmap in the type; nullopt for a representation
// without pixels or when the library fails.
std::optional<std::vector<uint8_t>> representationUsingType(const ImageRep&, BitmapImageFileType, const BitmapImageProperties& = {});

} // namespace brevanton
