#include "platform/views/Screen.h"

#include <algorithm>

namespace brevanton {

namespace {
Screen& mutableMainScreen()
{
    static Screen screen;
    return screen;
}
} // namespace

const Screen& Screen::mainScreen()
{
    return mutableMainScreen();
}

void Screen::setMainScreenFrame(const Rect& frame)
{
    mutableMainScreen().m_frame = frame;
    mutableMainScreen().m_visibleFrame = frame;
}

void Screen::setMainScreenVisibleFrame(const Rect& visibleFrame)
{
    Screen& screen = mutableMainScreen();
    Rect inside = visibleFrame.intersection(screen.m_frame);
    screen.m_visibleFrame = inside.isEmpty() ? screen.m_frame : inside;
}

Rect rectSlidInside(const Rect& rect, const Rect& area)
{
    double x = std::max(area.minX(), std::min(rect.minX(), area.maxX() - rect.width()));
    double y = std::min(area.maxY() - rect.height(), std::max(rect.minY(), area.minY()));
    return Rect(x, y, rect.width(), rect.height());
}

} // namespace brevanton
