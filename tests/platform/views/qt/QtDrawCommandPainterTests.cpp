#include "tests/platform/views/qt/QtTestSupport.h"

#include "platform/views/BezierPath.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtDrawCommandPainter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QFontMetricsF>
#include <QPainter>
#include <QStaticText>

#include <functional>

using namespace brevanton;

namespace {

// A view whose drawing is given by the test.
class DrawingView : public View {
public:
    using View::View;
    std::function<void(GraphicsContext&)> drawing;
    void draw(const Rect&, GraphicsContext& context) override
    {
        if (drawing)
            drawing(context);
    }
};

class Painter : public ::testing::Test {
protected:
    void SetUp() override { brevanton::testing::qtApplication(); }

    // Records what the view draws in a 200 × 100 window (the view at
    // `frame`) and replays it onto a white image of the window's size.
    QImage paint(Rect frame, bool flipped, std::function<void(GraphicsContext&)> drawer)
    {
        auto window = std::make_shared<Window>(Rect(0, 0, 200, 100));
        window->setContentView(std::make_shared<View>(Rect(0, 0, 200, 100)));
        auto view = std::make_shared<DrawingView>(frame);
        view->setFlipped(flipped);
        view->drawing = std::move(drawer);
        window->contentView()->addSubview(view);
        auto drawing = window->contentView()->cacheDisplayInRect(Rect(0, 0, 200, 100));
        QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        QtDrawCommandPainter replay(painter, QtDrawCommandPainter::forWindowContentHeight(100));
        replay.paint(drawing->drawing());
        return image;
    }
    static QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
};

bool isWhite(QColor color)
{
    return color.red() > 245 && color.green() > 245 && color.blue() > 245;
}

TEST_F(Painter, RectanglesLandWhereTheViewsCoordinatesPutThemFlippedOrNot)
{
    // Unflipped: y runs up from the bottom of the window; the view sits at (20, 10).
    auto image = paint(Rect(20, 10, 100, 50), false,
                       [](GraphicsContext& context) { context.fillRect(Rect(0, 0, 10, 10), Color::sRGB(1, 0, 0)); });
    EXPECT_EQ(at(image, 25, 85), QColor(255, 0, 0));
    EXPECT_TRUE(isWhite(at(image, 25, 75)));
    EXPECT_TRUE(isWhite(at(image, 35, 85)));

    // Flipped: y runs down from the view's top edge (window y 60 is device row 40).
    image = paint(Rect(20, 10, 100, 50), true,
                  [](GraphicsContext& context) { context.fillRect(Rect(0, 0, 10, 10), Color::sRGB(0, 0, 1)); });
    EXPECT_EQ(at(image, 25, 45), QColor(0, 0, 255));
    EXPECT_TRUE(isWhite(at(image, 25, 55)));
}

TEST_F(Painter, FillsCoverTheSamePixelsWithTheSameColourWhateverTheirSizeOrAlpha)
{
    // A tall translucent strip (a scroller's track), a whole-window
    // translucent wash, an opaque block and a rectangle off the pixel grid,
    // each beside Qt filling the same device rectangle straight.
    struct Case {
        Rect rect;
        Color color;
        QRectF device;
    };
    Color translucent = Color::sRGB(0, 0, 0.5, 0.25);
    for (const Case& fill : { Case { Rect(5, 3, 10, 95), translucent, QRectF(5, 2, 10, 95) },
                              Case { Rect(0, 0, 200, 100), translucent, QRectF(0, 0, 200, 100) },
                              Case { Rect(30, 20, 50, 70), Color::sRGB(0, 0.5, 0), QRectF(30, 10, 50, 70) },
                              Case { Rect(40.5, 10.25, 20, 80.5), translucent, QRectF(40.5, 9.25, 20, 80.5) } }) {
        SCOPED_TRACE(fill.device.top());
        auto image = paint(Rect(0, 0, 200, 100), false, [&](GraphicsContext& context) { context.fillRect(fill.rect, fill.color); });
        QImage expected(200, 100, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::white);
        QPainter painter(&expected);
        painter.fillRect(fill.device, QColor::fromRgbF(fill.color.redComponent(), fill.color.greenComponent(),
                                                       fill.color.blueComponent(), fill.color.alphaComponent()));
        painter.end();
        int differing = 0;
        for (int y = 0; y < 100; ++y) {
            for (int x = 0; x < 200; ++x)
                differing += image.pixel(x, y) != expected.pixel(x, y);
        }
        EXPECT_EQ(differing, 0);
    }
}

TEST_F(Painter, StrokesLinesPathsDashesAndGradientsAreDrawnAsRecorded)
{
    auto image = paint(Rect(0, 0, 200, 100), true, [](GraphicsContext& context) {
        context.strokeRect(Rect(10.5, 10.5, 30, 30), Color::black(), 1);
        // The line's direction survives the recording: from top right to bottom left.
        context.drawLine(Point { 90, 10 }, Point { 60, 40 }, Color::black(), 1);
        context.fillPath(BezierPath::bezierPathWithOvalInRect(Rect(100, 10, 30, 30)), Color::sRGB(0, 0.5, 0));
        BezierPath dashed;
        dashed.moveToPoint({ 10, 70 });
        dashed.lineToPoint({ 190, 70 });
        dashed.setLineWidth(4);
        dashed.setLineDash({ 10, 10 });
        context.strokePath(dashed, Color::black());
        context.drawGradient(Gradient(Color::white(), Color::black()), Rect(140, 10, 50, 30), 0);
    });
    // The stroke, not the inside.
    EXPECT_LT(at(image, 25, 10).red(), 60);
    EXPECT_TRUE(isWhite(at(image, 25, 25)));
    // The line passes through its middle (75, 25), not through (75, 25) of the other diagonal's mirror.
    EXPECT_LT(at(image, 75, 25).red(), 160);
    EXPECT_TRUE(isWhite(at(image, 65, 15)));
    EXPECT_LT(at(image, 115, 25).red(), 5);
    EXPECT_NEAR(at(image, 115, 25).green(), 128, 2);
    // Dashes: drawn, skipped, drawn.
    EXPECT_LT(at(image, 15, 70).red(), 60);
    EXPECT_TRUE(isWhite(at(image, 25, 70)));
    EXPECT_LT(at(image, 35, 70).red(), 60);
    // Angle 0 runs from the starting colour on the left to the ending one on the right.
    EXPECT_GT(at(image, 142, 25).red(), 220);
    EXPECT_LT(at(image, 188, 25).red(), 40);
}

TEST_F(Painter, TextImagesAndCompositingFollowTheCommands)
{
    auto drawn = Image::imageWithSize(Size { 20, 20 }, [](GraphicsContext& context) {
        // In the image's own coordinates: the lower half, unflipped.
        context.fillRect(Rect(0, 0, 20, 10), Color::sRGB(1, 0, 0));
    });
    auto image = paint(Rect(0, 0, 200, 100), true, [&](GraphicsContext& context) {
        context.drawText(u"Hello", Rect(10, 10, 60, 16), Color::black());
        context.drawImage(drawn, Rect(100, 10, 20, 20));
        context.drawImage(drawn, Rect(130, 10, 20, 20), CompositingOperation::SourceOver, 0.5);
        context.drawImage(u"NSCaution", Rect(160, 10, 20, 20));
        context.fillRect(Rect(10, 60, 40, 30), Color::sRGB(0, 0, 1));
        context.fillRect(Rect(20, 70, 10, 10), Color::sRGB(1, 0, 0, 0.5), CompositingOperation::Copy);
        // Turned about its centre, counterclockwise as seen.
        context.drawImage(drawn, Rect(100, 50, 20, 20), CompositingOperation::SourceOver, 1, 90);
        context.drawImage(drawn, Rect(130, 50, 20, 20), CompositingOperation::SourceOver, 1, 180);
    });
    int inked = 0;
    for (int x = 10; x < 70; ++x) {
        for (int y = 10; y < 26; ++y)
            inked += at(image, x, y).red() < 128 ? 1 : 0;
    }
    EXPECT_GT(inked, 40) << "the text's glyphs are drawn in its box";
    EXPECT_TRUE(isWhite(at(image, 110, 12))) << "the image's upper half is empty";
    EXPECT_EQ(at(image, 110, 25), QColor(255, 0, 0));
    QColor half = at(image, 140, 25);
    EXPECT_NEAR(half.green(), 128, 3) << "drawn at half opacity";
    EXPECT_FALSE(isWhite(at(image, 170, 20))) << "a named image has a placeholder";
    // Copy replaces with the colour as it is, alpha included.
    EXPECT_NEAR(image.pixelColor(25, 75).alpha(), 128, 2);
    EXPECT_EQ(at(image, 15, 75), QColor(0, 0, 255));
    // A quarter turn takes the red lower half to the right; a half turn to the top.
    EXPECT_EQ(at(image, 116, 60), QColor(255, 0, 0));
    EXPECT_TRUE(isWhite(at(image, 104, 60)));
    EXPECT_EQ(at(image, 140, 53), QColor(255, 0, 0));
    EXPECT_TRUE(isWhite(at(image, 140, 67)));
}

// Labels are drawn from pictures of them kept between paintings: wherever a
// label lands, in whatever colour, its pixels are those its glyphs give
// drawn straight onto the page.
TEST_F(Painter, LabelsAtFractionsOfAPixelAndInTwoColoursMatchTheirGlyphsDrawnDirectly)
{
    struct Label {
        Rect box;
        Color color;
        QColor qtColor;
    };
    std::vector<Label> labels = {
        { Rect(10, 10, 80, 16), Color::black(), QColor(0, 0, 0) },
        { Rect(100.25, 10.5, 80, 16), Color::black(), QColor(0, 0, 0) },
        { Rect(10.5, 40.25, 80, 16), Color::sRGB(1, 0, 0), QColor(255, 0, 0) },
        { Rect(100.75, 40.75, 80, 16), Color::sRGB(0, 0, 1), QColor(0, 0, 255) },
        // Drawn a second time: from the kept picture.
        { Rect(10, 70, 80, 16), Color::black(), QColor(0, 0, 0) },
        { Rect(100.25, 70.5, 80, 16), Color::sRGB(1, 0, 0), QColor(255, 0, 0) },
    };
    auto image = paint(Rect(0, 0, 200, 100), true, [&](GraphicsContext& context) {
        for (const auto& label : labels)
            context.drawText(u"Label Ag", label.box, label.color);
    });
    QImage direct(200, 100, QImage::Format_ARGB32_Premultiplied);
    direct.fill(Qt::white);
    {
        QPainter painter(&direct);
        QFont font = QtDrawCommandPainter::qtFont(*systemFontOfSize(0));
        QStaticText text(QStringLiteral("Label Ag"));
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font);
        painter.setFont(font);
        double ascent = QFontMetricsF(font).ascent();
        for (const auto& label : labels) {
            painter.setPen(label.qtColor);
            painter.drawStaticText(QPointF(label.box.minX(), label.box.minY() + font.pixelSize() * 0.8 - ascent), text);
        }
    }
    int inked = 0;
    int largestDifference = 0;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            QColor drawn = at(image, x, y);
            QColor expected = at(direct, x, y);
            inked += isWhite(expected) ? 0 : 1;
            largestDifference = std::max({ largestDifference, std::abs(drawn.red() - expected.red()),
                                           std::abs(drawn.green() - expected.green()), std::abs(drawn.blue() - expected.blue()) });
            EXPECT_EQ(isWhite(drawn), isWhite(expected)) << "at " << x << ", " << y;
            if (::testing::Test::HasFailure())
                return;
        }
    }
    EXPECT_GT(inked, 6 * 40) << "every label is drawn";
    EXPECT_EQ(largestDifference, 0) << "the same shades as the glyphs drawn directly";
}

} // namespace

