// BezierPath: a path of straight and cubic curve segments in a view's
// coordinates, with the line width and dash pattern it is stroked with.
// Rectangles, rounded rectangles, ovals and arcs are stored as the move,
// line, curve and close elements a real drawing backend takes (a circular
// arc becomes cubic segments of at most a quarter turn each), so the
// recorded path is what a backend would draw.
#pragma once

#include "platform/views/Geometry.h"

#include <array>
#include <string>
#include <vector>

namespace brevanton {

enum class PathElementKind { MoveTo, LineTo, CurveTo, ClosePath };

struct PathElement {
    PathElementKind kind { PathElementKind::MoveTo };
    // MoveTo and LineTo use points[0]; CurveTo the two control points, then
    // the end point; ClosePath none.
    std::array<Point, 3> points {};

    friend bool operator==(const PathElement&, const PathElement&) = default;
};

class BezierPath {
public:
    BezierPath() = default;
    static BezierPath bezierPathWithRect(const Rect&);
    static BezierPath bezierPathWithOvalInRect(const Rect&);
    static BezierPath bezierPathWithRoundedRect(const Rect&, double xRadius, double yRadius);

    // Construction. A line or curve without a current point starts at the
    // origin, as a move there would.
    void moveToPoint(Point);
    void lineToPoint(Point);
    void curveToPoint(Point end, Point controlPoint1, Point controlPoint2);
    void closePath();
    // A straight line to where the arc tangent to the lines (current point,
    // `corner`) and (`corner`, `towards`) with `radius` begins, then the arc.
    // A zero radius or collinear points give the line to the corner.
    void appendBezierPathWithArcFromPoint(Point corner, Point towards, double radius);
    // A circular arc; angles in degrees, counter-clockwise from the x axis
    // unless `clockwise`. It starts with a line from the current point, or a
    // move when the path is empty.
    void appendBezierPathWithArcWithCenter(Point center, double radius, double startAngle, double endAngle,
                                           bool clockwise = false);
    void appendBezierPathWithRect(const Rect&);
    void appendBezierPathWithOvalInRect(const Rect&);
    // Radii are clamped to half the rectangle's width and height.
    void appendBezierPathWithRoundedRect(const Rect&, double xRadius, double yRadius);
    void appendBezierPath(const BezierPath&);

    const std::vector<PathElement>& elements() const { return m_elements; }
    size_t elementCount() const { return m_elements.size(); }
    bool isEmpty() const { return m_elements.empty(); }
    // The last point reached; the origin of an empty path.
    Point currentPoint() const { return m_currentPoint; }
    // The smallest rectangle holding every point the path passes through
    // (curves by their extremes, not their control points); the zero
    // rectangle for an empty path.
    Rect bounds() const;
    Rect controlPointBounds() const;

    double lineWidth() const { return m_lineWidth; }
    void setLineWidth(double width) { m_lineWidth = width; }
    const std::vector<double>& lineDash() const { return m_lineDash; }
    double lineDashPhase() const { return m_lineDashPhase; }
    // Lengths of alternating drawn and skipped parts; empty draws a solid line.
    void setLineDash(std::vector<double> pattern, double phase = 0);

    // "M 1 2 L 3 4 C ... Z", numbers rounded to 3 decimals (for test messages).
    std::string description() const;

    friend bool operator==(const BezierPath&, const BezierPath&) = default;

private:
    void ensureCurrentPoint();
    void appendArcSegments(Point center, double radius, double startRadians, double sweepRadians);

    std::vector<PathElement> m_elements;
    Point m_currentPoint;
    Point m_subpathStart;
    double m_lineWidth { 1 };
    std::vector<double> m_lineDash;
    double m_lineDashPhase { 0 };
};

} // namespace brevanton
