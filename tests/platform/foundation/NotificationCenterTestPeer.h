// Reaches inside NotificationCenter: how many observers are registered, for
// tests that check that what they made observes nothing once it is gone.
#pragma once

#include "platform/foundation/NotificationCenter.h"

namespace brevanton {

class NotificationCenterTestPeer {
public:
    static size_t observerCount(const NotificationCenter& center) { return center.observerCount(); }
};

} // namespace brevanton
