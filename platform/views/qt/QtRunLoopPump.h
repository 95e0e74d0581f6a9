// QtRunLoopPump: our main RunLoop inside Qt's event loop. Qt's loop runs
// (QApplication::exec) and waits for window-system input; a timer of it runs
// one turn of the main RunLoop (blocks, timers, delayed performs and file
// descriptor sources that are due, without waiting), at once again after a
// turn that ran something and after `idleInterval` otherwise. The window
// backend also runs a turn right after each event it delivered, so the
// event's undo group closes and what it posted runs before the next event.
// While a Hold lives neither runs a turn: Qt's loop then only draws.
#pragma once

#include <memory>

class QTimer;

namespace brevanton {

class QtRunLoopPump {
public:
    explicit QtRunLoopPump(double idleIntervalSeconds = 0.004);
    ~QtRunLoopPump();
    QtRunLoopPump(const QtRunLoopPump&) = delete;
    QtRunLoopPump& operator=(const QtRunLoopPump&) = delete;

    // One turn of the main run loop; answers whether anything ran.
    bool turn();

    // While one lives, Qt's loop runs no turn of the main run loop.
    class Hold {
    public:
        Hold();
        ~Hold();
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
    };
    static bool isHeld();

private:
    int m_idleIntervalMilliseconds;
    std::unique_ptr<QTimer> m_timer;
};

} // namespace brevanton
