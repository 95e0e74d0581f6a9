#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "tests/platform/foundation/RunLoopTestPeer.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class OverlayWindow : public Window {
public:
    OverlayWindow(Rect frame) : Window(frame, WindowStyle::Borderless)
    {
        setOpaque(false);
        setBackgroundColor(Color::clear());
        setIgnoresMouseEvents(true);
    }
    bool canBecomeKeyWindow() const override { return false; }
    bool canBecomeMainWindow() const override { return false; }
};

class ManualClock {
public:
    ManualClock() { RunLoop::main().useManualClock(); }
    ~ManualClock() { RunLoop::main().useRealClock(); }
};

} // namespace

TEST(ChildWindows, StayAboveTheirParentMoveWithItAndLetTheMouseThrough)
{
    Application::shared().resetForTesting();
    auto parent = Window::create(Rect(100, 100, 400, 300));
    auto other = Window::create(Rect(50, 50, 600, 500));
    auto overlay = std::make_shared<OverlayWindow>(Rect(110, 120, 200, 100));
    Application::shared().addWindow(overlay);
    EXPECT_GT(overlay->windowNumber(), parent->windowNumber());
    EXPECT_FALSE(Window::standardWindowButton(WindowButton::Close, overlay->styleMask()));
    EXPECT_TRUE(parent->standardWindowButton(WindowButton::Close));

    // Added to a hidden parent, the child waits for it.
    parent->addChildWindow(overlay, WindowOrderingMode::Above);
    EXPECT_FALSE(overlay->isVisible());
    other->orderFront();
    parent->makeKeyAndOrderFront();
    using Windows = std::vector<std::shared_ptr<Window>>;
    EXPECT_EQ(Application::shared().orderedWindows(), (Windows { overlay, parent, other }));

    // Clicking through: the overlay ignores the mouse, the parent gets it.
    EXPECT_EQ(Application::shared().windowAtPoint({ 150, 150 }), parent);
    EXPECT_EQ(Application::shared().windowAtPoint({ 60, 60 }), other);

    // Never key: clicking it leaves the parent key.
    overlay->makeKeyWindow();
    EXPECT_TRUE(parent->isKeyWindow());

    // Another window in front, then the parent again: the child comes along.
    other->orderFront();
    EXPECT_EQ(Application::shared().orderedWindows(), (Windows { other, overlay, parent }));
    parent->orderFront();
    EXPECT_EQ(Application::shared().orderedWindows(), (Windows { overlay, parent, other }));

    // Moving the parent moves the child by as much.
    parent->setFrameOrigin({ 130, 90 });
    EXPECT_EQ(overlay->frame(), Rect(140, 110, 200, 100));

    // Hidden and shown with its parent; a child ordered out by itself stays out.
    parent->orderOut();
    EXPECT_FALSE(overlay->isVisible());
    parent->orderFront();
    EXPECT_TRUE(overlay->isVisible());
    overlay->orderOut();
    parent->orderFront();
    EXPECT_FALSE(overlay->isVisible());
    EXPECT_EQ(Application::shared().orderedWindows(), (Windows { parent, other }));

    // Ordered just above the parent on request.
    overlay->orderWindow(WindowOrderingMode::Above, parent.get());
    EXPECT_EQ(Application::shared().orderedWindows(), (Windows { overlay, parent, other }));
    Application::shared().resetForTesting();
}

TEST(PropertyAnimator, FadeInHoldAndFadeOutOnTheRunLoopClock)
{
    ManualClock clock;
    auto owner = std::make_shared<int>(0);
    double opacity = 0;
    std::vector<std::string> log;
    auto set = [&opacity](double value) { opacity = value; };

    PropertyAnimator::animate(owner, "opacity", 0, 1, 0.25, set, [&](bool finished) {
        log.push_back(finished ? "in" : "in stopped");
    });
    RunLoop::main().advanceClock(0.125);
    EXPECT_NEAR(opacity, 0.5, 1.0 / 60 * 4 + 1e-9);
    EXPECT_TRUE(PropertyAnimator::isAnimating(owner.get(), "opacity"));
    RunLoop::main().advanceClock(0.125 + PropertyAnimator::StepInterval);
    EXPECT_EQ(opacity, 1);
    EXPECT_EQ(log, (std::vector<std::string> { "in" }));
    EXPECT_EQ(RunLoopTestPeer::pendingTimerCount(RunLoop::main()), 0u);

    // Hold one second, then fade out over half a second.
    auto hold = Timer::scheduledTimer(1.0, false, [&](Timer&) {
        PropertyAnimator::animate(owner, "opacity", opacity, 0, 0.5, set, [&](bool finished) {
            log.push_back(finished ? "out" : "out stopped");
        });
    });
    RunLoop::main().advanceClock(0.99);
    EXPECT_EQ(opacity, 1);
    RunLoop::main().advanceClock(0.26);
    EXPECT_NEAR(opacity, 0.5, 0.05);
    RunLoop::main().advanceClock(0.25 + PropertyAnimator::StepInterval);
    EXPECT_EQ(opacity, 0);
    EXPECT_EQ(log, (std::vector<std::string> { "in", "out" }));

    // A new animation of the same key replaces the running one from where it is.
    PropertyAnimator::animate(owner, "opacity", 0, 1, 1, set, [&](bool finished) { log.push_back(finished ? "a" : "a stopped"); });
    RunLoop::main().advanceClock(0.5);
    PropertyAnimator::animate(owner, "opacity", opacity, 0, 0.5, set, [&](bool finished) { log.push_back(finished ? "b" : "b stopped"); });
    EXPECT_EQ(log.back(), "a stopped");
    PropertyAnimator::stopAnimation(owner.get(), "opacity");
    EXPECT_EQ(log.back(), "b stopped");

    // An owner that goes away ends its animations silently.
    PropertyAnimator::animate(owner, "opacity", 0, 1, 1, set, [&](bool) { log.push_back("gone"); });
    size_t logged = log.size();
    owner.reset();
    double before = opacity;
    RunLoop::main().advanceClock(2);
    EXPECT_EQ(opacity, before);
    EXPECT_EQ(log.size(), logged);
    EXPECT_EQ(PropertyAnimator::runningAnimationCount(), 0u);
}

TEST(Screen, OneScreenForEveryWindow)
{
    auto window = std::make_shared<Window>(Rect(0, 0, 100, 100));
    EXPECT_EQ(&window->screen(), &Screen::mainScreen());
    EXPECT_EQ(window->screen().frame(), Rect(0, 0, 1920, 1080));
    EXPECT_EQ(window->screen().backingScaleFactor(), 1);
    Screen::setMainScreenFrame(Rect(0, 0, 800, 600));
    EXPECT_EQ(window->screen().frame(), Rect(0, 0, 800, 600));
    Screen::setMainScreenFrame(Rect(0, 0, 1920, 1080));
}
