#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Popover.h"
#include "platform/views/Screen.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct AlertFixture : ::testing::Test {
    void SetUp() override { AlertDriver::shared().reset(); }
    void TearDown() override { AlertDriver::shared().reset(); }

    std::shared_ptr<Alert> makeAlert()
    {
        auto alert = Alert::create();
        alert->setMessageText(u"Save changes?");
        alert->addButtonWithTitle(u"Save");
        alert->addButtonWithTitle(u"Cancel");
        alert->addButtonWithTitle(u"Don't Save");
        return alert;
    }
};

} // namespace

TEST_F(AlertFixture, ModalAlertsTakeTheDriversAnswers)
{
    auto alert = makeAlert();
    EXPECT_EQ(alert->buttons()[1]->keyEquivalent(), u"\x1b");
    EXPECT_EQ(alert->buttons()[0]->keyEquivalent(), u"\r");
    // Nothing scripted: the default button.
    EXPECT_EQ(alert->runModal(), AlertFirstButtonReturn);

    AlertDriver::shared().enqueueButtonTitle(u"Don't Save");
    AlertDriver::shared().enqueueResponse(AlertSecondButtonReturn);
    EXPECT_EQ(alert->runModal(), AlertThirdButtonReturn);
    EXPECT_EQ(alert->runModal(), AlertSecondButtonReturn);

    AlertDriver::shared().setResponder([](Alert& shown) -> std::optional<ModalResponse> {
        return shown.messageText() == u"Save changes?" ? std::optional(AlertSecondButtonReturn) : std::nullopt;
    });
    EXPECT_EQ(alert->runModal(), AlertSecondButtonReturn);
    EXPECT_EQ(AlertDriver::shared().shownAlerts().size(), 4u);
}

TEST_F(AlertFixture, SheetsAreAnsweredLaterAndDetachFromTheirWindow)
{
    auto window = Window::create(Rect(0, 0, 500, 400));
    auto alert = makeAlert();
    std::vector<ModalResponse> answers;
    alert->beginSheetModalForWindow(window, [&](ModalResponse response) { answers.push_back(response); });
    EXPECT_EQ(window->attachedSheet(), alert->window());
    EXPECT_TRUE(alert->isSheetPending());
    // One sheet per window.
    EXPECT_THROW(makeAlert()->beginSheetModalForWindow(window, nullptr), InternalInconsistencyException);

    EXPECT_TRUE(AlertDriver::shared().answerSheet(*window, AlertThirdButtonReturn));
    EXPECT_EQ(answers, (std::vector<ModalResponse> { AlertThirdButtonReturn }));
    EXPECT_EQ(window->attachedSheet(), nullptr);
    EXPECT_FALSE(AlertDriver::shared().answerSheet(*window, AlertFirstButtonReturn));

    // A queued answer arrives on a later turn of the run loop, never at once.
    AlertDriver::shared().enqueueResponse(AlertSecondButtonReturn);
    alert->beginSheetModalForWindow(window, [&](ModalResponse response) { answers.push_back(response); });
    EXPECT_EQ(answers.size(), 1u);
    RunLoop::main().runUntil([&] { return answers.size() == 2; }, 30);
    EXPECT_EQ(answers.back(), AlertSecondButtonReturn);
    EXPECT_TRUE(AlertDriver::shared().pendingSheets().empty());
}

namespace {

class PopoverLog : public PopoverDelegate {
public:
    std::vector<std::string> calls;
    bool allowClose { true };
    bool popoverShouldClose(Popover&) override { calls.push_back("should"); return allowClose; }
    void popoverWillShow(Popover&) override { calls.push_back("willShow"); }
    void popoverDidShow(Popover&) override { calls.push_back("didShow"); }
    void popoverWillClose(Popover&) override { calls.push_back("willClose"); }
    void popoverDidClose(Popover&) override { calls.push_back("didClose"); }
};

} // namespace

