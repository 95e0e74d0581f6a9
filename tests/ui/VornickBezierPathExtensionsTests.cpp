#include "platform/foundation/Assertions.h"
#include "ui/VornickBezierPathExtensions.h"
#include "views/VornickGeometry.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

bool hasLineTo(const BezierPath& path, Point point)
{
    for (auto& element : path.elements()) {
        if (element.kind == PathElementKind::LineTo && std::abs(element.points[0].x - point.x) < 1e-3
            && std::abs(element.points[0].y - point.y) < 1e-3)
            return true;
    }
    return false;
}

void expectPointNear(Point actual, Point expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
}

} // namespace

TEST(VornickGeometry, VerticalGapBetweenRects)
{
    Rect a(0, 0, 100, 20);
    // Below, above, and overlapping (the union).
    EXPECT_EQ(VornickVerticalGapRectBetweenRects(a, Rect(10, 30, 150, 20)), Rect(0, 20, 160, 10));
    EXPECT_EQ(VornickVerticalGapRectBetweenRects(Rect(10, 30, 150, 20), a), Rect(0, 20, 160, 10));
    EXPECT_EQ(VornickVerticalGapRectBetweenRects(a, Rect(-5, 10, 50, 20)), Rect(-5, 0, 105, 30));
    // Touching edges give an empty gap at the shared edge.
    EXPECT_EQ(VornickVerticalGapRectBetweenRects(a, Rect(0, 20, 100, 5)), Rect(0, 20, 100, 0));
}

TEST(VornickBezierPathExtensions, CapsulePointedAtNormalHeightAndOctagonalWhenTaller)
{
    // At the normal height: pointed, rounded ends that never reach the sides.
    auto normal = vornick_bezierPathWithPossiblyExpandedAngledCapsuleInRect(Rect(0, 0, 100, 20), 3, 2, 20, 40);
    EXPECT_EQ(normal, vornick_bezierPathWithAngledCapsuleInRect(Rect(0, 0, 100, 20), 3, 2));
    EXPECT_EQ(normal.elementCount(), 14u);
    Rect bounds = normal.bounds();
    EXPECT_GT(bounds.minX(), 0);
    EXPECT_LT(bounds.maxX(), 100);
    EXPECT_NEAR(bounds.minY(), 0, 1e-9);
    EXPECT_NEAR(bounds.maxY(), 20, 1e-9);
    EXPECT_EQ(normal.elements().front().points[0], (Point { 50, 20 }));

    // One point taller: vertical end sides from y 10 to 11, rounded with 0.5
    // (tangent points 0.2071 from each end), reaching the rectangle's sides.
    auto taller = vornick_bezierPathWithPossiblyExpandedAngledCapsuleInRect(Rect(0, 0, 100, 21), 3, 2, 20, 40);
    EXPECT_EQ(taller.elementCount(), 18u);
    EXPECT_NEAR(taller.bounds().minX(), 0, 1e-9);
    EXPECT_NEAR(taller.bounds().maxX(), 100, 1e-9);
    EXPECT_TRUE(hasLineTo(taller, { 0, 10.2071 })) << taller.description();
    EXPECT_TRUE(hasLineTo(taller, { 100, 10.7929 })) << taller.description();

    // Much taller: the side corners use the fillet radius.
    auto tall = vornick_bezierPathWithPossiblyExpandedAngledCapsuleInRect(Rect(0, 0, 100, 60), 3, 2, 20, 60);
    EXPECT_NEAR(tall.bounds().minX(), 0, 1e-9);
    EXPECT_TRUE(hasLineTo(tall, { 0, 10 + 3 * 0.41421 })) << tall.description();
}

TEST(VornickBezierPathExtensions, HandlesAlongLinesEdgesAndGaps)
{
    auto handles = vornick_bezierPathWithHandlesFromPoint({ 0, 0 }, { 30, 40 }, 5, 3);
    EXPECT_EQ(handles.lineWidth(), 3);
    expectPointNear(handles.elements()[0].points[0], { 3, 4 });
    expectPointNear(handles.elements()[1].points[0], { 27, 36 });
    EXPECT_NEAR(handles.bounds().minX(), -5, 1e-9);
    EXPECT_NEAR(handles.bounds().maxY(), 45, 1e-9);

    // Identical points: a degenerate line and two circles.
    auto same = vornick_bezierPathWithHandlesFromPoint({ 10, 10 }, { 10, 10 }, 4, 2);
    expectPointNear(same.elements()[0].points[0], { 10, 10 });
    expectPointNear(same.elements()[1].points[0], { 10, 10 });
    EXPECT_EQ(same.elementCount(), 2u + 2 * 6u);
    EXPECT_NEAR(same.bounds().width(), 8, 1e-9);

    Rect rect(10, 20, 100, 50);
    auto top = vornick_bezierPathWithHandlesForEdge(3, rect);
    EXPECT_EQ(top.lineWidth(), 2);
    expectPointNear(top.elements()[0].points[0], { 14, 70 });
    expectPointNear(top.elements()[1].points[0], { 106, 70 });
    EXPECT_NEAR(top.bounds().minX(), 6, 1e-9);
    EXPECT_NEAR(top.bounds().minY(), 66, 1e-9);
    EXPECT_NEAR(top.bounds().width(), 108, 1e-9);
    EXPECT_NEAR(top.bounds().height(), 8, 1e-9);
    auto left = vornick_bezierPathWithHandlesForEdge(0, rect);
    expectPointNear(left.elements()[0].points[0], { 10, 24 });
    expectPointNear(left.elements()[1].points[0], { 10, 66 });
    auto right = vornick_bezierPathWithHandlesForEdge(2, rect);
    expectPointNear(right.elements()[0].points[0], { 110, 24 });
    auto bottom = vornick_bezierPathWithHandlesForEdge(1, rect);
    expectPointNear(bottom.elements()[1].points[0], { 106, 20 });
    EXPECT_THROW(vornick_bezierPathWithHandlesForEdge(4, rect), InternalInconsistencyException);
    EXPECT_THROW(vornick_bezierPathWithHandlesForEdge(-1, rect), InternalInconsistencyException);

    // Two rectangles 10 points apart: the bar lies midway, 5 points from each.
    auto between = vornick_bezierPathWithHandlesForEdgeBetweenRect(Rect(0, 0, 100, 20), Rect(10, 30, 50, 20));
    expectPointNear(between.elements()[0].points[0], { 4, 25 });
    expectPointNear(between.elements()[1].points[0], { 96, 25 });
}
