// VornickApplicationEnvironment: what the libraries below the application ask
// of the program they run in (the projects, the blogs and the WordPress
// service): its user defaults, whether it works offline, and a place for an
// authorisation that waits for the web browser. The application implements
// it; without one (a library used on its own, its tests) the standard user
// defaults serve, the program works online and no authorisation can wait.
// Main thread.
#pragma once

#include "platform/foundation/URL.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace brevanton {

class UserDefaults;
class VornickAuthorizationFlowSession;

// Posted (object: the environment) when the working-offline setting changes.
inline constexpr const char* VornickWorkingOfflineDidChangeNotification = "VornickWorkingOfflineDidChangeNotification";

// Minutes between automatic blog syncs; 0 or less turns them off.
inline constexpr const char16_t* VornickWordPressSyncIntervalDefaultsKey = u"WordPressSyncInterval";
// Posted (no object) by whoever sets the sync interval default; every blog
// synchronizer plans its next automatic sync again.
inline constexpr const char* VornickWordPressSyncIntervalPreferenceDidChangeNotification
    = "VornickWordPressSyncIntervalPreferenceDidChangeNotification";

// The sync interval in minutes as every reader takes it: the stored
// "WordPressSyncInterval" when it is a number from 0 (off) to 1440 (a day),
// else 5, the registered value; 0 (off) where nothing registered it.
int64_t VornickWordPressSyncInterval(const UserDefaults&);

class VornickApplicationEnvironment {
public:
    virtual ~VornickApplicationEnvironment() = default;

    virtual UserDefaults& userDefaults() const = 0;
    // The user default "WorkingOffline": no blog syncs while it is on.
    virtual bool workingOffline() const = 0;
    // Holds the authorisation flow in progress (replacing an earlier one)
    // until the web browser hands the program's redirect URL back.
    virtual void setCurrentAuthorizationFlow(std::shared_ptr<VornickAuthorizationFlowSession>) = 0;

    // The environment of the running program, or null.
    static std::shared_ptr<VornickApplicationEnvironment> current();
    // The application installs how its environment is found (once, at start);
    // null uninstalls it.
    using Lookup = std::function<std::shared_ptr<VornickApplicationEnvironment>()>;
    static void installLookup(Lookup);

    // The user defaults of current(), else UserDefaults::standard().
    static UserDefaults& currentUserDefaults();
    // Whether current() works offline; false without one.
    static bool currentlyWorkingOffline();
};

} // namespace brevanton
