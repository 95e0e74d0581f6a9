#include "platform/views/PopUpButton.h"

#include "platform/views/Window.h"

namespace brevanton {

namespace {

constexpr const char* chooseItemAction = "vornick_choosePopUpItem:";

} // namespace

PopUpButton::PopUpButton(Rect frame)
    : Button(frame)
    , m_menu(Menu::create())
{
    setActionHandler(chooseItemAction, [this](ActionSender* sender) {
        for (long index = 0; index < numberOfItems(); ++index) {
            if (itemAtIndex(index).get() == sender) {
                chooseItemAtIndex(index);
                return;
            }
        }
    });
}

void PopUpButton::prepareItemsToBeChosen()
{
    auto self = std::static_pointer_cast<Responder>(shared_from_this());
    for (long index = 0; index < numberOfItems(); ++index) {
        auto item = itemAtIndex(index);
        if (item->action().empty() && !item->isSeparatorItem() && !item->hasSubmenu()) {
            item->setAction(chooseItemAction);
            item->setTarget(self);
        }
    }
}

std::shared_ptr<MenuItem> PopUpButton::addItemWithTitle(std::u16string title)
{
    auto item = MenuItem::create(std::move(title));
    m_menu->addItem(item);
    if (m_selectedIndex < 0)
        selectItemAtIndex(0);
    return item;
}

void PopUpButton::removeAllItems()
{
    m_menu->removeAllItems();
    m_selectedIndex = -1;
    setTitle({});
}

std::shared_ptr<MenuItem> PopUpButton::selectedItem() const
{
    return m_selectedIndex < 0 ? nullptr : m_menu->itemAtIndex(m_selectedIndex);
}

std::u16string PopUpButton::titleOfSelectedItem() const
{
    auto item = selectedItem();
    return item ? item->title() : std::u16string();
}

void PopUpButton::selectItemAtIndex(long index)
{
    m_selectedIndex = index >= 0 && index < numberOfItems() ? index : -1;
    setTitle(titleOfSelectedItem());
}

void PopUpButton::selectItemWithTitle(std::u16string_view title)
{
    for (long index = 0; index < numberOfItems(); ++index) {
        if (itemAtIndex(index)->title() == title) {
            selectItemAtIndex(index);
            return;
        }
    }
    selectItemAtIndex(-1);
}

void PopUpButton::mouseDown(const Event& event)
{
    if (!isEnabled())
        return;
    prepareItemsToBeChosen();
    Menu::popUpContextMenu(m_menu, event, *this);
}

bool PopUpButton::performClick()
{
    if (!isEnabled())
        return false;
    prepareItemsToBeChosen();
    // As a click at the button's middle would.
    Point middle = convertPointToView(Point { bounds().midX(), bounds().midY() }, nullptr);
    Menu::popUpContextMenu(m_menu, Event::mouseEvent(EventType::LeftMouseDown, middle, 0, 0, window(), 1), *this);
    return true;
}

void PopUpButton::chooseItemAtIndex(long index)
{
    selectItemAtIndex(index);
    sendAction();
}

ControlDrawing PopUpButton::controlDrawing() const
{
    ControlDrawing drawing = Button::controlDrawing();
    drawing.kind = ControlKind::PopUpButton;
    return drawing;
}

} // namespace brevanton
