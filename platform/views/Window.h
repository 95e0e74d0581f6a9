// Window: a top-level rectangle on the screen holding a content view. Its
// frame is in screen coordinates (unflipped); the window's base coordinates
// have their origin at the bottom left of the content area, which fills the
// whole frame (there is no title bar). The window keeps the first responder,
// dispatches events to its views (after its send-event hooks have seen
// them), takes part in the key and main window state kept by Application,
// and answers the undo manager of its responder chain.
//
// Windows are made with Window::create (or std::make_shared followed by
// Application::shared().addWindow) so that Application knows them.
#pragma once

#include "platform/views/GraphicsContext.h"
#include "platform/views/Responder.h"
#include "platform/views/TrackingArea.h"
#include "platform/views/View.h"

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class Button;
class Screen;
class Toolbar;
class UndoManager;
class View;
class Window;

// The frame a window is made with: a borderless window has no title bar and
// no standard buttons.
using WindowStyleMask = unsigned;
namespace WindowStyle {
constexpr WindowStyleMask Borderless = 0;
constexpr WindowStyleMask Titled = 1;
constexpr WindowStyleMask Closable = 2;
constexpr WindowStyleMask Miniaturizable = 4;
constexpr WindowStyleMask Resizable = 8;
constexpr WindowStyleMask Standard = Titled | Closable | Miniaturizable | Resizable;
} // namespace WindowStyle

// The buttons of a window's title bar.
enum class WindowButton { Close = 0, Miniaturize = 1, Zoom = 2, Toolbar = 3, DocumentIcon = 4, DocumentVersions = 6, FullScreen = 7 };

// Optional operations have default implementations.
class WindowDelegate {
public:
    virtual ~WindowDelegate() = default;
    virtual bool windowShouldClose(Window&) { return true; }
    virtual void windowWillClose(Window&) {}
    virtual void windowDidBecomeKey(Window&) {}
    virtual void windowDidResignKey(Window&) {}
    virtual void windowDidBecomeMain(Window&) {}
    virtual void windowDidResignMain(Window&) {}
    virtual void windowDidResize(Window&) {}
    // The undo manager of the window's responder chain; null lets the window use its own.
    virtual UndoManager* windowWillReturnUndoManager(Window&) { return nullptr; }
};

class Window : public Responder {
public:
    // Answers false to keep the event from being sent (and from later hooks).
    using SendEventHook = std::function<bool(Window&, const Event&)>;
    // Identifies a registered hook.
    using SendEventHookHandle = std::shared_ptr<const SendEventHook>;

    // Posted through the default notification center with the window as object.
    static constexpr const char* DidBecomeKeyNotification = "WindowDidBecomeKeyNotification";
    static constexpr const char* DidResignKeyNotification = "WindowDidResignKeyNotification";
    static constexpr const char* DidBecomeMainNotification = "WindowDidBecomeMainNotification";
    static constexpr const char* DidResignMainNotification = "WindowDidResignMainNotification";
    static constexpr const char* DidResizeNotification = "WindowDidResizeNotification";
    static constexpr const char* WillCloseNotification = "WindowWillCloseNotification";

    // A window with an empty content view, known to Application.
    static std::shared_ptr<Window> create(Rect frame);

    explicit Window(Rect frame, WindowStyleMask = WindowStyle::Standard);
    ~Window() override;

    WindowStyleMask styleMask() const { return m_styleMask; }
    void setStyleMask(WindowStyleMask mask) { m_styleMask = mask; }
    // A number of its own, above 0, that no other window of the process has.
    long windowNumber() const { return m_windowNumber; }
    // A new button of the kind for windows of the style; null when such a
    // window has none (a title bar's buttons need Titled; close, miniaturize
    // and zoom also their style bits).
    static std::shared_ptr<Button> standardWindowButton(WindowButton, WindowStyleMask);
    // The window's own button of the kind, made once; null when it has none.
    virtual std::shared_ptr<Button> standardWindowButton(WindowButton) const;

    const std::u16string& title() const { return m_title; }
    void setTitle(std::u16string title) { m_title = std::move(title); }
    // Whether the document the window shows has changes not yet saved; the
    // window system shows it with the title. Its owner keeps it true.
    bool isDocumentEdited() const { return m_documentEdited; }
    void setDocumentEdited(bool);

