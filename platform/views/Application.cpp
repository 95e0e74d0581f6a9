#include "platform/views/Application.h"

#include "platform/views/CurrentEvent.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/Menu.h"
#include "platform/views/Window.h"
#include "platform/views/WindowServerConnection.h"

#include <algorithm>
#include <utility>

namespace brevanton {

Application& Application::shared()
{
    static std::shared_ptr<Application> instance(new Application);
    return *instance;
}

void Application::addWindow(const std::shared_ptr<Window>& window)
{
    std::erase_if(m_windows, [](auto& weak) { return weak.expired(); });
    for (auto& known : m_windows) {
        if (known.lock() == window)
            return;
    }
    m_windows.push_back(window);
}

std::vector<std::shared_ptr<Window>> Application::windows() const
{
    std::vector<std::shared_ptr<Window>> result;
    for (auto& weak : m_windows) {
        if (auto window = weak.lock())
            result.push_back(window);
    }
    return result;
}

void Application::setKeyWindow(const std::shared_ptr<Window>& window)
{
    auto previous = m_keyWindow.lock();
    if (previous == window)
        return;
    m_keyWindow = window;
    if (previous)
        previous->resignKeyWindow();
    if (window)
        window->becomeKeyWindow();
}

void Application::setMainWindow(const std::shared_ptr<Window>& window)
{
    auto previous = m_mainWindow.lock();
    if (previous == window)
        return;
    m_mainWindow = window;
    if (previous)
        previous->resignMainWindow();
    if (window)
        window->becomeMainWindow();
}

std::vector<std::shared_ptr<Window>> Application::orderedWindows() const
{
    std::vector<std::shared_ptr<Window>> result;
    for (auto& weak : m_windowOrder) {
        if (auto window = weak.lock(); window && window->isVisible())
            result.push_back(window);
    }
    return result;
}

void Application::orderWindow(const std::shared_ptr<Window>& window, WindowOrderingMode mode, const Window* relativeTo)
{
    if (!window)
        return;
    std::erase_if(m_windowOrder, [&](auto& weak) {
        auto known = weak.lock();
        return !known || known == window;
    });
    if (mode == WindowOrderingMode::Out)
        return;
    auto position = m_windowOrder.end();
    if (relativeTo) {
        auto found = std::find_if(m_windowOrder.begin(), m_windowOrder.end(),
            [&](auto& weak) { return weak.lock().get() == relativeTo; });
        if (found != m_windowOrder.end())
            position = mode == WindowOrderingMode::Above ? found : found + 1;
        else
            position = mode == WindowOrderingMode::Above ? m_windowOrder.begin() : m_windowOrder.end();
    } else if (mode == WindowOrderingMode::Above)
        position = m_windowOrder.begin();
    m_windowOrder.insert(position, window);
}

std::shared_ptr<Window> Application::windowAtPoint(Point screenPoint) const
{
    for (auto& window : orderedWindows()) {
        if (!window->ignoresMouseEvents() && window->frame().containsPoint(screenPoint))
            return window;
    }
    return nullptr;
}

// The event Application::sendEvent is sending (events sent from inside
// another's handling nest).
static const Event* sentEvent = nullptr;

const Event* currentApplicationEvent()
{
    return sentEvent;
}

void Application::sendEvent(const Event& event)
{
    // The event's window (a key event without one goes to the key window)
    // routes it: its send-event hooks first, then key equivalents, then the
    // first responder (Window::sendEvent).
    auto window = event.window();
    bool isKeyEvent = event.type() == EventType::KeyDown || event.type() == EventType::KeyUp || event.type() == EventType::FlagsChanged;
    if (!window && isKeyEvent)
        window = keyWindow();
    if (!window)
        return;
    const Event* outerEvent = std::exchange(sentEvent, &event);
    struct Restore {
        const Event* outer;
        ~Restore() { sentEvent = outer; }
    } restore { outerEvent };
    window->sendEvent(event);
}

static std::shared_ptr<Responder> targetInWindowChain(const std::shared_ptr<Window>& window, const Action& action)
{
    for (auto responder = window->firstResponder(); responder; responder = responder->nextResponder()) {
        if (responder->respondsToAction(action))
            return responder;
    }
    if (auto delegate = std::dynamic_pointer_cast<Responder>(window->delegate().lock())) {
        if (delegate->respondsToAction(action))
            return delegate;
    }
    return nullptr;
}

std::shared_ptr<Responder> Application::targetForAction(const Action& action, const std::shared_ptr<Responder>& target) const
{
    if (target)
        return target->respondsToAction(action) ? target : nullptr;
    auto keyWindow = this->keyWindow();
    if (keyWindow) {
        if (auto found = targetInWindowChain(keyWindow, action))
            return found;
    }
    auto mainWindow = this->mainWindow();
    if (mainWindow && mainWindow != keyWindow) {
        if (auto found = targetInWindowChain(mainWindow, action))
            return found;
    }
    if (respondsToAction(action))
        return std::const_pointer_cast<Application>(sharedAs<Application>());
    if (auto delegate = m_delegate.lock()) {
        if (delegate->respondsToAction(action))
            return delegate;
    }
    return nullptr;
}

bool Application::sendAction(const Action& action, const std::shared_ptr<Responder>& target, ActionSender* sender)
{
    if (action.empty())
        return false;
    auto receiver = targetForAction(action, target);
    return receiver && receiver->performAction(action, sender);
}

void Application::resetForTesting()
{
    // A drag a test left running would carry its items into the next test.
    if (auto running = DraggingSession::currentSession())
        running->cancel();
    m_windows.clear();
    m_keyWindow.reset();
    m_mainWindow.reset();
    m_windowOrder.clear();
    m_windowUnderMouse.reset();
    m_mainMenu.reset();
    m_delegate.reset();
    m_applicationIconImage.reset();
}

void Application::setApplicationIconImage(std::shared_ptr<Image> image)
{
    if (image == m_applicationIconImage)
        return;
    m_applicationIconImage = std::move(image);
    if (auto* connection = WindowServerConnection::current())
        connection->applicationIconImageDidChange();
}

} // namespace brevanton
