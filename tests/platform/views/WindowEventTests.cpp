#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Menu.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class EventLog {
public:
    std::vector<std::string> entries;
};

// A view that records the events it gets, keeps the ones it is told to and
// passes the rest on.
class TrackingView : public View {
public:
    TrackingView(Rect frame, std::string name, EventLog& log, bool acceptsFocus = false)
        : View(frame), m_name(std::move(name)), m_log(log), m_acceptsFocus(acceptsFocus) {}

    bool handlesMouse { false };
    bool handlesKeys { false };
    bool refusesToResign { false };

    bool acceptsFirstResponder() const override { return m_acceptsFocus; }
    bool resignFirstResponder() override { return !refusesToResign; }
    void mouseDown(const Event& event) override { record("down", event, handlesMouse, [&] { View::mouseDown(event); }); }
    void mouseDragged(const Event& event) override { record("drag", event, handlesMouse, [&] { View::mouseDragged(event); }); }
    void mouseUp(const Event& event) override { record("up", event, handlesMouse, [&] { View::mouseUp(event); }); }
    void keyDown(const Event& event) override { record("key", event, handlesKeys, [&] { View::keyDown(event); }); }

private:
    template<typename Forward> void record(const char* kind, const Event&, bool handles, Forward forward)
    {
        m_log.entries.push_back(m_name + " " + kind);
        if (!handles)
            forward();
    }
    std::string m_name;
    EventLog& m_log;
    bool m_acceptsFocus;
};

class UndoDelegate : public WindowDelegate {
public:
    UndoManager undoManager;
    UndoManager* windowWillReturnUndoManager(Window&) override { return &undoManager; }
};

struct WindowFixture : ::testing::Test {
    void SetUp() override
    {
        Application::shared().resetForTesting();
        window = Window::create(Rect(0, 0, 400, 300));
        outer = std::make_shared<TrackingView>(Rect(0, 0, 200, 200), "outer", log, true);
        inner = std::make_shared<TrackingView>(Rect(50, 50, 50, 50), "inner", log, true);
        plain = std::make_shared<TrackingView>(Rect(250, 0, 100, 100), "plain", log);
        window->contentView()->addSubview(outer);
        window->contentView()->addSubview(plain);
        outer->addSubview(inner);
        window->makeKeyAndOrderFront();
    }
    void TearDown() override { Application::shared().resetForTesting(); }

    EventLog log;
    EventSynthesizer events;
    std::shared_ptr<Window> window;
    std::shared_ptr<TrackingView> outer;
    std::shared_ptr<TrackingView> inner;
    std::shared_ptr<TrackingView> plain;
};

} // namespace

TEST_F(WindowFixture, MouseEventsGoToTheViewUnderTheMouseAndUpTheChain)
{
    inner->handlesMouse = false;
    outer->handlesMouse = true;
    events.drag(window, { 60, 60 }, { { 300, 150 } });
    // The drag and the release go to the view that got the press, even outside it.
    EXPECT_EQ(log.entries, (std::vector<std::string> { "inner down", "outer down", "inner drag", "outer drag", "inner up", "outer up" }));
    EXPECT_EQ(window->firstResponder(), inner);

    // A view that does not accept the focus leaves the first responder alone.
    log.entries.clear();
    events.click(window, { 260, 10 });
    EXPECT_EQ(log.entries.front(), "plain down");
    EXPECT_EQ(window->firstResponder(), inner);
}

TEST_F(WindowFixture, KeyEventsGoToTheFirstResponderAndUpTheChain)
{
    ASSERT_TRUE(window->makeFirstResponder(inner));
    outer->handlesKeys = true;
    events.typeText(window, u"a");
    EXPECT_EQ(log.entries, (std::vector<std::string> { "inner key", "outer key" }));

    // Refusing to resign keeps the focus.
    inner->refusesToResign = true;
    EXPECT_FALSE(window->makeFirstResponder(outer));
    EXPECT_EQ(window->firstResponder(), inner);
    inner->refusesToResign = false;

    // A responder that does not accept leaves the window as first responder.
    EXPECT_FALSE(window->makeFirstResponder(plain));
    EXPECT_EQ(window->firstResponder(), window);
    // Unhandled keys end at the window without harm.
    log.entries.clear();
    events.typeText(window, u"b");
    EXPECT_TRUE(log.entries.empty());

    // Removing the focused view hands the focus back to the window.
    ASSERT_TRUE(window->makeFirstResponder(inner));
    outer->removeFromSuperview();
    EXPECT_EQ(window->firstResponder(), window);
}

