// VornickUITheme: the one place that decides the look of the chrome the
// program draws itself: fonts, colours, gradients, margins, corner radii and
// border widths of the attribute editor, the DOM path bar, the window bottom
// bar, split-view dividers, the index range indicator, snippet views, the
// media browser, the blog login panel, the WordPress colour wells, message
// popovers, the syntax colouring presets of previews and the snippet editor.
//
// The themes form a chain, one class per generation of the platform's look;
// exactly one is made for the life of the process (currentTheme), chosen
// from the view layer's version number. Views ask the theme at each draw;
// every value is computed on each call. Dark mode is no theme of its own:
// the themes from the Mojave generation on ask the current appearance at
// every call. Absent values (no colour for that element) are nullopt.
#pragma once

#include "platform/foundation/AttributedString.h"
#include "platform/foundation/Color.h"
#include "platform/views/Font.h"
#include "platform/views/Geometry.h"
#include "platform/views/Gradient.h"

#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class GraphicsContext;
class SplitView;
class VornickHTMLSyntaxColoringPreferences;
class Window;

// The classes of the chain, in the order each derives from the next.
enum class VornickUIThemeKind { Oxnard, Monterey, Catalina, Mojave, Yosemite, Mavericks, Base };

// How a divider seam is filled: a colour, or a pattern tiled from a named image.
struct VornickDividerFill {
    std::optional<Color> color;
    std::u16string patternImageName;

    friend bool operator==(const VornickDividerFill&, const VornickDividerFill&) = default;
};

using VornickSyntaxColoringPreset = std::shared_ptr<const VornickHTMLSyntaxColoringPreferences>;

class VornickUITheme {
public:
    VornickUITheme() = default;
    virtual ~VornickUITheme() = default;
    VornickUITheme(const VornickUITheme&) = delete;
    VornickUITheme& operator=(const VornickUITheme&) = delete;

    // The shared theme, made on the first call (thread-safely) for the view
    // layer's version number and never replaced. Making it gives the snippet
    // editor's colouring presets the theme's expanded snippet background.
    static VornickUITheme& currentTheme();
    // The class chosen for a version number of the platform's look.
    static VornickUIThemeKind themeKindForVersionNumber(double versionNumber);
    // A new theme of a class (tests and previews; the program uses currentTheme).
    static std::unique_ptr<VornickUITheme> createTheme(VornickUIThemeKind);
    // Hands the theme's values to the layers below that take them as
    // settings: the expanded snippet background, in light and dark.
    void installThemeValues() const;

    virtual VornickUIThemeKind kind() const { return VornickUIThemeKind::Base; }
    // Whether the appearance is dark now; only the Mojave generation on can answer true.
    virtual bool looksLikeDarkMode() const { return false; }

    // Attribute editor.
    virtual double attributeEditorMargin() const;
    virtual double attributeEditorPaddingBetweenModules() const;
    virtual double attributeValueModuleCornerRadius() const;
    virtual std::shared_ptr<const Font> attributeEditorElementLabelFont() const;
    virtual std::optional<Color> attributeEditorElementLabelColor() const;
    virtual std::shared_ptr<const Font> attributeEditorAttributeLabelFont() const;
    virtual std::optional<Color> attributeEditorAttributeLabelColor() const;
    virtual std::shared_ptr<const Font> attributeEditorAttributeValueFont() const;
    virtual std::optional<Color> attributeEditorAttributeValueColor() const;
    virtual std::optional<Color> attributeEditorReadOnlyAttributeValueColor() const;

    // WordPress colour controls.
    virtual std::optional<Color> wordPressHexColorWellBorderColor() const;
    virtual double wordPressHexColorWellBorderWidthInPoints() const;
    virtual std::optional<Color> wordPressColorPaletteBorderColor() const;
    virtual double wordPressColorPaletteBorderWidthInPoints() const;

    // Window bottom bar (and the DOM path bar's background).
    virtual std::optional<Color> activeWindowBottomBarTopEdgeColor() const;
    virtual std::optional<Gradient> activeWindowBottomBarGradient() const;
    virtual std::optional<Color> activeWindowBottomBarBottomEdgeColor() const;
    virtual std::optional<Color> inactiveWindowBottomBarTopEdgeColor() const;
    virtual std::optional<Gradient> inactiveWindowBottomBarGradient() const;
    virtual std::optional<Color> inactiveWindowBottomBarBottomEdgeColor() const;

