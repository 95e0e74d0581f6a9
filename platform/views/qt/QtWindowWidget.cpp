#include "platform/views/qt/QtWindowWidget.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/ClipView.h"
#include "platform/views/Cursor.h"
#include "platform/views/DraggingInfo.h"
#include "platform/views/Image.h"
#include "platform/views/Screen.h"
#include "platform/views/ScrollView.h"
#include "platform/views/TextInputClient.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtControlStyle.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtDrawCommandPainter.h"
#include "platform/views/qt/QtMimeData.h"
#include "platform/views/qt/QtSecureTextInput.h"
#include "platform/views/qt/QtWindowBackend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDrag>
#include <QDropEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>

#include <cmath>
#include <optional>

namespace brevanton {

namespace {

double eventTime(const QInputEvent& event)
{
    return static_cast<double>(event.timestamp()) / 1000;
}

} // namespace

QtWindowWidget::QtWindowWidget(QtWindowBackend& backend, const std::shared_ptr<Window>& window, QWidget* parent,
                               Qt::WindowFlags flags)
    : QWidget(parent, flags)
    , m_backend(backend)
    , m_window(window)
    , m_clicks(QApplication::doubleClickInterval() / 1000.0, QApplication::startDragDistance())
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, true);
    // Our views draw every pixel (or leave them transparent): Qt need not
    // clear behind them.
    setAttribute(Qt::WA_OpaquePaintEvent, window->isOpaque() && !QtWindowBackend::isOverlay(*window));
    if (!window->isOpaque() || QtWindowBackend::isOverlay(*window))
        setAttribute(Qt::WA_TranslucentBackground, true);
    // Drops over an overlay reach the widget below it.
    setAcceptDrops(!QtWindowBackend::isOverlay(*window));
}

void QtWindowWidget::setMenuBar(QWidget* bar)
{
    if (m_menuBar == bar)
        return;
    if (m_menuBar)
        m_menuBar->deleteLater();
    m_menuBar = bar;
    if (bar) {
        bar->setParent(this);
        bar->show();
    }
    // The widget grows (or shrinks) by the bar; the content keeps its frame.
    if (auto window = viewWindow())
        m_backend.windowFrameDidChange(*window);
    layOutMenuBar();
}

int QtWindowWidget::contentTop() const
{
    return m_menuBar ? m_menuBar->sizeHint().height() : 0;
}

void QtWindowWidget::layOutMenuBar()
{
    if (m_menuBar)
        m_menuBar->setGeometry(0, 0, width(), contentTop());
}

Point QtWindowWidget::basePoint(const QPointF& point) const
{
    return { point.x(), height() - point.y() };
}

void QtWindowWidget::takeWindowAppearance()
{
    auto window = viewWindow();
    if (!window || !isWindow())
        return;
    // A "[*]" of the title's own is written doubled, which Qt shows as it is.
    QString title = qtString(window->title()).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")) + QStringLiteral("[*]");
    if (title != windowTitle())
        setWindowTitle(title);
    if (window->isDocumentEdited() != isWindowModified())
        setWindowModified(window->isDocumentEdited());
    if (std::abs(windowOpacity() - window->alphaValue()) > 1.0 / 512)
        setWindowOpacity(window->alphaValue());
    // The limits are the frame's, the widget's take the menu bar above it too.
    auto limit = [](double value) { return value >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX : static_cast<int>(std::lround(value)); };
    Size least = window->minSize();
    Size most = window->maxSize();
    QSize minimum(limit(least.width), std::min(QWIDGETSIZE_MAX, limit(least.height) + contentTop()));
    QSize maximum(limit(most.width), std::min(QWIDGETSIZE_MAX, limit(most.height) + contentTop()));
    if (minimum != minimumSize())
        setMinimumSize(minimum);
    if (maximum != maximumSize())
        setMaximumSize(maximum);
}

bool QtWindowWidget::recordingIsCurrentFor(const QRect& area, const Window& window) const
{
    // A mark the window's own headless display took is a mark all the same.
    if (!m_recordingIsCurrent || window.viewsNeedDisplay() || area != m_recordedArea || height() != m_recordedHeight)
        return false;
    auto content = window.contentView();
    if (!content || m_recordedContentView.lock() != content || content->frame() != m_recordedContentFrame)
        return false;
    return m_recordedFirstResponder.lock() == window.firstResponder() && window.isKeyWindow() == m_recordedInKeyWindow
        && window.isMainWindow() == m_recordedInMainWindow;
}

