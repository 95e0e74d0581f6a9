// The themes of the later generations of the platform's look. Each derives
// from the one before it and overrides only what its generation changed.
#pragma once

#include "ui/VornickUITheme.h"

namespace brevanton {

// Never chosen itself: carries the seam sealer and the patterned divider fills.
class VornickMavericksUITheme : public VornickUITheme {
public:
    VornickUIThemeKind kind() const override { return VornickUIThemeKind::Mavericks; }
    bool usesSeamSealerView() const override { return true; }
    VornickDividerFill splitViewDividerFillColorForWindow(const Window*) override;
};

class VornickYosemiteUITheme : public VornickMavericksUITheme {
public:
    VornickUIThemeKind kind() const override { return VornickUIThemeKind::Yosemite; }
    double attributeEditorMargin() const override { return 2; }
    std::optional<Color> activeWindowBottomBarTopEdgeColor() const override;
    std::optional<Gradient> activeWindowBottomBarGradient() const override;
    std::optional<Color> activeWindowBottomBarBottomEdgeColor() const override { return std::nullopt; }
    std::optional<Color> inactiveWindowBottomBarTopEdgeColor() const override;
    std::optional<Gradient> inactiveWindowBottomBarGradient() const override;
    std::optional<Color> inactiveWindowBottomBarBottomEdgeColor() const override { return std::nullopt; }
    std::optional<Color> domPathBarActiveWindowSegmentBorderColor() const override;
    std::optional<Color> domPathBarInactiveWindowSegmentBorderColor() const override;
    double domPathBarSegmentBorderWidthInPoints() const override { return 1.5; }
    std::optional<Gradient> domPathBarHoveredSegmentFillGradient() const override;
    std::optional<Gradient> domPathBarSelectedSegmentFillGradient() const override;
    std::optional<Gradient> domPathBarHoveredSelectedSegmentFillGradient() const override;
    std::optional<Color> indexRangeIndicatorBorderColor() const override;
    std::optional<Color> indexRangeIndicatorSelectedRangeFillColor() const override;
    bool drawDividerInRect(const Rect&, SplitView&, GraphicsContext&) override;
};

// The first generation with a dark appearance: values marked light/dark
// follow the appearance at each call.
class VornickMojaveUITheme : public VornickYosemiteUITheme {
public:
    VornickUIThemeKind kind() const override { return VornickUIThemeKind::Mojave; }
    bool looksLikeDarkMode() const override;
    std::optional<Color> attributeEditorElementLabelColor() const override;
    std::optional<Color> wordPressHexColorWellBorderColor() const override;
    std::optional<Color> wordPressColorPaletteBorderColor() const override;
    std::optional<Color> activeWindowBottomBarTopEdgeColor() const override { return std::nullopt; }
    std::optional<Gradient> activeWindowBottomBarGradient() const override;
    std::optional<Color> inactiveWindowBottomBarTopEdgeColor() const override { return std::nullopt; }
    std::optional<Gradient> inactiveWindowBottomBarGradient() const override;
    std::optional<Gradient> domPathBarHoveredSegmentFillGradient() const override;
    std::optional<Gradient> domPathBarSelectedSegmentFillGradient() const override;
    std::optional<Gradient> domPathBarHoveredSelectedSegmentFillGradient() const override;
    std::optional<Color> domPathBarStartBranchMidlineColor() const override;
    std::optional<Color> domPathBarStartBranchBezelLineColor() const override { return std::nullopt; }
    std::optional<Color> domPathBarEndBranchMidlineColor() const override;
    std::optional<Color> domPathBarEndBranchBezelLineColor() const override { return std::nullopt; }
    std::shared_ptr<const Font> emphasizedLabelFont() const override;
    std::shared_ptr<const Font> detailLabelFont() const override;
    std::optional<Color> emphasizedLabelTextColor() const override;
    std::optional<Color> detailLabelTextColor() const override;
    std::optional<Color> indexRangeIndicatorBorderColor() const override;
    std::optional<Color> indexRangeIndicatorSelectedRangeFillColor() const override;
    std::optional<Color> indexRangeIndicatorSelectedRangeEdgeColor() const override;
    std::optional<Color> snippetShorthandTextColor() const override;
    std::optional<Color> snippetBorderColor() const override;
    std::optional<Gradient> snippetFillGradient() const override;
    std::optional<Gradient> selectedSnippetFillGradient() const override;
    std::optional<Color> expandedSnippetFillColor() const override;
    std::optional<Color> selectedExpandedSnippetFillColor() const override;
    std::optional<Color> expandedSnippetSeparatorColor() const override;
    std::optional<Color> expandedSnippetTextViewBackgroundColor() const override;
    VornickSyntaxColoringPreset snippetEditorHTMLSyntaxColoringPreferences() const override;
    VornickSyntaxColoringPreset formattingPreviewHTMLSyntaxColoringPreferences() const override;
    std::optional<Color> blogLoginPanelBackgroundColor() const override;
};

// Never chosen itself; changes nothing a chosen theme uses.
class VornickCatalinaUITheme : public VornickMojaveUITheme {
public:
    VornickUIThemeKind kind() const override { return VornickUIThemeKind::Catalina; }
};

class VornickMontereyUITheme : public VornickCatalinaUITheme {
public:
    VornickUIThemeKind kind() const override { return VornickUIThemeKind::Monterey; }
    double attributeEditorMargin() const override { return 4; }
    double attributeEditorPaddingBetweenModules() const override { return 4; }
    double attributeValueModuleCornerRadius() const override { return 7; }
    std::optional<Gradient> activeWindowBottomBarGradient() const override;
    std::optional<Gradient> inactiveWindowBottomBarGradient() const override;
    double validationAdvisoryListPopoverMargin() const override { return 6; }
    bool usesSeamSealerView() const override { return false; }
    bool drawDividerInRect(const Rect&, SplitView&, GraphicsContext&) override;
    void drawOverDividerInRect(const Rect&, SplitView&, GraphicsContext&) override {}
    VornickDividerFill splitViewDividerFillColorForWindow(const Window*) override;
};

class VornickOxnardUITheme : public VornickMontereyUITheme {
public:
    VornickUIThemeKind kind() const override { return VornickUIThemeKind::Oxnard; }
    bool pickersUseCustomPopUpButtonDrawing() const override { return false; }
};

} // namespace brevanton
