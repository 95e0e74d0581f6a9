// The head pane and the menu of head elements to add, the head element and
// snippet set edits, and the note to the delegate that the focused
// document's style sheets changed.
#include "editing/VornickContentEditingView.h"

#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickHeadMetadataEditingUIController.h"
#include "editing/commands/VornickUndoableFragmentSetSwitch.h"
#include "editing/commands/VornickUndoableHeadElementDeletion.h"
#include "editing/commands/VornickUndoableHeadElementInsertion.h"
#include "platform/views/Event.h"
#include "platform/views/Menu.h"
#include "platform/web/WebFrame.h"

namespace brevanton {

void VornickContentEditingView::Internals::installHeadElementActionHandlers(VornickContentEditingView& view)
{
    view.installActionHandler("toggleHeadElementsShown:", &Internals::toggleHeadElementsShown);
    view.installActionHandler("addNewHeadElement:", &Internals::addNewHeadElement);
    view.installActionHandler("addNewStylesheetLinkHeadElement:", &Internals::addNewStylesheetLinkHeadElement);
}

void VornickContentEditingView::Internals::toggleHeadElementsShown(VornickContentEditingView& view, ActionSender*)
{
    if (!view.m_internals->allowsHeadDisplayAndEditing)
        return;
    view.endTypingRun();
    bool shown = Internals::headElementsShown(view);
    // A shown pane whose title field lacks focus gets the focus first; the
    // next toggle hides it.
    if (shown && view.m_internals->headMetadataEditingUIController && !view.m_internals->headMetadataEditingUIController->titleTextFieldHasFocus()) {
        view.m_internals->headMetadataEditingUIController->focusTitleTextField();
        return;
    }
    Internals::setHeadElementsShown(view, !shown);
}

const std::shared_ptr<Menu>& VornickContentEditingView::addHeadElementMenu()
{
    if (!m_internals->addHeadElementMenu) {
        auto menu = Menu::create(u"Add Head Element");
        auto item = MenuItem::create(u"Style Sheet Link\u2026", "addNewStylesheetLinkHeadElement:");
        item->setTarget(shared_from_this());
        menu->addItem(item);
        m_internals->addHeadElementMenu = menu;
    }
    return m_internals->addHeadElementMenu;
}

void VornickContentEditingView::Internals::addNewHeadElement(VornickContentEditingView& view, ActionSender* sender)
{
    const auto& menu = view.addHeadElementMenu();
    auto* senderView = dynamic_cast<View*>(sender);
    if (!senderView || !menu)
        return;
    // The menu's first item comes up at the centre of the sender.
    Rect bounds = senderView->bounds();
    Point centre = senderView->convertPointToView(Point { bounds.midX(), bounds.midY() }, nullptr);
    auto event = Event::mouseEvent(EventType::LeftMouseDown, centre, 0, 0, senderView->window(), 1);
    Menu::popUpContextMenu(menu, event, *senderView);
}

void VornickContentEditingView::undoableDeleteHeadElementAtIndex(bool undoable, unsigned index,
                                                                 const std::shared_ptr<DOMDocument>& document)
{
    VornickUndoableHeadElementDeletion(editingContext(), undoable, index, document).apply();
}

bool VornickContentEditingView::undoableInsertHeadElementWithTagName(bool undoable, const std::u16string& tagName,
                                                                     const std::vector<VornickElementAttributeValue>& attributeValues,
                                                                     const std::vector<std::shared_ptr<DOMNode>>& childNodes,
                                                                     unsigned index, const std::shared_ptr<DOMDocument>& document)
{
    return VornickUndoableHeadElementInsertion(editingContext(), undoable, tagName, attributeValues, childNodes, index, document).apply();
}

bool VornickContentEditingView::undoableSetFragmentSet(bool undoable, const std::shared_ptr<VornickFragmentSet>& fragmentSet,
                                                       const std::shared_ptr<WebFrame>& frame)
{
    return VornickUndoableFragmentSetSwitch(editingContext(), undoable, fragmentSet, frame).apply();
}

void VornickContentEditingView::noteStyleSheetSetChangeInDocument(const DOMDocument& document)
{
    auto focusedDocument = m_internals->focusedWebFrame ? m_internals->focusedWebFrame->domDocument() : nullptr;
    if (m_internals->delegate && focusedDocument.get() == &document)
        m_internals->delegate->vornickContentEditingViewDidChangeStyleSheetSetInFocusedWebFrame(*this);
}

} // namespace brevanton
