#include "publishing/VornickRelativeDateText.h"

#include "platform/foundation/Text.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace brevanton {

namespace {

bool isLeapYear(long year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

long daysInMonth(long year, int month)
{
    static constexpr int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 1 && isLeapYear(year) ? 29 : days[month];
}

// The calendar the difference is reckoned in: the user's time zone, or a
// fixed offset from UTC (a site's).
struct Calendar {
    std::optional<double> utcOffsetHours;

    long offsetSeconds() const { return std::lround(*utcOffsetHours * 3600); }

    std::tm fields(double seconds) const
    {
        std::tm result {};
        if (utcOffsetHours) {
            auto shifted = static_cast<std::time_t>(seconds) + offsetSeconds();
            gmtime_r(&shifted, &result);
        } else {
            auto time = static_cast<std::time_t>(seconds);
            localtime_r(&time, &result);
        }
        return result;
    }

    double seconds(std::tm fields) const
    {
        if (utcOffsetHours)
            return static_cast<double>(timegm(&fields) - offsetSeconds());
        fields.tm_isdst = -1;
        return static_cast<double>(std::mktime(&fields));
    }
};

std::u16string number(long value)
{
    return toUTF16(std::to_string(value));
}

std::u16string plural(long count)
{
    return count == 1 ? u"" : u"s";
}

// The same time of day `months` later, on the month's last day when it is shorter.
double addingMonths(const Calendar& calendar, const std::tm& time, long months)
{
    std::tm result = time;
    long month = time.tm_mon + months;
    long year = 1900L + time.tm_year + (month >= 0 ? month / 12 : (month - 11) / 12);
    month = ((month % 12) + 12) % 12;
    result.tm_year = static_cast<int>(year - 1900);
    result.tm_mon = static_cast<int>(month);
    result.tm_mday = static_cast<int>(std::min<long>(time.tm_mday, daysInMonth(year, static_cast<int>(month))));
    return calendar.seconds(result);
}

} // namespace

VornickCalendarDifference VornickCalendarDifferenceBetween(Date from, Date to, std::optional<double> utcOffsetHours)
{
    VornickCalendarDifference difference;
    double start = std::floor(from.timeIntervalSince1970());
    double end = std::floor(to.timeIntervalSince1970());
    if (end <= start)
        return difference;
    Calendar calendar { utcOffsetHours };
    std::tm a = calendar.fields(start);
    std::tm b = calendar.fields(end);
    // Whole months first (as many as fit), then what is left in seconds.
    long months = (b.tm_year - a.tm_year) * 12L + (b.tm_mon - a.tm_mon);
    while (months > 0 && addingMonths(calendar, a, months) > end)
        --months;
    double rest = end - (months > 0 ? addingMonths(calendar, a, months) : start);
    difference.years = months / 12;
    difference.months = months % 12;
    auto seconds = static_cast<long>(rest);
    difference.days = seconds / 86400;
    difference.hours = seconds % 86400 / 3600;
    difference.minutes = seconds % 3600 / 60;
    difference.seconds = seconds % 60;
    return difference;
}

std::u16string VornickRelativeAgeText(std::optional<Date> date, Date now, std::optional<double> utcOffsetHours)
{
    if (!date)
        return u"? ago";
    bool ahead = *date > now;
    auto d = ahead ? VornickCalendarDifferenceBetween(now, *date, utcOffsetHours)
                   : VornickCalendarDifferenceBetween(*date, now, utcOffsetHours);
    if (d.years)
        return d.years == 1 ? (ahead ? u"next year" : u"last year")
                            : (ahead ? u"in " + number(d.years) + u" years" : number(d.years) + u" years ago");
    if (d.months)
        return d.months == 1 ? (ahead ? u"next month" : u"last month")
                             : (ahead ? u"in " + number(d.months) + u" months" : number(d.months) + u" months ago");
    if (d.days)
        return d.days == 1 ? (ahead ? u"tomorrow" : u"yesterday")
                           : (ahead ? u"in " + number(d.days) + u" days" : number(d.days) + u" days ago");
    if (d.hours)
        return ahead ? u"in " + number(d.hours) + u" hour" + plural(d.hours)
                     : number(d.hours) + u" hour" + plural(d.hours) + u" ago";
    if (d.minutes)
        return ahead ? u"in " + number(d.minutes) + u" minute" + plural(d.minutes)
                     : number(d.minutes) + u" minute" + plural(d.minutes) + u" ago";
    return u"just now";
}

} // namespace brevanton
