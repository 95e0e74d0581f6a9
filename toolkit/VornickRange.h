// A span of UTF-16 code units (location and length), and the "not found"
// marker that operations answer when they find nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace brevanton {

inline constexpr size_t VornickNotFound = static_cast<size_t>(std::numeric_limits<int64_t>::max());

struct VornickRange {
    size_t location { VornickNotFound };
    size_t length { 0 };

    size_t end() const { return location + length; }
    bool isNotFound() const { return location == VornickNotFound; }
    bool contains(size_t index) const { return index >= location && index < end(); }

    friend bool operator==(const VornickRange&, const VornickRange&) = default;
};

inline VornickRange VornickMakeRange(size_t location, size_t length) { return { location, length }; }

} // namespace brevanton
