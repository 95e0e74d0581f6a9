// SplitView: a view that lays out its subviews (panes) one after another
// along one axis, separated by dividers the user can drag or double-click.
// A vertical split view has vertical dividers and panes side by side; a
// horizontal one (the default) stacks its panes from the top (the view is
// flipped). A collapsed pane is hidden and has no extent along the axis.
//
// The delegate may constrain divider moves, allow collapsing, and take over
// the layout when the split view is resized; every operation is optional.
#pragma once

#include "platform/foundation/Color.h"
#include "platform/views/View.h"

#include <memory>

namespace brevanton {

class SplitView;

class SplitViewDelegate {
public:
    virtual ~SplitViewDelegate() = default;
    // Divider positions are measured along the axis from the view's start.
    virtual double constrainMinCoordinate(SplitView&, double proposedMinimum, long /*dividerIndex*/) { return proposedMinimum; }
    virtual double constrainMaxCoordinate(SplitView&, double proposedMaximum, long /*dividerIndex*/) { return proposedMaximum; }
    virtual double constrainSplitPosition(SplitView&, double proposedPosition, long /*dividerIndex*/) { return proposedPosition; }
    virtual bool canCollapseSubview(SplitView&, View&) { return false; }
    virtual bool shouldCollapseSubview(SplitView&, View&, long /*dividerIndex*/) { return true; }
    // Lays out the panes after the split view was resized; false leaves it
    // to the split view's standard adjustment.
    virtual bool resizeSubviewsWithOldSize(SplitView&, Size) { return false; }
    // After a divider moved or a pane collapsed or expanded.
    virtual void splitViewDidResizeSubviews(SplitView&) {}
};

enum class SplitViewDividerStyle { Thick = 1, Thin = 2, PaneSplitter = 3 };

class SplitView : public View {
public:
    explicit SplitView(Rect frame = {});

    bool isFlipped() const override { return true; }

    bool isVertical() const { return m_vertical; }
    void setVertical(bool);
    SplitViewDividerStyle dividerStyle() const { return m_dividerStyle; }
    void setDividerStyle(SplitViewDividerStyle);
    // 1 point for thin dividers, 9 for thick ones, 10 for pane splitters.
    virtual double dividerThickness() const;
    bool allowsVibrancy() const { return m_allowsVibrancy; }
    void setAllowsVibrancy(bool allows) { m_allowsVibrancy = allows; }

    // Held weakly.
    std::weak_ptr<SplitViewDelegate> delegate() const { return m_delegate; }
    void setDelegate(const std::weak_ptr<SplitViewDelegate>& delegate) { m_delegate = delegate; }

    bool isSubviewCollapsed(const View&) const;
    // The rectangle of a divider in the view's coordinates (zero for a bad index).
    Rect dividerRect(long dividerIndex) const;
    long dividerCount() const;
    // The divider's position: the end of the pane before it along the axis.
    double positionOfDivider(long dividerIndex) const;
    // The range a divider can move in without passing its neighbours.
    double minPossiblePositionOfDividerAtIndex(long dividerIndex) const;
    double maxPossiblePositionOfDividerAtIndex(long dividerIndex) const;
    // Moves a divider within its possible range: the panes on either side
    // change size. A collapsible pane left with no extent is collapsed; a
    // collapsed pane given extent is expanded.
    void setPosition(double position, long dividerIndex);

    // Gives every pane the full cross extent and fills the axis: the change
    // of length is shared by the expanded panes in proportion to their size.
    void adjustSubviews();
    // Asks the delegate to lay out the panes, else adjusts them.
    void resizeSubviewsWithOldSize(Size oldSize) override;

    // What a user's drag of a divider to a position does: the position is
    // limited by the delegate's minimum and maximum (a collapsible pane is
    // collapsed instead when the drag goes past half of its minimum), then
    // offered to the delegate's split-position constraint.
    void dragDivider(long dividerIndex, double proposedPosition);
    // What a double-click on a divider does: the collapsible pane next to it
    // that the delegate agrees to collapse (the one before it first) collapses.
    void doubleClickDivider(long dividerIndex);
    // A mouse down on a divider: a double click collapses, a single one starts a drag.
    void mouseDown(const Event&) override;
    void mouseDragged(const Event&) override;
    void mouseUp(const Event&) override;

    // Draws the panes' background (none) and each expanded divider.
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    // Draws one divider: a fill of the divider colour.
    virtual void drawDividerInRect(const Rect&, GraphicsContext&);
    Color dividerColor() const;

private:
    double axisStart(const View&) const;
    double axisLength(const View&) const;
    double axisLength(Size) const;
    double crossLength() const;
    void setAxisFrame(View&, double start, double length) const;
    void notifyDidResize();

    bool m_vertical { false };
    SplitViewDividerStyle m_dividerStyle { SplitViewDividerStyle::Thick };
    bool m_allowsVibrancy { true };
    std::weak_ptr<SplitViewDelegate> m_delegate;
    long m_draggedDivider { -1 };
};

} // namespace brevanton
