// A post's date as the post views show it: the long date and long time
// styles of the user's locale and time zone.
#pragma once

#include "platform/foundation/Date.h"

#include <string>

namespace brevanton {

std::u16string VornickLongDateAndTimeString(Date);

} // namespace brevanton
