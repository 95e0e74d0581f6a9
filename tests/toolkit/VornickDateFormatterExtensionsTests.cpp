#include "toolkit/VornickDateFormatterExtensions.h"
#include "toolkit/VornickLog.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/Value.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <ctime>

using namespace brevanton;

namespace {

const Date march1 { 1709288430 }; // 2024-03-01T10:20:30Z

} // namespace

TEST(VornickDateFormatterExtensions, ReadsInternetDateTimesWithFractionsAndOffsets)
{
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-03-01T10:20:30Z"), march1);
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-03-01T10:20:30.250Z"), march1.addingTimeInterval(0.25));
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-03-01T12:20:30+02:00"), march1);
    EXPECT_EQ(vornick_legacyISO8601DateFormatter().dateFromString(u"2024-03-01T10:20:30Z"), march1);
    EXPECT_EQ(vornick_legacyISO8601DateFormatter().dateFromString(u"2024-03-01T10:20:30.5Z"), std::nullopt);
}

TEST(VornickDateFormatterExtensions, ZonelessValuesAreReadAsUTCOnlyWhenTheCallerSaysSo)
{
    // WordPress "date_gmt" and "modified_gmt" carry no zone.
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-03-01T10:20:30", ZonelessDateTimes::AsUTC), march1);
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-03-01T10:20:30.5", ZonelessDateTimes::AsUTC), march1.addingTimeInterval(0.5));
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-03-01T10:20:30"), std::nullopt);
}

TEST(VornickDateFormatterExtensions, ReadsDateValuesAndTheirText)
{
    const Value date(march1), text(u"2024-03-01T10:20:30"), empty(u""), number(int64_t { 1709288430 });
    EXPECT_EQ(vornick_dateFromValue(&date), march1);
    EXPECT_EQ(vornick_dateFromValue(&text, ZonelessDateTimes::AsUTC), march1);
    EXPECT_EQ(vornick_dateFromValue(&text), std::nullopt);
    EXPECT_EQ(vornick_dateFromValue(&empty), std::nullopt);
    EXPECT_EQ(vornick_dateFromValue(&number), std::nullopt);
    EXPECT_EQ(vornick_dateFromValue(nullptr), std::nullopt);
}

TEST(VornickDateFormatterExtensions, UnreadableStringsAreLogged)
{
    EXPECT_EQ(vornick_dateFromISO8601String(u"yesterday at noon"), std::nullopt);
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-13-01T10:20:30Z"), std::nullopt);
    EXPECT_NE(VornickLog::generalLog().text().find(u"Failed to get NSDate from string \"yesterday at noon\""), std::u16string::npos);
}

TEST(VornickDateFormatterExtensions, WritesUTCTextAndLocalIdentifiers)
{
    EXPECT_EQ(vornick_ISO8601StringFromDate(march1), u"2024-03-01T10:20:30Z");
    EXPECT_EQ(vornick_ISO8601StringFromDate(march1.addingTimeInterval(0.75)), u"2024-03-01T10:20:30Z");
    EXPECT_EQ(vornick_dateFromISO8601String(vornick_ISO8601StringFromDate(Date(1704067199))), Date(1704067199));

    time_t seconds = 1704067199;
    tm local {};
    localtime_r(&seconds, &local);
    char expected[32];
    strftime(expected, sizeof expected, "%Y_%m_%d_%H_%M_%S", &local);
    EXPECT_EQ(vornick_uniqueIdentifierStringFromDate(Date(1704067199)), u16(expected));

    // The user's locale and calendar change nothing.
    icu::Locale saved;
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("th_TH@calendar=buddhist;numbers=thai"), status);
    EXPECT_EQ(vornick_uniqueIdentifierStringFromDate(Date(1704067199)), u16(expected));
    EXPECT_EQ(vornick_ISO8601StringFromDate(march1), u"2024-03-01T10:20:30Z");
    EXPECT_EQ(vornick_dateFromISO8601String(u"2024-03-01T10:20:30Z"), march1);
    icu::Locale::setDefault(saved, status);
}
