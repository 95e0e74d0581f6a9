#include "platform/views/Application.h"
#include "platform/views/ColorPanel.h"
#include "platform/views/ColorWell.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

struct ColorWellTest : ::testing::Test {
    void SetUp() override
    {
        Application::shared().resetForTesting();
        ColorPanelDriver::shared().reset();
        window = Window::create(Rect(0, 0, 300, 200));
        window->makeKeyAndOrderFront();
        well = std::make_shared<ColorWell>(Rect(20, 20, 60, 30));
        well->setColor(Color::sRGB255(207, 46, 46));
        well->setAction("colorChanged:");
        well->setTarget(window->contentView());
        window->contentView()->setActionHandler("colorChanged:", [this](ActionSender* sender) {
            EXPECT_EQ(sender, well.get());
            ++actions;
        });
        window->contentView()->addSubview(well);
    }
    void TearDown() override
    {
        ColorPanelDriver::shared().reset();
        Application::shared().resetForTesting();
    }

    void click() { events.click(window, { 50, 35 }); }
    std::vector<DrawCommand> drawn()
    {
        window->graphicsContext().clear();
        window->contentView()->display(window->graphicsContext());
        return window->graphicsContext().commandsOfView(well.get());
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<ColorWell> well;
    EventSynthesizer events;
    int actions { 0 };
};

} // namespace

TEST_F(ColorWellTest, AClickOpensThePanelAndTakesThePickedColour)
{
    ColorPanelDriver::shared().enqueueColor(Color::sRGB(0, 0.5, 1, 0.25));
    click();
    ASSERT_EQ(ColorPanelDriver::shared().shownPanels().size(), 1u);
    auto panel = ColorPanelDriver::shared().shownPanels().front();
    EXPECT_EQ(panel->parentWindow(), window);
    EXPECT_FALSE(well->isActive());
    // The panel shows no opacity: what is picked is opaque.
    EXPECT_EQ(well->color(), Color::sRGB(0, 0.5, 1, 1));
    EXPECT_EQ(actions, 1);

    // Cancelled, or the well's own colour again: nothing is sent.
    ColorPanelDriver::shared().enqueueCancellation();
    click();
    ColorPanelDriver::shared().enqueueColor(Color::sRGB(0, 0.5, 1));
    EXPECT_TRUE(well->performClick());
    // Nobody answering is a cancellation.
    click();
    EXPECT_EQ(ColorPanelDriver::shared().shownPanels().size(), 4u);
    EXPECT_EQ(well->color(), Color::sRGB(0, 0.5, 1, 1));
    EXPECT_EQ(actions, 1);

    // A disabled well opens no panel; a click that ends outside neither.
    well->setEnabled(false);
    click();
    well->setEnabled(true);
    events.send(events.mouseDown(window, { 50, 35 }));
    events.send(events.mouseUp(window, { 150, 150 }));
    EXPECT_EQ(ColorPanelDriver::shared().shownPanels().size(), 4u);
}

TEST_F(ColorWellTest, ThePanelStartsFromTheWellsColourAndTheResponderAnswersWhenNothingIsQueued)
{
    std::optional<Color> seen;
    bool activeWhileShown = false;
    ColorPanelDriver::shared().setResponder([&](ColorPanel& panel) -> ColorPanelDriver::Answer {
        seen = panel.color();
        activeWhileShown = well->isActive() && panel.isRunning();
        return Color::white();
    });
    click();
    EXPECT_EQ(seen, Color::sRGB255(207, 46, 46));
    EXPECT_TRUE(activeWhileShown);
    EXPECT_EQ(well->color(), Color::white());
    EXPECT_EQ(actions, 1);
}

TEST_F(ColorWellTest, ABorderedWellDrawsItsColourInsideTheBezelAnUnborderedOneOnlyTheColour)
{
    auto commands = drawn();
    ASSERT_FALSE(commands.empty());
    const auto& inside = commands.back();
    EXPECT_EQ(inside.kind, DrawCommand::Kind::FillRect);
    EXPECT_EQ(inside.color, Color::sRGB255(207, 46, 46));
    EXPECT_EQ(inside.operation, CompositingOperation::SourceOver);
    EXPECT_EQ(inside.rect, Rect(0, 0, 60, 30).insetBy(ColorWell::bezelWidth, ColorWell::bezelWidth));

    well->setBordered(false);
    commands = drawn();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].rect, Rect(0, 0, 60, 30));

    well->setColor(std::nullopt);
    EXPECT_TRUE(drawn().empty());
}