TEST_F(Painter, RoundedRectsAndClipsAreDrawnAsRecorded)
{
    // A flipped view covering the window: its y grows down from the top, as the image's does.
    auto image = paint(Rect(0, 0, 200, 100), true, [](GraphicsContext& context) {
        context.fillRoundedRect(Rect(10, 10, 40, 40), 12, Color::sRGB(1, 0, 0));
        context.strokeRoundedRect(Rect(60, 10, 40, 40), 10, Color::sRGB(0, 0, 1), 4);
        // Only the part inside the clip is drawn; the clip ends with its end.
        context.beginClip(Rect(110, 10, 20, 20));
        context.fillRect(Rect(100, 0, 60, 60), Color::sRGB(0, 0.5, 0));
        context.beginClip(Rect(120, 0, 100, 100));
        context.fillRect(Rect(100, 0, 60, 60), Color::sRGB(0, 0, 0));
        context.endClip();
        context.endClip();
        context.fillRect(Rect(170, 70, 10, 10), Color::sRGB(0, 0, 0));
    });
    // The filled rounded rectangle: solid inside and along its straight edges, clear at its corners.
    EXPECT_EQ(at(image, 30, 30), QColor(255, 0, 0));
    EXPECT_EQ(at(image, 11, 30), QColor(255, 0, 0));
    EXPECT_EQ(at(image, 30, 48), QColor(255, 0, 0));
    EXPECT_TRUE(isWhite(at(image, 11, 11)));
    EXPECT_TRUE(isWhite(at(image, 48, 48)));
    EXPECT_EQ(brevanton::testing::inkBounds(image.copy(0, 0, 55, 60)), QRect(10, 10, 40, 40));
    // The stroke lies inside the rectangle's edge and leaves the middle empty.
    EXPECT_EQ(at(image, 61, 30), QColor(0, 0, 255));
    EXPECT_EQ(at(image, 98, 30), QColor(0, 0, 255));
    EXPECT_TRUE(isWhite(at(image, 80, 30)));
    EXPECT_TRUE(isWhite(at(image, 59, 30)));
    EXPECT_TRUE(isWhite(at(image, 61, 11)));
    // Clips: the outer one alone, then both.
    EXPECT_EQ(at(image, 115, 15), QColor(0, 128, 0));
    EXPECT_EQ(at(image, 125, 15), QColor(0, 0, 0));
    EXPECT_TRUE(isWhite(at(image, 105, 5)));
    EXPECT_TRUE(isWhite(at(image, 135, 15)));
    EXPECT_TRUE(isWhite(at(image, 125, 35)));
    EXPECT_EQ(at(image, 175, 75), QColor(0, 0, 0));
}

