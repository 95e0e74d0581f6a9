// ClipView: shows a part of its document view. The part shown is given by
// the clip view's bounds origin (the scroll position, in the document view's
// coordinates), which scrolling keeps within the document. A clip view is
// flipped when its document view is. Scrolling posts the view's
// bounds-changed notification.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/views/View.h"

namespace brevanton {

class ClipView : public View {
public:
    explicit ClipView(Rect frame = {});

    std::shared_ptr<View> documentView() const { return m_documentView; }
    // Replaces the document view (the clip view's only subview) and scrolls
    // to its start. When the document's frame changes later, the scroll
    // position is kept within it.
    void setDocumentView(const std::shared_ptr<View>&);

    bool isFlipped() const override;

    // The document view's frame, or the bounds without a document view.
    Rect documentRect() const;
    // The part of the document view shown, in its coordinates.
    Rect documentVisibleRect() const;
    // The nearest origin to `proposed` that keeps the bounds inside the
    // document (the document's start when it is smaller than the clip view).
    Point constrainBoundsOrigin(Point proposed) const;
    // Moves the bounds origin to the constrained point.
    void scrollToPoint(Point);
    // Scrolls as little as possible so that the rectangle (in the clip
    // view's coordinates) is shown; as much of it as fits, from its start,
    // when it is larger. True when the position changed.
    bool scrollToMakeRectVisible(const Rect&);

private:
    std::shared_ptr<View> m_documentView;
    ObserverToken m_documentFrameObserver;
};

} // namespace brevanton
