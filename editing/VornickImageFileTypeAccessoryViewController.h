// VornickImageFileTypeAccessoryViewController: the accessory of the panel
// that saves a copy of an image. The user picks the file type (PNG, JPEG, or
// TIFF for any other type) and, for JPEG, a quality and whether the file is
// progressive; the accessory shows the size the file will have, encoding
// the image again after each change. Changes within one turn of the run
// loop give one encoding (a zero-delay perform, cancelled when the
// controller goes); asking for the data while one is pending encodes at
// once. A change of type restricts the running panel to that type's
// extensions. The quality is kept between 0 and 1. Main thread only.
//
// The view: a file type pop-up, the size the file will have (a byte count),
// the JPEG quality as a percentage (typed; Return takes it) and the
// progressive check box, the last two enabled for JPEG only.
#pragma once

#include "editing/VornickImageFileType.h"
#include "editing/VornickSavePanelAccessoryViewController.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Button;
class ImageRep;
class PopUpButton;
class TextField;

class VornickImageFileTypeAccessoryViewController final : public VornickSavePanelAccessoryViewController {
public:
    VornickImageFileTypeAccessoryViewController(std::shared_ptr<const ImageRep> bitmapImageRep, VornickImageFileType);
    ~VornickImageFileTypeAccessoryViewController() override;
    VornickImageFileTypeAccessoryViewController(const VornickImageFileTypeAccessoryViewController&) = delete;
    VornickImageFileTypeAccessoryViewController& operator=(const VornickImageFileTypeAccessoryViewController&) = delete;

    const std::shared_ptr<const ImageRep>& bitmapImageRep() const { return m_bitmapImageRep; }

    VornickImageFileType imageFileType() const { return m_imageFileType; }
    void setImageFileType(VornickImageFileType);
    bool imageFileTypeIsJPEG() const { return m_imageFileType == VornickImageFileType::JPEG; }
    bool progressiveJPEG() const { return m_progressiveJPEG; }
    void setProgressiveJPEG(bool);
    float jpegQuality() const { return m_jpegQuality; }
    // Clamped to 0-1; a value that is no number is ignored.
    void setJpegQuality(float);

    // The file for the current settings: the data encoded last when no
    // encoding is pending, else encoded now. Null when the image has no pixels.
    const std::optional<std::vector<uint8_t>>& bitmapFileData();
    // Bytes of the data encoded last, 0 when there is none.
    size_t imageFileSize() const { return m_bitmapFileData ? m_bitmapFileData->size() : 0; }
    bool bitmapFileDataUpdateScheduled() const { return m_bitmapFileDataUpdateScheduled; }
    void scheduleBitmapFileDataUpdate();
    void updateBitmapFileData();

    // The running panel also gets the current type's extensions.
    void setSavePanel(std::shared_ptr<SavePanel>) override;

    // The controls of the view.
    const std::shared_ptr<PopUpButton>& fileTypePopUpButton() const { return m_fileTypePopUpButton; }
    const std::shared_ptr<TextField>& imageFileSizeTextField() const { return m_imageFileSizeTextField; }
    const std::shared_ptr<TextField>& jpegQualityTextField() const { return m_jpegQualityTextField; }
    const std::shared_ptr<Button>& progressiveCheckBox() const { return m_progressiveCheckBox; }

    // The size the view shows: "Zero KB", "842 bytes", "12 KB", "1.2 MB", "1.25 GB".
    static std::u16string byteCountString(uint64_t bytes);

private:
    friend class VornickImageFileTypeAccessoryViewControllerTestPeer;

    void buildView();
    void restrictSavePanelToFileType();
    void updateControls();
    void fileTypeChosen();
    void qualityEntered();
    void progressiveToggled();

    std::shared_ptr<const ImageRep> m_bitmapImageRep;
    VornickImageFileType m_imageFileType;
    bool m_progressiveJPEG { true };
    float m_jpegQuality { 0.9f };
    std::optional<std::vector<uint8_t>> m_bitmapFileData;
    bool m_bitmapFileDataUpdateScheduled { false };
    unsigned m_encodingCount { 0 };

    std::shared_ptr<PopUpButton> m_fileTypePopUpButton;
    std::shared_ptr<TextField> m_imageFileSizeTextField;
    std::shared_ptr<TextField> m_jpegQualityTextField;
    std::shared_ptr<Button> m_progressiveCheckBox;
};

} // namespace brevanton
