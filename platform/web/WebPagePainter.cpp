#include "platform/web/WebPagePainter.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Text.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/SystemColors.h"
#include "platform/views/Window.h"
#include "platform/web/WebBackgroundImage.h"
#include "platform/web/WebBoxEdges.h"
#include "platform/web/WebFormControls.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebGeneratedContent.h"
#include "platform/web/WebView.h"

#include <algorithm>
#include <vector>

namespace brevanton {

namespace {

const CSSPrimitiveValue* primitive(const CSSComputedValues& style, CSSPropertyID id)
{
    auto* value = style.value(id);
    return value && value->isPrimitiveValue() ? static_cast<const CSSPrimitiveValue*>(value) : nullptr;
}

// A computed colour; nullopt for none or a fully transparent one.
std::optional<Color> colorOf(const CSSComputedValues& style, CSSPropertyID id)
{
    auto* value = primitive(style, id);
    if (!value || value->primitiveType() != CSSPrimitiveValue::CSS_RGBCOLOR)
        return std::nullopt;
    CSSRGBColor color = value->getRGBColorValue();
    if (color.alpha <= 0)
        return std::nullopt;
    return Color::sRGB(color.red / 255, color.green / 255, color.blue / 255, color.alpha);
}

double pixels(const CSSComputedValues& style, CSSPropertyID id)
{
    auto* value = primitive(style, id);
    return value && value->isLength() ? std::max(0.0, value->getFloatValue(CSSPrimitiveValue::CSS_PX)) : 0;
}

bool isDrawnLineStyle(std::u16string_view style)
{
    return !style.empty() && style != u"none" && style != u"hidden";
}

// The radius a box's corners are drawn with: corners of different radii are
// all drawn with the largest. A percentage is of the box's width.
double cornerRadius(const CSSComputedValues& style, const Rect& box)
{
    double radius = 0;
    for (auto id : { CSSPropertyID::BorderTopLeftRadius, CSSPropertyID::BorderTopRightRadius,
                     CSSPropertyID::BorderBottomRightRadius, CSSPropertyID::BorderBottomLeftRadius }) {
        auto* value = primitive(style, id);
        if (!value)
            continue;
        if (value->primitiveType() == CSSPrimitiveValue::CSS_PERCENTAGE)
            radius = std::max(radius, value->numberValue() * box.width() / 100);
        else if (value->isLength())
            radius = std::max(radius, value->getFloatValue(CSSPrimitiveValue::CSS_PX));
    }
    return radius;
}

// Whether the box's content is clipped to its padding box.
bool clipsOverflow(const CSSComputedValues& style)
{
    auto overflow = style.identifier(CSSPropertyID::Overflow);
    return !overflow.empty() && overflow != u"visible";
}

double opacityOf(const CSSComputedValues& style)
{
    auto* value = primitive(style, CSSPropertyID::Opacity);
    return value && value->primitiveType() == CSSPrimitiveValue::CSS_NUMBER ? std::clamp(value->numberValue(), 0.0, 1.0) : 1;
}

class Painter {
public:
    Painter(WebFrame& frame, const Rect& rect, GraphicsContext& context)
        : m_frame(frame)
        , m_layout(frame.layout())
        , m_rect(rect)
        , m_context(context)
        , m_document(*frame.domDocument())
        , m_resolver(CSSStyleResolver::forDocument(m_document))
    {
        if (auto* webView = frame.webView()) {
            auto selection = webView->selectedDOMRange();
            if (selection && selection->startNode()->document() == &m_document)
                m_selection = selection;
            m_editable = webView->isEditable();
            auto dragCaret = webView->dragCaretDOMRange();
            if (dragCaret && dragCaret->startNode()->document() == &m_document)
                m_dragCaret = dragCaret;
            // In a window, the selection is emphasized and the caret shown only while the web view has the focus.
            if (auto window = webView->window()) {
                auto responder = std::dynamic_pointer_cast<View>(window->firstResponder());
                m_focused = responder && responder->isDescendantOf(webView);
            }
        }
        m_selectionColor = systemColor(m_focused ? SystemColor::SelectedTextBackground
                                                 : SystemColor::UnemphasizedSelectedTextBackground);
        m_generatesContent = m_resolver.stylesPseudoElements();
    }

