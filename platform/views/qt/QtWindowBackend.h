// QtWindowBackend: the window server connection of the Qt backend. It keeps
// one native widget (QtWindowWidget) per visible Window: made when the window
// is first ordered in, hidden when it is ordered out, destroyed with the
// window. Geometry follows the window, the title is taken when it is ordered
// in or displayed, the window's edited mark as it changes (our screen's unflipped
// coordinates become Qt's top-left ones), and a view marked as needing
// display schedules a repaint. A child window without a title bar (an
// overlay) is a transparent child widget of its parent's widget, so that it
// paints over the parent as one surface; other child windows are tool
// windows above their parent. A drag session a view begins is carried out
// as a QDrag by the widget that delivered the event, once the event was
// handled (QtWindowWidget).
#pragma once

#include "platform/views/Geometry.h"
#include "platform/views/WindowServerConnection.h"

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include <Qt>

class QDrag;
class QObject;
class QImage;
class QWidget;

namespace brevanton {

class DraggingSession;
class Image;
class QtWindowWidget;
class Window;

class QtWindowBackend final : public WindowServerConnection {
public:
    // Installs itself as the current connection (a QApplication must exist);
    // windows already visible get their widgets at once.
    QtWindowBackend();
    ~QtWindowBackend() override;
    QtWindowBackend(const QtWindowBackend&) = delete;
    QtWindowBackend& operator=(const QtWindowBackend&) = delete;

    // The widget showing the window, or null when it has none.
    QtWindowWidget* widgetForWindow(const Window&) const;
    // Shows the window (not yet ordered in) as a child widget of a widget
    // of Qt's own, such as a dialog, whose layout places and sizes it: the
    // window's frame then follows the widget, never the other way round.
    // Ordering the window in and out shows and hides the widget.
    QtWindowWidget* embedWindowInWidget(Window&, QWidget* parent);

    // Called with each top-level widget the backend makes for a window,
    // before it is placed and shown (the shell gives it a menu bar there).
    using WidgetMadeHandler = std::function<void(Window&, QtWindowWidget&)>;
    void setWidgetMadeHandler(WidgetMadeHandler handler) { m_widgetMade = std::move(handler); }

    // Called after each event the widgets delivered (the shell runs a turn
    // of the main run loop there, closing the event's undo group).
    void setEventDeliveredHandler(std::function<void()> handler) { m_eventDelivered = std::move(handler); }
    void eventDelivered() const;

    // Where the caret of a window's first responder is, in the window's base
    // coordinates, for the input method to place its window; nullopt when
    // there is none (the widget then answers the first responder's visible
    // rectangle). The layers above the view layer know carets; the shell
    // installs the query.
    using CaretRectangleQuery = std::function<std::optional<Rect>(const Window&)>;
    void setCaretRectangleQuery(CaretRectangleQuery query) { m_caretRectangleQuery = std::move(query); }
    std::optional<Rect> caretRectangle(const Window&) const;

    void windowDidChangeOrdering(Window&) override;
    void windowFrameDidChange(Window&) override;
    void windowDocumentEditedDidChange(Window&) override;
    void windowFirstResponderDidChange(Window&) override;
    void windowSizeLimitsDidChange(Window&) override;
    // Qt's application icon (every window's without one of its own) becomes
    // the application's picture, or Qt's own without one.
    void applicationIconImageDidChange() override;
    // The picture drawn into a square of `pixels` (transparent around it).
    static QImage qtImageOfImage(const Image&, int pixels);
    void windowViewsNeedDisplay(Window&) override;
    void windowViewsNeedDisplayInRect(Window&, const Rect&) override;
    void windowWillBeDestroyed(Window&) override;
    void draggingSessionDidBegin(DraggingSession&) override;
    // Lets Qt's loop take the window system's events other than input
    // (showing, exposing, geometry) and paint, the main run loop held.
    void displayWindowsDuringBusyWork() override;
    // True while it does: a widget then refuses to close.
    bool isDisplayingDuringBusyWork() const { return m_displayingDuringBusyWork; }

    // The session begun since the last call, if it still runs (the widget
    // that delivered the event runs it as a QDrag).
    std::shared_ptr<DraggingSession> takePendingDraggingSession();
    // Runs a QDrag and answers the action it ended with: QDrag::exec by
    // default, which returns when the user dropped or gave up.
    using DragExecutor = std::function<Qt::DropAction(QDrag&, Qt::DropActions supported)>;
    void setDragExecutor(DragExecutor executor) { m_dragExecutor = std::move(executor); }
    Qt::DropAction executeDrag(QDrag&, Qt::DropActions supported) const;

    // The window's frame (screen coordinates, unflipped) as a Qt geometry:
    // on the screen for a top-level widget, in the parent window's content
    // for an overlay.
    static bool isOverlay(const Window&);
    static void qtGeometryOfWindow(const Window&, int& x, int& y, int& width, int& height);

private:
    // Activates the front visible window that can be key (the window system's
    // and ours), after the one that had the keyboard went.
    void giveKeyboardToFrontWindow();
    QtWindowWidget* makeWidget(Window&);
    void applyGeometry(Window&, QtWindowWidget&);
    void forget(const Window*);

    std::unordered_map<const Window*, QtWindowWidget*> m_widgets;
    // The widgets a Qt widget's layout places (embedWindowInWidget).
    std::unordered_set<const QtWindowWidget*> m_embeddedWidgets;
    std::function<void()> m_eventDelivered;
    WidgetMadeHandler m_widgetMade;
    bool m_displayingDuringBusyWork { false };
    CaretRectangleQuery m_caretRectangleQuery;
    std::weak_ptr<DraggingSession> m_pendingDraggingSession;
    DragExecutor m_dragExecutor;
    // Receives the widgets' destruction; goes before them.
    std::unique_ptr<QObject> m_context;
};

} // namespace brevanton