TEST_F(WindowFixture, SendEventHooksSeeEventsFirstAndCanStopThem)
{
    std::vector<std::string> seen;
    Window::SendEventHookHandle second;
    auto first = window->addSendEventHook([&](Window& hookWindow, const Event& event) {
        EXPECT_EQ(&hookWindow, window.get());
        seen.push_back(std::string("first ") + eventTypeName(event.type()));
        // Removing a hook while hooks run takes effect with the next event.
        if (event.type() == EventType::KeyDown)
            window->removeSendEventHook(second);
        return event.type() != EventType::LeftMouseDown;
    });
    second = window->addSendEventHook([&](Window&, const Event& event) {
        seen.push_back(std::string("second ") + eventTypeName(event.type()));
        return true;
    });
    ASSERT_TRUE(window->makeFirstResponder(inner));

    events.send(events.mouseDown(window, { 60, 60 }));
    EXPECT_EQ(seen, (std::vector<std::string> { "first LeftMouseDown" }));
    EXPECT_TRUE(log.entries.empty());

    events.send(events.keyDownForCharacter(window, u'x'));
    events.send(events.keyDownForCharacter(window, u'y'));
    EXPECT_EQ(seen, (std::vector<std::string> { "first LeftMouseDown", "first KeyDown", "second KeyDown", "first KeyDown" }));
    EXPECT_EQ(log.entries, (std::vector<std::string> { "inner key", "outer key", "inner key", "outer key" }));
    EXPECT_EQ(window->sendEventHookCount(), 1u);
    window->removeSendEventHook(first);
    EXPECT_EQ(window->sendEventHookCount(), 0u);
}

TEST_F(WindowFixture, ResponderChainFindsTheUndoManager)
{
    UndoManager* own = window->undoManager();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(inner->undoManager(), own);

    auto delegate = std::make_shared<UndoDelegate>();
    window->setDelegate(delegate);
    EXPECT_EQ(inner->undoManager(), &delegate->undoManager);

    // A view outside any window has none.
    auto loose = std::make_shared<View>(Rect(0, 0, 1, 1));
    EXPECT_EQ(loose->undoManager(), nullptr);
    // An explicit next responder takes precedence over the superview.
    loose->setNextResponder(inner);
    EXPECT_EQ(loose->undoManager(), &delegate->undoManager);
}

TEST_F(WindowFixture, KeyAndMainStateFollowTheApplication)
{
    auto other = Window::create(Rect(0, 0, 10, 10));
    std::vector<std::string> order;
    auto becomeToken = NotificationCenter::defaultCenter().addObserver(Window::DidBecomeKeyNotification, nullptr, nullptr,
        [&](const Notification& note) { order.push_back(note.object == other.get() ? "other key" : "window key"); });
    auto resignToken = NotificationCenter::defaultCenter().addObserver(Window::DidResignKeyNotification, nullptr, nullptr,
        [&](const Notification& note) { order.push_back(note.object == other.get() ? "other resign" : "window resign"); });

    other->makeKeyAndOrderFront();
    EXPECT_TRUE(other->isKeyWindow());
    EXPECT_TRUE(other->isMainWindow());
    EXPECT_FALSE(window->isKeyWindow());
    EXPECT_EQ(order, (std::vector<std::string> { "window resign", "other key" }));

    // A click makes a window key.
    events.click(window, { 60, 60 });
    EXPECT_TRUE(window->isKeyWindow());
    other->close();
    EXPECT_FALSE(other->isVisible());
    EXPECT_EQ(Application::shared().windows().size(), 2u);
}

