#include "platform/views/qt/QtPanels.h"

#include "platform/views/Window.h"

#include <QApplication>
#include <QPushButton>

namespace brevanton {

namespace {

// Which of the alert's buttons a message box button stands for.
constexpr const char* alertButtonIndexProperty = "brevantonAlertButtonIndex";

QtWidgetForWindow& widgetForWindowSlot()
{
    static QtWidgetForWindow resolver;
    return resolver;
}

QWidget* parentWidgetFor(const std::shared_ptr<Window>& window)
{
    if (window && widgetForWindowSlot()) {
        if (auto* widget = widgetForWindowSlot()(*window))
            return widget;
    }
    return QApplication::activeWindow();
}

QString directoryPath(const std::optional<URL>& url)
{
    if (!url)
        return {};
    auto path = url->fileSystemPath();
    return path ? QString::fromStdString(*path) : QString();
}

std::optional<URL> chosenFile(const QFileDialog& dialog, int result)
{
    if (result != QDialog::Accepted)
        return std::nullopt;
    auto files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty())
        return std::nullopt;
    return URL::fileURLWithPath(files.front().toStdString());
}

std::optional<ModalResponse> answerAlert(Alert& alert)
{
    if (alert.isSheetPending()) {
        // A sheet leaves its window usable behind it until answered.
        auto box = qtMessageBoxForAlert(alert, parentWidgetFor(alert.sheetParent())).release();
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::WindowModal);
        std::weak_ptr<Alert> weakAlert = alert.shared_from_this();
        QObject::connect(box, &QDialog::finished, box, [box, weakAlert] {
            if (auto alert = weakAlert.lock())
                alert->endSheet(alertResponseFromQtMessageBox(*box, *alert));
        });
        box->open();
        return std::nullopt;
    }
    auto box = qtMessageBoxForAlert(alert, QApplication::activeWindow());
    box->exec();
    return alertResponseFromQtMessageBox(*box, alert);
}

std::optional<SavePanelDriver::Answer> answerSavePanel(SavePanel& panel)
{
    QFileDialog dialog(QApplication::activeWindow());
    configureQtSaveDialog(dialog, panel);
    int result = dialog.exec();
    return saveAnswerFromQtDialog(dialog, result);
}

} // namespace

void installQtPanels(QtWidgetForWindow widgetForWindow)
{
    widgetForWindowSlot() = std::move(widgetForWindow);
    SavePanelDriver::shared().setResponder(answerSavePanel);
    AlertDriver::shared().setResponder(answerAlert);
}

QString qtNameFilterForFileTypes(const std::vector<std::u16string>& types)
{
    QStringList patterns;
    for (auto& type : types)
        patterns << QStringLiteral("*.") + QString::fromStdU16String(type);
    return patterns.join(u' ');
}

void configureQtSaveDialog(QFileDialog& dialog, const SavePanel& panel)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, !panel.canCreateDirectories());
    if (auto folder = directoryPath(panel.directoryURL()); !folder.isEmpty())
        dialog.setDirectory(folder);
    if (!panel.allowedFileTypes().empty()) {
        dialog.setNameFilter(qtNameFilterForFileTypes(panel.allowedFileTypes()));
        dialog.setDefaultSuffix(QString::fromStdU16String(panel.allowedFileTypes().front()));
    }
    if (!panel.nameFieldStringValue().empty())
        dialog.selectFile(QString::fromStdU16String(panel.nameFieldStringValue()));
    if (!panel.prompt().empty())
        dialog.setLabelText(QFileDialog::Accept, QString::fromStdU16String(panel.prompt()));
    if (!panel.message().empty())
        dialog.setWindowTitle(QString::fromStdU16String(panel.message()));
}

SavePanelDriver::Answer saveAnswerFromQtDialog(const QFileDialog& dialog, int result)
{
    auto file = chosenFile(dialog, result);
    if (!file)
        return { ModalResponseCancel, std::nullopt };
    return { ModalResponseOK, std::move(file) };
}

std::unique_ptr<QMessageBox> qtMessageBoxForAlert(const Alert& alert, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    switch (alert.alertStyle()) {
    case AlertStyle::Warning:
        box->setIcon(QMessageBox::Warning);
        break;
    case AlertStyle::Informational:
        box->setIcon(QMessageBox::Information);
        break;
    case AlertStyle::Critical:
        box->setIcon(QMessageBox::Critical);
        break;
    }
    box->setText(QString::fromStdU16String(alert.messageText()));
    box->setInformativeText(QString::fromStdU16String(alert.informativeText()));
    // Buttons of one role are laid out left to right in the order added, so
    // the first (default) button goes in last to end up rightmost.
    auto& buttons = alert.buttons();
    std::vector<QPushButton*> qtButtons(buttons.size());
    for (size_t index = buttons.size(); index-- > 0;) {
        qtButtons[index] = box->addButton(QString::fromStdU16String(buttons[index]->title()), QMessageBox::ActionRole);
        qtButtons[index]->setProperty(alertButtonIndexProperty, static_cast<qulonglong>(index));
    }
    for (size_t index = 0; index < buttons.size(); ++index) {
        if (buttons[index]->keyEquivalent() == u"\x1b")
            box->setEscapeButton(qtButtons[index]);
    }
    if (!qtButtons.empty())
        box->setDefaultButton(qtButtons.front());
    return box;
}

ModalResponse alertResponseFromQtMessageBox(const QMessageBox& box, const Alert& alert)
{
    auto& buttons = alert.buttons();
    const QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        clicked = box.escapeButton();
    if (clicked) {
        QVariant index = clicked->property(alertButtonIndexProperty);
        if (index.isValid() && index.toULongLong() < buttons.size())
            return buttons[index.toULongLong()]->tag();
    }
    return AlertFirstButtonReturn;
}

void runQtOpenPanel(const QtOpenPanelRequest& request, std::function<void(std::optional<URL>)> completion)
{
    auto* dialog = new QFileDialog(parentWidgetFor(request.window));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    if (auto folder = directoryPath(request.directoryURL); !folder.isEmpty())
        dialog->setDirectory(folder);
    if (!request.allowedFileTypes.empty())
        dialog->setNameFilter(qtNameFilterForFileTypes(request.allowedFileTypes));
    if (!request.message.empty())
        dialog->setWindowTitle(QString::fromStdU16String(request.message));
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, completion = std::move(completion)](int result) {
        if (completion)
            completion(chosenFile(*dialog, result));
    });
    dialog->open();
}

} // namespace brevanton