TEST(Popovers, PlacedOnTheEdgeAsThePositioningViewSeesIt)
{
    auto window = Window::create(Rect(100, 100, 400, 300));
    auto unflipped = std::make_shared<View>(Rect(0, 0, 200, 200));
    auto flipped = std::make_shared<View>(Rect(200, 0, 200, 200));
    flipped->setFlipped(true);
    window->contentView()->addSubview(unflipped);
    window->contentView()->addSubview(flipped);

    auto popover = std::make_shared<Popover>();
    auto log = std::make_shared<PopoverLog>();
    popover->setDelegate(log);
    popover->setContentView(std::make_shared<View>(Rect(0, 0, 60, 40)));

    // Below a rectangle of an unflipped view.
    popover->showRelativeToRect(Rect(50, 50, 20, 10), unflipped, RectEdge::MinY);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(popover->window()->frame(), Rect(130, 110, 60, 40));
    // The minimum-y edge of a flipped view is its top on the screen.
    popover->showRelativeToRect(Rect(50, 50, 20, 10), flipped, RectEdge::MinY);
    EXPECT_EQ(popover->window()->frame(), Rect(330, 250, 60, 40));
    EXPECT_EQ(Popover::frameForAnchor(Rect(0, 0, 10, 10), { 4, 2 }, RectEdge::MaxX, false), Rect(10, 4, 4, 2));
    EXPECT_EQ(log->calls, (std::vector<std::string> { "willShow", "didShow" }));

    log->allowClose = false;
    popover->performClose();
    EXPECT_TRUE(popover->isShown());
    log->allowClose = true;
    popover->performClose();
    EXPECT_FALSE(popover->isShown());
    EXPECT_FALSE(popover->window()->isVisible());
    EXPECT_EQ(log->calls, (std::vector<std::string> { "willShow", "didShow", "should", "should", "willClose", "didClose" }));
}

// A popover whose preferred side leaves the screen goes to the other side
// when that has more room, and is slid along the screen's edges until all
// of it shows; a screen too small keeps its top-left corner.
TEST(Popovers, StayOnTheScreenFlippedOrShiftedAsTheDesktopPlacesThem)
{
    const Rect screen(0, 0, 1000, 800);
    const Size size { 300, 200 };
    struct Case {
        const char* what;
        Rect anchor;
        RectEdge edge;
        bool flipped;
        Rect expected;
    };
    const Case cases[] = {
        { "room where it asks", Rect(400, 400, 40, 20), RectEdge::MinY, false, Rect(270, 200, 300, 200) },
        { "near the left edge, shifted right", Rect(10, 400, 40, 20), RectEdge::MinY, false, Rect(0, 200, 300, 200) },
        { "near the right edge, shifted left", Rect(980, 400, 20, 20), RectEdge::MaxY, false, Rect(700, 420, 300, 200) },
        { "at the foot, flipped above", Rect(400, 50, 40, 20), RectEdge::MinY, false, Rect(270, 70, 300, 200) },
        { "at the top, flipped below", Rect(400, 700, 40, 20), RectEdge::MaxY, false, Rect(270, 500, 300, 200) },
        { "a flipped view's top edge at the screen's top", Rect(400, 750, 40, 20), RectEdge::MinY, true, Rect(270, 550, 300, 200) },
        { "at the left, flipped to the right", Rect(100, 400, 20, 20), RectEdge::MinX, false, Rect(120, 310, 300, 200) },
        { "at the right, flipped to the left", Rect(900, 400, 20, 20), RectEdge::MaxX, false, Rect(600, 310, 300, 200) },
        { "in a corner, flipped and shifted", Rect(5, 790, 10, 10), RectEdge::MaxY, false, Rect(0, 590, 300, 200) },
        { "no room either side: shifted onto the screen", Rect(400, 150, 40, 600), RectEdge::MinY, false, Rect(270, 0, 300, 200) },
    };
    for (const auto& test : cases) {
        Rect frame = Popover::frameForAnchorWithinScreen(test.anchor, size, test.edge, test.flipped, screen);
        EXPECT_EQ(frame, test.expected) << test.what << ": " << frame.description();
        EXPECT_EQ(frame.intersection(screen), frame) << test.what;
    }
    // Larger than the screen: its top-left part shows.
    EXPECT_EQ(Popover::frameForAnchorWithinScreen(Rect(400, 400, 10, 10), { 1200, 900 }, RectEdge::MinY, false, screen),
              Rect(0, -100, 1200, 900));

    // A shown popover is placed on the main screen's visible frame.
    auto window = Window::create(Rect(0, 100, 400, 300));
    auto popover = std::make_shared<Popover>();
    popover->setContentView(std::make_shared<View>(Rect(0, 0, 300, 200)));
    popover->showRelativeToRect(Rect(2, 280, 20, 10), window->contentView(), RectEdge::MaxY);
    Rect shown = popover->window()->frame();
    EXPECT_EQ(shown.intersection(Screen::mainScreen().visibleFrame()), shown) << shown.description();
    popover->close();
}

