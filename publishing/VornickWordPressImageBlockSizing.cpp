#include "publishing/VornickWordPressImageBlockSizing.h"

#include <cmath>
#include <iterator>

namespace brevanton {

Size vornick_resolvedUnscaledImageSize(Size itemSize, Size variantSize)
{
    if (variantSize.width >= 1 && variantSize.height >= 1)
        return variantSize;
    if (variantSize.width >= 1 && itemSize.width >= 1)
        return Size { variantSize.width, std::floor(variantSize.width * itemSize.height / itemSize.width + 0.5) };
    if (variantSize.height >= 1 && itemSize.height >= 1)
        return Size { std::floor(variantSize.height * itemSize.width / itemSize.height + 0.5), variantSize.height };
    return itemSize;
}

long vornick_scaleSegmentForDisplayedImageSize(double width, double height, Size unscaledSize)
{
    if (width < 1 || height < 1)
        return 3;
    if (unscaledSize.width < 1 || unscaledSize.height < 1)
        return -1;
    double ratio = width / unscaledSize.width;
    if (std::fabs(ratio - height / unscaledSize.height) >= 0.001)
        return -1;
    for (long segment = 0; segment < static_cast<long>(std::size(VornickImageBlockScaleFactors)); ++segment) {
        if (std::fabs(ratio - VornickImageBlockScaleFactors[segment]) < 0.001)
            return segment;
    }
    return -1;
}

long vornick_wholePixels(double length)
{
    return static_cast<long>(std::floor(length + 0.5));
}

} // namespace brevanton
