#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/Menu.h"
#include "platform/views/PopUpButton.h"
#include "platform/views/SearchField.h"
#include "platform/views/Toolbar.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

// Makes items for a few identifiers: "button" (a button sending "doIt:"),
// "wide" (a view between 100 and 200 points), "picture" (an image item
// sending "showPicture:") and "plain" (a view without action).
class ItemMaker : public ToolbarDelegate {
public:
    std::vector<std::u16string> defaults { u"button", u"unknown", u"wide", u"picture", u"plain" };

    std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar&, const std::u16string& identifier, bool) override
    {
        auto item = std::make_shared<ToolbarItem>(identifier);
        item->setLabel(u"Label " + identifier);
        if (identifier == u"button") {
            item->setView(std::make_shared<Button>(Rect(0, 0, 40, 26), u"Do"));
            item->setAction("doIt:");
        } else if (identifier == u"wide") {
            item->setView(std::make_shared<View>(Rect(0, 0, 150, 26)));
            item->setMinSize(Size { 100, 26 });
            item->setMaxSize(Size { 200, 26 });
        } else if (identifier == u"picture") {
            item->setImage(Image::imageNamed(ImageNameUser));
            item->setAction("showPicture:");
        } else if (identifier == u"plain") {
            item->setView(std::make_shared<View>(Rect(0, 0, 30, 20)));
        } else {
            return nullptr;
        }
        return item;
    }
    std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) override { return defaults; }
};

// Answers "doIt:" and "showPicture:" while it allows them.
class Performer : public Responder {
public:
    bool allowsDoIt { true };
    int pictures { 0 };
    int doIts { 0 };
    Performer()
    {
        setActionHandler("doIt:", [this](ActionSender*) { ++doIts; });
        setActionHandler("showPicture:", [this](ActionSender*) { ++pictures; });
    }
    bool validateToolbarItem(ToolbarItem& item) override { return item.action() != "doIt:" || allowsDoIt; }
};

struct ToolbarFixture : ::testing::Test {
    void SetUp() override
    {
        Application::shared().resetForTesting();
        window = Window::create(Rect(0, 0, 800, 300));
        maker = std::make_shared<ItemMaker>();
        toolbar = Toolbar::create(u"test");
        toolbar->setDelegate(maker);
        toolbar->view()->setFrame(Rect(0, 300 - Toolbar::height, 800, Toolbar::height));
        window->contentView()->addSubview(toolbar->view());
        window->makeKeyAndOrderFront();
    }
    void TearDown() override { Application::shared().resetForTesting(); }

    std::vector<std::u16string> identifiers(const std::vector<std::shared_ptr<ToolbarItem>>& items) const
    {
        std::vector<std::u16string> result;
        for (const auto& item : items)
            result.push_back(item->itemIdentifier());
        return result;
    }
    // The labels drawn by the toolbar's view, left to right as recorded.
    std::vector<std::u16string> drawnLabels()
    {
        GraphicsContext context;
        toolbar->view()->display(context);
        std::vector<std::u16string> labels;
        for (const auto& command : context.commandsOfView(toolbar->view().get())) {
            if (command.kind == DrawCommand::Kind::Text)
                labels.push_back(command.text);
        }
        return labels;
    }
    Point centreInWindow(const Rect& rectInToolbar) const
    {
        return toolbar->view()->convertPointToView(Point { rectInToolbar.midX(), rectInToolbar.midY() }, nullptr);
    }

    EventSynthesizer events;
    std::shared_ptr<Window> window;
    std::shared_ptr<ItemMaker> maker;
    std::shared_ptr<Toolbar> toolbar;
};

