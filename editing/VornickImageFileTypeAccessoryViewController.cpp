#include "editing/VornickImageFileTypeAccessoryViewController.h"

#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TypeIdentifiers.h"
#include "platform/views/Button.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SavePanel.h"
#include "platform/views/TextField.h"

#include <cmath>
#include <cstdio>

namespace brevanton {

namespace {

constexpr const char* fileTypeChosenAction = "vornick_imageFileTypeChosen:";
constexpr const char* qualityEnteredAction = "vornick_jpegQualityEntered:";
constexpr const char* progressiveToggledAction = "vornick_progressiveJPEGToggled:";

std::u16string percentString(float quality)
{
    return toUTF16(std::to_string(std::lround(quality * 100.0))) + u"%";
}

// "75", "75%", " 62.5 %": the number before the sign, as a fraction; nothing
// for text that is no number.
std::optional<float> qualityFromPercentText(const std::u16string& text)
{
    std::string ascii;
    for (char16_t character : text) {
        if (character == u'%' || character == u' ')
            continue;
        if (character > 0x7f)
            return std::nullopt;
        ascii.push_back(static_cast<char>(character));
    }
    if (ascii.empty())
        return std::nullopt;
    char* end = nullptr;
    double percent = std::strtod(ascii.c_str(), &end);
    if (end != ascii.c_str() + ascii.size() || !std::isfinite(percent))
        return std::nullopt;
    return static_cast<float>(percent / 100.0);
}

std::u16string withDecimals(double value, int decimals)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return toUTF16(buffer);
}

} // namespace

std::u16string VornickImageFileTypeAccessoryViewController::byteCountString(uint64_t bytes)
{
    // Decimal units, as file sizes are shown on the desktop.
    if (bytes == 0)
        return u"Zero KB";
    if (bytes == 1)
        return u"1 byte";
    if (bytes < 1000)
        return toUTF16(std::to_string(bytes)) + u" bytes";
    double value = static_cast<double>(bytes);
    if (value < 999.5e3)
        return withDecimals(value / 1e3, 0) + u" KB";
    if (value < 999.95e6)
        return withDecimals(value / 1e6, 1) + u" MB";
    return withDecimals(value / 1e9, 2) + u" GB";
}

VornickImageFileTypeAccessoryViewController::VornickImageFileTypeAccessoryViewController(std::shared_ptr<const ImageRep> bitmapImageRep,
                                                                                       VornickImageFileType imageFileType)
    : m_bitmapImageRep(std::move(bitmapImageRep))
    , m_imageFileType(imageFileType)
{
    buildView();
    updateControls();
    scheduleBitmapFileDataUpdate();
}

VornickImageFileTypeAccessoryViewController::~VornickImageFileTypeAccessoryViewController()
{
    RunLoop::main().cancelPerforms(this);
    // The panel may keep the view a while longer.
    if (auto& container = view()) {
        container->removeActionHandler(fileTypeChosenAction);
        container->removeActionHandler(qualityEnteredAction);
        container->removeActionHandler(progressiveToggledAction);
    }
}

void VornickImageFileTypeAccessoryViewController::buildView()
{
    auto container = std::make_shared<View>(Rect(0, 0, 380, 72));
    auto typeLabel = TextField::labelWithString(u"Format:");
    typeLabel->setFrame(Rect(12, 42, 70, 20));
    container->addSubview(typeLabel);
    m_fileTypePopUpButton = std::make_shared<PopUpButton>(Rect(86, 40, 110, 24));
    m_fileTypePopUpButton->addItemWithTitle(u"PNG")->setTag(static_cast<long>(VornickImageFileType::PNG));
    m_fileTypePopUpButton->addItemWithTitle(u"JPEG")->setTag(static_cast<long>(VornickImageFileType::JPEG));
    m_fileTypePopUpButton->addItemWithTitle(u"TIFF")->setTag(static_cast<long>(VornickImageFileType::Other));
    m_fileTypePopUpButton->setTarget(container);
    m_fileTypePopUpButton->setAction(fileTypeChosenAction);
    container->addSubview(m_fileTypePopUpButton);
    m_imageFileSizeTextField = TextField::labelWithString(u"");
    m_imageFileSizeTextField->setFrame(Rect(212, 42, 156, 20));
    container->addSubview(m_imageFileSizeTextField);

    auto qualityLabel = TextField::labelWithString(u"Quality:");
    qualityLabel->setFrame(Rect(12, 10, 70, 20));
    container->addSubview(qualityLabel);
    m_jpegQualityTextField = std::make_shared<TextField>(Rect(86, 8, 60, 22));
    m_jpegQualityTextField->setEditable(true);
    m_jpegQualityTextField->setBezeled(true);
    m_jpegQualityTextField->setDrawsBackground(true);
    m_jpegQualityTextField->setTarget(container);
    m_jpegQualityTextField->setAction(qualityEnteredAction);
    container->addSubview(m_jpegQualityTextField);
    m_progressiveCheckBox = std::make_shared<Button>(Rect(160, 8, 140, 22), u"Progressive");
    m_progressiveCheckBox->setButtonType(ButtonType::Switch);
    m_progressiveCheckBox->setTarget(container);
    m_progressiveCheckBox->setAction(progressiveToggledAction);
    container->addSubview(m_progressiveCheckBox);

    container->setActionHandler(fileTypeChosenAction, [this](ActionSender*) { fileTypeChosen(); });
    container->setActionHandler(qualityEnteredAction, [this](ActionSender*) { qualityEntered(); });
    container->setActionHandler(progressiveToggledAction, [this](ActionSender*) { progressiveToggled(); });
    setView(std::move(container));
}

