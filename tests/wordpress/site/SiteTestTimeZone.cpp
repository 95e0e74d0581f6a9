// The tests against the site run in a zone of their own, neither UTC nor the
// site's ("Europe/Berlin"), so that a date read or sent in the wrong zone
// shows. Set before main(), before anything reads the zone.
#include <cstdlib>
#include <ctime>

namespace {

struct SiteTestTimeZone {
    SiteTestTimeZone()
    {
        setenv("TZ", "America/Los_Angeles", 1);
        tzset();
    }
};

const SiteTestTimeZone siteTestTimeZone;

} // namespace
