#include "app/VornickWindow.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/Event.h"
#include "platform/views/View.h"

#include <any>
#include <gtest/gtest.h>

using namespace brevanton;

namespace {

class FocusableView final : public View {
public:
    using View::View;
    bool acceptsFirstResponder() const override { return true; }
};

class VornickWindowTest : public ::testing::Test {
protected:
    void SetUp() override { m_window = VornickWindow::create(Rect({ 0, 0 }, { 400, 300 })); }
    void TearDown() override { Application::shared().resetForTesting(); }

    Event keyDown() { return Event::keyEvent(EventType::KeyDown, { 0, 0 }, 0, 0, m_window, u"a", u"a", false, 0); }

    std::shared_ptr<VornickWindow> m_window;
};

TEST_F(VornickWindowTest, HooksSeeEventsInOrderAndMayRemoveThemselvesWhileRunning)
{
    std::vector<std::string> calls;
    Window::SendEventHookHandle first;
    first = m_window->vornick_addSendEventHook([&](Window&, const Event&) {
        calls.push_back("first");
        m_window->vornick_removeSendEventHook(first);
        return true;
    });
    m_window->vornick_addSendEventHook([&](Window& window, const Event&) {
        EXPECT_EQ(&window, m_window.get());
        calls.push_back("second");
        return true;
    });
    m_window->sendEvent(keyDown());
    EXPECT_EQ(calls, (std::vector<std::string> { "first", "second" })) << "the removal applies from the next event";
    calls.clear();
    m_window->sendEvent(keyDown());
    EXPECT_EQ(calls, (std::vector<std::string> { "second" }));
}

TEST_F(VornickWindowTest, AHookThatAnswersNoStopsTheEvent)
{
    int later = 0;
    auto stopper = m_window->vornick_addSendEventHook([](Window&, const Event&) { return false; });
    m_window->vornick_addSendEventHook([&](Window&, const Event&) { ++later; return true; });
    m_window->sendEvent(keyDown());
    EXPECT_EQ(later, 0);
    m_window->vornick_removeSendEventHook(stopper);
    m_window->sendEvent(keyDown());
    EXPECT_EQ(later, 1);
}

TEST_F(VornickWindowTest, OrderInBlocksRunOnTheNextTurnAfterTheWindowOrderedIn)
{
    int ran = 0;
    m_window->vornick_afterOrderInAnimationDo([&] { ++ran; });
    RunLoop::main().runOnce();
    EXPECT_EQ(ran, 0) << "not ordered in yet";
    m_window->makeKeyAndOrderFront();
    EXPECT_EQ(ran, 0) << "after the (absent) animation, not during the ordering";
    RunLoop::main().runOnce();
    EXPECT_EQ(ran, 1);

    m_window->vornick_afterOrderInAnimationDo([&] { ++ran; });
    RunLoop::main().runOnce();
    EXPECT_EQ(ran, 2) << "a visible window runs it on the next turn";

    // A window that goes away before its blocks ran never runs them.
    m_window->vornick_afterOrderInAnimationDo([&] { ++ran; });
    Application::shared().resetForTesting();
    m_window.reset();
    RunLoop::main().runOnce();
    EXPECT_EQ(ran, 2);
}

TEST_F(VornickWindowTest, FirstResponderChangesAreAnnouncedWithBothResponders)
{
    auto view = std::make_shared<FocusableView>(Rect({ 0, 0 }, { 10, 10 }));
    m_window->contentView()->addSubview(view);

    std::vector<std::string> names;
    std::vector<const VornickWindow::FirstResponderChange*> changes;
    auto token = NotificationCenter::defaultCenter().addObserver({}, m_window.get(), nullptr, [&](const Notification& note) {
        names.push_back(note.name);
        auto change = m_window->firstResponderChange();
        ASSERT_NE(change, nullptr);
        EXPECT_EQ(change->oldFirstResponder, std::static_pointer_cast<Responder>(m_window));
        EXPECT_EQ(change->newFirstResponder, std::static_pointer_cast<Responder>(view));
        auto responder = [&](const char* key) {
            auto found = note.userObjects.find(key);
            return found == note.userObjects.end() ? nullptr : std::any_cast<std::shared_ptr<Responder>>(found->second);
        };
        EXPECT_EQ(responder(VornickOldFirstResponderUserInfoKey), change->oldFirstResponder);
        EXPECT_EQ(responder(VornickNewFirstResponderUserInfoKey), change->newFirstResponder);
    });
    EXPECT_TRUE(m_window->makeFirstResponder(view));
    EXPECT_EQ(names, (std::vector<std::string> { VornickWindowWillChangeFirstResponderNotification,
                                                 VornickWindowDidChangeFirstResponderNotification }));
    EXPECT_EQ(m_window->firstResponderChange(), nullptr);

    names.clear();
    EXPECT_TRUE(m_window->makeFirstResponder(view));
    EXPECT_TRUE(names.empty()) << "no change, no announcement";
}

TEST_F(VornickWindowTest, BecomingKeyIsAnnouncedAroundThePlatformNotification)
{
    std::vector<std::string> names;
    auto token = NotificationCenter::defaultCenter().addObserver({}, m_window.get(), nullptr,
                                                                 [&](const Notification& note) { names.push_back(note.name); });
    m_window->makeKeyAndOrderFront();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names[0], VornickWindowWillBecomeKeyNotification);
    EXPECT_EQ(names[1], Window::DidBecomeKeyNotification);
    EXPECT_EQ(names[2], VornickWindowDidBecomeKeyNotification);
}

