// ScrollView: a view whose content view is a clip view over a document
// view. A scroll view that has a scroller for an axis shows it (a Scroller
// along its bottom or right edge, the clip view made smaller by it) only
// while the document is larger than the clip view along that axis; the
// scroller follows the clip view's scrolling and scrolls it when moved.
// Overlay scrollers stand over the clip view's edges instead, leaving it
// the whole scroll view, so that the document's width never depends on
// whether a scroller is shown. It
// counts the times its scrollers were flashed.
#pragma once

#include "platform/views/ClipView.h"
#include "platform/views/Scroller.h"

namespace brevanton {

class ScrollView : public View {
public:
    explicit ScrollView(Rect frame = {});

    // The clip view filling the scroll view (made with it, and added as its
    // subview on first use).
    std::shared_ptr<ClipView> contentView() const;
    void setContentView(const std::shared_ptr<ClipView>&);
    std::shared_ptr<View> documentView() const { return contentView()->documentView(); }
    void setDocumentView(const std::shared_ptr<View>& view) { contentView()->setDocumentView(view); }
    Rect documentVisibleRect() const { return contentView()->documentVisibleRect(); }
    Size contentSize() const { return contentView()->frame().size; }

    bool hasVerticalScroller() const { return m_hasVerticalScroller; }
    void setHasVerticalScroller(bool);
    bool hasHorizontalScroller() const { return m_hasHorizontalScroller; }
    void setHasHorizontalScroller(bool);
    bool overlaysScrollers() const { return m_overlaysScrollers; }
    void setOverlaysScrollers(bool);
    // The scrollers, made when the scroll view first has them; a hidden one
    // is not shown.
    const std::shared_ptr<Scroller>& horizontalScroller() const { return m_horizontalScroller; }
    const std::shared_ptr<Scroller>& verticalScroller() const { return m_verticalScroller; }
    // How far one line of the document is, for a line's scroll (a wheel
    // notch scrolls by the desktop's number of lines).
    double verticalLineScroll() const { return m_verticalLineScroll; }
    void setVerticalLineScroll(double distance) { m_verticalLineScroll = distance > 0 ? distance : DefaultLineScroll; }
    static constexpr double DefaultLineScroll = 40.0 / 3;
    void flashScrollers() { ++m_flashCount; }
    int flashScrollersCount() const { return m_flashCount; }
    // Places the clip view and the scrollers it needs now (called when the
    // scroll view or its document changes size).
    void tile();
    // Called when the clip view scrolled: the scrollers follow it.
    virtual void reflectScrolledClipView(ClipView&);
    // Called by a scroller the user moved: the clip view scrolls to its value.
    void scrollerDidMove(Scroller&);

    void resizeSubviewsWithOldSize(Size oldSize) override;

private:
    std::shared_ptr<ClipView> m_contentView;
    mutable bool m_contentViewInstalled { false };
    bool m_hasVerticalScroller { false };
    bool m_hasHorizontalScroller { false };
    bool m_overlaysScrollers { false };
    std::shared_ptr<Scroller> m_horizontalScroller;
    std::shared_ptr<Scroller> m_verticalScroller;
    int m_flashCount { 0 };
    double m_verticalLineScroll { DefaultLineScroll };
};

} // namespace brevanton
