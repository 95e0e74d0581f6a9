#include "ui/RatingRequestWindowController.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/Image.h"
#include "platform/views/ImageView.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class RatingWindow : public ::testing::Test {
protected:
    RatingWindow() { RunLoop::main().useManualClock(); }
    ~RatingWindow() override
    {
        controller.reset();
        RunLoop::main().advanceClock(30);
        RunLoop::main().useRealClock();
    }
    double starCentreX() const
    {
        auto star = controller->happyStarView();
        return star->frame().midX();
    }

    std::shared_ptr<RatingRequestWindowController> controller = RatingRequestWindowController::create();
};

} // namespace

TEST_F(RatingWindow, TheStarCrossesTurningAgainAndAgainWhileTheWindowIsMain)
{
    ASSERT_TRUE(controller->happyStarImage());
    auto& window = controller->window();
    window->makeKeyAndOrderFront();
    EXPECT_TRUE(controller->hasPendingStarTimer());

    // Becoming main again restarts the wait: one flight, 1.5 s after the second time.
    RunLoop::main().advanceClock(1.0);
    controller->windowDidBecomeMain(*window);
    RunLoop::main().advanceClock(1.4);
    EXPECT_FALSE(controller->happyStarView()) << "no flight 1.5 s after the first time";
    RunLoop::main().advanceClock(0.1);
    ASSERT_TRUE(controller->happyStarView());
    EXPECT_TRUE(controller->isStarFlying());
    EXPECT_EQ(controller->happyStarView()->superview(), window->contentView());
    EXPECT_NEAR(controller->happyStarView()->frame().midY(), 17, 0.01);

    // Halfway through the 4 s flight the star is over the middle, turned
    // clockwise (negative degrees) once every 3 s.
    double startX = starCentreX();
    EXPECT_LT(startX, 0) << "it starts left of the window";
    RunLoop::main().advanceClock(2.0);
    double width = window->contentView()->bounds().width();
    EXPECT_NEAR(starCentreX(), (-30 + width + 30) / 2, 8);
    EXPECT_NEAR(controller->happyStarView()->frameCenterRotation(), -240, 10);
    RunLoop::main().advanceClock(1.5);
    EXPECT_NEAR(controller->happyStarView()->frameCenterRotation(), -60, 10) << "the turn repeats";

    // At the end it goes, and comes back 7 s later.
    RunLoop::main().advanceClock(0.6);
    EXPECT_FALSE(controller->isStarFlying());
    EXPECT_FALSE(controller->happyStarView()->superview());
    EXPECT_TRUE(controller->hasPendingStarTimer());
    EXPECT_EQ(PropertyAnimator::runningAnimationCount(), 0u);
    RunLoop::main().advanceClock(6.8);
    EXPECT_FALSE(controller->isStarFlying());
    RunLoop::main().advanceClock(0.3);
    EXPECT_TRUE(controller->isStarFlying());
}

TEST_F(RatingWindow, ClosedMidFlightItFliesNoMoreAndGoesAway)
{
    auto window = controller->window();
    window->makeKeyAndOrderFront();
    RunLoop::main().advanceClock(2.0);
    ASSERT_TRUE(controller->isStarFlying());

    window->performClose();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(controller->isStarFlying());
    EXPECT_FALSE(controller->hasPendingStarTimer()) << "the stopped flight plans no other";
    EXPECT_EQ(PropertyAnimator::runningAnimationCount(), 0u);
    RunLoop::main().advanceClock(30);
    EXPECT_FALSE(controller->isStarFlying());
    EXPECT_FALSE(controller->happyStarView()->superview());

    // Nothing else keeps the controller or its window.
    std::weak_ptr<RatingRequestWindowController> weakController = controller;
    std::weak_ptr<Window> weakWindow = window;
    window.reset();
    controller.reset();
    EXPECT_TRUE(weakController.expired());
    EXPECT_TRUE(weakWindow.expired());

    // Shown again, a new controller flies again.
    controller = RatingRequestWindowController::create();
    controller->window()->makeKeyAndOrderFront();
    RunLoop::main().advanceClock(1.6);
    EXPECT_TRUE(controller->isStarFlying());
}
