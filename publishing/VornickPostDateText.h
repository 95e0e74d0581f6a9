// A post's date as the post views show it: the long date and long time
// styles of the user's locale, in the blog's time zone when it is known (as
// the site's theme shows it), else in the user's.
#pragma once

#include "platform/foundation/Date.h"

#include <optional>
#include <string>

namespace brevanton {

class VornickBlog;

// The site's offset from UTC in hours, as the blog keeps it
// ("wordPressTimeZone"); nullopt when the blog does not know it or holds
// no offset a zone can have.
std::optional<double> VornickSiteUTCOffsetHours(const VornickBlog*);

// `utcOffsetHours`: the site's offset from UTC ("wordPressTimeZone").
std::u16string VornickLongDateAndTimeString(Date, std::optional<double> utcOffsetHours = std::nullopt);

} // namespace brevanton
