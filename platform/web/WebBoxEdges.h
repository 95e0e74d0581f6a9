// WebBoxEdges: the widths of a block's margins, borders and padding from its
// computed style, and the rectangles they enclose. A block's box in the
// layout is its border box: the border bands stand inside its edge, the
// padding inside them, and content inside the padding. Percentages are of
// the containing block's width, for vertical sides too.
#pragma once

#include "platform/views/Geometry.h"

#include <optional>

namespace brevanton {

struct CSSComputedValues;

struct WebEdges {
    double top { 0 };
    double right { 0 };
    double bottom { 0 };
    double left { 0 };

    double horizontal() const { return left + right; }
    double vertical() const { return top + bottom; }
    // The rectangle inside these edges (never of negative size).
    Rect inset(const Rect&) const;
};

struct WebBoxEdges {
    WebEdges margin;
    WebEdges border;
    WebEdges padding;
    // Whether the horizontal margins are "auto" (their widths above are then 0).
    bool marginLeftAuto { false };
    bool marginRightAuto { false };

    // Borders and padding together: what lies between the border box and the content.
    WebEdges frame() const;
};

// The edges of a box whose containing block is `containingWidth` wide.
WebBoxEdges webBoxEdges(const CSSComputedValues&, double containingWidth);
// The width of the border box in a containing block `containingWidth` wide:
// all of it but the margins, or the explicit width (of the content box, or of
// the border box with box-sizing: border-box) with the borders and padding.
// Auto side margins of a box of explicit width share the room left over: both
// centre it, one alone pushes it to the other side; `edges.margin.left` is set to what they leave.
double webBorderBoxWidth(const CSSComputedValues&, WebBoxEdges& edges, double containingWidth,
                         std::optional<double> explicitWidth);
// Sets `edges.margin.left` to what auto side margins leave of the room beside
// a border box `borderBoxWidth` wide: both centre it, one alone pushes it to the other side.
void webPlaceByAutoMargins(WebBoxEdges& edges, double containingWidth, double borderBoxWidth);
// Only the border widths: zero for sides whose style draws nothing.
WebEdges webBorderWidths(const CSSComputedValues&);

} // namespace brevanton
