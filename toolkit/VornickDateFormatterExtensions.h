// ISO 8601 date text and date-stamped identifiers, always in the Gregorian
// calendar and a fixed POSIX locale, whatever the user's settings.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/DateFormatting.h"

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

class Value;

// One way of reading and writing ISO 8601 text.
class VornickISO8601DateFormatter {
public:
    enum class Kind {
        // Internet date and time: "2024-03-01T10:20:30Z" written; on reading,
        // fractional seconds and numeric offsets are accepted too.
        Modern,
        // Exactly "yyyy-MM-dd'T'HH:mm:ss'Z'" in UTC.
        Legacy,
    };
    explicit VornickISO8601DateFormatter(Kind kind) : m_kind(kind) { }

    Kind kind() const { return m_kind; }
    std::u16string stringFromDate(Date) const;
    // With ZonelessDateTimes::AsUTC a date-time without a zone designator is
    // read as UTC (for values the caller knows to be GMT); otherwise it is not read.
    std::optional<Date> dateFromString(std::u16string_view, ZonelessDateTimes = ZonelessDateTimes::Reject) const;

private:
    Kind m_kind;
};

const VornickISO8601DateFormatter& vornick_modernISO8601DateFormatter();
const VornickISO8601DateFormatter& vornick_legacyISO8601DateFormatter();

// "2024-03-01T10:20:30Z".
std::u16string vornick_ISO8601StringFromDate(Date);

// The modern formatter's date, else the legacy formatter's. A string that
// neither reads gives nullopt and a line in the general log. Pass
// ZonelessDateTimes::AsUTC for values known to be GMT that carry no zone
// (WordPress "date_gmt" and "modified_gmt").
std::optional<Date> vornick_dateFromISO8601String(std::u16string_view, ZonelessDateTimes = ZonelessDateTimes::Reject);
// A date value as it is, or text read as ISO 8601 as above; none for no
// value, empty text or any other kind.
std::optional<Date> vornick_dateFromValue(const Value*, ZonelessDateTimes = ZonelessDateTimes::Reject);

// The date in the current time zone as "yyyy_MM_dd_HH_mm_ss".
std::u16string vornick_uniqueIdentifierStringFromDate(Date);

} // namespace brevanton
