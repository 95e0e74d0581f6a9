// Geometry values of the view layer: points, sizes and rectangles in
// floating-point coordinates. A rectangle's origin is its minimum corner;
// whether that is the top or the bottom depends on the flippedness of the
// coordinate system it is expressed in.
#pragma once

#include <string>

namespace brevanton {

struct Point {
    double x { 0 };
    double y { 0 };

    Point offsetBy(double dx, double dy) const { return { x + dx, y + dy }; }
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    double width { 0 };
    double height { 0 };

    friend bool operator==(const Size&, const Size&) = default;
};

// The edges of a rectangle, in the values the platform uses for them.
enum class RectEdge { MinX = 0, MinY = 1, MaxX = 2, MaxY = 3 };

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point origin, Size size) : origin(origin), size(size) {}
    Rect(double x, double y, double width, double height) : origin { x, y }, size { width, height } {}

    double minX() const { return origin.x; }
    double midX() const { return origin.x + size.width / 2; }
    double maxX() const { return origin.x + size.width; }
    double minY() const { return origin.y; }
    double midY() const { return origin.y + size.height / 2; }
    double maxY() const { return origin.y + size.height; }
    double width() const { return size.width; }
    double height() const { return size.height; }

    // True when either extent is zero or negative.
    bool isEmpty() const { return !(size.width > 0 && size.height > 0); }
    // Half-open in both axes: the minimum edges belong to the rectangle.
    bool containsPoint(Point) const;
    bool containsRect(const Rect&) const;
    bool intersects(const Rect&) const;
    // The common part; the zero rectangle when the two do not overlap.
    Rect intersection(const Rect&) const;
    // The smallest rectangle holding both; an empty rectangle does not count.
    Rect unionWith(const Rect&) const;
    Rect offsetBy(double dx, double dy) const { return Rect(origin.offsetBy(dx, dy), size); }
    // Shrinks by dx on the left and right and dy at both vertical ends.
    Rect insetBy(double dx, double dy) const;
    // The smallest rectangle with integral edges that holds this one.
    Rect integral() const;
    // A rectangle with non-negative width and height covering the same area.
    Rect standardized() const;

    std::string description() const;

    friend bool operator==(const Rect&, const Rect&) = default;
};

inline const Rect ZeroRect {};

// The rectangle spanning two corner points, in any order.
Rect rectFromPoints(Point a, Point b);

// Whether a mouse location lies inside a rectangle: in a flipped coordinate
// system the top (minimum y) edge is inside and the bottom edge is not; in an
// unflipped one the bottom (minimum y) edge is outside and the top edge is
// inside, so a point on a shared edge belongs to exactly one of two stacked
// rectangles either way.
bool mouseInRect(Point, const Rect&, bool flipped);

} // namespace brevanton
