// The offscreen QApplication the Qt drawing benchmarks paint with, made
// once by the first that needs it.
#pragma once

#include <QApplication>
#include <QCoreApplication>

#include <cstdlib>

namespace brevanton {

inline void ensureQtBenchApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "brevanton-qt-bench";
    static char* argv[] = { name, nullptr };
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(argc, argv);
}

} // namespace brevanton
