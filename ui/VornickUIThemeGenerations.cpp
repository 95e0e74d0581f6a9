#include "ui/VornickUIThemeGenerations.h"

#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/views/Appearance.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SplitView.h"
#include "platform/views/SystemColors.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/Window.h"
#include "ui/VornickUIThemeColors.h"

namespace brevanton {

namespace {

using theme::grey;
using theme::greyGradient;

Gradient sRGBGreyGradient(double from, double to)
{
    return Gradient(Color::sRGB255(from, from, from), Color::sRGB255(to, to, to));
}

Gradient flat(Color color)
{
    return Gradient(color, color);
}

} // namespace

// --- Mavericks

VornickDividerFill VornickMavericksUITheme::splitViewDividerFillColorForWindow(const Window* window)
{
    bool main = window && window->isMainWindow();
    bool toolbar = window && window->toolbarIsShown();
    if (toolbar)
        return { std::nullopt, main ? u"VornickSplitterFillMainWithToolbar" : u"VornickSplitterFillNotMainWithToolbar" };
    return { std::nullopt, main ? u"VornickSplitterFillMainNoToolbar" : u"VornickSplitterFillNotMainNoToolbar" };
}

// --- Yosemite

std::optional<Color> VornickYosemiteUITheme::activeWindowBottomBarTopEdgeColor() const { return grey(176); }
std::optional<Gradient> VornickYosemiteUITheme::activeWindowBottomBarGradient() const { return greyGradient(219, 216); }
std::optional<Color> VornickYosemiteUITheme::inactiveWindowBottomBarTopEdgeColor() const { return grey(209); }
std::optional<Gradient> VornickYosemiteUITheme::inactiveWindowBottomBarGradient() const { return greyGradient(249, 246); }
std::optional<Color> VornickYosemiteUITheme::domPathBarActiveWindowSegmentBorderColor() const { return systemColor(SystemColor::QuaternaryLabel); }
std::optional<Color> VornickYosemiteUITheme::domPathBarInactiveWindowSegmentBorderColor() const { return domPathBarActiveWindowSegmentBorderColor(); }
std::optional<Gradient> VornickYosemiteUITheme::domPathBarHoveredSegmentFillGradient() const { return greyGradient(239, 236); }
std::optional<Gradient> VornickYosemiteUITheme::domPathBarSelectedSegmentFillGradient() const { return greyGradient(239, 236); }
std::optional<Gradient> VornickYosemiteUITheme::domPathBarHoveredSelectedSegmentFillGradient() const { return greyGradient(249, 246); }
std::optional<Color> VornickYosemiteUITheme::indexRangeIndicatorBorderColor() const { return grey(176); }
std::optional<Color> VornickYosemiteUITheme::indexRangeIndicatorSelectedRangeFillColor() const { return Color::sRGB255(183, 208, 222); }

bool VornickYosemiteUITheme::drawDividerInRect(const Rect& rect, SplitView& splitView, GraphicsContext& context)
{
    if (rect.minY() >= 1.0 || splitView.subviews().empty())
        return false;
    Rect bounds = splitView.bounds();
    auto window = splitView.window();
    bool main = window && window->isMainWindow();
    double span = bounds.height() - rect.height();
    double shade = main ? 209 + (span != 0 ? 10 * rect.minY() / span : 0) : 246;
    context.fillRect(rect, grey(shade));
    if (rect.maxY() < bounds.maxY()) {
        double pixel = onePixel(splitView);
        context.fillRect(Rect(rect.minX(), rect.maxY() - pixel, rect.width(), pixel), grey(main ? 176 : 209));
    }
    return true;
}

// --- Mojave

bool VornickMojaveUITheme::looksLikeDarkMode() const
{
    return Appearance::currentIsDark();
}

std::optional<Color> VornickMojaveUITheme::attributeEditorElementLabelColor() const { return systemColor(SystemColor::SystemTeal); }

std::optional<Color> VornickMojaveUITheme::wordPressHexColorWellBorderColor() const
{
    return systemColor(looksLikeDarkMode() ? SystemColor::LightGray : SystemColor::DarkGray);
}

std::optional<Color> VornickMojaveUITheme::wordPressColorPaletteBorderColor() const { return wordPressHexColorWellBorderColor(); }

std::optional<Gradient> VornickMojaveUITheme::activeWindowBottomBarGradient() const
{
    return flat(systemColor(SystemColor::WindowBackground));
}

std::optional<Gradient> VornickMojaveUITheme::inactiveWindowBottomBarGradient() const { return activeWindowBottomBarGradient(); }

std::optional<Gradient> VornickMojaveUITheme::domPathBarHoveredSegmentFillGradient() const
{
    return looksLikeDarkMode() ? sRGBGreyGradient(100, 70) : greyGradient(249, 241);
}

std::optional<Gradient> VornickMojaveUITheme::domPathBarSelectedSegmentFillGradient() const
{
    return looksLikeDarkMode() ? sRGBGreyGradient(162, 100) : greyGradient(255, 246);
}

std::optional<Gradient> VornickMojaveUITheme::domPathBarHoveredSelectedSegmentFillGradient() const
{
    return looksLikeDarkMode() ? sRGBGreyGradient(192, 130) : greyGradient(255, 255);
}

std::optional<Color> VornickMojaveUITheme::domPathBarStartBranchMidlineColor() const { return systemColor(SystemColor::Separator); }
std::optional<Color> VornickMojaveUITheme::domPathBarEndBranchMidlineColor() const { return systemColor(SystemColor::Separator); }
std::shared_ptr<const Font> VornickMojaveUITheme::emphasizedLabelFont() const { return boldSystemFontOfSize(14); }
std::shared_ptr<const Font> VornickMojaveUITheme::detailLabelFont() const { return systemFontOfSize(11); }
std::optional<Color> VornickMojaveUITheme::emphasizedLabelTextColor() const { return systemColor(SystemColor::Label); }
std::optional<Color> VornickMojaveUITheme::detailLabelTextColor() const { return systemColor(SystemColor::SecondaryLabel); }
std::optional<Color> VornickMojaveUITheme::indexRangeIndicatorBorderColor() const { return systemColor(SystemColor::TertiaryLabel); }
std::optional<Color> VornickMojaveUITheme::indexRangeIndicatorSelectedRangeFillColor() const { return systemColor(SystemColor::SelectedTextBackground); }
std::optional<Color> VornickMojaveUITheme::indexRangeIndicatorSelectedRangeEdgeColor() const { return systemColor(SystemColor::Text); }

std::optional<Color> VornickMojaveUITheme::snippetShorthandTextColor() const
{
    return looksLikeDarkMode() ? systemColor(SystemColor::SystemOrange) : VornickYosemiteUITheme::snippetShorthandTextColor();
}

std::optional<Color> VornickMojaveUITheme::snippetBorderColor() const { return systemColor(SystemColor::QuaternaryLabel); }

std::optional<Gradient> VornickMojaveUITheme::snippetFillGradient() const
{
    if (!looksLikeDarkMode())
        return VornickYosemiteUITheme::snippetFillGradient();
    return Gradient(systemColor(SystemColor::TertiaryLabel), systemColor(SystemColor::QuaternaryLabel));
}

std::optional<Gradient> VornickMojaveUITheme::selectedSnippetFillGradient() const
{
    if (!looksLikeDarkMode())
        return VornickYosemiteUITheme::selectedSnippetFillGradient();
    return Gradient(systemColor(SystemColor::SecondaryLabel), systemColor(SystemColor::TertiaryLabel));
}

std::optional<Color> VornickMojaveUITheme::expandedSnippetFillColor() const
{
    return looksLikeDarkMode() ? systemColor(SystemColor::QuaternaryLabel) : VornickYosemiteUITheme::expandedSnippetFillColor();
}

std::optional<Color> VornickMojaveUITheme::selectedExpandedSnippetFillColor() const
{
    return looksLikeDarkMode() ? systemColor(SystemColor::TertiaryLabel) : VornickYosemiteUITheme::selectedExpandedSnippetFillColor();
}

std::optional<Color> VornickMojaveUITheme::expandedSnippetSeparatorColor() const { return systemColor(SystemColor::TertiaryLabel); }
std::optional<Color> VornickMojaveUITheme::expandedSnippetTextViewBackgroundColor() const { return systemColor(SystemColor::TextBackground); }

VornickSyntaxColoringPreset VornickMojaveUITheme::snippetEditorHTMLSyntaxColoringPreferences() const
{
    if (!looksLikeDarkMode())
        return VornickYosemiteUITheme::snippetEditorHTMLSyntaxColoringPreferences();
    return VornickHTMLSyntaxColoringPreferences::fragmentEditorDarkHTMLSyntaxHighlightingPreferences();
}

VornickSyntaxColoringPreset VornickMojaveUITheme::formattingPreviewHTMLSyntaxColoringPreferences() const
{
    if (!looksLikeDarkMode())
        return VornickYosemiteUITheme::formattingPreviewHTMLSyntaxColoringPreferences();
    return VornickHTMLSyntaxColoringPreferences::formattingPreviewDarkHTMLSyntaxHighlightingPreferences();
}

std::optional<Color> VornickMojaveUITheme::blogLoginPanelBackgroundColor() const
{
    Color window = systemColor(SystemColor::WindowBackground);
    return window.space() == Color::Space::SRGB
        ? Color::sRGB(window.redComponent(), window.greenComponent(), window.blueComponent(), 0.9)
        : Color::genericGamma22White(window.whiteComponent(), 0.9);
}

// --- Monterey

std::optional<Gradient> VornickMontereyUITheme::activeWindowBottomBarGradient() const
{
    return looksLikeDarkMode() ? VornickCatalinaUITheme::activeWindowBottomBarGradient() : greyGradient(246, 246);
}

std::optional<Gradient> VornickMontereyUITheme::inactiveWindowBottomBarGradient() const
{
    return looksLikeDarkMode() ? VornickCatalinaUITheme::activeWindowBottomBarGradient() : greyGradient(236, 236);
}

bool VornickMontereyUITheme::drawDividerInRect(const Rect& rect, SplitView& splitView, GraphicsContext& context)
{
    if (looksLikeDarkMode())
        return false;
    auto window = splitView.window();
    fillWithDividerFill(context, rect, splitViewDividerFillColorForWindow(window.get()));
    return true;
}

VornickDividerFill VornickMontereyUITheme::splitViewDividerFillColorForWindow(const Window* window)
{
    return { grey(window && window->isMainWindow() ? 246 : 236), {} };
}

} // namespace brevanton
