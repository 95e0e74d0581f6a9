#include "platform/views/qt/QtWindowWidget.h"

#include "platform/foundation/RunLoop.h"
#include "platform/views/Application.h"
#include "platform/views/ClipView.h"
#include "platform/views/Cursor.h"
#include "platform/views/Image.h"
#include "platform/views/Screen.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtDrawCommandPainter.h"
#include "platform/views/qt/QtWindowBackend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

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
    QString title = qtString(window->title());
    if (title != windowTitle())
        setWindowTitle(title);
    if (std::abs(windowOpacity() - window->alphaValue()) > 1.0 / 512)
        setWindowOpacity(window->alphaValue());
}

void QtWindowWidget::paintEvent(QPaintEvent* event)
{
    auto window = viewWindow();
    QPainter painter(this);
    if (!window)
        return;
    QRect area = event->rect();
    if (window->isOpaque() && !QtWindowBackend::isOverlay(*window))
        painter.fillRect(area, qtColor(window->backgroundColor()));
    if (QtWindowBackend::isOverlay(*window))
        painter.setOpacity(window->alphaValue());
    // What the views draw in the part, recorded without touching their
    // display marks (the window's own recording is for headless runs).
    std::shared_ptr<Image> drawing;
    if (auto content = window->contentView()) {
        Rect base(area.x(), height() - area.y() - area.height(), area.width(), area.height());
        drawing = content->cacheDisplayInRect(content->convertRectFromView(base, nullptr));
    }
    painter.setClipRect(area);
    QtDrawCommandPainter replay(painter, QtDrawCommandPainter::forWindowContentHeight(height()));
    if (drawing) {
        replay.paint(drawing->drawing());
        m_lastPaintedCommands = drawing->drawing();
    } else {
        m_lastPaintedCommands.clear();
    }
    ++m_paintCount;
    window->setViewsNeedDisplay(false);
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
    // them, else 40 points per notch (15 degrees).
    QPointF delta = !event->pixelDelta().isNull() ? QPointF(event->pixelDelta()) : QPointF(event->angleDelta()) * (40.0 / 120);
    auto view = content->hitTest(basePoint(event->position()));
    for (; view; view = view->superview()) {
        auto clip = std::dynamic_pointer_cast<ClipView>(view);
        if (!clip || !clip->documentView())
            continue;
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
    // (the text input's insertion path); the preedit text is not shown.
    auto window = viewWindow();
    if (!window || event->commitString().isEmpty())
        return;
    std::u16string text = fromQtString(event->commitString());
    deliver(Event::keyEvent(EventType::KeyDown, window->mouseLocationOutsideOfEventStream(), 0,
                            RunLoop::main().now().timeIntervalSince1970(), window, text, text,
                            false, 0));
    event->accept();
}

QVariant QtWindowWidget::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query != Qt::ImCursorRectangle && query != Qt::ImEnabled)
        return QWidget::inputMethodQuery(query);
    if (query == Qt::ImEnabled)
        return true;
    // Where the input method places its window: the caret, when the layers
    // above tell, else the first responder's visible part.
    auto window = viewWindow();
    if (!window)
        return QRect();
    auto base = m_backend.caretRectangle(*window);
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
    QRect geometry = this->geometry();
    double screenTop = Screen::mainScreen().frame().maxY();
    Rect frame(geometry.x(), screenTop - geometry.y() - geometry.height(), geometry.width(), geometry.height());
    if (frame != window->frame())
        window->setFrame(frame);
}

void QtWindowWidget::resizeEvent(QResizeEvent*)
{
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
    if (window) {
        window->performClose();
        m_backend.eventDelivered();
    }
}

void QtWindowWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        if (auto window = viewWindow(); window && !window->isKeyWindow() && window->canBecomeKeyWindow())
            window->makeKeyWindow();
    }
    QWidget::changeEvent(event);
}

} // namespace brevanton
