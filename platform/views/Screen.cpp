#include "platform/views/Screen.h"

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

} // namespace brevanton
