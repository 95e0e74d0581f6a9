#include "editing/VornickContentOverlayView.h"

#include "dom/VornickNodeGeometry.h"
#include "dom/VornickDOMServices.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickDOMRangeIndicator.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/PropertyAnimator.h"
#include "platform/web/WebFrame.h"
#include "views/VornickViewExtensions.h"

namespace brevanton {

namespace {

constexpr const char* attachmentMaskOpacityKey = "attachmentMaskOpacity";

Rect toRect(const VornickRect& rect) { return Rect(rect.x, rect.y, rect.width, rect.height); }

} // namespace

// --- The view

VornickContentOverlayView::VornickContentOverlayView(Rect frame)
    : View(frame)
    , m_effectiveOperationRangeIndicator(std::make_unique<VornickContentOverlayViewDOMRangeIndicator>())
    , m_dropTargetRangeIndicator(std::make_unique<VornickContentOverlayViewDOMRangeIndicator>())
{
}

std::shared_ptr<VornickContentOverlayView> VornickContentOverlayView::createWithContentEditingView(
    const std::shared_ptr<VornickContentEditingView>& editingView)
{
    BREVANTON_ASSERT(editingView != nullptr, "Invalid parameter not satisfying: newContentEditingView != nullptr");
    auto view = std::make_shared<VornickContentOverlayView>(Rect(0, 0, 100, 100));
    view->m_loadingContent = editingView->loadingContent();
    std::weak_ptr<VornickContentOverlayView> weak = view;
    // A node's box in the editing view, brought into the overlay across windows.
    auto getter = [weak](const DOMNode& node) -> Rect {
        auto self = weak.lock();
        auto editing = self ? self->contentEditingView() : nullptr;
        if (!editing)
            return Rect();
        Rect box = toRect(vornick_boundingBoxInView(node, *editing));
        return vornick_convertRect(*self, box, editing.get());
    };
    VornickContentOverlayViewDOMRangeIndicator* indicators[] = { view->m_effectiveOperationRangeIndicator.get(),
                                                                 view->m_dropTargetRangeIndicator.get() };
    for (size_t index = 0; index < 2; ++index) {
        indicators[index]->setView(view);
        indicators[index]->setDOMNodeBoundsGetter(getter);
        // Only this view's own indicators: others (of other documents, of
        // the tree visualizer) have nothing to do with this window.
        view->m_indicatorObservations[index] = NotificationCenter::defaultCenter().addObserver(
            VornickDOMRangeIndicatorBoundsDidChangeNotification, indicators[index], nullptr, [weak](const Notification&) {
                if (auto self = weak.lock())
                    self->updateOverlayWindowVisibility();
            });
    }
    view->setContentEditingView(editingView);
    return view;
}

VornickContentOverlayView::~VornickContentOverlayView()
{
    m_attachmentMaskFadeDelayTimer.invalidate();
    PropertyAnimator::stopAnimation(this, attachmentMaskOpacityKey);
}

std::weak_ptr<VornickContentOverlayView> VornickContentOverlayView::weakSelf()
{
    return std::static_pointer_cast<VornickContentOverlayView>(shared_from_this());
}

void VornickContentOverlayView::setContentEditingView(const std::shared_ptr<VornickContentEditingView>& editingView)
{
    if (editingView == m_contentEditingView.lock())
        return;
    m_operationRangeObservation = ObserverToken();
    m_contentEditingView = editingView;
    m_effectiveOperationRangeIndicator->setContentEditingView(editingView);
    m_dropTargetRangeIndicator->setContentEditingView(editingView);
    if (!editingView)
        return;
    auto weak = weakSelf();
    m_operationRangeObservation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewDidChangeEffectiveOperationRangeNotification, editingView.get(), nullptr, [weak](const Notification&) {
            if (auto self = weak.lock())
                self->updateEffectiveOperationRangeIndicator();
        });
}

void VornickContentOverlayView::updateEffectiveOperationRangeIndicator()
{
    auto editingView = contentEditingView();
    setNeedsDisplayInRect(m_effectiveOperationRangeIndicator->bounds());
    m_effectiveOperationRangeIndicator->setDOMRange(editingView ? editingView->effectiveOperationRange() : nullptr);
    setNeedsDisplayInRect(m_effectiveOperationRangeIndicator->bounds());
}

void VornickContentOverlayView::setDropTargetRange(const std::shared_ptr<DOMRange>& range)
{
    setNeedsDisplayInRect(m_dropTargetRangeIndicator->bounds());
    m_dropTargetRangeIndicator->setDOMRange(range);
    setNeedsDisplayInRect(m_dropTargetRangeIndicator->bounds());
}

bool VornickContentOverlayView::useDisabledEffectiveOperationRangeAppearance() const
{
    return m_effectiveOperationRangeIndicator->useDisabledAppearance();
}