namespace {

void clearDisplayMarks(View& view)
{
    view.setNeedsDisplay(false);
    for (auto& subview : view.subviews())
        clearDisplayMarks(*subview);
}

} // namespace

const std::vector<DrawCommand>& QtWindowWidget::lastPaintedCommands() const
{
    static const std::vector<DrawCommand> none;
    return m_lastPainting ? m_lastPainting->drawing() : none;
}

void QtWindowWidget::paintEvent(QPaintEvent* event)
{
    auto window = viewWindow();
    QPainter painter(this);
    if (!window)
        return;
    QRect area = event->rect().intersected(QRect(0, contentTop(), width(), height() - contentTop()));
    if (area.isEmpty())
        return;
    if (window->isOpaque() && !QtWindowBackend::isOverlay(*window))
        painter.fillRect(area, qtColor(window->backgroundColor()));
    if (QtWindowBackend::isOverlay(*window))
        painter.setOpacity(window->alphaValue());
    // What the views draw in the part, recorded without touching their
    // display marks (the window's own recording is for headless runs). Qt
    // asking again for the part last painted, with no view marked since,
    // gets the same recording replayed: the repaint is then the painting alone.
    auto content = window->contentView();
    bool records = !recordingIsCurrentFor(area, *window);
    if (records) {
        m_lastPainting.reset();
        if (content) {
            Rect base(area.x(), height() - area.y() - area.height(), area.width(), area.height());
            m_lastPainting = content->cacheDisplayInRect(content->convertRectFromView(base, nullptr));
        }
        m_recordingIsCurrent = true;
        m_recordedArea = area;
        m_recordedHeight = height();
        m_recordedContentView = content;
        m_recordedContentFrame = content ? content->frame() : Rect();
        m_recordedFirstResponder = window->firstResponder();
        m_recordedInKeyWindow = window->isKeyWindow();
        m_recordedInMainWindow = window->isMainWindow();
    }
    painter.setClipRect(area);
    if (m_lastPainting) {
        // Each view's drawing shows only within its visible part, as it would
        // on screen: a scrolled page never covers the panes around it.
        QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(height())).paintWithinVisibleRects(m_lastPainting->drawing());
    }
    ++m_paintCount;
    m_lastPaintedArea = area;
    m_lastPaintedRegion = event->region().intersected(area);
    window->setViewsNeedDisplay(false);
    // Every part a view marked was passed on to Qt as it was marked, and Qt
    // paints all it was asked for at once: the views' own marks are done
    // (a replayed recording follows no mark).
    if (records && content)
        clearDisplayMarks(*content);
    takeWindowAppearance();
}

namespace {

Qt::CursorShape qtCursorShape(CursorKind kind)
{
    switch (kind) {
    case CursorKind::Arrow: break;
    case CursorKind::IBeam: return Qt::IBeamCursor;
    case CursorKind::PointingHand: return Qt::PointingHandCursor;
    case CursorKind::ClosedHand: return Qt::ClosedHandCursor;
    case CursorKind::OpenHand: return Qt::OpenHandCursor;
    case CursorKind::ResizeLeftRight: return Qt::SplitHCursor;
    case CursorKind::ResizeUpDown: return Qt::SplitVCursor;
    case CursorKind::Crosshair: return Qt::CrossCursor;
    case CursorKind::DragCopy: return Qt::DragCopyCursor;
    case CursorKind::OperationNotAllowed: return Qt::ForbiddenCursor;
    }
    return Qt::ArrowCursor;
}

} // namespace

void QtWindowWidget::deliver(const Event& event)
{
    Application::shared().sendEvent(event);
    m_backend.eventDelivered();
    takeInputMethodHints();
    runPendingDrag();
    // The cursor the views set while they handled it.
    Qt::CursorShape shape = qtCursorShape(Cursor::currentCursor().kind());
    if (cursor().shape() != shape)
        setCursor(shape);
}

