#include "views/VornickInitialWindowFrame.h"

#include "platform/views/Screen.h"

#include <algorithm>

namespace brevanton {

Rect vornick_initialWindowFrame(Size preferred, Size minimum, double margin)
{
    Rect visible = Screen::mainScreen().visibleFrame();
    double width = std::max(minimum.width, std::min(preferred.width, visible.width() - 2 * margin));
    double height = std::max(minimum.height, std::min(preferred.height, visible.height() - 2 * margin));
    return Rect(visible.minX() + margin, visible.maxY() - margin - height, width, height);
}

} // namespace brevanton
