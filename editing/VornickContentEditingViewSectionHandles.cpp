// Two display switches: the source loupe, shown or hidden, and the section
// handles that mark every brick of the editable content. Toggling the
// handles changes the layout; the content that was in the middle of the
// visible area is scrolled back to the middle.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMRange.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "views/VornickViewExtensions.h"

namespace brevanton {

void VornickContentEditingView::Internals::showOrHideSourceLoupe(VornickContentEditingView& view, ActionSender*)
{
    if (!view.m_internals->sourceLoupe)
        return;
    view.m_internals->sourceLoupe->showOrHide();
    if (view.m_internals->sourceLoupe->isShown())
        view.scheduleHTMLUpdateForFocusedWebFrameIfNeeded();
}

void VornickContentEditingView::Internals::vornick_toggleSectionHandlesShown(VornickContentEditingView& view, ActionSender*)
{
    view.setSectionHandlesShown(!view.m_internals->sectionHandlesShown);
}

void VornickContentEditingView::setSectionHandlesShown(bool shown)
{
    if (shown == m_internals->sectionHandlesShown)
        return;
    m_internals->sectionHandlesShown = shown;
    Rect visible = Internals::contentRect(*this);
    auto anchor = Internals::rangeForPoint(*this, Point { visible.midX(), visible.midY() }, 0, nullptr);
    // Where the anchor and the visible middle are in the page, before the
    // handles change the layout.
    auto frame = mainFrame();
    auto documentView = frame && frame->frameView() ? frame->frameView()->documentView() : nullptr;
    Rect anchorBefore;
    double middleBefore = 0;
    if (anchor && documentView && m_internals->webView) {
        anchorBefore = m_internals->webView->vornick_bestGuessBoundsOfRangeInDocumentView(*anchor, *documentView);
        middleBefore = documentView->visibleRect().midY();
    }
    auto updateIndicator = [this] {
        if (m_internals->overlayWindow)
            m_internals->overlayWindow->updateEffectiveOperationRangeIndicator();
    };
    if (shown) {
        Internals::applySectionHandlesToAllFrames(*this, true);
        updateIndicator();
    } else {
        updateIndicator();
        Internals::applySectionHandlesToAllFrames(*this, false);
    }
    if (anchor && documentView && anchorBefore.height() > documentView->visibleRect().height()) {
        // A block taller than the visible area (a long one, or the content
        // block around a point in the gap before its first child) is not
        // centred whole, which would take the page to the block's middle: the
        // place in it that was in the middle is brought back there.
        Rect anchorAfter = m_internals->webView->vornick_bestGuessBoundsOfRangeInDocumentView(*anchor, *documentView);
        double share = (middleBefore - anchorBefore.minY()) / anchorBefore.height();
        double y = anchorAfter.minY() + share * anchorAfter.height();
        vornick_scrollRectToVerticallyCentered(*documentView, Rect(anchorAfter.minX(), y, anchorAfter.width(), 1));
    } else if (anchor)
        scrollRangeToVerticallyCentered(anchor);
    updateIndicator();
}

} // namespace brevanton
