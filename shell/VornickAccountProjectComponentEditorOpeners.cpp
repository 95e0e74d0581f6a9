// The one place where the windows of account projects' components are
// registered with the project editors, once, when the shell starts.
#include "shell/VornickApplicationShell.h"

#include "publishing/VornickBlogWindowOpening.h"

namespace brevanton {

void VornickRegisterAccountProjectComponentEditorOpeners()
{
    // A blog opens in its blog window; its posts open in post windows (the
    // shell registers their opener beside this).
    vornick_registerBlogWindowOpener();
}

} // namespace brevanton
