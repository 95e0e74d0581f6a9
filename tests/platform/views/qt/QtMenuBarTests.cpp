#include "platform/views/qt/QtMenuBar.h"

#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtKeyMapping.h"
#include "tests/platform/views/qt/QtTestSupport.h"

#include <QAction>
#include <QPointer>

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class EditingView : public View {
public:
    EditingView()
        : View(Rect(0, 0, 100, 100))
    {
        setActionHandler("copy:", [this](ActionSender* sender) { copies.push_back(sender ? sender->tag() : -1); });
        setActionHandler("paste:", [this](ActionSender*) { ++pastes; });
        setActionHandler("toggleRuler:", [this](ActionSender*) { rulerShown = !rulerShown; });
    }
    bool acceptsFirstResponder() const override { return true; }
    bool validateMenuItem(MenuItem& item) override
    {
        if (item.action() == "toggleRuler:") {
            item.setState(rulerShown ? OnState : OffState);
            item.setTitle(rulerShown ? u"Hide Ruler" : u"Show Ruler");
        }
        return item.action() != "paste:" || canPaste;
    }
    std::vector<long> copies;
    int pastes { 0 };
    bool canPaste { false };
    bool rulerShown { false };
};

struct QtMenuBarTest : ::testing::Test {
    void SetUp() override
    {
        brevanton::testing::qtApplication();
        Application::shared().resetForTesting();
        window = Window::create(Rect(0, 0, 200, 200));
        editor = std::make_shared<EditingView>();
        window->contentView()->addSubview(editor);
        window->makeKeyAndOrderFront();
        window->makeFirstResponder(editor);

        mainMenu = Menu::create(u"Main");
        editMenu = Menu::create(u"Edit");
        mainMenu->addItem(u"Edit", {}, {})->setSubmenu(editMenu);
        copy = editMenu->addItem(u"Copy", "copy:", u"c");
        copy->setTag(11);
        paste = editMenu->addItem(u"Paste", "paste:", u"v");
        editMenu->addItem(MenuItem::separatorItem());
        find = editMenu->addItem(u"Find & Replace", "find:", u"F");
        find->setKeyEquivalentModifierMask(ModifierFlag::Command | ModifierFlag::Option);
        auto viewItem = mainMenu->addItem(u"View", {}, {});
        viewMenu = Menu::create(u"View");
        viewItem->setSubmenu(viewMenu);
        ruler = viewMenu->addItem(u"Show Ruler", "toggleRuler:", u"r");
        ruler->setKeyEquivalentModifierMask(ModifierFlag::Control);
        zoomMenu = Menu::create(u"Zoom");
        viewMenu->addItem(u"Zoom", {}, {})->setSubmenu(zoomMenu);
        zoomMenu->addItem(u"Zoom In", "zoomIn:", u"+");
        Application::shared().setMainMenu(mainMenu);
    }
    void TearDown() override
    {
        Menu::setContextMenuPresenter(nullptr);
        Application::shared().resetForTesting();
    }

    // Opens the menu as the user would and closes it again.
    static void open(QMenu& menu)
    {
        menu.popup(QPoint(10, 10));
        menu.hide();
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<EditingView> editor;
    std::shared_ptr<Menu> mainMenu, editMenu, viewMenu, zoomMenu;
    std::shared_ptr<MenuItem> copy, paste, find, ruler;
};

} // namespace

