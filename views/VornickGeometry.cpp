#include "views/VornickGeometry.h"

#include <algorithm>

namespace brevanton {

Rect VornickVerticalGapRectBetweenRects(const Rect& a, const Rect& b)
{
    double minX = std::min(a.minX(), b.minX());
    double maxX = std::max(a.maxX(), b.maxX());
    if (b.minY() >= a.maxY())
        return Rect(minX, a.maxY(), maxX - minX, b.minY() - a.maxY());
    if (b.maxY() <= a.minY())
        return Rect(minX, b.maxY(), maxX - minX, a.minY() - b.maxY());
    double minY = std::min(a.minY(), b.minY());
    double maxY = std::max(a.maxY(), b.maxY());
    return Rect(minX, minY, maxX - minX, maxY - minY);
}

} // namespace brevanton
