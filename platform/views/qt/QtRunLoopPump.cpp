#include "platform/views/qt/QtRunLoopPump.h"

#include "platform/foundation/RunLoop.h"

#include <QTimer>

#include <cmath>

namespace brevanton {

namespace {

// Holds alive (main thread only, as Qt's loop).
int holds = 0;

} // namespace

QtRunLoopPump::Hold::Hold()
{
    ++holds;
}

QtRunLoopPump::Hold::~Hold()
{
    --holds;
}

bool QtRunLoopPump::isHeld()
{
    return holds > 0;
}

QtRunLoopPump::QtRunLoopPump(double idleIntervalSeconds)
    : m_idleIntervalMilliseconds(std::max(1, static_cast<int>(std::lround(idleIntervalSeconds * 1000))))
    , m_timer(std::make_unique<QTimer>())
{
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(m_idleIntervalMilliseconds);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { m_timer->setInterval(turn() ? 0 : m_idleIntervalMilliseconds); });
    m_timer->start();
}

QtRunLoopPump::~QtRunLoopPump() = default;

bool QtRunLoopPump::turn()
{
    return !isHeld() && RunLoop::main().runOnce(0);
}

} // namespace brevanton
