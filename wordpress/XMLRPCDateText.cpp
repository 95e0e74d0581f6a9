#include "wordpress/XMLRPCDateText.h"

#include <cmath>
#include <ctime>
#include <fmt/format.h>

namespace brevanton {

namespace {

// Days from 1970-01-01 to the date, in the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    auto yearOfEra = static_cast<unsigned>(year - era * 400);
    unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

struct CivilDate {
    int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate civilFromDays(int64_t days)
{
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    unsigned day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    unsigned month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    return { static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2), month, day };
}

bool isLeapYear(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

unsigned daysInMonth(int64_t year, unsigned month)
{
    static constexpr unsigned days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

// The offset of local time from UTC at the instant, by the zone as tzset()
// last read it; nullopt when the system cannot tell.
std::optional<int64_t> localOffsetAt(int64_t instant)
{
    auto seconds = static_cast<std::time_t>(instant);
    std::tm fields {};
    if (!localtime_r(&seconds, &fields))
        return std::nullopt;
    return static_cast<int64_t>(fields.tm_gmtoff);
}

// Reads `count` digits at `text[at]`, moving `at` past them.
std::optional<unsigned> digits(std::u16string_view text, size_t& at, size_t count)
{
    if (at + count > text.size())
        return std::nullopt;
    unsigned value = 0;
    for (size_t end = at + count; at < end; ++at) {
        char16_t c = text[at];
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return value;
}

bool literal(std::u16string_view text, size_t& at, char16_t expected)
{
    if (at >= text.size() || text[at] != expected)
        return false;
    ++at;
    return true;
}

} // namespace

std::u16string XMLRPCDateStringFromDate(Date date)
{
    auto seconds = static_cast<int64_t>(std::floor(date.timeIntervalSince1970()));
    int64_t days = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    int64_t secondOfDay = seconds - days * 86400;
    CivilDate civil = civilFromDays(days);
    std::string text = fmt::format("{:04}{:02}{:02}T{:02}:{:02}:{:02}", civil.year, civil.month, civil.day, secondOfDay / 3600,
        secondOfDay / 60 % 60, secondOfDay % 60);
    return std::u16string(text.begin(), text.end());
}

std::optional<Date> dateFromXMLRPCDateString(std::u16string_view text, XMLRPCDateTimeZone zone)
{
    bool dashed = text.size() == 19;
    if (!dashed && text.size() != 17)
        return std::nullopt;
    size_t at = 0;
    auto year = digits(text, at, 4);
    if (dashed && !literal(text, at, u'-'))
        return std::nullopt;
    auto month = digits(text, at, 2);
    if (dashed && !literal(text, at, u'-'))
        return std::nullopt;
    auto day = digits(text, at, 2);
    if (!literal(text, at, u'T'))
        return std::nullopt;
    auto hour = digits(text, at, 2);
    if (!literal(text, at, u':'))
        return std::nullopt;
    auto minute = digits(text, at, 2);
    if (!literal(text, at, u':'))
        return std::nullopt;
    auto second = digits(text, at, 2);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *day > daysInMonth(*year, *month) || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;

    int64_t fieldsAsUTC = daysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
    if (zone == XMLRPCDateTimeZone::UTC)
        return Date(static_cast<double>(fieldsAsUTC));
    // Away from the zone's changes of offset (none two days either side),
    // local fields name one instant, found without mktime(), which reads the
    // zone's file again on every call. Near a change, mktime() decides.
    if (auto offset = localOffsetAt(fieldsAsUTC)) {
        int64_t instant = fieldsAsUTC - *offset;
        constexpr int64_t twoDays = 2 * 86400;
        if (localOffsetAt(instant) == offset && localOffsetAt(instant - twoDays) == offset && localOffsetAt(instant + twoDays) == offset)
            return Date(static_cast<double>(instant));
    }
    std::tm fields {};
    fields.tm_year = static_cast<int>(*year) - 1900;
    fields.tm_mon = static_cast<int>(*month) - 1;
    fields.tm_mday = static_cast<int>(*day);
    fields.tm_hour = static_cast<int>(*hour);
    fields.tm_min = static_cast<int>(*minute);
    fields.tm_sec = static_cast<int>(*second);
    fields.tm_isdst = -1;
    std::time_t seconds = std::mktime(&fields);
    return Date(static_cast<double>(seconds));
}

} // namespace brevanton