    void paint()
    {
        paintCanvas();
        paintCanvasImage();
        m_layout.enumerateNodesInRect(
            m_document, m_rect,
            [this](const DOMNode& node, const Rect& box) {
                if (node.isTextNode())
                    paintText(node);
                else if (node.isElementNode()) {
                    auto& element = downcast<DOMElement>(node);
                    size_t firstCommand = m_context.commands().size();
                    paintElement(element, box);
                    beginEffects(element, box, firstCommand);
                }
            },
            [this](const DOMNode& node) { endEffects(node); });
        while (!m_effects.empty())
            endEffects(*m_effects.back().element);
        if (m_selection && m_selection->collapsed() && m_editable && m_focused)
            paintCaret(*m_selection);
        if (m_dragCaret)
            paintCaret(*m_dragCaret);
    }

private:
    // The root's background covers the canvas; without one, the body's does.
    void paintCanvas()
    {
        Color canvas = Color::white();
        if (auto root = m_document.documentElement()) {
            if (auto color = colorOf(*CSSStyleResolver::computedValuesFor(*root), CSSPropertyID::BackgroundColor)) {
                canvas = *color;
                m_canvasElement = root.get();
            } else if (auto body = m_document.body()) {
                if (auto bodyColor = colorOf(*CSSStyleResolver::computedValuesFor(*body), CSSPropertyID::BackgroundColor)) {
                    canvas = *bodyColor;
                    m_canvasElement = body.get();
                }
            }
        }
        m_context.fillRect(m_rect, canvas);
    }

    // The root's background image covers the canvas, from the root's box; the
    // body's does when the root has no background at all.
    void paintCanvasImage()
    {
        auto root = m_document.documentElement();
        if (!root)
            return;
        auto rootStyle = CSSStyleResolver::computedValuesFor(*root);
        const DOMElement* element = root.get();
        auto style = rootStyle;
        auto image = webBackgroundImage(m_frame, *style);
        if (!image && !colorOf(*rootStyle, CSSPropertyID::BackgroundColor) && !hasBackgroundImage(*rootStyle)) {
            if (auto body = m_document.body()) {
                element = body.get();
                style = CSSStyleResolver::computedValuesFor(*body);
                image = webBackgroundImage(m_frame, *style);
            }
        }
        if (!image)
            return;
        m_canvasImageElement = element;
        Rect origin = webBorderWidths(*rootStyle).inset(m_layout.boundingBox(*root));
        paintTiles(*image, *style, m_rect, origin.origin);
    }

    static bool hasBackgroundImage(const CSSComputedValues& style)
    {
        auto* value = primitive(style, CSSPropertyID::BackgroundImage);
        return value && value->primitiveType() == CSSPrimitiveValue::CSS_URI;
    }

    // Copies of the image from the padding box's corner, clipped to it.
    void paintBackgroundImage(const CSSComputedValues& style, const Rect& paddingBox)
    {
        if (!paddingBox.intersects(m_rect))
            return;
        if (auto image = webBackgroundImage(m_frame, style))
            paintTiles(*image, style, paddingBox, paddingBox.origin);
    }

    void paintTiles(const WebBackgroundImage& image, const CSSComputedValues& style, const Rect& clip, Point origin)
    {
        auto tiling = webBackgroundTiling(clip, origin, image.size, style.identifier(CSSPropertyID::BackgroundRepeat));
        if (tiling && tiling->area.intersects(m_rect))
            m_context.drawTiledImageFile(image.path, tiling->area, tiling->tile);
    }

    void paintElement(const DOMElement& element, const Rect& box)
    {
        auto style = CSSStyleResolver::computedValuesFor(element);
        if (style->identifier(CSSPropertyID::Visibility) == u"hidden")
            return;
        if (&element != m_canvasElement && box.width() > 0 && box.height() > 0) {
            if (auto color = colorOf(*style, CSSPropertyID::BackgroundColor))
                fillBackground(*style, box, *color);
        }
        if (&element != m_canvasImageElement && box.width() > 0 && box.height() > 0 && hasBackgroundImage(*style))
            paintBackgroundImage(*style, webBorderWidths(*style).inset(box));
        paintBorders(*style, box);
        if (element.hasTagName(u"td") || element.hasTagName(u"th") || element.hasTagName(u"table"))
            paintTableGrid(element, box);
        if (style->identifier(CSSPropertyID::Display) == u"list-item")
            paintListMarker(element, *style, box);
        if (webIsReplacedElement(element))
            paintReplaced(element, box);
        paintOutline(*style, box);
    }