void VornickContentOverlayView::setUseDisabledEffectiveOperationRangeAppearance(bool disabled)
{
    if (disabled == m_effectiveOperationRangeIndicator->useDisabledAppearance())
        return;
    setNeedsDisplayInRect(m_effectiveOperationRangeIndicator->bounds());
    m_effectiveOperationRangeIndicator->setUseDisabledAppearance(disabled);
}

void VornickContentOverlayView::updateOverlayWindowVisibility()
{
    auto editingView = contentEditingView();
    bool needed = !m_effectiveOperationRangeIndicator->bounds().isEmpty() || !m_dropTargetRangeIndicator->bounds().isEmpty()
        || (editingView && editingView->hasAttachmentPoints());
    auto window = std::dynamic_pointer_cast<VornickContentOverlayWindow>(this->window());
    BREVANTON_ASSERT(window != nullptr, "VornickContentOverlayWindow required");
    if (!needed) {
        window->orderOut();
        return;
    }
    if (!editingView)
        return;
    if (editingView->embeddedWebView())
        window->trackMoveOfEmbeddedWebView(*editingView->embeddedWebView());
    auto parent = window->parentWindow();
    if (parent && parent->windowNumber() >= 1) {
        // Already up over its parent: ordering it again would only have it
        // redrawn, and this runs from its own drawing (the indicators post
        // their bounds as they draw), which would never end.
        if (window->isVisible())
            return;
        if (parent->isVisible())
            window->orderWindow(WindowOrderingMode::Above, parent.get());
        // A detached source loupe stays above the overlay.
        auto loupe = editingView->sourceLoupe();
        if (loupe && loupe->isShown() && !loupe->embedded()) {
            if (auto loupeWindow = loupe->window()) {
                parent->removeChildWindow(loupeWindow.get());
                parent->addChildWindow(loupeWindow, WindowOrderingMode::Above);
                if (loupeWindow->isVisible())
                    loupeWindow->orderWindow(WindowOrderingMode::Above, window.get());
            }
        }
    } else {
        window->makeYourselfChildOfWindow(editingView->window());
    }
}

void VornickContentOverlayView::draw(const Rect& dirtyRect, GraphicsContext& context)
{
    if (m_attachmentMaskOpacity > 0)
        drawAttachmentPointFocusingWithDirtyRect(dirtyRect, context);
    auto editingView = contentEditingView();
    m_effectiveOperationRangeIndicator->setDOMRange(editingView ? editingView->effectiveOperationRange() : nullptr);
    m_effectiveOperationRangeIndicator->draw(dirtyRect, context);
    m_dropTargetRangeIndicator->draw(dirtyRect, context);
}

void VornickContentOverlayView::drawAttachmentPointFocusingWithDirtyRect(const Rect& dirtyRect, GraphicsContext& context)
{
    auto editingView = contentEditingView();
    if (!editingView || !editingView->mainFrame())
        return;
    std::vector<std::shared_ptr<DOMElement>> elements;
    vornick_enumerateWebFrameTreeWithOptions(editingView->mainFrame(), 0, [&elements](const std::shared_ptr<WebFrame>& frame, bool&) {
        for (const auto& point : vornick_attachmentPoints(*frame)) {
            // A cloaked point is not editable text: it stays dimmed.
            auto* attachmentPoint = dynamic_cast<VornickAttachmentPoint*>(point.get());
            if (attachmentPoint && attachmentPoint->cloaked())
                continue;
            if (auto element = point->findElement())
                elements.push_back(element);
        }
    });
    if (elements.empty())
        return;
    context.fillRect(dirtyRect, Color::genericGamma22White(0, m_attachmentMaskOpacity * 0.5), CompositingOperation::Copy);
    for (const auto& element : elements) {
        Rect box = vornick_convertRect(*this, toRect(vornick_boundingBoxInView(*element, *editingView)), editingView.get());
        context.fillRect(box, Color::clear(), CompositingOperation::Clear);
    }
}

void VornickContentOverlayView::setAttachmentMaskOpacity(double opacity)
{
    if (opacity == m_attachmentMaskOpacity)
        return;
    m_attachmentMaskOpacity = opacity;
    setNeedsDisplay(true);
}

void VornickContentOverlayView::showAttachmentPointsMask()
{
    auto editingView = contentEditingView();
    if (!m_showingAttachmentMask && editingView && editingView->hasAttachmentPoints()) {
        m_showingAttachmentMask = true;
        auto weak = weakSelf();
        PropertyAnimator::animate(shared_from_this(), attachmentMaskOpacityKey, m_attachmentMaskOpacity, 1.0, 0.25, [weak](double value) {
            if (auto self = weak.lock())
                self->setAttachmentMaskOpacity(value);
        });
    }
    scheduleAttachmentMaskFadeOut();
}

void VornickContentOverlayView::scheduleAttachmentMaskFadeOut()
{
    m_attachmentMaskFadeDelayTimer.invalidate();
    auto editingView = contentEditingView();
    if (!editingView || !editingView->hasAttachmentPoints())
        return;
    auto weak = weakSelf();
    m_attachmentMaskFadeDelayTimer = Timer::scheduledTimer(1.0, false, [weak](Timer&) {
        if (auto self = weak.lock())
            self->timeToStartAttachmentMaskFadeOut();
    });
}

