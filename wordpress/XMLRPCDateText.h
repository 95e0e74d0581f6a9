// The text of XML-RPC dateTime.iso8601 values: "yyyyMMdd'T'HH:mm:ss" (and, on
// reading, "yyyy-MM-dd'T'HH:mm:ss"), always in the Gregorian calendar,
// whatever the user's settings.
#pragma once

#include "platform/foundation/Date.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// What zone the fields of a date text are in. WordPress writes its "*_gmt"
// members in UTC and the others in the site's own time, which the client can
// only take for the local time.
enum class XMLRPCDateTimeZone { Local, UTC };

// "20240102T03:04:05", the date's fields in UTC: WordPress reads the "*_gmt"
// members it is sent that way.
std::u16string XMLRPCDateStringFromDate(Date);

// The date of one of the two fixed forms, read in `zone`; nullopt for other
// text, for fields out of range, and for the all-zero date
// ("00000000T00:00:00"), by which WordPress says there is none. Local time
// is the zone as tzset() last read it: a reader of many dates calls tzset()
// once before them.
std::optional<Date> dateFromXMLRPCDateString(std::u16string_view, XMLRPCDateTimeZone);

} // namespace brevanton
