// What a run loop has scheduled, for tests that check nothing is left behind.
#pragma once

#include "platform/foundation/RunLoop.h"

#include <cstddef>

namespace brevanton {

class RunLoopTestPeer {
public:
    static size_t pendingTimerCount(const RunLoop& loop) { return loop.pendingTimerCount(); }
    static size_t pendingPerformCount(const RunLoop& loop) { return loop.pendingPerformCount(); }
};

} // namespace brevanton
