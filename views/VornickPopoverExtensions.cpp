#include "views/VornickPopoverExtensions.h"

#include "platform/views/Application.h"
#include "platform/views/View.h"

namespace brevanton {

bool vornick_hasFocus(const Popover& popover)
{
    auto popoverWindow = popover.window();
    auto keyWindow = Application::shared().keyWindow();
    if (!popoverWindow || !keyWindow)
        return false;
    auto view = std::dynamic_pointer_cast<View>(keyWindow->firstResponder());
    return view && view->window() == popoverWindow;
}

void vornick_showRelativeToMousePositionInWindow(Popover& popover, const std::shared_ptr<Window>& window, RectEdge)
{
    if (!window || !window->contentView())
        return;
    Point mouse = window->mouseLocationOutsideOfEventStream();
    Rect atMouse(mouse.x - 2, mouse.y - 2, 4, 4);
    // The rectangle is meant in the window's own unflipped coordinates, where
    // the minimum-y edge is the lower one; a flipped content view names that
    // edge the other way.
    auto contentView = window->contentView();
    RectEdge lowerEdge = contentView->isFlipped() ? RectEdge::MaxY : RectEdge::MinY;
    popover.showRelativeToRect(contentView->convertRectFromView(atMouse, nullptr), contentView, lowerEdge);
}

Rect vornick_windowFrameIfShown(const Popover& popover)
{
    auto window = popover.window();
    return popover.isShown() && window ? window->frame() : Rect();
}

bool vornick_popoverAppearsToHaveFocus(const Window& window)
{
    auto view = std::dynamic_pointer_cast<View>(window.firstResponder());
    if (!view)
        return false;
    auto viewWindow = view->window();
    return viewWindow && viewWindow.get() != &window;
}

} // namespace brevanton
