// The shapes the editor's indicators draw: the angled capsule of a snippet
// shorthand (a lozenge with pointed ends that grows into a rounded octagon
// as it gets taller), and handle paths, a line with a small circle at each
// end. They only build paths, in the caller's view coordinates; callers set
// the colours and fill or stroke.
#pragma once

#include "platform/views/BezierPath.h"

namespace brevanton {

// The capsule in `rect` for a normal height: at most that height, pointed
// ends (end cap radius) between rounded corners (fillet radius); taller,
// vertical end sides whose corners round with the smaller of the fillet
// radius and half the extra height. The fully expanded height does not
// change the shape.
BezierPath vornick_bezierPathWithPossiblyExpandedAngledCapsuleInRect(const Rect&, double filletRadius,
                                                                     double endCapRadius, double normalHeight,
                                                                     double fullyExpandedHeight);
// The unexpanded capsule: the normal height is the rectangle's.
BezierPath vornick_bezierPathWithAngledCapsuleInRect(const Rect&, double filletRadius, double endCapRadius);

// A line between the points, short of each by the radius, and a circle of
// the radius around each point; stroked with the line width.
BezierPath vornick_bezierPathWithHandlesFromPoint(Point, Point, double radius, double lineWidth);
// Handles along an edge of the rectangle (0 minimum x, 1 minimum y,
// 2 maximum x, 3 maximum y; any other value is a programming error): a
// line 2 points wide from 4 points after the edge's first corner to 4
// points before its second, and a circle of radius 4 on each corner.
BezierPath vornick_bezierPathWithHandlesForEdge(int edge, const Rect&);
// A handle bar across the middle of the vertical gap between two rectangles.
BezierPath vornick_bezierPathWithHandlesForEdgeBetweenRect(const Rect&, const Rect&);

} // namespace brevanton