void QtWindowWidget::press(QMouseEvent* event, bool doubleClick)
{
    auto window = viewWindow();
    if (!window)
        return;
    if (!window->isKeyWindow() && window->canBecomeKeyWindow())
        window->makeKeyWindow();
    if (window->canBecomeMainWindow() && !window->isMainWindow() && !QtWindowBackend::isOverlay(*window))
        window->makeMainWindow();
    Point location = basePoint(event->position());
    bool right = event->button() == Qt::RightButton;
    if (!right && event->button() != Qt::LeftButton)
        return;
    // The composition goes before the click moves the caret.
    endComposition();
    int count = m_clicks.press(static_cast<int>(event->button()), location, eventTime(*event), doubleClick);
    Application::shared().setWindowUnderMouse(window);
    deliver(Event::mouseEvent(right ? EventType::RightMouseDown : EventType::LeftMouseDown, location,
                              modifierFlagsFromQt(event->modifiers()), eventTime(*event), window, count));
}

void QtWindowWidget::mousePressEvent(QMouseEvent* event)
{
    press(event, false);
}

void QtWindowWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt sends this in place of the second press of a double click.
    press(event, true);
}

void QtWindowWidget::mouseMoveEvent(QMouseEvent* event)
{
    auto window = viewWindow();
    if (!window)
        return;
    EventType type = EventType::MouseMoved;
    if (event->buttons() & Qt::LeftButton)
        type = EventType::LeftMouseDragged;
    else if (event->buttons() & Qt::RightButton)
        type = EventType::RightMouseDragged;
    Application::shared().setWindowUnderMouse(window);
    deliver(Event::mouseEvent(type, basePoint(event->position()), modifierFlagsFromQt(event->modifiers()),
                              eventTime(*event), window, type == EventType::MouseMoved ? 0 : m_clicks.lastCount()));
}

void QtWindowWidget::mouseReleaseEvent(QMouseEvent* event)
{
    auto window = viewWindow();
    if (!window)
        return;
    bool right = event->button() == Qt::RightButton;
    if (!right && event->button() != Qt::LeftButton)
        return;
    deliver(Event::mouseEvent(right ? EventType::RightMouseUp : EventType::LeftMouseUp, basePoint(event->position()),
                              modifierFlagsFromQt(event->modifiers()), eventTime(*event), window, m_clicks.lastCount()));
}

void QtWindowWidget::wheelEvent(QWheelEvent* event)
{
    auto window = viewWindow();
    auto content = window ? window->contentView() : nullptr;
    if (!content)
        return;
    // The clip view under the pointer scrolls: pixels when the device gives
    // them, else the desktop's number of lines per notch (15 degrees), a
    // line being one of the scroll view's (40 points for three of a bare
    // clip view's).
    double notchLines = QApplication::wheelScrollLines();
    auto view = content->hitTest(basePoint(event->position()));
    for (; view; view = view->superview()) {
        auto scrollView = std::dynamic_pointer_cast<ScrollView>(view);
        auto clip = scrollView ? scrollView->contentView() : std::dynamic_pointer_cast<ClipView>(view);
        if (!clip || !clip->documentView())
            continue;
        if (!scrollView)
            scrollView = std::dynamic_pointer_cast<ScrollView>(clip->superview());
        double line = scrollView ? scrollView->verticalLineScroll() : ScrollView::DefaultLineScroll;
        QPointF delta = !event->pixelDelta().isNull() ? QPointF(event->pixelDelta()) : QPointF(event->angleDelta()) * (notchLines * line) / 120.0;
        Point origin = clip->bounds().origin;
        // Turning the wheel towards the user (negative delta) shows what is further down.
        double down = -delta.y();
        Point proposed { origin.x - delta.x(), clip->isFlipped() ? origin.y + down : origin.y - down };
        if (clip->constrainBoundsOrigin(proposed) == origin)
            continue;
        clip->scrollToPoint(proposed);
        m_backend.eventDelivered();
        event->accept();
        return;
    }
    event->ignore();
}

