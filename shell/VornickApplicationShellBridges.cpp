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

void VornickInstallApplicationShellBridges(VornickApplicationShell&)
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
    // The bar shows the application's main menu, which the shell set.
    auto* bar = new QtMenuBar(widget);
    widget->setMenuBar(bar);
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
