#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Window.h"
#include "ui/VornickClickToEditTextField.h"
#include "ui/VornickSendActionOnEditTextField.h"
#include "ui/VornickUITheme.h"
#include "ui/VornickWindowBottomBar.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

std::shared_ptr<Window> makeWindow()
{
    Application::shared().resetForTesting();
    auto window = Window::create(Rect(0, 0, 400, 300));
    window->makeKeyAndOrderFront();
    return window;
}

std::vector<DrawCommand> drawn(const std::shared_ptr<Window>& window, const View& view)
{
    window->graphicsContext().clear();
    window->contentView()->display(window->graphicsContext());
    return window->graphicsContext().commandsOfView(&view);
}

class Owner : public VornickClickToEditTextFieldOwner {
public:
    std::vector<std::string> log;
    void clickToEditTextFieldDidBecomeVisiblyEditable(VornickClickToEditTextField& field) override
    {
        log.push_back("editable");
        field.setBezeled(true);
        field.setEditable(true);
    }
    void clickToEditTextFieldDidBecomeApparentlyStatic(VornickClickToEditTextField& field) override
    {
        log.push_back("static");
        field.setBezeled(false);
    }
};

} // namespace

TEST(VornickSmallViews, ClickToEditFocusesAfterTheClickAndSendActionOnEditFollowsEveryChange)
{
    auto window = makeWindow();
    Owner owner;
    auto field = std::make_shared<VornickClickToEditTextField>(Rect(0, 0, 100, 20));
    field->setOwner(&owner);
    window->contentView()->addSubview(field);
    EXPECT_FALSE(field->vornick_isVisiblyEditable());

    EventSynthesizer events;
    events.click(window, { 10, 10 });
    EXPECT_TRUE(field->vornick_isVisiblyEditable());
    EXPECT_EQ(owner.log, (std::vector<std::string> { "editable" }));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return field->vornick_isFocusedForEditing(); }, 30));
    field->vornick_losingFocus();
    EXPECT_FALSE(field->vornick_isVisiblyEditable());
    EXPECT_EQ(owner.log, (std::vector<std::string> { "editable", "static" }));
    field->setOwner(nullptr);

    auto target = std::make_shared<Responder>();
    std::vector<std::string> log;
    target->setActionHandler("changed:", [&](ActionSender*) { log.push_back("changed"); });
    target->setActionHandler(VornickSendActionOnEditTextField::BecameFirstResponderAction,
                             [&](ActionSender*) { log.push_back("focused"); });
    auto edit = std::make_shared<VornickSendActionOnEditTextField>(Rect(0, 50, 100, 20));
    edit->setEditable(true);
    edit->setTarget(target);
    edit->setAction("changed:");
    window->contentView()->addSubview(edit);
    auto observer = NotificationCenter::defaultCenter().addObserver(TextField::TextDidChangeNotification, edit.get(),
        nullptr, [&](const Notification&) { log.push_back("notified"); });
    ASSERT_TRUE(window->makeFirstResponder(edit));
    edit->editTextAsUser(u"a");
    edit->editTextAsUser(u"ab");
    EXPECT_EQ(log, (std::vector<std::string> { "focused", "changed", "notified", "changed", "notified" }));
    Application::shared().resetForTesting();
}

TEST(VornickSmallViews, TheBottomBarDrawsTheMainOrTheOtherLook)
{
    auto window = makeWindow();
    auto& theme = VornickUITheme::currentTheme();
    auto bar = std::make_shared<VornickWindowBottomBar>(Rect(0, 0, 400, 24));
    window->contentView()->addSubview(bar);
    auto commands = drawn(window, *bar);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands[0].kind, DrawCommand::Kind::Gradient);
    EXPECT_EQ(commands[0].gradient, theme.activeWindowBottomBarGradient());
    EXPECT_EQ(commands[0].rect, Rect(0, 1, 400, 22));
    // Resigning main redraws it with the inactive look.
    window->graphicsContext().clear();
    bar->displayIfNeeded(window->graphicsContext());
    auto other = Window::create(Rect(0, 0, 10, 10));
    other->makeKeyAndOrderFront();
    EXPECT_TRUE(bar->needsDisplay());
    commands = drawn(window, *bar);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands[0].gradient, theme.inactiveWindowBottomBarGradient());
    Application::shared().resetForTesting();
}