void QtWindowWidget::key(QKeyEvent* event, bool down)
{
    auto window = viewWindow();
    if (!window)
        return;
    auto translated = translateQtKey(event->key(), event->modifiers(), event->text());
    if (!translated)
        return;
    // Keys go to the window Qt gave the keyboard: it is the key window, so
    // that the menu's commands its shortcuts send (Close among them) act on it.
    if (down && !window->isKeyWindow() && window->canBecomeKeyWindow() && !QtWindowBackend::isOverlay(*window))
        window->makeKeyWindow();
    Point location = window->mouseLocationOutsideOfEventStream();
    if (isQtModifierKey(event->key())) {
        deliver(Event::keyEvent(EventType::FlagsChanged, location, translated->modifierFlags, eventTime(*event), window, {}, {},
                                false, translated->keyCode));
        return;
    }
    deliver(Event::keyEvent(down ? EventType::KeyDown : EventType::KeyUp, location, translated->modifierFlags, eventTime(*event),
                            window, translated->characters, translated->charactersIgnoringModifiers,
                            down && event->isAutoRepeat(), translated->keyCode));
}

void QtWindowWidget::keyPressEvent(QKeyEvent* event)
{
    key(event, true);
}

void QtWindowWidget::keyReleaseEvent(QKeyEvent* event)
{
    key(event, false);
}

void QtWindowWidget::inputMethodEvent(QInputMethodEvent* event)
{
    // The committed text is typed as one key press with those characters
    // (the text input's insertion path, one undo step); the preedit text is
    // the first responder's marked text, shown but not inserted.
    auto window = viewWindow();
    if (!window)
        return;
    event->accept();
    if (!event->commitString().isEmpty()) {
        if (auto* client = textInputClientOfWindow(*window); client && client->hasMarkedText())
            client->unmarkText();
        std::u16string text = fromQtString(event->commitString());
        deliver(Event::keyEvent(EventType::KeyDown, window->mouseLocationOutsideOfEventStream(), 0,
                                RunLoop::main().now().timeIntervalSince1970(), window, text, text,
                                false, 0));
    }
    // The key press may have moved the focus.
    if (auto* client = textInputClientOfWindow(*window)) {
        MarkedText marked = markedTextFromQtInputMethodEvent(*event);
        m_markedTextCursor = marked.cursor;
        if (marked.text.empty()) {
            if (client->hasMarkedText())
                client->unmarkText();
        } else {
            client->setMarkedText(std::move(marked));
        }
    }
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
}

void QtWindowWidget::endComposition()
{
    auto window = viewWindow();
    auto* client = window ? textInputClientOfWindow(*window) : nullptr;
    if (!client || !client->hasMarkedText())
        return;
    // The input method answers with an event that commits (or not at all).
    QGuiApplication::inputMethod()->commit();
    client = textInputClientOfWindow(*window);
    if (client && client->hasMarkedText()) {
        client->unmarkText();
        QGuiApplication::inputMethod()->reset();
    }
}

void QtWindowWidget::focusOutEvent(QFocusEvent* event)
{
    // Qt asked the input method to commit before the focus moved (the commit
    // went to this widget); what is still marked now cannot be committed
    // here any more and goes. A popup (a context menu) takes the focus only
    // for a moment.
    auto window = viewWindow();
    if (window && event->reason() != Qt::PopupFocusReason) {
        if (auto* client = textInputClientOfWindow(*window); client && client->hasMarkedText())
            client->unmarkText();
    }
    QWidget::focusOutEvent(event);
}

void QtWindowWidget::takeInputMethodHints()
{
    auto window = viewWindow();
    Qt::InputMethodHints hints = qtInputMethodHintsForResponder(window ? window->firstResponder().get() : nullptr);
    // Qt tells the input method when the widget has the focus.
    if (inputMethodHints() != hints)
        setInputMethodHints(hints);
}

QVariant QtWindowWidget::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImHints) {
        auto window = viewWindow();
        return static_cast<int>(qtInputMethodHintsForResponder(window ? window->firstResponder().get() : nullptr));
    }
    if (query != Qt::ImCursorRectangle && query != Qt::ImEnabled)
        return QWidget::inputMethodQuery(query);
    if (query == Qt::ImEnabled)
        return true;
    // Where the input method places its window: its cursor in the marked
    // text while it composes; else the caret, when the layers above tell;
    // else the first responder's visible part.
    auto window = viewWindow();
    if (!window)
        return QRect();
    std::optional<Rect> base;
    if (auto* client = textInputClientOfWindow(*window); client && client->hasMarkedText())
        base = client->firstRectForMarkedTextOffset(m_markedTextCursor);
    if (!base)
        base = m_backend.caretRectangle(*window);
    if (!base) {
        auto view = std::dynamic_pointer_cast<View>(window->firstResponder());
        if (!view)
            return QRect();
        base = view->convertRectToView(view->visibleRect(), nullptr);
    }
    return QRectF(base->minX(), height() - base->maxY(), std::max(1.0, base->width()), base->height()).toAlignedRect();
}

