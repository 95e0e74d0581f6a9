// Whether a window system is there to show windows on: an X or Wayland
// display, or a Qt platform plugin chosen explicitly (QT_QPA_PLATFORM, such
// as "offscreen" in tests).
#pragma once

namespace brevanton {

bool qtDisplayAvailable();

} // namespace brevanton