void VornickContentOverlayView::timeToStartAttachmentMaskFadeOut()
{
    auto weak = weakSelf();
    PropertyAnimator::animate(
        shared_from_this(), attachmentMaskOpacityKey, m_attachmentMaskOpacity, 0.0, 0.5,
        [weak](double value) {
            if (auto self = weak.lock())
                self->setAttachmentMaskOpacity(value);
        },
        [weak](bool finished) {
            auto self = weak.lock();
            if (self && finished)
                self->m_showingAttachmentMask = false;
        });
}

// --- The window

VornickContentOverlayWindow::VornickContentOverlayWindow(Rect contentRect)
    : Window(contentRect, WindowStyle::Borderless)
{
    setOpaque(false);
    setBackgroundColor(Color::clear());
    setIgnoresMouseEvents(true);
}

std::shared_ptr<VornickContentOverlayWindow> VornickContentOverlayWindow::createWithContentEditingView(
    const std::shared_ptr<VornickContentEditingView>& editingView)
{
    BREVANTON_ASSERT(editingView != nullptr, "Invalid parameter not satisfying: newContentEditingView != nullptr");
    auto parent = editingView->window();
    if (!parent) {
        consoleLog(u"Attempt to create content overlay window for a ContentEditingView that isn't currently in a window");
        return nullptr;
    }
    auto& webView = editingView->embeddedWebView();
    Rect contentRect = parent->convertRectToScreen(webView->convertRectToView(webView->bounds(), nullptr));
    auto window = std::make_shared<VornickContentOverlayWindow>(contentRect);
    Application::shared().addWindow(window);
    window->m_overlayView = VornickContentOverlayView::createWithContentEditingView(editingView);
    window->setContentView(window->m_overlayView);
    std::weak_ptr<VornickContentOverlayWindow> weakWindow = window;
    std::weak_ptr<VornickContentEditingView> weakView = editingView;
    RunLoop::main().perform([weakWindow, weakView] {
        auto self = weakWindow.lock();
        auto view = weakView.lock();
        if (!self || !view || !view->window())
            return;
        self->makeYourselfChildOfWindow(view->window());
        self->m_overlayView->updateEffectiveOperationRangeIndicator();
        self->m_overlayView->updateOverlayWindowVisibility();
    });
    return window;
}

void VornickContentOverlayWindow::makeYourselfChildOfWindow(const std::shared_ptr<Window>& newParent)
{
    auto oldParent = parentWindow();
    if (oldParent == newParent)
        return;
    if (oldParent)
        oldParent->removeChildWindow(this);
    if (newParent)
        newParent->addChildWindow(std::static_pointer_cast<Window>(shared_from_this()), WindowOrderingMode::Above);
}

std::shared_ptr<VornickContentEditingView> VornickContentOverlayWindow::contentEditingView() const
{
    return m_overlayView ? m_overlayView->contentEditingView() : nullptr;
}

void VornickContentOverlayWindow::setContentEditingView(const std::shared_ptr<VornickContentEditingView>& view)
{
    m_overlayView->setContentEditingView(view);
}

void VornickContentOverlayWindow::updateLoadingContentStateFromContentEditingView()
{
    if (auto view = contentEditingView())
        m_overlayView->setLoadingContent(view->loadingContent());
}

void VornickContentOverlayWindow::updateEffectiveOperationRangeIndicator() { m_overlayView->updateEffectiveOperationRangeIndicator(); }
bool VornickContentOverlayWindow::useDisabledEffectiveOperationRangeAppearance() const
{
    return m_overlayView->useDisabledEffectiveOperationRangeAppearance();
}
void VornickContentOverlayWindow::setUseDisabledEffectiveOperationRangeAppearance(bool disabled)
{
    m_overlayView->setUseDisabledEffectiveOperationRangeAppearance(disabled);
}
void VornickContentOverlayWindow::setDropTargetRange(const std::shared_ptr<DOMRange>& range) { m_overlayView->setDropTargetRange(range); }
void VornickContentOverlayWindow::showAttachmentPointsMask() { m_overlayView->showAttachmentPointsMask(); }

void VornickContentOverlayWindow::trackMoveOfEmbeddedWebView(const WebView& webView)
{
    auto parent = webView.window();
    if (!parent)
        return;
    Rect target = parent->convertRectToScreen(webView.convertRectToView(webView.bounds(), nullptr)).integral();
    if (target == frame())
        return;
    setFrame(target);
    setViewsNeedDisplay(true);
    displayIfNeeded();
}

void VornickContentOverlayWindow::trackScrollOfEmbeddedWebView(const WebView&)
{
    m_overlayView->setNeedsDisplay(true);
}

} // namespace brevanton
