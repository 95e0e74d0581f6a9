#include "platform/views/qt/QtWindowBackend.h"

#include "platform/views/Application.h"
#include "platform/views/ControlSizing.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/GraphicsContext.h"
#include "platform/views/Image.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "platform/views/qt/QtControlStyle.h"
#include "platform/views/qt/QtConversions.h"
#include "platform/views/qt/QtDrawCommandPainter.h"
#include "platform/views/qt/QtRunLoopPump.h"
#include "platform/views/qt/QtWindowWidget.h"

#include <QApplication>
#include <QDrag>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QGuiApplication>
#include <QObject>

#include <cmath>

namespace brevanton {

QtWindowBackend::QtWindowBackend()
    : m_context(std::make_unique<QObject>())
{
    WindowServerConnection::setCurrent(this);
    // Layouts give controls the room the style draws them in.
    installQtControlLabelMargins();
    // Front to back: showing the back ones first leaves the front one on top.
    auto ordered = Application::shared().orderedWindows();
    for (auto it = ordered.rbegin(); it != ordered.rend(); ++it)
        windowDidChangeOrdering(**it);
    if (Application::shared().applicationIconImage())
        applicationIconImageDidChange();
}

QtWindowBackend::~QtWindowBackend()
{
    if (WindowServerConnection::current() == this) {
        WindowServerConnection::setCurrent(nullptr);
        setControlLabelMarginsMeasure({});
    }
    // Overlays and embedded widgets go with their parents' widgets, which
    // take them out of the table as they go (the context's connections), so
    // that none is deleted twice, whatever the table's order.
    while (!m_widgets.empty()) {
        auto it = m_widgets.begin();
        QtWindowWidget* widget = it->second;
        m_widgets.erase(it);
        delete widget;
    }
    m_context.reset();
}

QtWindowWidget* QtWindowBackend::widgetForWindow(const Window& window) const
{
    auto found = m_widgets.find(&window);
    return found == m_widgets.end() ? nullptr : found->second;
}

void QtWindowBackend::eventDelivered() const
{
    if (m_eventDelivered && !QtRunLoopPump::isHeld())
        m_eventDelivered();
}

void QtWindowBackend::displayWindowsDuringBusyWork()
{
    if (m_displayingDuringBusyWork)
        return;
    m_displayingDuringBusyWork = true;
    QtRunLoopPump::Hold hold;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    m_displayingDuringBusyWork = false;
}

std::optional<Rect> QtWindowBackend::caretRectangle(const Window& window) const
{
    return m_caretRectangleQuery ? m_caretRectangleQuery(window) : std::nullopt;
}

bool QtWindowBackend::isOverlay(const Window& window)
{
    return window.parentWindow() && !(window.styleMask() & WindowStyle::Titled);
}

void QtWindowBackend::qtGeometryOfWindow(const Window& window, int& x, int& y, int& width, int& height)
{
    Rect frame = window.frame();
    double top;
    double left;
    if (auto parent = window.parentWindow(); parent && isOverlay(window)) {
        left = frame.minX() - parent->frame().minX();
        top = parent->frame().maxY() - frame.maxY();
    } else {
        left = frame.minX();
        top = Screen::mainScreen().frame().maxY() - frame.maxY();
    }
    x = static_cast<int>(std::lround(left));
    y = static_cast<int>(std::lround(top));
    width = std::max(1, static_cast<int>(std::lround(frame.width())));
    height = std::max(1, static_cast<int>(std::lround(frame.height())));
}

QtWindowWidget* QtWindowBackend::embedWindowInWidget(Window& window, QWidget* parent)
{
    if (auto* existing = widgetForWindow(window))
        return existing;
    auto shared = std::static_pointer_cast<Window>(window.weak_from_this().lock());
    if (!shared || !parent)
        return nullptr;
    auto* widget = new QtWindowWidget(*this, shared, parent, Qt::Widget);
    const Window* key = &window;
    QObject::connect(widget, &QObject::destroyed, m_context.get(), [this, key, widget] {
        m_embeddedWidgets.erase(widget);
        auto found = m_widgets.find(key);
        if (found != m_widgets.end() && found->second == widget)
            m_widgets.erase(found);
    });
    m_widgets[key] = widget;
    m_embeddedWidgets.insert(widget);
    widget->setVisible(window.isVisible());
    return widget;
}

QtWindowWidget* QtWindowBackend::makeWidget(Window& window)
{
    auto shared = std::static_pointer_cast<Window>(window.weak_from_this().lock());
    if (!shared)
        return nullptr;
    QWidget* parentWidget = nullptr;
    Qt::WindowFlags flags = Qt::Window;
    if (auto parent = window.parentWindow()) {
        parentWidget = widgetForWindow(*parent);
        if (!parentWidget)
            return nullptr;
        flags = isOverlay(window) ? Qt::Widget : Qt::Tool;
    } else if (!(window.styleMask() & WindowStyle::Titled)) {
        flags = Qt::Tool | Qt::FramelessWindowHint;
    }
    auto* widget = new QtWindowWidget(*this, shared, parentWidget, flags);
    const Window* key = &window;
    QObject::connect(widget, &QObject::destroyed, m_context.get(), [this, key, widget] {
        auto found = m_widgets.find(key);
        if (found != m_widgets.end() && found->second == widget)
            m_widgets.erase(found);
    });
    m_widgets[key] = widget;
    // A window that never takes the keyboard (an overlay over a page) leaves
    // the focus to its parent: Qt gives an activated window's focus to its
    // first child that accepts it, where keys would reach no responder.
    if (!window.canBecomeKeyWindow())
        widget->setFocusPolicy(Qt::NoFocus);
    widget->takeInputMethodHints();
    if (widget->isWindow() && m_widgetMade)
        m_widgetMade(window, *widget);
    return widget;
}

void QtWindowBackend::applyGeometry(Window& window, QtWindowWidget& widget)
{
    if (m_embeddedWidgets.count(&widget))
        return;
    int x, y, width, height;
    qtGeometryOfWindow(window, x, y, width, height);
    // A menu bar goes above the content, which stays where the frame says;
    // an overlay is placed in its parent's content, below the parent's bar.
    if (auto parent = window.parentWindow(); parent && isOverlay(window)) {
        if (auto* parentWidget = widgetForWindow(*parent))
            y += parentWidget->contentTop();
    } else {
        y -= widget.contentTop();
        height += widget.contentTop();
    }
    widget.setApplyingWindowGeometry(true);
    widget.setGeometry(x, y, width, height);
    widget.setApplyingWindowGeometry(false);
}

void QtWindowBackend::windowDidChangeOrdering(Window& window)
{
    auto* widget = widgetForWindow(window);
    if (!window.isVisible()) {
        if (!widget)
            return;
        bool hadKeyboard = widget->isWindow() && widget->isActiveWindow();
        widget->hide();
        // A window system without a window manager gives the keyboard to no
        // one when the window that had it goes (a closed popover): the front
        // window that can take it does, as on the desktop.
        if (hadKeyboard)
            giveKeyboardToFrontWindow();
        return;
    }
    if (!widget)
        widget = makeWidget(window);
    if (!widget)
        return;
    if (m_embeddedWidgets.count(widget)) {
        widget->show();
        widget->update();
        return;
    }
    applyGeometry(window, *widget);
    widget->takeWindowAppearance();
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, window.ignoresMouseEvents());
    widget->show();
    // The offscreen platform (tests) has no stacking to change.
    if (!widget->isWindow() || QGuiApplication::platformName() != QLatin1String("offscreen"))
        widget->raise();
    widget->update();
}

