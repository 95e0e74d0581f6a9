// What the Qt tests share: the one QApplication of a test process, made on
// first use on the offscreen platform (never a real display, so the tests give
// the same pixels everywhere; an application made elsewhere is reused), the
// bounds of what was drawn on a white image, and where a view lies in its
// window's widget. The application is never
// destroyed: at exit Qt's own statics may be gone before it.
#pragma once

#include "platform/views/View.h"

#include <QApplication>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <cstdlib>

namespace brevanton::testing {

inline QApplication& qtApplication()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "brevanton-qt-tests";
    static char* argv[] = { name, nullptr };
    static auto* application = new QApplication(argc, argv);
    return *application;
}

// The bounding rectangle of the pixels that are not white.
inline QRect inkBounds(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// The centre of `box` (the view's bounds when empty), in the view's coordinates,
// as a point of the widget that shows the view's window (whose y grows downwards).
inline QPoint centreInWidget(const QWidget& widget, const View& view, Rect box = {})
{
    if (box.isEmpty())
        box = view.bounds();
    box = view.convertRectToView(box, nullptr);
    return QPoint(static_cast<int>(box.midX()), static_cast<int>(widget.height() - box.midY()));
}

} // namespace brevanton::testing