TEST(Events, SynthesizedKeysCarryCodesAndFlags)
{
    EventSynthesizer events(10, 0.5);
    auto a = events.keyDownForCharacter(nullptr, u'a');
    EXPECT_EQ(a.keyCode(), 0);
    EXPECT_EQ(a.modifierFlags(), 0u);
    EXPECT_EQ(a.timestamp(), 10);
    auto upperA = events.keyDownForCharacter(nullptr, u'A', ModifierFlag::Command);
    EXPECT_EQ(upperA.keyCode(), 0);
    EXPECT_TRUE(upperA.hasModifier(ModifierFlag::Shift));
    EXPECT_TRUE(upperA.hasModifier(ModifierFlag::Command));
    EXPECT_EQ(upperA.timestamp(), 10.5);
    EXPECT_EQ(events.keyDownForCharacter(nullptr, u'\r').keyCode(), KeyCode::Return);
    EXPECT_EQ(events.keyDownForCharacter(nullptr, u'<').keyCode(), 43);
    EXPECT_TRUE(events.keyDownForCharacter(nullptr, u'<').hasModifier(ModifierFlag::Shift));
    auto left = events.keyDownForCharacter(nullptr, FunctionKey::LeftArrow);
    EXPECT_EQ(left.keyCode(), KeyCode::LeftArrow);
    EXPECT_TRUE(left.hasModifier(ModifierFlag::Function | ModifierFlag::NumericPad));

    auto click = events.mouseDown(nullptr, { 1, 2 }, 0, 2);
    EXPECT_EQ(click.clickCount(), 2);
    EXPECT_THROW(click.characters(), InternalInconsistencyException);
    EXPECT_THROW(a.clickCount(), InternalInconsistencyException);
}

// Menus and actions

namespace {

class EditingView : public View {
public:
    EditingView()
        : View(Rect(0, 0, 100, 100))
    {
        setActionHandler("copy:", [this](ActionSender* sender) { copies.push_back(sender ? sender->tag() : -1); });
        setActionHandler("paste:", [this](ActionSender*) { ++pastes; });
    }
    bool acceptsFirstResponder() const override { return true; }
    void keyDown(const Event& event) override { typed.push_back(event.characters()); }
    bool performKeyEquivalent(const Event& event) override
    {
        return takesEquivalent && event.characters() == std::u16string(1, takesEquivalent);
    }
    std::vector<std::u16string> typed;
    char16_t takesEquivalent { 0 };
    bool validateMenuItem(MenuItem& item) override { return item.action() != "paste:" || canPaste; }
    std::vector<long> copies;
    int pastes { 0 };
    bool canPaste { false };
};

class AppDelegate : public Responder {
public:
    AppDelegate() { setActionHandler("newDocument:", [this](ActionSender*) { ++newDocuments; }); }
    int newDocuments { 0 };
};

struct MenuFixture : ::testing::Test {
    void SetUp() override
    {
        Application::shared().resetForTesting();
        window = Window::create(Rect(0, 0, 200, 200));
        editor = std::make_shared<EditingView>();
        window->contentView()->addSubview(editor);
        window->makeKeyAndOrderFront();
        window->makeFirstResponder(editor);
        Application::shared().setDelegate(appDelegate);

        mainMenu = Menu::create(u"Main");
        auto editItem = mainMenu->addItem(u"Edit", {}, {});
        editMenu = Menu::create(u"Edit");
        editItem->setSubmenu(editMenu);
        copy = editMenu->addItem(u"Copy", "copy:", u"c");
        copy->setTag(11);
        paste = editMenu->addItem(u"Paste", "paste:", u"v");
        editMenu->addItem(MenuItem::separatorItem());
        unknown = editMenu->addItem(u"Frobnicate", "frobnicate:", u"F");
        newDocument = editMenu->addItem(u"New", "newDocument:", u"n");
        Application::shared().setMainMenu(mainMenu);
    }
    void TearDown() override { Application::shared().resetForTesting(); }

