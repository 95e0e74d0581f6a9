#include "tests/editing/ApplicationDelegateTestSupport.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include "editing/VornickImageFileTypeAccessoryViewController.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/views/Application.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SavePanel.h"
#include "platform/views/TextField.h"
#include "platform/views/qt/QtMenuBar.h"
#include "platform/views/qt/QtPanels.h"
#include "platform/views/qt/QtWindowWidget.h"
#include "shell/VornickApplicationShell.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace brevanton;

namespace {

std::shared_ptr<const ImageRep> gradientImage()
{
    std::vector<uint8_t> rgba(80 * 60 * 4);
    for (size_t index = 0; index < rgba.size(); index += 4) {
        rgba[index] = static_cast<uint8_t>(index / 4 % 80 * 3);
        rgba[index + 1] = static_cast<uint8_t>(index / 4 / 80 * 4);
        rgba[index + 2] = 90;
        rgba[index + 3] = 255;
    }
    return std::make_shared<ImageRep>(80, 60, false, std::move(rgba));
}

class ImageFileTypeAccessoryQtTests : public ::testing::Test {
protected:
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        m_folder = createTemporaryDirectory("image-accessory").value();
        m_delegate.install(m_folder + "/defaults.plist");
        static int argc = 1;
        static char name[] = "brevanton";
        static char* argv[] = { name, nullptr };
        shell = std::make_unique<VornickApplicationShell>(argc, argv);
    }
    void TearDown() override
    {
        shell.reset();
        SavePanelDriver::shared().reset();
        m_delegate.remove();
        EXPECT_TRUE(removeItem(m_folder));
    }

    static void settle()
    {
        for (int turns = 0; turns < 100 && RunLoop::main().runOnce(0); ++turns) {
        }
        QCoreApplication::processEvents();
    }
    static bool drawsText(const QtWindowWidget& widget, std::u16string_view text)
    {
        for (const auto& command : widget.lastPaintedCommands()) {
            if (command.text == text)
                return true;
        }
        return false;
    }

    std::string m_folder;
    brevanton::testing::TestApplicationDelegate m_delegate;
    std::unique_ptr<VornickApplicationShell> shell;
};

} // namespace

TEST_F(ImageFileTypeAccessoryQtTests, TheSaveDialogShowsTheAccessoryAndFollowsTheTypeChosenInIt)
{
    auto controller = std::make_shared<VornickImageFileTypeAccessoryViewController>(gradientImage(), VornickImageFileType::PNG);
    settle();
    size_t pngSize = controller->imageFileSize();
    ASSERT_GT(pngSize, 0u);
    // As the permission prompt sets the panel up.
    auto panel = SavePanel::savePanel();
    panel->setAllowedFileTypes({ u"png" });
    panel->setDirectoryURL(URL::fileURLWithPath(m_folder, true));
    panel->setNameFieldStringValue(u"photo.png");
    panel->setAccessoryView(controller->view());
    controller->setSavePanel(panel);

    bool checked = false;
    QTimer::singleShot(0, [&] {
        QFileDialog* dialog = nullptr;
        for (auto* widget : QApplication::topLevelWidgets()) {
            if (auto* shown = qobject_cast<QFileDialog*>(widget); shown && shown->isVisible())
                dialog = shown;
        }
        ASSERT_TRUE(dialog);
        auto* accessory = dialog->findChild<QtWindowWidget*>(QString::fromLatin1(QtSaveDialogAccessory::widgetName));
        ASSERT_TRUE(accessory);
        ASSERT_TRUE(accessory->isVisible());
        static_cast<void>(accessory->grab());
        EXPECT_TRUE(drawsText(*accessory, u"PNG"));
        EXPECT_TRUE(drawsText(*accessory, u"Progressive"));
        EXPECT_TRUE(drawsText(*accessory, VornickImageFileTypeAccessoryViewController::byteCountString(pngSize)));

        // The user opens the type pop-up and chooses JPEG.
        auto& popUp = *controller->fileTypePopUpButton();
        Rect box = popUp.convertRectToView(popUp.bounds(), nullptr);
        QTest::mouseClick(accessory, Qt::LeftButton, Qt::NoModifier,
                          QPoint(static_cast<int>(box.midX()), static_cast<int>(accessory->height() - box.midY())));
        auto* menu = dynamic_cast<QtMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QAction* jpeg = menu->actionForItem(*popUp.menu()->itemWithTitle(u"JPEG"));
        ASSERT_TRUE(jpeg);
        jpeg->trigger();
        menu->close();
        settle();
        EXPECT_EQ(controller->imageFileType(), VornickImageFileType::JPEG);
        EXPECT_EQ(dialog->defaultSuffix(), "jpeg");
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(nameField);
        EXPECT_EQ(nameField->text(), "photo.jpeg");
        static_cast<void>(accessory->grab());
        EXPECT_TRUE(drawsText(*accessory, u"JPEG"));
        EXPECT_TRUE(drawsText(*accessory, VornickImageFileTypeAccessoryViewController::byteCountString(controller->imageFileSize())));
        EXPECT_TRUE(controller->jpegQualityTextField()->isEnabled());
        checked = true;
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(panel->runModal(), ModalResponseOK);
    controller->setSavePanel(nullptr);
    EXPECT_TRUE(checked);
    ASSERT_TRUE(panel->url());
    EXPECT_EQ(toUTF8(panel->url()->lastPathComponent()), "photo.jpeg");
    ASSERT_TRUE(controller->bitmapFileData());
    const auto& data = *controller->bitmapFileData();
    EXPECT_TRUE(data.size() > 3 && data[0] == 0xff && data[1] == 0xd8) << "a JPEG file to write there";
    EXPECT_FALSE(controller->view()->superview());
}
