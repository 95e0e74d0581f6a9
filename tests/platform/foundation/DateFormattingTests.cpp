#include "platform/foundation/DateFormatting.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace brevanton;

static double seconds(std::u16string_view text, ZonelessDateTimes zoneless = ZonelessDateTimes::Reject)
{
    auto date = dateFromISO8601String(text, zoneless);
    EXPECT_TRUE(date.has_value()) << std::string(text.begin(), text.end());
    return date ? date->timeIntervalSince1970() : -1;
}

TEST(ISO8601, ReadsZonesFractionsAndBasicForms)
{
    const double expected = 1709288430; // 2024-03-01T10:20:30Z
    EXPECT_EQ(seconds(u"2024-03-01T10:20:30Z"), expected);
    EXPECT_EQ(seconds(u"2024-03-01t10:20:30z"), expected);
    EXPECT_EQ(seconds(u"2024-03-01 10:20:30Z"), expected);
    EXPECT_EQ(seconds(u"20240301T102030Z"), expected);
    EXPECT_EQ(seconds(u"2024-03-01T12:20:30+02:00"), expected);
    EXPECT_EQ(seconds(u"2024-03-01T12:20:30+0200"), expected);
    EXPECT_EQ(seconds(u"2024-03-01T05:20:30-05"), expected);
    EXPECT_EQ(seconds(u"2024-03-01T06:50:30-03:30"), expected);
    EXPECT_DOUBLE_EQ(seconds(u"2024-03-01T10:20:30.250Z"), expected + 0.25);
    EXPECT_DOUBLE_EQ(seconds(u"2024-03-01T10:20:30,5+00:00"), expected + 0.5);
    EXPECT_EQ(seconds(u"2024-03-01T10:20Z"), expected - 30);
    EXPECT_EQ(seconds(u"2024-03-01"), 1709251200);
    EXPECT_EQ(seconds(u"20240301"), 1709251200);
    EXPECT_EQ(seconds(u"1969-12-31T23:59:59Z"), -1);
    EXPECT_EQ(seconds(u"2000-02-29T00:00:00Z"), 951782400);
    EXPECT_EQ(seconds(u"2024-03-01T24:00:00Z"), 1709337600);
    EXPECT_EQ(dateFromISO8601String(std::string_view("2024-03-01T10:20:30Z"))->timeIntervalSince1970(), expected);
}

TEST(ISO8601, ZonelessDateTimesAreReadAsUTCOnlyWhenAsked)
{
    // WordPress "date_gmt" values carry no zone.
    EXPECT_FALSE(dateFromISO8601String(u"2024-03-01T10:20:30").has_value());
    EXPECT_EQ(seconds(u"2024-03-01T10:20:30", ZonelessDateTimes::AsUTC), 1709288430);
    EXPECT_DOUBLE_EQ(seconds(u"2024-03-01T10:20:30.125", ZonelessDateTimes::AsUTC), 1709288430.125);
}

TEST(ISO8601, RefusesMalformedAndOutOfRangeValues)
{
    for (const char16_t* text : { u"", u"2024", u"2024-3-01", u"2024-13-01", u"2023-02-29", u"2024-04-31",
                                  u"2024-03-01T25:00:00Z", u"2024-03-01T10:60:00Z", u"2024-03-01T24:00:01Z",
                                  u"2024-03-01T10:20:30.Z", u"2024-03-01T10:20:30+2", u"2024-03-01T10:20:30+24:00",
                                  u"2024-03-01T10:20:30Zjunk", u"2024-03-01X10:20:30Z", u"2024-03-0110:20:30Z",
                                  u" 2024-03-01", u"\u0662\u0660\u0662\u0664-03-01" })
        EXPECT_FALSE(dateFromISO8601String(text, ZonelessDateTimes::AsUTC).has_value())
            << std::string(std::u16string_view(text).begin(), std::u16string_view(text).end());
}

TEST(ISO8601, WritesUTCAndRoundTrips)
{
    EXPECT_EQ(ISO8601StringFromDate(Date(1709288430)), u"2024-03-01T10:20:30Z");
    EXPECT_EQ(ISO8601StringFromDate(Date(1709288430.25), { .fractionalSeconds = true }), u"2024-03-01T10:20:30.250Z");
    EXPECT_EQ(ISO8601StringFromDate(Date(1709288430.9996), { .fractionalSeconds = true }), u"2024-03-01T10:20:31.000Z");
    EXPECT_EQ(ISO8601StringFromDate(Date(-1.5), { .fractionalSeconds = true }), u"1969-12-31T23:59:58.500Z");
    EXPECT_EQ(ISO8601StringFromDate(Date(951782400), { .withZone = false }), u"2000-02-29T00:00:00");
    for (double t : { 0.0, 1709288430.0, -86400.0 * 365 * 80, 4102444800.0 })
        EXPECT_EQ(dateFromISO8601String(ISO8601StringFromDate(Date(t)))->timeIntervalSince1970(), t);
}

TEST(DateFormatting, PatternsInUTCNamedAndLocalZones)
{
    Date date(1709288430.0);
    EXPECT_EQ(formatDate(date, u"yyyy_MM_dd_HH_mm_ss", DateFormatTimeZone::UTC), u"2024_03_01_10_20_30");
    EXPECT_EQ(formatDate(date, u"EEE MMM d", DateFormatTimeZone::UTC), u"Fri Mar 1");
    EXPECT_EQ(formatDate(date, u"yyyy-MM-dd HH:mm", u"Asia/Tokyo"), u"2024-03-01 19:20");
    EXPECT_EQ(formatDate(date, u"HH:mm", u"No/Such_Zone"), u"10:20");

    // The default is the system's local zone.
    time_t t = static_cast<time_t>(date.timeIntervalSince1970());
    struct tm local;
    localtime_r(&t, &local);
    char expected[32];
    strftime(expected, sizeof expected, "%Y-%m-%d %H:%M", &local);
    std::string expectedString(expected);
    EXPECT_EQ(formatDate(date, u"yyyy-MM-dd HH:mm"), std::u16string(expectedString.begin(), expectedString.end()));
}
