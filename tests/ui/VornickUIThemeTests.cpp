#include "ui/VornickUITheme.h"

#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/views/Appearance.h"
#include "platform/views/Application.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SplitView.h"
#include "platform/views/SystemColors.h"
#include "platform/views/Window.h"
#include "ui/VornickUIThemeGenerations.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

Color grey(double value)
{
    return Color::genericGamma22White(value / 255);
}

Gradient flatGrey(double value)
{
    return Gradient(grey(value), grey(value));
}

class ThemeTest : public ::testing::Test {
protected:
    void TearDown() override { Appearance::setCurrent(AppearanceName::Aqua); }
};

struct SplitViewInWindow {
    std::shared_ptr<Window> window = Window::create(Rect(0, 0, 400, 300));
    std::shared_ptr<SplitView> splitView = std::make_shared<SplitView>(Rect(0, 0, 400, 300));
    GraphicsContext context;

    SplitViewInWindow()
    {
        window->contentView()->addSubview(splitView);
        splitView->addSubview(std::make_shared<View>(Rect(0, 0, 400, 100)));
        splitView->addSubview(std::make_shared<View>(Rect(0, 109, 400, 191)));
    }
};

} // namespace

TEST_F(ThemeTest, TheVersionNumberChoosesTheThemeAtItsThresholds)
{
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(2022.9), VornickUIThemeKind::Mojave);
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(2023.0), VornickUIThemeKind::Monterey);
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(2284.9), VornickUIThemeKind::Monterey);
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(2285.0), VornickUIThemeKind::Oxnard);
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(1671.0), VornickUIThemeKind::Mojave);
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(1670.9), VornickUIThemeKind::Yosemite);
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(1343.0), VornickUIThemeKind::Yosemite);
    EXPECT_EQ(VornickUITheme::themeKindForVersionNumber(1342.9), VornickUIThemeKind::Base);

    // The running view layer draws the newest look, and the theme is made once.
    EXPECT_EQ(VornickUITheme::currentTheme().kind(), VornickUIThemeKind::Oxnard);
    EXPECT_EQ(&VornickUITheme::currentTheme(), &VornickUITheme::currentTheme());
}

TEST_F(ThemeTest, ValuesInheritAlongTheChainAndSameAsValuesFollowTheReceiver)
{
    auto base = VornickUITheme::createTheme(VornickUIThemeKind::Base);
    auto yosemite = VornickUITheme::createTheme(VornickUIThemeKind::Yosemite);
    auto mojave = VornickUITheme::createTheme(VornickUIThemeKind::Mojave);
    auto monterey = VornickUITheme::createTheme(VornickUIThemeKind::Monterey);
    auto oxnard = VornickUITheme::createTheme(VornickUIThemeKind::Oxnard);

    EXPECT_EQ(base->attributeEditorMargin(), 0);
    EXPECT_EQ(yosemite->attributeEditorMargin(), 2);
    EXPECT_EQ(mojave->attributeEditorMargin(), 2);
    EXPECT_EQ(monterey->attributeEditorMargin(), 4);
    EXPECT_EQ(oxnard->attributeValueModuleCornerRadius(), 7);

    // The attribute label and value colours follow an overridden element label colour.
    EXPECT_EQ(base->attributeEditorAttributeValueColor(), Color::sRGB255(55, 102, 117));
    EXPECT_EQ(mojave->attributeEditorAttributeValueColor(), systemColor(SystemColor::SystemTeal));
    EXPECT_EQ(oxnard->attributeEditorAttributeLabelColor(), systemColor(SystemColor::SystemTeal));

    // Absent values stay absent down the chain.
    EXPECT_EQ(base->activeWindowBottomBarBottomEdgeColor(), grey(125));
    EXPECT_FALSE(yosemite->activeWindowBottomBarBottomEdgeColor());
    EXPECT_FALSE(mojave->activeWindowBottomBarTopEdgeColor());
    EXPECT_FALSE(mojave->domPathBarStartBranchBezelLineColor());

    // The path bar labels take the emphasized and detail label values.
    EXPECT_EQ(mojave->domPathBarEmphasizedLabelFont()->pointSize(), 14);
    EXPECT_EQ(base->domPathBarDetailLabelTextColor(), Color::genericGamma22White(0.4));

    EXPECT_FALSE(base->usesSeamSealerView());
    EXPECT_TRUE(yosemite->usesSeamSealerView());
    EXPECT_FALSE(monterey->usesSeamSealerView());
    EXPECT_TRUE(monterey->pickersUseCustomPopUpButtonDrawing());
    EXPECT_FALSE(oxnard->pickersUseCustomPopUpButtonDrawing());
    EXPECT_EQ(monterey->validationAdvisoryListPopoverMargin(), 6);
}

