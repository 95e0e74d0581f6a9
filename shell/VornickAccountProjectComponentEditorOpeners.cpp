// The one place where the windows of an account project's components are
// registered with its project editor before the project's windows open.
#include "shell/VornickApplicationShell.h"

#include "publishing/VornickProjectEditor.h"

namespace brevanton {

void VornickRegisterAccountProjectComponentEditorOpeners(VornickProjectEditor&)
{
    // The blog window's opener ("Blog") is registered here:
    //     vornick_registerBlogWindowOpener(projectEditor);
    // (publishing/VornickBlogWindowOpening.h). Until it is, an account's
    // blogs open no window: each is logged, and with nothing to show the
    // account project closes.
}

} // namespace brevanton
