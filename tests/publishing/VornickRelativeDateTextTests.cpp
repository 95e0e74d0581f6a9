#include "publishing/VornickRelativeDateText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace brevanton {
namespace {

// A local time as a date.
Date local(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    std::tm time {};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = second;
    time.tm_isdst = -1;
    return Date(static_cast<double>(std::mktime(&time)));
}

TEST(VornickRelativeDateTextTest, TheLargestUnitInWordsBothWays)
{
    Date now = local(2026, 3, 15, 12, 0, 0);
    struct Case {
        Date date;
        const char16_t* text;
    };
    for (auto& [date, text] : std::initializer_list<Case> {
             { now.addingTimeInterval(-3600), u"1 hour ago" },
             { now.addingTimeInterval(-7200), u"2 hours ago" },
             { now.addingTimeInterval(-120), u"2 minutes ago" },
             { now.addingTimeInterval(-60), u"1 minute ago" },
             { now.addingTimeInterval(-30), u"just now" },
             { now, u"just now" },
             { local(2026, 3, 14, 12), u"yesterday" },
             { local(2026, 3, 10, 12), u"5 days ago" },
             { local(2026, 2, 15, 12), u"last month" },
             { local(2025, 12, 1, 12), u"3 months ago" },
             { local(2025, 3, 15, 12), u"last year" },
             { local(2020, 1, 1, 12), u"6 years ago" },
             // Ahead (scheduled posts): the mirrored forms.
             { now.addingTimeInterval(30), u"just now" },
             { now.addingTimeInterval(3600), u"in 1 hour" },
             { now.addingTimeInterval(300), u"in 5 minutes" },
             { local(2026, 3, 16, 12), u"tomorrow" },
             { local(2026, 3, 18, 12), u"in 3 days" },
             { local(2026, 4, 15, 12), u"next month" },
             { local(2028, 3, 15, 12), u"in 2 years" },
         })
        EXPECT_EQ(VornickRelativeAgeText(date, now), text);
    EXPECT_EQ(VornickRelativeAgeText(std::nullopt, now), u"? ago");
}

TEST(VornickRelativeDateTextTest, TheSitesOffsetSetsTheCalendar)
{
    // 1 March 02:00 UTC is still 28 February at a site five hours behind.
    Date published(static_cast<double>(1740794400)); // 2025-03-01 02:00 UTC
    Date now(static_cast<double>(1743462000));       // 2025-03-31 23:00 UTC
    struct Case {
        double offset;
        const char16_t* text;
    };
    for (auto& [offset, text] : std::initializer_list<Case> { { 0, u"30 days ago" }, { -5, u"last month" }, { 5.5, u"30 days ago" } })
        EXPECT_EQ(VornickRelativeAgeText(published, now, offset), text) << offset;
}

TEST(VornickRelativeDateTextTest, CalendarDifferenceBorrowsAcrossMonthEnds)
{
    // A month from 31 January ends on the last of February (a leap year here).
    auto difference = VornickCalendarDifferenceBetween(local(2024, 1, 31, 10), local(2024, 3, 1, 9));
    EXPECT_EQ(difference.years, 0);
    EXPECT_EQ(difference.months, 1);
    EXPECT_EQ(difference.days, 0);
    EXPECT_EQ(difference.hours, 23);
    difference = VornickCalendarDifferenceBetween(local(2025, 12, 31, 23, 59, 30), local(2026, 1, 1, 0, 0, 10));
    EXPECT_EQ(difference.years, 0);
    EXPECT_EQ(difference.days, 0);
    EXPECT_EQ(difference.seconds, 40);
}

} // namespace
} // namespace brevanton
