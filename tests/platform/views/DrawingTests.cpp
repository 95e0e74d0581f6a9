#include "platform/views/BezierPath.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace brevanton;

namespace {

void expectRectNear(const Rect& actual, const Rect& expected, double tolerance = 1e-6)
{
    EXPECT_NEAR(actual.minX(), expected.minX(), tolerance) << actual.description();
    EXPECT_NEAR(actual.minY(), expected.minY(), tolerance) << actual.description();
    EXPECT_NEAR(actual.width(), expected.width(), tolerance) << actual.description();
    EXPECT_NEAR(actual.height(), expected.height(), tolerance) << actual.description();
}

// Samples every curve of the path and answers the largest distance of a
// sample from the circle.
double largestDistanceFromCircle(const BezierPath& path, Point center, double radius)
{
    double worst = 0;
    Point current;
    for (auto& element : path.elements()) {
        if (element.kind == PathElementKind::CurveTo) {
            for (int i = 0; i <= 20; ++i) {
                double t = i / 20.0, u = 1 - t;
                auto& [c1, c2, end] = element.points;
                double x = u * u * u * current.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * end.x;
                double y = u * u * u * current.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * end.y;
                worst = std::max(worst, std::abs(std::hypot(x - center.x, y - center.y) - radius));
            }
        }
        if (element.kind != PathElementKind::ClosePath)
            current = element.kind == PathElementKind::CurveTo ? element.points[2] : element.points[0];
    }
    return worst;
}

} // namespace

TEST(BezierPath, ShapesAreStoredAsBackendElementsWithTrueBounds)
{
    auto rect = BezierPath::bezierPathWithRect(Rect(10, 20, 30, 40));
    EXPECT_EQ(rect.description(), "M 10 20 L 40 20 L 40 60 L 10 60 Z");
    EXPECT_EQ(rect.bounds(), Rect(10, 20, 30, 40));

    auto rounded = BezierPath::bezierPathWithRoundedRect(Rect(0, 0, 100, 50), 2, 2);
    expectRectNear(rounded.bounds(), Rect(0, 0, 100, 50));
    EXPECT_EQ(rounded.elementCount(), 10u);
    // Radii larger than half the rectangle are clamped: a stadium.
    auto stadium = BezierPath::bezierPathWithRoundedRect(Rect(0, 0, 100, 20), 30, 30);
    expectRectNear(stadium.bounds(), Rect(0, 0, 100, 20));

    auto oval = BezierPath::bezierPathWithOvalInRect(Rect(-4, -4, 8, 8));
    expectRectNear(oval.bounds(), Rect(-4, -4, 8, 8));
    EXPECT_LT(largestDistanceFromCircle(oval, { 0, 0 }, 4), 0.01);
    // A curve's bounds are its extremes, not its control points.
    BezierPath hump;
    hump.moveToPoint({ 0, 0 });
    hump.curveToPoint({ 10, 0 }, { 0, 10 }, { 10, 10 });
    expectRectNear(hump.bounds(), Rect(0, 0, 10, 7.5));
    EXPECT_EQ(hump.controlPointBounds(), Rect(0, 0, 10, 10));

    // A three-quarter arc is three quarter-turn curves on the circle.
    BezierPath arc;
    arc.appendBezierPathWithArcWithCenter({ 0, 0 }, 10, 0, 270);
    EXPECT_EQ(arc.elementCount(), 4u);
    EXPECT_LT(largestDistanceFromCircle(arc, { 0, 0 }, 10), 0.01);
    expectRectNear(arc.bounds(), Rect(-10, -10, 20, 20));
    EXPECT_NEAR(arc.currentPoint().x, 0, 1e-9);
    EXPECT_NEAR(arc.currentPoint().y, -10, 1e-9);

    EXPECT_EQ(BezierPath().bounds(), Rect());
}

TEST(BezierPath, TangentArcsRoundCorners)
{
    // From the middle of the top edge around a right-angle corner.
    BezierPath path;
    path.moveToPoint({ 0, 10 });
    path.appendBezierPathWithArcFromPoint({ 10, 10 }, { 10, 0 }, 3);
    ASSERT_EQ(path.elementCount(), 3u);
    EXPECT_EQ(path.elements()[1].kind, PathElementKind::LineTo);
    EXPECT_EQ(path.elements()[1].points[0], (Point { 7, 10 }));
    EXPECT_NEAR(path.currentPoint().x, 10, 1e-9);
    EXPECT_NEAR(path.currentPoint().y, 7, 1e-9);
    EXPECT_LT(largestDistanceFromCircle(path, { 7, 7 }, 3), 0.01);

    // A zero radius, and collinear points, give the line to the corner.
    BezierPath sharp;
    sharp.moveToPoint({ 0, 0 });
    sharp.appendBezierPathWithArcFromPoint({ 5, 5 }, { 10, 0 }, 0);
    sharp.appendBezierPathWithArcFromPoint({ 10, 10 }, { 20, 20 }, 2);
    EXPECT_EQ(sharp.description(), "M 0 0 L 5 5 L 10 10");

    // A line without a current point starts at the origin; after a close the
    // next segment starts where the subpath began.
    BezierPath fresh;
    fresh.lineToPoint({ 3, 4 });
    fresh.closePath();
    fresh.lineToPoint({ 5, 5 });
    EXPECT_EQ(fresh.description(), "M 0 0 L 3 4 Z M 0 0 L 5 5");
}

