// The pixel size of an encoded image, read from its header without decoding
// the image: PNG, GIF, JPEG and WebP by their headers, and every other format
// the image decoder reads (BMP, PSD, TGA, HDR, PIC, PNM) through it.
#pragma once

#include "platform/foundation/Value.h"

#include <optional>
#include <string>

namespace brevanton {

struct ImagePixelSize {
    long pixelsWide { 0 };
    long pixelsHigh { 0 };
    friend bool operator==(const ImagePixelSize&, const ImagePixelSize&) = default;
};

// nullopt for anything else, a truncated or malformed header, or a zero size.
std::optional<ImagePixelSize> imagePixelSizeOfData(const Data&);
// Also nullopt for a file that cannot be read.
std::optional<ImagePixelSize> imagePixelSizeOfFile(const std::string& path);

} // namespace brevanton