    // Each side drawn as a solid band inside the box's edge.
    void paintBorders(const CSSComputedValues& style, const Rect& box)
    {
        struct Side {
            CSSPropertyID style, width, color;
        };
        static constexpr Side sides[] = {
            { CSSPropertyID::BorderTopStyle, CSSPropertyID::BorderTopWidth, CSSPropertyID::BorderTopColor },
            { CSSPropertyID::BorderRightStyle, CSSPropertyID::BorderRightWidth, CSSPropertyID::BorderRightColor },
            { CSSPropertyID::BorderBottomStyle, CSSPropertyID::BorderBottomWidth, CSSPropertyID::BorderBottomColor },
            { CSSPropertyID::BorderLeftStyle, CSSPropertyID::BorderLeftWidth, CSSPropertyID::BorderLeftColor },
        };
        if (paintRoundedBorder(style, box))
            return;
        for (size_t index = 0; index < 4; ++index) {
            auto& side = sides[index];
            if (!isDrawnLineStyle(style.identifier(side.style)))
                continue;
            double width = std::min(pixels(style, side.width), std::min(box.width(), box.height()));
            auto color = colorOf(style, side.color);
            if (width <= 0 || !color)
                continue;
            Rect band = index == 0 ? Rect(box.minX(), box.minY(), box.width(), width)
                : index == 1       ? Rect(box.maxX() - width, box.minY(), width, box.height())
                : index == 2       ? Rect(box.minX(), box.maxY() - width, box.width(), width)
                                   : Rect(box.minX(), box.minY(), width, box.height());
            m_context.fillRect(band, *color);
        }
    }

    void paintOutline(const CSSComputedValues& style, const Rect& box)
    {
        auto outlineStyle = style.identifier(CSSPropertyID::OutlineStyle);
        if (!isDrawnLineStyle(outlineStyle))
            return;
        double width = pixels(style, CSSPropertyID::OutlineWidth);
        if (width <= 0)
            return;
        Color color = colorOf(style, CSSPropertyID::OutlineColor).value_or(Color::black());
        auto path = BezierPath::bezierPathWithRect(box.insetBy(-width / 2, -width / 2));
        path.setLineWidth(width);
        if (outlineStyle == u"dashed")
            path.setLineDash({ 3 * width, 3 * width });
        else if (outlineStyle == u"dotted")
            path.setLineDash({ width, width });
        m_context.strokePath(path, color);
    }

    // A table with a border attribute draws its cells' grid.
    void paintTableGrid(const DOMElement& element, const Rect& box)
    {
        const DOMElement* table = &element;
        while (table && !table->hasTagName(u"table"))
            table = table->parentElement().get();
        if (!table)
            return;
        auto* border = table->attributeValue(u"border");
        if (!border || *border == u"0")
            return;
        m_context.strokeRect(box, Color::gray(), 1);
    }

    void paintReplaced(const DOMElement& element, const Rect& box)
    {
        if (box.isEmpty())
            return;
        if (element.hasTagName(u"img")) {
            auto base = m_frame.baseURL();
            auto url = URL::create(element.getAttribute(u"src"), base ? &*base : nullptr);
            auto path = url && url->isFileURL() ? url->fileSystemPath() : std::nullopt;
            auto* alt = element.attributeValue(u"alt");
            // A picture that could not be read shows its alt text.
            if (alt && !alt->empty() && !m_frame.imagePixelSize(element))
                webDrawMissingImage(*alt, box, fontOf(element), textColorOf(element), m_context);
            else if (path)
                m_context.drawImageFile(*path, box);
            else
                m_context.strokeRect(box, Color::lightGray(), 1);
        } else if (webIsFormControl(element))
            webDrawFormControl(element, box, fontOf(element), textColorOf(element), m_context);
        else if (element.hasTagName(u"hr"))
            m_context.strokeRect(box, Color::gray(), 1);
        else if (!element.hasTagName(u"iframe") && !element.hasTagName(u"frame"))
            m_context.strokeRect(box, Color::lightGray(), 1);
        if (m_selection && !m_selection->collapsed() && m_selection->intersectsNode(element))
            m_context.fillRect(box, m_selectionColor.withAlphaComponent(0.5));
    }

