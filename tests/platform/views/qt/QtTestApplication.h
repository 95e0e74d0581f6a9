// The one QApplication of a Qt test process, made on first use on the
// offscreen platform (the tests never need a display). Tests call
// qtTestApplication() before they make widgets. The application is never
// destroyed: at exit Qt's own statics may be gone before it.
#pragma once

#include <QApplication>

#include <cstdlib>

namespace brevanton {

inline QApplication& qtTestApplication()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "brevanton_platform_views_qt_tests";
    static char* argv[] = { name, nullptr };
    static auto* application = new QApplication(argc, argv);
    return *application;
}

} // namespace brevanton
