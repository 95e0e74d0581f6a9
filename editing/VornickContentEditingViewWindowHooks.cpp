// The view in its window: the web view's delegates and the window's
// notifications exist exactly while the view is in a window, and a send-event
// hook lets the view see every mouse and key event before its web view does.
#include "editing/VornickContentEditingView.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickWindow.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/VornickContentOverlayView.h"
#include "editing/VornickDOMTreeVisualizerWindowController.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/ConsoleLog.h"
#include "platform/foundation/RunLoop.h"
#include "platform/views/Event.h"
#include "platform/views/Scroller.h"
#include "platform/views/Window.h"

#include <any>

namespace brevanton {

namespace {

std::shared_ptr<Responder> responderUnderKey(const Notification& notification, const char* key)
{
    auto found = notification.userObjects.find(key);
    if (found == notification.userObjects.end())
        return nullptr;
    if (auto responder = std::any_cast<std::shared_ptr<Responder>>(&found->second))
        return *responder;
    return nullptr;
}

// The content editing view a view lies in, the view itself included.
std::shared_ptr<VornickContentEditingView> enclosingContentEditingView(std::shared_ptr<View> view)
{
    for (; view; view = view->superview()) {
        if (auto editingView = std::dynamic_pointer_cast<VornickContentEditingView>(view))
            return editingView;
    }
    return nullptr;
}

std::shared_ptr<VornickContentEditingView> activeLeftMouseDownEditingView(Window& window)
{
    auto* vornickWindow = dynamic_cast<VornickWindow*>(&window);
    return vornickWindow ? std::dynamic_pointer_cast<VornickContentEditingView>(vornickWindow->activeLeftMouseDownRecipient())
                         : nullptr;
}

// Command-Option shortcuts that work while the focus is in the interface
// that belongs to an editing view (its popovers) rather than in its page.
bool handleRelatedUIShortcut(VornickContentEditingView& view, const Event& event)
{
    constexpr ModifierFlags commandOption = ModifierFlag::Command | ModifierFlag::Option;
    if ((event.modifierFlags() & commandOption) != commandOption || event.charactersIgnoringModifiers().size() != 1)
        return false;
    char16_t key = event.charactersIgnoringModifiers()[0];
    if (key == u'U' || key == u'u') {
        if (auto loupe = view.sourceLoupe())
            loupe->showOrHide();
        return true;
    }
    if (key == u']') {
        // Section handles change the layout: the open attribute editor
        // follows its element to where it now stands.
        view.setSectionHandlesShown(!view.sectionHandlesShown());
        Internals::repositionAttributeEditorToTrackTargetElement(view);
        Internals::repositionCompletionPopoverToTrackBaseTargetRange(view);
        return true;
    }
    return false;
}

} // namespace

// --- Entering and leaving a window

void VornickContentEditingView::Internals::createOverlayWindow(VornickContentEditingView& view)
{
    auto self = std::static_pointer_cast<VornickContentEditingView>(view.shared_from_this());
    view.m_internals->overlayWindow = VornickContentOverlayWindow::createWithContentEditingView(self);
}

const std::shared_ptr<VornickDOMTreeVisualizerWindowController>& VornickContentEditingView::domTreeVisualizerWindowController()
{
    if (!m_internals->domTreeVisualizerWindowController) {
        m_internals->domTreeVisualizerWindowController = std::make_shared<VornickDOMTreeVisualizerWindowController>("VornickDOMTreeVisualizerWindow");
        m_internals->domTreeVisualizerWindowController->setContentEditingView(
            std::static_pointer_cast<VornickContentEditingView>(shared_from_this()));
        if (auto document = mainFrameDocument())
            m_internals->domTreeVisualizerWindowController->setRootNode(document->body() ? std::shared_ptr<DOMNode>(document->body())
                                                                                : document);
    }
    return m_internals->domTreeVisualizerWindowController;
}

void VornickContentEditingView::viewWillMoveToWindow(Window* newWindow)
{
    View::viewWillMoveToWindow(newWindow);
    if (auto window = this->window()) {
        m_internals->windowObservations.clear();
        // The overlay and the tree visualizer belong to the window left.
        if (m_internals->overlayWindow) {
            window->removeChildWindow(m_internals->overlayWindow.get());
            m_internals->overlayWindow->orderOut();
            m_internals->overlayWindow.reset();
        }
        if (m_internals->domTreeVisualizerWindowController) {
            m_internals->domTreeVisualizerWindowController->close();
            m_internals->domTreeVisualizerWindowController.reset();
        }
        if (m_internals->windowSendEventHook) {
            if (auto* vornickWindow = dynamic_cast<VornickWindow*>(window.get()))
                vornickWindow->vornick_removeSendEventHook(m_internals->windowSendEventHook);
            m_internals->windowSendEventHook.reset();
        }
        // The window must not keep handing the mouse to a view that left it.
        if (auto* vornickWindow = dynamic_cast<VornickWindow*>(window.get());
            vornickWindow && vornickWindow->activeLeftMouseDownRecipient().get() == this)
            vornickWindow->setActiveLeftMouseDownRecipient(nullptr);
    }
    if (!newWindow) {
        m_internals->webView->setFrameLoadDelegate(nullptr);
        m_internals->webView->setResourceLoadDelegate(nullptr);
        m_internals->webView->setEditingDelegate(nullptr);
        m_internals->webView->setPolicyDelegate(nullptr);
        if (auto delegate = VornickApplicationDelegate::shared())
            delegate->releaseAllReadPermissionsForClient(this);
        return;
    }
    m_internals->webView->setFrameLoadDelegate(this);
    m_internals->webView->setResourceLoadDelegate(this);
    m_internals->webView->setEditingDelegate(this);
    m_internals->webView->setPolicyDelegate(this);

    auto& center = NotificationCenter::defaultCenter();
    auto weak = weakSelf();
    auto observe = [&](const char* name, void (VornickContentEditingView::*handler)(const Notification&)) {
        m_internals->windowObservations.push_back(center.addObserver(name, newWindow, nullptr, [weak, handler](const Notification& note) {
            if (auto self = weak.lock())
                ((*self).*handler)(note);
        }));
    };
    observe(VornickWindowWillChangeFirstResponderNotification, &VornickContentEditingView::vornick_windowWillChangeFirstResponder);
    observe(VornickWindowDidChangeFirstResponderNotification, &VornickContentEditingView::vornick_windowDidChangeFirstResponder);
    observe(VornickWindowWillBecomeKeyNotification, &VornickContentEditingView::vornick_windowWillBecomeKey);
    observe(VornickWindowDidBecomeKeyNotification, &VornickContentEditingView::vornick_windowDidBecomeKey);
    observe(Window::WillCloseNotification, &VornickContentEditingView::vornick_windowWillClose);
    m_internals->windowIsClosing = false;

    auto* vornickWindow = dynamic_cast<VornickWindow*>(newWindow);
    if (!vornickWindow) {
        consoleLog(u"Warning: Window doesn't have -vornick_addSendEventHook: method. Not a VornickWindow?");
        return;
    }
    BREVANTON_ASSERT(!m_internals->windowSendEventHook, "Dangling windowSendEventHook");
    m_internals->windowSendEventHook = vornickWindow->vornick_addSendEventHook(
        [](Window& window, const Event& event) { return VornickContentEditingView::windowWillSendEvent(window, event); });
}

void VornickContentEditingView::viewDidMoveToWindow()
{
    View::viewDidMoveToWindow();
    auto window = this->window();
    if (!window)
        return;
    setClaimsCursor(true);
    window->setTrackingAreasNeedUpdate();
    // The overlay window that draws the range indicators is made once the
    // window has ordered in; until it exists the web view redraws itself.
    auto* vornickWindow = dynamic_cast<VornickWindow*>(window.get());
    if (!vornickWindow) {
        consoleLog(u"Not in a VornickWindow");
        return;
    }
    auto weak = weakSelf();
    vornickWindow->vornick_afterOrderInAnimationDo([weak] {
        if (auto self = weak.lock(); self && self->window() && !self->m_internals->overlayWindow)
            Internals::createOverlayWindow(*self);
    });
}

bool VornickContentEditingView::becomeFirstResponder()
{
    // The page takes the keyboard: the web view becomes first responder.
    auto weak = weakSelf();
    RunLoop::main().perform([weak] {
        auto self = weak.lock();
        auto window = self ? self->window() : nullptr;
        if (window && self->m_internals->webView)
            window->makeFirstResponder(self->m_internals->webView);
    });
    return true;
}

// --- First responder and key window

void VornickContentEditingView::vornick_windowWillChangeFirstResponder(const Notification& notification)
{
    auto window = this->window();
    if (!window)
        return;
    auto oldResponder = responderUnderKey(notification, VornickOldFirstResponderUserInfoKey);
    auto newResponder = responderUnderKey(notification, VornickNewFirstResponderUserInfoKey);
    if (window->isKeyWindow())
        m_internals->windowIsBecomingKey = true;
    bool wasInWebView = Internals::responderIsEmbeddedWebViewOrADescendant(*this, oldResponder.get());
    bool willBeInWebView = Internals::responderIsEmbeddedWebViewOrADescendant(*this, newResponder.get());
    if (wasInWebView && !willBeInWebView) {
        m_internals->webView->vornick_stashSelectedDOMRange();
    } else if (!wasInWebView && willBeInWebView) {
        m_internals->webView->vornick_restoreSelectedDOMRange();
        if (!m_internals->targetRange)
            postVornickContentEditingViewDidChangeEffectiveOperationRange();
    }
}

void VornickContentEditingView::vornick_windowDidChangeFirstResponder(const Notification&)
{
    Internals::updateSelectionIndicator(*this);
    if (auto window = this->window(); window && window->isKeyWindow())
        m_internals->windowIsBecomingKey = false;
}

void VornickContentEditingView::vornick_windowWillBecomeKey(const Notification&)
{
    m_internals->windowIsBecomingKey = true;
}

void VornickContentEditingView::vornick_windowDidBecomeKey(const Notification&)
{
    m_internals->windowIsBecomingKey = false;
}

void VornickContentEditingView::vornick_windowWillClose(const Notification&)
{
    // A page nobody will see again is not refreshed for its files' changes.
    m_internals->windowIsClosing = true;
}

// --- The send-event hook

bool VornickContentEditingView::windowWillSendEvent(Window& window, const Event& event)
{
    switch (event.type()) {
    case EventType::LeftMouseUp: {
        auto recipient = activeLeftMouseDownEditingView(window);
        if (auto* vornickWindow = dynamic_cast<VornickWindow*>(&window))
            vornickWindow->setActiveLeftMouseDownRecipient(nullptr);
        if (recipient)
            recipient->handleLeftMouseUpInEmbeddedWebView(event);
        return true;
    }
    case EventType::LeftMouseDragged:
        if (auto recipient = activeLeftMouseDownEditingView(window))
            return recipient->handleLeftMouseDraggedInEmbeddedWebView(event);
        return true;
    case EventType::KeyDown:
        // A key down for the page goes to the view's own key handling; key
        // equivalents (Command, Control, function keys such as the arrows)
        // go on to the view tree's performKeyEquivalent and the menus.
        if (auto view = vornickContentEditingViewIfEmbeddedWebViewHasFocusInWindow(&window)) {
            if (event.hasModifier(ModifierFlag::Command | ModifierFlag::Control | ModifierFlag::Function))
                return true;
            view->keyDown(event);
            return false;
        }
        if (auto view = vornickContentEditingViewIfRelatedUIHasFocusInWindow(&window))
            return !handleRelatedUIShortcut(*view, event);
        return true;
    case EventType::FlagsChanged:
        if (auto view = vornickContentEditingViewIfEmbeddedWebViewHasFocusInWindow(&window))
            view->handleFlagsChanged(event);
        return true;
    case EventType::LeftMouseDown:
    case EventType::RightMouseDown: {
        auto content = window.contentView();
        if (!content)
            return true;
        auto hit = content->hitTest(event.locationInWindow());
        // The page's scrollers take their own clicks.
        if (std::dynamic_pointer_cast<Scroller>(hit))
            return true;
        auto view = enclosingContentEditingView(hit);
        if (!view || !view->m_internals->webView)
            return true;
        Point inWebView = view->m_internals->webView->convertPointFromView(event.locationInWindow(), nullptr);
        if (!view->m_internals->webView->visibleRect().containsPoint(inWebView))
            return true;
        if (event.type() == EventType::RightMouseDown)
            return view->handleRightMouseDownInEmbeddedWebView(event);
        if (event.hasModifier(ModifierFlag::Control))
            return view->handleContextClickInEmbeddedWebView(event);
        if (auto* vornickWindow = dynamic_cast<VornickWindow*>(&window))
            vornickWindow->setActiveLeftMouseDownRecipient(view);
        return view->handleLeftMouseDownInEmbeddedWebView(event);
    }
    default:
        return true;
    }
}

} // namespace brevanton
