// VornickWebListView: the web view of a web list (VornickWebListViewController).
// The page never sees a mouse down: the view takes them itself and tells
// its controller which row's item was hit. Its window hook hands the list's
// keys to it while the focus is inside it: Return, Enter and space open the
// selected objects, the up and down arrows move the selection. Keys with
// Command or Control, and every other key, go their usual way, and key
// equivalents come first.
#pragma once

#include "platform/views/Window.h"
#include "platform/web/WebView.h"

namespace brevanton {

class DOMElement;
class VornickWebListViewController;

class VornickWebListView : public WebView {
public:
    template<typename ListView = VornickWebListView>
    static std::shared_ptr<ListView> create(Rect frame)
    {
        auto view = std::make_shared<ListView>(frame);
        finishCreation(view);
        return view;
    }
    explicit VornickWebListView(Rect frame);
    ~VornickWebListView() override;

    // Not held; the controller clears it when it goes.
    VornickWebListViewController* webListViewController() const { return m_controller; }
    void setWebListViewController(VornickWebListViewController* controller) { m_controller = controller; }
    bool hitTestingForClick() const { return m_hitTestingForClick; }
    const Window::SendEventHookHandle& windowSendEventHook() const { return m_windowSendEventHook; }

    // Whether the list takes the key: Return, Enter, space, up or down arrow, without Command or Control.
    static bool isListKey(const Event&);

    void viewWillMoveToWindow(Window*) override;
    void keyDown(const Event&) override;
    // The arrows are no key equivalents here (the page has no caret to move).
    bool performKeyEquivalent(const Event&) override;
    std::shared_ptr<View> hitTest(Point pointInSuperview) override;
    void mouseDown(const Event&) override;
    void mouseDragged(const Event&) override {}
    void mouseUp(const Event&) override {}
    void rightMouseDown(const Event&) override;
    // The LI element under the event's location (the outermost one holding what was hit), or null.
    std::shared_ptr<DOMElement> hitListItem(const Event&);
    void showContextMenuForListItem(const std::shared_ptr<DOMElement>&, const Event&);

private:
    bool windowWillSendEvent(Window&, const Event&);

    VornickWebListViewController* m_controller { nullptr };
    bool m_hitTestingForClick { false };
    // Whether the event the window is sending is a mouse down.
    bool m_windowSendsMouseDown { false };
    Window::SendEventHookHandle m_windowSendEventHook;
};

} // namespace brevanton
