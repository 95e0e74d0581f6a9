// An editor window of the shell on the Qt backend (offscreen platform) with
// a page loaded, for the benchmarks that drive a window with Qt's events.
// Tidy is never run.
#pragma once

#include "QtBenchApplication.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "html/VornickHTMLServices.h"
#include "html/VornickTidyFilter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "shell/VornickApplicationShell.h"
#include "shell/VornickEditorWindow.h"

#include <memory>
#include <string>

namespace brevanton {

// Runs what is left to do on the main run loop (a bounded number of turns).
inline void drain()
{
    for (int turns = 0; turns < 20 && RunLoop::main().runOnce(0); ++turns) {
    }
}

struct QtBenchWindowSession {
    std::unique_ptr<VornickApplicationShell> shell;
    std::shared_ptr<VornickEditorWindow> editor;
    QtWindowWidget* widget { nullptr };

    // Closes the window and forgets the application's state.
    void close()
    {
        editor.reset();
        shell.reset();
        Application::shared().resetForTesting();
    }
};

// The window showing the page at `path`, loaded; no widget when it did not open.
inline QtBenchWindowSession openQtBenchWindowSession(const std::string& path)
{
    ensureQtBenchApplication();
    VornickInstallHTMLServices();
    VornickTidyFilter::setTidyExecutablePath(std::string("/nonexistent/tidy"));
    static int argc = 1;
    static char name[] = "brevanton";
    static char* argv[] = { name, nullptr };
    QtBenchWindowSession session;
    session.shell = std::make_unique<VornickApplicationShell>(argc, argv);
    Error error;
    session.editor = session.shell->openFile(path, &error);
    if (!session.editor)
        return session;
    RunLoop::main().runUntil(
        [&] { return session.editor->editingView()->loadingState() != VornickContentLoadingState::InProgress; }, 30);
    drain();
    session.widget = session.shell->backend().widgetForWindow(*session.editor->window());
    // The window is shown (exposed) once Qt ran its events.
    QCoreApplication::processEvents();
    return session;
}

} // namespace brevanton
