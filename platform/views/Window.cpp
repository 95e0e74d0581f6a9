#include "platform/views/Window.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/Application.h"
#include "platform/views/Button.h"
#include "platform/views/Menu.h"
#include "platform/views/Screen.h"
#include "platform/views/Toolbar.h"
#include "platform/views/View.h"
#include "platform/views/WindowServerConnection.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace brevanton {

std::shared_ptr<Window> Window::create(Rect frame)
{
    auto window = std::make_shared<Window>(frame);
    window->setContentView(std::make_shared<View>(Rect({ 0, 0 }, frame.size)));
    Application::shared().addWindow(window);
    return window;
}

namespace {
std::atomic<long> lastWindowNumber { 0 };
}

Window::Window(Rect frame, WindowStyleMask styleMask)
    : m_styleMask(styleMask)
    , m_windowNumber(++lastWindowNumber)
    , m_frame(frame)
    , m_sendEventHooks(std::make_shared<const std::vector<SendEventHookHandle>>())
{
}

Window::~Window()
{
    if (m_toolbar)
        m_toolbar->setWindow(nullptr);
    if (auto* connection = WindowServerConnection::current())
        connection->windowWillBeDestroyed(*this);
}

void Window::setFrame(const Rect& frame)
{
    if (frame == m_frame)
        return;
    bool resized = frame.size != m_frame.size;
    double dx = frame.origin.x - m_frame.origin.x;
    double dy = frame.origin.y - m_frame.origin.y;
    m_frame = frame;
    for (auto& child : childWindows())
        child->setFrameOrigin(child->frame().origin.offsetBy(dx, dy));
    if (m_contentView)
        m_contentView->setFrame(Rect({ 0, 0 }, frame.size));
    if (auto* connection = WindowServerConnection::current())
        connection->windowFrameDidChange(*this);
    if (resized) {
        if (auto delegate = m_delegate.lock())
            delegate->windowDidResize(*this);
        NotificationCenter::defaultCenter().post(DidResizeNotification, this);
    }
}

void Window::setFrameOrigin(Point origin)
{
    setFrame(Rect(origin, m_frame.size));
}

Point Window::cascadeTopLeftFromPoint(Point topLeft)
{
    // The height of a title bar, the step between cascaded windows.
    constexpr double titleBarHeight = 22;
    if (topLeft.x != 0 || topLeft.y != 0) {
        Rect visible = screen().visibleFrame();
        Rect placed(topLeft.x, topLeft.y - m_frame.height(), m_frame.width(), m_frame.height());
        bool inside = placed.minX() >= visible.minX() && placed.maxX() <= visible.maxX() && placed.minY() >= visible.minY()
            && placed.maxY() <= visible.maxY();
        if (!inside)
            placed.origin = Point { visible.minX(), visible.maxY() - m_frame.height() };
        setFrameOrigin(placed.origin);
    }
    return Point { m_frame.minX() + titleBarHeight, m_frame.maxY() - titleBarHeight };
}

void Window::center()
{
    Rect visible = screen().visibleFrame();
    double x = visible.minX() + std::max(0.0, visible.width() - m_frame.width()) / 2;
    double y = m_frame.height() > visible.height() ? visible.maxY() - m_frame.height()
                                                   : visible.minY() + (visible.height() - m_frame.height()) * 2 / 3;
    setFrameOrigin(Point { std::round(x), std::round(y) });
}

const Screen& Window::screen() const
{
    return Screen::mainScreen();
}

Point Window::convertPointToScreen(Point point) const
{
    return point.offsetBy(m_frame.origin.x, m_frame.origin.y);
}

Point Window::convertPointFromScreen(Point point) const
{
    return point.offsetBy(-m_frame.origin.x, -m_frame.origin.y);
}

Rect Window::convertRectToScreen(const Rect& rect) const
{
    return rect.offsetBy(m_frame.origin.x, m_frame.origin.y);
}

Rect Window::convertRectFromScreen(const Rect& rect) const
{
    return rect.offsetBy(-m_frame.origin.x, -m_frame.origin.y);
}

void Window::setContentView(const std::shared_ptr<View>& view)
{
    if (view == m_contentView)
        return;
    auto self = sharedAs<Window>();
    if (m_contentView) {
        auto old = m_contentView;
        auto responder = std::dynamic_pointer_cast<View>(firstResponder());
        if (responder && responder->isDescendantOf(old.get()))
            makeFirstResponder(nullptr);
        viewTreeWillLeaveWindow(*old);
        m_contentView = nullptr;
        old->setWindowForContentView(nullptr);
    }
    m_contentView = view;
    if (view) {
        if (view->superview())
            view->removeFromSuperview();
        view->setFrame(Rect({ 0, 0 }, m_frame.size));
        view->setWindowForContentView(self);
        view->setNeedsDisplay(true);
    }
}

