// The one QApplication of a Qt test process. It always runs on the
// offscreen platform, never on a real display, so the tests give the same
// pixels everywhere.
#pragma once

#include <QApplication>

#include <cstdlib>

namespace brevanton::testing {

inline QApplication& qtApplication()
{
    static int argc = 1;
    static char name[] = "brevanton-qt-tests";
    static char* argv[] = { name, nullptr };
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return new QApplication(argc, argv);
    }();
    return *application;
}

} // namespace brevanton::testing
