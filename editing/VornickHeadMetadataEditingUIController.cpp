#include "editing/VornickHeadMetadataEditingUIController.h"

#include "editing/VornickContentEditingView.h"
#include "dom/VornickWebFrameExtensions.h"
#include "html/VornickDocumentHTMLSpec.h"
#include "html/VornickHTMLDocumentType.h"
#include "html/VornickHTMLWriter.h"
#include "platform/dom/DOMDocument.h"
#include "platform/views/TextField.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

VornickHeadMetadataEditingUIController::VornickHeadMetadataEditingUIController()
    : m_view(std::make_shared<View>(Rect(0, 0, 600, naturalHeaderHeight)))
    , m_titleTextField(std::make_shared<TextField>(Rect(12, 10, 576, 24)))
    , m_documentTypeField(TextField::labelWithString(u""))
    , m_characterEncodingField(TextField::labelWithString(u""))
{
    m_titleTextField->setEditable(true);
    m_titleTextField->setAutoresizingMask(Autoresizing::WidthSizable);
    m_documentTypeField->setFrame(Rect(12, 44, 280, 18));
    m_characterEncodingField->setFrame(Rect(300, 44, 288, 18));
    m_view->setAutoresizingMask(Autoresizing::WidthSizable);
    m_view->addSubview(m_titleTextField);
    m_view->addSubview(m_documentTypeField);
    m_view->addSubview(m_characterEncodingField);
}

VornickHeadMetadataEditingUIController::~VornickHeadMetadataEditingUIController() = default;

void VornickHeadMetadataEditingUIController::setFocusedWebFrame(const std::shared_ptr<WebFrame>& frame)
{
    m_focusedWebFrame = frame;
    updateTitleTextField();
    updateDocumentTypeDisplay();
    updateCharacterEncodingDisplay();
}

void VornickHeadMetadataEditingUIController::updateTitleTextField()
{
    auto frame = focusedWebFrame();
    auto& document = frame ? frame->domDocument() : nullptr;
    m_titleTextField->setTextString(document ? document->title() : std::u16string());
}

void VornickHeadMetadataEditingUIController::updateDocumentTypeDisplay()
{
    auto frame = focusedWebFrame();
    auto& document = frame ? frame->domDocument() : nullptr;
    std::u16string text;
    if (document) {
        auto type = VornickDocumentTypeOfDocument(*document);
        text = type == VornickHTMLDocumentType::Unknown ? u"Unknown document type" : VornickHTMLDocumentTypeToPersistableString(type);
    }
    m_documentTypeField->setTextString(text);
}

void VornickHeadMetadataEditingUIController::updateCharacterEncodingDisplay()
{
    auto frame = focusedWebFrame();
    auto& document = frame ? frame->domDocument() : nullptr;
    std::u16string text;
    if (document && m_contentEditingView)
        text = m_contentEditingView->htmlWriterForWebFrame(*frame)->detectOutputStringEncodingForDocument(*document);
    m_characterEncodingField->setTextString(text);
}

void VornickHeadMetadataEditingUIController::focusTitleTextField()
{
    if (auto window = m_titleTextField->window())
        window->makeFirstResponder(m_titleTextField);
}

bool VornickHeadMetadataEditingUIController::titleTextFieldHasFocus() const
{
    auto window = m_titleTextField->window();
    return window && window->firstResponder() == m_titleTextField;
}

void VornickHeadMetadataEditingUIController::commitTitleTextField()
{
    if (m_contentEditingView)
        m_contentEditingView->undoableSetTitle(true, m_titleTextField->attributedStringValue().string(), focusedWebFrame());
}

} // namespace brevanton
