#include "platform/views/qt/QtScreenGeometry.h"

#include "platform/views/Screen.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <algorithm>

namespace brevanton {

void adoptQtPrimaryScreenGeometry(int roomAboveContent)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect whole = screen->geometry();
    QRect available = screen->availableGeometry();
    if (whole.isEmpty())
        return;
    // Qt counts from the top-left corner of the screen, down; the view layer
    // from the bottom-left, up.
    Screen::setMainScreenFrame(Rect(0, 0, whole.width(), whole.height()));
    double top = available.top() - whole.top();
    double height = std::max(1, available.height() - roomAboveContent);
    Screen::setMainScreenVisibleFrame(
        Rect(available.left() - whole.left(), whole.height() - top - available.height(), available.width(), height));
}

} // namespace brevanton