TEST_F(VornickWindowTest, TheLeftMouseDownRecipientIsNotOwned)
{
    auto view = std::make_shared<View>(Rect({ 0, 0 }, { 10, 10 }));
    m_window->setActiveLeftMouseDownRecipient(view);
    EXPECT_EQ(m_window->activeLeftMouseDownRecipient(), view);
    view.reset();
    EXPECT_EQ(m_window->activeLeftMouseDownRecipient(), nullptr);
}

TEST_F(VornickWindowTest, TheLeftMouseDownRecipientIsForgottenWhenItLeavesTheWindow)
{
    auto container = std::make_shared<View>(Rect({ 0, 0 }, { 100, 100 }));
    auto view = std::make_shared<View>(Rect({ 0, 0 }, { 10, 10 }));
    auto bystander = std::make_shared<View>(Rect({ 50, 50 }, { 10, 10 }));
    container->addSubview(view);
    m_window->contentView()->addSubview(container);
    m_window->contentView()->addSubview(bystander);

    // Another view leaving changes nothing.
    m_window->setActiveLeftMouseDownRecipient(view);
    bystander->removeFromSuperview();
    EXPECT_EQ(m_window->activeLeftMouseDownRecipient(), view);

    // Leaving with an enclosing view, and coming back while the button is
    // still down, makes it no recipient.
    container->removeFromSuperview();
    m_window->contentView()->addSubview(container);
    EXPECT_EQ(m_window->activeLeftMouseDownRecipient(), nullptr);

    // Moving to another window, and the content view being replaced.
    m_window->setActiveLeftMouseDownRecipient(view);
    auto other = VornickWindow::create(Rect({ 0, 0 }, { 400, 300 }));
    other->contentView()->addSubview(view);
    EXPECT_EQ(m_window->activeLeftMouseDownRecipient(), nullptr);
    other->setActiveLeftMouseDownRecipient(view);
    other->setContentView(std::make_shared<View>(Rect({ 0, 0 }, { 400, 300 })));
    EXPECT_EQ(other->activeLeftMouseDownRecipient(), nullptr);
    EXPECT_TRUE(view);
}

TEST_F(VornickWindowTest, MouseUpDoesNotGoToAViewThatLeftTheWindow)
{
    struct Recording final : View {
        using View::View;
        int ups { 0 };
        void mouseUp(const Event&) override { ++ups; }
    };
    auto view = std::make_shared<Recording>(Rect({ 0, 0 }, { 100, 100 }));
    m_window->contentView()->addSubview(view);
    m_window->sendEvent(Event::mouseEvent(EventType::LeftMouseDown, { 10, 10 }, 0, 0, m_window, 1));
    view->removeFromSuperview();
    m_window->sendEvent(Event::mouseEvent(EventType::LeftMouseUp, { 10, 10 }, 0, 0, m_window, 1));
    EXPECT_EQ(view->ups, 0);
}

} // namespace
