#include "platform/views/Image.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/FileReading.h"

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include <climits>

namespace brevanton {

ImageRep::ImageRep(long pixelsWide, long pixelsHigh, bool hasAlpha)
    : m_pixelsWide(pixelsWide)
    , m_pixelsHigh(pixelsHigh)
    , m_hasAlpha(hasAlpha)
{
}

ImageRep::ImageRep(long pixelsWide, long pixelsHigh, bool hasAlpha, std::vector<uint8_t> rgba)
    : m_pixelsWide(pixelsWide)
    , m_pixelsHigh(pixelsHigh)
    , m_hasAlpha(hasAlpha)
    , m_pixels(std::move(rgba))
{
    BREVANTON_ASSERT(pixelsWide >= 0 && pixelsHigh >= 0
                         && m_pixels.size() == static_cast<size_t>(pixelsWide) * static_cast<size_t>(pixelsHigh) * 4,
                     "bitmap data must hold four bytes per pixel");
}

uint32_t ImageRep::pixelAt(long x, long y) const
{
    BREVANTON_ASSERT(isBitmap() && x >= 0 && y >= 0 && x < m_pixelsWide && y < m_pixelsHigh, "pixel out of range");
    const uint8_t* p = &m_pixels[(static_cast<size_t>(y) * m_pixelsWide + x) * 4];
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

std::shared_ptr<Image> Image::imageWithContentsOfFile(const std::string& path)
{
    auto bytes = readFile(path, nullptr, FileReadKind::Image);
    if (!bytes || bytes->size() > size_t(INT_MAX))
        return nullptr;
    int width = 0, height = 0, channels = 0;
    unsigned char* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes->data()), static_cast<int>(bytes->size()),
                                                  &width, &height, &channels, 4);
    if (!pixels)
        return nullptr;
    std::vector<uint8_t> rgba(pixels, pixels + static_cast<size_t>(width) * height * 4);
    stbi_image_free(pixels);
    auto image = std::make_shared<Image>();
    image->addRepresentation(std::make_shared<ImageRep>(width, height, channels == 2 || channels == 4, std::move(rgba)));
    return image;
}

std::shared_ptr<Image> Image::imageWithSize(Size size, const std::function<void(GraphicsContext&)>& drawing)
{
    auto image = std::make_shared<Image>(size);
    GraphicsContext context;
    if (drawing)
        drawing(context);
    image->m_drawing = context.takeCommands();
    return image;
}

Size Image::size() const
{
    if (m_size != Size() || m_representations.empty())
        return m_size;
    auto& first = m_representations.front();
    return { double(first->pixelsWide()), double(first->pixelsHigh()) };
}

void Image::addRepresentation(std::shared_ptr<ImageRep> representation)
{
    BREVANTON_ASSERT(representation, "a representation is required");
    m_representations.push_back(std::move(representation));
}

std::shared_ptr<ImageRep> Image::bestRepresentationForPixelSize(long pixelsWide, long pixelsHigh) const
{
    std::shared_ptr<ImageRep> smallestCovering;
    std::shared_ptr<ImageRep> largest;
    auto area = [](const ImageRep& rep) { return rep.pixelsWide() * rep.pixelsHigh(); };
    for (auto& rep : m_representations) {
        if (rep->pixelsWide() >= pixelsWide && rep->pixelsHigh() >= pixelsHigh && (!smallestCovering || area(*rep) < area(*smallestCovering)))
            smallestCovering = rep;
        if (!largest || area(*rep) > area(*largest))
            largest = rep;
    }
    return smallestCovering ? smallestCovering : largest;
}

std::vector<uint8_t> resizeRGBAPixels(const std::vector<uint8_t>& source, long width, long height, long newWidth, long newHeight)
{
    BREVANTON_ASSERT(source.size() == static_cast<size_t>(width) * height * 4, "source must hold four bytes per pixel");
    std::vector<uint8_t> result(static_cast<size_t>(newWidth) * newHeight * 4, 0);
    if (!width || !height || !newWidth || !newHeight)
        return result;
    stbir_resize_uint8_generic(source.data(), int(width), int(height), 0, result.data(), int(newWidth), int(newHeight), 0,
                               4, 3, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_DEFAULT, STBIR_COLORSPACE_LINEAR, nullptr);
    return result;
}

} // namespace brevanton
