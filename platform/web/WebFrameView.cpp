#include "platform/web/WebFrameView.h"

#include "platform/web/WebFrame.h"
#include "platform/web/WebMarkedText.h"
#include "platform/web/WebPagePainter.h"

#include <algorithm>

namespace brevanton {

WebDocumentView::WebDocumentView(std::weak_ptr<WebFrame> frame)
    : m_frame(std::move(frame))
{
}

void WebDocumentView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    auto frame = webFrame();
    if (!frame)
        return;
    // A long page is drawn only where it can be seen.
    Rect area = dirtyRect.intersection(visibleRect());
    if (area.isEmpty())
        return;
    webPaintFrame(*frame, area, context);
    // An input method's composition goes over the page.
    webPaintMarkedText(*frame, area, context);
}

WebFrameView::WebFrameView(Rect frameRect, std::weak_ptr<WebFrame> frame)
    : ScrollView(frameRect)
    , m_frame(std::move(frame))
{
}

std::shared_ptr<WebFrameView> WebFrameView::create(std::weak_ptr<WebFrame> frame, Rect frameRect)
{
    auto view = std::make_shared<WebFrameView>(frameRect, frame);
    view->m_clipView = std::make_shared<ClipView>(Rect(0, 0, frameRect.width(), frameRect.height()));
    view->m_clipView->setPostsBoundsChangedNotifications(true);
    view->m_documentView = std::make_shared<WebDocumentView>(frame);
    view->m_documentView->setFrame(Rect(0, 0, frameRect.width(), frameRect.height()));
    view->m_clipView->setDocumentView(view->m_documentView);
    view->setContentView(view->m_clipView);
    return view;
}

void WebFrameView::resizeSubviewsWithOldSize(Size)
{
    // The clip view fills the frame view, less the scrollers the page needs.
    if (m_clipView)
        m_clipView->setFrame(Rect(0, 0, frame().width(), frame().height()));
    // The page is never shorter or narrower than the part showing it: a
    // frame view grown taller (which needs no new layout) shows page, and
    // takes clicks on it, all the way down.
    if (auto frame = webFrame(); frame && m_clipView && m_documentView) {
        Size laidOut = frame->layout().documentSize();
        Size shown = m_clipView->frame().size;
        Size page { std::max(laidOut.width, shown.width), std::max(laidOut.height, shown.height) };
        if (m_documentView->frame().size != page)
            m_documentView->setFrameSize(page);
    }
    tile();
}

} // namespace brevanton
