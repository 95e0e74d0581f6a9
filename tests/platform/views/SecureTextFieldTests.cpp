// A password field keeps its text to itself: typed like any field, drawn as
// bullets, never copied or cut, never in an undo step.
#include "platform/views/SecureTextField.h"

#include "platform/foundation/UndoManager.h"
#include "platform/views/Application.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/Sound.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

namespace {

constexpr char16_t Password[] = u"pa\U0001F511 s";

struct SecureFieldInWindow {
    std::shared_ptr<Window> window = Window::create(Rect(0, 0, 300, 100));
    std::shared_ptr<SecureTextField> field = std::make_shared<SecureTextField>(Rect(10, 40, 200, 22));
    EventSynthesizer events;

    SecureFieldInWindow()
    {
        window->contentView()->addSubview(field);
        window->makeKeyAndOrderFront();
    }
    ~SecureFieldInWindow() { Application::shared().resetForTesting(); }

    bool anyCommandHoldsPasswordText(const std::vector<DrawCommand>& commands) const
    {
        for (const auto& command : commands) {
            for (char16_t character : std::u16string_view(Password)) {
                if (character != u' ' && command.text.find(character) != std::u16string::npos)
                    return true;
            }
        }
        return false;
    }
};

} // namespace

TEST(SecureTextFieldTests, TypedTextIsTheValueButOnlyBulletsAreDrawn)
{
    SecureFieldInWindow f;
    ASSERT_TRUE(f.window->makeFirstResponder(f.field));
    f.events.typeText(f.window, Password);
    EXPECT_EQ(f.field->stringValue(), Password);
    EXPECT_EQ(f.field->displayedString(), u"\u2022\u2022\u2022\u2022\u2022") << "the key is one character";

    GraphicsContext context;
    f.window->contentView()->display(context);
    EXPECT_FALSE(f.anyCommandHoldsPasswordText(context.commands()));
    size_t bulletRuns = 0;
    for (const auto& command : context.commandsOfView(f.field.get()))
        bulletRuns += !command.text.empty() && command.text == f.field->displayedString();
    EXPECT_EQ(bulletRuns, 1u);

    f.events.pressKey(f.window, u'\x7f');
    EXPECT_EQ(f.field->stringValue(), u"pa\U0001F511 ");
    EXPECT_EQ(f.field->displayedString().size(), 4u);
}

TEST(SecureTextFieldTests, CopyAndCutAreRefusedAndNothingReachesThePasteboardOrTheUndoManager)
{
    SecureFieldInWindow f;
    // Something up the chain that would copy: the field must stop the request.
    int contentViewCopies = 0;
    f.window->contentView()->setActionHandler("copy:", [&](ActionSender*) { ++contentViewCopies; });
    auto menu = std::make_shared<Menu>(u"Edit");
    auto copy = menu->addItem(u"Copy", "copy:", u"c");
    auto cut = menu->addItem(u"Cut", "cut:", u"x");
    Application::shared().setMainMenu(menu);

    ASSERT_TRUE(f.window->makeFirstResponder(f.field));
    f.events.typeText(f.window, Password);
    auto pasteboard = Pasteboard::generalPasteboard();
    int64_t changes = pasteboard->changeCount();
    Sound::clearPlayedSounds();

    EXPECT_FALSE(Menu::validateItem(*copy));
    EXPECT_FALSE(Menu::validateItem(*cut));
    EXPECT_FALSE(menu->performActionForItemAtIndex(0));
    EXPECT_FALSE(menu->performActionForItemAtIndex(1));
    f.events.pressKey(f.window, u'c', ModifierFlag::Command);
    f.events.pressKey(f.window, u'x', ModifierFlag::Command);
    // Sent straight to it, the field only beeps.
    EXPECT_TRUE(Application::shared().sendAction("copy:", nullptr, nullptr));
    EXPECT_EQ(Sound::playedSoundNames(), std::vector<std::u16string>({ Sound::BeepName }));

    EXPECT_EQ(contentViewCopies, 0);
    EXPECT_EQ(pasteboard->changeCount(), changes);
    EXPECT_EQ(f.field->stringValue(), Password) << "Cut removed nothing";
    EXPECT_EQ(f.field->undoManager(), nullptr);
    ASSERT_TRUE(f.window->undoManager());
    EXPECT_FALSE(f.window->undoManager()->canUndo()) << "no step holds an earlier password";
}
