#include "views/VornickViewExtensions.h"

#include "platform/foundation/Assertions.h"
#include "platform/views/ClipView.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TrackingArea.h"
#include "platform/views/Window.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

#define VIEW_ASSERT(condition, text) \
    BREVANTON_ASSERT(condition, std::string(text) + " (View+VornickExtensions)")

void vornick_setNeedsDisplay(View& view)
{
    view.setNeedsDisplay(true);
}

void vornick_adjustXBy(View& view, double x, double y)
{
    Rect frame = view.frame();
    view.setFrameOrigin({ frame.origin.x + x, frame.origin.y + y });
}

void vornick_adjustWidthBy(View& view, double width, double height)
{
    Rect frame = view.frame();
    view.setFrameSize({ frame.size.width + width, frame.size.height + height });
}

void vornick_setFrameHeight(View& view, double height)
{
    view.setFrameSize({ view.frame().size.width, height });
}

void vornick_centerInSuperview(View& view)
{
    auto superview = view.superview();
    if (!superview)
        return;
    Rect outer = superview->bounds();
    Size size = view.frame().size;
    view.setFrameOrigin({ outer.origin.x + std::floor((outer.size.width - size.width) / 2),
                          outer.origin.y + std::floor((outer.size.height - size.height) / 2) });
}

Rect vornick_convertRect(const View& view, const Rect& rect, const View* otherView)
{
    if (!otherView)
        return view.convertRectFromView(rect, nullptr);
    auto window = view.window();
    auto otherWindow = otherView->window();
    if (window == otherWindow)
        return view.convertRectFromView(rect, otherView);
    return view.convertRectFromScreen(otherView->convertRectToScreen(rect));
}

void vornick_scrollRectToVerticallyCentered(View& view, const Rect& rect)
{
    // A web frame's document view scrolls in its clip view without a scroll view around it.
    auto scrollView = view.enclosingScrollView();
    auto clipView = scrollView ? scrollView->contentView() : std::dynamic_pointer_cast<ClipView>(view.superview());
    auto documentView = clipView ? clipView->documentView() : nullptr;
    if (!documentView)
        return;
    Rect inClip = clipView->convertRectFromView(rect, &view);
    Rect visible = clipView->bounds();
    Rect document = documentView->frame();
    double y = std::floor(inClip.origin.y - (visible.size.height - inClip.size.height) / 2);
    // Within the document: no further than its end allows, and never before its start.
    y = std::min(y, document.maxY() - visible.size.height);
    y = std::max(y, document.minY());
    double before = visible.origin.y;
    clipView->scrollToPoint({ visible.origin.x, y });
    if (!scrollView)
        return;
    scrollView->reflectScrolledClipView(*clipView);
    if (std::abs(clipView->bounds().origin.y - before) > 1)
        scrollView->flashScrollers();
}

void vornick_flipSubviewPositionsIfSelfFlipped(View& view)
{
    if (!view.isFlipped())
        return;
    double height = view.bounds().size.height;
    for (auto& subview : std::vector(view.subviews())) {
        Rect frame = subview->frame();
        subview->setFrameOrigin({ frame.origin.x, height - (frame.origin.y + frame.size.height) });
    }
}

void vornick_trackMouseEnteringVisibleRect(View& view, std::shared_ptr<TrackingArea>& area)
{
    if (area)
        view.removeTrackingArea(area.get());
    area = std::make_shared<TrackingArea>(Rect(),
        TrackingAreaOption::MouseEnteredAndExited | TrackingAreaOption::ActiveInActiveApp | TrackingAreaOption::InVisibleRect,
        view.sharedAs<Responder>());
    view.addTrackingArea(area);
}

static bool walkTree(const std::shared_ptr<View>& view, const VornickViewEnumerationBlock& block)
{
    bool stop = false;
    block(view, stop);
    if (stop)
        return false;
    for (auto& subview : std::vector(view->subviews())) {
        if (!walkTree(subview, block))
            return false;
    }
    return true;
}

bool vornick_enumerateSubviewsInRange(const View& view, VornickRange range, const VornickViewEnumerationBlock& block, bool recurse)
{
    // A copy: the block may change the subviews.
    auto subviews = view.subviews();
    size_t subviewsCount = subviews.size();
    size_t rangeMax = range.location + range.length;
    VIEW_ASSERT(range.location <= subviewsCount && rangeMax <= subviewsCount, "rangeMax <= subviewsCount");
    for (size_t index = range.location; index < rangeMax; ++index) {
        if (recurse) {
            if (!walkTree(subviews[index], block))
                return false;
        } else {
            bool stop = false;
            block(subviews[index], stop);
            if (stop)
                return false;
        }
    }
    return true;
}

bool vornick_enumerateSubviewsUsingBlock(const View& view, const VornickViewEnumerationBlock& block, bool recurse)
{
    return vornick_enumerateSubviewsInRange(view, VornickMakeRange(0, view.subviews().size()), block, recurse);
}

bool vornick_enumerateSubviewsAfter(const View& view, const View* barrierSubview, const VornickViewEnumerationBlock& block, bool recurse)
{
    VIEW_ASSERT(barrierSubview, "Invalid parameter not satisfying: barrierSubview");
    VIEW_ASSERT(barrierSubview->superview().get() == &view, "Invalid parameter not satisfying: barrierSubview.superview == self");
    long index = view.indexOfSubview(barrierSubview);
    VIEW_ASSERT(index >= 0, "Strange. barrierSubview's superview is self, but barrierSubview is not among its subviews");
    size_t after = static_cast<size_t>(index) + 1;
    return vornick_enumerateSubviewsInRange(view, VornickMakeRange(after, view.subviews().size() - after), block, recurse);
}

bool vornick_enumerateViewTreeUsingBlock(const View& view, const VornickViewEnumerationBlock& block)
{
    return walkTree(std::const_pointer_cast<View>(view.sharedAs<View>()), block);
}

void vornick_enumerateViewsFromSelfTo(const View&, const View*, const VornickViewEnumerationBlock&)
{
}

} // namespace brevanton
