// The views of a frame: the frame view is a scroll view holding a clip view,
// whose document view is as large as the laid-out document and draws the
// page. The main frame's view shows overlay scrollers where the page
// overflows (the page keeps its width with them) and scrolls by lines of
// the page's text. A child frame's view sits in its
// parent's document view at the box of its IFRAME or FRAME element.
#pragma once

#include "platform/views/ClipView.h"
#include "platform/views/PrintOperation.h"
#include "platform/views/ScrollView.h"
#include "platform/views/View.h"

#include <memory>

namespace brevanton {

class WebFrame;

class WebDocumentView : public View {
public:
    explicit WebDocumentView(std::weak_ptr<WebFrame> frame);
    bool isFlipped() const override { return true; }
    bool isOpaque() const override { return true; }
    std::shared_ptr<WebFrame> webFrame() const { return m_frame.lock(); }
    // Paints the part of the page that is both dirty and visible (WebPagePainter.h).
    void draw(const Rect& dirtyRect, GraphicsContext&) override;

private:
    std::weak_ptr<WebFrame> m_frame;
};

class WebFrameView : public ScrollView {
public:
    static std::shared_ptr<WebFrameView> create(std::weak_ptr<WebFrame> frame, Rect frameRect);

    std::shared_ptr<WebFrame> webFrame() const { return m_frame.lock(); }
    const std::shared_ptr<ClipView>& clipView() const { return m_clipView; }
    const std::shared_ptr<WebDocumentView>& documentView() const { return m_documentView; }
    bool isFlipped() const override { return true; }
    void resizeSubviewsWithOldSize(Size oldSize) override;
    // There is no printing: no operation.
    std::shared_ptr<PrintOperation> printOperationWithPrintInfo(const PrintInfo&) const { return nullptr; }

    explicit WebFrameView(Rect frameRect, std::weak_ptr<WebFrame> frame);

private:
    std::weak_ptr<WebFrame> m_frame;
    std::shared_ptr<ClipView> m_clipView;
    std::shared_ptr<WebDocumentView> m_documentView;
};

} // namespace brevanton
