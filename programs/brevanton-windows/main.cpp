// brevanton-windows, the window program: the editor with a window for each
// HTML or XHTML file given to it (and for each WordPress post file, the post
// in its blog's theme; for each WordPress account folder, its blogs' windows
// or the window of its first sync), on the Qt backend, running until the
// last window closed. The brevanton executable starts it (with its own arguments)
// when there is a display and nothing asks for a headless run.
#include "app/VornickApplicationLaunch.h"
#include "html/VornickHTMLStringSyntaxPainterAndMapper.h"
#include "platform/foundation/RunLoop.h"
#include "publishing/VornickWebViewTemplatePageLoader.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace brevanton;

int main(int argc, char** argv)
{
    VornickTuneMemoryAllocation();
    // Templates fetched through drafts load in a web view.
    VornickWebViewTemplatePageLoader::install();
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty()) {
        std::fprintf(stderr, "Usage: brevanton-windows FILE-OR-ACCOUNT-FOLDER...\n");
        return 2;
    }

    int status = 0;
    {
        VornickApplicationLaunch launch;
        {
            VornickApplicationShell shell(argc, argv);
            // Windows are placed on the display's own screen.
            VornickAdoptDisplayScreenGeometry();
            for (const auto& path : paths) {
                if (!shell.openDocumentTellingUser(path))
                    status = 1;
            }
            if (shell.hasOpenWindows())
                shell.run();
        }
        VornickHTMLStringSyntaxPainterAndMapper::mappingQueue().cancelAllOperations();
        VornickHTMLStringSyntaxPainterAndMapper::mappingQueue().waitUntilAllOperationsAreFinished();
        RunLoop::main().runFor(0.01);
    }
    return status;
}