TEST_F(ToolbarFixture, AWindowLoadsTheDefaultItemsInOrderAndTheViewDrawsTheirLabels)
{
    EXPECT_TRUE(toolbar->items().empty()) << "nothing before the toolbar has a window";
    window->setToolbar(toolbar);
    EXPECT_TRUE(window->toolbarIsShown());
    // The unknown identifier makes no item.
    EXPECT_EQ(identifiers(toolbar->items()), (std::vector<std::u16string> { u"button", u"wide", u"picture", u"plain" }));
    EXPECT_EQ(identifiers(toolbar->visibleItems()), identifiers(toolbar->items()));
    EXPECT_EQ(drawnLabels(), (std::vector<std::u16string> { u"Label button", u"Label wide", u"Label picture", u"Label plain" }));
    // Left to right, never overlapping.
    double lastEnd = 0;
    for (const auto& item : toolbar->visibleItems()) {
        Rect rect = toolbar->view()->rectOfItem(*item);
        EXPECT_GE(rect.minX(), lastEnd);
        lastEnd = rect.maxX();
    }
    // The flexible view takes its widest while there is room.
    EXPECT_EQ(toolbar->itemWithIdentifier(u"wide")->view()->frame().width(), 200);

    // Given to another window, the items are not loaded twice.
    window->setToolbar(nullptr);
    EXPECT_FALSE(window->toolbarIsShown());
    window->setToolbar(toolbar);
    EXPECT_EQ(toolbar->items().size(), 4u);
    toolbar->setVisible(false);
    EXPECT_FALSE(window->toolbarIsShown());
    EXPECT_TRUE(toolbar->visibleItems().empty());
}

TEST_F(ToolbarFixture, ANarrowToolbarShrinksFlexibleItemsFirstThenLeavesTheLastOnesOut)
{
    window->setToolbar(toolbar);
    auto wide = toolbar->itemWithIdentifier(u"wide");
    double roomy = toolbar->view()->rectOfItem(*toolbar->itemWithIdentifier(u"plain")).maxX();
    // Just too narrow for the flexible item at its widest.
    toolbar->view()->setFrameSize(Size { roomy + 8 - 20, Toolbar::height });
    EXPECT_EQ(wide->view()->frame().width(), 100);
    EXPECT_EQ(toolbar->visibleItems().size(), 4u);

    toolbar->view()->setFrameSize(Size { 200, Toolbar::height });
    auto visible = identifiers(toolbar->visibleItems());
    ASSERT_LT(visible.size(), 4u);
    EXPECT_EQ(visible.front(), u"button");
    EXPECT_TRUE(toolbar->itemWithIdentifier(u"plain")->view()->isHidden());
    EXPECT_TRUE(toolbar->view()->rectOfItem(*toolbar->itemWithIdentifier(u"plain")).isEmpty());
    // A hidden item is no longer drawn.
    EXPECT_EQ(drawnLabels().size(), visible.size());

    toolbar->view()->setFrameSize(Size { 800, Toolbar::height });
    EXPECT_EQ(toolbar->visibleItems().size(), 4u);
    EXPECT_FALSE(toolbar->itemWithIdentifier(u"plain")->view()->isHidden());
}

TEST_F(ToolbarFixture, ItemsAreValidatedAfterEachEventLikeMenuItems)
{
    auto performer = std::make_shared<Performer>();
    Application::shared().setDelegate(performer);
    window->setToolbar(toolbar);
    auto button = toolbar->itemWithIdentifier(u"button");
    auto picture = toolbar->itemWithIdentifier(u"picture");
    auto plain = toolbar->itemWithIdentifier(u"plain");
    EXPECT_TRUE(button->isEnabled());
    // The action set on a view item is its control's.
    EXPECT_EQ(std::dynamic_pointer_cast<Button>(button->view())->action(), "doIt:");

    performer->allowsDoIt = false;
    EXPECT_TRUE(button->isEnabled()) << "nothing is validated between events";
    window->sendEvent(events.mouseMoved(window, Point { 5, 5 }));
    EXPECT_FALSE(button->isEnabled());
    EXPECT_FALSE(std::dynamic_pointer_cast<Button>(button->view())->isEnabled()) << "the control follows its item";
    EXPECT_TRUE(picture->isEnabled());
    plain->setEnabled(false);
    window->sendEvent(events.mouseMoved(window, Point { 6, 5 }));
    EXPECT_FALSE(plain->isEnabled()) << "an item without an action is left alone";

    // Nobody answers the action: disabled.
    Application::shared().setDelegate(std::weak_ptr<Responder>());
    window->sendEvent(events.mouseMoved(window, Point { 7, 5 }));
    EXPECT_FALSE(picture->isEnabled());
    Application::shared().setDelegate(performer);
    performer->allowsDoIt = true;
    window->sendEvent(events.mouseMoved(window, Point { 8, 5 }));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(picture->isEnabled());
}

