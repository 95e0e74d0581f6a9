// The event the application is sending, while Application::sendEvent runs:
// an action reads the modifier keys of the click or key that sent it.
#pragma once

namespace brevanton {

class Event;

// Null outside Application::sendEvent. Main thread only.
const Event* currentApplicationEvent();

} // namespace brevanton
