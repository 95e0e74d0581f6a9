#include "tests/platform/views/qt/QtTestSupport.h"

#include "platform/views/BezierPath.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtDrawCommandPainter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

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
