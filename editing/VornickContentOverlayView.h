// The content overlay: a transparent, borderless child window that lies
// exactly over the editing view's web view and ignores the mouse, so that
// the editor can draw over the page without touching its DOM. Its view
// draws the effective operation range, the target of a drop in progress
// and, for template pages, a mask that dims everything but the attachment
// points. The window is on screen only while there is something to draw.
#pragma once

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"

#include <memory>

namespace brevanton {

class DOMRange;
class VornickContentEditingView;
class VornickContentOverlayViewDOMRangeIndicator;
class WebView;

class VornickContentOverlayView : public View {
public:
    // Asserts a view.
    static std::shared_ptr<VornickContentOverlayView> createWithContentEditingView(const std::shared_ptr<VornickContentEditingView>&);
    explicit VornickContentOverlayView(Rect frame);
    ~VornickContentOverlayView() override;

    std::shared_ptr<VornickContentEditingView> contentEditingView() const { return m_contentEditingView.lock(); }
    void setContentEditingView(const std::shared_ptr<VornickContentEditingView>&);
    VornickContentOverlayViewDOMRangeIndicator& effectiveOperationRangeIndicator() const { return *m_effectiveOperationRangeIndicator; }
    VornickContentOverlayViewDOMRangeIndicator& dropTargetRangeIndicator() const { return *m_dropTargetRangeIndicator; }

    bool loadingContent() const { return m_loadingContent; }
    void setLoadingContent(bool loading) { m_loadingContent = loading; }
    void updateEffectiveOperationRangeIndicator();
    bool useDisabledEffectiveOperationRangeAppearance() const;
    void setUseDisabledEffectiveOperationRangeAppearance(bool);
    void setDropTargetRange(const std::shared_ptr<DOMRange>&);

    // The attachment-point mask: faded in over 0.25 s, held for 1 s after
    // the last request, faded out over 0.5 s.
    bool showingAttachmentMask() const { return m_showingAttachmentMask; }
    double attachmentMaskOpacity() const { return m_attachmentMaskOpacity; }
    void setAttachmentMaskOpacity(double);
    void showAttachmentPointsMask();
    void scheduleAttachmentMaskFadeOut();
    bool attachmentMaskFadeOutIsScheduled() const { return static_cast<bool>(m_attachmentMaskFadeDelayTimer); }

    void updateOverlayWindowVisibility();
    void draw(const Rect& dirtyRect, GraphicsContext&) override;
    void drawAttachmentPointFocusingWithDirtyRect(const Rect& dirtyRect, GraphicsContext&);

private:
    void timeToStartAttachmentMaskFadeOut();
    std::weak_ptr<VornickContentOverlayView> weakSelf();

    std::weak_ptr<VornickContentEditingView> m_contentEditingView;
    std::unique_ptr<VornickContentOverlayViewDOMRangeIndicator> m_effectiveOperationRangeIndicator;
    std::unique_ptr<VornickContentOverlayViewDOMRangeIndicator> m_dropTargetRangeIndicator;
    bool m_loadingContent { false };
    bool m_showingAttachmentMask { false };
    double m_attachmentMaskOpacity { 0 };
    ScopedTimer m_attachmentMaskFadeDelayTimer;
    ObserverToken m_operationRangeObservation;
    ObserverToken m_indicatorObservations[2];
};

class VornickContentOverlayWindow : public Window {
public:
    // Null (with a log line) when the view is in no window.
    static std::shared_ptr<VornickContentOverlayWindow> createWithContentEditingView(const std::shared_ptr<VornickContentEditingView>&);
    explicit VornickContentOverlayWindow(Rect contentRect);

    const std::shared_ptr<VornickContentOverlayView>& overlayView() const { return m_overlayView; }
    // Becomes a child of the window (ordered above it), leaving its old parent.
    void makeYourselfChildOfWindow(const std::shared_ptr<Window>&);

    std::shared_ptr<VornickContentEditingView> contentEditingView() const;
    void setContentEditingView(const std::shared_ptr<VornickContentEditingView>&);
    void updateLoadingContentStateFromContentEditingView();
    void updateEffectiveOperationRangeIndicator();
    bool useDisabledEffectiveOperationRangeAppearance() const;
    void setUseDisabledEffectiveOperationRangeAppearance(bool);
    void setDropTargetRange(const std::shared_ptr<DOMRange>&);
    void showAttachmentPointsMask();
    // Lies over the web view, on whole points.
    void trackMoveOfEmbeddedWebView(const WebView&);
    void trackScrollOfEmbeddedWebView(const WebView&);

    bool canBecomeKeyWindow() const override { return false; }
    bool canBecomeMainWindow() const override { return false; }

private:
    std::shared_ptr<VornickContentOverlayView> m_overlayView;
};

} // namespace brevanton
