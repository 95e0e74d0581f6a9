// A test binary run by hand, outside CTest, gets the same sheltered
// environment CTest gives it: resources from the source tree, a file keychain
// and XDG folders inside the build, so that no test ever reads or writes the
// user's own configuration, caches or keychain. Variables already set win.

#include <cstdlib>

namespace {

struct TestEnvironmentDefaults {
    TestEnvironmentDefaults()
    {
        setenv("BREVANTON_RESOURCES_DIR", BREVANTON_RESOURCES_DIR, 0);
        setenv("BREVANTON_KEYCHAIN", "file", 0);
        setenv("XDG_CACHE_HOME", BREVANTON_TEST_HOME "/cache", 0);
        setenv("XDG_CONFIG_HOME", BREVANTON_TEST_HOME "/config", 0);
        setenv("XDG_DATA_HOME", BREVANTON_TEST_HOME "/data", 0);
    }
};

// Constructed before main() and before any test reads the environment.
const TestEnvironmentDefaults testEnvironmentDefaults;

} // namespace
