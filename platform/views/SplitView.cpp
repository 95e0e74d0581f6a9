#include "platform/views/SplitView.h"

#include "platform/views/GraphicsContext.h"

#include <algorithm>

namespace brevanton {

SplitView::SplitView(Rect frame)
    : View(frame)
{
}

void SplitView::setVertical(bool vertical)
{
    if (vertical == m_vertical)
        return;
    m_vertical = vertical;
    adjustSubviews();
}

void SplitView::setDividerStyle(SplitViewDividerStyle style)
{
    m_dividerStyle = style;
    setNeedsDisplay(true);
}

double SplitView::dividerThickness() const
{
    switch (m_dividerStyle) {
    case SplitViewDividerStyle::Thin:
        return 1;
    case SplitViewDividerStyle::PaneSplitter:
        return 10;
    case SplitViewDividerStyle::Thick:
        break;
    }
    return 9;
}

double SplitView::axisStart(const View& view) const
{
    return m_vertical ? view.frame().minX() : view.frame().minY();
}

double SplitView::axisLength(const View& view) const
{
    return axisLength(view.frame().size);
}

double SplitView::axisLength(Size size) const
{
    return m_vertical ? size.width : size.height;
}

double SplitView::crossLength() const
{
    return m_vertical ? bounds().height() : bounds().width();
}

void SplitView::setAxisFrame(View& view, double start, double length) const
{
    length = std::max(length, 0.0);
    if (m_vertical)
        view.setFrame(Rect(start, 0, length, crossLength()));
    else
        view.setFrame(Rect(0, start, crossLength(), length));
}

bool SplitView::isSubviewCollapsed(const View& view) const
{
    return view.superview().get() == this && view.isHidden();
}

long SplitView::dividerCount() const
{
    return subviews().empty() ? 0 : static_cast<long>(subviews().size()) - 1;
}

double SplitView::positionOfDivider(long dividerIndex) const
{
    if (dividerIndex < 0 || dividerIndex >= dividerCount())
        return 0;
    auto& before = *subviews()[dividerIndex];
    return axisStart(before) + (before.isHidden() ? 0 : axisLength(before));
}

Rect SplitView::dividerRect(long dividerIndex) const
{
    if (dividerIndex < 0 || dividerIndex >= dividerCount())
        return {};
    double position = positionOfDivider(dividerIndex);
    if (m_vertical)
        return Rect(position, 0, dividerThickness(), bounds().height());
    return Rect(0, position, bounds().width(), dividerThickness());
}

double SplitView::minPossiblePositionOfDividerAtIndex(long dividerIndex) const
{
    if (dividerIndex < 0 || dividerIndex >= dividerCount())
        return 0;
    return axisStart(*subviews()[dividerIndex]);
}

double SplitView::maxPossiblePositionOfDividerAtIndex(long dividerIndex) const
{
    if (dividerIndex < 0 || dividerIndex >= dividerCount())
        return 0;
    auto& after = *subviews()[dividerIndex + 1];
    double end = axisStart(after) + (after.isHidden() ? 0 : axisLength(after));
    return end - dividerThickness();
}

void SplitView::setPosition(double position, long dividerIndex)
{
    if (dividerIndex < 0 || dividerIndex >= dividerCount())
        return;
    auto delegate = m_delegate.lock();
    double minimum = minPossiblePositionOfDividerAtIndex(dividerIndex);
    double maximum = maxPossiblePositionOfDividerAtIndex(dividerIndex);
    position = std::clamp(position, minimum, std::max(minimum, maximum));
    auto& before = *subviews()[dividerIndex];
    auto& after = *subviews()[dividerIndex + 1];
    double afterEnd = maximum + dividerThickness();
    double t = dividerThickness();

    auto place = [&](View& pane, double start, double length) {
        setAxisFrame(pane, start, length);
        if (length <= 0 && delegate && delegate->canCollapseSubview(*this, pane))
            pane.setHidden(true);
        else if (length > 0)
            pane.setHidden(false);
    };
    place(before, minimum, position - minimum);
    place(after, position + t, afterEnd - (position + t));
    notifyDidResize();
}

void SplitView::adjustSubviews()
{
    auto& panes = subviews();
    if (panes.empty())
        return;
    double t = dividerThickness();
    double total = std::max(0.0, axisLength(bounds().size) - t * double(panes.size() - 1));
    double current = 0;
    long expanded = 0;
    for (auto& pane : panes) {
        if (!pane->isHidden()) {
            current += axisLength(*pane);
            ++expanded;
        }
    }
    double start = 0;
    long seen = 0;
    double used = 0;
    for (auto& pane : panes) {
        double length = 0;
        if (!pane->isHidden()) {
            ++seen;
            if (seen == expanded)
                length = total - used;
            else if (current > 0)
                length = axisLength(*pane) * total / current;
            else
                length = total / double(expanded);
            used += length;
        }
        setAxisFrame(*pane, start, length);
        start += length + t;
    }
}

void SplitView::resizeSubviewsWithOldSize(Size oldSize)
{
    if (auto delegate = m_delegate.lock()) {
        if (delegate->resizeSubviewsWithOldSize(*this, oldSize))
            return;
    }
    adjustSubviews();
}

void SplitView::dragDivider(long dividerIndex, double proposedPosition)
{
    if (dividerIndex < 0 || dividerIndex >= dividerCount())
        return;
    auto delegate = m_delegate.lock();
    double minimumPossible = minPossiblePositionOfDividerAtIndex(dividerIndex);
    double maximumPossible = maxPossiblePositionOfDividerAtIndex(dividerIndex);
    double minimum = delegate ? delegate->constrainMinCoordinate(*this, minimumPossible, dividerIndex) : minimumPossible;
    double maximum = delegate ? delegate->constrainMaxCoordinate(*this, maximumPossible, dividerIndex) : maximumPossible;
    auto& before = *subviews()[dividerIndex];
    auto& after = *subviews()[dividerIndex + 1];
    double position = proposedPosition;
    if (position < minimum) {
        bool collapses = delegate && delegate->canCollapseSubview(*this, before)
            && position < minimumPossible + (minimum - minimumPossible) / 2;
        position = collapses ? minimumPossible : minimum;
    } else if (position > maximum) {
        bool collapses = delegate && delegate->canCollapseSubview(*this, after)
            && position > maximum + (maximumPossible - maximum) / 2;
        position = collapses ? maximumPossible : maximum;
    }
    if (delegate)
        position = delegate->constrainSplitPosition(*this, position, dividerIndex);
    setPosition(position, dividerIndex);
}

void SplitView::doubleClickDivider(long dividerIndex)
{
    if (dividerIndex < 0 || dividerIndex >= dividerCount())
        return;
    auto delegate = m_delegate.lock();
    if (!delegate)
        return;
    auto before = subviews()[dividerIndex];
    auto after = subviews()[dividerIndex + 1];
    if (delegate->canCollapseSubview(*this, *before)) {
        if (delegate->shouldCollapseSubview(*this, *before, dividerIndex)) {
            setPosition(minPossiblePositionOfDividerAtIndex(dividerIndex), dividerIndex);
            before->setHidden(true);
            notifyDidResize();
        }
        return;
    }
    if (delegate->canCollapseSubview(*this, *after)) {
        if (delegate->shouldCollapseSubview(*this, *after, dividerIndex)) {
            setPosition(maxPossiblePositionOfDividerAtIndex(dividerIndex), dividerIndex);
            after->setHidden(true);
            notifyDidResize();
        }
    }
}

void SplitView::notifyDidResize()
{
    setNeedsDisplay(true);
    if (auto delegate = m_delegate.lock())
        delegate->splitViewDidResizeSubviews(*this);
}

void SplitView::mouseDown(const Event& event)
{
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    m_draggedDivider = -1;
    for (long index = 0; index < dividerCount(); ++index) {
        if (mouseInRect(point, dividerRect(index))) {
            if (event.clickCount() >= 2)
                doubleClickDivider(index);
            else
                m_draggedDivider = index;
            return;
        }
    }
    View::mouseDown(event);
}

void SplitView::mouseDragged(const Event& event)
{
    if (m_draggedDivider < 0)
        return View::mouseDragged(event);
    Point point = convertPointFromView(event.locationInWindow(), nullptr);
    dragDivider(m_draggedDivider, m_vertical ? point.x : point.y);
}

void SplitView::mouseUp(const Event& event)
{
    if (m_draggedDivider < 0)
        return View::mouseUp(event);
    m_draggedDivider = -1;
}

void SplitView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    for (long index = 0; index < dividerCount(); ++index) {
        Rect rect = dividerRect(index);
        if (rect.intersects(dirtyRect) || dirtyRect.isEmpty())
            drawDividerInRect(rect, context);
    }
}

void SplitView::drawDividerInRect(const Rect& rect, GraphicsContext& context)
{
    context.fillRect(rect, dividerColor());
}

Color SplitView::dividerColor() const
{
    return Color::genericGamma22White(0.8);
}

} // namespace brevanton
