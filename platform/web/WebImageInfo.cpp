#include "platform/web/WebImageInfo.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
// A private copy: other libraries use the same single-header decoder.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <climits>

namespace brevanton {

std::optional<Size> webImagePixelSize(const Data& data)
{
    if (data.empty() || data.size() > INT_MAX)
        return std::nullopt;
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(data.data(), static_cast<int>(data.size()), &width, &height, &channels) || width <= 0
        || height <= 0)
        return std::nullopt;
    return Size { static_cast<double>(width), static_cast<double>(height) };
}

} // namespace brevanton
