#include "platform/views/Appearance.h"

#include <atomic>

namespace brevanton {

namespace {
std::atomic<AppearanceName> currentAppearance { AppearanceName::Aqua };
}

AppearanceName Appearance::current()
{
    return currentAppearance.load();
}

void Appearance::setCurrent(AppearanceName name)
{
    currentAppearance.store(name);
}

} // namespace brevanton