// Ordering and state

std::shared_ptr<Button> Window::standardWindowButton(WindowButton kind, WindowStyleMask styleMask)
{
    if (!(styleMask & WindowStyle::Titled))
        return nullptr;
    if ((kind == WindowButton::Close && !(styleMask & WindowStyle::Closable))
        || (kind == WindowButton::Miniaturize && !(styleMask & WindowStyle::Miniaturizable))
        || (kind == WindowButton::Zoom && !(styleMask & WindowStyle::Resizable)))
        return nullptr;
    auto button = std::make_shared<Button>(Rect(0, 0, 14, 16));
    button->setTag(static_cast<long>(kind));
    return button;
}

std::shared_ptr<Button> Window::standardWindowButton(WindowButton kind) const
{
    for (auto& [known, button] : m_standardButtons) {
        if (known == kind)
            return button;
    }
    auto button = standardWindowButton(kind, m_styleMask);
    m_standardButtons.emplace_back(kind, button);
    return button;
}

void Window::orderFront()
{
    orderWindow(WindowOrderingMode::Above, nullptr);
}

void Window::orderWindow(WindowOrderingMode mode, const Window* relativeTo)
{
    auto self = std::static_pointer_cast<Window>(weak_from_this().lock());
    if (mode == WindowOrderingMode::Out) {
        orderOut();
        return;
    }
    m_visible = true;
    m_orderedOutWithParent = false;
    if (self)
        Application::shared().orderWindow(self, mode, relativeTo);
    if (auto* connection = WindowServerConnection::current())
        connection->windowDidChangeOrdering(*this);
    orderChildWindows();
}

void Window::setDocumentEdited(bool edited)
{
    if (edited == m_documentEdited)
        return;
    m_documentEdited = edited;
    if (auto* connection = WindowServerConnection::current())
        connection->windowDocumentEditedDidChange(*this);
}

void Window::orderChildWindows()
{
    for (auto& child : childWindows()) {
        if (!child->m_visible && !child->m_orderedOutWithParent)
            continue;
        child->orderWindow(child->m_orderingToParent, this);
    }
}

void Window::orderOut()
{
    m_visible = false;
    if (auto self = std::static_pointer_cast<Window>(weak_from_this().lock()))
        Application::shared().orderWindow(self, WindowOrderingMode::Out, nullptr);
    if (auto* connection = WindowServerConnection::current())
        connection->windowDidChangeOrdering(*this);
    for (auto& child : childWindows()) {
        if (child->m_visible) {
            child->orderOut();
            child->m_orderedOutWithParent = true;
        }
    }
    auto& application = Application::shared();
    if (application.keyWindow().get() == this)
        application.setKeyWindow(nullptr);
    if (application.mainWindow().get() == this)
        application.setMainWindow(nullptr);
}

void Window::makeKeyAndOrderFront()
{
    orderFront();
    makeKeyWindow();
}

bool Window::isKeyWindow() const
{
    return Application::shared().keyWindow().get() == this;
}

bool Window::isMainWindow() const
{
    return Application::shared().mainWindow().get() == this;
}

void Window::makeKeyWindow()
{
    if (!canBecomeKeyWindow() || isKeyWindow())
        return;
    Application::shared().setKeyWindow(sharedAs<Window>());
    if (canBecomeMainWindow())
        makeMainWindow();
}

void Window::makeMainWindow()
{
    if (!canBecomeMainWindow() || isMainWindow())
        return;
    Application::shared().setMainWindow(sharedAs<Window>());
}

void Window::becomeKeyWindow()
{
    // The responders the toolbar's actions reach have changed.
    if (auto toolbar = m_toolbar)
        toolbar->validateVisibleItems();
    if (auto delegate = m_delegate.lock())
        delegate->windowDidBecomeKey(*this);
    NotificationCenter::defaultCenter().post(DidBecomeKeyNotification, this);
}

void Window::resignKeyWindow()
{
    if (auto delegate = m_delegate.lock())
        delegate->windowDidResignKey(*this);
    NotificationCenter::defaultCenter().post(DidResignKeyNotification, this);
}