TEST_F(ThemeTest, LightAndDarkValuesAreDecidedAtEachCall)
{
    auto mojave = VornickUITheme::createTheme(VornickUIThemeKind::Mojave);
    auto monterey = VornickUITheme::createTheme(VornickUIThemeKind::Monterey);
    auto base = VornickUITheme::createTheme(VornickUIThemeKind::Base);

    EXPECT_FALSE(mojave->looksLikeDarkMode());
    // Light Mojave: the shorthand colour is still the base one, the border already the new one.
    EXPECT_EQ(mojave->snippetShorthandTextColor(), Color::sRGB255(0, 128, 255));
    EXPECT_EQ(mojave->snippetBorderColor(), systemColor(SystemColor::QuaternaryLabel));
    EXPECT_EQ(monterey->activeWindowBottomBarGradient(), flatGrey(246));
    EXPECT_EQ(monterey->inactiveWindowBottomBarGradient(), flatGrey(236));
    EXPECT_EQ(mojave->snippetEditorHTMLSyntaxColoringPreferences(),
              VornickHTMLSyntaxColoringPreferences::fragmentEditorLightHTMLSyntaxHighlightingPreferences());

    Appearance::setCurrent(AppearanceName::DarkAqua);
    EXPECT_TRUE(mojave->looksLikeDarkMode());
    EXPECT_FALSE(base->looksLikeDarkMode());
    EXPECT_EQ(mojave->snippetShorthandTextColor(), systemColor(SystemColor::SystemOrange, true));
    Color window = systemColor(SystemColor::WindowBackground, true);
    EXPECT_EQ(monterey->activeWindowBottomBarGradient(), Gradient(window, window));
    EXPECT_EQ(monterey->inactiveWindowBottomBarGradient(), Gradient(window, window));
    EXPECT_EQ(mojave->wordPressColorPaletteBorderColor(), systemColor(SystemColor::LightGray));
    EXPECT_EQ(mojave->snippetEditorHTMLSyntaxColoringPreferences(),
              VornickHTMLSyntaxColoringPreferences::fragmentEditorDarkHTMLSyntaxHighlightingPreferences());
    EXPECT_EQ(mojave->blogLoginPanelBackgroundColor()->alphaComponent(), 0.9);
}

TEST_F(ThemeTest, DividersAreDrawnByTheThemeOrLeftToTheSplitView)
{
    SplitViewInWindow scene;
    auto base = VornickUITheme::createTheme(VornickUIThemeKind::Base);
    auto yosemite = VornickUITheme::createTheme(VornickUIThemeKind::Yosemite);
    auto monterey = VornickUITheme::createTheme(VornickUIThemeKind::Monterey);

    EXPECT_FALSE(base->drawDividerInRect(Rect(0, 100, 400, 9), *scene.splitView, scene.context));
    // A divider below the top is left to the split view under the Yosemite look.
    EXPECT_FALSE(yosemite->drawDividerInRect(Rect(0, 100, 400, 9), *scene.splitView, scene.context));
    EXPECT_TRUE(scene.context.commands().empty());

    // A divider at the top is filled, with its bottom line, in a window that is not main.
    EXPECT_TRUE(yosemite->drawDividerInRect(Rect(0, 0, 400, 9), *scene.splitView, scene.context));
    ASSERT_EQ(scene.context.commands().size(), 2u);
    EXPECT_EQ(scene.context.commands()[0].color, grey(246));
    EXPECT_EQ(scene.context.commands()[1].rect, Rect(0, 8, 400, 1));
    EXPECT_EQ(scene.context.commands()[1].color, grey(209));

    // A divider as tall as the split view is shaded as at the top, not by a division by zero.
    scene.window->makeKeyAndOrderFront();
    scene.window->makeMainWindow();
    auto flat = std::make_shared<SplitView>(Rect(0, 0, 400, 9));
    scene.window->contentView()->addSubview(flat);
    flat->addSubview(std::make_shared<View>());
    scene.context.clear();
    EXPECT_TRUE(yosemite->drawDividerInRect(Rect(0, 0, 400, 9), *flat, scene.context));
    EXPECT_EQ(scene.context.commands()[0].color, grey(209));
    scene.window->orderOut();
    Application::shared().setMainWindow(nullptr);

    scene.context.clear();
    EXPECT_TRUE(monterey->drawDividerInRect(Rect(0, 100, 400, 9), *scene.splitView, scene.context));
    ASSERT_EQ(scene.context.commands().size(), 1u);
    EXPECT_EQ(scene.context.commands()[0].color, grey(236));
    Appearance::setCurrent(AppearanceName::DarkAqua);
    EXPECT_FALSE(monterey->drawDividerInRect(Rect(0, 100, 400, 9), *scene.splitView, scene.context));

    // The base theme draws over a divider that ends at the split view's bottom edge only.
    scene.context.clear();
    base->drawOverDividerInRect(Rect(0, 100, 400, 9), *scene.splitView, scene.context);
    EXPECT_TRUE(scene.context.commands().empty());
    base->drawOverDividerInRect(Rect(0, 291, 400, 9), *scene.splitView, scene.context);
    ASSERT_EQ(scene.context.commands().size(), 2u);
    EXPECT_EQ(scene.context.commands()[0].rect, Rect(0, 291, 400, 1));
    EXPECT_EQ(scene.context.commands()[1].rect, Rect(0, 299, 400, 1));
}

