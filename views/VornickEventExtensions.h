// Log descriptions of events.
#pragma once

#include "platform/views/Event.h"

#include <string>

namespace brevanton {

// Key events as "NSEventTypeKeyDown: [Shift]+[Cmd]+a (keyCode=0x0, isARepeat=NO)",
// modifier changes as "NSEventTypeFlagsChanged: [Opt]", others by their own description.
std::string vornick_splat(const Event&);
// The modifiers as "[CapsLock]", "[Shift]", "[Fn]", "[Ctrl]", "[Opt]", "[Cmd]" in that order, joined by "+".
std::string VornickModifierFlagsDescription(ModifierFlags);

} // namespace brevanton
