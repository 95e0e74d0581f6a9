// The place where the shell installs the Qt bridges of the view layer: the
// general pasteboard on the system clipboard, file dialogs for open and save
// panels and the application delegate's file chooser, message boxes for
// alerts and sheets, context menus as Qt menus, and a menu bar made from the
// main menu on each document window. Without them (tests of the other
// layers, headless runs) the view layer's own stand-ins answer, and the main
// menu's key equivalents work through the window either way.
#include "shell/VornickApplicationShell.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickWindow.h"
#include "platform/views/Application.h"
#include "platform/views/WindowServerConnection.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtPanels.h"
#include "platform/views/qt/QtPasteboardBridge.h"
#include "platform/views/qt/QtScreenGeometry.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "shell/VornickEditorWindow.h"

namespace brevanton {

namespace {

// A window of its own on the desktop shows the application's menus: not a
// panel that serves the window in front of it (the spelling panel, the
// detached source), a popover, a sheet, an overlay or a window that lets
// clicks through (a bezel).
bool showsMenuBar(const Window& window)
{
    return !window.parentWindow() && (window.styleMask() & WindowStyle::Titled) && window.canBecomeMainWindow()
        && !window.ignoresMouseEvents();
}

// File > Close (Ctrl+W) closes the key window, whatever it shows: a window
// whose own responders do not take the command closes itself (asking its
// delegate), so that the command never falls through to the main window
// behind a panel or an auxiliary window.
void closeWithCloseCommand(Window& window)
{
    constexpr const char* closeAction = "performClose:";
    if (!(window.styleMask() & WindowStyle::Closable) || window.respondsToAction(closeAction))
        return;
    auto delegate = std::dynamic_pointer_cast<Responder>(window.delegate().lock());
    if (delegate && delegate->respondsToAction(closeAction))
        return;
    std::weak_ptr<Window> weak = window.sharedAs<Window>();
    window.setActionHandler(closeAction, [weak](ActionSender*) {
        if (auto closing = weak.lock())
            closing->performClose();
    });
}

QtMenuBar* menuBarOfWindow(VornickApplicationShell& shell, const Window& window)
{
    auto* widget = shell.backend().widgetForWindow(window);
    return widget ? dynamic_cast<QtMenuBar*>(widget->menuBar()) : nullptr;
}

} // namespace

void VornickInstallApplicationShellBridges(VornickApplicationShell& shell)
{
    installQtPasteboardBridge();
    // Dialogs go over the widget of their window; the installed backend is
    // asked each time, so that no shell is kept past its life.
    installQtPanels([](const Window& window) -> QWidget* {
        auto* backend = dynamic_cast<QtWindowBackend*>(WindowServerConnection::current());
        return backend ? backend->widgetForWindow(window) : nullptr;
    });
    installQtContextMenus();
    if (auto delegate = VornickApplicationDelegate::shared())
        delegate->setFileChooser(qtFileChooser());
    // Each window gets its bar as its widget is made, before it shows.
    shell.backend().setWidgetMadeHandler([&shell](Window& window, QtWindowWidget&) {
        closeWithCloseCommand(window);
        if (showsMenuBar(window))
            VornickInstallDocumentWindowBridges(shell, window);
    });
}

void VornickInstallEditorWindowBridges(VornickApplicationShell& shell, VornickEditorWindow& editor)
{
    VornickInstallDocumentWindowBridges(shell, *editor.window());
}

void VornickInstallDocumentWindowBridges(VornickApplicationShell& shell, Window& window)
{
    auto* widget = shell.backend().widgetForWindow(window);
    if (!widget)
        return;
    if (auto* bar = menuBarOfWindow(shell, window)) {
        bar->synchronize();
        return;
    }
    // The bar shows the application's main menu, which the shell set.
    auto* bar = new QtMenuBar(widget);
    widget->setMenuBar(bar);
    bar->synchronize();
}

void VornickSynchronizeMenuBarOfWindow(VornickApplicationShell& shell, const Window& window)
{
    if (auto* bar = menuBarOfWindow(shell, window))
        bar->synchronize();
}

void VornickAdoptDisplayScreenGeometry()
{
    // Each document window shows its menu bar above its content.
    QtMenuBar bar;
    bar.synchronize();
    adoptQtPrimaryScreenGeometry(bar.sizeHint().height());
}

} // namespace brevanton
