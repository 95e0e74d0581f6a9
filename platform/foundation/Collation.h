// Ordering text the way the user reads lists: by the collation of the user's
// locale (LC_ALL, LC_COLLATE or LANG), case ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brevanton {

// "a" and "A" tie, an accented e sorts between "e" and "f"; -1, 0 or 1. The C
// and POSIX locales (which would order by code point) take the root
// collation. Safe from any thread.
int compareLocalizedIgnoringCase(std::u16string_view a, std::u16string_view b);

// Bytes whose order (as unsigned bytes, std::string's) is that of
// compareLocalizedIgnoringCase, for sorting many strings: each is keyed
// once. None when the locale has no collation (the comparison then
// ignores case alone).
std::optional<std::string> localizedIgnoringCaseSortKey(std::u16string_view);

} // namespace brevanton
