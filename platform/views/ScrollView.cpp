#include "platform/views/ScrollView.h"

#include "platform/foundation/Assertions.h"

#include <algorithm>

namespace brevanton {

ScrollView::ScrollView(Rect frame)
    : View(frame)
{
    m_contentView = std::make_shared<ClipView>(Rect({ 0, 0 }, frame.size));
    m_contentView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
}

std::shared_ptr<ClipView> ScrollView::contentView() const
{
    if (!m_contentViewInstalled) {
        // Not in the constructor: adding a subview needs the shared owner.
        m_contentViewInstalled = true;
        auto self = std::const_pointer_cast<View>(sharedAs<View>());
        self->addSubview(m_contentView);
    }
    return m_contentView;
}

void ScrollView::setContentView(const std::shared_ptr<ClipView>& clipView)
{
    BREVANTON_ASSERT(clipView, "a scroll view needs a clip view");
    if (m_contentView->superview().get() == this)
        m_contentView->removeFromSuperview();
    m_contentView = clipView;
    m_contentViewInstalled = true;
    clipView->setFrame(Rect({ 0, 0 }, frame().size));
    addSubview(clipView);
    tile();
}

void ScrollView::setHasVerticalScroller(bool has)
{
    m_hasVerticalScroller = has;
    tile();
}

void ScrollView::setHasHorizontalScroller(bool has)
{
    m_hasHorizontalScroller = has;
    tile();
}

void ScrollView::setOverlaysScrollers(bool overlays)
{
    m_overlaysScrollers = overlays;
    tile();
}

void ScrollView::resizeSubviewsWithOldSize(Size oldSize)
{
    View::resizeSubviewsWithOldSize(oldSize);
    tile();
}

void ScrollView::tile()
{
    if (!m_hasHorizontalScroller && !m_hasVerticalScroller && !m_horizontalScroller && !m_verticalScroller)
        return;
    auto clip = contentView();
    Rect box = bounds();
    Size document = clip->documentRect().size;
    // A scroller takes room from the other axis, which may then need its own.
    bool horizontal = false;
    bool vertical = false;
    for (int pass = 0; pass < 2; ++pass) {
        horizontal = m_hasHorizontalScroller && document.width > box.width() - (vertical && !m_overlaysScrollers ? Scroller::Width : 0);
        vertical = m_hasVerticalScroller && document.height > box.height() - (horizontal && !m_overlaysScrollers ? Scroller::Width : 0);
    }
    auto place = [&](std::shared_ptr<Scroller>& scroller, bool shown, ScrollerOrientation orientation, const Rect& frame) {
        if (!scroller && !shown)
            return;
        if (!scroller) {
            scroller = std::make_shared<Scroller>(frame, orientation);
            addSubview(scroller);
        }
        scroller->setFrame(frame);
        scroller->setHidden(!shown);
    };
    // Overlay scrollers leave the clip view the whole box and stand over its edges.
    double barsWidth = std::max(0.0, box.width() - (vertical ? Scroller::Width : 0));
    double barsHeight = std::max(0.0, box.height() - (horizontal ? Scroller::Width : 0));
    double clipWidth = m_overlaysScrollers ? box.width() : barsWidth;
    double clipHeight = m_overlaysScrollers ? box.height() : barsHeight;
    // The clip view stands at the top (the scroll view's flipped or not), the
    // horizontal scroller below it, the vertical one at its right.
    double clipY = isFlipped() ? box.minY() : box.maxY() - clipHeight;
    double barsY = isFlipped() ? box.minY() : box.maxY() - barsHeight;
    double barY = isFlipped() ? box.minY() + barsHeight : box.minY();
    place(m_horizontalScroller, horizontal, ScrollerOrientation::Horizontal, Rect(box.minX(), barY, barsWidth, Scroller::Width));
    place(m_verticalScroller, vertical, ScrollerOrientation::Vertical, Rect(box.minX() + barsWidth, barsY, Scroller::Width, barsHeight));
    Rect clipFrame(box.minX(), clipY, clipWidth, clipHeight);
    if (clip->frame() != clipFrame) {
        clip->setFrame(clipFrame);
        clip->scrollToPoint(clip->bounds().origin);
    }
    reflectScrolledClipView(*clip);
}

void ScrollView::reflectScrolledClipView(ClipView& clip)
{
    Rect document = clip.documentRect();
    Rect visible = clip.bounds();
    auto follow = [](Scroller* scroller, double start, double shown, double extent, double position) {
        if (!scroller)
            return;
        scroller->setKnobProportion(extent > 0 ? shown / extent : 1);
        scroller->setDoubleValue(extent > shown ? (position - start) / (extent - shown) : 0);
    };
    follow(m_horizontalScroller.get(), document.minX(), visible.width(), document.width(), visible.minX());
    // A vertical scroller's value counts from the document's top.
    double fromTop = clip.isFlipped() ? visible.minY() : document.minY() + document.maxY() - visible.maxY();
    follow(m_verticalScroller.get(), document.minY(), visible.height(), document.height(), fromTop);
}

void ScrollView::scrollerDidMove(Scroller& scroller)
{
    auto clip = contentView();
    Rect document = clip->documentRect();
    Point origin = clip->bounds().origin;
    if (scroller.orientation() == ScrollerOrientation::Horizontal)
        origin.x = document.minX() + scroller.doubleValue() * std::max(0.0, document.width() - clip->bounds().width());
    else {
        double fromTop = scroller.doubleValue() * std::max(0.0, document.height() - clip->bounds().height());
        origin.y = clip->isFlipped() ? document.minY() + fromTop : document.maxY() - clip->bounds().height() - fromTop;
    }
    clip->scrollToPoint(origin);
}

} // namespace brevanton
