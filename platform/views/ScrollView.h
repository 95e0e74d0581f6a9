// ScrollView: a view whose content view is a clip view over a document
// view. There are no scroller views; the scroll view only remembers whether
// it has scrollers and counts the times its scrollers were flashed.
#pragma once

#include "platform/views/ClipView.h"

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
    void setHasVerticalScroller(bool has) { m_hasVerticalScroller = has; }
    bool hasHorizontalScroller() const { return m_hasHorizontalScroller; }
    void setHasHorizontalScroller(bool has) { m_hasHorizontalScroller = has; }
    void flashScrollers() { ++m_flashCount; }
    int flashScrollersCount() const { return m_flashCount; }
    // Called when the clip view scrolled; there are no scrollers to update.
    virtual void reflectScrolledClipView(ClipView&) {}

private:
    std::shared_ptr<ClipView> m_contentView;
    mutable bool m_contentViewInstalled { false };
    bool m_hasVerticalScroller { false };
    bool m_hasHorizontalScroller { false };
    int m_flashCount { 0 };
};

} // namespace brevanton