    void paintListMarker(const DOMElement& item, const CSSComputedValues& style, const Rect& box)
    {
        auto type = style.identifier(CSSPropertyID::ListStyleType);
        if (type.empty() || type == u"none")
            return;
        FontDescriptor font = webFontDescriptor(style, m_frame.webView() ? m_frame.webView()->textSizeMultiplier() : 1);
        auto& metrics = FontMetricsProvider::current();
        FontLineMetrics line = metrics.lineMetrics(font);
        double size = font.pointSize();
        // On the item's first line box, wherever its content starts it (a
        // paragraph's margin lowers it); without text, inside the item's
        // top border and padding.
        double top = box.minY() + webBoxEdges(style, box.width()).frame().top;
        double baseline = top + (line.lineHeight - line.ascent - line.descent) / 2 + line.ascent;
        if (auto first = firstTextRun(item)) {
            baseline = first->baseline;
            top = first->rect.minY();
        }
        double right = box.minX() - size / 2;
        Color color = colorOf(style, CSSPropertyID::Color).value_or(Color::black());
        if (type == u"disc" || type == u"circle" || type == u"square") {
            double diameter = size * 0.35;
            Rect mark(right - diameter, baseline - size * 0.3 - diameter / 2, diameter, diameter);
            if (type == u"square")
                m_context.fillRect(mark, color);
            else if (type == u"disc")
                m_context.fillPath(BezierPath::bezierPathWithOvalInRect(mark), color);
            else
                m_context.strokePath(BezierPath::bezierPathWithOvalInRect(mark), color);
            return;
        }
        // Numbered kinds count the items before this one from the list's start.
        long number = 1;
        if (auto parent = item.parentElement(); parent && parent->hasTagName(u"ol")) {
            if (auto* start = parent->attributeValue(u"start"))
                number = std::atol(toUTF8(*start).c_str());
        }
        for (auto* sibling = item.previous(); sibling; sibling = sibling->previous()) {
            if (sibling->isElementNode() && downcast<DOMElement>(sibling)->hasTagName(u"li"))
                ++number;
        }
        std::u16string text = webListMarkerText(number, type) + u".";
        auto carets = metrics.caretPositions(font, text);
        double left = right - carets.back();
        for (double& x : carets)
            x += left;
        m_context.drawTextRun(std::move(text), font, Rect(left, top, carets.back() - left, line.lineHeight),
                              baseline, carets, color);
    }

    FontDescriptor fontOf(const DOMElement& element) const
    {
        return webFontDescriptor(*CSSStyleResolver::computedValuesFor(element),
                                 m_frame.webView() ? m_frame.webView()->textSizeMultiplier() : 1);
    }
    Color textColorOf(const DOMElement& element) const
    {
        return colorOf(*CSSStyleResolver::computedValuesFor(element), CSSPropertyID::Color).value_or(Color::black());
    }

    // The first line box of the element's text, in document order.
    std::optional<WebTextRun> firstTextRun(const DOMElement& element) const
    {
        for (auto* node = element.traverseNext(&element); node; node = node->traverseNext(&element)) {
            if (!node->isTextNode())
                continue;
            if (auto* lines = m_layout.lineBoxes(*node); lines && !lines->empty())
                return m_layout.textRun(*node, 0);
        }
        return std::nullopt;
    }

