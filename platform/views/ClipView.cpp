#include "platform/views/ClipView.h"

#include "platform/views/ScrollView.h"

#include <algorithm>

namespace brevanton {

ClipView::ClipView(Rect frame)
    : View(frame)
{
    setAutoresizesSubviews(false);
}

void ClipView::setDocumentView(const std::shared_ptr<View>& view)
{
    if (view == m_documentView)
        return;
    if (m_documentView)
        m_documentView->removeFromSuperview();
    m_documentFrameObserver.reset();
    m_documentView = view;
    if (view) {
        addSubview(view);
        // The token is a member, so the observation ends with the clip view.
        m_documentFrameObserver = NotificationCenter::defaultCenter().addObserver(
            FrameDidChangeNotification, view.get(), nullptr, [this](const Notification&) {
                scrollToPoint(bounds().origin);
                // The scrollers the document's new size needs.
                if (auto scrollView = std::dynamic_pointer_cast<ScrollView>(superview()))
                    scrollView->tile();
            });
    }
    scrollToPoint(documentRect().origin);
    if (auto scrollView = std::dynamic_pointer_cast<ScrollView>(superview()))
        scrollView->tile();
}

bool ClipView::isFlipped() const
{
    return m_documentView ? m_documentView->isFlipped() : View::isFlipped();
}

Rect ClipView::documentRect() const
{
    return m_documentView ? m_documentView->frame() : bounds();
}

Rect ClipView::documentVisibleRect() const
{
    if (!m_documentView)
        return bounds();
    return m_documentView->convertRectFromView(bounds(), this);
}

Point ClipView::constrainBoundsOrigin(Point proposed) const
{
    Rect document = documentRect();
    Size size = bounds().size;
    auto clamp = [](double value, double low, double high) { return std::max(low, std::min(value, std::max(low, high))); };
    return { clamp(proposed.x, document.minX(), document.maxX() - size.width),
             clamp(proposed.y, document.minY(), document.maxY() - size.height) };
}

void ClipView::scrollToPoint(Point point)
{
    Point before = bounds().origin;
    setBoundsOrigin(constrainBoundsOrigin(point));
    if (bounds().origin == before)
        return;
    if (auto scrollView = std::dynamic_pointer_cast<ScrollView>(superview()))
        scrollView->reflectScrolledClipView(*this);
}

bool ClipView::scrollToMakeRectVisible(const Rect& rect)
{
    Rect visible = bounds();
    auto axis = [](double origin, double extent, double low, double high) {
        if (low >= origin && high <= origin + extent)
            return origin;
        if (high - low >= extent || low < origin)
            return low;
        return high - extent;
    };
    Point origin { axis(visible.minX(), visible.width(), rect.minX(), rect.maxX()),
                   axis(visible.minY(), visible.height(), rect.minY(), rect.maxY()) };
    Point before = bounds().origin;
    scrollToPoint(origin);
    return bounds().origin != before;
}

} // namespace brevanton
