#include "platform/views/qt/QtPanels.h"

#include "platform/foundation/Text.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/WindowServerConnection.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"

#include <QApplication>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

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

bool hasType(const std::vector<std::u16string>& types, const QString& extension)
{
    for (const auto& type : types) {
        if (equalsIgnoringASCIICase(extension.toStdU16String(), type))
            return true;
    }
    return false;
}

// Follows the panel's allowed types while the dialog runs: the filter, the
// default suffix, and a typed name's extension of the old types.
void followAllowedFileTypes(QFileDialog& dialog, SavePanel& panel)
{
    auto previous = std::make_shared<std::vector<std::u16string>>(panel.allowedFileTypes());
    panel.setAllowedFileTypesObserver([&dialog, previous](SavePanel& changed) {
        const auto& types = changed.allowedFileTypes();
        if (types.empty())
            return;
        dialog.setNameFilter(qtNameFilterForFileTypes(types));
        dialog.setDefaultSuffix(QString::fromStdU16String(types.front()));
        if (auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            QString name = nameField->text();
            qsizetype dot = name.lastIndexOf(u'.');
            if (dot > 0 && hasType(*previous, name.mid(dot + 1)) && !hasType(types, name.mid(dot + 1)))
                nameField->setText(name.left(dot + 1) + QString::fromStdU16String(types.front()));
        }
        *previous = types;
    });
}

std::optional<SavePanelDriver::Answer> answerSavePanel(SavePanel& panel)
{
    QFileDialog dialog(QApplication::activeWindow());
    if (panel.accessoryView())
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    configureQtSaveDialog(dialog, panel);
    auto accessory = QtSaveDialogAccessory::install(dialog, panel);
    followAllowedFileTypes(dialog, panel);
    int result = dialog.exec();
    panel.setAllowedFileTypesObserver(nullptr);
    accessory.reset();
    return saveAnswerFromQtDialog(dialog, result);
}

std::optional<Color> answerColorPanel(ColorPanel& panel)
{
    QColorDialog dialog(parentWidgetFor(panel.parentWindow()));
    configureQtColorDialog(dialog, panel);
    return colorAnswerFromQtDialog(dialog, dialog.exec());
}

} // namespace

void installQtPanels(QtWidgetForWindow widgetForWindow)
{
    widgetForWindowSlot() = std::move(widgetForWindow);
    SavePanelDriver::shared().setResponder(answerSavePanel);
    ColorPanelDriver::shared().setResponder(answerColorPanel);
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

void configureQtColorDialog(QColorDialog& dialog, const ColorPanel& panel)
{
    // Qt's own dialog: the desktop's may not be a widget at all, and answers
    // nothing that can be told from a cancellation when it cannot show.
    dialog.setOption(QColorDialog::DontUseNativeDialog, true);
    dialog.setOption(QColorDialog::ShowAlphaChannel, panel.showsAlpha());
    dialog.setCurrentColor(panel.color() ? qtColor(*panel.color()) : QColor(Qt::black));
    if (!panel.title().empty())
        dialog.setWindowTitle(qtString(panel.title()));
}

ColorPanelDriver::Answer colorAnswerFromQtDialog(const QColorDialog& dialog, int result)
{
    if (result != QDialog::Accepted)
        return std::nullopt;
    QColor picked = dialog.selectedColor();
    if (!picked.isValid())
        return std::nullopt;
    picked = picked.toRgb();
    return Color::sRGB(picked.redF(), picked.greenF(), picked.blueF(), picked.alphaF());
}

std::unique_ptr<QtSaveDialogAccessory> QtSaveDialogAccessory::install(QFileDialog& dialog, const SavePanel& panel)
{
    auto view = panel.accessoryView();
    auto* backend = dynamic_cast<QtWindowBackend*>(WindowServerConnection::current());
    if (!view || !backend)
        return nullptr;
    // The desktop's own dialog has no room for it.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return nullptr;
    Size size = view->frame().size;
    auto window = Window::create(Rect(0, 0, size.width, size.height));
    window->setStyleMask(WindowStyle::Borderless);
    view->removeFromSuperview();
    view->setFrameOrigin(Point { 0, 0 });
    view->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    window->contentView()->addSubview(view);
    QtWindowWidget* widget = backend->embedWindowInWidget(*window, &dialog);
    if (!widget)
        return nullptr;
    widget->setObjectName(QString::fromLatin1(widgetName));
    widget->setMinimumSize(static_cast<int>(std::ceil(size.width)), static_cast<int>(std::ceil(size.height)));
    grid->addWidget(widget, grid->rowCount(), 0, 1, grid->columnCount());
    window->orderFront();
    return std::unique_ptr<QtSaveDialogAccessory>(new QtSaveDialogAccessory(std::move(window), std::move(view), widget));
}

QtSaveDialogAccessory::QtSaveDialogAccessory(std::shared_ptr<Window> window, std::shared_ptr<View> view, QWidget* widget)
    : m_window(std::move(window))
    , m_view(std::move(view))
    , m_widget(widget)
{
}

QtSaveDialogAccessory::~QtSaveDialogAccessory()
{
    m_view->removeFromSuperview();
    m_window->orderOut();
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
