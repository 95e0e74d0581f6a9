// VornickWordPressBlockAlignment: one alignment a block may take: the name
// shown to the user, the value of the block's alignment property (empty: the
// property is left out) and the class its element carries for it (empty:
// none).
#pragma once

#include <string>

namespace brevanton {

struct VornickWordPressBlockAlignment {
    std::u16string displayName;
    std::u16string propertyValue;
    std::u16string className;

    friend bool operator==(const VornickWordPressBlockAlignment&, const VornickWordPressBlockAlignment&) = default;
};

} // namespace brevanton