TEST(GraphicsContext, RecordsPathsColoursAndCompositing)
{
    class Drawing : public View {
    public:
        using View::View;
        void draw(const Rect& dirtyRect, GraphicsContext& context) override
        {
            context.fillRect(dirtyRect, Color::genericGamma22White(0, 0.5), CompositingOperation::Copy);
            context.fillRect(Rect(10, 10, 20, 20), Color::clear(), CompositingOperation::Clear);
            auto path = BezierPath::bezierPathWithRoundedRect(Rect(5, 5, 40, 10), 2, 2);
            path.setLineWidth(3);
            path.setLineDash({ 8, 8 }, 0);
            context.fillPath(path, Color::sRGB(0, 0.5, 1, 0.1));
            context.strokePath(path, Color::gray());
            context.drawGradient(Gradient(Color::white(), Color::black()), Rect(0, 0, 50, 5), 90);
        }
    };
    auto window = Window::create(Rect(100, 100, 200, 100));
    auto view = std::make_shared<Drawing>(Rect(20, 30, 50, 20));
    window->contentView()->addSubview(view);
    window->displayIfNeeded();
    auto commands = window->graphicsContext().commandsOfView(view.get());
    ASSERT_EQ(commands.size(), 5u);
    EXPECT_EQ(commands[0].operation, CompositingOperation::Copy);
    EXPECT_EQ(commands[0].color.alphaComponent(), 0.5);
    EXPECT_EQ(commands[1].operation, CompositingOperation::Clear);
    EXPECT_EQ(commands[1].rectInWindow, Rect(30, 40, 20, 20));
    EXPECT_EQ(commands[2].kind, DrawCommand::Kind::FillPath);
    EXPECT_EQ(commands[2].operation, CompositingOperation::SourceOver);
    ASSERT_TRUE(commands[2].path);
    expectRectNear(commands[2].rect, Rect(5, 5, 40, 10));
    expectRectNear(commands[2].rectInWindow, Rect(25, 35, 40, 10));
    EXPECT_EQ(commands[3].kind, DrawCommand::Kind::StrokePath);
    EXPECT_EQ(commands[3].lineWidth, 3);
    EXPECT_EQ(commands[3].path->lineDash(), (std::vector<double> { 8, 8 }));
    EXPECT_EQ(commands[4].kind, DrawCommand::Kind::Gradient);
    EXPECT_EQ(commands[4].angle, 90);
    EXPECT_EQ(commands[4].gradient->endingColor(), Color::black());
}

TEST(GraphicsContext, DrawnAndCachedImagesHoldTheirCommands)
{
    class Page : public View {
    public:
        using View::View;
        void draw(const Rect& dirtyRect, GraphicsContext& context) override { context.fillRect(dirtyRect, Color::white()); }
    };
    auto window = Window::create(Rect(0, 0, 200, 200));
    auto page = std::make_shared<Page>(Rect(0, 0, 200, 200));
    auto child = std::make_shared<Page>(Rect(100, 100, 50, 50));
    page->addSubview(child);
    window->contentView()->addSubview(page);
    window->displayIfNeeded();

    // Caching a part draws the views over it, and leaves their display marks alone.
    page->setNeedsDisplayInRect(Rect(0, 0, 10, 10));
    auto cached = page->cacheDisplayInRect(Rect(90, 90, 40, 40));
    EXPECT_EQ(cached->size(), (Size { 40, 40 }));
    ASSERT_EQ(cached->drawing().size(), 2u);
    EXPECT_EQ(cached->drawing()[0].rect, Rect(90, 90, 40, 40));
    EXPECT_EQ(cached->drawing()[1].view, child.get());
    EXPECT_EQ(cached->drawing()[1].rect, Rect(0, 0, 30, 30));
    EXPECT_EQ(page->dirtyRect(), Rect(0, 0, 10, 10));

    // A drawn image, as a drag image is made: a dimmed backdrop, a dashed
    // frame, and the cached part copied in.
    auto dragImage = Image::imageWithSize({ 80, 40 }, [&](GraphicsContext& context) {
        context.fillRect(Rect(0, 0, 80, 40), Color::genericGamma22White(0.15));
        auto frame = BezierPath::bezierPathWithRect(Rect(0, 0, 80, 40).insetBy(1.5, 1.5));
        frame.setLineWidth(3);
        frame.setLineDash({ 8, 8 });
        context.strokePath(frame, Color::lightGray());
        context.drawImage(cached, Rect(10, 0, 40, 40), CompositingOperation::Copy);
    });
    ASSERT_EQ(dragImage->drawing().size(), 3u);
    EXPECT_EQ(dragImage->drawing()[2].image, cached);
    EXPECT_EQ(dragImage->drawing()[2].operation, CompositingOperation::Copy);
}

