// The offscreen QApplication the Qt drawing benchmarks paint with, made
// once by the first that needs it.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <QtGlobal>

#include <cstdlib>

namespace brevanton {

// The offscreen platform says on stderr, each time, that it cannot do what a
// window system does (raise a window shown as a tool window, for one): the
// write costs as much as a small paint and varies with where stderr goes, so
// a timed part that shows a window would measure the terminal. Those notices
// are dropped; every other message goes where it went.
inline void dropOffscreenPlatformNotices()
{
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.startsWith(QLatin1String("This plugin does not support")))
            return;
        // Qt hands back its own handler when none was installed.
        if (previous)
            previous(type, context, message);
    });
}

inline void ensureQtBenchApplication()
{
    if (QCoreApplication::instance())
        return;
    dropOffscreenPlatformNotices();
    static int argc = 1;
    static char name[] = "brevanton-qt-bench";
    static char* argv[] = { name, nullptr };
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(argc, argv);
}

} // namespace brevanton
