// PopUpButton: a button that shows one of its menu's items and lets the user
// choose another, sending its action when the choice is made.
#pragma once

#include "platform/views/Button.h"
#include "platform/views/Menu.h"

namespace brevanton {

class PopUpButton : public Button {
public:
    explicit PopUpButton(Rect frame = {});

    const std::shared_ptr<Menu>& menu() const { return m_menu; }
    long numberOfItems() const { return m_menu->numberOfItems(); }
    std::shared_ptr<MenuItem> itemAtIndex(long index) const { return m_menu->itemAtIndex(index); }
    // Adds an item with the title; the first item added is selected.
    std::shared_ptr<MenuItem> addItemWithTitle(std::u16string title);
    void removeAllItems();

    // -1 when there is no item.
    long indexOfSelectedItem() const { return m_selectedIndex; }
    std::shared_ptr<MenuItem> selectedItem() const;
    // The selected item's title, or the empty string.
    std::u16string titleOfSelectedItem() const;
    // Selects without sending the action; an index out of range selects nothing.
    void selectItemAtIndex(long index);
    void selectItemWithTitle(std::u16string_view title);
    // The user's choice: selects the item and sends the action.
    void chooseItemAtIndex(long index);

    // A click (or performClick) pops the menu up, its items validated first,
    // as Menu::popUpContextMenu shows menus, so that the backend shows it;
    // an item chosen there performs its own action. An item without one is
    // chosen (chooseItemAtIndex) when performed.
    void mouseDown(const Event&) override;
    void mouseUp(const Event&) override {}
    bool performClick() override;
    ControlDrawing controlDrawing() const override;

private:
    // Gives the items without an action the choosing one, aimed at this button.
    void prepareItemsToBeChosen();

    std::shared_ptr<Menu> m_menu;
    long m_selectedIndex { -1 };
};

} // namespace brevanton
