// Operations the interface code adds to views: frame arithmetic, centring,
// conversion between windows, vertical centring of a scrolled rectangle,
// mirroring subview positions, and walks over subviews and view trees.
#pragma once

#include "toolkit/VornickRange.h"
#include "platform/views/View.h"

#include <functional>
#include <memory>

namespace brevanton {

class TrackingArea;

using VornickViewEnumerationBlock = std::function<void(const std::shared_ptr<View>&, bool& stop)>;

// Marks the whole view for redrawing.
void vornick_setNeedsDisplay(View&);
// Moves the frame origin by the two amounts.
void vornick_adjustXBy(View&, double x, double y);
// Grows the frame size by the two amounts.
void vornick_adjustWidthBy(View&, double width, double height);
// Sets the frame height, keeping the width.
void vornick_setFrameHeight(View&, double height);
// Puts the view in the middle of its superview's bounds, on whole points
// (origin + floor(difference / 2) in each axis); nothing without a superview.
void vornick_centerInSuperview(View&);
// A rectangle in `otherView`'s coordinates (null: the receiver's window's
// base coordinates) converted into the receiver's, through screen
// coordinates when the two views are in different windows.
Rect vornick_convertRect(const View&, const Rect&, const View* otherView);
// Scrolls the enclosing scroll view so that the rectangle (in the receiver's
// coordinates) is centred vertically, kept within the document; the
// scrollers flash when the position moves by more than one point.
void vornick_scrollRectToVerticallyCentered(View&, const Rect&);
// In a flipped view, mirrors each subview's vertical position inside the
// bounds; nothing in an unflipped view.
void vornick_flipSubviewPositionsIfSelfFlipped(View&);
// For updateTrackingAreas: replaces `area` (when set) with one over the
// view's visible rectangle that sends the view mouse-entered and -exited
// events while the application is active.
void vornick_trackMouseEnteringVisibleRect(View&, std::shared_ptr<TrackingArea>& area);

// The nearest superview of the kind, or null.
template<typename Kind>
std::shared_ptr<Kind> vornick_enclosingViewOfKind(const View& view)
{
    for (auto ancestor = view.superview(); ancestor; ancestor = ancestor->superview()) {
        if (auto match = std::dynamic_pointer_cast<Kind>(ancestor))
            return match;
    }
    return nullptr;
}

// Each walk answers false when the block stopped it. With `recurse`, every
// subview's whole tree is walked (the subview first, depth first).
bool vornick_enumerateSubviewsInRange(const View&, VornickRange, const VornickViewEnumerationBlock&, bool recurse);
bool vornick_enumerateSubviewsUsingBlock(const View&, const VornickViewEnumerationBlock&, bool recurse);
// The subviews after `barrierSubview`, which must be a direct subview.
bool vornick_enumerateSubviewsAfter(const View&, const View* barrierSubview, const VornickViewEnumerationBlock&, bool recurse);
// The view itself, then its subviews' trees depth first.
bool vornick_enumerateViewTreeUsingBlock(const View&, const VornickViewEnumerationBlock&);
// Kept for callers; walks nothing.
void vornick_enumerateViewsFromSelfTo(const View&, const View* lastView, const VornickViewEnumerationBlock&);

} // namespace brevanton
