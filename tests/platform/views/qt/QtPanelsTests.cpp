#include "platform/views/qt/QtPanels.h"

#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/ColorWell.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>

using namespace brevanton;

namespace {

struct QtPanelsTest : ::testing::Test {
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override
    {
        AlertDriver::shared().reset();
        SavePanelDriver::shared().reset();
        ColorPanelDriver::shared().reset();
        Application::shared().resetForTesting();
    }

    std::string path(const char* name) const { return (folder.path() + "/" + name).toStdString(); }

    // Runs `answer` on the dialog of type T once it is shown.
    template<typename T>
    static void whenShown(std::function<void(T&)> answer)
    {
        QTimer::singleShot(0, [answer] {
            for (auto* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<T*>(widget); dialog && dialog->isVisible()) {
                    answer(*dialog);
                    return;
                }
            }
            ADD_FAILURE() << "no dialog shown";
        });
    }

    static std::shared_ptr<Alert> threeButtonAlert()
    {
        auto alert = Alert::create();
        alert->setMessageText(u"Save changes?");
        alert->setInformativeText(u"Your changes are lost otherwise.");
        alert->setAlertStyle(AlertStyle::Critical);
        alert->addButtonWithTitle(u"Save");
        alert->addButtonWithTitle(u"Cancel");
        alert->addButtonWithTitle(u"Don't Save");
        return alert;
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(QtPanelsTest, ASaveDialogIsSetUpAsThePanelAndAnswersWithTheFileChosen)
{
    auto panel = SavePanel::savePanel();
    panel->setAllowedFileTypes({ u"html", u"htm" });
    panel->setDirectoryURL(URL::fileURLWithPath(folder.path().toStdString(), true));
    panel->setNameFieldStringValue(u"untitled.html");
    panel->setPrompt(u"Export");
    panel->setMessage(u"Export the page as HTML");
    QFileDialog dialog;
    configureQtSaveDialog(dialog, *panel);
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(dialog.directory().absolutePath(), folder.path());
    EXPECT_EQ(dialog.nameFilters(), QStringList { "*.html *.htm" });
    EXPECT_EQ(dialog.defaultSuffix(), "html");
    EXPECT_EQ(dialog.labelText(QFileDialog::Accept), "Export");
    EXPECT_EQ(dialog.windowTitle(), "Export the page as HTML");
    EXPECT_TRUE(dialog.testOption(QFileDialog::ReadOnly));
    EXPECT_EQ(saveAnswerFromQtDialog(dialog, QDialog::Rejected).response, ModalResponseCancel);

    // Run as the user would: typed without an extension, the type's is added.
    installQtPanels();
    whenShown<QFileDialog>([this](QFileDialog& shown) {
        shown.selectFile(QString::fromStdString(path("page")));
        static_cast<QDialog&>(shown).accept();
    });
    EXPECT_EQ(panel->runModal(), ModalResponseOK);
    ASSERT_TRUE(panel->url());
    EXPECT_EQ(panel->url()->fileSystemPath(), path("page.html"));

    whenShown<QFileDialog>([](QFileDialog& shown) { shown.reject(); });
    EXPECT_EQ(panel->runModal(), ModalResponseCancel);
    EXPECT_FALSE(panel->url());

    // Queued answers still come first: tests stay headless.
    SavePanelDriver::shared().enqueueCancellation();
    EXPECT_EQ(panel->runModal(), ModalResponseCancel);
}

TEST_F(QtPanelsTest, AnAlertBecomesAMessageBoxWithItsButtonsInOrder)
{
    auto alert = threeButtonAlert();
    auto box = qtMessageBoxForAlert(*alert, nullptr);
    EXPECT_EQ(box->text(), "Save changes?");
    EXPECT_EQ(box->informativeText(), "Your changes are lost otherwise.");
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    ASSERT_EQ(box->buttons().size(), 3);
    EXPECT_EQ(box->defaultButton()->text(), "Save");
    EXPECT_EQ(box->escapeButton()->text(), "Cancel");

    // As on our own alert window: the first rightmost, the others to its left.
    box->show();
    QCoreApplication::processEvents();
    std::vector<std::pair<int, QString>> byPosition;
    for (auto* button : box->buttons())
        byPosition.emplace_back(button->mapTo(box.get(), QPoint()).x(), button->text());
    std::sort(byPosition.begin(), byPosition.end());
    EXPECT_EQ(byPosition[0].second, "Don't Save");
    EXPECT_EQ(byPosition[1].second, "Cancel");
    EXPECT_EQ(byPosition[2].second, "Save");

    for (auto* button : box->buttons()) {
        if (button->text() == "Don't Save")
            button->click();
    }
    EXPECT_EQ(alertResponseFromQtMessageBox(*box, *alert), AlertThirdButtonReturn);

    // Closed without a click: Escape's button answers.
    auto closed = qtMessageBoxForAlert(*alert, nullptr);
    EXPECT_EQ(alertResponseFromQtMessageBox(*closed, *alert), AlertSecondButtonReturn);
}

TEST_F(QtPanelsTest, ModalAlertsAndSheetsAnswerWithTheButtonClicked)
{
    installQtPanels();
    auto alert = threeButtonAlert();
    whenShown<QMessageBox>([](QMessageBox& box) {
        for (auto* button : box.buttons()) {
            if (button->text() == "Cancel")
                button->click();
        }
    });
    EXPECT_EQ(alert->runModal(), AlertSecondButtonReturn);

    // A sheet waits for its window's message box, then ends with its answer.
    auto window = Window::create(Rect(0, 0, 300, 200));
    auto sheet = threeButtonAlert();
    std::optional<ModalResponse> answered;
    sheet->beginSheetModalForWindow(window, [&](ModalResponse response) { answered = response; });
    EXPECT_TRUE(sheet->isSheetPending());
    EXPECT_EQ(window->attachedSheet(), sheet->window());
    QMessageBox* shown = nullptr;
    for (auto* widget : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            shown = box;
    }
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(answered);
    shown->defaultButton()->click();
    EXPECT_EQ(answered, AlertFirstButtonReturn);
    EXPECT_FALSE(sheet->isSheetPending());
    EXPECT_EQ(window->attachedSheet(), nullptr);
}

TEST_F(QtPanelsTest, TheOpenPanelChoosesAnExistingFileOfTheAllowedTypes)
{
    std::ofstream(path("picture.png")) << "png";
    struct Request {
        std::vector<std::u16string> allowedFileTypes { u"png", u"jpg" };
        std::optional<URL> initialDirectoryURL;
        std::weak_ptr<Window> documentWindow;
        std::u16string messageToUser { u"Please select a file." };
    } request;
    request.initialDirectoryURL = URL::fileURLWithPath(folder.path().toStdString(), true);

    std::optional<std::optional<URL>> chosen;
    std::function<void(const Request&, std::function<void(std::optional<URL>)>)> chooser = qtFileChooser();
    chooser(request, [&](std::optional<URL> url) { chosen = std::move(url); });
    QFileDialog* shown = nullptr;
    for (auto* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            shown = dialog;
    }
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(shown->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(shown->nameFilters(), QStringList { "*.png *.jpg" });
    EXPECT_EQ(shown->windowTitle(), "Please select a file.");
    EXPECT_FALSE(chosen);
    shown->selectFile(QString::fromStdString(path("picture.png")));
    static_cast<QDialog*>(shown)->accept();
    ASSERT_TRUE(chosen);
    ASSERT_TRUE(*chosen);
    EXPECT_EQ((*chosen)->fileSystemPath(), path("picture.png"));

    chosen.reset();
    chooser(request, [&](std::optional<URL> url) { chosen = std::move(url); });
    for (auto* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QFileDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
    ASSERT_TRUE(chosen);
    EXPECT_FALSE(*chosen);
}

TEST_F(QtPanelsTest, TheAccessoryViewIsShownInTheSaveDialogAndTheTypesItSetsAreFollowed)
{
    QtWindowBackend backend;
    installQtPanels();
    auto panel = SavePanel::savePanel();
    panel->setAllowedFileTypes({ u"png" });
    panel->setDirectoryURL(URL::fileURLWithPath(folder.path().toStdString(), true));
    panel->setNameFieldStringValue(u"photo.png");
    auto accessory = std::make_shared<View>(Rect(0, 0, 300, 60));
    auto button = std::make_shared<Button>(Rect(10, 10, 120, 24), u"Use JPEG");
    auto owner = std::make_shared<Responder>();
    owner->setActionHandler("useJPEG:", [&](ActionSender*) { panel->setAllowedFileTypes({ u"jpeg", u"jpg" }); });
    button->setTarget(owner);
    button->setAction("useJPEG:");
    accessory->addSubview(button);
    panel->setAccessoryView(accessory);

    bool checked = false;
    whenShown<QFileDialog>([&](QFileDialog& dialog) {
        auto* widget = dialog.findChild<QtWindowWidget*>(QString::fromLatin1(QtSaveDialogAccessory::widgetName));
        ASSERT_TRUE(widget);
        EXPECT_TRUE(widget->isVisible());
        EXPECT_GE(widget->width(), 300);
        EXPECT_GE(widget->height(), 60);
        // Below the dialog's own controls.
        auto* nameField = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(nameField);
        EXPECT_GT(widget->mapTo(&dialog, QPoint(0, 0)).y(), nameField->mapTo(&dialog, QPoint(0, 0)).y());
        // Its picture: the button is drawn, grey on the window's background.
        QImage picture = widget->grab().toImage();
        bool titleDrawn = false;
        for (const auto& command : widget->lastPaintedCommands())
            titleDrawn = titleDrawn || command.text == u"Use JPEG";
        EXPECT_TRUE(titleDrawn);
        // Its picture: ink only where the button lies (10 to 130 across, 10
        // to 34 up from the bottom), on the window's background.
        QRect ink;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (picture.pixelColor(x, y).lightness() < 120)
                    ink |= QRect(x, y, 1, 1);
            }
        }
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), 9);
        EXPECT_LE(ink.right(), 131);
        EXPECT_GE(ink.top(), picture.height() - 35);
        EXPECT_LE(ink.bottom(), picture.height() - 9);

        // A click in the accessory reaches its button, which changes the types.
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(70, widget->height() - 22));
        EXPECT_EQ(dialog.defaultSuffix(), "jpeg");
        EXPECT_EQ(dialog.nameFilters(), QStringList { "*.jpeg *.jpg" });
        EXPECT_EQ(nameField->text(), "photo.jpeg");
        checked = true;
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(panel->runModal(), ModalResponseOK);
    EXPECT_TRUE(checked);
    ASSERT_TRUE(panel->url());
    EXPECT_EQ(panel->url()->fileSystemPath(), path("photo.jpeg"));
    EXPECT_FALSE(accessory->superview()) << "the view is given back";
}

TEST_F(QtPanelsTest, AColourWellsPanelIsAColourDialogStartingFromTheWellsColour)
{
    auto panel = ColorPanel::colorPanel();
    panel->setColor(Color::sRGB255(207, 46, 46));
    panel->setTitle(u"Background Color");
    QColorDialog dialog;
    configureQtColorDialog(dialog, *panel);
    EXPECT_EQ(dialog.currentColor(), QColor(207, 46, 46));
    EXPECT_EQ(dialog.windowTitle(), "Background Color");
    EXPECT_FALSE(dialog.testOption(QColorDialog::ShowAlphaChannel));
    EXPECT_TRUE(dialog.testOption(QColorDialog::DontUseNativeDialog));
    EXPECT_FALSE(colorAnswerFromQtDialog(dialog, QDialog::Rejected));

    // A well clicked: the dialog shows its colour, and the one picked there
    // becomes the well's, which sends its action.
    installQtPanels();
    auto well = std::make_shared<ColorWell>(Rect(0, 0, 40, 20));
    well->setColor(Color::sRGB255(6, 147, 227));
    int actions = 0;
    well->setAction("takeColor:");
    auto receiver = std::make_shared<View>();
    receiver->setActionHandler("takeColor:", [&](ActionSender*) { ++actions; });
    well->setTarget(receiver);
    QColor shown;
    whenShown<QColorDialog>([&shown](QColorDialog& dialog) {
        shown = dialog.currentColor();
        dialog.setCurrentColor(QColor(171, 184, 195));
        dialog.accept();
    });
    EXPECT_TRUE(well->performClick());
    EXPECT_EQ(shown, QColor(6, 147, 227));
    ASSERT_TRUE(well->color());
    EXPECT_EQ(qRound(well->color()->redComponent() * 255), 171);
    EXPECT_EQ(qRound(well->color()->greenComponent() * 255), 184);
    EXPECT_EQ(qRound(well->color()->blueComponent() * 255), 195);
    EXPECT_EQ(actions, 1);

    // Cancelled: the well keeps its colour and sends nothing.
    whenShown<QColorDialog>([](QColorDialog& dialog) { dialog.reject(); });
    well->performClick();
    EXPECT_EQ(qRound(well->color()->blueComponent() * 255), 195);
    EXPECT_EQ(actions, 1);
}
