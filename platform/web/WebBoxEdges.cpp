#include "platform/web/WebBoxEdges.h"

#include "platform/css/CSSComputedValues.h"

#include <algorithm>

namespace brevanton {

namespace {

const CSSPrimitiveValue* primitiveValue(const CSSComputedValues& style, CSSPropertyID id)
{
    auto* value = style.value(id);
    return value && value->isPrimitiveValue() ? static_cast<const CSSPrimitiveValue*>(value) : nullptr;
}

// A length or a percentage of `base` in pixels; 0 for anything else ("auto").
double sideLength(const CSSComputedValues& style, CSSPropertyID id, double base, bool allowsNegative)
{
    auto* primitive = primitiveValue(style, id);
    if (!primitive)
        return 0;
    double pixels = 0;
    if (primitive->primitiveType() == CSSPrimitiveValue::CSS_PERCENTAGE)
        pixels = primitive->numberValue() * base / 100;
    else if (primitive->isLength())
        pixels = primitive->getFloatValue(CSSPrimitiveValue::CSS_PX);
    return allowsNegative ? pixels : std::max(0.0, pixels);
}

bool isAuto(const CSSComputedValues& style, CSSPropertyID id)
{
    auto* primitive = primitiveValue(style, id);
    return primitive && primitive->isIdentifier(u"auto");
}

} // namespace

Rect WebEdges::inset(const Rect& rect) const
{
    return Rect(rect.minX() + left, rect.minY() + top, std::max(0.0, rect.width() - horizontal()),
                std::max(0.0, rect.height() - vertical()));
}

WebEdges WebBoxEdges::frame() const
{
    return { border.top + padding.top, border.right + padding.right, border.bottom + padding.bottom,
             border.left + padding.left };
}

WebEdges webBorderWidths(const CSSComputedValues& style)
{
    // The cascade computes the width of a side without a drawn style as 0.
    return { sideLength(style, CSSPropertyID::BorderTopWidth, 0, false),
             sideLength(style, CSSPropertyID::BorderRightWidth, 0, false),
             sideLength(style, CSSPropertyID::BorderBottomWidth, 0, false),
             sideLength(style, CSSPropertyID::BorderLeftWidth, 0, false) };
}

WebBoxEdges webBoxEdges(const CSSComputedValues& style, double containingWidth)
{
    WebBoxEdges edges;
    edges.margin = { sideLength(style, CSSPropertyID::MarginTop, containingWidth, true),
                     sideLength(style, CSSPropertyID::MarginRight, containingWidth, true),
                     sideLength(style, CSSPropertyID::MarginBottom, containingWidth, true),
                     sideLength(style, CSSPropertyID::MarginLeft, containingWidth, true) };
    edges.marginLeftAuto = isAuto(style, CSSPropertyID::MarginLeft);
    edges.marginRightAuto = isAuto(style, CSSPropertyID::MarginRight);
    edges.border = webBorderWidths(style);
    edges.padding = { sideLength(style, CSSPropertyID::PaddingTop, containingWidth, false),
                      sideLength(style, CSSPropertyID::PaddingRight, containingWidth, false),
                      sideLength(style, CSSPropertyID::PaddingBottom, containingWidth, false),
                      sideLength(style, CSSPropertyID::PaddingLeft, containingWidth, false) };
    return edges;
}

double webBorderBoxWidth(const CSSComputedValues& style, WebBoxEdges& edges, double containingWidth,
                         std::optional<double> explicitWidth)
{
    if (!explicitWidth)
        return std::max(0.0, containingWidth - edges.margin.horizontal());
    WebEdges frame = edges.frame();
    bool borderBox = style.identifier(CSSPropertyID::BoxSizing) == u"border-box";
    double width = std::max(*explicitWidth + (borderBox ? 0 : frame.horizontal()), frame.horizontal());
    webPlaceByAutoMargins(edges, containingWidth, width);
    return width;
}

void webPlaceByAutoMargins(WebBoxEdges& edges, double containingWidth, double borderBoxWidth)
{
    double room = containingWidth - borderBoxWidth - edges.margin.horizontal();
    if (edges.marginLeftAuto && edges.marginRightAuto)
        edges.margin.left = std::max(0.0, room / 2);
    else if (edges.marginLeftAuto)
        edges.margin.left = std::max(0.0, room);
}

} // namespace brevanton
