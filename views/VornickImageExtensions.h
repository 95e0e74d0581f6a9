// Image measurement and resampling for images placed on web pages.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/views/Image.h"

#include <functional>
#include <memory>
#include <optional>

namespace brevanton {

// {"pixelsWide": width, "pixelsHigh": height} of the first image of the file;
// nullopt when the URL is not a file URL, the file is not an image or either
// value is missing.
std::optional<Dictionary> vornick_propertiesOfImageWithFileURL(const URL&);
// Calls the block with the pixel size of the largest representation: one
// replaces the best so far when it is at least as wide and at least as high.
// Without representations, with 0 and 0.
void vornick_inferPixelDimensionsForWebAndInvoke(const Image&, const std::function<void(long pixelsWide, long pixelsHigh)>&);
// A new RGBA bitmap of the size with the image drawn into it from its best
// representation for that size; null for a size without pixels.
std::shared_ptr<ImageRep> vornick_resampledToPixelsWide(const Image&, long pixelsWide, long pixelsHigh);

} // namespace brevanton
