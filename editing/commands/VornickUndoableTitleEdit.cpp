#include "editing/commands/VornickUndoableTitleEdit.h"

#include "dom/VornickDocumentExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCollections.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

namespace {

std::shared_ptr<DOMElement> titleElement(DOMDocument& document, bool create)
{
    auto titles = document.getElementsByTagName(u"title");
    if (titles && titles->length())
        return downcast<DOMElement>(titles->item(0));
    if (!create)
        return nullptr;
    auto head = vornick_headElement(document);
    if (!head)
        return nullptr;
    auto title = document.createElement(u"title");
    head->appendChild(title);
    return title;
}

} // namespace

VornickUndoableTitleEdit::VornickUndoableTitleEdit(VornickEditingContext& context, bool undoable, std::u16string title,
                                                   std::shared_ptr<WebFrame> frame)
    : VornickUndoableEdit(context, undoable)
    , m_title(std::move(title))
    , m_frame(std::move(frame))
{
}

bool VornickUndoableTitleEdit::apply()
{
    const auto& frame = m_frame;
    auto document = frame ? frame->domDocument() : nullptr;
    if (!document)
        return false;
    begin(u"Edit Title", TypingRun::End, BackspaceRun::Keep);
    std::u16string oldTitle = document->title();
    if (oldTitle == m_title)
        return true;
    std::weak_ptr<WebFrame> weakFrame = frame;
    registerInverse([weakFrame, oldTitle](VornickEditingContext& context) {
        (void)VornickUndoableTitleEdit(context, true, oldTitle, weakFrame.lock()).apply();
    });
    setActionName();

    if (auto element = titleElement(*document, true))
        element->setTextContent(m_title);
    context().showTitleInHeadPane();
    context().contentDidChangeInWebFrame(frame);
    return true;
}

} // namespace brevanton
