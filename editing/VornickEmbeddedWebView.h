// VornickEmbeddedWebView: the web view inside a content editing view. It
// keeps its selection while inactive and can stash it, lets the editing view
// see every selection change before it happens, scrolls ranges into view
// with a best guess of their bounds where layout gives none, and reports
// scrolling inside any of its clip views (frames and scrolling elements).
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/web/WebView.h"

#include <map>
#include <memory>

namespace brevanton {

class ClipView;
class DOMRange;
class VornickContentEditingView;

class VornickEmbeddedWebView : public WebView {
public:
    static std::shared_ptr<VornickEmbeddedWebView> create(Rect frame);
    explicit VornickEmbeddedWebView(Rect frame);
    ~VornickEmbeddedWebView() override;

    bool maintainsInactiveSelection() const override { return true; }
    std::shared_ptr<VornickContentEditingView> vornick_contentEditingView() const;

    void vornick_stashSelectedDOMRange();
    void vornick_restoreSelectedDOMRange();
    const std::shared_ptr<DOMRange>& vornick_stashedSelectedDOMRange() const { return m_stashedSelectedDOMRange; }

    // Tells the editing view first, then selects as the web view does.
    void setSelectedDOMRange(const std::shared_ptr<DOMRange>&, WebSelectionAffinity) override;
    // The web view's own handling of a right click is suppressed.
    void rightMouseDown(const Event&) override {}

    // Every drag over the web view goes to the editing view, which finds the
    // drop target and performs the drop.
    DragOperation draggingEntered(const DraggingInfo&) override;
    DragOperation draggingUpdated(const DraggingInfo&) override;
    void draggingExited(const DraggingInfo&) override {}
    bool prepareForDragOperation(const DraggingInfo&) override { return true; }
    bool performDragOperation(const DraggingInfo&) override;
    void concludeDragOperation(const DraggingInfo&) override {}
    void draggingEnded(const DraggingInfo&) override;

    void vornick_scrollRangeToVisible(const DOMRange&);
    void vornick_scrollRangeToVerticallyCentered(const DOMRange&);
    // In the web view's coordinates.
    Rect vornick_bestGuessBoundsOfRange(const DOMRange&);
    Rect vornick_bestGuessBoundsOfRangeInDocumentView(const DOMRange&, const View& documentView);
    // Of the nodes from `first` to `last`, a later sibling of it (or itself).
    Rect vornick_bestGuessBoundsOfSiblings(const DOMNode& first, const DOMNode& last);
    Rect vornick_bestGuessBoundsOfRangeForScrollTarget(const DOMRange&, const View& documentView);

    // Observes the bounds of every clip view in the subtree (once each).
    void vornick_latchOntoClipViewsInSubtree(View&);
    void vornick_letGoOfClipViewsInSubtree(View&);
    void vornick_descendantClipViewBoundsChanged();
    size_t latchedClipViewCount() const { return m_clipViewObservations.size(); }

    void didAddSubview(View&) override;
    void willRemoveSubview(View&) override;

private:
    void scrollRange(const DOMRange&, bool centered);

    std::shared_ptr<DOMRange> m_stashedSelectedDOMRange;
    std::map<const ClipView*, ObserverToken> m_clipViewObservations;
};

} // namespace brevanton
