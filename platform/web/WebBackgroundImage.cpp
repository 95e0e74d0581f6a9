#include "platform/web/WebBackgroundImage.h"

#include "platform/css/CSSComputedValues.h"
#include "platform/foundation/URL.h"
#include "platform/net/WebResource.h"
#include "platform/views/ImagePixelSize.h"
#include "platform/web/WebDataSource.h"
#include "platform/web/WebFrame.h"

#include <algorithm>

namespace brevanton {

std::optional<WebBackgroundImage> webBackgroundImage(const WebFrame& frame, const CSSComputedValues& style)
{
    auto* value = style.value(CSSPropertyID::BackgroundImage);
    if (!value || !value->isPrimitiveValue())
        return std::nullopt;
    auto& primitive = static_cast<const CSSPrimitiveValue&>(*value);
    if (primitive.primitiveType() != CSSPrimitiveValue::CSS_URI || primitive.stringReference().empty())
        return std::nullopt;
    auto base = frame.baseURL();
    auto url = URL::create(primitive.stringReference(), base ? &*base : nullptr);
    if (!url || !url->isFileURL())
        return std::nullopt;
    auto path = url->fileSystemPath();
    if (!path)
        return std::nullopt;
    std::optional<ImagePixelSize> pixels;
    if (auto& source = frame.dataSource()) {
        if (auto resource = source->subresourceForURL(*url); resource && !resource->data().empty())
            pixels = imagePixelSizeOfData(resource->data());
    }
    if (!pixels)
        pixels = imagePixelSizeOfFile(*path);
    if (!pixels)
        return std::nullopt;
    return WebBackgroundImage { std::move(*path), Size { static_cast<double>(pixels->pixelsWide), static_cast<double>(pixels->pixelsHigh) } };
}

std::optional<WebBackgroundTiling> webBackgroundTiling(const Rect& clip, Point origin, Size imageSize,
                                                       std::u16string_view repeat)
{
    if (clip.isEmpty() || imageSize.width <= 0 || imageSize.height <= 0)
        return std::nullopt;
    bool repeatX = repeat != u"no-repeat" && repeat != u"repeat-y";
    bool repeatY = repeat != u"no-repeat" && repeat != u"repeat-x";
    Rect tile(origin.x, origin.y, imageSize.width, imageSize.height);
    // A direction that does not repeat covers only the one copy's extent.
    double minX = repeatX ? clip.minX() : std::max(clip.minX(), tile.minX());
    double maxX = repeatX ? clip.maxX() : std::min(clip.maxX(), tile.maxX());
    double minY = repeatY ? clip.minY() : std::max(clip.minY(), tile.minY());
    double maxY = repeatY ? clip.maxY() : std::min(clip.maxY(), tile.maxY());
    if (maxX <= minX || maxY <= minY)
        return std::nullopt;
    return WebBackgroundTiling { Rect(minX, minY, maxX - minX, maxY - minY), tile };
}

} // namespace brevanton
