#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Appearance.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/views/SystemColors.h"
#include "platform/views/Window.h"
#include "ui/VornickClickToEditTextField.h"
#include "ui/VornickGreenScreenView.h"
#include "ui/VornickGroupTableRowView.h"
#include "ui/VornickPlotViews.h"
#include "ui/VornickRolloverBox.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "ui/VornickSimpleRolloverButton.h"
#include "ui/VornickStaticTextFields.h"
#include "ui/VornickUITheme.h"
#include "ui/VornickWindowBottomBar.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<Window> makeWindow()
{
    Application::shared().resetForTesting();
    auto window = Window::create(Rect(0, 0, 400, 300));
    window->makeKeyAndOrderFront();
    return window;
}

std::vector<DrawCommand> drawn(const std::shared_ptr<Window>& window, const View& view)
{
    window->graphicsContext().clear();
    window->contentView()->display(window->graphicsContext());
    return window->graphicsContext().commandsOfView(&view);
}

class Owner : public VornickClickToEditTextFieldOwner {
public:
    std::vector<std::string> log;
    void clickToEditTextFieldDidBecomeVisiblyEditable(VornickClickToEditTextField& field) override
    {
        log.push_back("editable");
        field.setBezeled(true);
        field.setEditable(true);
    }
    void clickToEditTextFieldDidBecomeApparentlyStatic(VornickClickToEditTextField& field) override
    {
        log.push_back("static");
        field.setBezeled(false);
    }
};

} // namespace

TEST(VornickSmallViews, RolloverBoxDimsUnlessTheUserWorksInIt)
{
    auto window = makeWindow();
    auto box = std::make_shared<VornickRolloverBox>(Rect(50, 50, 100, 100));
    EXPECT_TRUE(box->isDimmed());
    EXPECT_EQ(box->alphaValue(), 0.25);
    window->contentView()->addSubview(box);

    EventSynthesizer events;
    events.send(events.mouseMoved(window, { 60, 60 }));
    EXPECT_TRUE(box->mouseInside());
    EXPECT_EQ(box->alphaValue(), 1.0);
    box->setHeldOpen(true);
    events.send(events.mouseMoved(window, { 10, 10 }));
    EXPECT_FALSE(box->mouseInside());
    EXPECT_EQ(box->alphaValue(), 1.0);
    box->setDescendantFocused(true);
    box->setHeldOpen(false);
    EXPECT_FALSE(box->isDimmed());
    box->setDescendantFocused(false);
    EXPECT_TRUE(box->isDimmed());
    EXPECT_EQ(box->alphaValue(), 0.25);
    Application::shared().resetForTesting();
}

TEST(VornickSmallViews, ALayerBackedRolloverBoxFades)
{
    RunLoop::main().useManualClock();
    auto box = std::make_shared<VornickRolloverBox>(Rect(0, 0, 100, 100));
    box->setWantsLayer(true);
    box->setHeldOpen(true);
    EXPECT_EQ(box->alphaValue(), 0.25);
    RunLoop::main().advanceClock(0.125);
    EXPECT_GT(box->alphaValue(), 0.5);
    EXPECT_LT(box->alphaValue(), 0.7);
    // Released halfway: it fades back down from where it is.
    box->setHeldOpen(false);
    RunLoop::main().advanceClock(0.25 + 2 * PropertyAnimator::StepInterval);
    EXPECT_EQ(box->alphaValue(), 0.25);
    box->setHeldOpen(true);
    RunLoop::main().advanceClock(0.25 + 2 * PropertyAnimator::StepInterval);
    EXPECT_EQ(box->alphaValue(), 1.0);
    RunLoop::main().useRealClock();
}

