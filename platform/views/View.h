// View: a rectangle in a window's view tree. A view has a frame in its
// superview's coordinates and bounds in its own; a flipped view's y axis
// points down from its top edge. Views own their subviews; the superview
// and the window are weak references. Views are always made with
// std::make_shared (the responder chain and the notifications rely on it).
//
// Nothing is drawn to pixels: display runs each view's draw() into a
// GraphicsContext that records the drawing commands.
#pragma once

#include "platform/views/DraggingInfo.h"
#include "platform/views/Geometry.h"
#include "platform/views/Responder.h"

#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class GraphicsContext;
class Image;
class ScrollView;
class ClipView;
class TrackingArea;
class Window;
class Menu;
class DraggingItem;
class DraggingSession;
class DraggingSource;

// Which parts of a view's frame follow a change of its superview's size.
using AutoresizingMask = unsigned;
namespace Autoresizing {
constexpr AutoresizingMask NotSizable = 0;
constexpr AutoresizingMask MinXMargin = 1;
constexpr AutoresizingMask WidthSizable = 2;
constexpr AutoresizingMask MaxXMargin = 4;
constexpr AutoresizingMask MinYMargin = 8;
constexpr AutoresizingMask HeightSizable = 16;
constexpr AutoresizingMask MaxYMargin = 32;
} // namespace Autoresizing

enum class WindowOrderingMode { Below = -1, Out = 0, Above = 1 };

class View : public Responder {
public:
    explicit View(Rect frame = {});
    ~View() override;

    // Posted through the default notification center with the view as object.
    static constexpr const char* FrameDidChangeNotification = "ViewFrameDidChangeNotification";
    static constexpr const char* BoundsDidChangeNotification = "ViewBoundsDidChangeNotification";

    // Geometry. The bounds always have the frame's size; their origin is the
    // point of the view's own coordinates shown at its minimum corner.
    Rect frame() const { return m_frame; }
    void setFrame(Rect);
    void setFrameOrigin(Point);
    void setFrameSize(Size);
    Rect bounds() const { return m_bounds; }
    void setBoundsOrigin(Point);
    virtual bool isFlipped() const { return m_flipped; }
    void setFlipped(bool flipped) { m_flipped = flipped; }

    bool postsFrameChangedNotifications() const { return m_postsFrameChanged; }
    void setPostsFrameChangedNotifications(bool posts) { m_postsFrameChanged = posts; }
    bool postsBoundsChangedNotifications() const { return m_postsBoundsChanged; }
    void setPostsBoundsChangedNotifications(bool posts) { m_postsBoundsChanged = posts; }

    // Whether the view fills its whole bounds with opaque drawing.
    virtual bool isOpaque() const { return false; }
    // Opacity from 0 (transparent) to 1; drawing records no blending.
    double alphaValue() const { return m_alphaValue; }
    void setAlphaValue(double alpha) { m_alphaValue = alpha; }
    // A layer-backed view animates changes made through its animator.
    bool wantsLayer() const { return m_wantsLayer; }
    void setWantsLayer(bool wants) { m_wantsLayer = wants; }
    bool isHidden() const { return m_hidden; }
    void setHidden(bool);
    bool isHiddenOrHasHiddenAncestor() const;
    long tag() const { return m_tag; }
    void setTag(long tag) { m_tag = tag; }
    const std::u16string& identifier() const { return m_identifier; }
    void setIdentifier(std::u16string identifier) { m_identifier = std::move(identifier); }

    // The tree.
    std::shared_ptr<View> superview() const { return m_superview.lock(); }
    const std::vector<std::shared_ptr<View>>& subviews() const { return m_subviews; }
    std::shared_ptr<Window> window() const { return m_window.lock(); }
    // Adds (or moves) the view to the end of the subviews, in front of the others.
    void addSubview(const std::shared_ptr<View>&);
    // Adds in front of (Above) or behind (Below) `relativeTo`, or of all subviews when it is null.
    void addSubview(const std::shared_ptr<View>&, WindowOrderingMode, const View* relativeTo);
    void removeFromSuperview();
    // The index of a direct subview, or -1.
    long indexOfSubview(const View*) const;
    // True for the view itself and the views below it.
    bool isDescendantOf(const View*) const;
    // The nearest view (itself included) that is an ancestor of both, or null.
    std::shared_ptr<View> ancestorSharedWith(const View&) const;