    std::shared_ptr<Window> window;
    std::shared_ptr<EditingView> editor;
    std::shared_ptr<AppDelegate> appDelegate = std::make_shared<AppDelegate>();
    std::shared_ptr<Menu> mainMenu;
    std::shared_ptr<Menu> editMenu;
    std::shared_ptr<MenuItem> copy, paste, unknown, newDocument;
    EventSynthesizer events;
};

} // namespace

TEST_F(MenuFixture, ValidationAsksTheResponderThatWouldReceiveTheAction)
{
    editMenu->update();
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_FALSE(paste->isEnabled());
    EXPECT_FALSE(unknown->isEnabled());
    EXPECT_FALSE(editMenu->itemAtIndex(2)->isEnabled());
    EXPECT_TRUE(newDocument->isEnabled());
    editor->canPaste = true;
    editMenu->update();
    EXPECT_TRUE(paste->isEnabled());

    // Without the editor in the chain, copy has no receiver.
    window->makeFirstResponder(nullptr);
    editMenu->update();
    EXPECT_FALSE(copy->isEnabled());
    // An explicit target is used even outside the chain.
    copy->setTarget(editor);
    editMenu->update();
    EXPECT_TRUE(copy->isEnabled());
    EXPECT_TRUE(editMenu->performActionForItemAtIndex(0));
    EXPECT_EQ(editor->copies, (std::vector<long> { 11 }));

    // Without autoenabling, items keep the state they were given.
    editMenu->setAutoenablesItems(false);
    unknown->setEnabled(true);
    editMenu->update();
    EXPECT_TRUE(unknown->isEnabled());
    EXPECT_EQ(mainMenu->itemAtIndex(0)->submenu()->supermenu(), mainMenu);
}

TEST_F(MenuFixture, KeyEquivalentsReachTheMenuBeforeTheWindow)
{
    events.pressKey(window, u'c', ModifierFlag::Command);
    EXPECT_EQ(editor->copies, (std::vector<long> { 11 }));

    // A disabled item takes no action.
    events.pressKey(window, u'v', ModifierFlag::Command);
    EXPECT_EQ(editor->pastes, 0);
    editor->canPaste = true;
    events.pressKey(window, u'v', ModifierFlag::Command);
    EXPECT_EQ(editor->pastes, 1);

    // Modifiers must match exactly; an upper-case equivalent needs Shift.
    events.pressKey(window, u'c', ModifierFlag::Command | ModifierFlag::Option);
    events.pressKey(window, u'C', ModifierFlag::Command);
    EXPECT_EQ(editor->copies.size(), 1u);
    unknown->setAction("copy:");
    events.pressKey(window, u'F', ModifierFlag::Command);
    EXPECT_EQ(editor->copies.size(), 2u);

    // The application delegate ends the chain.
    events.pressKey(window, u'n', ModifierFlag::Command);
    EXPECT_EQ(appDelegate->newDocuments, 1);
}

TEST_F(MenuFixture, AShortcutThatValidationMovesToAnotherItemActsThereAndAnItemWithASubmenuKeepsItsOwn)
{
    // Validation gives Command-B to whichever item the state names, as the
    // emphasis items follow the document.
    bool onPaste = false;
    copy->setKeyEquivalent(u"b");
    paste->setKeyEquivalent({});
    editor->canPaste = true;
    struct Moving : Responder {
        std::function<bool(MenuItem&)> validate;
        bool validateMenuItem(MenuItem& item) override { return validate(item); }
    };
    auto moving = std::make_shared<Moving>();
    moving->validate = [&](MenuItem& item) {
        bool holds = (item.action() == "paste:") == onPaste;
        item.setKeyEquivalent(holds ? u"b" : u"");
        return true;
    };
    moving->setActionHandler("copy:", [&](ActionSender*) { editor->copies.push_back(-2); });
    moving->setActionHandler("paste:", [&](ActionSender*) { ++editor->pastes; });
    copy->setTarget(moving);
    paste->setTarget(moving);
    onPaste = true;
    events.pressKey(window, u'b', ModifierFlag::Command);
    EXPECT_EQ(editor->pastes, 1) << "the item that holds the shortcut now acts";
    EXPECT_TRUE(editor->copies.empty());
    onPaste = false;
    events.pressKey(window, u'b', ModifierFlag::Command);
    EXPECT_EQ(editor->copies, (std::vector<long> { -2 }));

    // An item with both a command and a submenu: the submenu's shortcuts,
    // then its own.
    auto choices = Menu::create(u"Choices");
    choices->addItem(u"Choice", "copy:", u"k");
    newDocument->setSubmenu(choices);
    copy->setTarget(nullptr);
    events.pressKey(window, u'n', ModifierFlag::Command);
    EXPECT_EQ(appDelegate->newDocuments, 1);
    events.pressKey(window, u'k', ModifierFlag::Command);
    EXPECT_EQ(editor->copies.size(), 2u);
}

