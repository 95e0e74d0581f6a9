#include "toolkit/VornickApplicationEnvironment.h"

#include "platform/foundation/UserDefaults.h"

#include <utility>

namespace brevanton {

namespace {

VornickApplicationEnvironment::Lookup& installedLookup()
{
    static VornickApplicationEnvironment::Lookup lookup;
    return lookup;
}

} // namespace

int64_t VornickWordPressSyncInterval(const UserDefaults& defaults)
{
    constexpr int64_t registered = 5;
    constexpr int64_t longest = 24 * 60;
    Value stored = defaults.objectForKey(VornickWordPressSyncIntervalDefaultsKey);
    // Defaults where nothing registered it (tools, tests): automatic syncs off.
    if (stored.isNull())
        return 0;
    if (stored.isInteger()) {
        int64_t minutes = stored.integerValue();
        return minutes < 0 || minutes > longest ? registered : minutes;
    }
    // A real number from a hand-edited file: its whole minutes, when in range.
    if (stored.isReal()) {
        double minutes = stored.doubleValue();
        return minutes >= 0 && minutes <= static_cast<double>(longest) ? static_cast<int64_t>(minutes) : registered;
    }
    return registered;
}

std::shared_ptr<VornickApplicationEnvironment> VornickApplicationEnvironment::current()
{
    const auto& lookup = installedLookup();
    return lookup ? lookup() : nullptr;
}

void VornickApplicationEnvironment::installLookup(Lookup lookup)
{
    installedLookup() = std::move(lookup);
}

UserDefaults& VornickApplicationEnvironment::currentUserDefaults()
{
    auto environment = current();
    return environment ? environment->userDefaults() : UserDefaults::standard();
}

bool VornickApplicationEnvironment::currentlyWorkingOffline()
{
    auto environment = current();
    return environment && environment->workingOffline();
}

} // namespace brevanton
