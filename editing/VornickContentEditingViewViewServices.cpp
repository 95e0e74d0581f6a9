// Small services of the view for menus, toolbars, documents and inspectors:
// text zoom that keeps the user's place, the JavaScript switch, printing,
// debug dumps, the character encodings menu, the save panel that asks for
// permission to write a file, collapsing a brick, redrawing the web view.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickElementExtensions.h"
#include "dom/VornickNodeExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickElementEditorUIController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSavePanelAccessoryViewController.h"
#include "html/VornickWebFrameEditingState.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/Text.h"
#include "platform/views/Menu.h"
#include "platform/views/PrintOperation.h"
#include "platform/views/SavePanel.h"
#include "platform/web/WebFrame.h"
#include "platform/web/WebFrameView.h"
#include "views/VornickCharacterEncodingsMenu.h"

namespace brevanton {

// --- Text zoom

double VornickContentEditingView::textSizeMultiplier() const
{
    return m_internals->webView->textSizeMultiplier();
}

void VornickContentEditingView::setTextSizeMultiplier(double multiplier)
{
    m_internals->webView->setTextSizeMultiplier(multiplier);
    Internals::updateAfterTextZoom(*this);
}

bool VornickContentEditingView::canMakeTextLarger() const
{
    return m_internals->webView->canMakeTextLarger();
}

bool VornickContentEditingView::canMakeTextSmaller() const
{
    return m_internals->webView->canMakeTextSmaller();
}

bool VornickContentEditingView::canMakeTextStandardSize() const
{
    return m_internals->webView->canMakeTextStandardSize();
}

void VornickContentEditingView::makeTextLarger(ActionSender*)
{
    m_internals->webView->makeTextLarger();
    Internals::updateAfterTextZoom(*this);
}

void VornickContentEditingView::makeTextSmaller(ActionSender*)
{
    m_internals->webView->makeTextSmaller();
    Internals::updateAfterTextZoom(*this);
}

void VornickContentEditingView::makeTextStandardSize(ActionSender*)
{
    m_internals->webView->makeTextStandardSize();
    Internals::updateAfterTextZoom(*this);
}

void VornickContentEditingView::Internals::updateAfterTextZoom(VornickContentEditingView& thisView)
{
    // The page reflows; the user's place stays in the middle of the view.
    if (auto range = thisView.effectiveOperationRange())
        thisView.scrollRangeToVerticallyCentered(range);
}

// --- JavaScript and printing

bool VornickContentEditingView::Internals::isJavaScriptEnabled(const VornickContentEditingView& view)
{
    return view.m_internals->webView->preferences().javaScriptEnabled;
}

void VornickContentEditingView::Internals::setJavaScriptEnabled(VornickContentEditingView& view, bool enabled)
{
    consoleLog("-[VornickContentEditingView setJavaScriptEnabled:" + std::to_string(enabled ? 1 : 0) + "]");
    view.m_internals->webView->preferences().javaScriptEnabled = enabled;
}

std::shared_ptr<PrintOperation> VornickContentEditingView::printOperationWithPrintInfo(const PrintInfo& printInfo) const
{
    auto frame = mainFrame();
    if (!frame || !frame->frameView())
        return nullptr;
    return frame->frameView()->printOperationWithPrintInfo(printInfo);
}

// --- Debug dumps

void VornickContentEditingView::dumpEffectiveOperationRange(ActionSender*)
{
    auto selected = m_internals->webView->selectedDOMRange();
    consoleLog(u"DUMP:\ntargetRange=" + (m_internals->targetRange ? vornick_splat(*m_internals->targetRange) : std::u16string(u"(null)"))
               + u"\nselectedDOMRange=" + (selected ? vornick_splat(*selected) : std::u16string(u"(null)")));
}

void VornickContentEditingView::dumpFocusedDOMTree(ActionSender*)
{
    std::shared_ptr<DOMDocument> document = m_internals->focusedWebFrame ? m_internals->focusedWebFrame->domDocument() : nullptr;
    if (!document)
        document = mainFrameDocument();
    if (!document)
        return;
    consoleLog(u"Focused DOM Tree:\n" + vornick_splat(*document));
}

void VornickContentEditingView::dumpWebFrameTree(ActionSender*)
{
    if (auto frame = mainFrame())
        consoleLog(u"WebFrame Tree:\n" + vornick_subtreeDescription(*frame));
}

// --- The character encodings menu

std::shared_ptr<Menu> VornickContentEditingView::Internals::buildCharacterEncodingsMenu()
{
    return VornickBuildCharacterEncodingsMenu();
}

// --- Permission to write a file

void VornickContentEditingView::Internals::promptForPermissionToWriteFileOfType(VornickContentEditingView& editingView, const std::u16string& fileType, const URL& proposedURL, const std::u16string& message,
    const std::shared_ptr<VornickSavePanelAccessoryViewController>& accessoryViewController,
    const std::function<void(std::optional<URL>)>& completionHandler)
{
    auto panel = SavePanel::savePanel();
    panel->setAllowedFileTypes({ fileType });
    panel->setCanCreateDirectories(true);
    panel->setExtensionHidden(false);
    panel->setCanSelectHiddenExtension(true);
    panel->setPrompt(u"");
    panel->setMessage(message);
    panel->setNameFieldStringValue(proposedURL.lastPathComponent());
    panel->setDirectoryURL(proposedURL.URLByDeletingLastPathComponent());
    if (accessoryViewController) {
        panel->setAccessoryView(accessoryViewController->view());
        accessoryViewController->setSavePanel(panel);
    }
    // The element editor that asked stays open while the panel is in front.
    auto editor = editingView.m_internals->elementEditorUIController;
    if (editor)
        editor->setHeldOpen(true);
    ModalResponse response = panel->runModal();
    std::optional<URL> chosen;
    if (response == ModalResponseOK)
        chosen = panel->url();
    if (completionHandler)
        completionHandler(chosen);
    if (editor)
        editor->setHeldOpen(false);
    if (accessoryViewController)
        accessoryViewController->setSavePanel(nullptr);
}

// --- Bricks and drawing

bool VornickContentEditingView::Internals::toggleCollapseOfBrickElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>& element)
{
    if (!element)
        return true;
    // The editing style sheet collapses such bricks.
    if (vornick_hasClass(*element, u"brevanton-collapsed"))
        vornick_removeClass(*element, u"brevanton-collapsed");
    else
        vornick_addClass(*element, u"brevanton-collapsed");
    return true;
}

void VornickContentEditingView::vornick_redrawEmbeddedWebView(ActionSender*)
{
    m_internals->webView->setNeedsDisplay(true);
}

} // namespace brevanton