TEST_F(Painter, UnendedClipsEndWithTheReplayAndStrayEndsAreIgnored)
{
    auto image = paint(Rect(0, 0, 200, 100), true, [](GraphicsContext& context) {
        context.endClip();
        context.beginClip(Rect(0, 0, 10, 10));
    });
    QImage after(20, 20, QImage::Format_ARGB32_Premultiplied);
    after.fill(Qt::white);
    {
        QPainter painter(&after);
        {
            GraphicsContext context;
            context.beginClip(Rect(0, 0, 5, 5));
            QtDrawCommandPainter(painter, QTransform()).paint(context.commands());
        }
        // The painter's own state is back as it was: nothing clips this fill.
        painter.fillRect(QRectF(0, 0, 20, 20), Qt::red);
    }
    EXPECT_EQ(at(after, 15, 15), QColor(255, 0, 0));
    EXPECT_TRUE(isWhite(at(image, 50, 50)));
}

namespace {

// A 200 × 100 window whose views are replayed as a window paints them:
// each within its visible part.
class WindowPainter : public Painter {
protected:
    void SetUp() override
    {
        Painter::SetUp();
        window = std::make_shared<Window>(Rect(0, 0, 200, 100));
        window->setContentView(std::make_shared<View>(Rect(0, 0, 200, 100)));
    }
    std::shared_ptr<DrawingView> add(const std::shared_ptr<View>& superview, Rect frame, bool flipped,
                                     std::function<void(GraphicsContext&)> drawer)
    {
        auto view = std::make_shared<DrawingView>(frame);
        view->setFlipped(flipped);
        view->drawing = std::move(drawer);
        superview->addSubview(view);
        return view;
    }
    QImage paintWindow()
    {
        auto drawing = window->contentView()->cacheDisplayInRect(Rect(0, 0, 200, 100));
        QImage image(200, 100, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(100)).paintWithinVisibleRects(drawing->drawing());
        // The painter's own state is back as it was: nothing clips this fill.
        painter.fillRect(QRect(195, 95, 5, 5), Qt::blue);
        return image;
    }
    std::shared_ptr<Window> window;
};

} // namespace

