// A range of UTF-16 code units in a text: the selection of a text view, a
// match of the text finder, a finding of the spell checker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace brevanton {

// The location of no range (the same value the system's own code uses for "not found").
inline constexpr size_t TextNotFound = static_cast<size_t>(std::numeric_limits<int64_t>::max());

struct TextRange {
    size_t location { 0 };
    size_t length { 0 };

    size_t end() const { return location + length; }
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

} // namespace brevanton