void VornickImageFileTypeAccessoryViewController::updateControls()
{
    auto& menu = m_fileTypePopUpButton->menu();
    m_fileTypePopUpButton->selectItemAtIndex(menu->indexOfItem(menu->itemWithTag(static_cast<long>(m_imageFileType)).get()));
    m_jpegQualityTextField->setTextString(percentString(m_jpegQuality));
    m_jpegQualityTextField->setEnabled(imageFileTypeIsJPEG());
    m_progressiveCheckBox->setState(m_progressiveJPEG ? OnState : OffState);
    m_progressiveCheckBox->setEnabled(imageFileTypeIsJPEG());
    m_imageFileSizeTextField->setTextString(byteCountString(imageFileSize()));
}

void VornickImageFileTypeAccessoryViewController::setImageFileType(VornickImageFileType type)
{
    if (type == m_imageFileType)
        return;
    m_imageFileType = type;
    restrictSavePanelToFileType();
    updateControls();
    scheduleBitmapFileDataUpdate();
}

void VornickImageFileTypeAccessoryViewController::setProgressiveJPEG(bool progressive)
{
    if (progressive == m_progressiveJPEG)
        return;
    m_progressiveJPEG = progressive;
    updateControls();
    if (imageFileTypeIsJPEG())
        scheduleBitmapFileDataUpdate();
}

void VornickImageFileTypeAccessoryViewController::setJpegQuality(float quality)
{
    if (std::isnan(quality))
        return;
    quality = std::clamp(quality, 0.0f, 1.0f);
    if (quality == m_jpegQuality)
        return;
    m_jpegQuality = quality;
    updateControls();
    if (imageFileTypeIsJPEG())
        scheduleBitmapFileDataUpdate();
}

const std::optional<std::vector<uint8_t>>& VornickImageFileTypeAccessoryViewController::bitmapFileData()
{
    if (m_bitmapFileDataUpdateScheduled || !m_bitmapFileData)
        updateBitmapFileData();
    return m_bitmapFileData;
}

void VornickImageFileTypeAccessoryViewController::scheduleBitmapFileDataUpdate()
{
    if (m_bitmapFileDataUpdateScheduled)
        return;
    m_bitmapFileDataUpdateScheduled = true;
    RunLoop::main().performAfterDelay(this, 0, [this] { updateBitmapFileData(); });
}

void VornickImageFileTypeAccessoryViewController::updateBitmapFileData()
{
    if (m_bitmapFileDataUpdateScheduled) {
        m_bitmapFileDataUpdateScheduled = false;
        RunLoop::main().cancelPerforms(this);
    }
    m_bitmapFileData.reset();
    if (m_bitmapImageRep) {
        BitmapImageProperties properties;
        if (imageFileTypeIsJPEG()) {
            properties.compressionFactor = m_jpegQuality;
            properties.progressive = m_progressiveJPEG;
        }
        ++m_encodingCount;
        m_bitmapFileData = representationUsingType(*m_bitmapImageRep, VornickBitmapImageFileTypeForImageFileType(m_imageFileType), properties);
    }
    m_imageFileSizeTextField->setTextString(byteCountString(imageFileSize()));
}

void VornickImageFileTypeAccessoryViewController::setSavePanel(std::shared_ptr<SavePanel> panel)
{
    VornickSavePanelAccessoryViewController::setSavePanel(std::move(panel));
    restrictSavePanelToFileType();
}

void VornickImageFileTypeAccessoryViewController::restrictSavePanelToFileType()
{
    auto& panel = savePanel();
    if (!panel)
        return;
    // Type 0 is written as TIFF, so the file gets a TIFF name.
    panel->setAllowedFileTypes(filenameExtensionsForTypeIdentifier(VornickTypeIdentifierForImageFileType(m_imageFileType)));
}

void VornickImageFileTypeAccessoryViewController::fileTypeChosen()
{
    auto item = m_fileTypePopUpButton->selectedItem();
    if (!item)
        return;
    long tag = item->tag();
    if (tag == static_cast<long>(VornickImageFileType::JPEG) || tag == static_cast<long>(VornickImageFileType::PNG)
        || tag == static_cast<long>(VornickImageFileType::Other))
        setImageFileType(static_cast<VornickImageFileType>(tag));
}

void VornickImageFileTypeAccessoryViewController::qualityEntered()
{
    if (auto quality = qualityFromPercentText(m_jpegQualityTextField->stringValue()))
        setJpegQuality(*quality);
    // What was typed shows as the quality taken (clamped), or as before.
    m_jpegQualityTextField->setTextString(percentString(m_jpegQuality));
}

void VornickImageFileTypeAccessoryViewController::progressiveToggled()
{
    setProgressiveJPEG(m_progressiveCheckBox->state() == OnState);
}

} // namespace brevanton