// The popover's window takes the keyboard, but the window it stands beside
// stays main: commands with no target in the popover (Undo) still reach it.
TEST(Popovers, TheirWindowTakesTheKeyboardButNeverBecomesMain)
{
    auto window = Window::create(Rect(100, 100, 400, 300));
    window->makeKeyWindow();
    ASSERT_TRUE(window->isMainWindow());
    auto popover = std::make_shared<Popover>();
    popover->setContentView(std::make_shared<View>(Rect(0, 0, 60, 40)));
    popover->showRelativeToRect(Rect(50, 50, 20, 10), window->contentView(), RectEdge::MinY);
    auto popoverWindow = popover->window();
    ASSERT_TRUE(popoverWindow);
    EXPECT_EQ(popoverWindow->styleMask(), WindowStyle::Borderless);
    popoverWindow->makeKeyWindow();
    EXPECT_TRUE(popoverWindow->isKeyWindow());
    EXPECT_FALSE(popoverWindow->isMainWindow());
    EXPECT_TRUE(window->isMainWindow());
    popover->close();
    Application::shared().resetForTesting();
}

namespace {

struct ClickCountingView final : View {
    using View::View;
    void mouseDown(const Event&) override { ++clicks; }
    int clicks { 0 };
};

} // namespace

// A transient popover goes away as the desktop's do: Escape in it, or a click
// elsewhere in the window behind (which still reaches its view); a click on
// its anchor is left to the anchor's control, and one the application keeps
// open stays.
TEST(Popovers, ATransientOneClosesOnEscapeOrAClickElsewhereInItsWindow)
{
    enum class Dismissal { Escape, ClickElsewhere, ClickOnAnchor };
    struct Case {
        const char* name;
        PopoverBehavior behavior;
        Dismissal dismissal;
        bool closes;
    };
    const Case cases[] = {
        { "transient, Escape", PopoverBehavior::Transient, Dismissal::Escape, true },
        { "transient, click elsewhere", PopoverBehavior::Transient, Dismissal::ClickElsewhere, true },
        { "semitransient, click elsewhere", PopoverBehavior::Semitransient, Dismissal::ClickElsewhere, true },
        { "transient, click on the anchor", PopoverBehavior::Transient, Dismissal::ClickOnAnchor, false },
        { "application-defined, Escape", PopoverBehavior::ApplicationDefined, Dismissal::Escape, false },
        { "application-defined, click elsewhere", PopoverBehavior::ApplicationDefined, Dismissal::ClickElsewhere, false },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto window = Window::create(Rect(100, 100, 400, 300));
        auto anchor = std::make_shared<View>(Rect(50, 50, 20, 10));
        auto elsewhere = std::make_shared<ClickCountingView>(Rect(200, 150, 100, 100));
        window->contentView()->addSubview(anchor);
        window->contentView()->addSubview(elsewhere);
        auto popover = std::make_shared<Popover>();
        popover->setBehavior(test.behavior);
        popover->setContentView(std::make_shared<View>(Rect(0, 0, 60, 40)));
        popover->showRelativeToRect(anchor->bounds(), anchor, RectEdge::MinY);
        EventSynthesizer events;
        switch (test.dismissal) {
        case Dismissal::Escape:
            events.pressKey(popover->window(), u'\x1b');
            break;
        case Dismissal::ClickElsewhere:
            events.click(window, Point { 250, 200 });
            EXPECT_EQ(elsewhere->clicks, 1) << "the click goes on to its view";
            break;
        case Dismissal::ClickOnAnchor:
            events.click(window, Point { 55, 55 });
            break;
        }
        EXPECT_EQ(!popover->isShown(), test.closes);
        popover->close();
        EXPECT_EQ(window->sendEventHookCount(), 0u) << "a closed popover watches nothing";
    }
    Application::shared().resetForTesting();
}