TEST_F(ToolbarFixture, AClickOnAnImageItemSendsItsActionOnlyWhileEnabled)
{
    auto performer = std::make_shared<Performer>();
    Application::shared().setDelegate(performer);
    window->setToolbar(toolbar);
    auto picture = toolbar->itemWithIdentifier(u"picture");
    Point at = centreInWindow(toolbar->view()->rectOfItem(*picture));
    window->sendEvent(events.mouseDown(window, at));
    window->sendEvent(events.mouseUp(window, at));
    EXPECT_EQ(performer->pictures, 1);

    // The button's click goes to the button, which sends its own action.
    auto button = toolbar->itemWithIdentifier(u"button");
    Point onButton = button->view()->convertPointToView(Point { 20, 13 }, nullptr);
    window->sendEvent(events.mouseDown(window, onButton));
    window->sendEvent(events.mouseUp(window, onButton));
    EXPECT_EQ(performer->doIts, 1);

    Application::shared().setDelegate(std::weak_ptr<Responder>());
    window->sendEvent(events.mouseMoved(window, Point { 7, 5 }));
    Application::shared().setDelegate(performer);
    ASSERT_FALSE(picture->isEnabled());
    window->sendEvent(events.mouseDown(window, at));
    EXPECT_EQ(performer->pictures, 1);
}

TEST(SearchField, SendsItsActionAsTypedAndWhenCleared)
{
    Application::shared().resetForTesting();
    EventSynthesizer events;
    auto window = Window::create(Rect(0, 0, 400, 100));
    auto field = std::make_shared<SearchField>(Rect(10, 10, 200, 22));
    window->contentView()->addSubview(field);
    window->makeKeyAndOrderFront();
    std::vector<std::u16string> sent;
    auto receiver = std::make_shared<Responder>();
    receiver->setActionHandler("search:", [&](ActionSender* sender) { sent.push_back(dynamic_cast<SearchField*>(sender)->stringValue()); });
    field->setTarget(receiver);
    field->setAction("search:");
    ASSERT_TRUE(window->makeFirstResponder(field));
    EXPECT_TRUE(field->cancelButtonRect().isEmpty());

    for (char16_t character : std::u16string(u"ab"))
        window->sendEvent(events.keyDownForCharacter(window, character));
    window->sendEvent(events.keyDown(window, u"\U0001F600", 0));
    EXPECT_EQ(sent, (std::vector<std::u16string> { u"a", u"ab", u"ab\U0001F600" }));
    // Backspace takes a whole character, never half of a pair.
    window->sendEvent(events.keyDown(window, u"\x7F", KeyCode::Delete));
    EXPECT_EQ(sent.back(), u"ab");
    // Shortcuts and arrows are not text.
    window->sendEvent(events.keyDownForCharacter(window, FunctionKey::LeftArrow));
    window->sendEvent(events.keyDown(window, u"w", 13, ModifierFlag::Command));
    EXPECT_EQ(sent.size(), 4u);
    EXPECT_EQ(field->stringValue(), u"ab");

    // The cancel button clears and sends.
    Rect cancel = field->cancelButtonRect();
    ASSERT_FALSE(cancel.isEmpty());
    Point onCancel = field->convertPointToView(Point { cancel.midX(), cancel.midY() }, nullptr);
    window->sendEvent(events.mouseDown(window, onCancel));
    window->sendEvent(events.mouseUp(window, onCancel));
    EXPECT_EQ(sent.back(), u"");
    EXPECT_EQ(sent.size(), 5u);
    // Escape on an empty field sends nothing more.
    window->sendEvent(events.keyDown(window, u"\x1B", KeyCode::Escape));
    EXPECT_EQ(sent.size(), 5u);
    window->sendEvent(events.keyDownForCharacter(window, u'x'));
    window->sendEvent(events.keyDown(window, u"\x1B", KeyCode::Escape));
    EXPECT_EQ(sent.back(), u"");
    Application::shared().resetForTesting();
}

