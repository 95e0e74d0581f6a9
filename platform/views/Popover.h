// Popover: a small window of content shown next to a rectangle of a view,
// on one of the rectangle's edges. Its window is made when it is shown and
// ordered out when it closes; it may take the keyboard but never becomes the
// main window.
#pragma once

#include "platform/views/Geometry.h"

#include <functional>
#include <memory>

namespace brevanton {

class Event;
class Popover;
class View;
class Window;

class PopoverDelegate {
public:
    virtual ~PopoverDelegate() = default;
    virtual bool popoverShouldClose(Popover&) { return true; }
    virtual void popoverWillShow(Popover&) {}
    virtual void popoverDidShow(Popover&) {}
    virtual void popoverWillClose(Popover&) {}
    virtual void popoverDidClose(Popover&) {}
};

enum class PopoverBehavior { ApplicationDefined = 0, Transient = 1, Semitransient = 2 };

class Popover : public std::enable_shared_from_this<Popover> {
public:
    // Posted through the default notification center with the popover as object.
    static constexpr const char* WillShowNotification = "PopoverWillShowNotification";
    static constexpr const char* DidShowNotification = "PopoverDidShowNotification";
    static constexpr const char* WillCloseNotification = "PopoverWillCloseNotification";
    static constexpr const char* DidCloseNotification = "PopoverDidCloseNotification";

    Popover() = default;
    ~Popover();

    std::shared_ptr<View> contentView() const { return m_contentView; }
    void setContentView(const std::shared_ptr<View>&);
    // The content view's size unless set.
    Size contentSize() const;
    void setContentSize(Size size) { m_contentSize = size; }
    PopoverBehavior behavior() const { return m_behavior; }
    void setBehavior(PopoverBehavior behavior) { m_behavior = behavior; }

    std::weak_ptr<PopoverDelegate> delegate() const { return m_delegate; }
    void setDelegate(const std::weak_ptr<PopoverDelegate>& delegate) { m_delegate = delegate; }

    bool isShown() const { return m_shown; }
    // Shows (or moves) the popover next to `rect` of `view` (in the view's
    // coordinates), on the given edge of the rectangle as the view sees it.
    void showRelativeToRect(const Rect&, const std::shared_ptr<View>& positioningView, RectEdge preferredEdge);
    // Closes when the delegate agrees.
    void performClose();
    void close();

    Rect positioningRect() const { return m_positioningRect; }
    std::shared_ptr<View> positioningView() const { return m_positioningView.lock(); }
    RectEdge preferredEdge() const { return m_preferredEdge; }
    // The popover's window (made on first show), or null.
    std::shared_ptr<Window> window() const { return m_window; }

    // The frame, in screen coordinates, of a popover of `size` on `edge` of
    // `anchor` (also in screen coordinates); `flipped` tells whether the edge
    // is named in a flipped view's terms.
    static Rect frameForAnchor(const Rect& anchor, Size, RectEdge, bool flipped);
    // The same frame kept within `screen` (its visible frame): on the other
    // side of the anchor when the preferred side has too little room and the
    // other more, then shifted along the screen's edges so that all of it is
    // on the screen (its top-left part when it is larger than the screen).
    static Rect frameForAnchorWithinScreen(const Rect& anchor, Size, RectEdge, bool flipped, const Rect& screen);

private:
    std::shared_ptr<View> m_contentView;
    Size m_contentSize;
    PopoverBehavior m_behavior { PopoverBehavior::ApplicationDefined };
    std::weak_ptr<PopoverDelegate> m_delegate;
    bool m_shown { false };
    Rect m_positioningRect;
    std::weak_ptr<View> m_positioningView;
    RectEdge m_preferredEdge { RectEdge::MinY };
    std::shared_ptr<Window> m_window;
    // While a transient or semitransient popover is shown: Escape in its
    // window, and a mouse down in the window it stands beside, close it.
    void watchForDismissal();
    void stopWatchingForDismissal();
    std::shared_ptr<const std::function<bool(Window&, const Event&)>> m_escapeHook;
    std::shared_ptr<const std::function<bool(Window&, const Event&)>> m_outsideClickHook;
    std::weak_ptr<Window> m_watchedWindow;
};

} // namespace brevanton