void QtWindowBackend::giveKeyboardToFrontWindow()
{
    for (auto& front : Application::shared().orderedWindows()) {
        if (!front->canBecomeKeyWindow() || front->ignoresMouseEvents() || isOverlay(*front))
            continue;
        auto* widget = widgetForWindow(*front);
        if (!widget || !widget->isWindow() || !widget->isVisible())
            continue;
        widget->activateWindow();
        front->makeKeyWindow();
        return;
    }
}

void QtWindowBackend::windowFrameDidChange(Window& window)
{
    if (auto* widget = widgetForWindow(window))
        applyGeometry(window, *widget);
}

void QtWindowBackend::windowDocumentEditedDidChange(Window& window)
{
    if (auto* widget = widgetForWindow(window))
        widget->takeWindowAppearance();
}

void QtWindowBackend::windowSizeLimitsDidChange(Window& window)
{
    if (auto* widget = widgetForWindow(window))
        widget->takeWindowAppearance();
}

QImage QtWindowBackend::qtImageOfImage(const Image& image, int pixels)
{
    QImage picture(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    GraphicsContext context;
    Size size = image.size();
    double scale = size.width > 0 && size.height > 0 ? std::min(pixels / size.width, pixels / size.height) : 1;
    Size drawn { size.width * scale, size.height * scale };
    // Shares the image: the command keeps what it draws.
    context.drawImage(std::shared_ptr<const Image>(std::shared_ptr<const Image> {}, &image),
                      Rect((pixels - drawn.width) / 2, (pixels - drawn.height) / 2, drawn.width, drawn.height));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QtDrawCommandPainter(painter, QtDrawCommandPainter::forWindowContentHeight(pixels)).paint(context.commands());
    return picture;
}

void QtWindowBackend::applicationIconImageDidChange()
{
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!application)
        return;
    const auto& image = Application::shared().applicationIconImage();
    QIcon icon;
    if (image) {
        for (int pixels : { 16, 32, 64, 128 })
            icon.addPixmap(QPixmap::fromImage(qtImageOfImage(*image, pixels)));
    }
    QApplication::setWindowIcon(icon);
}