TEST_F(WindowPainter, EachViewDrawsOnlyInItsVisiblePartWhateverTheViewsBeforeItDrew)
{
    // A box at window (20, 20)-(80, 80), device rows 20 to 80, whose flipped
    // child (device x 50 to 110, rows 40 to 100) hangs out of it to the right
    // and below; the child draws text (a command that may reach anywhere),
    // fills past its superview's edges and strokes its own edge.
    auto box = add(window->contentView(), Rect(20, 20, 60, 60), false, [](GraphicsContext&) {});
    add(box, Rect(30, -20, 60, 60), true, [](GraphicsContext& context) {
        context.drawText(u"Wide text", Rect(0, 0, 60, 16), Color::black());
        context.fillRect(Rect(0, 20, 60, 60), Color::sRGB(1, 0, 0));
        context.strokeRect(Rect(0.5, 0.5, 59, 59), Color::sRGB(0, 0, 1), 1);
    });
    // A later view beside the box: its fill lies outside the child's visible part and is all drawn.
    add(window->contentView(), Rect(100, 10, 40, 40), false,
        [](GraphicsContext& context) { context.fillRect(Rect(0, 0, 40, 40), Color::sRGB(0, 0.5, 0)); });
    auto image = paintWindow();
    // The child's fill (device rows 60 on) shows inside the box only, its stroke's left edge over it.
    EXPECT_EQ(at(image, 60, 75), QColor(255, 0, 0));
    EXPECT_EQ(at(image, 79, 75), QColor(255, 0, 0));
    EXPECT_EQ(at(image, 50, 70), QColor(0, 0, 255));
    EXPECT_TRUE(isWhite(at(image, 85, 75))) << "past the box's right edge";
    EXPECT_TRUE(isWhite(at(image, 60, 85))) << "below the box";
    EXPECT_EQ(brevanton::testing::inkBounds(image.copy(0, 0, 95, 100)), QRect(50, 40, 30, 40));
    EXPECT_EQ(at(image, 100, 50), QColor(0, 128, 0));
    EXPECT_EQ(at(image, 139, 89), QColor(0, 128, 0));
    EXPECT_EQ(at(image, 197, 97), QColor(0, 0, 255));
}

