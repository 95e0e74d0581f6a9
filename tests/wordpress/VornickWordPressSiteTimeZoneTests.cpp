#include "wordpress/VornickWordPressSiteTimeZone.h"

#include "platform/foundation/DateFormatting.h"

#include <gtest/gtest.h>

namespace brevanton {
namespace {

TEST(VornickWordPressSiteTimeZoneTests, EveryWayASiteGivesItsZoneBecomesItsOffset)
{
    Date winter = *dateFromISO8601String(std::string_view("2026-01-15T12:00:00Z"));
    Date summer = *dateFromISO8601String(std::string_view("2026-07-15T12:00:00Z"));
    struct Case {
        Value given;
        Date at;
        std::optional<double> hours;
    };
    const Case cases[] = {
        { Value(-5), winter, -5.0 },          // a number (XML-RPC options as numbers)
        { Value(u"5.5"), winter, 5.5 },       // "gmt_offset" as text: half hours kept
        { Value(u"-3.5"), winter, -3.5 },
        { Value(u"UTC+5.75"), winter, 5.75 }, // an offset set by hand, as the REST settings name it
        { Value(u"UTC-2"), winter, -2.0 },
        { Value(u"UTC"), winter, 0.0 },
        { Value(u"Asia/Kolkata"), winter, 5.5 }, // a zone name: its offset at the time
        { Value(u"Europe/Berlin"), winter, 1.0 },
        { Value(u"Europe/Berlin"), summer, 2.0 },
        { Value(u""), winter, std::nullopt },  // none set
        { Value(u"Mars/Olympus"), winter, std::nullopt },
        { Value(u"UTC+x"), winter, std::nullopt },
        { Value(u"99"), winter, std::nullopt }, // beyond any zone
        { Value(u" 5"), winter, std::nullopt },
        { Value(true), winter, std::nullopt },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.given.description());
        EXPECT_EQ(vornickWordPressTimeZoneOffsetHours(test.given, test.at), test.hours);
    }
}

} // namespace
} // namespace brevanton
