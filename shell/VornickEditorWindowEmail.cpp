// The editor window's Email: the document action button at the right end of
// the toolbar's row (the window system draws the title bar, so the button
// stands beside it) and "emailPage:", which the button and the toolbar's
// Email item send.
#include "shell/VornickEditorWindow.h"

#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "platform/dom/DOMDocument.h"
#include "platform/views/Image.h"
#include "platform/views/Toolbar.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "ui/VornickDocumentActionButtonCell.h"

#include <filesystem>

namespace brevanton {

void VornickEditorWindow::installDocumentActionButton(View& toolbarView)
{
    constexpr double side = 28;
    constexpr double margin = 8;
    Rect bounds = toolbarView.bounds();
    m_documentActionButton = std::make_shared<VornickDocumentActionButtonCell>(
        Rect(bounds.maxX() - margin - side, (bounds.height() - side) / 2, side, side));
    m_documentActionButton->setImage(Image::imageNamed(ImageNameUser));
    m_documentActionButton->setAction("emailPage:");
    m_documentActionButton->setAutoresizingMask(Autoresizing::MinXMargin);
    toolbarView.addSubview(m_documentActionButton);
}

bool VornickEditorWindow::emailPage()
{
    // The message carries the page as the window shows it: changes not yet
    // saved are saved first (a save that fails says why, and sends nothing).
    if (m_editingView->isDocumentEdited() && !saveReportingFailure())
        return false;
    VornickMailMessage message;
    auto document = m_editingView->mainFrameDocument();
    message.subject = document ? document->title() : std::u16string();
    if (message.subject.empty())
        message.subject = m_window->title();
    message.attachmentPaths.push_back(m_path);
    if (!vornick_composeMail(message)) {
        VornickGeneralLog(u"No mail program to send the page with");
        return false;
    }
    return true;
}

} // namespace brevanton