    void paintText(const DOMNode& text)
    {
        auto* parent = text.parentElement().get();
        if (!parent)
            return;
        auto style = CSSStyleResolver::computedValuesFor(*parent);
        if (style->identifier(CSSPropertyID::Visibility) == u"hidden")
            return;
        Color color = colorOf(*style, CSSPropertyID::Color).value_or(Color::black());
        bool selected = m_selection && !m_selection->collapsed() && m_selection->intersectsNode(text);
        unsigned selectionStart = 0;
        unsigned selectionEnd = text.length();
        if (selected) {
            if (m_selection->startNode() == &text)
                selectionStart = m_selection->startOffset();
            if (m_selection->endNode() == &text)
                selectionEnd = m_selection->endOffset();
        }
        auto decorations = textDecorations(*parent);
        auto* webView = m_frame.webView();
        auto misspelled = webView ? webView->misspelledWordsToMark(text) : std::vector<std::pair<size_t, size_t>>();
        auto* lines = m_layout.lineBoxes(text);
        for (size_t index = 0; lines && index < lines->size(); ++index) {
            auto& line = (*lines)[index];
            if (!line.rect.intersects(m_rect))
                continue;
            auto run = m_layout.textRun(text, index);
            // A no-break space (and what stands for it) shows as a space.
            for (char16_t& c : run->text) {
                if (c == 0xA0 || (c == m_frame.characterShownAsSpace() && c))
                    c = u' ';
            }
            if (selected && selectionStart < line.endOffset && selectionEnd > line.startOffset) {
                double from = run->xForOffset(std::max(selectionStart, line.startOffset));
                double to = run->xForOffset(std::min(selectionEnd, line.endOffset));
                m_context.fillRect(Rect(from, line.rect.minY(), to - from, line.rect.height()), m_selectionColor);
            }
            m_context.drawTextRun(std::move(run->text), run->font, run->rect, run->baseline, run->positions, color);
            double thickness = std::max(1.0, run->font.pointSize() / 14);
            double width = run->positions.back() - run->positions.front();
            if (decorations.underline)
                m_context.fillRect(Rect(run->rect.minX(), run->baseline + thickness, width, thickness), color);
            if (decorations.lineThrough) {
                double middle = run->baseline - run->font.pointSize() * 0.3;
                m_context.fillRect(Rect(run->rect.minX(), middle, width, thickness), color);
            }
            for (auto [start, end] : misspelled) {
                if (start < line.endOffset && end > line.startOffset)
                    paintMisspellingMark(run->xForOffset(std::max<unsigned>(start, line.startOffset)),
                                         run->xForOffset(std::min<unsigned>(end, line.endOffset)), run->baseline + thickness);
            }
        }
    }

    // A misspelt word's mark: a row of red dots under it, below the baseline.
    void paintMisspellingMark(double from, double to, double top)
    {
        const Color red = Color::sRGB(0.92, 0.15, 0.12);
        constexpr double dot = 2;
        for (double x = from; x + dot <= to + 0.5; x += 2 * dot)
            m_context.fillRect(Rect(x, top, dot, dot), red);
    }

    struct Decorations {
        bool underline { false };
        bool lineThrough { false };
    };
    // Decorations reach the text of every inline element inside the element that sets them, up to its block.
    Decorations textDecorations(const DOMElement& from)
    {
        Decorations result;
        for (const DOMElement* element = &from; element; element = element->parentElement().get()) {
            auto style = CSSStyleResolver::computedValuesFor(*element);
            if (auto* value = style->value(CSSPropertyID::TextDecoration)) {
                auto text = value->cssText();
                result.underline = result.underline || text.find(u"underline") != std::u16string::npos;
                result.lineThrough = result.lineThrough || text.find(u"line-through") != std::u16string::npos;
            }
            auto display = style->identifier(CSSPropertyID::Display);
            if (display != u"inline" && !display.empty())
                break;
        }
        return result;
    }

    void paintCaret(const DOMRange& caret)
    {
        Rect rect = m_layout.caretRect(*caret.startNode(), caret.startOffset());
        if (rect.isEmpty() || !rect.intersects(m_rect))
            return;
        Color color = Color::black();
        DOMNode* node = caret.startNode();
        auto element = node->isElementNode() ? downcast<DOMElement>(node->shared_from_this()) : node->parentElement();
        if (element) {
            if (auto textColor = colorOf(*CSSStyleResolver::computedValuesFor(*element), CSSPropertyID::Color))
                color = *textColor;
        }
        m_context.fillRect(rect, color);
    }

