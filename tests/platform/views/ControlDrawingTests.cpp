#include "platform/views/Button.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/ProgressIndicator.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/TextField.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

#include <functional>

using namespace brevanton;

namespace {

// The control command a view records, and how many commands follow it.
std::pair<DrawCommand, size_t> recordedControl(View& view)
{
    GraphicsContext context;
    view.display(context);
    const auto& commands = context.commands();
    for (size_t index = 0; index < commands.size(); ++index) {
        if (commands[index].kind == DrawCommand::Kind::Control && commands[index].view == &view)
            return { commands[index], commands.size() - index - 1 };
    }
    return {};
}

} // namespace

TEST(ControlDrawing, EachControlRecordsItsKindAndStateBeforeItsPlainDrawing)
{
    auto window = Window::create(Rect(0, 0, 400, 300));
    struct Case {
        const char* name;
        std::function<std::shared_ptr<View>()> make;
        ControlDrawing expected;
        std::u16string title;
    };
    auto expect = [](ControlKind kind, auto change) {
        ControlDrawing drawing;
        drawing.kind = kind;
        change(drawing);
        return drawing;
    };
    auto button = [](ButtonType type, ControlStateValue state, std::u16string key = {}) {
        auto made = std::make_shared<Button>(Rect(10, 10, 120, 24), u"Ignore Case");
        made->setButtonType(type);
        made->setState(state);
        made->setKeyEquivalent(std::move(key));
        return made;
    };
    const Case cases[] = {
        { "default push button", [&] { return button(ButtonType::MomentaryPushIn, OffState, u"\r"); },
          expect(ControlKind::PushButton, [](auto& d) { d.isDefault = true; }), u"Ignore Case" },
        { "check box, mixed", [&] { return button(ButtonType::Switch, MixedState); }, expect(ControlKind::CheckBox, [](auto& d) { d.state = MixedState; }), u"Ignore Case" },
        { "radio button, on", [&] { return button(ButtonType::Radio, OnState); }, expect(ControlKind::RadioButton, [](auto& d) { d.state = OnState; }), u"Ignore Case" },
        { "disabled toggle", [&] { auto made = button(ButtonType::PushOnPushOff, OnState); made->setEnabled(false); return made; },
          expect(ControlKind::ToolButton, [](auto& d) { d.state = OnState; d.enabled = false; }), u"Ignore Case" },
        { "pop-up shows its choice", [] {
              auto popUp = std::make_shared<PopUpButton>(Rect(0, 0, 120, 24));
              popUp->addItemWithTitle(u"Draft");
              popUp->addItemWithTitle(u"Published");
              popUp->selectItemAtIndex(1);
              return popUp;
          },
          expect(ControlKind::PopUpButton, [](auto&) {}), u"Published" },
        { "segments", [] {
              auto segments = std::make_shared<SegmentedControl>(Rect(0, 0, 120, 24));
              segments->setSegmentCount(2);
              segments->setLabel(u"A", 0);
              segments->setLabel(u"B", 1);
              segments->setSelectedSegment(1);
              return segments;
          },
          expect(ControlKind::SegmentedControl, [](auto& d) { d.segmentLabels = { u"A", u"B" }; d.selectedSegment = 1; }), u"" },
        { "progress", [] {
              auto bar = std::make_shared<ProgressIndicator>(Rect(0, 0, 120, 10));
              bar->setIndeterminate(false);
              bar->setDoubleValue(40);
              return bar;
          },
          expect(ControlKind::ProgressBar, [](auto& d) { d.maxValue = 100; d.value = 40; }), u"" },
        { "focused editable field", [&] {
              auto field = std::make_shared<TextField>(Rect(0, 0, 120, 22));
              field->setEditable(true);
              field->setDrawsBackground(true);
              window->contentView()->addSubview(field);
              EXPECT_TRUE(window->makeFirstResponder(field));
              return field;
          },
          expect(ControlKind::TextFieldFrame, [](auto& d) { d.focused = true; }), u"" },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        auto view = test.make();
        auto [command, after] = recordedControl(*view);
        ASSERT_TRUE(command.control);
        ControlDrawing recorded = *command.control;
        EXPECT_GT(recorded.plainCommands, 0u) << "the plain drawing follows";
        EXPECT_LE(recorded.plainCommands, after);
        recorded.plainCommands = 0;
        EXPECT_EQ(recorded, test.expected);
        EXPECT_EQ(command.text, test.title);
        EXPECT_EQ(command.rect, view->bounds());
    }

    // A static label is text alone.
    auto label = TextField::labelWithString(u"Status");
    EXPECT_FALSE(recordedControl(*label).first.control);
}