    // Hooks, called on this view.
    virtual void didAddSubview(View&) {}
    virtual void willRemoveSubview(View&) {}
    virtual void viewWillMoveToSuperview(View*) {}
    virtual void viewDidMoveToSuperview() {}
    virtual void viewWillMoveToWindow(Window*) {}
    virtual void viewDidMoveToWindow() {}

    // Coordinate conversion. A null view stands for the window's base
    // coordinates (unflipped, origin at the bottom left of the content area).
    Point convertPointFromView(Point, const View* view) const;
    Point convertPointToView(Point, const View* view) const;
    Rect convertRectFromView(const Rect&, const View* view) const;
    Rect convertRectToView(const Rect&, const View* view) const;
    // Through the window's frame; the base coordinates when not in a window.
    Rect convertRectToScreen(const Rect&) const;
    Rect convertRectFromScreen(const Rect&) const;

    // The farthest descendant (or the view itself) under a point given in
    // the superview's coordinates; null when the point is outside the view
    // or the view is hidden. Later subviews are in front.
    virtual std::shared_ptr<View> hitTest(Point pointInSuperview);
    // Whether a point in the view's coordinates lies in a rectangle, the edge
    // rule following the view's flippedness.
    bool mouseInRect(Point, const Rect&) const;

    // Autoresizing.
    AutoresizingMask autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(AutoresizingMask mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool autoresizes) { m_autoresizesSubviews = autoresizes; }
    // Tells every subview that this view's size changed from `oldSize`.
    virtual void resizeSubviewsWithOldSize(Size oldSize);
    // Adjusts the frame by the autoresizing mask to the superview's new size;
    // the change in each axis is shared evenly by the flexible parts.
    virtual void resizeWithOldSuperviewSize(Size oldSize);

    // Display.
    bool needsDisplay() const { return m_needsDisplay; }
    void setNeedsDisplay(bool);
    void setNeedsDisplayInRect(const Rect&);
    // The part marked for display (empty when none).
    Rect dirtyRect() const { return m_needsDisplay ? m_dirtyRect : Rect(); }
    // Draws the part `dirtyRect` of the view; the view layer has drawn nothing behind it.
    virtual void draw(const Rect& dirtyRect, GraphicsContext&);
    // Draws the views of the tree that need display, and with them those
    // of their subviews that overlap the redrawn part; clears the marks.
    void displayIfNeeded(GraphicsContext&);
    // Draws the whole tree.
    void display(GraphicsContext&);

    // An image of the part of the view (in its coordinates): what the view
    // and its subviews draw there, recorded without touching their display
    // marks. The image has the part's size.
    std::shared_ptr<Image> cacheDisplayInRect(const Rect&);

    // The part of the bounds not clipped away by the enclosing clip views.
    Rect visibleRect() const;
    std::shared_ptr<ScrollView> enclosingScrollView() const;
    // Scrolls the nearest enclosing clip view so the rectangle (in this view's
    // coordinates) is visible; true when it scrolled.
    bool scrollRectToVisible(const Rect&);

    // Events: the next responder is the explicit one, else the superview,
    // else the window for a window's content view.
    std::shared_ptr<Responder> nextResponder() const override;
    // Offers the event to the visible subviews, front to back by index order.
    bool performKeyEquivalent(const Event&) override;