TEST(VornickSmallViews, CyclingAndClickableStaticFields)
{
    auto window = makeWindow();
    auto field = std::make_shared<VornickCyclingStaticTextField>(Rect(0, 0, 100, 20));
    field->setTextString(u"Now");
    window->contentView()->addSubview(field);
    EXPECT_EQ(field->labels()->size(), 1u);
    EXPECT_EQ(std::any_cast<std::u16string>(field->labels()->front()), u"Now");

    EventSynthesizer events;
    auto one = std::make_shared<const VornickCyclingLabels>(VornickCyclingLabels { std::u16string(u"A") });
    field->setLabels(one);
    events.click(window, { 10, 10 });
    EXPECT_EQ(field->stringValue(), u"A");

    auto labels = std::make_shared<const VornickCyclingLabels>(
        VornickCyclingLabels { std::u16string(u"A"), AttributedString(u"B"), 42 });
    field->setLabels(labels);
    std::vector<std::u16string> shown { field->stringValue() };
    for (int i = 0; i < 3; ++i) {
        events.click(window, { 10, 10 });
        shown.push_back(field->stringValue());
    }
    EXPECT_EQ(shown, (std::vector<std::u16string> { u"A", u"B", u"(non-[Attributed]String)", u"A" }));
    // The same array again keeps the label shown.
    events.click(window, { 10, 10 });
    field->setLabels(labels);
    EXPECT_EQ(field->indexOfDisplayedLabel(), 1u);
    field->switchToLabelAtIndex(3);
    EXPECT_EQ(field->stringValue(), u"");
    EXPECT_EQ(field->indexOfDisplayedLabel(), VornickCyclingStaticTextField::NotFound);
    events.click(window, { 10, 10 });
    EXPECT_EQ(field->indexOfDisplayedLabel(), 0u);

    // The clickable field acts on the mouse down, before any mouse up.
    auto target = std::make_shared<Responder>();
    int clicks = 0;
    target->setActionHandler("clicked:", [&](ActionSender*) { ++clicks; });
    auto clickable = std::make_shared<VornickClickableStaticTextField>(Rect(0, 100, 100, 20));
    clickable->setTarget(target);
    clickable->setAction("clicked:");
    window->contentView()->addSubview(clickable);
    events.send(events.mouseDown(window, { 10, 110 }));
    EXPECT_EQ(clicks, 1);
    Application::shared().resetForTesting();
}

TEST(VornickSmallViews, ClickToEditFocusesAfterTheClickAndSendActionOnEditFollowsEveryChange)
{
    auto window = makeWindow();
    Owner owner;
    auto field = std::make_shared<VornickClickToEditTextField>(Rect(0, 0, 100, 20));
    field->setOwner(&owner);
    window->contentView()->addSubview(field);
    EXPECT_FALSE(field->vornick_isVisiblyEditable());

    EventSynthesizer events;
    events.click(window, { 10, 10 });
    EXPECT_TRUE(field->vornick_isVisiblyEditable());
    EXPECT_EQ(owner.log, (std::vector<std::string> { "editable" }));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return field->vornick_isFocusedForEditing(); }, 30));
    field->vornick_losingFocus();
    EXPECT_FALSE(field->vornick_isVisiblyEditable());
    EXPECT_EQ(owner.log, (std::vector<std::string> { "editable", "static" }));
    field->setOwner(nullptr);

    auto target = std::make_shared<Responder>();
    std::vector<std::string> log;
    target->setActionHandler("changed:", [&](ActionSender*) { log.push_back("changed"); });
    target->setActionHandler(VornickSendActionOnEditTextField::BecameFirstResponderAction,
                             [&](ActionSender*) { log.push_back("focused"); });
    auto edit = std::make_shared<VornickSendActionOnEditTextField>(Rect(0, 50, 100, 20));
    edit->setEditable(true);
    edit->setTarget(target);
    edit->setAction("changed:");
    window->contentView()->addSubview(edit);
    auto observer = NotificationCenter::defaultCenter().addObserver(TextField::TextDidChangeNotification, edit.get(),
        nullptr, [&](const Notification&) { log.push_back("notified"); });
    ASSERT_TRUE(window->makeFirstResponder(edit));
    edit->editTextAsUser(u"a");
    edit->editTextAsUser(u"ab");
    EXPECT_EQ(log, (std::vector<std::string> { "focused", "changed", "notified", "changed", "notified" }));
    Application::shared().resetForTesting();
}

