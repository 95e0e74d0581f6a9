// Whether a window system is there to show windows on: an X or Wayland
// display, or a Qt platform plugin chosen explicitly (QT_QPA_PLATFORM, such
// as "offscreen" in tests). Answered from the environment alone, so the
// program can decide before it loads any window code.
#pragma once

namespace brevanton {

bool displayAvailable();

} // namespace brevanton
