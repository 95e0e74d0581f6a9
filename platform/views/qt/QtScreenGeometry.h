// The main Screen as the display shows it: the view layer's one screen takes
// the size of Qt's primary screen, and its visible frame the part Qt says
// windows may use (without the desktop's panels), turned into the view
// layer's unflipped coordinates. The window program calls it once its
// QApplication exists; windows are placed against it.
#pragma once

namespace brevanton {

// `roomAboveContent` pixels at the top of the visible frame are kept for what
// a window shows above its content (a menu bar), so a window placed at the
// visible frame's top shows that too. Nothing changes when Qt has no screen.
void adoptQtPrimaryScreenGeometry(int roomAboveContent = 0);

} // namespace brevanton
