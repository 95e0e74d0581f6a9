// Two display switches: the source loupe, shown or hidden, and the section
// handles that mark every brick of the editable content. Toggling the
// handles changes the layout; the content that was in the middle of the
// visible area is scrolled back to the middle.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMRange.h"

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
    if (anchor)
        scrollRangeToVerticallyCentered(anchor);
    updateIndicator();
}

} // namespace brevanton
