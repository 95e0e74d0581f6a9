// The pixel size of an image read from the header of a PNG, JPEG, GIF or
// WebP file, without decoding the image.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>

namespace brevanton {

struct VornickImagePixelSize {
    uint32_t pixelsWide { 0 };
    uint32_t pixelsHigh { 0 };
    friend bool operator==(const VornickImagePixelSize&, const VornickImagePixelSize&) = default;
};

// nullopt for anything else, a truncated or malformed header, or a zero size.
std::optional<VornickImagePixelSize> vornick_imagePixelSizeFromStream(std::istream&);
std::optional<VornickImagePixelSize> vornick_imagePixelSizeOfFile(const std::string& path);

} // namespace brevanton
