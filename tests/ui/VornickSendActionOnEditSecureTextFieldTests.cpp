#include "ui/VornickSendActionOnEditSecureTextField.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/EventSynthesizer.h"
#include "platform/views/Window.h"

#include <gtest/gtest.h>

using namespace brevanton;

TEST(VornickSendActionOnEditSecureTextFieldTests, EachKeystrokeSendsTheActionBeforeTheChangeIsAnnounced)
{
    auto window = Window::create(Rect(0, 0, 300, 100));
    auto field = std::make_shared<VornickSendActionOnEditSecureTextField>(Rect(10, 40, 200, 22));
    window->contentView()->addSubview(field);
    auto target = std::make_shared<View>();
    std::vector<std::string> calls;
    target->setActionHandler("passwordEdited:", [&](ActionSender*) { calls.push_back("action " + std::to_string(field->stringValue().size())); });
    field->setTarget(target);
    field->setAction("passwordEdited:");
    auto observation = NotificationCenter::defaultCenter().addObserver(TextField::TextDidChangeNotification, field.get(), nullptr,
                                                                       [&](const Notification&) { calls.push_back("changed"); });
    ASSERT_TRUE(window->makeFirstResponder(field));
    EventSynthesizer events;
    events.typeText(window, u"ab");
    EXPECT_EQ(calls, std::vector<std::string>({ "action 1", "changed", "action 2", "changed" }));
    EXPECT_EQ(field->displayedString(), u"\u2022\u2022");
}
