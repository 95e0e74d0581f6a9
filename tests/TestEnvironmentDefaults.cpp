// A test binary run by hand, outside CTest, gets the same sheltered
// environment CTest gives it: resources from the source tree, a file keychain
// and XDG folders inside the build, so that no test ever reads or writes the
// user's own configuration, caches or keychain. Variables already set win.
//
// CTest runs tests side by side, each in a process of its own: every process
// gets XDG folders of its own below those, removed when it ends, so that one
// test's saved defaults or caches never reach a test running beside it or a
// later run. Temporary files go to a folder of the process's own too
// (TMPDIR, kept short: socket paths are limited to about a hundred bytes),
// so that the folders fixtures make are gone with the process even when a
// test fails before removing its own. A forked child that exits removes
// nothing: the folders are its parent's.
//
// No test reaches past this machine: every HTTP and HTTPS request to a host
// other than the loopback (127.0.0.1, localhost, ::1) goes through a proxy
// on the loopback that nobody serves, so it is refused at once, without a
// name lookup (test pages link images on other hosts, as real pages do). The
// proxy's port is a privileged one, which no test's server can take.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

struct TestEnvironmentDefaults {
    pid_t owner { getpid() };
    std::string processHome;
    std::string processTemporary;

    TestEnvironmentDefaults()
    {
        setenv("BREVANTON_RESOURCES_DIR", BREVANTON_RESOURCES_DIR, 0);
        setenv("BREVANTON_KEYCHAIN", "file", 0);
        setenv("XDG_CACHE_HOME", BREVANTON_TEST_HOME "/cache", 0);
        setenv("XDG_CONFIG_HOME", BREVANTON_TEST_HOME "/config", 0);
        setenv("XDG_DATA_HOME", BREVANTON_TEST_HOME "/data", 0);
        for (const char* variable : { "all_proxy", "http_proxy", "https_proxy", "ALL_PROXY", "HTTPS_PROXY" })
            setenv(variable, "http://127.0.0.1:9", 1);
        for (const char* variable : { "no_proxy", "NO_PROXY" })
            setenv(variable, "127.0.0.1,localhost,::1", 1);
#ifdef BREVANTON_WORDPRESS_SITE
        // The state folder of the build's test WordPress site (tests/wordpress-site/).
        setenv("BREVANTON_WORDPRESS_SITE", BREVANTON_WORDPRESS_SITE, 0);
#endif

        processHome = std::string(BREVANTON_TEST_HOME) + "/process-" + std::to_string(getpid());
        for (const char* variable : { "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME" }) {
            std::string folder = processHome + "/" + variable;
            setenv(variable, folder.c_str(), 1);
        }
        const char* base = getenv("TMPDIR");
        std::string pattern = std::string(base && base[0] == '/' ? base : "/tmp") + "/brevanton-test-XXXXXX";
        if (mkdtemp(pattern.data())) {
            processTemporary = pattern;
            setenv("TMPDIR", processTemporary.c_str(), 1);
        }
    }
    ~TestEnvironmentDefaults()
    {
        if (getpid() != owner)
            return;
        std::error_code error;
        std::filesystem::remove_all(processHome, error);
        if (!processTemporary.empty())
            std::filesystem::remove_all(processTemporary, error);
    }
};

// Constructed before main() and before any test reads the environment.
const TestEnvironmentDefaults testEnvironmentDefaults;

} // namespace
