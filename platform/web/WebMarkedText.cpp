#include "platform/web/WebMarkedText.h"

#include "platform/css/CSSStyleResolver.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/GraphicsContext.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebLayout.h"
#include "platform/web/WebView.h"

#include <algorithm>

namespace brevanton {

namespace {

// The font of the text at a boundary point: the text node's own, else that
// of the element the point is in.
FontDescriptor fontAt(const WebLayout& layout, const DOMNode& node, double textSizeMultiplier)
{
    if (node.isTextNode()) {
        if (const FontDescriptor* font = layout.fontOfText(node))
            return *font;
    }
    auto element = node.isElementNode() ? downcast<DOMElement>(node.shared_from_this()) : node.parentElement();
    if (element)
        return webFontDescriptor(*CSSStyleResolver::computedValuesFor(*element), textSizeMultiplier);
    return FontDescriptor(u"", 16 * textSizeMultiplier).withMetricsRole(FontMetricsRole::Page);
}

// The clauses to underline: the input method's, else the whole text as one.
std::vector<MarkedTextClause> underlinedClauses(const MarkedText& marked)
{
    std::vector<MarkedTextClause> clauses;
    for (const auto& clause : marked.clauses) {
        size_t start = std::min(clause.location, marked.text.size());
        size_t end = std::min(start + clause.length, marked.text.size());
        if (end > start)
            clauses.push_back({ start, end - start, clause.emphasized });
    }
    if (clauses.empty())
        clauses.push_back({ 0, marked.text.size(), false });
    return clauses;
}

} // namespace

std::optional<WebMarkedTextPlacement> webMarkedTextPlacement(WebView& view)
{
    const MarkedText& marked = view.markedText();
    auto selection = view.selectedDOMRange();
    if (marked.text.empty() || !selection)
        return std::nullopt;
    DOMNode* node = selection->startNode();
    auto frame = view.frameForNode(*node);
    if (!frame || !frame->frameView())
        return std::nullopt;
    view.layoutIfNeeded();
    const WebLayout& layout = frame->layout();
    Rect caret = layout.caretRect(*node, selection->startOffset());
    if (caret.isEmpty())
        return std::nullopt;

    WebMarkedTextPlacement placement;
    placement.frame = frame;
    placement.font = fontAt(layout, *node, view.textSizeMultiplier());
    const auto& metrics = FontMetricsProvider::current();
    placement.positions = metrics.caretPositions(placement.font, marked.text);
    for (double& x : placement.positions)
        x += caret.minX();
    // Centred in the caret's line, as the line's own text is.
    FontLineMetrics line = metrics.lineMetrics(placement.font);
    placement.baseline = caret.minY() + (caret.height() - line.ascent - line.descent) / 2 + line.ascent;
    placement.underlineOffset = std::max(1.0, line.descent / 2);
    placement.box = Rect(caret.minX(), caret.minY(), placement.positions.back() - caret.minX() + 1, caret.height());
    return placement;
}

void webPaintMarkedText(WebFrame& frame, const Rect& rect, GraphicsContext& context)
{
    WebView* view = frame.webView();
    if (!view || !view->hasMarkedText())
        return;
    auto placement = webMarkedTextPlacement(*view);
    if (!placement || placement->frame.get() != &frame || !placement->box.intersects(rect))
        return;
    const MarkedText& marked = view->markedText();
    const Rect& box = placement->box;
    const auto& x = placement->positions;
    context.fillRect(box, Color::white());
    context.drawTextRun(marked.text, placement->font, box, placement->baseline, x, Color::black());
    double y = placement->baseline + placement->underlineOffset;
    for (const auto& clause : underlinedClauses(marked)) {
        // A gap between neighbouring clauses shows where one ends.
        double from = x[clause.location] + 1;
        double to = std::max(from, x[clause.location + clause.length] - 1);
        context.drawLine({ from, y }, { to, y }, Color::black(), clause.emphasized ? 2 : 1);
    }
    if (marked.showsCursor) {
        size_t cursor = std::min(marked.cursor, marked.text.size());
        context.fillRect(Rect(x[cursor], box.minY(), 1, box.height()), Color::black());
    }
}

// --- The web view's marked text

void WebView::setMarkedText(MarkedText marked)
{
    if (marked.text.empty()) {
        unmarkText();
        return;
    }
    if (!m_editable || !m_selection)
        return;
    marked.cursor = std::min(marked.cursor, marked.text.size());
    m_markedText = std::move(marked);
    redisplayMarkedText();
}

void WebView::unmarkText()
{
    if (m_markedText.text.empty())
        return;
    m_markedText = MarkedText {};
    redisplayMarkedText();
}

std::optional<Rect> WebView::firstRectForMarkedTextOffset(size_t offset)
{
    auto placement = webMarkedTextPlacement(*this);
    if (!placement)
        return std::nullopt;
    const auto& documentView = placement->frame->frameView()->documentView();
    double x = placement->positions[std::min(offset, m_markedText.text.size())];
    Rect caret(x, placement->box.minY(), 1, placement->box.height());
    return documentView->convertRectToView(caret, nullptr);
}

void WebView::redisplayMarkedText()
{
    // Underlines and the cursor reach a little past the box.
    if (auto shown = m_markedTextDocumentView.lock())
        shown->setNeedsDisplayInRect(m_markedTextShownRect.insetBy(-2, -2));
    m_markedTextDocumentView.reset();
    m_markedTextShownRect = {};
    if (auto placement = webMarkedTextPlacement(*this)) {
        m_markedTextDocumentView = placement->frame->frameView()->documentView();
        m_markedTextShownRect = placement->box;
        placement->frame->frameView()->documentView()->setNeedsDisplayInRect(placement->box.insetBy(-2, -2));
    }
}

} // namespace brevanton
