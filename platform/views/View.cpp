#include "platform/views/View.h"

#include "platform/foundation/Assertions.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/ClipView.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/Menu.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TrackingArea.h"
#include "platform/views/Window.h"
#include "platform/views/WindowServerConnection.h"

#include <algorithm>

namespace brevanton {

View::View(Rect frame)
    : m_frame(frame)
    , m_bounds({ 0, 0 }, frame.size)
    , m_dirtyRect({ 0, 0 }, frame.size)
{
}

View::~View() = default;

// Geometry

void View::setFrame(Rect frame)
{
    if (frame == m_frame)
        return;
    Size oldSize = m_frame.size;
    m_frame = frame;
    m_bounds.size = frame.size;
    if (auto window = this->window())
        window->setTrackingAreasNeedUpdate();
    if (oldSize != frame.size) {
        if (m_autoresizesSubviews)
            resizeSubviewsWithOldSize(oldSize);
        setNeedsDisplay(true);
    }
    if (m_postsFrameChanged)
        NotificationCenter::defaultCenter().post(FrameDidChangeNotification, this);
}

void View::setFrameOrigin(Point origin)
{
    setFrame(Rect(origin, m_frame.size));
}

void View::setFrameSize(Size size)
{
    setFrame(Rect(m_frame.origin, size));
}

void View::setBoundsOrigin(Point origin)
{
    if (origin == m_bounds.origin)
        return;
    m_bounds.origin = origin;
    setNeedsDisplay(true);
    if (auto window = this->window())
        window->setTrackingAreasNeedUpdate();
    if (m_postsBoundsChanged)
        NotificationCenter::defaultCenter().post(BoundsDidChangeNotification, this);
}

void View::setHidden(bool hidden)
{
    if (hidden == m_hidden)
        return;
    m_hidden = hidden;
    if (hidden) {
        // A hidden view gives up the keyboard focus.
        if (auto window = this->window()) {
            auto responder = std::dynamic_pointer_cast<View>(window->firstResponder());
            if (responder && responder->isDescendantOf(this))
                window->makeFirstResponder(nullptr);
        }
    }
    if (auto superview = this->superview())
        superview->setNeedsDisplayInRect(m_frame);
}

bool View::isHiddenOrHasHiddenAncestor() const
{
    for (const View* view = this; view; view = view->m_superview.lock().get()) {
        if (view->m_hidden)
            return true;
    }
    return false;
}

// Tree

void View::addSubview(const std::shared_ptr<View>& view)
{
    addSubview(view, WindowOrderingMode::Above, nullptr);
}

void View::addSubview(const std::shared_ptr<View>& view, WindowOrderingMode mode, const View* relativeTo)
{
    BREVANTON_ASSERT(view, "addSubview needs a view");
    BREVANTON_ASSERT(view.get() != this && !isDescendantOf(view.get()), "a view cannot be added inside itself");
    BREVANTON_ASSERT(mode != WindowOrderingMode::Out, "addSubview needs Above or Below");
    bool reordering = view->superview().get() == this;
    if (reordering) {
        // Only the order changes.
        m_subviews.erase(std::find(m_subviews.begin(), m_subviews.end(), view));
    } else {
        if (view->superview())
            view->removeFromSuperview();
        auto window = this->window();
        view->viewWillMoveToSuperview(this);
        if (window)
            view->notifyWillMoveToWindow(window.get());
        view->m_superview = std::static_pointer_cast<View>(shared_from_this());
        view->moveToWindow(window);
    }

    auto position = m_subviews.end();
    if (relativeTo) {
        auto found = std::find_if(m_subviews.begin(), m_subviews.end(),
                                  [&](auto& subview) { return subview.get() == relativeTo; });
        BREVANTON_ASSERT(found != m_subviews.end(), "the relative view must be a subview");
        position = mode == WindowOrderingMode::Above ? found + 1 : found;
    } else if (mode == WindowOrderingMode::Below) {
        position = m_subviews.begin();
    }
    m_subviews.insert(position, view);
    if (!reordering) {
        view->viewDidMoveToSuperview();
        if (view->window())
            view->notifyDidMoveToWindow();
    }
    view->setNeedsDisplay(true);
    didAddSubview(*view);
}

void View::removeFromSuperview()
{
    auto superview = this->superview();
    if (!superview)
        return;
    auto found = std::find_if(superview->m_subviews.begin(), superview->m_subviews.end(),
                              [&](auto& subview) { return subview.get() == this; });
    BREVANTON_ASSERT(found != superview->m_subviews.end(), "the view is missing from its superview's subviews");
    // Keeps the view alive until the end of its removal.
    std::shared_ptr<View> protect = *found;

    superview->willRemoveSubview(*this);
    auto window = this->window();
    if (window) {
        auto responder = std::dynamic_pointer_cast<View>(window->firstResponder());
        if (responder && responder->isDescendantOf(this))
            window->makeFirstResponder(nullptr);
        window->viewTreeWillLeaveWindow(*this);
        notifyWillMoveToWindow(nullptr);
    }
    viewWillMoveToSuperview(nullptr);
    found = std::find(superview->m_subviews.begin(), superview->m_subviews.end(), protect);
    if (found != superview->m_subviews.end())
        superview->m_subviews.erase(found);
    superview->setNeedsDisplayInRect(m_frame);
    m_superview.reset();
    moveToWindow(nullptr);
    viewDidMoveToSuperview();
    if (window)
        notifyDidMoveToWindow();
}

long View::indexOfSubview(const View* view) const
{
    for (size_t index = 0; index < m_subviews.size(); ++index) {
        if (m_subviews[index].get() == view)
            return static_cast<long>(index);
    }
    return -1;
}

bool View::isDescendantOf(const View* ancestor) const
{
    if (!ancestor)
        return false;
    for (const View* view = this; view; view = view->m_superview.lock().get()) {
        if (view == ancestor)
            return true;
    }
    return false;
}

std::shared_ptr<View> View::ancestorSharedWith(const View& other) const
{
    for (auto view = std::const_pointer_cast<View>(sharedAs<View>()); view; view = view->superview()) {
        if (other.isDescendantOf(view.get()))
            return view;
    }
    return nullptr;
}

void View::moveToWindow(const std::shared_ptr<Window>& window)
{
    m_window = window;
    if (window)
        window->setTrackingAreasNeedUpdate();
    for (auto& subview : m_subviews)
        subview->moveToWindow(window);
}

void View::notifyWillMoveToWindow(Window* window)
{
    viewWillMoveToWindow(window);
    for (auto& subview : std::vector(m_subviews))
        subview->notifyWillMoveToWindow(window);
}

void View::notifyDidMoveToWindow()
{
    viewDidMoveToWindow();
    for (auto& subview : std::vector(m_subviews))
        subview->notifyDidMoveToWindow();
}

void View::setWindowForContentView(const std::shared_ptr<Window>& window)
{
    if (window.get() == this->window().get())
        return;
    notifyWillMoveToWindow(window.get());
    moveToWindow(window);
    notifyDidMoveToWindow();
}

// Coordinates

bool View::superviewIsFlipped() const
{
    auto superview = this->superview();
    return superview && superview->isFlipped();
}

Point View::toSuperviewCoordinates(Point point) const
{
    double dx = point.x - m_bounds.origin.x;
    double dy = point.y - m_bounds.origin.y;
    if (isFlipped() != superviewIsFlipped())
        dy = m_frame.size.height - dy;
    return { m_frame.origin.x + dx, m_frame.origin.y + dy };
}

Point View::fromSuperviewCoordinates(Point point) const
{
    double dx = point.x - m_frame.origin.x;
    double dy = point.y - m_frame.origin.y;
    if (isFlipped() != superviewIsFlipped())
        dy = m_frame.size.height - dy;
    return { m_bounds.origin.x + dx, m_bounds.origin.y + dy };
}

Point View::toBase(Point point) const
{
    // As toSuperviewCoordinates at each step, each superview taken once
    // (painting maps every command's rectangle here).
    const View* view = this;
    std::shared_ptr<View> superview = m_superview.lock();
    bool flipped = isFlipped();
    for (;;) {
        bool superviewFlipped = superview && superview->isFlipped();
        double dx = point.x - view->m_bounds.origin.x;
        double dy = point.y - view->m_bounds.origin.y;
        if (flipped != superviewFlipped)
            dy = view->m_frame.size.height - dy;
        point = { view->m_frame.origin.x + dx, view->m_frame.origin.y + dy };
        if (!superview)
            return point;
        std::shared_ptr<View> next = superview->m_superview.lock();
        view = superview.get();
        flipped = superviewFlipped;
        // A superview owns its subviews: the view stays alive while it is read.
        superview = std::move(next);
    }
}

Point View::fromBase(Point point) const
{
    if (auto superview = this->superview())
        point = superview->fromBase(point);
    return fromSuperviewCoordinates(point);
}

static void assertSameWindow(const View& a, const View* b)
{
    if (!b)
        return;
    auto windowA = a.window();
    auto windowB = b->window();
    BREVANTON_ASSERT(!windowA || !windowB || windowA == windowB, "cannot convert between views in different windows");
}

Point View::convertPointFromView(Point point, const View* view) const
{
    assertSameWindow(*this, view);
    if (view == this)
        return point;
    return fromBase(view ? view->toBase(point) : point);
}

Point View::convertPointToView(Point point, const View* view) const
{
    assertSameWindow(*this, view);
    if (view == this)
        return point;
    Point base = toBase(point);
    return view ? view->fromBase(base) : base;
}

Rect View::convertRectFromView(const Rect& rect, const View* view) const
{
    return rectFromPoints(convertPointFromView(rect.origin, view), convertPointFromView({ rect.maxX(), rect.maxY() }, view));
}

Rect View::convertRectToView(const Rect& rect, const View* view) const
{
    return rectFromPoints(convertPointToView(rect.origin, view), convertPointToView({ rect.maxX(), rect.maxY() }, view));
}

Rect View::convertRectToScreen(const Rect& rect) const
{
    Rect base = convertRectToView(rect, nullptr);
    auto window = this->window();
    return window ? window->convertRectToScreen(base) : base;
}

Rect View::convertRectFromScreen(const Rect& rect) const
{
    auto window = this->window();
    return convertRectFromView(window ? window->convertRectFromScreen(rect) : rect, nullptr);
}

// Hit testing

std::shared_ptr<View> View::hitTest(Point pointInSuperview)
{
    if (m_hidden)
        return nullptr;
    if (!brevanton::mouseInRect(pointInSuperview, m_frame, superviewIsFlipped()))
        return nullptr;
    Point local = fromSuperviewCoordinates(pointInSuperview);
    for (auto it = m_subviews.rbegin(); it != m_subviews.rend(); ++it) {
        if (auto hit = (*it)->hitTest(local))
            return hit;
    }
    return std::static_pointer_cast<View>(shared_from_this());
}

bool View::mouseInRect(Point point, const Rect& rect) const
{
    return brevanton::mouseInRect(point, rect, isFlipped());
}

// Autoresizing

void View::resizeSubviewsWithOldSize(Size oldSize)
{
    for (auto& subview : std::vector(m_subviews))
        subview->resizeWithOldSuperviewSize(oldSize);
}

static void distribute(double delta, bool minFlexible, bool sizeFlexible, bool maxFlexible, double& origin, double& extent)
{
    int flexibleParts = int(minFlexible) + int(sizeFlexible) + int(maxFlexible);
    if (!flexibleParts)
        return;
    double share = delta / flexibleParts;
    if (minFlexible)
        origin += share;
    if (sizeFlexible)
        extent = std::max(0.0, extent + share);
}

void View::resizeWithOldSuperviewSize(Size oldSize)
{
    auto superview = this->superview();
    if (!superview || m_autoresizingMask == Autoresizing::NotSizable)
        return;
    Size newSize = superview->bounds().size;
    Rect frame = m_frame;
    using namespace Autoresizing;
    distribute(newSize.width - oldSize.width, m_autoresizingMask & MinXMargin, m_autoresizingMask & WidthSizable,
               m_autoresizingMask & MaxXMargin, frame.origin.x, frame.size.width);
    distribute(newSize.height - oldSize.height, m_autoresizingMask & MinYMargin, m_autoresizingMask & HeightSizable,
               m_autoresizingMask & MaxYMargin, frame.origin.y, frame.size.height);
    setFrame(frame);
}

// Display

void View::setNeedsDisplay(bool needs)
{
    if (needs)
        setNeedsDisplayInRect(m_bounds);
    else {
        m_needsDisplay = false;
        m_dirtyRect = {};
    }
}

void View::setNeedsDisplayInRect(const Rect& rect)
{
    Rect part = rect.intersection(m_bounds);
    if (part.isEmpty() && !m_bounds.isEmpty())
        return;
    m_dirtyRect = m_needsDisplay ? m_dirtyRect.unionWith(part) : part;
    m_needsDisplay = true;
    if (auto window = this->window()) {
        window->setViewsNeedDisplay(true);
        if (auto* connection = WindowServerConnection::current())
            connection->windowViewsNeedDisplayInRect(*window, convertRectToView(part, nullptr));
    }
}

void View::draw(const Rect&, GraphicsContext&)
{
}

void View::displayIfNeeded(GraphicsContext& context)
{
    displayTree(context, false, {});
}

void View::display(GraphicsContext& context)
{
    displayTree(context, true, {});
}

void View::displayTree(GraphicsContext& context, bool force, const Rect& parentDirtyRect)
{
    if (m_hidden)
        return;
    Rect dirty;
    if (force)
        dirty = m_bounds;
    else {
        // What the superview redrew over this view is drawn again, too.
        Rect fromParent = parentDirtyRect.isEmpty() ? Rect() : fromSuperviewRect(parentDirtyRect);
        dirty = m_needsDisplay ? m_dirtyRect.unionWith(fromParent) : fromParent;
        dirty = dirty.intersection(m_bounds);
    }
    if (!dirty.isEmpty()) {
        context.beginView(this);
        draw(dirty, context);
        context.endView();
    }
    m_needsDisplay = false;
    m_dirtyRect = {};
    for (auto& subview : std::vector(m_subviews))
        subview->displayTree(context, force, dirty);
}

std::shared_ptr<Image> View::cacheDisplayInRect(const Rect& rect)
{
    return Image::imageWithSize(rect.size, [&](GraphicsContext& context) { drawTreeInRect(context, rect); });
}

void View::drawTreeInRect(GraphicsContext& context, const Rect& rect)
{
    if (m_hidden)
        return;
    Rect part = rect.intersection(m_bounds);
    if (part.isEmpty())
        return;
    context.beginView(this);
    draw(part, context);
    context.endView();
    for (auto& subview : std::vector(m_subviews))
        subview->drawTreeInRect(context, subview->fromSuperviewRect(part));
}

Rect View::fromSuperviewRect(const Rect& rect) const
{
    return rectFromPoints(fromSuperviewCoordinates(rect.origin), fromSuperviewCoordinates({ rect.maxX(), rect.maxY() }));
}

// Scrolling

Rect View::visibleRect() const
{
    if (m_hidden)
        return {};
    Rect visible = m_bounds;
    auto superview = this->superview();
    if (!superview)
        return visible;
    Rect superVisible = superview->visibleRect();
    Rect inSelf = fromSuperviewRect(superVisible);
    return visible.intersection(inSelf);
}

std::shared_ptr<ScrollView> View::enclosingScrollView() const
{
    for (auto view = superview(); view; view = view->superview()) {
        if (auto scrollView = std::dynamic_pointer_cast<ScrollView>(view))
            return scrollView;
    }
    return nullptr;
}

bool View::scrollRectToVisible(const Rect& rect)
{
    for (auto view = superview(); view; view = view->superview()) {
        if (auto clipView = std::dynamic_pointer_cast<ClipView>(view)) {
            Rect inClip = convertRectToView(rect, clipView.get());
            return clipView->scrollToMakeRectVisible(inClip);
        }
    }
    return false;
}

// Events

std::shared_ptr<Responder> View::nextResponder() const
{
    if (auto next = Responder::nextResponder())
        return next;
    if (auto superview = this->superview())
        return superview;
    auto window = this->window();
    if (window && window->contentView().get() == this)
        return window;
    return nullptr;
}

std::shared_ptr<Menu> View::menuForEvent(const Event&)
{
    return m_menu;
}

void View::rightMouseDown(const Event& event)
{
    if (auto shown = menuForEvent(event)) {
        Menu::popUpContextMenu(shown, event, *this);
        return;
    }
    Responder::rightMouseDown(event);
}

bool View::performKeyEquivalent(const Event& event)
{
    for (auto& subview : std::vector(m_subviews)) {
        if (!subview->isHidden() && subview->performKeyEquivalent(event))
            return true;
    }
    return false;
}

// Tracking areas

void View::addTrackingArea(const std::shared_ptr<TrackingArea>& area)
{
    if (area && std::find(m_trackingAreas.begin(), m_trackingAreas.end(), area) == m_trackingAreas.end())
        m_trackingAreas.push_back(area);
}

void View::removeTrackingArea(const TrackingArea* area)
{
    std::erase_if(m_trackingAreas, [area](auto& known) { return known.get() == area; });
}

} // namespace brevanton
