#include "ui/VornickSimpleRolloverButton.h"

#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"

#include <cmath>

namespace brevanton {

Rect VornickSimpleRolloverButton::imageRectForBounds(const Rect& bounds) const
{
    return Rect(std::floor((bounds.width() - 16) / 2), std::floor((bounds.height() - 16) / 2), 16, 16);
}

void VornickSimpleRolloverButton::draw(const Rect&, GraphicsContext& context)
{
    const auto& image = isHighlighted() ? m_alternateImage : m_image;
    if (image.empty())
        return;
    double fraction = 0.25;
    if (isEnabled()) {
        auto window = this->window();
        bool mouseInside = false;
        if (window) {
            Point mouse = convertPointFromView(window->mouseLocationOutsideOfEventStream(), nullptr);
            mouseInside = mouseInRect(mouse, bounds());
        }
        fraction = mouseInside ? 1.0 : 0.5;
    }
    context.drawImage(image, imageRectForBounds(bounds()), CompositingOperation::SourceOver, fraction);
}

} // namespace brevanton
