#include "ui/VornickCollapsibleHeaderSplitView.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"
#include "ui/VornickFragmentSetEditorHorizontalSplitView.h"
#include "ui/VornickUITheme.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<VornickCollapsibleHeaderSplitView> makeSplitView(VornickUITheme& theme)
{
    auto splitView = std::make_shared<VornickCollapsibleHeaderSplitView>(Rect(0, 0, 300, 200));
    splitView->setTheme(&theme);
    splitView->addSubview(std::make_shared<View>(Rect(0, 0, 300, 0)));
    splitView->addSubview(std::make_shared<View>(Rect(0, 9, 300, 191)));
    splitView->subviews().front()->setHidden(true);
    return splitView;
}

} // namespace

TEST(CollapsibleHeaderSplitView, TheThemeDrawsTheDividerOrDrawsOverTheStandardOne)
{
    auto monterey = VornickUITheme::createTheme(VornickUIThemeKind::Monterey);
    auto base = VornickUITheme::createTheme(VornickUIThemeKind::Base);
    auto splitView = makeSplitView(*monterey);
    GraphicsContext context;
    splitView->display(context);
    auto commands = context.commandsOfView(splitView.get());
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].color, Color::genericGamma22White(236.0 / 255));

    // The base theme lets the split view draw, then draws its lines over the
    // divider that reaches the bottom edge.
    splitView->setTheme(base.get());
    splitView->setPosition(191, 0);
    context.clear();
    splitView->display(context);
    commands = context.commandsOfView(splitView.get());
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].color, splitView->dividerColor());
    EXPECT_EQ(commands[1].color, Color::genericGamma22White(0.84));
}

TEST(CollapsibleHeaderSplitView, NoSeamSealerWithoutAThemeThatUsesOneOrAWindowFrameView)
{
    auto window = Window::create(Rect(0, 0, 300, 300));
    auto monterey = VornickUITheme::createTheme(VornickUIThemeKind::Monterey);
    auto yosemite = VornickUITheme::createTheme(VornickUIThemeKind::Yosemite);

    auto plain = makeSplitView(*monterey);
    window->contentView()->addSubview(plain);
    plain->updateSeamSealerView();
    EXPECT_FALSE(plain->seamSealerView());

    // The headless windows have no frame view around their content for a
    // sealer to sit in: the collapsed header leaves the window as it is.
    auto sealed = makeSplitView(*yosemite);
    window->contentView()->addSubview(sealed);
    sealed->updateSeamSealerView();
    EXPECT_FALSE(sealed->seamSealerView());
    EXPECT_EQ(window->contentView()->subviews().size(), 2u);
    window->close();
}

TEST(FragmentSetEditorHorizontalSplitView, TheGlossyBandIsAlwaysAtTheBottom)
{
    auto splitView = std::make_shared<VornickFragmentSetEditorHorizontalSplitView>(Rect(0, 0, 300, 400));
    GraphicsContext context;
    splitView->drawDividerInRect(Rect(0, 120, 300, 9), context);
    auto& commands = context.commands();
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].rect, Rect(0, 362, 300, 37));
    EXPECT_EQ(commands[1].rect, Rect(0, 361, 300, 1));
    EXPECT_EQ(commands[2].rect, Rect(0, 399, 300, 1));
    EXPECT_EQ(commands[2].color, Color::genericGamma22White(125.0 / 255));
}
