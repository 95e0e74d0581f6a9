// The place where the shell installs the Qt bridges of the view layer: the
// menu bar made from the shell's main menu, the general pasteboard on the
// system clipboard, drag and drop data, file dialogs for open and save
// panels and message boxes for alerts. Until they are installed here the
// shell works with the view layer's own (headless) stand-ins for them, and
// the main menu's key equivalents still work through the window.
#include "shell/VornickApplicationShell.h"

namespace brevanton {

void VornickInstallApplicationShellBridges(VornickApplicationShell&)
{
}

} // namespace brevanton
