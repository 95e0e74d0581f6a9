// The main menu as a Qt menu bar, and any of our menus as a QMenu.
//
// Each of our menus becomes a QtMenu whose actions mirror the menu's items:
// titles, separators, check marks (a mixed state shows a check mark too:
// Qt actions have no third mark), hidden items, enabled state and the
// shortcuts of the key equivalents (QtKeyMapping.h). Opening a QtMenu runs
// our validation first (Menu::update: each item asks the responder that
// would receive its action), rebuilds its actions when items were added or
// removed since it was built, and copies the items' titles and state onto
// the actions. Choosing an action performs the item as a click on it would
// (Menu::performActionForItemAtIndex): validated again, then sent through
// Application::sendAction to the item's target or along the responder chain.
//
// The shortcuts are shown, not registered with Qt (their context is the
// widget, and the actions live only in menus): a key press reaches the
// items through the window's key handling (Window::sendEvent offers it to
// the views, then to the main menu, which validates before it sends), so a
// disabled item's shortcut does nothing and views keep their say first.
#pragma once

#include <QMenu>
#include <QMenuBar>

#include <memory>
#include <vector>

class QAction;

namespace brevanton {

class Menu;
class MenuItem;

// "&" starts a mnemonic in Qt titles; our titles show it as it is.
QString qtMenuTitle(const std::u16string&);

class QtMenu;

// One item as built into a QMenu or a QMenuBar.
struct QtMenuEntry {
    std::weak_ptr<MenuItem> item;
    std::weak_ptr<Menu> submenu;
    QAction* action { nullptr };
    QtMenu* childMenu { nullptr };
};

class QtMenu : public QMenu {
public:
    QtMenu(const std::shared_ptr<Menu>&, QWidget* parent);

    const std::shared_ptr<Menu>& menu() const { return m_menu; }
    // The action standing for the item; null for items this menu has not built.
    QAction* actionForItem(const MenuItem&) const;
    // The QtMenu of an item's submenu, or null.
    QtMenu* submenuForItem(const MenuItem&) const;

    // What opening the menu does: validates the items, rebuilds the actions
    // when the items changed, copies their state.
    void prepareToShow();
    // Copies the items' titles and state onto the actions without validating.
    void refresh();

private:
    void build();
    bool itemsChanged() const;

    std::shared_ptr<Menu> m_menu;
    std::vector<QtMenuEntry> m_entries;
};

// A menu bar showing a menu's items with submenus as its menus (items
// without one as plain actions). Without an explicit menu it follows the
// application's main menu.
class QtMenuBar : public QMenuBar {
public:
    explicit QtMenuBar(QWidget* parent = nullptr, std::shared_ptr<Menu> menu = nullptr);

    // The menu shown: the explicit one, else Application's main menu.
    std::shared_ptr<Menu> menu() const;
    // Rebuilds the bar when the menu (or its top-level items) changed and
    // copies the top-level titles and their hidden state. Runs before each
    // press on the bar, after the press made the bar's window (a
    // QtWindowWidget's) the key and main window; the shell calls it after it
    // changes the main menu.
    void synchronize();

    // The QtMenu of a top-level item, or null.
    QtMenu* menuForItem(const MenuItem&) const;
    QAction* actionForItem(const MenuItem&) const;

protected:
    void mousePressEvent(QMouseEvent*) override;

private:
    void build(const std::shared_ptr<Menu>&);
    bool itemsChanged(const std::shared_ptr<Menu>&) const;

    std::shared_ptr<Menu> m_explicitMenu;
    std::weak_ptr<Menu> m_builtMenu;
    std::vector<QtMenuEntry> m_entries;
};

// Pops context menus up (Menu::popUpContextMenu) as QtMenus at the pointer
// from now on; each is deleted once it closed.
void installQtContextMenus();

} // namespace brevanton
