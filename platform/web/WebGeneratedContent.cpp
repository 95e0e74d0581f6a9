#include "platform/web/WebGeneratedContent.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMElement.h"
#include "platform/views/FontMetrics.h"
#include "platform/web/WebLayout.h"

#include <algorithm>

namespace brevanton {

namespace {

using ID = CSSPropertyID;

// A length in pixels (a percentage of `base`); nullopt for "auto" and anything else.
std::optional<double> lengthOf(const CSSComputedValues& style, ID id, double base)
{
    auto* primitive = toPrimitiveValue(style.value(id));
    if (!primitive)
        return std::nullopt;
    if (primitive->primitiveType() == CSSPrimitiveValue::CSS_PERCENTAGE)
        return primitive->numberValue() * base / 100;
    if (!primitive->isLength())
        return std::nullopt;
    return primitive->getFloatValue(CSSPrimitiveValue::CSS_PX);
}

double lengthOr0(const CSSComputedValues& style, ID id, double base)
{
    return lengthOf(style, id, base).value_or(0);
}

bool isOutOfFlow(const CSSComputedValues& style)
{
    auto position = style.identifier(ID::Position);
    return position == u"absolute" || position == u"fixed";
}

bool isPositioned(const CSSComputedValues& style)
{
    auto position = style.identifier(ID::Position);
    return !position.empty() && position != u"static";
}

// The padding box of an element's box: its border box less its borders.
Rect paddingBox(const Rect& box, const CSSComputedValues& style)
{
    double top = lengthOr0(style, ID::BorderTopWidth, 0);
    double right = lengthOr0(style, ID::BorderRightWidth, 0);
    double bottom = lengthOr0(style, ID::BorderBottomWidth, 0);
    double left = lengthOr0(style, ID::BorderLeftWidth, 0);
    return Rect(box.minX() + left, box.minY() + top, std::max(0.0, box.width() - left - right),
                std::max(0.0, box.height() - top - bottom));
}

// One axis of an absolutely positioned box: where its border box starts and
// how long it is, from its offsets, its size and its margins.
struct AxisInput {
    double containingStart;
    double containingLength;
    std::optional<double> startOffset;
    std::optional<double> endOffset;
    std::optional<double> size; // of the content box
    double intrinsicSize;       // of the content box, for "auto"
    double edges;               // padding and borders of both sides
    double startMargin;
    double endMargin;
    double staticStart;         // where the border box would stand in the flow
};

std::pair<double, double> resolveAxis(const AxisInput& in)
{
    double length;
    if (in.size)
        length = std::max(0.0, *in.size) + in.edges;
    else if (in.startOffset && in.endOffset)
        length = std::max(in.edges, in.containingLength - *in.startOffset - *in.endOffset - in.startMargin - in.endMargin);
    else
        length = in.intrinsicSize + in.edges;
    double start;
    if (in.startOffset)
        start = in.containingStart + *in.startOffset + in.startMargin;
    else if (in.endOffset)
        start = in.containingStart + in.containingLength - *in.endOffset - in.endMargin - length;
    else
        start = in.staticStart;
    return { start, length };
}

} // namespace

std::optional<std::u16string> webGeneratedText(const CSSComputedValues& style)
{
    auto* content = toPrimitiveValue(style.value(ID::Content));
    if (!content || content->primitiveType() != CSSPrimitiveValue::CSS_STRING)
        return std::nullopt;
    return content->stringReference();
}

std::vector<WebGeneratedBox> webGeneratedBoxes(const WebLayout& layout, const DOMElement& element, double textSizeMultiplier)
{
    std::vector<WebGeneratedBox> boxes;
    for (auto pseudo : { CSSPseudoElement::Before, CSSPseudoElement::After }) {
        auto style = CSSStyleResolver::pseudoElementValuesFor(element, pseudo);
        if (!style || !isOutOfFlow(*style) || style->identifier(ID::Display) == u"none")
            continue;
        auto text = webGeneratedText(*style);
        if (!text)
            continue;
        Rect elementBox = layout.boundingBox(element);
        auto elementStyle = CSSStyleResolver::computedValuesFor(element);
        // Elements without a box (not rendered) generate nothing.
        if (elementBox.width() <= 0 && elementBox.height() <= 0)
            continue;

        // The containing block: the nearest positioned box at or above the element, else the page.
        Rect containing(Point(), layout.documentSize());
        if (style->identifier(ID::Position) == u"absolute") {
            for (const DOMElement* ancestor = &element; ancestor; ancestor = ancestor->parentElement().get()) {
                auto ancestorStyle = ancestor == &element ? elementStyle : CSSStyleResolver::computedValuesFor(*ancestor);
                if (isPositioned(*ancestorStyle)) {
                    containing = paddingBox(layout.boundingBox(*ancestor), *ancestorStyle);
                    break;
                }
            }
        }

        // The content's own size: its text on one line.
        FontDescriptor font = webFontDescriptor(*style, textSizeMultiplier);
        auto& metrics = FontMetricsProvider::current();
        double textWidth = text->empty() ? 0 : metrics.widthOfRun(font, *text);
        double textHeight = text->empty() ? 0 : metrics.lineMetrics(font).lineHeight;

        // Where the element's content starts: the static place of the box.
        Rect elementPadding = paddingBox(elementBox, *elementStyle);
        double staticX = elementPadding.minX() + lengthOr0(*elementStyle, ID::PaddingLeft, elementBox.width());
        double staticY = elementPadding.minY() + lengthOr0(*elementStyle, ID::PaddingTop, elementBox.width());

        double base = containing.width();
        bool borderBox = style->identifier(ID::BoxSizing) == u"border-box";
        double horizontalEdges = lengthOr0(*style, ID::PaddingLeft, base) + lengthOr0(*style, ID::PaddingRight, base)
            + lengthOr0(*style, ID::BorderLeftWidth, 0) + lengthOr0(*style, ID::BorderRightWidth, 0);
        double verticalEdges = lengthOr0(*style, ID::PaddingTop, base) + lengthOr0(*style, ID::PaddingBottom, base)
            + lengthOr0(*style, ID::BorderTopWidth, 0) + lengthOr0(*style, ID::BorderBottomWidth, 0);
        auto width = lengthOf(*style, ID::Width, base);
        auto height = lengthOf(*style, ID::Height, containing.height());
        if (borderBox && width)
            width = std::max(0.0, *width - horizontalEdges);
        if (borderBox && height)
            height = std::max(0.0, *height - verticalEdges);

        auto [x, boxWidth] = resolveAxis({ containing.minX(), containing.width(), lengthOf(*style, ID::Left, base),
                                           lengthOf(*style, ID::Right, base), width, textWidth, horizontalEdges,
                                           lengthOr0(*style, ID::MarginLeft, base), lengthOr0(*style, ID::MarginRight, base),
                                           staticX });
        auto [y, boxHeight] = resolveAxis({ containing.minY(), containing.height(),
                                            lengthOf(*style, ID::Top, containing.height()),
                                            lengthOf(*style, ID::Bottom, containing.height()), height, textHeight,
                                            verticalEdges, lengthOr0(*style, ID::MarginTop, base),
                                            lengthOr0(*style, ID::MarginBottom, base), staticY });
        boxes.push_back({ pseudo, std::move(style), std::move(*text), Rect(x, y, boxWidth, boxHeight) });
    }
    return boxes;
}

} // namespace brevanton