TEST_F(WindowPainter, ClipsAViewBeginsHoldUntilItEndsThemAndEndWithThePaint)
{
    // Each of the view's cells clips its title to the cell, as a grid of
    // thumbnails does; a neighbour view draws between the clip's beginning
    // and end in the recording order of no real window, and is cut by the clip too.
    add(window->contentView(), Rect(0, 0, 200, 100), true, [](GraphicsContext& context) {
        context.beginClip(Rect(10, 10, 40, 20));
        context.fillRect(Rect(0, 0, 100, 50), Color::sRGB(1, 0, 0));
        context.endClip();
        context.fillRect(Rect(0, 60, 20, 20), Color::sRGB(0, 0, 1));
        context.beginClip(Rect(100, 10, 20, 20));
        context.fillRect(Rect(90, 0, 60, 60), Color::sRGB(0, 0.5, 0));
    });
    auto image = paintWindow();
    EXPECT_EQ(at(image, 10, 10), QColor(255, 0, 0));
    EXPECT_EQ(at(image, 49, 29), QColor(255, 0, 0));
    EXPECT_TRUE(isWhite(at(image, 5, 5)));
    EXPECT_TRUE(isWhite(at(image, 60, 20)));
    EXPECT_TRUE(isWhite(at(image, 20, 40)));
    EXPECT_EQ(at(image, 5, 65), QColor(0, 0, 255)) << "after its end the clip is gone";
    EXPECT_EQ(at(image, 110, 20), QColor(0, 128, 0));
    EXPECT_TRUE(isWhite(at(image, 130, 20))) << "an unended clip lasts to the paint's end";
    EXPECT_EQ(at(image, 197, 97), QColor(0, 0, 255)) << "and ends with it";
}

