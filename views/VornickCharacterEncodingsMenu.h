// The character encodings menu: a fixed list of encodings by their core
// encoding values, grouped by separators, shown by their users' names and
// tagged with their string encoding numbers (toolkit/VornickStringEncoding.h).
#pragma once

#include "toolkit/VornickStringEncoding.h"

#include <array>
#include <cstdint>
#include <memory>

namespace brevanton {

class Menu;

// A separator between groups.
inline constexpr uint32_t VornickCharacterEncodingsMenuSeparator = 0xFFFFFFFF;

inline constexpr std::array<uint32_t, 50> VornickCharacterEncodingsMenuTable = {
    0x0201, 0x0000, VornickCharacterEncodingsMenuSeparator,                                  // Western
    0x08000100, VornickCharacterEncodingsMenuSeparator,                                      // Unicode
    0x0A01, 0x0820, 0x0920, 0x0628, VornickCharacterEncodingsMenuSeparator,                  // Japanese
    0x0A03, 0x0A06, 0x0423, VornickCharacterEncodingsMenuSeparator,                          // Chinese Traditional
    0x0840, 0x0003, 0x0422, VornickCharacterEncodingsMenuSeparator,                          // Korean
    0x0206, 0x0506, VornickCharacterEncodingsMenuSeparator,                                  // Arabic
    0x0208, 0x0505, VornickCharacterEncodingsMenuSeparator,                                  // Hebrew
    0x0207, 0x0503, VornickCharacterEncodingsMenuSeparator,                                  // Greek
    0x0205, 0x0007, 0x0A02, 0x0502, 0x0A08, VornickCharacterEncodingsMenuSeparator,          // Cyrillic
    0x041D, VornickCharacterEncodingsMenuSeparator,                                          // Thai
    0x0630, 0x0A05, 0x0632, VornickCharacterEncodingsMenuSeparator,                          // Chinese Simplified
    0x0202, 0x001D, 0x0501, VornickCharacterEncodingsMenuSeparator,                          // Central European
    0x0508, VornickCharacterEncodingsMenuSeparator,                                          // Vietnamese
    0x0209, 0x0504, VornickCharacterEncodingsMenuSeparator,                                  // Turkish
    0x0204, 0x0507,                                                                          // Baltic
};

// A new menu titled "Character Encodings": a separator for each separator of
// the table, and an item for each encoding there is a converter for, titled
// with its users' name, with no action, no key equivalent and the string
// encoding number as its tag. Encodings without a converter are left out;
// the separators stay.
std::shared_ptr<Menu> VornickBuildCharacterEncodingsMenu();

} // namespace brevanton