TEST_F(MenuFixture, AKeyDownGoesToTheHooksThenTheViewTreeThenTheMenuThenTheFirstResponder)
{
    std::vector<std::u16string> hooked;
    bool stop = false;
    window->addSendEventHook([&](Window&, const Event& event) {
        if (event.type() != EventType::KeyDown)
            return true;
        hooked.push_back(event.characters());
        return !stop;
    });
    // A hook that takes the event keeps it from the menu and the responder.
    stop = true;
    events.pressKey(window, u'c', ModifierFlag::Command);
    events.pressKey(window, u'x');
    EXPECT_EQ(hooked, (std::vector<std::u16string> { u"c", u"x" }));
    EXPECT_TRUE(editor->copies.empty());
    EXPECT_TRUE(editor->typed.empty());

    // Otherwise a view's key equivalent comes before the menu's...
    stop = false;
    editor->takesEquivalent = u'c';
    events.pressKey(window, u'c', ModifierFlag::Command);
    EXPECT_TRUE(editor->copies.empty());
    editor->takesEquivalent = 0;
    events.pressKey(window, u'c', ModifierFlag::Command);
    EXPECT_EQ(editor->copies, (std::vector<long> { 11 }));
    // ...and a key that no equivalent takes is typed.
    EXPECT_TRUE(editor->typed.empty());
    events.pressKey(window, u'x');
    events.pressKey(window, u'q', ModifierFlag::Command);
    EXPECT_EQ(editor->typed, (std::vector<std::u16string> { u"x", u"q" }));
}

TEST_F(MenuFixture, ControlsSendTheirActionOnAClickThatEndsInside)
{
    auto button = std::make_shared<Button>(Rect(0, 150, 80, 30), u"Copy");
    button->setAction("copy:");
    button->setTag(5);
    button->setButtonType(ButtonType::Switch);
    window->contentView()->addSubview(button);
    events.click(window, { 10, 160 });
    EXPECT_EQ(editor->copies, (std::vector<long> { 5 }));
    EXPECT_EQ(button->state(), OnState);

    // Released outside: nothing.
    events.drag(window, { 10, 160 }, { { 150, 20 } });
    EXPECT_EQ(editor->copies.size(), 1u);

    button->setEnabled(false);
    EXPECT_FALSE(button->performClick());
    events.click(window, { 10, 160 });
    EXPECT_EQ(editor->copies.size(), 1u);
}

TEST(MenuStructure, ItemsBelongToOneMenu)
{
    auto menu = Menu::create(u"A");
    auto item = menu->addItem(u"One", "one:", {});
    auto other = Menu::create(u"B");
    EXPECT_THROW(other->addItem(item), InternalInconsistencyException);
    menu->removeItem(item);
    EXPECT_EQ(item->menu(), nullptr);
    other->insertItem(item, 0);
    EXPECT_EQ(other->indexOfItem(item.get()), 0);
    EXPECT_EQ(other->itemAtIndex(5), nullptr);
    EXPECT_THROW(other->insertItem(MenuItem::create(u"x"), 3), InternalInconsistencyException);
}