void QtWindowWidget::giveGeometryToWindow()
{
    auto window = viewWindow();
    if (!window || m_applyingWindowGeometry || QtWindowBackend::isOverlay(*window))
        return;
    // The content, below the menu bar.
    QRect geometry = this->geometry().adjusted(0, contentTop(), 0, 0);
    double screenTop = Screen::mainScreen().frame().maxY();
    Rect frame(geometry.x(), screenTop - geometry.y() - geometry.height(), geometry.width(), geometry.height());
    if (frame != window->frame())
        window->setFrame(frame);
}

void QtWindowWidget::resizeEvent(QResizeEvent*)
{
    layOutMenuBar();
    giveGeometryToWindow();
}

void QtWindowWidget::moveEvent(QMoveEvent*)
{
    giveGeometryToWindow();
}

void QtWindowWidget::closeEvent(QCloseEvent* event)
{
    // The window decides (its delegate may refuse); the backend hides the
    // widget when the window orders out.
    auto window = viewWindow();
    event->ignore();
    // Not while busy work lets the windows draw: it may use what the window shows.
    if (window && !m_backend.isDisplayingDuringBusyWork()) {
        window->performClose();
        m_backend.eventDelivered();
    }
}

bool QtWindowWidget::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    auto window = viewWindow();
    auto content = window ? window->contentView() : nullptr;
    QString tip;
    for (auto view = content ? content->hitTest(basePoint(help->pos())) : nullptr; view && tip.isEmpty(); view = view->superview())
        tip = qtControlToolTip(*view);
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

void QtWindowWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (auto window = viewWindow(); window && !window->isKeyWindow() && window->canBecomeKeyWindow())
            window->makeKeyWindow();
    }
    QWidget::changeEvent(event);
}

// --- Drag and drop

DragOperation QtWindowWidget::updateDrop(QDropEvent* event, bool entering)
{
    auto window = viewWindow();
    auto content = window ? window->contentView() : nullptr;
    auto current = m_dropDestination.lock();
    if (!content)
        return DragOperations::None;
    Point location = basePoint(event->position());
    DraggingInfo info = draggingInfoFromQtDropEvent(*event, window, location);
    // The first view from the one under the pointer outwards that takes the drag.
    for (auto view = content->hitTest(location); view; view = view->superview()) {
        if (view == current && !entering)
            return current->draggingUpdated(info);
        DragOperation operation = view->draggingEntered(info);
        if (operation == DragOperations::None)
            continue;
        if (current && current != view)
            current->draggingExited(info);
        m_dropDestination = view;
        return operation;
    }
    if (current)
        current->draggingExited(info);
    m_dropDestination.reset();
    return DragOperations::None;
}

void QtWindowWidget::endDrop(QDropEvent* event, bool dropped)
{
    auto destination = m_dropDestination.lock();
    m_dropDestination.reset();
    auto window = viewWindow();
    if (!destination || !window)
        return;
    DraggingInfo info;
    info.destinationWindow = window;
    info.draggingLocation = event ? basePoint(event->position()) : window->mouseLocationOutsideOfEventStream();
    info.sourceOperationMask = event ? dragOperationMaskFromQtDropActions(event->possibleActions()) : DragOperations::None;
    info.draggingPasteboard = Pasteboard::pasteboardWithName(PasteboardNameDrag);
    if (!dropped)
        destination->draggingExited(info);
    // The drag is over for this window.
    destination->draggingEnded(info);
}

void QtWindowWidget::dragEnterEvent(QDragEnterEvent* event)
{
    DragOperation operation = updateDrop(event, true);
    m_backend.eventDelivered();
    // Taken, so that the moves come here even while no view takes the drag.
    event->setDropAction(qtDropActionFromDragOperation(operation));
    event->accept();
}

