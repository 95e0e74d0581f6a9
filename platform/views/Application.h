// Application: the process's one application object. It knows the windows,
// which one is key and which main, holds the main menu, routes events to
// their windows (which route key equivalents to their views and the main
// menu, Window::sendEvent) and sends actions along the responder chain: the key window's first
// responder and its chain, the key window's delegate, then the same for the
// main window when it is another window, then the application and its
// delegate.
#pragma once

#include "platform/views/Geometry.h"
#include "platform/views/Responder.h"

#include <memory>
#include <vector>

namespace brevanton {

class Image;
class Menu;
class Window;
enum class WindowOrderingMode;

class Application : public Responder {
public:
    static Application& shared();

    void addWindow(const std::shared_ptr<Window>&);
    // The windows still alive, in the order they were added.
    std::vector<std::shared_ptr<Window>> windows() const;
    std::shared_ptr<Window> keyWindow() const { return m_keyWindow.lock(); }
    std::shared_ptr<Window> mainWindow() const { return m_mainWindow.lock(); }
    // Used by Window: the previous window resigns, the new one becomes.
    void setKeyWindow(const std::shared_ptr<Window>&);
    void setMainWindow(const std::shared_ptr<Window>&);

    // The screen's stacking order of the visible windows, front to back.
    std::vector<std::shared_ptr<Window>> orderedWindows() const;
    // Used by Window: puts a visible window just above or below `relativeTo`
    // (in front of or behind all windows when null), or takes it out.
    void orderWindow(const std::shared_ptr<Window>&, WindowOrderingMode, const Window* relativeTo);
    // The frontmost visible window at a screen point that takes mouse events.
    std::shared_ptr<Window> windowAtPoint(Point screenPoint) const;
    // The window that was sent the last mouse event: the one under the pointer.
    std::shared_ptr<Window> windowUnderMouse() const { return m_windowUnderMouse.lock(); }
    void setWindowUnderMouse(const std::shared_ptr<Window>& window) { m_windowUnderMouse = window; }

    std::shared_ptr<Menu> mainMenu() const { return m_mainMenu; }
    void setMainMenu(const std::shared_ptr<Menu>& menu) { m_mainMenu = menu; }

    std::shared_ptr<Responder> delegate() const { return m_delegate.lock(); }
    void setDelegate(const std::weak_ptr<Responder>& delegate) { m_delegate = delegate; }

    // The picture the window system shows for the application and its
    // windows; null (the first value) is the window system's own.
    const std::shared_ptr<Image>& applicationIconImage() const { return m_applicationIconImage; }
    void setApplicationIconImage(std::shared_ptr<Image>);

    // Hands the event to its window (a key event without one to the key window).
    void sendEvent(const Event&);

    // The responder that would perform the action: `target` when it answers
    // to it, otherwise (with no target) the first of the chain that does.
    std::shared_ptr<Responder> targetForAction(const Action&, const std::shared_ptr<Responder>& target = nullptr) const;
    // Performs the action at targetForAction; false when there is none.
    bool sendAction(const Action&, const std::shared_ptr<Responder>& target, ActionSender* sender);

    // Forgets windows, menu and delegate.
    void resetForTesting();

private:
    Application() = default;

    std::vector<std::weak_ptr<Window>> m_windows;
    std::weak_ptr<Window> m_keyWindow;
    std::weak_ptr<Window> m_mainWindow;
    std::vector<std::weak_ptr<Window>> m_windowOrder;
    std::weak_ptr<Window> m_windowUnderMouse;
    std::shared_ptr<Menu> m_mainMenu;
    std::weak_ptr<Responder> m_delegate;
    std::shared_ptr<Image> m_applicationIconImage;
};

} // namespace brevanton
