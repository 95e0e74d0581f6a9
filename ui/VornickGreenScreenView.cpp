#include "ui/VornickGreenScreenView.h"

#include "platform/views/GraphicsContext.h"

namespace brevanton {

void VornickGreenScreenView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    context.fillRect(dirtyRect, Color::green());
}

} // namespace brevanton