void QtWindowWidget::dragMoveEvent(QDragMoveEvent* event)
{
    DragOperation operation = updateDrop(event, false);
    m_backend.eventDelivered();
    event->setDropAction(qtDropActionFromDragOperation(operation));
    event->setAccepted(operation != DragOperations::None);
}

void QtWindowWidget::dragLeaveEvent(QDragLeaveEvent*)
{
    endDrop(nullptr, false);
    m_backend.eventDelivered();
}

void QtWindowWidget::dropEvent(QDropEvent* event)
{
    DragOperation operation = updateDrop(event, false);
    auto destination = m_dropDestination.lock();
    bool performed = false;
    if (destination && operation != DragOperations::None) {
        DraggingInfo info = draggingInfoFromQtDropEvent(*event, viewWindow(), basePoint(event->position()));
        performed = destination->prepareForDragOperation(info) && destination->performDragOperation(info);
        if (performed)
            destination->concludeDragOperation(info);
    }
    endDrop(event, true);
    m_backend.eventDelivered();
    event->setDropAction(performed ? qtDropActionFromDragOperation(operation) : Qt::IgnoreAction);
    event->setAccepted(performed);
}

namespace {

// Dragged content is seen through, so that what is under it shows.
constexpr double dragImageOpacity = 0.75;

struct DragPicture {
    QPixmap pixmap;
    // Where the pointer is in the pixmap.
    QPoint hotSpot;
};

// The first item's image drawn into a pixmap, with the pointer where it was
// in the item's frame when the drag began; nullopt when no item has an image.
std::optional<DragPicture> dragPicture(const DraggingSession& session, const Window& window)
{
    auto source = session.sourceView();
    if (!source)
        return std::nullopt;
    for (const auto& item : session.items()) {
        const auto& image = item.image();
        if (!image)
            continue;
        Size size = image->size();
        int width = static_cast<int>(std::lround(size.width));
        int height = static_cast<int>(std::lround(size.height));
        if (width <= 0 || height <= 0)
            continue;
        DragPicture picture { QPixmap(width, height), QPoint() };
        picture.pixmap.fill(Qt::transparent);
        {
            QPainter painter(&picture.pixmap);
            painter.setOpacity(dragImageOpacity);
            // The image's coordinates go up from its bottom left, as base coordinates do.
            QtDrawCommandPainter replay(painter, QtDrawCommandPainter::forWindowContentHeight(height));
            DrawCommand command;
            command.kind = DrawCommand::Kind::Image;
            command.rect = Rect(0, 0, size.width, size.height);
            command.image = image;
            replay.paint(command);
        }
        Rect frame = source->convertRectToView(item.draggingFrame(), nullptr);
        Point pointer = window.convertPointFromScreen(session.startingLocation());
        // Rows of the pixmap go down from the frame's top.
        picture.hotSpot = QPoint(static_cast<int>(std::lround(pointer.x - frame.minX())),
                                 static_cast<int>(std::lround(frame.maxY() - pointer.y)));
        return picture;
    }
    return std::nullopt;
}

} // namespace

void QtWindowWidget::runPendingDrag()
{
    auto session = m_backend.takePendingDraggingSession();
    if (!session)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(mimeDataFromPasteboardItems(session->draggingPasteboard()->pasteboardItems()).release());
    if (auto window = viewWindow()) {
        if (auto picture = dragPicture(*session, *window)) {
            drag->setPixmap(picture->pixmap);
            drag->setHotSpot(picture->hotSpot);
        }
    }
    // What the source allows inside the application (the widest); the
    // session narrows it to what is allowed where the drop happened.
    Qt::DropActions supported = qtDropActionsFromDragOperationMask(session->sourceOperationMaskAtPoint(session->startingLocation()));
    Qt::DropAction result = m_backend.executeDrag(*drag, supported);
    drag->deleteLater();
    if (session->isRunning()) {
        QPoint pointer = QCursor::pos();
        Point end { static_cast<double>(pointer.x()), Screen::mainScreen().frame().maxY() - pointer.y() };
        if (result == Qt::IgnoreAction)
            session->cancel();
        else
            session->endWithOperation(dragOperationMaskFromQtDropActions(result), end);
    }
    m_backend.eventDelivered();
}

} // namespace brevanton
