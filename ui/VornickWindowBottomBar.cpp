#include "ui/VornickWindowBottomBar.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "ui/VornickUITheme.h"

namespace brevanton {

VornickWindowBottomBar::~VornickWindowBottomBar() = default;

void VornickWindowBottomBar::viewWillMoveToWindow(Window* window)
{
    m_didBecomeMainObserver.reset();
    m_didResignMainObserver.reset();
    if (!window)
        return;
    std::weak_ptr<View> weakThis = std::static_pointer_cast<View>(shared_from_this());
    auto redraw = [weakThis](const Notification&) {
        if (auto view = weakThis.lock())
            view->setNeedsDisplay(true);
    };
    auto& center = NotificationCenter::defaultCenter();
    m_didBecomeMainObserver = center.addObserver(Window::DidBecomeMainNotification, window, nullptr, redraw);
    m_didResignMainObserver = center.addObserver(Window::DidResignMainNotification, window, nullptr, redraw);
}

void VornickWindowBottomBar::draw(const Rect&, GraphicsContext& context)
{
    auto& theme = VornickUITheme::currentTheme();
    auto window = this->window();
    bool main = window && window->isMainWindow();
    auto gradient = main ? theme.activeWindowBottomBarGradient() : theme.inactiveWindowBottomBarGradient();
    if (!gradient)
        return;
    // One device pixel in points.
    double pixel = window ? 1 / window->screen().backingScaleFactor() : 1;
    Rect bounds = this->bounds();
    context.drawGradient(*gradient, bounds.insetBy(0, pixel), 90);
    auto topEdge = main ? theme.activeWindowBottomBarTopEdgeColor() : theme.inactiveWindowBottomBarTopEdgeColor();
    if (topEdge)
        context.fillRect(Rect(bounds.minX(), bounds.minY(), bounds.width(), pixel), *topEdge);
    auto bottomEdge = main ? theme.activeWindowBottomBarBottomEdgeColor() : theme.inactiveWindowBottomBarBottomEdgeColor();
    if (bottomEdge)
        context.fillRect(Rect(bounds.minX(), bounds.maxY() - pixel, bounds.width(), pixel), *bottomEdge);
}

} // namespace brevanton
