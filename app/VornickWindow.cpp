#include "app/VornickWindow.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/View.h"

#include <utility>

namespace brevanton {

std::shared_ptr<VornickWindow> VornickWindow::create(Rect frame)
{
    auto window = std::make_shared<VornickWindow>(frame);
    window->setContentView(std::make_shared<View>(Rect({ 0, 0 }, frame.size)));
    Application::shared().addWindow(window);
    return window;
}

VornickWindow::VornickWindow(Rect frame)
    : Window(frame)
{
}

VornickWindow::~VornickWindow() = default;

Window::SendEventHookHandle VornickWindow::vornick_addSendEventHook(SendEventHook hook)
{
    return addSendEventHook(std::move(hook));
}

void VornickWindow::vornick_removeSendEventHook(const SendEventHookHandle& handle)
{
    removeSendEventHook(handle);
}

void VornickWindow::vornick_afterOrderInAnimationDo(std::function<void()> block)
{
    if (!block)
        return;
    m_orderInBlocks.push_back(std::move(block));
    if (isVisible())
        runOrderInBlocks();
}

void VornickWindow::viewTreeWillLeaveWindow(const View& root)
{
    Window::viewTreeWillLeaveWindow(root);
    auto recipient = m_activeLeftMouseDownRecipient.lock();
    if (recipient && (recipient.get() == &root || recipient->isDescendantOf(&root)))
        m_activeLeftMouseDownRecipient.reset();
}

void VornickWindow::orderFront()
{
    Window::orderFront();
    runOrderInBlocks();
}

// The window has no order-in animation: the blocks run on the next turn.
void VornickWindow::runOrderInBlocks()
{
    if (m_orderInBlocks.empty())
        return;
    std::weak_ptr<Responder> weakThis = weak_from_this();
    for (auto& block : m_orderInBlocks) {
        RunLoop::main().perform([weakThis, block = std::move(block)] {
            if (weakThis.lock())
                block();
        });
    }
    m_orderInBlocks.clear();
}

bool VornickWindow::makeFirstResponder(const std::shared_ptr<Responder>& responder)
{
    auto self = sharedAs<Window>();
    auto oldResponder = firstResponder();
    auto newResponder = responder ? responder : std::static_pointer_cast<Responder>(self);
    if (oldResponder == newResponder)
        return Window::makeFirstResponder(responder);

    auto& center = NotificationCenter::defaultCenter();
    auto post = [&](const char* name, const FirstResponderChange& change) {
        Notification notification { name, this, {}, {} };
        notification.userObjects[VornickOldFirstResponderUserInfoKey] = change.oldFirstResponder;
        notification.userObjects[VornickNewFirstResponderUserInfoKey] = change.newFirstResponder;
        center.post(notification);
    };
    auto change = std::make_unique<FirstResponderChange>(FirstResponderChange { oldResponder, newResponder });
    // Nested changes (an observer moving the first responder) see their own.
    auto outer = std::exchange(m_firstResponderChange, std::make_unique<FirstResponderChange>(*change));
    post(VornickWindowWillChangeFirstResponderNotification, *change);
    bool changed = Window::makeFirstResponder(responder);
    change->newFirstResponder = firstResponder();
    m_firstResponderChange = std::move(change);
    post(VornickWindowDidChangeFirstResponderNotification, *m_firstResponderChange);
    m_firstResponderChange = std::move(outer);
    return changed;
}

void VornickWindow::becomeKeyWindow()
{
    auto& center = NotificationCenter::defaultCenter();
    center.post(VornickWindowWillBecomeKeyNotification, this);
    Window::becomeKeyWindow();
    center.post(VornickWindowDidBecomeKeyNotification, this);
}

} // namespace brevanton
