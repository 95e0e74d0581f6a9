#include "views/VornickImageExtensions.h"

#include "platform/views/ImagePixelSize.h"

namespace brevanton {

std::optional<Dictionary> vornick_propertiesOfImageWithFileURL(const URL& url)
{
    if (!url.isFileURL())
        return std::nullopt;
    auto path = url.fileSystemPath();
    if (!path)
        return std::nullopt;
    auto size = imagePixelSizeOfFile(*path);
    if (!size)
        return std::nullopt;
    return Dictionary { { u"pixelsWide", Value(size->pixelsWide) }, { u"pixelsHigh", Value(size->pixelsHigh) } };
}

void vornick_inferPixelDimensionsForWebAndInvoke(const Image& image, const std::function<void(long, long)>& block)
{
    long bestWidth = 0;
    long bestHeight = 0;
    for (auto& rep : image.representations()) {
        if (rep->pixelsWide() >= bestWidth && rep->pixelsHigh() >= bestHeight) {
            bestWidth = rep->pixelsWide();
            bestHeight = rep->pixelsHigh();
        }
    }
    block(bestWidth, bestHeight);
}

std::shared_ptr<ImageRep> vornick_resampledToPixelsWide(const Image& image, long pixelsWide, long pixelsHigh)
{
    if (pixelsWide <= 0 || pixelsHigh <= 0)
        return nullptr;
    // The new bitmap starts cleared to transparent; the image is drawn over
    // it at full opacity, which on a clear bitmap leaves the scaled pixels.
    std::vector<uint8_t> pixels(static_cast<size_t>(pixelsWide) * static_cast<size_t>(pixelsHigh) * 4, 0);
    auto rep = image.bestRepresentationForPixelSize(pixelsWide, pixelsHigh);
    if (rep && rep->isBitmap())
        pixels = resizeRGBAPixels(rep->bitmapData(), rep->pixelsWide(), rep->pixelsHigh(), pixelsWide, pixelsHigh);
    return std::make_shared<ImageRep>(pixelsWide, pixelsHigh, true, std::move(pixels));
}

} // namespace brevanton
