#include "platform/views/BezierPath.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <numbers>

namespace brevanton {

namespace {

constexpr double pi = std::numbers::pi;

Point add(Point a, Point b) { return { a.x + b.x, a.y + b.y }; }
Point subtract(Point a, Point b) { return { a.x - b.x, a.y - b.y }; }
Point scale(Point a, double factor) { return { a.x * factor, a.y * factor }; }
double length(Point a) { return std::hypot(a.x, a.y); }

// The parameters in (0, 1) where one coordinate of a cubic segment has an extreme.
void cubicExtremes(double p0, double p1, double p2, double p3, std::vector<double>& roots)
{
    double a = p1 - p0;
    double b = p2 - p1;
    double c = p3 - p2;
    double qa = a - 2 * b + c;
    double qb = 2 * (b - a);
    double qc = a;
    auto addRoot = [&](double t) {
        if (t > 0 && t < 1)
            roots.push_back(t);
    };
    if (std::abs(qa) < 1e-12) {
        if (std::abs(qb) > 1e-12)
            addRoot(-qc / qb);
        return;
    }
    double discriminant = qb * qb - 4 * qa * qc;
    if (discriminant < 0)
        return;
    double root = std::sqrt(discriminant);
    addRoot((-qb + root) / (2 * qa));
    addRoot((-qb - root) / (2 * qa));
}

Point pointOnCubic(Point p0, Point p1, Point p2, Point p3, double t)
{
    double u = 1 - t;
    double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return { a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y };
}

struct BoundsAccumulator {
    bool any { false };
    double minX { 0 }, minY { 0 }, maxX { 0 }, maxY { 0 };
    void add(Point point)
    {
        if (!any) {
            minX = maxX = point.x;
            minY = maxY = point.y;
            any = true;
            return;
        }
        minX = std::min(minX, point.x);
        maxX = std::max(maxX, point.x);
        minY = std::min(minY, point.y);
        maxY = std::max(maxY, point.y);
    }
    Rect rect() const { return any ? Rect(minX, minY, maxX - minX, maxY - minY) : Rect(); }
};

} // namespace

BezierPath BezierPath::bezierPathWithRect(const Rect& rect)
{
    BezierPath path;
    path.appendBezierPathWithRect(rect);
    return path;
}

BezierPath BezierPath::bezierPathWithOvalInRect(const Rect& rect)
{
    BezierPath path;
    path.appendBezierPathWithOvalInRect(rect);
    return path;
}

BezierPath BezierPath::bezierPathWithRoundedRect(const Rect& rect, double xRadius, double yRadius)
{
    BezierPath path;
    path.appendBezierPathWithRoundedRect(rect, xRadius, yRadius);
    return path;
}

void BezierPath::moveToPoint(Point point)
{
    // A move right after a move only changes where the subpath starts.
    if (!m_elements.empty() && m_elements.back().kind == PathElementKind::MoveTo)
        m_elements.back().points[0] = point;
    else
        m_elements.push_back({ PathElementKind::MoveTo, { point } });
    m_currentPoint = point;
    m_subpathStart = point;
}

void BezierPath::ensureCurrentPoint()
{
    if (m_elements.empty())
        moveToPoint(m_currentPoint);
    else if (m_elements.back().kind == PathElementKind::ClosePath)
        moveToPoint(m_subpathStart);
}

void BezierPath::lineToPoint(Point point)
{
    ensureCurrentPoint();
    m_elements.push_back({ PathElementKind::LineTo, { point } });
    m_currentPoint = point;
}

void BezierPath::curveToPoint(Point end, Point controlPoint1, Point controlPoint2)
{
    ensureCurrentPoint();
    m_elements.push_back({ PathElementKind::CurveTo, { controlPoint1, controlPoint2, end } });
    m_currentPoint = end;
}

void BezierPath::closePath()
{
    if (m_elements.empty() || m_elements.back().kind == PathElementKind::ClosePath)
        return;
    m_elements.push_back({ PathElementKind::ClosePath, {} });
    m_currentPoint = m_subpathStart;
}

void BezierPath::appendArcSegments(Point center, double radius, double startRadians, double sweepRadians)
{
    if (sweepRadians == 0)
        return;
    int count = std::max(1, static_cast<int>(std::ceil(std::abs(sweepRadians) / (pi / 2) - 1e-9)));
    double step = sweepRadians / count;
    double k = 4.0 / 3.0 * std::tan(step / 4);
    for (int i = 0; i < count; ++i) {
        double a0 = startRadians + i * step;
        double a1 = a0 + step;
        Point p0 { center.x + radius * std::cos(a0), center.y + radius * std::sin(a0) };
        Point p3 { center.x + radius * std::cos(a1), center.y + radius * std::sin(a1) };
        Point c1 = add(p0, scale({ -std::sin(a0), std::cos(a0) }, k * radius));
        Point c2 = subtract(p3, scale({ -std::sin(a1), std::cos(a1) }, k * radius));
        curveToPoint(p3, c1, c2);
    }
}

void BezierPath::appendBezierPathWithArcFromPoint(Point corner, Point towards, double radius)
{
    ensureCurrentPoint();
    Point start = m_currentPoint;
    Point a = subtract(start, corner);
    Point b = subtract(towards, corner);
    double la = length(a);
    double lb = length(b);
    if (radius <= 0 || la == 0 || lb == 0) {
        lineToPoint(corner);
        return;
    }
    Point u = scale(a, 1 / la);
    Point v = scale(b, 1 / lb);
    double cross = u.x * v.y - u.y * v.x;
    if (std::abs(cross) < 1e-12) {
        lineToPoint(corner);
        return;
    }
    double angle = std::acos(std::clamp(u.x * v.x + u.y * v.y, -1.0, 1.0));
    double distance = radius / std::tan(angle / 2);
    Point t1 = add(corner, scale(u, distance));
    Point t2 = add(corner, scale(v, distance));
    Point bisector = add(u, v);
    bisector = scale(bisector, 1 / length(bisector));
    Point center = add(corner, scale(bisector, radius / std::sin(angle / 2)));
    if (t1 != m_currentPoint)
        lineToPoint(t1);
    Point r1 = subtract(t1, center);
    Point r2 = subtract(t2, center);
    double sweep = pi - angle;
    if (r1.x * r2.y - r1.y * r2.x < 0)
        sweep = -sweep;
    appendArcSegments(center, radius, std::atan2(r1.y, r1.x), sweep);
    // The arc ends exactly at the tangent point.
    if (m_elements.back().kind == PathElementKind::CurveTo)
        m_elements.back().points[2] = t2;
    m_currentPoint = t2;
}

void BezierPath::appendBezierPathWithArcWithCenter(Point center, double radius, double startAngle, double endAngle,
                                                   bool clockwise)
{
    double sweep;
    if (std::abs(endAngle - startAngle) >= 360)
        sweep = clockwise ? -360 : 360;
    else if (clockwise) {
        sweep = std::fmod(startAngle - endAngle, 360.0);
        if (sweep < 0)
            sweep += 360;
        sweep = -sweep;
    } else {
        sweep = std::fmod(endAngle - startAngle, 360.0);
        if (sweep < 0)
            sweep += 360;
    }
    double start = startAngle * pi / 180;
    Point first { center.x + radius * std::cos(start), center.y + radius * std::sin(start) };
    if (m_elements.empty())
        moveToPoint(first);
    else
        lineToPoint(first);
    appendArcSegments(center, radius, start, sweep * pi / 180);
}

void BezierPath::appendBezierPathWithRect(const Rect& rect)
{
    moveToPoint(rect.origin);
    lineToPoint({ rect.maxX(), rect.minY() });
    lineToPoint({ rect.maxX(), rect.maxY() });
    lineToPoint({ rect.minX(), rect.maxY() });
    closePath();
}

void BezierPath::appendBezierPathWithOvalInRect(const Rect& rect)
{
    double rx = rect.width() / 2;
    double ry = rect.height() / 2;
    Point center { rect.midX(), rect.midY() };
    double k = 4.0 / 3.0 * std::tan(pi / 8);
    moveToPoint({ rect.maxX(), center.y });
    curveToPoint({ center.x, rect.maxY() }, { rect.maxX(), center.y + k * ry }, { center.x + k * rx, rect.maxY() });
    curveToPoint({ rect.minX(), center.y }, { center.x - k * rx, rect.maxY() }, { rect.minX(), center.y + k * ry });
    curveToPoint({ center.x, rect.minY() }, { rect.minX(), center.y - k * ry }, { center.x - k * rx, rect.minY() });
    curveToPoint({ rect.maxX(), center.y }, { center.x + k * rx, rect.minY() }, { rect.maxX(), center.y - k * ry });
    closePath();
}

void BezierPath::appendBezierPathWithRoundedRect(const Rect& rect, double xRadius, double yRadius)
{
    double rx = std::clamp(xRadius, 0.0, rect.width() / 2);
    double ry = std::clamp(yRadius, 0.0, rect.height() / 2);
    if (rx <= 0 || ry <= 0) {
        appendBezierPathWithRect(rect);
        return;
    }
    double k = 4.0 / 3.0 * std::tan(pi / 8);
    double x0 = rect.minX(), x1 = rect.maxX(), y0 = rect.minY(), y1 = rect.maxY();
    moveToPoint({ x0 + rx, y0 });
    lineToPoint({ x1 - rx, y0 });
    curveToPoint({ x1, y0 + ry }, { x1 - rx + k * rx, y0 }, { x1, y0 + ry - k * ry });
    lineToPoint({ x1, y1 - ry });
    curveToPoint({ x1 - rx, y1 }, { x1, y1 - ry + k * ry }, { x1 - rx + k * rx, y1 });
    lineToPoint({ x0 + rx, y1 });
    curveToPoint({ x0, y1 - ry }, { x0 + rx - k * rx, y1 }, { x0, y1 - ry + k * ry });
    lineToPoint({ x0, y0 + ry });
    curveToPoint({ x0 + rx, y0 }, { x0, y0 + ry - k * ry }, { x0 + rx - k * rx, y0 });
    closePath();
}

void BezierPath::appendBezierPath(const BezierPath& other)
{
    for (auto& element : other.m_elements) {
        switch (element.kind) {
        case PathElementKind::MoveTo:
            moveToPoint(element.points[0]);
            break;
        case PathElementKind::LineTo:
            lineToPoint(element.points[0]);
            break;
        case PathElementKind::CurveTo:
            curveToPoint(element.points[2], element.points[0], element.points[1]);
            break;
        case PathElementKind::ClosePath:
            closePath();
            break;
        }
    }
}

void BezierPath::setLineDash(std::vector<double> pattern, double phase)
{
    m_lineDash = std::move(pattern);
    m_lineDashPhase = phase;
}

Rect BezierPath::bounds() const
{
    BoundsAccumulator accumulator;
    Point current;
    Point subpathStart;
    std::vector<double> roots;
    for (auto& element : m_elements) {
        switch (element.kind) {
        case PathElementKind::MoveTo:
            current = subpathStart = element.points[0];
            accumulator.add(current);
            break;
        case PathElementKind::LineTo:
            current = element.points[0];
            accumulator.add(current);
            break;
        case PathElementKind::CurveTo: {
            auto& [c1, c2, end] = element.points;
            roots.clear();
            cubicExtremes(current.x, c1.x, c2.x, end.x, roots);
            cubicExtremes(current.y, c1.y, c2.y, end.y, roots);
            for (double t : roots)
                accumulator.add(pointOnCubic(current, c1, c2, end, t));
            current = end;
            accumulator.add(current);
            break;
        }
        case PathElementKind::ClosePath:
            current = subpathStart;
            break;
        }
    }
    return accumulator.rect();
}

Rect BezierPath::controlPointBounds() const
{
    BoundsAccumulator accumulator;
    for (auto& element : m_elements) {
        int count = element.kind == PathElementKind::CurveTo ? 3 : element.kind == PathElementKind::ClosePath ? 0 : 1;
        for (int i = 0; i < count; ++i)
            accumulator.add(element.points[i]);
    }
    return accumulator.rect();
}

std::string BezierPath::description() const
{
    auto number = [](double value) {
        double rounded = std::round(value * 1000) / 1000;
        return fmt::format("{:g}", rounded == 0 ? 0.0 : rounded);
    };
    std::string text;
    for (auto& element : m_elements) {
        if (!text.empty())
            text += ' ';
        switch (element.kind) {
        case PathElementKind::MoveTo:
            text += "M " + number(element.points[0].x) + ' ' + number(element.points[0].y);
            break;
        case PathElementKind::LineTo:
            text += "L " + number(element.points[0].x) + ' ' + number(element.points[0].y);
            break;
        case PathElementKind::CurveTo:
            text += "C";
            for (auto& point : element.points)
                text += ' ' + number(point.x) + ' ' + number(point.y);
            break;
        case PathElementKind::ClosePath:
            text += "Z";
            break;
        }
    }
    return text;
}

} // namespace brevanton