TEST_F(ThemeTest, DividerFillsDependOnTheWindowsState)
{
    auto window = Window::create(Rect(0, 0, 100, 100));
    auto base = VornickUITheme::createTheme(VornickUIThemeKind::Base);
    auto yosemite = VornickUITheme::createTheme(VornickUIThemeKind::Yosemite);
    auto monterey = VornickUITheme::createTheme(VornickUIThemeKind::Monterey);

    EXPECT_EQ(base->splitViewDividerFillColorForWindow(window.get()).color, grey(246));
    EXPECT_EQ(monterey->splitViewDividerFillColorForWindow(nullptr).color, grey(236));
    EXPECT_EQ(yosemite->splitViewDividerFillColorForWindow(window.get()).patternImageName, u"VornickSplitterFillNotMainNoToolbar");
    window->setToolbarShown(true);
    window->makeKeyAndOrderFront();
    window->makeMainWindow();
    EXPECT_EQ(yosemite->splitViewDividerFillColorForWindow(window.get()).patternImageName, u"VornickSplitterFillMainWithToolbar");
    EXPECT_EQ(base->splitViewDividerFillColorForWindow(window.get()).color, Color::sRGB255(210, 208, 210));
    EXPECT_EQ(monterey->splitViewDividerFillColorForWindow(window.get()).color, grey(246));
    window->close();
}

TEST_F(ThemeTest, TheSnippetEditorPresetsTakeTheThemesBackgroundInEachAppearance)
{
    VornickUITheme::currentTheme();
    EXPECT_EQ(VornickHTMLSyntaxColoringPreferences::fragmentEditorLightHTMLSyntaxHighlightingPreferences()->backgroundColor(),
              systemColor(SystemColor::TextBackground, false));
    EXPECT_EQ(VornickHTMLSyntaxColoringPreferences::fragmentEditorDarkHTMLSyntaxHighlightingPreferences()->backgroundColor(),
              systemColor(SystemColor::TextBackground, true));
    {
        Appearance::ScopedOverride dark(AppearanceName::DarkAqua);
        EXPECT_TRUE(Appearance::currentIsDark());
    }
    EXPECT_FALSE(Appearance::currentIsDark());
}

TEST_F(ThemeTest, ResolutionAssessmentColours)
{
    auto& theme = VornickUITheme::currentTheme();
    EXPECT_EQ(theme.resolutionAssessmentBezelColorForAssessment(0), systemColor(SystemColor::DisabledControlText));
    EXPECT_EQ(theme.resolutionAssessmentBezelColorForAssessment(1), Color::sRGB255(254, 191, 48));
    EXPECT_EQ(theme.resolutionAssessmentBezelColorForAssessment(3), Color::sRGB255(102, 239, 84));
    EXPECT_FALSE(theme.resolutionAssessmentBezelColorForAssessment(4));
    EXPECT_FALSE(theme.resolutionAssessmentBezelColorForAssessment(-1));
}
