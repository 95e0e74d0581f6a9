#include "platform/views/Appearance.h"

#include <atomic>

namespace brevanton {

namespace {
std::atomic<AppearanceName> currentAppearance { AppearanceName::Aqua };
// -1 when no override is in force on the thread, else the AppearanceName.
thread_local int overrideAppearance = -1;
}

AppearanceName Appearance::current()
{
    if (overrideAppearance >= 0)
        return static_cast<AppearanceName>(overrideAppearance);
    return currentAppearance.load();
}

Appearance::ScopedOverride::ScopedOverride(AppearanceName name)
    : m_previous(overrideAppearance)
{
    overrideAppearance = static_cast<int>(name);
}

Appearance::ScopedOverride::~ScopedOverride()
{
    overrideAppearance = m_previous;
}

void Appearance::setCurrent(AppearanceName name)
{
    currentAppearance.store(name);
}

} // namespace brevanton