void QtWindowBackend::windowFirstResponderDidChange(Window& window)
{
    if (auto* widget = widgetForWindow(window))
        widget->takeInputMethodHints();
}

void QtWindowBackend::windowViewsNeedDisplay(Window& window)
{
    if (auto* widget = widgetForWindow(window)) {
        widget->viewsNeedDisplay();
        widget->update();
    }
}

void QtWindowBackend::windowViewsNeedDisplayInRect(Window& window, const Rect& rect)
{
    auto* widget = widgetForWindow(window);
    if (!widget)
        return;
    widget->viewsNeedDisplay();
    // Whole pixels around the part, from the window's y-up coordinates.
    Rect outer = rect.integral();
    QRect part(static_cast<int>(outer.minX()), static_cast<int>(widget->height() - outer.maxY()),
               static_cast<int>(outer.width()), static_cast<int>(outer.height()));
    if (part.isEmpty())
        widget->update();
    else
        widget->update(part.adjusted(-1, -1, 1, 1));
}

void QtWindowBackend::windowWillBeDestroyed(Window& window)
{
    forget(&window);
}

void QtWindowBackend::draggingSessionDidBegin(DraggingSession& session)
{
    m_pendingDraggingSession = session.weak_from_this();
}

std::shared_ptr<DraggingSession> QtWindowBackend::takePendingDraggingSession()
{
    auto session = m_pendingDraggingSession.lock();
    m_pendingDraggingSession.reset();
    return session && session->isRunning() ? session : nullptr;
}

Qt::DropAction QtWindowBackend::executeDrag(QDrag& drag, Qt::DropActions supported) const
{
    if (m_dragExecutor)
        return m_dragExecutor(drag, supported);
    return drag.exec(supported);
}

void QtWindowBackend::forget(const Window* window)
{
    auto found = m_widgets.find(window);
    if (found == m_widgets.end())
        return;
    QtWindowWidget* widget = found->second;
    m_widgets.erase(found);
    // The widget may be painting or handling an event of the window now.
    widget->hide();
    widget->deleteLater();
}

} // namespace brevanton