void Window::becomeMainWindow()
{
    if (auto toolbar = m_toolbar)
        toolbar->validateVisibleItems();
    if (auto delegate = m_delegate.lock())
        delegate->windowDidBecomeMain(*this);
    NotificationCenter::defaultCenter().post(DidBecomeMainNotification, this);
}

void Window::resignMainWindow()
{
    if (auto delegate = m_delegate.lock())
        delegate->windowDidResignMain(*this);
    NotificationCenter::defaultCenter().post(DidResignMainNotification, this);
}

void Window::performClose()
{
    if (auto delegate = m_delegate.lock()) {
        if (!delegate->windowShouldClose(*this))
            return;
    }
    close();
}

void Window::close()
{
    auto protect = weak_from_this().lock();
    if (auto delegate = m_delegate.lock())
        delegate->windowWillClose(*this);
    NotificationCenter::defaultCenter().post(WillCloseNotification, this);
    orderOut();
}

// First responder

std::shared_ptr<Responder> Window::firstResponder() const
{
    if (!m_firstResponderIsSelf) {
        if (auto responder = m_firstResponder.lock())
            return responder;
    }
    // The window stands in, also when the responder went away.
    return std::const_pointer_cast<Window>(sharedAs<Window>());
}

bool Window::makeFirstResponder(const std::shared_ptr<Responder>& responder)
{
    auto current = firstResponder();
    auto target = responder ? responder : std::static_pointer_cast<Responder>(sharedAs<Window>());
    if (current == target)
        return true;
    if (current && !current->resignFirstResponder())
        return false;
    bool took = true;
    if ((!target->acceptsFirstResponder() && target.get() != this) || (target.get() != this && !target->becomeFirstResponder())) {
        // The window stands in when the new responder refuses.
        target = std::static_pointer_cast<Responder>(sharedAs<Window>());
        took = false;
    }
    m_firstResponderIsSelf = target.get() == this;
    m_firstResponder = m_firstResponderIsSelf ? std::weak_ptr<Responder>() : std::weak_ptr<Responder>(target);
    if (auto* connection = WindowServerConnection::current())
        connection->windowFirstResponderDidChange(*this);
    return took;
}

// Events

Window::SendEventHookHandle Window::addSendEventHook(SendEventHook hook)
{
    auto handle = std::make_shared<const SendEventHook>(std::move(hook));
    auto hooks = std::make_shared<std::vector<SendEventHookHandle>>(*m_sendEventHooks);
    hooks->push_back(handle);
    m_sendEventHooks = std::move(hooks);
    return handle;
}

void Window::removeSendEventHook(const SendEventHookHandle& handle)
{
    auto hooks = std::make_shared<std::vector<SendEventHookHandle>>(*m_sendEventHooks);
    hooks->erase(std::remove(hooks->begin(), hooks->end(), handle), hooks->end());
    m_sendEventHooks = std::move(hooks);
}

void Window::sendEvent(const Event& event)
{
    // Kept alive until the toolbar has seen what the event changed.
    auto protect = weak_from_this().lock();
    dispatchEvent(event);
    // What the event changed shows in the toolbar's items at once: this
    // window's, and the main window's when the event came to another (a
    // panel whose keys reach the main window's commands).
    if (auto toolbar = m_toolbar)
        toolbar->validateVisibleItems();
    if (auto main = Application::shared().mainWindow(); main && main.get() != this) {
        if (auto toolbar = main->m_toolbar)
            toolbar->validateVisibleItems();
    }
}

void Window::setToolbar(std::shared_ptr<Toolbar> toolbar)
{
    if (toolbar == m_toolbar)
        return;
    if (m_toolbar)
        m_toolbar->setWindow(nullptr);
    m_toolbar = std::move(toolbar);
    if (m_toolbar) {
        m_toolbar->setWindow(this);
        m_toolbar->validateVisibleItems();
    }
}

bool Window::toolbarIsShown() const
{
    return m_toolbar ? m_toolbar->isVisible() : m_toolbarShown;
}

void Window::setToolbarShown(bool shown)
{
    m_toolbarShown = shown;
    if (m_toolbar)
        m_toolbar->setVisible(shown);
}

