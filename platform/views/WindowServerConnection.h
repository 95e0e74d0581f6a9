// WindowServerConnection: what a real window system learns of our windows.
// Headless runs have none; a GUI backend installs one, and each Window tells
// it when it is ordered in or out, when its frame changes and when it goes
// away, and each View when it is marked as needing display, so that the
// backend keeps a native window in step with it (the title is read when the
// window is ordered in or displayed, the edited mark when it changes). The view layer itself never waits for
// the backend: the calls only tell.
#pragma once

#include "platform/views/Geometry.h"

namespace brevanton {

class DraggingSession;
class Window;

class WindowServerConnection {
public:
    virtual ~WindowServerConnection() = default;

    // The installed connection, or null (headless).
    static WindowServerConnection* current();
    // Installs a connection (not owned; null uninstalls).
    static void setCurrent(WindowServerConnection*);

    // After the window was ordered in or out (isVisible() tells which) or
    // moved in the stacking order.
    virtual void windowDidChangeOrdering(Window&) = 0;
    virtual void windowFrameDidChange(Window&) = 0;
    // The window's document became edited or no longer is.
    virtual void windowDocumentEditedDidChange(Window&) {}
    // The window's minimum or maximum size changed.
    virtual void windowSizeLimitsDidChange(Window&) {}
    // The application's icon changed (Application::applicationIconImage).
    virtual void applicationIconImageDidChange() {}
    // Another responder took the window's keyboard (the backend tells the
    // input method what kind of text it edits).
    virtual void windowFirstResponderDidChange(Window&) {}
    // A view of the window was marked as needing display.
    virtual void windowViewsNeedDisplay(Window&) = 0;
    // The same, with the part marked (window coordinates, y up): a backend
    // that can redraw part of a window redraws only that.
    virtual void windowViewsNeedDisplayInRect(Window& window, const Rect&) { windowViewsNeedDisplay(window); }
    // From the window's destructor: the window must not be kept or called.
    virtual void windowWillBeDestroyed(Window&) = 0;
    // From long work on the main thread (reading a project), so that the
    // windows ordered in and marked for display meanwhile show: the window
    // system maps and paints them now. Nothing else runs meanwhile: no input
    // is delivered, no window closes and no turn of the main run loop runs.
    virtual void displayWindowsDuringBusyWork() {}
    // A view began a drag (View::beginDraggingSession): the backend may carry
    // it out with the system's drag and drop and end the session when it
    // ended there. Headless, tests and the scripted event source end it.
    virtual void draggingSessionDidBegin(DraggingSession&) {}
};

} // namespace brevanton