TEST(VornickSmallViews, DrawingOfBarsRowsButtonsAndBackdrops)
{
    auto window = makeWindow();
    auto& theme = VornickUITheme::currentTheme();
    auto bar = std::make_shared<VornickWindowBottomBar>(Rect(0, 0, 400, 24));
    window->contentView()->addSubview(bar);
    auto commands = drawn(window, *bar);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::Gradient);
    EXPECT_EQ(commands[0].gradient, theme.activeWindowBottomBarGradient());
    EXPECT_EQ(commands[0].rect, Rect(0, 1, 400, 22));
    // Resigning main redraws it with the inactive look.
    window->graphicsContext().clear();
    bar->displayIfNeeded(window->graphicsContext());
    auto other = Window::create(Rect(0, 0, 10, 10));
    other->makeKeyAndOrderFront();
    EXPECT_TRUE(bar->needsDisplay());
    commands = drawn(window, *bar);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands[0].gradient, theme.inactiveWindowBottomBarGradient());

    auto green = std::make_shared<VornickGreenScreenView>(Rect(0, 30, 10, 10));
    auto black = std::make_shared<VornickImageCompressionGraphView>(Rect(20, 30, 10, 10));
    window->contentView()->addSubview(green);
    window->contentView()->addSubview(black);
    EXPECT_EQ(drawn(window, *green).at(0).color, Color::green());
    EXPECT_EQ(drawn(window, *black).at(0).color, Color::black());
    EXPECT_TRUE(black->isOpaque());

    auto row = std::make_shared<VornickGroupTableRowView>(Rect(0, 50, 200, 20));
    window->contentView()->addSubview(row);
    EXPECT_FALSE(row->preservesContentDuringLiveResize());
    commands = drawn(window, *row);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].color, systemColor(SystemColor::WindowBackground));
    row->setSelected(true);
    commands = drawn(window, *row);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[1].color, systemColor(SystemColor::SelectedTextBackground));
    {
        Appearance::ScopedOverride dark(AppearanceName::DarkAqua);
        commands = drawn(window, *row);
        EXPECT_EQ(commands.at(1).color, systemColor(SystemColor::UnemphasizedSelectedTextBackground));
    }

    // The rollover button: half opacity away from it, full under the mouse,
    // a quarter when disabled wherever the mouse is.
    auto button = std::make_shared<VornickSimpleRolloverButton>(Rect(100, 100, 25, 21));
    button->setImage(u"gear");
    button->setAlternateImage(u"gear-pressed");
    window->contentView()->addSubview(button);
    EXPECT_EQ(button->imageRectForBounds(button->bounds()), Rect(4, 2, 16, 16));
    EventSynthesizer events;
    events.send(events.mouseMoved(window, { 10, 10 }));
    EXPECT_EQ(drawn(window, *button).at(0).fraction, 0.5);
    events.send(events.mouseMoved(window, { 110, 110 }));
    EXPECT_EQ(drawn(window, *button).at(0).fraction, 1.0);
    events.send(events.mouseDown(window, { 110, 110 }));
    EXPECT_EQ(drawn(window, *button).at(0).text, u"gear-pressed");
    events.send(events.mouseUp(window, { 110, 110 }));
    button->setEnabled(false);
    EXPECT_EQ(drawn(window, *button).at(0).fraction, 0.25);
    events.send(events.mouseMoved(window, { 10, 10 }));
    EXPECT_EQ(drawn(window, *button).at(0).fraction, 0.25);
    Application::shared().resetForTesting();
}

TEST(VornickSmallViews, PlotKeepsOnlyWellFormedPairs)
{
    auto plot = std::make_shared<VornickXYPlotView>(Rect(0, 0, 100, 50));
    EXPECT_TRUE(plot->needsGraphLayout());
    EXPECT_EQ(plot->axisLineWidth(), 2.0);
    GraphicsContext context;
    plot->display(context);
    EXPECT_FALSE(plot->needsGraphLayout());
    EXPECT_EQ(plot->graphAreaRect(), Rect(1, 1, 98, 48));

    plot->setValuePairs(Value(Array { Value(Array { Value(1), Value(2.5), Value(9) }), Value(Array { Value(3), Value(4) }) }));
    EXPECT_EQ(plot->valuePairs(), (std::vector<std::array<double, 2>> { { 1, 2.5 }, { 3, 4 } }));
    EXPECT_TRUE(plot->needsGraphLayout());
    plot->display(context);
    // One element with a single number, or a non-number, or no array: the old pairs stay.
    plot->setValuePairs(Value(Array { Value(Array { Value(5), Value(6) }), Value(Array { Value(7) }) }));
    plot->setValuePairs(Value(Array { Value(Array { Value(5), Value(u"six") }) }));
    plot->setValuePairs(Value(u"pairs"));
    EXPECT_EQ(plot->valuePairs().size(), 2u);
    EXPECT_FALSE(plot->needsGraphLayout());
    plot->setValuePairs(Value());
    EXPECT_TRUE(plot->valuePairs().empty());
}
