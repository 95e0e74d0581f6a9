#include "platform/views/Menu.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/Application.h"

#include <algorithm>

namespace brevanton {

// MenuItem

std::shared_ptr<MenuItem> MenuItem::create(std::u16string title, Action action, std::u16string keyEquivalent)
{
    return std::make_shared<MenuItem>(std::move(title), std::move(action), std::move(keyEquivalent));
}

std::shared_ptr<MenuItem> MenuItem::separatorItem()
{
    auto item = create({});
    item->m_isSeparator = true;
    item->m_enabled = false;
    return item;
}

MenuItem::MenuItem(std::u16string title, Action action, std::u16string keyEquivalent)
    : m_title(std::move(title))
    , m_action(std::move(action))
    , m_keyEquivalent(std::move(keyEquivalent))
{
}

void MenuItem::setSubmenu(const std::shared_ptr<Menu>& submenu)
{
    if (m_submenu)
        m_submenu->m_supermenu.reset();
    m_submenu = submenu;
    if (submenu)
        submenu->m_supermenu = m_menu;
}

static bool isUpperCaseLetter(char16_t c)
{
    return c >= u'A' && c <= u'Z';
}

bool MenuItem::matchesKeyEquivalent(const Event& event) const
{
    if (m_isSeparator || m_keyEquivalent.empty() || event.type() != EventType::KeyDown)
        return false;
    constexpr ModifierFlags relevant = ModifierFlag::Shift | ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Command;
    ModifierFlags required = m_keyEquivalentModifierMask & relevant;
    std::u16string key = m_keyEquivalent;
    if (key.size() == 1 && isUpperCaseLetter(key[0]))
        required |= ModifierFlag::Shift;
    std::u16string pressed = event.charactersIgnoringModifiers();
    // A shifted letter may arrive in either case.
    if (key.size() == 1 && pressed.size() == 1 && (required & ModifierFlag::Shift)) {
        auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
        key[0] = upper(key[0]);
        pressed[0] = upper(pressed[0]);
    }
    return pressed == key && (event.modifierFlags() & relevant) == required;
}

// Menu

std::shared_ptr<Menu> Menu::create(std::u16string title)
{
    return std::make_shared<Menu>(std::move(title));
}

Menu::Menu(std::u16string title)
    : m_title(std::move(title))
{
}

void Menu::adopt(const std::shared_ptr<MenuItem>& item)
{
    BREVANTON_ASSERT(item, "a menu item is required");
    BREVANTON_ASSERT(!item->menu(), "the menu item is already in a menu");
    item->m_menu = weak_from_this();
    if (item->m_submenu)
        item->m_submenu->m_supermenu = weak_from_this();
}

void Menu::addItem(const std::shared_ptr<MenuItem>& item)
{
    adopt(item);
    m_items.push_back(item);
}

std::shared_ptr<MenuItem> Menu::addItem(std::u16string title, Action action, std::u16string keyEquivalent)
{
    auto item = MenuItem::create(std::move(title), std::move(action), std::move(keyEquivalent));
    addItem(item);
    return item;
}

void Menu::insertItem(const std::shared_ptr<MenuItem>& item, long index)
{
    BREVANTON_ASSERT(index >= 0 && index <= numberOfItems(), "menu item index out of range");
    adopt(item);
    m_items.insert(m_items.begin() + index, item);
}

void Menu::removeItem(const std::shared_ptr<MenuItem>& item)
{
    long index = indexOfItem(item.get());
    if (index >= 0)
        removeItemAtIndex(index);
}

void Menu::removeItemAtIndex(long index)
{
    BREVANTON_ASSERT(index >= 0 && index < numberOfItems(), "menu item index out of range");
    auto item = m_items[index];
    item->m_menu.reset();
    if (item->m_submenu)
        item->m_submenu->m_supermenu.reset();
    m_items.erase(m_items.begin() + index);
}

void Menu::removeAllItems()
{
    while (!m_items.empty())
        removeItemAtIndex(numberOfItems() - 1);
}

std::shared_ptr<MenuItem> Menu::itemAtIndex(long index) const
{
    if (index < 0 || index >= numberOfItems())
        return nullptr;
    return m_items[index];
}

long Menu::indexOfItem(const MenuItem* item) const
{
    for (size_t index = 0; index < m_items.size(); ++index) {
        if (m_items[index].get() == item)
            return static_cast<long>(index);
    }
    return -1;
}

std::shared_ptr<MenuItem> Menu::itemWithTag(long tag) const
{
    for (auto& item : m_items) {
        if (item->tag() == tag)
            return item;
    }
    return nullptr;
}

std::shared_ptr<MenuItem> Menu::itemWithTitle(std::u16string_view title) const
{
    for (auto& item : m_items) {
        if (item->title() == title)
            return item;
    }
    return nullptr;
}

bool Menu::validateItem(MenuItem& item)
{
    if (item.isSeparatorItem())
        return false;
    // An item that only opens its submenu is enabled; one that also names an
    // action (a command whose item carries a menu of its choices) is
    // validated, so that its title and state follow the selection.
    if (item.hasSubmenu() && item.action().empty())
        return true;
    if (item.action().empty())
        return false;
    auto receiver = Application::shared().targetForAction(item.action(), item.target());
    return receiver && receiver->validateMenuItem(item);
}

void Menu::update()
{
    if (!m_autoenablesItems)
        return;
    for (auto& item : std::vector(m_items))
        item->setEnabled(validateItem(*item));
}

bool Menu::performKeyEquivalent(const Event& event)
{
    return performKeyEquivalent(event, true);
}

bool Menu::performKeyEquivalent(const Event& event, bool mayValidateAgain)
{
    for (auto& item : std::vector(m_items)) {
        if (item->isHidden())
            continue;
        if (item->hasSubmenu()) {
            if (item->submenu()->performKeyEquivalent(event))
                return true;
            // An item that also names a command keeps its own shortcut.
            if (item->action().empty())
                continue;
        }
        if (!item->matchesKeyEquivalent(event))
            continue;
        bool enabled = m_autoenablesItems ? validateItem(*item) : item->isEnabled();
        item->setEnabled(enabled);
        // Validation may move a shortcut to another item of the menu (the
        // emphasis items follow the document): the menu's items are
        // validated and the shortcut looked for again where it is now.
        if (!item->matchesKeyEquivalent(event)) {
            if (!mayValidateAgain || !m_autoenablesItems)
                return false;
            update();
            return performKeyEquivalent(event, false);
        }
        if (!enabled)
            return false;
        return Application::shared().sendAction(item->action(), item->target(), item.get());
    }
    return false;
}

bool Menu::performActionForItemAtIndex(long index)
{
    auto item = itemAtIndex(index);
    BREVANTON_ASSERT(item, "menu item index out of range");
    bool enabled = m_autoenablesItems ? validateItem(*item) : item->isEnabled();
    item->setEnabled(enabled);
    if (!enabled || item->hasSubmenu())
        return false;
    return Application::shared().sendAction(item->action(), item->target(), item.get());
}

namespace {

std::weak_ptr<Menu>& shownContextMenuSlot()
{
    static std::weak_ptr<Menu> shown;
    return shown;
}

Menu::ContextMenuPresenter& contextMenuPresenterSlot()
{
    static Menu::ContextMenuPresenter presenter;
    return presenter;
}

} // namespace

void Menu::popUpContextMenu(const std::shared_ptr<Menu>& menu, const Event& event, View& view)
{
    if (!menu)
        return;
    menu->update();
    shownContextMenuSlot() = menu;
    if (auto& presenter = contextMenuPresenterSlot())
        presenter(menu, event, view);
}

void Menu::setContextMenuPresenter(ContextMenuPresenter presenter)
{
    contextMenuPresenterSlot() = std::move(presenter);
}

std::shared_ptr<Menu> Menu::shownContextMenu()
{
    return shownContextMenuSlot().lock();
}

} // namespace brevanton