    // --- Rounded corners, generated content, clipping and opacity

    void fillBackground(const CSSComputedValues& style, const Rect& box, const Color& color)
    {
        if (double radius = cornerRadius(style, box); radius > 0)
            m_context.fillRoundedRect(box, radius, color);
        else
            m_context.fillRect(box, color);
    }

    // A border of one style, width and colour all round a box with rounded
    // corners is one rounded stroke; false when the box has none such.
    bool paintRoundedBorder(const CSSComputedValues& style, const Rect& box)
    {
        double radius = cornerRadius(style, box);
        if (radius <= 0)
            return false;
        auto lineStyle = style.identifier(CSSPropertyID::BorderTopStyle);
        double width = pixels(style, CSSPropertyID::BorderTopWidth);
        auto color = colorOf(style, CSSPropertyID::BorderTopColor);
        const std::pair<CSSPropertyID, std::pair<CSSPropertyID, CSSPropertyID>> others[] = {
            { CSSPropertyID::BorderRightStyle, { CSSPropertyID::BorderRightWidth, CSSPropertyID::BorderRightColor } },
            { CSSPropertyID::BorderBottomStyle, { CSSPropertyID::BorderBottomWidth, CSSPropertyID::BorderBottomColor } },
            { CSSPropertyID::BorderLeftStyle, { CSSPropertyID::BorderLeftWidth, CSSPropertyID::BorderLeftColor } },
        };
        for (auto& [sideStyle, widthAndColor] : others) {
            if (style.identifier(sideStyle) != lineStyle || pixels(style, widthAndColor.first) != width
                || colorOf(style, widthAndColor.second) != color)
                return false;
        }
        if (isDrawnLineStyle(lineStyle) && width > 0 && color)
            m_context.strokeRoundedRect(box, radius, *color, std::min(width, std::min(box.width(), box.height()) / 2));
        return true;
    }

    // What an element's box does to its content: its generated boxes, drawn
    // over the content; the clip of hidden overflow; its opacity, which fades
    // everything the element drew (from `firstCommand` on) once it is done.
    struct Effects {
        const DOMElement* element { nullptr };
        size_t firstCommand { 0 };
        double opacity { 1 };
        bool clipped { false };
        std::vector<WebGeneratedBox> generated;
    };

    void beginEffects(const DOMElement& element, const Rect& box, size_t firstCommand)
    {
        auto style = m_resolver.computedValues(element);
        double opacity = opacityOf(*style);
        bool clipped = clipsOverflow(*style);
        std::vector<WebGeneratedBox> generated;
        if (m_generatesContent)
            generated = webGeneratedBoxes(m_layout, element, textSizeMultiplier());
        if (opacity >= 1 && !clipped && generated.empty())
            return;
        Effects effects { &element, firstCommand, opacity, clipped, std::move(generated) };
        if (effects.clipped) {
            // The padding box: inside the borders.
            double top = pixels(*style, CSSPropertyID::BorderTopWidth);
            double left = pixels(*style, CSSPropertyID::BorderLeftWidth);
            double right = pixels(*style, CSSPropertyID::BorderRightWidth);
            double bottom = pixels(*style, CSSPropertyID::BorderBottomWidth);
            m_context.beginClip(Rect(box.minX() + left, box.minY() + top, std::max(0.0, box.width() - left - right),
                                     std::max(0.0, box.height() - top - bottom)));
        }
        m_effects.push_back(std::move(effects));
    }

    void endEffects(const DOMNode& node)
    {
        if (m_effects.empty() || m_effects.back().element != &node)
            return;
        Effects effects = std::move(m_effects.back());
        m_effects.pop_back();
        for (auto& generated : effects.generated)
            paintGeneratedBox(generated);
        if (effects.clipped)
            m_context.endClip();
        if (effects.opacity < 1)
            m_context.fadeCommands(effects.firstCommand, effects.opacity);
    }

