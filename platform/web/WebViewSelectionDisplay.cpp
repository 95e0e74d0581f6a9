// Redrawing the selection where it changed: the caret's rectangle, or the
// lines a range covers, where the selection was shown and where it is now,
// instead of the whole visible page.
#include "platform/web/WebView.h"

#include "platform/dom/DOMRange.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "platform/web/WebLayout.h"

namespace brevanton {

namespace {

// The part of its frame's page a selection covers: the caret with a little
// room, or every line from the start's to the end's, across the page.
Rect selectionArea(WebFrame& frame, const DOMRange& range)
{
    auto& layout = frame.layout();
    Rect start = layout.caretRect(*range.startContainer(), range.startOffset());
    // While misspelt words are marked, the caret's line is drawn again
    // across: the word it leaves gets its mark.
    if (range.collapsed() && !start.isEmpty() && WebView::isContinuousSpellCheckingEnabled()) {
        double width = std::max(layout.documentSize().width, frame.frameView()->documentView()->bounds().width());
        return Rect(0, start.minY() - 2, width, start.height() + 4);
    }
    if (range.collapsed())
        return start.isEmpty() ? Rect() : start.insetBy(-2, -2);
    Rect end = layout.caretRect(*range.endContainer(), range.endOffset());
    double top = std::min(start.minY(), end.minY());
    double bottom = std::max(start.maxY(), end.maxY());
    // Elements the range holds are emphasized with their whole boxes.
    for (auto* node : { range.startContainer().get(), range.endContainer().get() }) {
        Rect box = layout.boundingBox(*node);
        if (!box.isEmpty() && !node->isTextNode()) {
            top = std::min(top, box.minY());
            bottom = std::max(bottom, box.maxY());
        }
    }
    double width = std::max(layout.documentSize().width, frame.frameView()->documentView()->bounds().width());
    return Rect(0, top - 2, width, bottom - top + 4);
}

} // namespace

void WebView::redisplaySelection()
{
    if (auto shown = m_selectionDocumentView.lock(); shown && !m_selectionShownRect.isEmpty())
        shown->setNeedsDisplayInRect(m_selectionShownRect);
    m_selectionDocumentView.reset();
    m_selectionShownRect = Rect();
    if (!m_mainFrame || !m_selection || !m_selection->startContainer())
        return;
    auto frame = frameForNode(*m_selection->startContainer());
    if (!frame || !frame->frameView())
        return;
    auto page = frame->frameView()->documentView();
    // A page no window shows draws its selection once it is shown: nothing
    // is laid out for it now (a post's template takes its fields first).
    if (!page || !page->window())
        return;
    Rect area = selectionArea(*frame, *m_selection);
    if (area.isEmpty())
        return;
    page->setNeedsDisplayInRect(area);
    m_selectionDocumentView = page;
    m_selectionShownRect = area;
}

} // namespace brevanton
