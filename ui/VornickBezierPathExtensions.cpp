#include "ui/VornickBezierPathExtensions.h"

#include "platform/foundation/Assertions.h"
#include "views/VornickGeometry.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

BezierPath vornick_bezierPathWithPossiblyExpandedAngledCapsuleInRect(const Rect& rect, double f, double e,
                                                                     double normalHeight, double)
{
    double x = rect.minX(), y = rect.minY(), w = rect.width(), h = rect.height();
    double top = y + h;
    double right = x + w;
    double half = normalHeight / 2;
    double xL = x + half;
    double xR = right - half;
    BezierPath path;
    path.moveToPoint({ x + w / 2, top });
    if (h <= normalHeight) {
        double middle = y + h / 2;
        path.appendBezierPathWithArcFromPoint({ xL, top }, { x, middle }, f);
        path.appendBezierPathWithArcFromPoint({ x, middle }, { xL, y }, e);
        path.appendBezierPathWithArcFromPoint({ xL, y }, { xR, y }, f);
        path.appendBezierPathWithArcFromPoint({ xR, y }, { right, middle }, f);
        path.appendBezierPathWithArcFromPoint({ right, middle }, { xR, top }, e);
        path.appendBezierPathWithArcFromPoint({ xR, top }, { xL, top }, f);
    } else {
        double c = std::min((h - normalHeight) / 2, f);
        path.appendBezierPathWithArcFromPoint({ xL, top }, { x, top - half }, f);
        path.appendBezierPathWithArcFromPoint({ x, top - half }, { x, y + half }, c);
        path.appendBezierPathWithArcFromPoint({ x, y + half }, { xL, y }, c);
        path.appendBezierPathWithArcFromPoint({ xL, y }, { xR, y }, f);
        path.appendBezierPathWithArcFromPoint({ xR, y }, { right, y + half }, f);
        path.appendBezierPathWithArcFromPoint({ right, y + half }, { right, top - half }, c);
        path.appendBezierPathWithArcFromPoint({ right, top - half }, { xR, top }, c);
        path.appendBezierPathWithArcFromPoint({ xR, top }, { xL, top }, f);
    }
    path.closePath();
    return path;
}

BezierPath vornick_bezierPathWithAngledCapsuleInRect(const Rect& rect, double filletRadius, double endCapRadius)
{
    return vornick_bezierPathWithPossiblyExpandedAngledCapsuleInRect(rect, filletRadius, endCapRadius, rect.height(),
                                                                     rect.height());
}

namespace {

void appendCircle(BezierPath& path, Point center, double radius)
{
    path.appendBezierPathWithOvalInRect(Rect(center.x - radius, center.y - radius, 2 * radius, 2 * radius));
}

} // namespace

BezierPath vornick_bezierPathWithHandlesFromPoint(Point p1, Point p2, double radius, double lineWidth)
{
    BezierPath path;
    path.setLineWidth(lineWidth);
    Point u { p2.x - p1.x, p2.y - p1.y };
    double length = std::hypot(u.x, u.y);
    // Coinciding points keep the plain (zero) difference.
    if (length > 0)
        u = { u.x / length, u.y / length };
    path.moveToPoint({ p1.x + radius * u.x, p1.y + radius * u.y });
    path.lineToPoint({ p2.x - radius * u.x, p2.y - radius * u.y });
    appendCircle(path, p1, radius);
    appendCircle(path, p2, radius);
    return path;
}

BezierPath vornick_bezierPathWithHandlesForEdge(int edge, const Rect& rect)
{
    BREVANTON_ASSERT(edge >= 0 && edge <= 3, "edge >= 0 && edge <= 3");
    constexpr double radius = 4;
    double x = rect.minX(), y = rect.minY(), w = rect.width(), h = rect.height();
    Point start, end, lineStart, lineEnd;
    switch (edge) {
    case 0:
        start = { x, y }, end = { x, y + h };
        lineStart = { x, y + radius }, lineEnd = { x, y + h - radius };
        break;
    case 1:
        start = { x, y }, end = { x + w, y };
        lineStart = { x + radius, y }, lineEnd = { x + w - radius, y };
        break;
    case 2:
        start = { x + w, y }, end = { x + w, y + h };
        lineStart = { x + w, y + radius }, lineEnd = { x + w, y + h - radius };
        break;
    default:
        start = { x, y + h }, end = { x + w, y + h };
        lineStart = { x + radius, y + h }, lineEnd = { x + w - radius, y + h };
        break;
    }
    BezierPath path;
    path.setLineWidth(2);
    path.moveToPoint(lineStart);
    path.lineToPoint(lineEnd);
    appendCircle(path, start, radius);
    appendCircle(path, end, radius);
    return path;
}

BezierPath vornick_bezierPathWithHandlesForEdgeBetweenRect(const Rect& a, const Rect& b)
{
    Rect gap = VornickVerticalGapRectBetweenRects(a, b);
    gap.size.height /= 2;
    return vornick_bezierPathWithHandlesForEdge(3, gap);
}

} // namespace brevanton