    Rect frame() const { return m_frame; }
    // Resizes the content view to the new size.
    void setFrame(const Rect&);
    void setFrameOrigin(Point);
    // Cascading windows: puts the window's top-left corner at `topLeft`
    // (screen coordinates) and answers where the next window's goes, a title
    // bar's height (22 points) right of and below this one's. Where the
    // window would not lie inside the screen's visible frame, it goes to that
    // frame's top-left corner instead. A zero point leaves the window where
    // it is and answers the point after it.
    Point cascadeTopLeftFromPoint(Point topLeft);
    // Puts the window in the middle of its screen's visible frame across and
    // a little above the middle down, at whole points; a window wider or
    // taller than the frame keeps its top-left corner at the frame's.
    void center();
    // The screen the window is on (there is one).
    const Screen& screen() const;
    Point convertPointToScreen(Point) const;
    Point convertPointFromScreen(Point) const;
    Rect convertRectToScreen(const Rect&) const;
    Rect convertRectFromScreen(const Rect&) const;

    std::shared_ptr<View> contentView() const { return m_contentView; }
    // The view gets the content area's frame and this window.
    void setContentView(const std::shared_ptr<View>&);

    // Ordering and state. A visible window has a place in the screen's
    // stacking order (Application::orderedWindows); its visible child windows
    // stay just above (or below) it, and are ordered out and back in with it.
    bool isVisible() const { return m_visible; }
    virtual void orderFront();
    void orderOut();
    // Shows the window just above or below `relativeTo` (a visible window),
    // or in front of or behind all windows when null; Out orders it out.
    void orderWindow(WindowOrderingMode, const Window* relativeTo);
    void makeKeyAndOrderFront();
    bool isKeyWindow() const;
    bool isMainWindow() const;
    void makeKeyWindow();
    void makeMainWindow();
    virtual bool canBecomeKeyWindow() const { return true; }
    virtual bool canBecomeMainWindow() const { return true; }
    // Called by Application as the state changes; they notify the delegate and observers.
    virtual void becomeKeyWindow();
    virtual void resignKeyWindow();
    virtual void becomeMainWindow();
    virtual void resignMainWindow();
    // Asks the delegate, then closes.
    void performClose();
    // Tells the delegate and observers, then orders the window out.
    void close();

    // The first responder: a view of the window or the window itself.
    std::shared_ptr<Responder> firstResponder() const;
    // Asks the current first responder to resign and the new one to accept
    // and become; null makes the window itself first responder. False when
    // either refuses (the current one then stays).
    virtual bool makeFirstResponder(const std::shared_ptr<Responder>&);

    // Events. Hooks run in the order they were added, each with the window
    // and the event, before the event is dispatched.
    SendEventHookHandle addSendEventHook(SendEventHook);
    void removeSendEventHook(const SendEventHookHandle&);
    size_t sendEventHookCount() const { return m_sendEventHooks->size(); }
    // After the hooks: mouse downs go to the view under the mouse (which
    // becomes first responder when it accepts), drags and the mouse up to the
    // same view; mouse moves go to the owners of tracking areas (below),
    // which also see drags. A key down with Command, Control or a function key is first
    // offered as a key equivalent to the view tree, then to the main menu;
    // key events nobody took go to the first responder.
    virtual void sendEvent(const Event&);
    // Where the mouse was at the last mouse event the window was sent, in
    // base coordinates.
    Point mouseLocationOutsideOfEventStream() const { return m_mouseLocation; }
    // Offers the event to the views of the window.
    bool performKeyEquivalent(const Event&) override;
    // Told before a view (with its subviews) leaves the window: the window
    // forgets what it keeps of views in that tree (the view the mouse went
    // down in).
    virtual void viewTreeWillLeaveWindow(const View& root);

    // Tracking areas: mouse moves (and drags, for areas enabled during
    // drags) send mouseEntered and mouseExited to the owners of the active
    // areas the pointer entered or left, and mouseMoved to the owners of the
    // active areas under it with the MouseMoved option, each owner once.
    void setTrackingAreasNeedUpdate() { m_trackingAreasNeedUpdate = true; }
    // Lets every view of the tree rebuild its areas when marked.
    void updateTrackingAreasIfNeeded();

    std::weak_ptr<WindowDelegate> delegate() const { return m_delegate; }
    void setDelegate(const std::weak_ptr<WindowDelegate>& delegate) { m_delegate = delegate; }

