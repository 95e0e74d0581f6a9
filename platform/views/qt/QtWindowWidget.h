// QtWindowWidget: the native widget showing one Window. Its paint event
// records what the window's views draw in the part to repaint into a
// GraphicsContext and replays it with QtDrawCommandPainter (the recorder is
// the only drawing path); a repaint of the same part with no view marked
// since replays the last recording without asking the views. Qt's mouse, wheel, key and input-method events
// become our events (QtEventTranslation) and go through
// Application::sendEvent; the wheel scrolls the clip view under the pointer
// by lines of its scroll view (the view layer has no scroll-wheel event).
// After each event the widget shows the cursor the views set (Cursor::currentCursor). An input method's
// composition is marked text of the first responder (TextInputClient): it is
// shown, never inserted; committed text is typed as one key press (while a
// SecureTextField has the keyboard the input method is told the text is
// hidden and sensitive: QtSecureTextInput); a click
// asks the input method to commit, and what it leaves composing is dropped
// (as Qt's own text widgets do), as is what is composing when the focus
// leaves (Qt asks for the commit before it moves the focus).
//
// A top-level widget may host a menu bar above the window's content: the
// widget is then taller by the bar's height and the content keeps its place
// and size (base coordinates count from the widget's bottom, so they are
// the same with and without the bar). Drags from other widgets or programs
// go to the view under the pointer that takes them (View's drop side), and
// a drag session begun by a view while an event is delivered runs as a
// QDrag once the view is done with the event, showing the first dragged
// item's image, translucent, under the pointer where the item lay.
#pragma once

#include "platform/views/DraggingSession.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/qt/QtEventTranslation.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <vector>

namespace brevanton {

class DraggingSession;
class Image;
class QtWindowBackend;
class Responder;
class View;
class Window;

class QtWindowWidget final : public QWidget {
public:
    QtWindowWidget(QtWindowBackend&, const std::shared_ptr<Window>&, QWidget* parent, Qt::WindowFlags);

    std::shared_ptr<Window> viewWindow() const { return m_window.lock(); }

    // What the last paint event replayed, in order, and how many there were.
    const std::vector<DrawCommand>& lastPaintedCommands() const;
    unsigned paintCount() const { return m_paintCount; }
    // The part of the widget the last paint event redrew: its bounds, and
    // the rectangles it was made of (changes far apart come in one event).
    QRect lastPaintedArea() const { return m_lastPaintedArea; }
    const QRegion& lastPaintedRegion() const { return m_lastPaintedRegion; }

    // Told of every part of the window a view marked for display: the views'
    // drawing is recorded again at the next paint event. Until then (Qt
    // asking again for a part it was shown) the last recording is replayed.
    void viewsNeedDisplay() { m_recordingIsCurrent = false; }

    // Set while the backend moves or resizes the widget, so that the change
    // is not given back to the window.
    void setApplyingWindowGeometry(bool applying) { m_applyingWindowGeometry = applying; }

    // Shows the window's title, edited mark and alpha when they changed (a
    // top-level widget). The title carries Qt's "[*]" placeholder, where the
    // desktop shows the mark of a window whose document is edited.
    void takeWindowAppearance();

    // Where a point of the widget is in the window's base coordinates.
    Point basePoint(const QPointF&) const;

    // Tells the input method what the first responder edits: a password
    // field's text is hidden and sensitive (no prediction, no learning, no
    // surrounding text), anything else is plain text.
    void takeInputMethodHints();
    QVariant inputMethodQuery(Qt::InputMethodQuery) const override;

    // Hosts the bar (taking it as a child) above the content; null removes it.
    void setMenuBar(QWidget*);
    QWidget* menuBar() const { return m_menuBar; }
    // The height of the part above the content (the menu bar's).
    int contentTop() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void wheelEvent(QWheelEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void keyReleaseEvent(QKeyEvent*) override;
    void inputMethodEvent(QInputMethodEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void moveEvent(QMoveEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void changeEvent(QEvent*) override;
    // A tool tip shows the whole label of the control under the pointer
    // when the style draws it shortened.
    bool event(QEvent*) override;
    void focusOutEvent(QFocusEvent*) override;
    void dragEnterEvent(QDragEnterEvent*) override;
    void dragMoveEvent(QDragMoveEvent*) override;
    void dragLeaveEvent(QDragLeaveEvent*) override;
    void dropEvent(QDropEvent*) override;
    // Tab and Shift+Tab are keys of the window, not focus moves between widgets.
    bool focusNextPrevChild(bool) override { return false; }

private:
    void deliver(const Event&);
    void press(QMouseEvent*, bool doubleClick);
    void key(QKeyEvent*, bool down);
    void giveGeometryToWindow();
    void layOutMenuBar();
    // Finds the view under the drag that takes it and tells it; the operation it answers.
    DragOperation updateDrop(QDropEvent*, bool entering);
    void endDrop(QDropEvent*, bool dropped);
    void runPendingDrag();
    // Asks the input method to commit its composition; drops what is still marked then.
    void endComposition();

    QtWindowBackend& m_backend;
    std::weak_ptr<Window> m_window;
    ClickCounter m_clicks;
    // What the last paint event recorded and replayed.
    std::shared_ptr<const Image> m_lastPainting;
    // Whether m_lastPainting is what the views would draw now: no view was
    // marked since, and the part, the content view and what views draw
    // differently in a key or main window or as first responder are as they
    // were when it was recorded.
    bool recordingIsCurrentFor(const QRect& area, const Window&) const;
    bool m_recordingIsCurrent { false };
    QRect m_recordedArea;
    int m_recordedHeight { 0 };
    std::weak_ptr<View> m_recordedContentView;
    Rect m_recordedContentFrame;
    std::weak_ptr<Responder> m_recordedFirstResponder;
    bool m_recordedInKeyWindow { false };
    bool m_recordedInMainWindow { false };
    unsigned m_paintCount { 0 };
    QRect m_lastPaintedArea;
    QRegion m_lastPaintedRegion;
    bool m_applyingWindowGeometry { false };
    QPointer<QWidget> m_menuBar;
    // The input method's cursor in the marked text it set last.
    size_t m_markedTextCursor { 0 };
    // The view a drag over the widget is offered to, while one is.
    std::weak_ptr<View> m_dropDestination;
};

} // namespace brevanton
