// Screen: the display windows are shown on. The headless view layer has one
// screen, 1920 by 1080 points at one pixel per point; tests may give it
// another frame.
#pragma once

#include "platform/views/Geometry.h"

namespace brevanton {

class Screen {
public:
    static const Screen& mainScreen();
    // Changes the main screen's frame (for tests of what depends on its size,
    // and for a backend showing windows on a real display); the visible frame
    // becomes the whole frame.
    static void setMainScreenFrame(const Rect&);
    // The part of the main screen's frame that windows may use (the desktop's
    // panels and docks left out); kept inside the frame.
    static void setMainScreenVisibleFrame(const Rect&);

    Rect frame() const { return m_frame; }
    Rect visibleFrame() const { return m_visibleFrame; }
    // Device pixels per point.
    double backingScaleFactor() const { return 1; }

private:
    Rect m_frame { 0, 0, 1920, 1080 };
    Rect m_visibleFrame { 0, 0, 1920, 1080 };
};

// The rectangle moved (never resized) as little as it takes to lie inside
// `area` (a screen's visible frame); one larger than the area keeps its
// top-left corner at the area's (y going up).
Rect rectSlidInside(const Rect&, const Rect& area);

} // namespace brevanton
