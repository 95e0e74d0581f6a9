#include "platform/views/DisplayAvailability.h"

#include <cstdlib>

namespace brevanton {

static bool environmentHasValue(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

bool displayAvailable()
{
    return environmentHasValue("QT_QPA_PLATFORM") || environmentHasValue("DISPLAY")
        || environmentHasValue("WAYLAND_DISPLAY");
}

} // namespace brevanton
