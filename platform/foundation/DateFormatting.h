// Reading and writing dates as text: ISO 8601 (always the Gregorian calendar
// and a fixed POSIX locale, whatever the user's settings) and ICU patterns.
#pragma once

#include "platform/foundation/Date.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// What a date-time without a zone designator means.
enum class ZonelessDateTimes {
    Reject, // "2024-03-01T10:00:00" is not a valid ISO 8601 date-time here
    AsUTC,  // it is read as UTC (WordPress "date_gmt" values are written so)
};

// Reads "2024-03-01T10:20:30Z", "2024-03-01T10:20:30.250+02:00", "...+0200",
// "...-05", "20240301T102030Z", a space instead of "T", and the date-only forms
// "2024-03-01" / "20240301" (midnight UTC). nullopt for anything else,
// including out-of-range fields.
std::optional<Date> dateFromISO8601String(std::u16string_view text,
                                          ZonelessDateTimes zoneless = ZonelessDateTimes::Reject);
std::optional<Date> dateFromISO8601String(std::string_view text,
                                          ZonelessDateTimes zoneless = ZonelessDateTimes::Reject);

struct ISO8601WriteOptions {
    bool fractionalSeconds { false }; // ".250" (milliseconds)
    bool withZone { true };           // "Z" at the end
};
// "2024-03-01T10:20:30Z", in UTC.
std::u16string ISO8601StringFromDate(Date, ISO8601WriteOptions = {});

enum class DateFormatTimeZone { Local, UTC };
// Formats with an ICU SimpleDateFormat pattern ("yyyy_MM_dd_HH_mm_ss") in the
// POSIX locale and the Gregorian calendar.
std::u16string formatDate(Date, std::u16string_view pattern,
                          DateFormatTimeZone = DateFormatTimeZone::Local);
// The same in a named zone ("Europe/Paris"); an unknown name formats in UTC.
std::u16string formatDate(Date, std::u16string_view pattern, std::u16string_view timeZoneIdentifier);

} // namespace brevanton
