// The head pane's toggle, the menu of head elements to add, and the head
// element and snippet set edits (the style sheets are in
// VornickHeadElementsControllerStyleSheets.cpp).
#include "editing/VornickHeadElementsController.h"

#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentSetSwitch.h"
#include "editing/commands/VornickUndoableHeadElementDeletion.h"
#include "editing/commands/VornickUndoableHeadElementInsertion.h"
#include "platform/views/Event.h"
#include "platform/views/Menu.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace brevanton {

VornickHeadElementsController::VornickHeadElementsController(std::unique_ptr<Host> host)
    : m_host(std::move(host))
{
}

VornickHeadElementsController::~VornickHeadElementsController() = default;

void VornickHeadElementsController::toggleHeadElementsShown()
{
    if (!m_host->allowsHeadDisplayAndEditing())
        return;
    m_host->editingContext().endTypingRun();
    bool shown = m_host->headElementsShown();
    // A shown pane whose title field lacks focus gets the focus first; the
    // next toggle hides it.
    if (shown && !m_host->titleTextFieldHasFocus()) {
        m_host->focusTitleTextField();
        return;
    }
    m_host->setHeadElementsShown(!shown);
}

const std::shared_ptr<Menu>& VornickHeadElementsController::addHeadElementMenu()
{
    if (!m_addHeadElementMenu) {
        auto menu = Menu::create(u"Add Head Element");
        auto item = MenuItem::create(u"Style Sheet Link\u2026", "addNewStylesheetLinkHeadElement:");
        item->setTarget(m_host->menuTarget());
        menu->addItem(item);
        m_addHeadElementMenu = menu;
    }
    return m_addHeadElementMenu;
}

void VornickHeadElementsController::addNewHeadElement(ActionSender* sender)
{
    const auto& menu = addHeadElementMenu();
    auto* senderView = dynamic_cast<View*>(sender);
    if (!senderView || !menu)
        return;
    // The menu's first item comes up at the centre of the sender.
    Rect bounds = senderView->bounds();
    Point centre = senderView->convertPointToView(Point { bounds.midX(), bounds.midY() }, nullptr);
    auto event = Event::mouseEvent(EventType::LeftMouseDown, centre, 0, 0, senderView->window(), 1);
    Menu::popUpContextMenu(menu, event, *senderView);
}

void VornickHeadElementsController::deleteHeadElementAtIndex(bool undoable, unsigned index, const std::shared_ptr<DOMDocument>& document)
{
    VornickUndoableHeadElementDeletion(m_host->editingContext(), undoable, index, document).apply();
}

bool VornickHeadElementsController::insertHeadElementWithTagName(bool undoable, const std::u16string& tagName,
                                                                 const std::vector<VornickElementAttributeValue>& attributeValues,
                                                                 const std::vector<std::shared_ptr<DOMNode>>& childNodes, unsigned index,
                                                                 const std::shared_ptr<DOMDocument>& document)
{
    return VornickUndoableHeadElementInsertion(m_host->editingContext(), undoable, tagName, attributeValues, childNodes, index, document)
        .apply();
}

bool VornickHeadElementsController::setFragmentSet(bool undoable, const std::shared_ptr<VornickFragmentSet>& fragmentSet,
                                                   const std::shared_ptr<WebFrame>& frame)
{
    return VornickUndoableFragmentSetSwitch(m_host->editingContext(), undoable, fragmentSet, frame).apply();
}

} // namespace brevanton