    void paintGeneratedBox(const WebGeneratedBox& generated)
    {
        const auto& style = *generated.style;
        if (style.identifier(CSSPropertyID::Visibility) == u"hidden" || !generated.rect.intersects(m_rect))
            return;
        double opacity = opacityOf(style);
        size_t firstCommand = m_context.commands().size();
        if (generated.rect.width() > 0 && generated.rect.height() > 0) {
            if (auto color = colorOf(style, CSSPropertyID::BackgroundColor))
                fillBackground(style, generated.rect, *color);
        }
        paintBorders(style, generated.rect);
        if (!generated.text.empty()) {
            FontDescriptor font = webFontDescriptor(style, textSizeMultiplier());
            auto& metrics = FontMetricsProvider::current();
            FontLineMetrics line = metrics.lineMetrics(font);
            double left = generated.rect.minX() + pixels(style, CSSPropertyID::BorderLeftWidth)
                + pixels(style, CSSPropertyID::PaddingLeft);
            double top = generated.rect.minY() + pixels(style, CSSPropertyID::BorderTopWidth)
                + pixels(style, CSSPropertyID::PaddingTop);
            auto positions = metrics.caretPositions(font, generated.text);
            for (double& x : positions)
                x += left;
            double baseline = top + (line.lineHeight - line.ascent - line.descent) / 2 + line.ascent;
            Color color = colorOf(style, CSSPropertyID::Color).value_or(Color::black());
            m_context.drawTextRun(generated.text, font, Rect(left, top, positions.back() - left, line.lineHeight),
                                  baseline, positions, color);
        }
        paintOutline(style, generated.rect);
        if (opacity < 1)
            m_context.fadeCommands(firstCommand, opacity);
    }

    double textSizeMultiplier() const { return m_frame.webView() ? m_frame.webView()->textSizeMultiplier() : 1; }

    WebFrame& m_frame;
    WebLayout& m_layout;
    Rect m_rect;
    GraphicsContext& m_context;
    const DOMDocument& m_document;
    CSSStyleResolver& m_resolver;
    std::shared_ptr<DOMRange> m_selection;
    std::shared_ptr<DOMRange> m_dragCaret;
    bool m_editable { false };
    bool m_focused { true };
    Color m_selectionColor;
    const DOMElement* m_canvasElement { nullptr };
    // The element whose background image the canvas drew.
    const DOMElement* m_canvasImageElement { nullptr };
    // The elements being painted whose effects end with them, innermost last.
    std::vector<Effects> m_effects;
    // Whether any style sheet makes ::before or ::after content at all.
    bool m_generatesContent { false };
};

} // namespace

std::u16string webListMarkerText(long number, std::u16string_view type)
{
    bool lower = type == u"lower-alpha" || type == u"lower-latin" || type == u"lower-roman";
    bool alpha = type == u"lower-alpha" || type == u"lower-latin" || type == u"upper-alpha" || type == u"upper-latin";
    bool roman = type == u"lower-roman" || type == u"upper-roman";
    std::u16string text;
    if (alpha && number > 0) {
        for (long rest = number; rest > 0; rest = (rest - 1) / 26)
            text.insert(text.begin(), static_cast<char16_t>((lower ? u'a' : u'A') + (rest - 1) % 26));
        return text;
    }
    if (roman && number > 0 && number < 4000) {
        static constexpr std::pair<long, std::u16string_view> numerals[] = { { 1000, u"M" }, { 900, u"CM" }, { 500, u"D" },
                                                                             { 400, u"CD" }, { 100, u"C" },  { 90, u"XC" },
                                                                             { 50, u"L" },   { 40, u"XL" },  { 10, u"X" },
                                                                             { 9, u"IX" },   { 5, u"V" },    { 4, u"IV" },
                                                                             { 1, u"I" } };
        for (auto& [value, numeral] : numerals) {
            for (; number >= value; number -= value)
                text += numeral;
        }
        return lower ? asciiLowercase(text) : text;
    }
    return toUTF16(std::to_string(number));
}

void webPaintFrame(WebFrame& frame, const Rect& rect, GraphicsContext& context)
{
    if (!frame.domDocument()) {
        context.fillRect(rect, Color::white());
        return;
    }
    frame.layout();
    Painter(frame, rect, context).paint();
}

} // namespace brevanton
