// Where the sessions on a real X server click in the blog's windows and the
// preferences: the layout is the same on every display, so the offscreen
// windows tell (points of the top-level widgets, menu bar included).
#pragma once

#include <QPoint>

#include <string>
#include <utility>
#include <vector>

namespace brevanton {

struct OffscreenWindowPoints {
    // The blog window's Media button.
    QPoint mediaButton;
    // The post window's Properties button and status pop-up.
    QPoint propertiesButton;
    QPoint statusPopUp;
    // The preferences' panes after the one they open with, in order, each
    // with its toolbar item's place while the pane before it shows.
    std::vector<std::pair<std::string, QPoint>> preferencePanes;
};

OffscreenWindowPoints windowPointsInOffscreenWindows();

} // namespace brevanton