TEST_F(QtMenuBarTest, TheBarShowsTheMenusTitlesSeparatorsAndShortcuts)
{
    QtMenuBar bar;
    ASSERT_EQ(bar.actions().size(), 2);
    EXPECT_EQ(bar.actions()[0]->text(), "Edit");
    EXPECT_EQ(bar.actions()[1]->text(), "View");

    auto* edit = bar.menuForItem(*mainMenu->itemAtIndex(0));
    ASSERT_TRUE(edit);
    ASSERT_EQ(edit->actions().size(), 4);
    EXPECT_EQ(edit->actions()[0]->text(), "Copy");
    EXPECT_EQ(edit->actions()[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(edit->actions()[0]->shortcutContext(), Qt::WidgetShortcut);
    EXPECT_TRUE(edit->actions()[2]->isSeparator());
    // "&" is shown, not taken as a mnemonic; an upper-case key adds Shift.
    EXPECT_EQ(edit->actions()[3]->text(), "Find && Replace");
    EXPECT_EQ(edit->actions()[3]->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_F));

    auto* view = bar.menuForItem(*mainMenu->itemAtIndex(1));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->actionForItem(*ruler)->shortcut(), QKeySequence(Qt::META | Qt::Key_R));
    auto* zoom = view->submenuForItem(*viewMenu->itemAtIndex(1));
    ASSERT_TRUE(zoom);
    EXPECT_EQ(view->actions()[1]->menu(), zoom);
    EXPECT_EQ(zoom->actions()[0]->text(), "Zoom In");
    EXPECT_EQ(zoom->actions()[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Plus));
}

TEST_F(QtMenuBarTest, OpeningAMenuValidatesItsItems)
{
    QtMenuBar bar;
    auto* edit = bar.menuForItem(*mainMenu->itemAtIndex(0));
    auto* view = bar.menuForItem(*mainMenu->itemAtIndex(1));
    open(*edit);
    EXPECT_TRUE(edit->actionForItem(*copy)->isEnabled());
    EXPECT_FALSE(edit->actionForItem(*paste)->isEnabled());
    // Nobody answers to find: here.
    EXPECT_FALSE(edit->actionForItem(*find)->isEnabled());

    editor->canPaste = true;
    open(*edit);
    EXPECT_TRUE(edit->actionForItem(*paste)->isEnabled());

    // Validation may retitle and mark items; the actions show it.
    open(*view);
    EXPECT_EQ(view->actionForItem(*ruler)->text(), "Show Ruler");
    EXPECT_FALSE(view->actionForItem(*ruler)->isChecked());
    editor->rulerShown = true;
    open(*view);
    EXPECT_EQ(view->actionForItem(*ruler)->text(), "Hide Ruler");
    EXPECT_TRUE(view->actionForItem(*ruler)->isChecked());

    // Without the editor in the chain nothing takes copy:.
    window->makeFirstResponder(nullptr);
    open(*edit);
    EXPECT_FALSE(edit->actionForItem(*copy)->isEnabled());
}

TEST_F(QtMenuBarTest, ChoosingAnActionSendsItThroughTheResponderChainOnlyWhenValid)
{
    QtMenuBar bar;
    auto* edit = bar.menuForItem(*mainMenu->itemAtIndex(0));
    open(*edit);
    edit->actionForItem(*copy)->trigger();
    EXPECT_EQ(editor->copies, (std::vector<long> { 11 }));

    // An action enabled when the menu was last open is validated again.
    editor->canPaste = true;
    open(*edit);
    editor->canPaste = false;
    edit->actionForItem(*paste)->trigger();
    EXPECT_EQ(editor->pastes, 0);
    editor->canPaste = true;
    edit->actionForItem(*paste)->trigger();
    EXPECT_EQ(editor->pastes, 1);

    // An explicit target receives the action outside the chain.
    window->makeFirstResponder(nullptr);
    copy->setTarget(editor);
    edit->actionForItem(*copy)->trigger();
    EXPECT_EQ(editor->copies, (std::vector<long> { 11, 11 }));
}