void Window::dispatchEvent(const Event& event)
{
    auto protect = weak_from_this().lock();
    // The list in force when the event arrived: hooks added or removed by a
    // hook take effect with the next event.
    if (event.isMouseEvent()) {
        m_mouseLocation = event.locationInWindow();
        if (protect)
            Application::shared().setWindowUnderMouse(std::static_pointer_cast<Window>(protect));
    }
    auto hooks = m_sendEventHooks;
    for (auto& hook : *hooks) {
        if (!(*hook)(*this, event))
            return;
    }

    switch (event.type()) {
    case EventType::LeftMouseDown:
    case EventType::RightMouseDown: {
        if (!isKeyWindow() && canBecomeKeyWindow() && event.type() == EventType::LeftMouseDown)
            makeKeyAndOrderFront();
        auto view = m_contentView ? m_contentView->hitTest(event.locationInWindow()) : nullptr;
        if (!view)
            return;
        if (view != firstResponder() && view->acceptsFirstResponder())
            makeFirstResponder(view);
        m_mouseDownView = view;
        if (event.type() == EventType::LeftMouseDown)
            view->mouseDown(event);
        else
            view->rightMouseDown(event);
        return;
    }
    case EventType::LeftMouseDragged:
    case EventType::RightMouseDragged:
    case EventType::LeftMouseUp:
    case EventType::RightMouseUp: {
        if (event.type() == EventType::LeftMouseDragged || event.type() == EventType::RightMouseDragged)
            trackMouse(event);
        auto view = m_mouseDownView.lock();
        if (!view && m_contentView)
            view = m_contentView->hitTest(event.locationInWindow());
        if (event.type() == EventType::LeftMouseUp || event.type() == EventType::RightMouseUp)
            m_mouseDownView.reset();
        if (!view)
            return;
        if (event.type() == EventType::LeftMouseUp)
            view->mouseUp(event);
        else if (event.type() == EventType::RightMouseUp)
            view->rightMouseUp(event);
        else
            view->mouseDragged(event);
        return;
    }
    case EventType::MouseMoved:
        trackMouse(event);
        return;
    case EventType::MouseEntered:
    case EventType::MouseExited:
        if (auto area = event.trackingArea()) {
            if (auto owner = area->owner())
                event.type() == EventType::MouseEntered ? owner->mouseEntered(event) : owner->mouseExited(event);
        }
        return;
    case EventType::KeyDown:
        // Key equivalents (Command, Control or a function key) go to the
        // view tree, then to the main menu; what neither takes is typed.
        if (event.hasModifier(ModifierFlag::Command | ModifierFlag::Control | ModifierFlag::Function)) {
            if (performKeyEquivalent(event))
                return;
            if (auto menu = Application::shared().mainMenu(); menu && menu->performKeyEquivalent(event))
                return;
        }
        firstResponder()->keyDown(event);
        return;
    case EventType::KeyUp:
        firstResponder()->keyUp(event);
        return;
    case EventType::FlagsChanged:
        firstResponder()->flagsChanged(event);
        return;
    }
}

void Window::viewTreeWillLeaveWindow(const View& root)
{
    auto mouseDownView = m_mouseDownView.lock();
    if (mouseDownView && (mouseDownView.get() == &root || mouseDownView->isDescendantOf(&root)))
        m_mouseDownView.reset();
}

bool Window::performKeyEquivalent(const Event& event)
{
    return m_contentView && m_contentView->performKeyEquivalent(event);
}

UndoManager* Window::undoManager() const
{
    if (auto delegate = m_delegate.lock()) {
        if (auto undoManager = delegate->windowWillReturnUndoManager(const_cast<Window&>(*this)))
            return undoManager;
    }
    if (!m_undoManager)
        m_undoManager = std::make_unique<UndoManager>();
    return m_undoManager.get();
}

void Window::displayIfNeeded()
{
    if (m_contentView)
        m_contentView->displayIfNeeded(m_graphicsContext);
    m_viewsNeedDisplay = false;
}

void Window::addChildWindow(const std::shared_ptr<Window>& child, WindowOrderingMode mode)
{
    if (!child || child.get() == this || mode == WindowOrderingMode::Out)
        return;
    if (auto oldParent = child->parentWindow())
        oldParent->removeChildWindow(child.get());
    m_childWindows.push_back(child);
    child->m_parentWindow = std::static_pointer_cast<Window>(shared_from_this());
    child->m_orderingToParent = mode;
    // A hidden parent shows the child when it is shown.
    if (m_visible)
        child->orderWindow(mode, this);
    else
        child->m_orderedOutWithParent = true;
}

// Tracking areas

