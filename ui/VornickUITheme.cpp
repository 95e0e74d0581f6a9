#include "ui/VornickUITheme.h"

#include "html/VornickHTMLSyntaxColoringPreferences.h"
#include "platform/views/Appearance.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SplitView.h"
#include "platform/views/SystemColors.h"
#include "platform/views/SystemFonts.h"
#include "platform/views/Window.h"
#include "ui/VornickUIThemeColors.h"
#include "ui/VornickUIThemeGenerations.h"

#include <cmath>
#include <mutex>

namespace brevanton {

namespace {

using theme::grey;
using theme::greyGradient;

Gradient sRGBGradient(double r1, double g1, double b1, double r2, double g2, double b2)
{
    return Gradient(Color::sRGB255(r1, g1, b1), Color::sRGB255(r2, g2, b2));
}

TextAttributes attributes(std::shared_ptr<const Font> font, Color foreground, std::optional<Color> background = std::nullopt)
{
    auto dictionary = std::make_shared<TextAttributeDictionary>();
    (*dictionary)[FontAttributeName] = std::move(font);
    (*dictionary)[ForegroundColorAttributeName] = foreground;
    if (background)
        (*dictionary)[BackgroundColorAttributeName] = *background;
    return dictionary;
}

} // namespace

VornickUIThemeKind VornickUITheme::themeKindForVersionNumber(double version)
{
    if (std::floor(version) >= 2285.0)
        return VornickUIThemeKind::Oxnard;
    if (std::floor(version) > 2022.0)
        return VornickUIThemeKind::Monterey;
    if (version >= 1671.0)
        return VornickUIThemeKind::Mojave;
    if (version >= 1343.0)
        return VornickUIThemeKind::Yosemite;
    return VornickUIThemeKind::Base;
}

std::unique_ptr<VornickUITheme> VornickUITheme::createTheme(VornickUIThemeKind kind)
{
    switch (kind) {
    case VornickUIThemeKind::Oxnard:
        return std::make_unique<VornickOxnardUITheme>();
    case VornickUIThemeKind::Monterey:
        return std::make_unique<VornickMontereyUITheme>();
    case VornickUIThemeKind::Catalina:
        return std::make_unique<VornickCatalinaUITheme>();
    case VornickUIThemeKind::Mojave:
        return std::make_unique<VornickMojaveUITheme>();
    case VornickUIThemeKind::Yosemite:
        return std::make_unique<VornickYosemiteUITheme>();
    case VornickUIThemeKind::Mavericks:
        return std::make_unique<VornickMavericksUITheme>();
    case VornickUIThemeKind::Base:
        break;
    }
    return std::make_unique<VornickUITheme>();
}

VornickUITheme& VornickUITheme::currentTheme()
{
    // Made once and never released: drawing code may ask it during exit.
    static VornickUITheme* theme = [] {
        auto* made = createTheme(themeKindForVersionNumber(ViewLayerVersionNumber)).release();
        made->installThemeValues();
        return made;
    }();
    return *theme;
}

void VornickUITheme::installThemeValues() const
{
    auto valueIn = [this](AppearanceName appearance) {
        Appearance::ScopedOverride scope(appearance);
        return expandedSnippetTextViewBackgroundColor();
    };
    auto light = valueIn(AppearanceName::Aqua);
    auto dark = valueIn(AppearanceName::DarkAqua);
    if (light && dark)
        VornickHTMLSyntaxColoringPreferences::setExpandedSnippetTextViewBackgroundColor(*light, *dark);
}

// Attribute editor.
double VornickUITheme::attributeEditorMargin() const { return 0; }
double VornickUITheme::attributeEditorPaddingBetweenModules() const { return 4; }
double VornickUITheme::attributeValueModuleCornerRadius() const { return 4; }
std::shared_ptr<const Font> VornickUITheme::attributeEditorElementLabelFont() const { return Font::fontWithName(u"Menlo Bold", 18); }
std::optional<Color> VornickUITheme::attributeEditorElementLabelColor() const { return Color::sRGB255(55, 102, 117); }
std::shared_ptr<const Font> VornickUITheme::attributeEditorAttributeLabelFont() const { return Font::fontWithName(u"Menlo", 13); }
std::optional<Color> VornickUITheme::attributeEditorAttributeLabelColor() const { return attributeEditorElementLabelColor(); }
std::shared_ptr<const Font> VornickUITheme::attributeEditorAttributeValueFont() const { return attributeEditorAttributeLabelFont(); }
std::optional<Color> VornickUITheme::attributeEditorAttributeValueColor() const { return attributeEditorAttributeLabelColor(); }
std::optional<Color> VornickUITheme::attributeEditorReadOnlyAttributeValueColor() const { return systemColor(SystemColor::DisabledControlText); }

// WordPress colour controls.
std::optional<Color> VornickUITheme::wordPressHexColorWellBorderColor() const { return Color::black(); }
double VornickUITheme::wordPressHexColorWellBorderWidthInPoints() const { return 1.0; }
std::optional<Color> VornickUITheme::wordPressColorPaletteBorderColor() const { return Color::black(); }
double VornickUITheme::wordPressColorPaletteBorderWidthInPoints() const { return 1.0; }

// Window bottom bar.
std::optional<Color> VornickUITheme::activeWindowBottomBarTopEdgeColor() const { return grey(212); }
std::optional<Gradient> VornickUITheme::activeWindowBottomBarGradient() const { return greyGradient(193, 253); }
std::optional<Color> VornickUITheme::activeWindowBottomBarBottomEdgeColor() const { return grey(125); }
std::optional<Color> VornickUITheme::inactiveWindowBottomBarTopEdgeColor() const { return activeWindowBottomBarTopEdgeColor(); }
std::optional<Gradient> VornickUITheme::inactiveWindowBottomBarGradient() const { return activeWindowBottomBarGradient(); }
std::optional<Color> VornickUITheme::inactiveWindowBottomBarBottomEdgeColor() const { return activeWindowBottomBarBottomEdgeColor(); }

// DOM path bar segments.
std::optional<Color> VornickUITheme::domPathBarActiveWindowSegmentBorderColor() const { return grey(176); }
std::optional<Color> VornickUITheme::domPathBarInactiveWindowSegmentBorderColor() const { return grey(226); }
double VornickUITheme::domPathBarSegmentBorderWidthInPoints() const { return 1.0; }
std::optional<Gradient> VornickUITheme::domPathBarHoveredSegmentFillGradient() const { return sRGBGradient(215, 234, 253, 164, 183, 203); }
std::optional<Gradient> VornickUITheme::domPathBarSelectedSegmentFillGradient() const { return sRGBGradient(219, 234, 251, 139, 149, 165); }
std::optional<Gradient> VornickUITheme::domPathBarHoveredSelectedSegmentFillGradient() const { return sRGBGradient(186, 218, 251, 116, 147, 177); }
std::optional<Color> VornickUITheme::domPathBarStartBranchMidlineColor() const { return grey(204); }
std::optional<Color> VornickUITheme::domPathBarStartBranchBezelLineColor() const { return grey(172); }
std::optional<Color> VornickUITheme::domPathBarEndBranchMidlineColor() const { return grey(204); }
std::optional<Color> VornickUITheme::domPathBarEndBranchBezelLineColor() const { return grey(236); }

// Labels.
std::shared_ptr<const Font> VornickUITheme::emphasizedLabelFont() const { return Font::fontWithName(u"Lucida Grande Bold", 14); }
std::shared_ptr<const Font> VornickUITheme::detailLabelFont() const { return Font::fontWithName(u"Lucida Grande", 11); }
std::optional<Color> VornickUITheme::emphasizedLabelTextColor() const { return systemColor(SystemColor::ControlText); }
std::optional<Color> VornickUITheme::detailLabelTextColor() const { return Color::genericGamma22White(0.4); }

// Index range indicator.
std::optional<Color> VornickUITheme::indexRangeIndicatorBorderColor() const { return systemColor(SystemColor::LightGray); }
std::optional<Color> VornickUITheme::indexRangeIndicatorSelectedRangeFillColor() const { return systemColor(SystemColor::SelectedTextBackground); }
std::optional<Color> VornickUITheme::indexRangeIndicatorSelectedRangeEdgeColor() const { return Color::black(); }

// Popovers.
double VornickUITheme::messagePopoverMargin() const { return 10; }
double VornickUITheme::validationAdvisoryListPopoverMargin() const { return 0; }

// Snippets.
std::optional<Color> VornickUITheme::snippetShorthandTextColor() const { return Color::sRGB255(0, 128, 255); }
std::optional<Color> VornickUITheme::snippetBorderColor() const { return grey(151); }
std::optional<Gradient> VornickUITheme::snippetFillGradient() const { return greyGradient(255, 226); }
std::optional<Gradient> VornickUITheme::selectedSnippetFillGradient() const { return sRGBGradient(219, 236, 255, 168, 178, 195); }
std::optional<Color> VornickUITheme::expandedSnippetFillColor() const { return grey(240); }
std::optional<Color> VornickUITheme::selectedExpandedSnippetFillColor() const { return Color::sRGB255(225, 232, 238); }
std::optional<Color> VornickUITheme::expandedSnippetSeparatorColor() const { return grey(200); }
std::optional<Color> VornickUITheme::expandedSnippetTextViewBackgroundColor() const { return grey(245); }
VornickSyntaxColoringPreset VornickUITheme::snippetEditorHTMLSyntaxColoringPreferences() const
{
    return VornickHTMLSyntaxColoringPreferences::fragmentEditorLightHTMLSyntaxHighlightingPreferences();
}

// Other values.
VornickSyntaxColoringPreset VornickUITheme::formattingPreviewHTMLSyntaxColoringPreferences() const
{
    return VornickHTMLSyntaxColoringPreferences::formattingPreviewLightHTMLSyntaxHighlightingPreferences();
}
std::optional<Color> VornickUITheme::blogLoginPanelBackgroundColor() const { return Color::genericGamma22White(1.0, 0.9); }
std::optional<Color> VornickUITheme::mediaBrowserBackgroundColor() const { return systemColor(SystemColor::WindowBackground); }
std::optional<Color> VornickUITheme::mediaBrowserSelectionColor() const { return systemColor(SystemColor::SelectedTextBackground); }
TextAttributes VornickUITheme::mediaBrowserCellsTitleAttributesKey() const
{
    return attributes(systemFontOfSize(SystemFontSize), systemColor(SystemColor::Label));
}
TextAttributes VornickUITheme::mediaBrowserCellsHighlightedTitleAttributesKey() const
{
    return attributes(systemFontOfSize(SystemFontSize), systemColor(SystemColor::SelectedText),
                      systemColor(SystemColor::SelectedTextBackground));
}
TextAttributes VornickUITheme::mediaBrowserCellsSubtitleAttributesKey() const
{
    return attributes(labelFontOfSize(LabelFontSize), systemColor(SystemColor::SecondaryLabel));
}

// Dividers.
double VornickUITheme::onePixel(const SplitView&)
{
    // The headless view layer has one pixel per point.
    return 1.0;
}

void VornickUITheme::fillWithDividerFill(GraphicsContext& context, const Rect& rect, const VornickDividerFill& fill)
{
    if (fill.color)
        context.fillRect(rect, *fill.color);
    else if (!fill.patternImageName.empty())
        context.drawImage(fill.patternImageName, rect);
}

bool VornickUITheme::drawDividerInRect(const Rect&, SplitView&, GraphicsContext&)
{
    return false;
}

void VornickUITheme::drawOverDividerInRect(const Rect& rect, SplitView& splitView, GraphicsContext& context)
{
    Rect bounds = splitView.bounds();
    if (std::fabs(bounds.maxY() - rect.maxY()) >= 1.0)
        return;
    double pixel = onePixel(splitView);
    Color line = Color::genericGamma22White(0.84);
    context.fillRect(Rect(rect.minX(), rect.minY(), rect.width(), pixel), line);
    context.fillRect(Rect(bounds.minX(), bounds.maxY() - pixel, bounds.width(), pixel), line);
}

VornickDividerFill VornickUITheme::splitViewDividerFillColorForWindow(const Window* window)
{
    if (window && window->isMainWindow())
        return { Color::sRGB255(210, 208, 210), {} };
    return { grey(246), {} };
}

std::optional<Color> VornickUITheme::resolutionAssessmentBezelColorForAssessment(long assessment) const
{
    switch (assessment) {
    case 0:
        return systemColor(SystemColor::DisabledControlText);
    case 1:
        return Color::sRGB255(254, 191, 48);
    case 2:
        return Color::sRGB255(101, 198, 85);
    case 3:
        return Color::sRGB255(102, 239, 84);
    default:
        return std::nullopt;
    }
}

} // namespace brevanton
