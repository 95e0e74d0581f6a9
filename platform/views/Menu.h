// Menu and MenuItem: a menu is an ordered list of items; an item has a
// title, a tag, an action sent to its target (or along the responder chain
// when it has none), an on/off/mixed state shown as a check mark, a key
// equivalent, and possibly a submenu. With autoenablesItems (the default) a
// menu enables each item by asking the responder that would receive its
// action through validateMenuItem.
#pragma once

#include "platform/foundation/Value.h"
#include "platform/views/Event.h"
#include "platform/views/Responder.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class Menu;
class View;

using ControlStateValue = int;
constexpr ControlStateValue MixedState = -1;
constexpr ControlStateValue OffState = 0;
constexpr ControlStateValue OnState = 1;

class MenuItem : public ActionSender, public std::enable_shared_from_this<MenuItem> {
public:
    static std::shared_ptr<MenuItem> create(std::u16string title, Action action = {}, std::u16string keyEquivalent = {});
    static std::shared_ptr<MenuItem> separatorItem();

    MenuItem(std::u16string title, Action action, std::u16string keyEquivalent);

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }
    long tag() const override { return m_tag; }
    void setTag(long tag) { m_tag = tag; }
    const Action& action() const { return m_action; }
    void setAction(Action action) { m_action = std::move(action); }
    // Held weakly; null sends the action along the responder chain.
    std::shared_ptr<Responder> target() const { return m_target.lock(); }
    void setTarget(const std::shared_ptr<Responder>& target) { m_target = target; }
    ControlStateValue state() const { return m_state; }
    void setState(ControlStateValue state) { m_state = state; }
    // The character of the shortcut: a lower-case letter needs only the
    // modifier mask, an upper-case letter also Shift.
    const std::u16string& keyEquivalent() const { return m_keyEquivalent; }
    void setKeyEquivalent(std::u16string key) { m_keyEquivalent = std::move(key); }
    ModifierFlags keyEquivalentModifierMask() const { return m_keyEquivalentModifierMask; }
    void setKeyEquivalentModifierMask(ModifierFlags mask) { m_keyEquivalentModifierMask = mask; }
    bool isSeparatorItem() const { return m_isSeparator; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    const Value& representedObject() const { return m_representedObject; }
    void setRepresentedObject(Value value) { m_representedObject = std::move(value); }

    std::shared_ptr<Menu> submenu() const { return m_submenu; }
    void setSubmenu(const std::shared_ptr<Menu>&);
    bool hasSubmenu() const { return m_submenu != nullptr; }
    // The menu holding the item.
    std::shared_ptr<Menu> menu() const { return m_menu.lock(); }

    // Whether the event is this item's shortcut.
    bool matchesKeyEquivalent(const Event&) const;

private:
    friend class Menu;

    std::u16string m_title;
    long m_tag { 0 };
    Action m_action;
    std::weak_ptr<Responder> m_target;
    ControlStateValue m_state { OffState };
    std::u16string m_keyEquivalent;
    ModifierFlags m_keyEquivalentModifierMask { ModifierFlag::Command };
    bool m_isSeparator { false };
    bool m_enabled { true };
    bool m_hidden { false };
    Value m_representedObject;
    std::shared_ptr<Menu> m_submenu;
    std::weak_ptr<Menu> m_menu;
};

class Menu : public std::enable_shared_from_this<Menu> {
public:
    static std::shared_ptr<Menu> create(std::u16string title = {});
    explicit Menu(std::u16string title);
    // Menus of a kind of their own (menus that build their items) derive from it.
    virtual ~Menu() = default;

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }

    const std::vector<std::shared_ptr<MenuItem>>& items() const { return m_items; }
    long numberOfItems() const { return static_cast<long>(m_items.size()); }
    // An item belongs to one menu at a time (assertion).
    void addItem(const std::shared_ptr<MenuItem>&);
    std::shared_ptr<MenuItem> addItem(std::u16string title, Action action, std::u16string keyEquivalent);
    void insertItem(const std::shared_ptr<MenuItem>&, long index);
    void removeItem(const std::shared_ptr<MenuItem>&);
    void removeItemAtIndex(long index);
    void removeAllItems();
    // Null outside the range.
    std::shared_ptr<MenuItem> itemAtIndex(long index) const;
    // -1 when absent.
    long indexOfItem(const MenuItem*) const;
    std::shared_ptr<MenuItem> itemWithTag(long tag) const;
    std::shared_ptr<MenuItem> itemWithTitle(std::u16string_view title) const;

    // The menu whose item has this menu as submenu.
    std::shared_ptr<Menu> supermenu() const { return m_supermenu.lock(); }

    bool autoenablesItems() const { return m_autoenablesItems; }
    void setAutoenablesItems(bool autoenables) { m_autoenablesItems = autoenables; }
    // With autoenablesItems, sets each item's enabled state from its validation.
    void update();
    // Whether an item would be enabled now: separators never, items that
    // only open a submenu always, others (also items with a submenu and an
    // action) when a responder takes their action and validates the item.
    static bool validateItem(MenuItem&);

    // Finds the item (in this menu or its submenus) whose shortcut the event
    // is, validates it and sends its action; true when an enabled item did.
    bool performKeyEquivalent(const Event&);
    // Sends the item's action as a click would, when the item is enabled.
    bool performActionForItemAtIndex(long index);

    // Shows the menu as the context menu of a click in the view, its items
    // validated first. The view layer keeps the menu shown last (a real
    // backend also pops it up), which `shownContextMenu` answers until the
    // next one is shown.
    static void popUpContextMenu(const std::shared_ptr<Menu>&, const Event&, View&);
    static std::shared_ptr<Menu> shownContextMenu();
    // What a GUI backend does to pop a context menu up, after it was
    // validated and recorded; none by default.
    using ContextMenuPresenter = std::function<void(const std::shared_ptr<Menu>&, const Event&, View&)>;
    static void setContextMenuPresenter(ContextMenuPresenter);

private:
    friend class MenuItem;
    void adopt(const std::shared_ptr<MenuItem>&);
    bool performKeyEquivalent(const Event&, bool mayValidateAgain);

    std::u16string m_title;
    std::vector<std::shared_ptr<MenuItem>> m_items;
    std::weak_ptr<Menu> m_supermenu;
    bool m_autoenablesItems { true };
};

} // namespace brevanton