TEST_F(QtMenuBarTest, MenusChangedLaterAreRebuilt)
{
    QtMenuBar bar;
    auto* edit = bar.menuForItem(*mainMenu->itemAtIndex(0));
    auto selectAll = editMenu->addItem(u"Select All", "selectAll:", u"a");
    editMenu->removeItem(paste);
    open(*edit);
    ASSERT_EQ(edit->actions().size(), 4);
    EXPECT_EQ(edit->actions()[1]->isSeparator(), true);
    EXPECT_EQ(edit->actions()[3]->text(), "Select All");
    EXPECT_EQ(edit->actionForItem(*paste), nullptr);
    EXPECT_EQ(edit->actionForItem(*selectAll)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));

    // New menus in the bar and a new main menu appear when the bar synchronizes.
    auto format = Menu::create(u"Format");
    format->addItem(u"Bold", "bold:", u"b");
    auto formatItem = mainMenu->addItem({}, {}, {});
    formatItem->setSubmenu(format);
    bar.synchronize();
    ASSERT_EQ(bar.actions().size(), 3);
    EXPECT_EQ(bar.actions()[2]->text(), "Format");
    ASSERT_TRUE(bar.menuForItem(*formatItem));

    auto other = Menu::create(u"Other");
    other->addItem(u"Help", {}, {})->setSubmenu(Menu::create(u"Help"));
    Application::shared().setMainMenu(other);
    bar.synchronize();
    ASSERT_EQ(bar.actions().size(), 1);
    EXPECT_EQ(bar.actions()[0]->text(), "Help");
    EXPECT_EQ(bar.menuForItem(*formatItem), nullptr);
}

TEST_F(QtMenuBarTest, TheShownShortcutIsTheKeyPressThatReachesTheItem)
{
    QtMenuBar bar;
    for (auto& item : { copy, find, ruler }) {
        auto sequence = keySequenceForKeyEquivalent(item->keyEquivalent(), item->keyEquivalentModifierMask());
        ASSERT_EQ(sequence.count(), 1);
        QKeyCombination combination = sequence[0];
        ModifierFlags flags = modifierFlagsFromQtKeyboardModifiers(combination.keyboardModifiers());
        char16_t character = QChar(combination.key()).toLower().unicode();
        if (flags & ModifierFlag::Shift)
            character = QChar(character).toUpper().unicode();
        auto event = Event::keyEvent(EventType::KeyDown, {}, flags, 0, window, std::u16string(1, character),
                                     std::u16string(1, character), false, 0);
        EXPECT_TRUE(item->matchesKeyEquivalent(event)) << sequence.toString().toStdString();
    }
    EXPECT_EQ(modifierFlagsFromQtKeyboardModifiers(Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier),
              ModifierFlag::Command | ModifierFlag::Control | ModifierFlag::Option);
    EXPECT_TRUE(keySequenceForKeyEquivalent(u"ab", ModifierFlag::Command).isEmpty());
    EXPECT_EQ(keySequenceForKeyEquivalent(u"\r", ModifierFlag::Command), QKeySequence(Qt::CTRL | Qt::Key_Return));
    EXPECT_EQ(keySequenceForKeyEquivalent(std::u16string(1, FunctionKey::LeftArrow), ModifierFlag::Option),
              QKeySequence(Qt::ALT | Qt::Key_Left));
}

TEST_F(QtMenuBarTest, ContextMenusPopUpValidatedAndGoWhenClosed)
{
    installQtContextMenus();
    auto context = Menu::create(u"Context");
    auto contextCopy = context->addItem(u"Copy", "copy:", {});
    auto contextPaste = context->addItem(u"Paste", "paste:", {});
    auto event = Event::mouseEvent(EventType::RightMouseDown, { 10, 10 }, 0, 0, window, 1);
    Menu::popUpContextMenu(context, event, *editor);
    EXPECT_EQ(Menu::shownContextMenu(), context);

    QtMenu* shown = nullptr;
    for (auto* widget : QApplication::topLevelWidgets()) {
        if (auto* menu = dynamic_cast<QtMenu*>(widget); menu && menu->isVisible())
            shown = menu;
    }
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->menu(), context);
    EXPECT_TRUE(shown->actionForItem(*contextCopy)->isEnabled());
    EXPECT_FALSE(shown->actionForItem(*contextPaste)->isEnabled());

    QPointer<QtMenu> guard(shown);
    shown->hide();
    shown->actionForItem(*contextCopy)->trigger();
    EXPECT_EQ(editor->copies, (std::vector<long> { 0 }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}