TEST(GraphicsContextRoundedRectsClipsAndFading, RecordedAsDrawn)
{
    GraphicsContext context;
    context.fillRect(Rect(0, 0, 5, 5), Color::sRGB(1, 0, 0, 0.5));
    context.beginClip(Rect(1, 2, 30, 40));
    context.fillRoundedRect(Rect(10, 10, 20, 8), 6, Color::sRGB(0, 0, 1));
    context.strokeRoundedRect(Rect(10, 10, 20, 30), 3, Color::black(), 2);
    context.drawImageFile("/x.png", Rect(0, 0, 4, 4), 0.8);
    context.endClip();
    auto& commands = context.commands();
    ASSERT_EQ(commands.size(), 6u);
    EXPECT_EQ(commands[1].kind, DrawCommand::Kind::BeginClip);
    EXPECT_EQ(commands[1].rect, Rect(1, 2, 30, 40));
    EXPECT_EQ(commands[2].kind, DrawCommand::Kind::FillRoundedRect);
    EXPECT_EQ(commands[2].cornerRadius, 4) << "at most half the shorter side";
    EXPECT_EQ(commands[3].kind, DrawCommand::Kind::StrokeRoundedRect);
    EXPECT_EQ(commands[3].cornerRadius, 3);
    EXPECT_EQ(commands[3].lineWidth, 2);
    EXPECT_EQ(commands[5].kind, DrawCommand::Kind::EndClip);

    // Fading reaches only the commands from the first one given, colours and images alike.
    context.fadeCommands(2, 0.5);
    EXPECT_DOUBLE_EQ(commands[0].color.alphaComponent(), 0.5);
    EXPECT_DOUBLE_EQ(commands[2].color.alphaComponent(), 0.5);
    EXPECT_DOUBLE_EQ(commands[3].color.alphaComponent(), 0.5);
    EXPECT_DOUBLE_EQ(commands[4].fraction, 0.4);
    context.fadeCommands(0, 0.5);
    EXPECT_DOUBLE_EQ(commands[0].color.alphaComponent(), 0.25);
    EXPECT_DOUBLE_EQ(commands[2].color.alphaComponent(), 0.25);

    // A rectangle of negative size gets no radius rather than a negative one.
    context.fillRoundedRect(Rect(0, 0, -4, 10), 3, Color::black());
    EXPECT_EQ(context.commands().back().cornerRadius, 0);
}

namespace {

// A view drawing one rectangle, in its own coordinates.
class RectangleView : public View {
public:
    RectangleView(Rect frame, bool flipped)
        : View(frame)
        , m_flipped(flipped)
    {
    }
    bool isFlipped() const override { return m_flipped; }
    void draw(const Rect&, GraphicsContext& context) override { context.fillRect(Rect(3, 4, 10, 6), Color::black()); }

private:
    bool m_flipped;
};

} // namespace

// Each command's rectangle in the window is where the view's own
// conversion puts it, through flipped and unflipped views and scrolled bounds.
TEST(GraphicsContext, RectanglesInTheWindowFollowFlippedNestedAndScrolledViews)
{
    auto window = Window::create(Rect(100, 100, 300, 200));
    auto outer = std::make_shared<RectangleView>(Rect(10, 20, 250, 150), true);
    outer->setBoundsOrigin(Point { 5, -7 });
    auto middle = std::make_shared<RectangleView>(Rect(30, 15, 180, 100), false);
    auto inner = std::make_shared<RectangleView>(Rect(12.5, 8.25, 60, 40), true);
    auto unflippedInner = std::make_shared<RectangleView>(Rect(80, 30, 60, 40), false);
    window->contentView()->addSubview(outer);
    outer->addSubview(middle);
    middle->addSubview(inner);
    middle->addSubview(unflippedInner);
    window->displayIfNeeded();
    for (const View* view : { static_cast<const View*>(outer.get()), static_cast<const View*>(middle.get()),
                              static_cast<const View*>(inner.get()), static_cast<const View*>(unflippedInner.get()) }) {
        auto commands = window->graphicsContext().commandsOfView(view);
        ASSERT_EQ(commands.size(), 1u);
        expectRectNear(commands[0].rectInWindow, view->convertRectToView(Rect(3, 4, 10, 6), nullptr));
    }
}
