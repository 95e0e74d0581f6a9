#include "platform/views/Application.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/SystemColors.h"
#include "platform/views/Window.h"
#include "ui/VornickToolbarPickerControls.h"
#include "ui/VornickUITheme.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::vector<DrawCommand> drawingOf(View& view)
{
    GraphicsContext context;
    view.display(context);
    return context.commandsOfView(&view);
}

// The first clip the view's drawing begins, or an empty rectangle.
Rect firstClip(View& view)
{
    for (const auto& command : drawingOf(view)) {
        if (command.kind == DrawCommand::Kind::BeginClip)
            return command.rect;
    }
    return {};
}

TEST(VornickToolbarPickerControls, ThePopUpBezelIsCutOnlyWhenTheThemeDrawsItsOwnWhileTheEditButtonAlwaysIs)
{
    EXPECT_TRUE(VornickUITheme::createTheme(VornickUIThemeKind::Monterey)->pickersUseCustomPopUpButtonDrawing());
    EXPECT_FALSE(VornickUITheme::createTheme(VornickUIThemeKind::Oxnard)->pickersUseCustomPopUpButtonDrawing());
    VornickToolbarPickerPopUpButton popUp(Rect(0, 0, 228, 26));
    popUp.addItemWithTitle(u"Clarity");
    VornickToolbarPickerEditButton edit(Rect(226, 0, 30, 26));
    edit.setImage(Image::imageWithSize(Size { 16, 16 }, nullptr));
    edit.setVornickImageBaselineOffset(3);

    VornickToolbarPickerPopUpButton::setDrawsCustomBezelForTesting(true);
    EXPECT_EQ(firstClip(popUp), Rect(0, 0, 226, 26));
    VornickToolbarPickerPopUpButton::setDrawsCustomBezelForTesting(false);
    EXPECT_TRUE(firstClip(popUp).isEmpty()) << "the standard bezel, whole";
    auto commands = drawingOf(popUp);
    EXPECT_TRUE(std::any_of(commands.begin(), commands.end(), [](const auto& command) { return command.kind == DrawCommand::Kind::Text && command.text == u"Clarity"; }));

    EXPECT_EQ(firstClip(edit), Rect(4, 0, 26, 26));
    bool drewImage = false;
    for (const auto& command : drawingOf(edit)) {
        if (command.kind == DrawCommand::Kind::Image) {
            drewImage = true;
            EXPECT_EQ(command.rect, Rect(2, 3, 30, 26));
        }
    }
    EXPECT_TRUE(drewImage);
    VornickToolbarPickerPopUpButton::setDrawsCustomBezelForTesting(VornickUITheme::currentTheme().pickersUseCustomPopUpButtonDrawing());
}

TEST(VornickToolbarPickerControls, TheTextSizeLabelsAreGreyedInAWindowThatIsNotMain)
{
    Application::shared().resetForTesting();
    auto window = Window::create(Rect(0, 0, 300, 100));
    auto control = std::make_shared<VornickTextMagnificationSegmentedControl>(Rect(0, 0, 96, 26));
    window->contentView()->addSubview(control);
    window->makeKeyAndOrderFront();
    auto runs = [&] {
        std::vector<DrawCommand> found;
        for (const auto& command : drawingOf(*control)) {
            if (command.kind == DrawCommand::Kind::TextRun)
                found.push_back(command);
        }
        return found;
    };
    auto main = runs();
    ASSERT_EQ(main.size(), 3u);
    EXPECT_EQ(main[0].text + main[1].text + main[2].text, u"A0A");
    EXPECT_LT(main[0].font->pointSize(), main[1].font->pointSize());
    EXPECT_LT(main[1].font->pointSize(), main[2].font->pointSize());
    for (const auto& run : main)
        EXPECT_EQ(run.color, Color::genericGamma22White(0.25));
    // Bottom-aligned, the first one point higher.
    EXPECT_EQ(main[1].rect.maxY(), 26);
    EXPECT_EQ(main[0].rect.maxY(), 25);

    auto other = Window::create(Rect(0, 0, 100, 100));
    other->makeKeyAndOrderFront();
    ASSERT_FALSE(window->isMainWindow());
    for (const auto& run : runs())
        EXPECT_EQ(run.color, systemColor(SystemColor::DisabledControlText));
    Application::shared().resetForTesting();
}

} // namespace