TEST(NamedImages, StandardAndRegisteredNamesAnswerOneImageEach)
{
    auto user = Image::imageNamed(ImageNameUser);
    ASSERT_TRUE(user);
    EXPECT_EQ(Image::imageNamed(ImageNameUser), user);
    EXPECT_EQ(user->name(), ImageNameUser);
    EXPECT_TRUE(user->isTemplate());
    EXPECT_FALSE(user->drawing().empty());
    EXPECT_FALSE(Image::imageNamed(u"NoSuchPicture"));

    int made = 0;
    Image::registerImageNamed(u"TestPicture", [&made] {
        ++made;
        return Image::imageWithSize(Size { 4, 4 }, [](GraphicsContext& context) { context.fillRect(Rect(0, 0, 4, 4), Color::black()); });
    });
    auto first = Image::imageNamed(u"TestPicture");
    EXPECT_EQ(Image::imageNamed(u"TestPicture"), first);
    EXPECT_EQ(made, 1);
    // A new maker replaces the image made before.
    Image::registerImageNamed(u"TestPicture", [] { return Image::imageWithSize(Size { 8, 8 }, nullptr); });
    EXPECT_EQ(Image::imageNamed(u"TestPicture")->size().width, 8);
    Image::registerImageNamed(u"Nothing", [] { return nullptr; });
    EXPECT_FALSE(Image::imageNamed(u"Nothing"));
}

TEST(PopUpButtonMenu, AClickShowsTheValidatedMenuUnlessDisabled)
{
    Application::shared().resetForTesting();
    EventSynthesizer events;
    auto window = Window::create(Rect(0, 0, 400, 100));
    auto button = std::make_shared<PopUpButton>(Rect(10, 10, 120, 26));
    window->contentView()->addSubview(button);
    window->makeKeyAndOrderFront();
    auto item = button->addItemWithTitle(u"Chosen");
    item->setAction("nobodyAnswers:");
    std::shared_ptr<Menu> presented;
    Menu::setContextMenuPresenter([&](const std::shared_ptr<Menu>& menu, const Event&, View& view) {
        EXPECT_EQ(&view, button.get());
        presented = menu;
    });
    button->setEnabled(false);
    window->sendEvent(events.mouseDown(window, Point { 20, 20 }));
    EXPECT_FALSE(presented);
    button->setEnabled(true);
    window->sendEvent(events.mouseDown(window, Point { 20, 20 }));
    window->sendEvent(events.mouseUp(window, Point { 20, 20 }));
    EXPECT_EQ(presented, button->menu());
    EXPECT_FALSE(item->isEnabled()) << "validated before it shows";
    presented = nullptr;
    EXPECT_TRUE(button->performClick());
    EXPECT_EQ(presented, button->menu());
    Menu::setContextMenuPresenter(nullptr);
    Application::shared().resetForTesting();
}

TEST(PopUpButtonMenu, AnItemWithoutAnActionChosenFromTheShownMenuIsSelectedAndSent)
{
    Application::shared().resetForTesting();
    auto window = Window::create(Rect(0, 0, 400, 100));
    auto button = std::make_shared<PopUpButton>(Rect(10, 10, 120, 26));
    window->contentView()->addSubview(button);
    auto owner = std::make_shared<Responder>();
    int sent = 0;
    owner->setActionHandler("intervalChanged:", [&](ActionSender*) { ++sent; });
    button->setTarget(owner);
    button->setAction("intervalChanged:");
    button->addItemWithTitle(u"Never");
    button->addItemWithTitle(u"Hourly");
    auto own = button->addItemWithTitle(u"Custom");
    own->setAction("nobodyAnswers:");
    std::shared_ptr<Menu> presented;
    Menu::setContextMenuPresenter([&](const std::shared_ptr<Menu>& menu, const Event&, View&) { presented = menu; });
    ASSERT_TRUE(button->performClick());
    ASSERT_EQ(presented, button->menu());
    EXPECT_TRUE(presented->itemAtIndex(1)->isEnabled());
    EXPECT_TRUE(presented->performActionForItemAtIndex(1));
    EXPECT_EQ(button->indexOfSelectedItem(), 1);
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(own->action(), "nobodyAnswers:") << "an item's own action stays";
    EXPECT_FALSE(presented->performActionForItemAtIndex(2));
    EXPECT_EQ(button->indexOfSelectedItem(), 1);
    Menu::setContextMenuPresenter(nullptr);
    Application::shared().resetForTesting();
}

} // namespace