    // Context menus: a right click shows the menu that menuForEvent answers
    // (by default the view's own menu); without one the click goes on along
    // the responder chain.
    const std::shared_ptr<Menu>& menu() const { return m_menu; }
    void setMenu(std::shared_ptr<Menu> menu) { m_menu = std::move(menu); }
    virtual std::shared_ptr<Menu> menuForEvent(const Event&);
    void rightMouseDown(const Event&) override;

    // Tracking areas. The window calls updateTrackingAreas on every view of
    // its tree before it next tracks the mouse after a view's frame, bounds or
    // window changed; a view replaces its areas there.
    const std::vector<std::shared_ptr<TrackingArea>>& trackingAreas() const { return m_trackingAreas; }
    void addTrackingArea(const std::shared_ptr<TrackingArea>&);
    void removeTrackingArea(const TrackingArea*);
    virtual void updateTrackingAreas() {}

    // A view that claims the cursor: while the pointer is over it (or a view
    // inside it), Cursor::set from anyone is ignored and only
    // Cursor::setAsClaimant changes the cursor.
    bool claimsCursor() const { return m_claimsCursor; }
    void setClaimsCursor(bool claims) { m_claimsCursor = claims; }

    // Starts dragging the items from this view for the mouse event (a
    // mouse down or drag); the source is asked for the operations it allows.
    // A drag already running is cancelled first.
    std::shared_ptr<DraggingSession> beginDraggingSession(std::vector<DraggingItem>, const Event&,
                                                          const std::shared_ptr<DraggingSource>&);

    // The destination side of a drag passing over the view, called in this
    // order: entered, updated while the pointer moves, then either exited or
    // prepare, perform and conclude when the user drops here; ended when the
    // drag is over, wherever it ended. Entered and updated answer the
    // operation a drop would perform (none: the view takes no drop); prepare
    // and perform answer whether the drop goes ahead and took place. A view
    // takes no drops unless it says otherwise.
    virtual DragOperation draggingEntered(const DraggingInfo&) { return DragOperations::None; }
    virtual DragOperation draggingUpdated(const DraggingInfo& info) { return draggingEntered(info); }
    virtual void draggingExited(const DraggingInfo&) {}
    virtual bool prepareForDragOperation(const DraggingInfo&) { return false; }
    virtual bool performDragOperation(const DraggingInfo&) { return false; }
    virtual void concludeDragOperation(const DraggingInfo&) {}
    virtual void draggingEnded(const DraggingInfo&) {}

    // Used by Window when the view becomes or stops being its content view.
    void setWindowForContentView(const std::shared_ptr<Window>&);

protected:
    Point toSuperviewCoordinates(Point) const;
    Point fromSuperviewCoordinates(Point) const;
    bool superviewIsFlipped() const;
    Rect fromSuperviewRect(const Rect&) const;

private:
    void moveToWindow(const std::shared_ptr<Window>&);
    void notifyWillMoveToWindow(Window*);
    void notifyDidMoveToWindow();
    void displayTree(GraphicsContext&, bool force, const Rect& parentDirtyRect);
    void drawTreeInRect(GraphicsContext&, const Rect&);
    Point toBase(Point) const;
    Point fromBase(Point) const;

    Rect m_frame;
    Rect m_bounds;
    bool m_flipped { false };
    bool m_hidden { false };
    double m_alphaValue { 1 };
    bool m_postsFrameChanged { true };
    bool m_postsBoundsChanged { true };
    long m_tag { 0 };
    std::u16string m_identifier;
    std::weak_ptr<View> m_superview;
    std::weak_ptr<Window> m_window;
    std::vector<std::shared_ptr<View>> m_subviews;
    AutoresizingMask m_autoresizingMask { Autoresizing::NotSizable };
    bool m_autoresizesSubviews { true };
    bool m_needsDisplay { true };
    Rect m_dirtyRect;
    std::vector<std::shared_ptr<TrackingArea>> m_trackingAreas;
    bool m_claimsCursor { false };
    bool m_wantsLayer { false };
    std::shared_ptr<Menu> m_menu;
};

} // namespace brevanton
