// Ordering text the way the user reads lists: by the collation of the user's
// locale (LC_ALL, LC_COLLATE or LANG), case ignored.
#pragma once

#include <string_view>

namespace brevanton {

// "a" and "A" tie, an accented e sorts between "e" and "f"; -1, 0 or 1. The C
// and POSIX locales (which would order by code point) take the root
// collation. Safe from any thread.
int compareLocalizedIgnoringCase(std::u16string_view a, std::u16string_view b);

} // namespace brevanton
