#include "platform/views/TrackingArea.h"

#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace brevanton {

bool TrackingArea::isActiveIn(const View& view, const Window& window) const
{
    if (hasOption(TrackingAreaOption::ActiveAlways) || hasOption(TrackingAreaOption::ActiveInActiveApp))
        return true;
    if (hasOption(TrackingAreaOption::ActiveInKeyWindow))
        return window.isKeyWindow();
    if (hasOption(TrackingAreaOption::ActiveWhenFirstResponder))
        return window.isKeyWindow() && window.firstResponder().get() == &view;
    return false;
}

Rect TrackingArea::effectiveRectIn(const View& view) const
{
    return hasOption(TrackingAreaOption::InVisibleRect) ? view.visibleRect() : m_rect;
}

} // namespace brevanton
