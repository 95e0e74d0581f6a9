#include "platform/views/Application.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// A screen of 1000 by 700 points whose lowest 40 and topmost 20 are the
// desktop's panels; restored to the usual screen afterwards.
class WindowCascade : public ::testing::Test {
protected:
    void SetUp() override
    {
        Screen::setMainScreenFrame(Rect(0, 0, 1000, 700));
        Screen::setMainScreenVisibleFrame(Rect(0, 40, 1000, 640));
    }
    void TearDown() override
    {
        Screen::setMainScreenFrame(Rect(0, 0, 1920, 1080));
        Application::shared().resetForTesting();
    }
    static Point topLeft(const Window& window) { return Point { window.frame().minX(), window.frame().maxY() }; }
};

TEST_F(WindowCascade, EachWindowStepsDownAndRightOfTheOneBeforeAndWrapsToTheVisibleTopLeft)
{
    auto first = Window::create(Rect(60, 280, 600, 340));
    // A zero point moves nothing and answers where the next window goes.
    Point next = first->cascadeTopLeftFromPoint(Point {});
    EXPECT_EQ(first->frame(), Rect(60, 280, 600, 340));
    EXPECT_EQ(next, (Point { 82, 598 }));

    // Down to the bottom panel: the window whose bottom would pass the
    // visible frame's starts again at the visible frame's top-left corner.
    std::vector<Point> placed;
    for (int i = 0; i < 12; ++i) {
        auto window = Window::create(Rect(0, 0, 600, 340));
        next = window->cascadeTopLeftFromPoint(next);
        placed.push_back(topLeft(*window));
        EXPECT_GE(window->frame().minY(), 40) << i;
        EXPECT_LE(window->frame().maxY(), 680) << i;
    }
    // The eleventh would leave a bottom of 38: it wraps, and the next steps on from there.
    EXPECT_EQ(placed[0], (Point { 82, 598 }));
    EXPECT_EQ(placed[9], (Point { 280, 400 }));
    EXPECT_EQ(placed[10], (Point { 0, 680 })) << "the visible frame's corner, below the top panel";
    EXPECT_EQ(placed[11], (Point { 22, 658 }));

    // The right edge wraps too.
    auto wide = Window::create(Rect(0, 0, 900, 100));
    EXPECT_EQ(wide->cascadeTopLeftFromPoint(Point { 110, 600 }), (Point { 22, 658 }));
    EXPECT_EQ(topLeft(*wide), (Point { 0, 680 }));
    // A point outside the visible frame (above the top panel) is no place either.
    auto small = Window::create(Rect(0, 0, 200, 100));
    small->cascadeTopLeftFromPoint(Point { 300, 695 });
    EXPECT_EQ(topLeft(*small), (Point { 0, 680 }));
    // A window larger than the visible frame stands at its corner.
    auto large = Window::create(Rect(0, 0, 1200, 900));
    large->cascadeTopLeftFromPoint(Point { 22, 658 });
    EXPECT_EQ(topLeft(*large), (Point { 0, 680 }));
}

TEST_F(WindowCascade, ACenteredWindowStandsInTheMiddleAcrossAndAboveTheMiddleDownInsideTheVisibleFrame)
{
    struct Case {
        Size size;
        Point topLeft;
    };
    // The visible frame runs from 40 to 680 up: a third of the room left
    // above the window, two thirds below it.
    const Case cases[] = {
        { { 400, 340 }, { 300, 580 } },
        { { 401, 341 }, { 300, 580 } },
        { { 1200, 100 }, { 0, 500 } },
        { { 300, 900 }, { 350, 680 } },
    };
    for (const auto& test : cases) {
        auto window = Window::create(Rect(Point { 0, 0 }, test.size));
        window->center();
        EXPECT_EQ(topLeft(*window), test.topLeft) << test.size.width << "x" << test.size.height;
    }
}

TEST_F(WindowCascade, TheVisibleFrameStaysInsideTheScreenAndFollowsANewScreenFrame)
{
    Screen::setMainScreenVisibleFrame(Rect(-50, 600, 2000, 500));
    EXPECT_EQ(Screen::mainScreen().visibleFrame(), Rect(0, 600, 1000, 100));
    Screen::setMainScreenVisibleFrame(Rect(2000, 0, 10, 10));
    EXPECT_EQ(Screen::mainScreen().visibleFrame(), Rect(0, 0, 1000, 700)) << "nothing of it on the screen: the whole screen";
    Screen::setMainScreenFrame(Rect(0, 0, 800, 600));
    EXPECT_EQ(Screen::mainScreen().visibleFrame(), Rect(0, 0, 800, 600));
}

} // namespace
