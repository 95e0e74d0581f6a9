// How long ago (or how far ahead) a date is, as the post list shows it:
// the largest calendar unit of the difference, reckoned in the site's time
// zone when its offset from UTC is given (`utcOffsetHours`, as the blog
// keeps it: "wordPressTimeZone"), else in the user's, in words ("2 hours
// ago", "yesterday", "last year"; ahead: "in 3 days", "tomorrow", "next
// year"), "just now" within a minute, and "? ago" without a date.
#pragma once

#include "platform/foundation/Date.h"

#include <optional>
#include <string>

namespace brevanton {

struct VornickCalendarDifference {
    long years { 0 };
    long months { 0 };
    long days { 0 };
    long hours { 0 };
    long minutes { 0 };
    long seconds { 0 };
};

// The difference from `from` to the later `to`, in whole units of the calendar.
VornickCalendarDifference VornickCalendarDifferenceBetween(Date from, Date to, std::optional<double> utcOffsetHours = std::nullopt);

std::u16string VornickRelativeAgeText(std::optional<Date>, Date now, std::optional<double> utcOffsetHours = std::nullopt);

} // namespace brevanton