namespace {

struct ActiveArea {
    std::shared_ptr<TrackingArea> area;
    bool inside;
};

void collectActiveAreas(const View& view, const Window& window, Point locationInWindow, bool dragging,
                        std::vector<ActiveArea>& areas)
{
    if (view.isHidden())
        return;
    if (!view.trackingAreas().empty()) {
        Point local = view.convertPointFromView(locationInWindow, nullptr);
        for (auto& area : view.trackingAreas()) {
            if (!area->isActiveIn(view, window) || !area->owner())
                continue;
            if (dragging && !area->hasOption(TrackingAreaOption::EnabledDuringMouseDrag))
                continue;
            areas.push_back({ area, view.mouseInRect(local, area->effectiveRectIn(view)) });
        }
    }
    for (auto& subview : view.subviews())
        collectActiveAreas(*subview, window, locationInWindow, dragging, areas);
}

void updateTrackingAreasOfTree(View& view)
{
    view.updateTrackingAreas();
    for (auto& subview : std::vector(view.subviews()))
        updateTrackingAreasOfTree(*subview);
}

} // namespace

void Window::updateTrackingAreasIfNeeded()
{
    if (!m_trackingAreasNeedUpdate)
        return;
    m_trackingAreasNeedUpdate = false;
    if (m_contentView)
        updateTrackingAreasOfTree(*m_contentView);
}

void Window::trackMouse(const Event& event)
{
    auto self = std::static_pointer_cast<Window>(weak_from_this().lock());
    if (!m_contentView || !self)
        return;
    updateTrackingAreasIfNeeded();
    bool dragging = event.type() != EventType::MouseMoved;
    std::vector<ActiveArea> areas;
    collectActiveAreas(*m_contentView, *this, event.locationInWindow(), dragging, areas);

    auto wasInside = [this](const TrackingArea* area) {
        return std::any_of(m_areasUnderMouse.begin(), m_areasUnderMouse.end(),
            [area](auto& weak) { return weak.lock().get() == area; });
    };
    std::vector<std::weak_ptr<TrackingArea>> nowInside;
    std::vector<std::shared_ptr<TrackingArea>> exited;
    std::vector<std::shared_ptr<TrackingArea>> entered;
    for (auto& [area, inside] : areas) {
        if (inside)
            nowInside.push_back(area);
        if (!area->hasOption(TrackingAreaOption::MouseEnteredAndExited))
            continue;
        bool before = wasInside(area.get());
        if (before && !inside)
            exited.push_back(area);
        else if (!before && inside)
            entered.push_back(area);
    }
    // Areas of views that left the tree or were removed count as left without an event.
    m_areasUnderMouse = std::move(nowInside);

    auto send = [&](EventType type, const std::shared_ptr<TrackingArea>& area) {
        if (auto owner = area->owner()) {
            auto enterExit = Event::enterExitEvent(type, event.locationInWindow(), event.modifierFlags(),
                                                   event.timestamp(), self, area);
            type == EventType::MouseEntered ? owner->mouseEntered(enterExit) : owner->mouseExited(enterExit);
        }
    };
    for (auto& area : exited)
        send(EventType::MouseExited, area);
    for (auto& area : entered)
        send(EventType::MouseEntered, area);
    if (dragging)
        return;
    std::vector<Responder*> told;
    for (auto& [area, inside] : areas) {
        if (!inside || !area->hasOption(TrackingAreaOption::MouseMoved))
            continue;
        auto owner = area->owner();
        if (!owner || std::find(told.begin(), told.end(), owner.get()) != told.end())
            continue;
        told.push_back(owner.get());
        owner->mouseMoved(event);
    }
}

void Window::removeChildWindow(const Window* child)
{
    if (child && child->m_parentWindow.lock().get() == this)
        const_cast<Window*>(child)->m_parentWindow.reset();
    std::erase_if(m_childWindows, [child](const std::weak_ptr<Window>& window) {
        auto strong = window.lock();
        return !strong || strong.get() == child;
    });
}

std::vector<std::shared_ptr<Window>> Window::childWindows() const
{
    std::vector<std::shared_ptr<Window>> windows;
    for (auto& window : m_childWindows) {
        if (auto strong = window.lock())
            windows.push_back(strong);
    }
    return windows;
}

void Window::setMinSize(Size size)
{
    if (size == m_minSize)
        return;
    m_minSize = size;
    if (auto* connection = WindowServerConnection::current())
        connection->windowSizeLimitsDidChange(*this);
}

void Window::setMaxSize(Size size)
{
    if (size == m_maxSize)
        return;
    m_maxSize = size;
    if (auto* connection = WindowServerConnection::current())
        connection->windowSizeLimitsDidChange(*this);
}

} // namespace brevanton