    // DOM path bar segments.
    virtual std::optional<Color> domPathBarActiveWindowSegmentBorderColor() const;
    virtual std::optional<Color> domPathBarInactiveWindowSegmentBorderColor() const;
    virtual double domPathBarSegmentBorderWidthInPoints() const;
    virtual std::optional<Gradient> domPathBarHoveredSegmentFillGradient() const;
    virtual std::optional<Gradient> domPathBarSelectedSegmentFillGradient() const;
    virtual std::optional<Gradient> domPathBarHoveredSelectedSegmentFillGradient() const;
    virtual std::optional<Color> domPathBarStartBranchMidlineColor() const;
    virtual std::optional<Color> domPathBarStartBranchBezelLineColor() const;
    virtual std::optional<Color> domPathBarEndBranchMidlineColor() const;
    virtual std::optional<Color> domPathBarEndBranchBezelLineColor() const;
    // The path bar's two-part segment labels use the theme's emphasized and
    // detail label values.
    std::shared_ptr<const Font> domPathBarEmphasizedLabelFont() const { return emphasizedLabelFont(); }
    std::optional<Color> domPathBarEmphasizedLabelTextColor() const { return emphasizedLabelTextColor(); }
    std::shared_ptr<const Font> domPathBarDetailLabelFont() const { return detailLabelFont(); }
    std::optional<Color> domPathBarDetailLabelTextColor() const { return detailLabelTextColor(); }

    // Emphasized and detail labels.
    virtual std::shared_ptr<const Font> emphasizedLabelFont() const;
    virtual std::shared_ptr<const Font> detailLabelFont() const;
    virtual std::optional<Color> emphasizedLabelTextColor() const;
    virtual std::optional<Color> detailLabelTextColor() const;

    // Index range indicator.
    virtual std::optional<Color> indexRangeIndicatorBorderColor() const;
    virtual std::optional<Color> indexRangeIndicatorSelectedRangeFillColor() const;
    virtual std::optional<Color> indexRangeIndicatorSelectedRangeEdgeColor() const;

    // Popovers.
    virtual double messagePopoverMargin() const;
    virtual double validationAdvisoryListPopoverMargin() const;

    // Snippets.
    virtual std::optional<Color> snippetShorthandTextColor() const;
    virtual std::optional<Color> snippetBorderColor() const;
    virtual std::optional<Gradient> snippetFillGradient() const;
    virtual std::optional<Gradient> selectedSnippetFillGradient() const;
    virtual std::optional<Color> expandedSnippetFillColor() const;
    virtual std::optional<Color> selectedExpandedSnippetFillColor() const;
    virtual std::optional<Color> expandedSnippetSeparatorColor() const;
    virtual std::optional<Color> expandedSnippetTextViewBackgroundColor() const;
    virtual VornickSyntaxColoringPreset snippetEditorHTMLSyntaxColoringPreferences() const;

    // Other values.
    virtual VornickSyntaxColoringPreset formattingPreviewHTMLSyntaxColoringPreferences() const;
    virtual std::optional<Color> blogLoginPanelBackgroundColor() const;
    virtual std::optional<Color> mediaBrowserBackgroundColor() const;
    virtual std::optional<Color> mediaBrowserSelectionColor() const;
    virtual TextAttributes mediaBrowserCellsTitleAttributesKey() const;
    virtual TextAttributes mediaBrowserCellsHighlightedTitleAttributesKey() const;
    virtual TextAttributes mediaBrowserCellsSubtitleAttributesKey() const;

    // Behaviour flags.
    virtual bool usesSeamSealerView() const { return false; }
    virtual bool pickersUseCustomPopUpButtonDrawing() const { return true; }

    // Split view dividers. drawDividerInRect answers false when it drew
    // nothing and the split view should draw its standard divider; the rect
    // is in the split view's (flipped) coordinates.
    virtual bool drawDividerInRect(const Rect&, SplitView&, GraphicsContext&);
    virtual void drawOverDividerInRect(const Rect&, SplitView&, GraphicsContext&);
    // The fill of divider seams in a window (a null window counts as not main, without toolbar).
    virtual VornickDividerFill splitViewDividerFillColorForWindow(const Window*);

    // The bezel colour of an image resolution assessment (0 to 3); nullopt for other values.
    virtual std::optional<Color> resolutionAssessmentBezelColorForAssessment(long assessment) const;

protected:
    // The height of one device pixel in points in the split view.
    static double onePixel(const SplitView&);
    // Fills a rectangle with a divider fill.
    static void fillWithDividerFill(GraphicsContext&, const Rect&, const VornickDividerFill&);
};

} // namespace brevanton
