#include "platform/views/Popover.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/Application.h"
#include "platform/views/Event.h"
#include "platform/views/Screen.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

namespace brevanton {

namespace {

// Takes the keyboard for its controls but never becomes main: the window it
// stands beside stays the main window, so its commands (Undo of a change
// made through the popover's controls, Save) still reach it.
class PopoverWindow final : public Window {
public:
    explicit PopoverWindow(Rect frame)
        : Window(frame, WindowStyle::Borderless)
    {
    }
    bool canBecomeMainWindow() const override { return false; }
};

} // namespace

Popover::~Popover()
{
    stopWatchingForDismissal();
    if (m_window)
        m_window->orderOut();
}

void Popover::watchForDismissal()
{
    if (m_behavior == PopoverBehavior::ApplicationDefined)
        return;
    std::weak_ptr<Popover> weak = weak_from_this();
    constexpr ModifierFlags chord = ModifierFlag::Command | ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Shift;
    m_escapeHook = m_window->addSendEventHook([weak](Window&, const Event& event) {
        auto popover = weak.lock();
        if (!popover || event.type() != EventType::KeyDown || event.keyCode() != KeyCode::Escape || event.hasModifier(chord))
            return true;
        popover->performClose();
        return false;
    });
    // A click elsewhere in the window behind closes the popover and goes on
    // to what it was aimed at; a click on the popover's own anchor is left to
    // the control there, which opens and closes it.
    auto view = m_positioningView.lock();
    auto behind = view ? view->window() : nullptr;
    if (!behind)
        return;
    m_watchedWindow = behind;
    m_outsideClickHook = behind->addSendEventHook([weak](Window&, const Event& event) {
        auto popover = weak.lock();
        if (!popover || (event.type() != EventType::LeftMouseDown && event.type() != EventType::RightMouseDown))
            return true;
        if (auto anchor = popover->positioningView()) {
            Point point = anchor->convertPointFromView(event.locationInWindow(), nullptr);
            if (anchor->bounds().containsPoint(point))
                return true;
        }
        popover->performClose();
        return true;
    });
}

void Popover::stopWatchingForDismissal()
{
    if (m_escapeHook && m_window)
        m_window->removeSendEventHook(m_escapeHook);
    m_escapeHook.reset();
    if (auto behind = m_watchedWindow.lock(); behind && m_outsideClickHook)
        behind->removeSendEventHook(m_outsideClickHook);
    m_outsideClickHook.reset();
    m_watchedWindow.reset();
}

void Popover::setContentView(const std::shared_ptr<View>& view)
{
    m_contentView = view;
    if (m_window)
        m_window->setContentView(view);
}

Size Popover::contentSize() const
{
    if (m_contentSize != Size() || !m_contentView)
        return m_contentSize;
    return m_contentView->frame().size;
}

Rect Popover::frameForAnchor(const Rect& anchor, Size size, RectEdge edge, bool flipped)
{
    // In a flipped view the minimum-y edge is the top one on the screen.
    if (flipped && edge == RectEdge::MinY)
        edge = RectEdge::MaxY;
    else if (flipped && edge == RectEdge::MaxY)
        edge = RectEdge::MinY;
    switch (edge) {
    case RectEdge::MinX:
        return Rect(anchor.minX() - size.width, anchor.midY() - size.height / 2, size.width, size.height);
    case RectEdge::MaxX:
        return Rect(anchor.maxX(), anchor.midY() - size.height / 2, size.width, size.height);
    case RectEdge::MinY:
        return Rect(anchor.midX() - size.width / 2, anchor.minY() - size.height, size.width, size.height);
    case RectEdge::MaxY:
        return Rect(anchor.midX() - size.width / 2, anchor.maxY(), size.width, size.height);
    }
    return {};
}

Rect Popover::frameForAnchorWithinScreen(const Rect& anchor, Size size, RectEdge edge, bool flipped, const Rect& screen)
{
    if (flipped && edge == RectEdge::MinY)
        edge = RectEdge::MaxY;
    else if (flipped && edge == RectEdge::MaxY)
        edge = RectEdge::MinY;
    // The room on each side of the anchor, along the edge's axis.
    auto roomOn = [&](RectEdge side) {
        switch (side) {
        case RectEdge::MinX:
            return anchor.minX() - screen.minX();
        case RectEdge::MaxX:
            return screen.maxX() - anchor.maxX();
        case RectEdge::MinY:
            return anchor.minY() - screen.minY();
        case RectEdge::MaxY:
            return screen.maxY() - anchor.maxY();
        }
        return 0.0;
    };
    auto opposite = [](RectEdge side) {
        switch (side) {
        case RectEdge::MinX:
            return RectEdge::MaxX;
        case RectEdge::MaxX:
            return RectEdge::MinX;
        case RectEdge::MinY:
            return RectEdge::MaxY;
        case RectEdge::MaxY:
            return RectEdge::MinY;
        }
        return side;
    };
    bool horizontal = edge == RectEdge::MinX || edge == RectEdge::MaxX;
    double needed = horizontal ? size.width : size.height;
    if (roomOn(edge) < needed && roomOn(opposite(edge)) > roomOn(edge))
        edge = opposite(edge);
    // Then slid along the screen's edges into it.
    return rectSlidInside(frameForAnchor(anchor, size, edge, false), screen);
}

void Popover::showRelativeToRect(const Rect& rect, const std::shared_ptr<View>& view, RectEdge edge)
{
    BREVANTON_ASSERT(view, "a popover needs a positioning view");
    BREVANTON_ASSERT(m_contentView, "a popover needs a content view");
    auto protect = weak_from_this().lock();
    bool wasShown = m_shown;
    m_positioningRect = rect;
    m_positioningView = view;
    m_preferredEdge = edge;
    if (!wasShown) {
        if (auto delegate = m_delegate.lock())
            delegate->popoverWillShow(*this);
        NotificationCenter::defaultCenter().post(WillShowNotification, this);
    }
    Rect anchor = view->convertRectToScreen(rect);
    Rect frame = frameForAnchorWithinScreen(anchor, contentSize(), edge, view->isFlipped(), Screen::mainScreen().visibleFrame());
    if (!m_window) {
        // Without a title bar: a window system shows it as a frameless
        // window above the others, not as a document window.
        m_window = std::make_shared<PopoverWindow>(frame);
        m_window->setContentView(m_contentView);
        Application::shared().addWindow(m_window);
    } else
        m_window->setFrame(frame);
    m_window->orderFront();
    m_shown = true;
    if (!wasShown)
        watchForDismissal();
    if (!wasShown) {
        if (auto delegate = m_delegate.lock())
            delegate->popoverDidShow(*this);
        NotificationCenter::defaultCenter().post(DidShowNotification, this);
    }
}

void Popover::performClose()
{
    if (!m_shown)
        return;
    if (auto delegate = m_delegate.lock()) {
        if (!delegate->popoverShouldClose(*this))
            return;
    }
    close();
}

void Popover::close()
{
    if (!m_shown)
        return;
    auto protect = weak_from_this().lock();
    if (auto delegate = m_delegate.lock())
        delegate->popoverWillClose(*this);
    NotificationCenter::defaultCenter().post(WillCloseNotification, this);
    m_shown = false;
    stopWatchingForDismissal();
    if (m_window)
        m_window->orderOut();
    if (auto delegate = m_delegate.lock())
        delegate->popoverDidClose(*this);
    NotificationCenter::defaultCenter().post(DidCloseNotification, this);
}

} // namespace brevanton