TEST_F(WindowPainter, EveryViewOfAWindowOfManyViewsDrawsWhereItsFramesPutIt)
{
    // Twelve columns of twelve cells, more views than a painting finds by
    // looking along its list: the columns alternately flipped, each cell
    // filling itself with a colour of its own (red by column, green by row).
    for (int column = 0; column < 12; ++column) {
        auto box = add(window->contentView(), Rect(column * 16, 2, 16, 96), column % 2 == 1, [](GraphicsContext&) {});
        for (int row = 0; row < 12; ++row) {
            add(box, Rect(2, row * 8, 12, 6), row % 3 == 0, [column, row](GraphicsContext& context) {
                context.fillRect(Rect(0, 0, 12, 6), Color::sRGB(column * 20 / 255.0, row * 20 / 255.0, 0.5));
            });
        }
    }
    auto image = paintWindow();
    for (int column = 0; column < 12; ++column) {
        for (int row = 0; row < 12; ++row) {
            // A flipped column counts its rows down from its top (device row 2), another up from its bottom (row 98).
            int top = column % 2 == 1 ? 2 + row * 8 : 98 - row * 8 - 6;
            for (QPoint corner : { QPoint(column * 16 + 2, top), QPoint(column * 16 + 13, top + 5) }) {
                QColor color = at(image, corner.x(), corner.y());
                EXPECT_NEAR(color.red(), column * 20, 1) << column << " " << row;
                EXPECT_NEAR(color.green(), row * 20, 1) << column << " " << row;
            }
            EXPECT_TRUE(isWhite(at(image, column * 16 + 1, top))) << "left of the cell";
        }
    }
}

TEST_F(Painter, StrokedRectanglesCoverThePixelsQtsStrokerDoes)
{
    // On whole pixels or not, thin and wide, in flipped and unflipped views,
    // opaque and translucent: each beside Qt stroking the same rectangle.
    struct Case {
        Rect rect;
        double width;
    };
    for (bool flipped : { false, true }) {
        for (const Case& stroke : { Case { Rect(10.5, 10.5, 30, 30), 1 }, Case { Rect(1, 1, 17, 16), 2 },
                                    Case { Rect(0, 0, 80, 24), 1 }, Case { Rect(20, 20, 50, 30), 4 },
                                    Case { Rect(5.25, 7.5, 40, 20), 1 }, Case { Rect(30, 30, 3, 3), 4 },
                                    Case { Rect(20, 10, 50, 30), 1 }, Case { Rect(2, 3, 1, 1), 1 } }) {
            for (const Color& color : { Color::sRGB(0, 0, 1), Color::sRGB(1, 0, 0, 0.5) }) {
                SCOPED_TRACE(::testing::Message() << flipped << " " << stroke.rect.minX() << " " << stroke.width << " " << color.alphaComponent());
                auto image = paint(Rect(50, 10, 120, 80), flipped,
                                   [&](GraphicsContext& context) { context.strokeRect(stroke.rect, color, stroke.width); });
                QImage expected(200, 100, QImage::Format_ARGB32_Premultiplied);
                expected.fill(Qt::white);
                QPainter painter(&expected);
                // The view's coordinates on the device: moved to the view's place, turned over when unflipped.
                painter.setTransform(flipped ? QTransform(1, 0, 0, 1, 50, 10) : QTransform(1, 0, 0, -1, 50, 90));
                QPen pen(QColor::fromRgbF(color.redComponent(), color.greenComponent(), color.blueComponent(), color.alphaComponent()));
                pen.setWidthF(stroke.width);
                pen.setJoinStyle(Qt::MiterJoin);
                pen.setCapStyle(Qt::FlatCap);
                painter.setPen(pen);
                painter.drawRect(QRectF(stroke.rect.minX(), stroke.rect.minY(), stroke.rect.width(), stroke.rect.height()));
                painter.end();
                int differing = 0;
                for (int y = 0; y < 100; ++y) {
                    for (int x = 0; x < 200; ++x)
                        differing += image.pixel(x, y) != expected.pixel(x, y);
                }
                EXPECT_EQ(differing, 0);
            }
        }
    }
}