    // The delegate's undo manager, else the window's own.
    UndoManager* undoManager() const override;

    // Display.
    bool viewsNeedDisplay() const { return m_viewsNeedDisplay; }
    void setViewsNeedDisplay(bool needs) { m_viewsNeedDisplay = needs; }
    // Draws the views that need display into the window's graphics context.
    void displayIfNeeded();
    GraphicsContext& graphicsContext() { return m_graphicsContext; }

    // The sizes the user may resize the frame between (a window system that
    // lets the user resize windows keeps to them); no limits at first.
    Size minSize() const { return m_minSize; }
    Size maxSize() const { return m_maxSize; }
    void setMinSize(Size);
    void setMaxSize(Size);

    // Transparency: the alpha applies to the whole window when it is shown.
    double alphaValue() const { return m_alphaValue; }
    void setAlphaValue(double alpha) { m_alphaValue = alpha; }
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    const Color& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(Color color) { m_backgroundColor = color; }
    // A window that ignores mouse events lets them through to what lies below.
    bool ignoresMouseEvents() const { return m_ignoresMouseEvents; }
    void setIgnoresMouseEvents(bool ignores) { m_ignoresMouseEvents = ignores; }
    // The window's toolbar, or null. Setting one loads its default items;
    // the window's owner places the toolbar's view at the top of its content
    // (there is no title area to hold it). After each event the window
    // validates the toolbar's visible items, as menus validate theirs.
    const std::shared_ptr<Toolbar>& toolbar() const { return m_toolbar; }
    void setToolbar(std::shared_ptr<Toolbar>);
    // Whether the window shows a toolbar: its toolbar's visibility, or what
    // was set for a window without one.
    bool toolbarIsShown() const;
    void setToolbarShown(bool shown);

    // Child windows move with their parent and are ordered above (or below)
    // it; adding one shows it there, at once or when the parent is shown.
    void addChildWindow(const std::shared_ptr<Window>&, WindowOrderingMode);
    void removeChildWindow(const Window*);
    std::vector<std::shared_ptr<Window>> childWindows() const;
    std::shared_ptr<Window> parentWindow() const { return m_parentWindow.lock(); }

    // A sheet window attached to this window (an alert's), or null.
    std::shared_ptr<Window> attachedSheet() const { return m_attachedSheet; }
    void setAttachedSheet(const std::shared_ptr<Window>& sheet) { m_attachedSheet = sheet; }

private:
    void dispatchEvent(const Event&);
    void orderChildWindows();
    void trackMouse(const Event&);

    std::u16string m_title;
    bool m_documentEdited { false };
    WindowStyleMask m_styleMask;
    long m_windowNumber;
    mutable std::vector<std::pair<WindowButton, std::shared_ptr<Button>>> m_standardButtons;
    Rect m_frame;
    std::shared_ptr<View> m_contentView;
    bool m_visible { false };
    std::weak_ptr<Responder> m_firstResponder;
    bool m_firstResponderIsSelf { true };
    std::shared_ptr<const std::vector<SendEventHookHandle>> m_sendEventHooks;
    std::weak_ptr<View> m_mouseDownView;
    Point m_mouseLocation;
    std::weak_ptr<WindowDelegate> m_delegate;
    mutable std::unique_ptr<UndoManager> m_undoManager;
    bool m_viewsNeedDisplay { true };
    GraphicsContext m_graphicsContext;
    std::shared_ptr<Window> m_attachedSheet;
    double m_alphaValue { 1 };
    Size m_minSize;
    Size m_maxSize { std::numeric_limits<double>::max(), std::numeric_limits<double>::max() };
    bool m_opaque { true };
    Color m_backgroundColor { Color::genericGamma22White(236.0 / 255) };
    bool m_ignoresMouseEvents { false };
    bool m_toolbarShown { false };
    std::shared_ptr<Toolbar> m_toolbar;
    std::vector<std::weak_ptr<Window>> m_childWindows;
    std::weak_ptr<Window> m_parentWindow;
    WindowOrderingMode m_orderingToParent { WindowOrderingMode::Above };
    bool m_orderedOutWithParent { false };
    bool m_trackingAreasNeedUpdate { true };
    std::vector<std::weak_ptr<TrackingArea>> m_areasUnderMouse;
};

} // namespace brevanton
