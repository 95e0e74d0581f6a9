#include "ui/VornickDocumentActionButtonCell.h"

#include "platform/views/BezierPath.h"
#include "platform/views/Event.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/TrackingArea.h"
#include "views/VornickViewExtensions.h"
#include "platform/views/Window.h"

namespace brevanton {

bool VornickDocumentActionButtonCell::mouseIsInside() const
{
    auto window = this->window();
    if (!window)
        return false;
    Point mouse = convertPointFromView(window->mouseLocationOutsideOfEventStream(), nullptr);
    return mouseInRect(mouse, bounds());
}

void VornickDocumentActionButtonCell::draw(const Rect&, GraphicsContext& context)
{
    Rect frame = bounds();
    if (mouseIsInside())
        context.fillPath(BezierPath::bezierPathWithOvalInRect(frame), hoverOvalColor());
    if (!m_image)
        return;
    Size size = m_image->size();
    Rect picture(frame.midX() - size.width / 2, frame.midY() - size.height / 2, size.width, size.height);
    context.drawImage(std::shared_ptr<const Image>(m_image), picture, CompositingOperation::SourceOver, isEnabled() ? 1.0 : 0.4);
}

void VornickDocumentActionButtonCell::updateTrackingAreas()
{
    vornick_trackMouseEnteringVisibleRect(*this, m_trackingArea);
}

void VornickDocumentActionButtonCell::mouseEntered(const Event& event)
{
    if (event.trackingArea() == m_trackingArea)
        setNeedsDisplay(true);
}

void VornickDocumentActionButtonCell::mouseExited(const Event& event)
{
    if (event.trackingArea() == m_trackingArea)
        setNeedsDisplay(true);
}

} // namespace brevanton
