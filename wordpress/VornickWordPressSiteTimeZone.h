// A WordPress site's time zone as its blog keeps it ("wordPressTimeZone"):
// its offset from UTC in hours, which is what the XML-RPC blog options give
// ("time_zone", the site's "gmt_offset": "5.5", "-3"). The REST settings
// name the zone instead ("timezone": "Europe/Berlin", or "UTC+5.5" where the
// site set an offset by hand); a name is taken as its offset at the moment
// the settings were read.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"

#include <optional>

namespace brevanton {

// The offset in hours a value of the settings stands for: a number or its
// text, "UTC" or "UTC" with an offset, or a zone name known to the system
// (its offset at `at`); nullopt for anything else, and for offsets beyond
// the fourteen hours any zone has.
std::optional<double> vornickWordPressTimeZoneOffsetHours(const Value&, Date at);

} // namespace brevanton
