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
}

} // namespace brevanton
