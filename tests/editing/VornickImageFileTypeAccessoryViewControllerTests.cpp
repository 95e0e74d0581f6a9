#include "UndoableEditChecks.h"

#include "editing/VornickImageFileTypeAccessoryViewController.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Button.h"
#include "platform/views/Image.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SavePanel.h"
#include "platform/views/TextField.h"
#include "tests/editing/VornickContentEditingViewTestPeer.h"

#include <png.h>

namespace brevanton {

class VornickImageFileTypeAccessoryViewControllerTestPeer {
public:
    static unsigned encodingCount(const VornickImageFileTypeAccessoryViewController& controller) { return controller.m_encodingCount; }
};

namespace testing {
namespace {

using Peer = VornickImageFileTypeAccessoryViewControllerTestPeer;

std::shared_ptr<const ImageRep> texturedImage()
{
    long width = 64;
    long height = 48;
    std::vector<uint8_t> rgba(static_cast<size_t>(width * height * 4));
    for (size_t index = 0; index < rgba.size(); index += 4) {
        size_t pixel = index / 4;
        rgba[index] = static_cast<uint8_t>(pixel * 5);
        rgba[index + 1] = static_cast<uint8_t>((pixel * 11) ^ (pixel >> 3));
        rgba[index + 2] = static_cast<uint8_t>(pixel >> 2);
        rgba[index + 3] = 255;
    }
    return std::make_shared<ImageRep>(width, height, false, std::move(rgba));
}

bool isPNG(const std::vector<uint8_t>& data) { return data.size() > 8 && png_sig_cmp(data.data(), 0, 8) == 0; }
bool isJPEG(const std::vector<uint8_t>& data) { return data.size() > 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff; }
bool isTIFF(const std::vector<uint8_t>& data) { return data.size() > 4 && data[0] == 'I' && data[1] == 'I' && data[2] == 42; }

void turn() { RunLoop::main().runOnce(0); }

class ImageFileTypeAccessoryTest : public UndoableEditTest {
protected:
    void TearDown() override
    {
        SavePanelDriver::shared().reset();
        UndoableEditTest::TearDown();
    }
};

TEST_F(ImageFileTypeAccessoryTest, ChangesInOneTurnEncodeOnceAndOnlyJPEGSettingsOfJPEGReencode)
{
    VornickImageFileTypeAccessoryViewController controller(texturedImage(), VornickImageFileType::PNG);
    EXPECT_TRUE(controller.bitmapFileDataUpdateScheduled());
    EXPECT_EQ(controller.imageFileSize(), 0u);
    turn();
    EXPECT_EQ(Peer::encodingCount(controller), 1u);
    size_t pngSize = controller.imageFileSize();
    ASSERT_GT(pngSize, 0u);
    EXPECT_EQ(controller.imageFileSizeTextField()->stringValue(), VornickImageFileTypeAccessoryViewController::byteCountString(pngSize));
    EXPECT_FALSE(controller.jpegQualityTextField()->isEnabled());
    EXPECT_FALSE(controller.progressiveCheckBox()->isEnabled());

    // The quality of a PNG neither encodes nor changes the size shown.
    controller.setJpegQuality(0.2f);
    EXPECT_FALSE(controller.bitmapFileDataUpdateScheduled());
    turn();
    EXPECT_EQ(Peer::encodingCount(controller), 1u);
    EXPECT_EQ(controller.imageFileSize(), pngSize);

    // Switching to JPEG encodes with that quality.
    controller.setImageFileType(VornickImageFileType::JPEG);
    EXPECT_TRUE(controller.jpegQualityTextField()->isEnabled());
    turn();
    EXPECT_EQ(Peer::encodingCount(controller), 2u);
    ASSERT_TRUE(controller.bitmapFileData() && isJPEG(*controller.bitmapFileData()));
    size_t lowQualitySize = controller.imageFileSize();

    // Three changes in one turn: one encoding.
    controller.setJpegQuality(0.5f);
    controller.setJpegQuality(0.7f);
    controller.setJpegQuality(1.0f);
    turn();
    EXPECT_EQ(Peer::encodingCount(controller), 3u);
    EXPECT_GT(controller.imageFileSize(), lowQualitySize);
    EXPECT_EQ(toUTF8(controller.jpegQualityTextField()->stringValue()), "100%");
}

TEST_F(ImageFileTypeAccessoryTest, DataAskedForWhilePendingMatchesTheSettingsAndQualityIsClamped)
{
    VornickImageFileTypeAccessoryViewController controller(texturedImage(), VornickImageFileType::JPEG);
    turn();
    controller.setJpegQuality(4.0f);
    EXPECT_EQ(controller.jpegQuality(), 1.0f);
    controller.setJpegQuality(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(controller.jpegQuality(), 1.0f);
    auto best = *representationUsingType(*controller.bitmapImageRep(), BitmapImageFileType::JPEG, { 1.0, true });
    ASSERT_TRUE(controller.bitmapFileDataUpdateScheduled());
    EXPECT_EQ(*controller.bitmapFileData(), best) << "encoded at once, with the current settings";
    EXPECT_FALSE(controller.bitmapFileDataUpdateScheduled());
    unsigned encodings = Peer::encodingCount(controller);
    turn();
    EXPECT_EQ(Peer::encodingCount(controller), encodings) << "the pending encoding was done";

    controller.setJpegQuality(-1.0f);
    EXPECT_EQ(controller.jpegQuality(), 0.0f);
    // Typed: a percentage, clamped; text that is no number changes nothing.
    controller.jpegQualityTextField()->setTextString(u"140 %");
    ASSERT_TRUE(controller.jpegQualityTextField()->sendAction());
    EXPECT_EQ(controller.jpegQuality(), 1.0f);
    EXPECT_EQ(toUTF8(controller.jpegQualityTextField()->stringValue()), "100%");
    controller.jpegQualityTextField()->setTextString(u"35");
    ASSERT_TRUE(controller.jpegQualityTextField()->sendAction());
    EXPECT_FLOAT_EQ(controller.jpegQuality(), 0.35f);
    controller.jpegQualityTextField()->setTextString(u"high");
    ASSERT_TRUE(controller.jpegQualityTextField()->sendAction());
    EXPECT_FLOAT_EQ(controller.jpegQuality(), 0.35f);
    EXPECT_EQ(toUTF8(controller.jpegQualityTextField()->stringValue()), "35%");

    // The check box.
    ASSERT_TRUE(controller.progressiveCheckBox()->performClick());
    EXPECT_FALSE(controller.progressiveJPEG());
}

TEST_F(ImageFileTypeAccessoryTest, AnyOtherTypeIsWrittenAndNamedAsTIFF)
{
    EXPECT_EQ(VornickBitmapImageFileTypeForImageFileType(VornickImageFileType::JPEG), BitmapImageFileType::JPEG);
    EXPECT_EQ(VornickBitmapImageFileTypeForImageFileType(VornickImageFileType::PNG), BitmapImageFileType::PNG);
    EXPECT_EQ(VornickBitmapImageFileTypeForImageFileType(VornickImageFileType::Other), BitmapImageFileType::TIFF);
    EXPECT_EQ(VornickBitmapImageFileTypeForImageFileType(static_cast<VornickImageFileType>(7)), BitmapImageFileType::TIFF);

    VornickImageFileTypeAccessoryViewController controller(texturedImage(), VornickImageFileType::Other);
    ASSERT_TRUE(controller.bitmapFileData());
    EXPECT_TRUE(isTIFF(*controller.bitmapFileData()));
    EXPECT_EQ(toUTF8(controller.fileTypePopUpButton()->titleOfSelectedItem()), "TIFF");
    controller.fileTypePopUpButton()->chooseItemAtIndex(0);
    EXPECT_EQ(controller.imageFileType(), VornickImageFileType::PNG);
    EXPECT_TRUE(isPNG(*controller.bitmapFileData()));
}

TEST_F(ImageFileTypeAccessoryTest, ThePermissionPanelFollowsTheTypeChosenInItsAccessory)
{
    loadBody("<p>text</p>");
    auto controller = std::make_shared<VornickImageFileTypeAccessoryViewController>(texturedImage(), VornickImageFileType::PNG);
    auto proposed = *URL::create(u"file:///tmp/images/photo.png");
    std::vector<std::vector<std::u16string>> typesSeen;
    SavePanelDriver::shared().setResponder([&](SavePanel& panel) -> std::optional<SavePanelDriver::Answer> {
        EXPECT_EQ(panel.accessoryView(), controller->view());
        typesSeen.push_back(panel.allowedFileTypes());
        // The user picks JPEG in the accessory, then TIFF, then confirms.
        controller->fileTypePopUpButton()->chooseItemAtIndex(1);
        typesSeen.push_back(panel.allowedFileTypes());
        EXPECT_EQ(toUTF8(panel.nameFieldStringValue()), "photo.jpeg");
        controller->fileTypePopUpButton()->chooseItemAtIndex(2);
        typesSeen.push_back(panel.allowedFileTypes());
        return SavePanelDriver::Answer { ModalResponseOK, std::nullopt };
    });
    std::optional<URL> chosen;
    VornickContentEditingViewTestPeer::promptForPermissionToWriteFileOfType(*view, u"png", proposed, u"Save a copy", controller,
                                                                             [&](std::optional<URL> url) { chosen = url; });
    ASSERT_EQ(typesSeen.size(), 3u);
    EXPECT_EQ(typesSeen[0], (std::vector<std::u16string> { u"png" }));
    EXPECT_EQ(typesSeen[1].front(), u"jpeg");
    EXPECT_EQ(typesSeen[2].front(), u"tiff");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(toUTF8(chosen->lastPathComponent()), "photo.tiff");
    EXPECT_FALSE(controller->savePanel());
    ASSERT_TRUE(controller->bitmapFileData());
    EXPECT_TRUE(isTIFF(*controller->bitmapFileData())) << "the data written is of the type the file is named for";
}

TEST(ImageFileTypeAccessoryByteCounts, ReadLikeTheDesktopsFileSizes)
{
    using Controller = VornickImageFileTypeAccessoryViewController;
    EXPECT_EQ(toUTF8(Controller::byteCountString(0)), "Zero KB");
    EXPECT_EQ(toUTF8(Controller::byteCountString(1)), "1 byte");
    EXPECT_EQ(toUTF8(Controller::byteCountString(842)), "842 bytes");
    EXPECT_EQ(toUTF8(Controller::byteCountString(12'345)), "12 KB");
    EXPECT_EQ(toUTF8(Controller::byteCountString(999'700)), "1.0 MB");
    EXPECT_EQ(toUTF8(Controller::byteCountString(1'234'567)), "1.2 MB");
    EXPECT_EQ(toUTF8(Controller::byteCountString(1'250'000'000)), "1.25 GB");
}

} // namespace
} // namespace testing
} // namespace brevanton
