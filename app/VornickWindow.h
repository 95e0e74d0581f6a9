// VornickWindow: the window of documents and projects. Besides the platform
// window it lets editors see every event before it is sent (send-event hooks
// that may remove themselves while they run), runs blocks once the window has
// ordered in, announces first-responder and key changes, and remembers which
// view handles the left mouse button while it is down.
#pragma once

#include "platform/views/Window.h"

#include <functional>
#include <memory>
#include <vector>

namespace brevanton {

class View;

// Posted with the window as object around every makeFirstResponder call that
// changes the first responder. The user objects under the two keys below are
// the previous and the new responder (std::shared_ptr<Responder>; the new
// one is, after the change, the responder that really took over); during
// the notifications firstResponderChange() tells the same.
inline constexpr const char* VornickWindowWillChangeFirstResponderNotification =
    "VornickWindowWillChangeFirstResponderNotification";
inline constexpr const char* VornickWindowDidChangeFirstResponderNotification =
    "VornickWindowDidChangeFirstResponderNotification";
inline constexpr const char* VornickOldFirstResponderUserInfoKey = "VornickOldFirstResponderUserInfoKey";
inline constexpr const char* VornickNewFirstResponderUserInfoKey = "VornickNewFirstResponderUserInfoKey";
// Posted with the window as object around becoming key.
inline constexpr const char* VornickWindowWillBecomeKeyNotification = "VornickWindowWillBecomeKeyNotification";
inline constexpr const char* VornickWindowDidBecomeKeyNotification = "VornickWindowDidBecomeKeyNotification";

class VornickWindow : public Window {
public:
    struct FirstResponderChange {
        std::shared_ptr<Responder> oldFirstResponder;
        std::shared_ptr<Responder> newFirstResponder;
    };

    // A window with an empty content view, known to Application.
    static std::shared_ptr<VornickWindow> create(Rect frame);
    explicit VornickWindow(Rect frame);
    ~VornickWindow() override;

    // Hooks see every event the window sends, in the order they were added;
    // one that answers false stops the event (later hooks are not called). A
    // hook may add or remove hooks, itself included, while it runs: the
    // change applies from the next event.
    SendEventHookHandle vornick_addSendEventHook(SendEventHook);
    void vornick_removeSendEventHook(const SendEventHookHandle&);

    // Runs `block` on the main run loop once the window has ordered in: on
    // the next turn when it is visible already, otherwise after it orders in.
    // Blocks still waiting when the window goes away never run.
    void vornick_afterOrderInAnimationDo(std::function<void()> block);

    // The view that handles the left mouse button while it is down; not
    // owned, and forgotten when the view leaves the window.
    std::shared_ptr<View> activeLeftMouseDownRecipient() const { return m_activeLeftMouseDownRecipient.lock(); }
    void setActiveLeftMouseDownRecipient(const std::shared_ptr<View>& view) { m_activeLeftMouseDownRecipient = view; }

    // The change announced by the two first-responder notifications, while
    // they are posted; null otherwise.
    const FirstResponderChange* firstResponderChange() const { return m_firstResponderChange.get(); }

    bool makeFirstResponder(const std::shared_ptr<Responder>&) override;
    void viewTreeWillLeaveWindow(const View& root) override;
    void becomeKeyWindow() override;
    void orderFront() override;

private:
    void runOrderInBlocks();

    std::weak_ptr<View> m_activeLeftMouseDownRecipient;
    std::unique_ptr<FirstResponderChange> m_firstResponderChange;
    std::vector<std::function<void()>> m_orderInBlocks;
};

} // namespace brevanton
