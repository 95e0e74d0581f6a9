// Save panels, open panels, colour panels and alerts answered by Qt dialogs.
//
// The view layer's panels are answered by drivers (SavePanelDriver,
// ColorPanelDriver, AlertDriver): answers queued by tests first, then the
// driver's responder. installQtPanels() makes a QFileDialog, a QColorDialog
// or a QMessageBox that responder, so
// a person answers when the GUI runs; without it (tests, headless runs) the
// panels stay as they were: a save panel nobody answers is cancelled, an
// alert answers its default button. Choosing the file to open or insert is
// the application delegate's file chooser; qtFileChooser() is one that
// shows a QFileDialog.
//
// A dialog is put over the Qt widget of its window when the shell says how
// to find it (`widgetForWindow`), else over the active window. An alert run
// as a sheet is a window-modal QMessageBox that ends the sheet when closed;
// other dialogs run modally. A save panel's accessory view is shown at the
// bottom of the dialog (Qt's own dialog then, which can hold it), in a
// window of its own that the dialog's layout sizes; types the accessory
// allows while the dialog runs become its filter, default suffix and the
// extension of the name typed. Whether the extension is hidden has no
// counterpart.
#pragma once

#include "platform/foundation/URL.h"
#include "platform/views/Alert.h"
#include "platform/views/ColorPanel.h"
#include "platform/views/SavePanel.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class View;
class Window;

using QtWidgetForWindow = std::function<QWidget*(const Window&)>;

// Answers save panels, colour panels and alerts with Qt dialogs from now on (until the
// drivers are reset).
void installQtPanels(QtWidgetForWindow widgetForWindow = {});

// The mapping the dialogs are made with.
// A save dialog set up as the panel is: folder, name, allowed types
// (filters and default suffix), prompt, message (the title) and whether
// folders may be made.
void configureQtSaveDialog(QFileDialog&, const SavePanel&);
// A colour dialog set up as the panel is: its colour (black without one),
// the alpha channel when the panel shows it, its title.
void configureQtColorDialog(QColorDialog&, const ColorPanel&);
// The colour picked in a dialog that finished with `result` (sRGB), or
// nothing when it was cancelled.
ColorPanelDriver::Answer colorAnswerFromQtDialog(const QColorDialog&, int result);
// The accessory view of a save panel shown in its dialog: made by
// install() (nothing without an accessory view or a Qt window backend),
// it gives the view back and hides its window when it goes.
class QtSaveDialogAccessory {
public:
    static std::unique_ptr<QtSaveDialogAccessory> install(QFileDialog&, const SavePanel&);
    ~QtSaveDialogAccessory();
    QtSaveDialogAccessory(const QtSaveDialogAccessory&) = delete;
    QtSaveDialogAccessory& operator=(const QtSaveDialogAccessory&) = delete;

    // The widget showing the view, inside the dialog.
    QWidget* widget() const { return m_widget; }
    const std::shared_ptr<Window>& window() const { return m_window; }

    // The name of the widget among the dialog's children.
    static constexpr const char* widgetName = "brevantonSavePanelAccessory";

private:
    QtSaveDialogAccessory(std::shared_ptr<Window>, std::shared_ptr<View>, QWidget*);

    std::shared_ptr<Window> m_window;
    std::shared_ptr<View> m_view;
    QWidget* m_widget;
};
// The answer of a save dialog that finished with `result`.
SavePanelDriver::Answer saveAnswerFromQtDialog(const QFileDialog&, int result);
// "*.html *.htm" for the types; empty for none.
QString qtNameFilterForFileTypes(const std::vector<std::u16string>& types);

// A message box with the alert's texts, icon and buttons: the first button
// the default one and the rightmost, the others to its left in order, the
// button titled "Cancel" taking Escape.
std::unique_ptr<QMessageBox> qtMessageBoxForAlert(const Alert&, QWidget* parent);
// The alert's response for the button clicked in its message box: the nth
// button answers AlertFirstButtonReturn + n; none clicked (the box closed)
// answers as the Escape button would, else as the default button.
ModalResponse alertResponseFromQtMessageBox(const QMessageBox&, const Alert&);

// Lets the user choose one existing file of the allowed types (any file when
// none), starting in the folder, with the message as title; `completion`
// gets the file or nothing when cancelled, after the dialog closed.
struct QtOpenPanelRequest {
    std::vector<std::u16string> allowedFileTypes;
    std::optional<URL> directoryURL;
    std::u16string message;
    std::shared_ptr<Window> window;
};
void runQtOpenPanel(const QtOpenPanelRequest&, std::function<void(std::optional<URL>)> completion);

// A file chooser for VornickApplicationDelegate::setFileChooser: takes the
// delegate's request (its allowed types, initial folder, document window
// and message) to runQtOpenPanel.
inline auto qtFileChooser()
{
    return [](const auto& request, auto completion) {
        runQtOpenPanel({ request.allowedFileTypes, request.initialDirectoryURL, request.messageToUser,
                         request.documentWindow.lock() },
                       std::move(completion));
    };
}

} // namespace brevanton
