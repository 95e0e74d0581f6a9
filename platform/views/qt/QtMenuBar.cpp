#include "platform/views/qt/QtMenuBar.h"

#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtKeyMapping.h"
#include "platform/views/qt/QtWindowWidget.h"

#include <QAction>
#include <QCursor>
#include <QMouseEvent>

namespace brevanton {

QString qtMenuTitle(const std::u16string& title)
{
    QString text = QString::fromStdU16String(title);
    text.replace(u'&', QStringLiteral("&&"));
    return text;
}

namespace {

void applyItemToAction(const MenuItem& item, QAction& action)
{
    // An item with a submenu and no title of its own is named by the submenu.
    auto submenu = item.submenu();
    action.setText(qtMenuTitle(item.title().empty() && submenu ? submenu->title() : item.title()));
    action.setEnabled(item.isEnabled());
    action.setVisible(!item.isHidden());
    bool marked = item.state() != OffState;
    action.setCheckable(marked);
    action.setChecked(marked);
    if (!submenu)
        action.setShortcut(keySequenceForKeyEquivalent(item.keyEquivalent(), item.keyEquivalentModifierMask()));
}

// Performs the item the way a click on it would: validated, then sent.
void performItem(const std::weak_ptr<MenuItem>& weakItem)
{
    auto item = weakItem.lock();
    if (!item)
        return;
    auto menu = item->menu();
    if (!menu)
        return;
    long index = menu->indexOfItem(item.get());
    if (index >= 0)
        menu->performActionForItemAtIndex(index);
}

// The action of an item without a submenu, in `owner` (a QMenu or a QMenuBar).
QAction* makeItemAction(QWidget& owner, const std::shared_ptr<MenuItem>& item)
{
    auto* action = new QAction(qtMenuTitle(item->title()), &owner);
    // Shown in the menu only: key presses reach the item through the window.
    action->setShortcutContext(Qt::WidgetShortcut);
    std::weak_ptr<MenuItem> weakItem = item;
    QObject::connect(action, &QAction::triggered, action, [weakItem] { performItem(weakItem); });
    owner.addAction(action);
    return action;
}

// Builds an action for each of the menu's items into a QMenu or a QMenuBar.
template<typename Owner>
std::vector<QtMenuEntry> buildEntries(Owner& owner, const Menu& menu)
{
    std::vector<QtMenuEntry> entries;
    for (auto& item : menu.items()) {
        QtMenuEntry entry { item, item->submenu(), nullptr, nullptr };
        if (item->isSeparatorItem()) {
            entry.action = owner.addSeparator();
        } else if (auto submenu = item->submenu()) {
            entry.childMenu = new QtMenu(submenu, &owner);
            entry.action = owner.addMenu(entry.childMenu);
        } else {
            entry.action = makeItemAction(owner, item);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

template<typename Owner>
void clearEntries(Owner& owner, std::vector<QtMenuEntry>& entries)
{
    // The submenus' actions belong to the submenus, which go with them.
    owner.clear();
    for (auto& entry : entries)
        delete entry.childMenu;
    entries.clear();
}

const QtMenuEntry* findEntry(const std::vector<QtMenuEntry>& entries, const MenuItem& item)
{
    for (auto& entry : entries) {
        if (entry.item.lock().get() == &item)
            return &entry;
    }
    return nullptr;
}

bool entriesDiffer(const std::vector<QtMenuEntry>& entries, const Menu& menu)
{
    auto& items = menu.items();
    if (items.size() != entries.size())
        return true;
    for (size_t index = 0; index < items.size(); ++index) {
        if (entries[index].item.lock() != items[index] || entries[index].submenu.lock() != items[index]->submenu())
            return true;
    }
    return false;
}

} // namespace

// QtMenu

QtMenu::QtMenu(const std::shared_ptr<Menu>& menu, QWidget* parent)
    : QMenu(parent)
    , m_menu(menu)
{
    setTitle(qtMenuTitle(menu->title()));
    build();
    refresh();
    connect(this, &QMenu::aboutToShow, this, [this] { prepareToShow(); });
}

void QtMenu::build()
{
    clearEntries(*this, m_entries);
    m_entries = buildEntries(*this, *m_menu);
}

bool QtMenu::itemsChanged() const
{
    return entriesDiffer(m_entries, *m_menu);
}

void QtMenu::refresh()
{
    for (auto& entry : m_entries) {
        auto item = entry.item.lock();
        if (!item || item->isSeparatorItem())
            continue;
        applyItemToAction(*item, *entry.action);
    }
}

void QtMenu::prepareToShow()
{
    m_menu->update();
    if (itemsChanged())
        build();
    refresh();
}

QAction* QtMenu::actionForItem(const MenuItem& item) const
{
    auto* entry = findEntry(m_entries, item);
    return entry ? entry->action : nullptr;
}

QtMenu* QtMenu::submenuForItem(const MenuItem& item) const
{
    auto* entry = findEntry(m_entries, item);
    return entry ? entry->childMenu : nullptr;
}

// QtMenuBar

QtMenuBar::QtMenuBar(QWidget* parent, std::shared_ptr<Menu> menu)
    : QMenuBar(parent)
    , m_explicitMenu(std::move(menu))
{
    synchronize();
}

std::shared_ptr<Menu> QtMenuBar::menu() const
{
    return m_explicitMenu ? m_explicitMenu : Application::shared().mainMenu();
}

bool QtMenuBar::itemsChanged(const std::shared_ptr<Menu>& menu) const
{
    if (m_builtMenu.lock() != menu)
        return true;
    return menu && entriesDiffer(m_entries, *menu);
}

void QtMenuBar::build(const std::shared_ptr<Menu>& menu)
{
    clearEntries(*this, m_entries);
    m_builtMenu = menu;
    if (!menu)
        return;
    m_entries = buildEntries(*this, *menu);
}

void QtMenuBar::synchronize()
{
    auto menu = this->menu();
    if (itemsChanged(menu))
        build(menu);
    for (auto& entry : m_entries) {
        auto item = entry.item.lock();
        if (!item || item->isSeparatorItem())
            continue;
        applyItemToAction(*item, *entry.action);
    }
}

void QtMenuBar::mousePressEvent(QMouseEvent* event)
{
    // The menus act on the window whose bar was pressed, as a click in the
    // window makes it the key and main window first.
    if (auto* host = dynamic_cast<QtWindowWidget*>(window())) {
        if (auto shown = host->viewWindow()) {
            if (!shown->isKeyWindow() && shown->canBecomeKeyWindow())
                shown->makeKeyWindow();
            if (!shown->isMainWindow() && shown->canBecomeMainWindow())
                shown->makeMainWindow();
        }
    }
    synchronize();
    QMenuBar::mousePressEvent(event);
}

QtMenu* QtMenuBar::menuForItem(const MenuItem& item) const
{
    auto* entry = findEntry(m_entries, item);
    return entry ? entry->childMenu : nullptr;
}

QAction* QtMenuBar::actionForItem(const MenuItem& item) const
{
    auto* entry = findEntry(m_entries, item);
    return entry ? entry->action : nullptr;
}

void installQtContextMenus()
{
    Menu::setContextMenuPresenter([](const std::shared_ptr<Menu>& menu, const Event&, View&) {
        auto* shown = new QtMenu(menu, nullptr);
        // Closing comes before the chosen action is performed; the deletion
        // waits for the event loop.
        QObject::connect(shown, &QMenu::aboutToHide, shown, &QObject::deleteLater);
        shown->popup(QCursor::pos());
    });
}

} // namespace brevanton
