#include "platform/views/qt/QtPanels.h"

#include "platform/views/Application.h"
#include "platform/views/Window.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include <QAbstractButton>
#include <QPushButton>
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
