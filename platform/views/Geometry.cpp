#include "platform/views/Geometry.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace brevanton {

bool Rect::containsPoint(Point point) const
{
    return point.x >= minX() && point.x < maxX() && point.y >= minY() && point.y < maxY();
}

bool Rect::containsRect(const Rect& other) const
{
    if (isEmpty() || other.isEmpty())
        return false;
    return other.minX() >= minX() && other.maxX() <= maxX() && other.minY() >= minY() && other.maxY() <= maxY();
}

bool Rect::intersects(const Rect& other) const
{
    return !intersection(other).isEmpty();
}

Rect Rect::intersection(const Rect& other) const
{
    double x0 = std::max(minX(), other.minX());
    double y0 = std::max(minY(), other.minY());
    double x1 = std::min(maxX(), other.maxX());
    double y1 = std::min(maxY(), other.maxY());
    if (x1 <= x0 || y1 <= y0)
        return {};
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::unionWith(const Rect& other) const
{
    if (isEmpty())
        return other;
    if (other.isEmpty())
        return *this;
    double x0 = std::min(minX(), other.minX());
    double y0 = std::min(minY(), other.minY());
    double x1 = std::max(maxX(), other.maxX());
    double y1 = std::max(maxY(), other.maxY());
    return Rect(x0, y0, x1 - x0, y1 - y0);
}

Rect Rect::insetBy(double dx, double dy) const
{
    Rect result(origin.x + dx, origin.y + dy, size.width - 2 * dx, size.height - 2 * dy);
    if (result.size.width < 0 || result.size.height < 0)
        return {};
    return result;
}

Rect Rect::integral() const
{
    if (isEmpty())
        return {};
    double x0 = std::floor(minX());
    double y0 = std::floor(minY());
    return Rect(x0, y0, std::ceil(maxX()) - x0, std::ceil(maxY()) - y0);
}

Rect Rect::standardized() const
{
    return rectFromPoints(origin, { maxX(), maxY() });
}

std::string Rect::description() const
{
    return fmt::format("{{{{{}, {}}}, {{{}, {}}}}}", origin.x, origin.y, size.width, size.height);
}

Rect rectFromPoints(Point a, Point b)
{
    return Rect(std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y));
}

bool mouseInRect(Point point, const Rect& rect, bool flipped)
{
    if (point.x < rect.minX() || point.x >= rect.maxX())
        return false;
    if (flipped)
        return point.y >= rect.minY() && point.y < rect.maxY();
    return point.y > rect.minY() && point.y <= rect.maxY();
}

} // namespace brevanton
