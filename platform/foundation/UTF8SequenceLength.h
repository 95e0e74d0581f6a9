// Where a UTF-8 sequence ends, for readers that mark what is not one.
#pragma once

#include <cstddef>
#include <string_view>

namespace brevanton {

// The length of the well-formed UTF-8 sequence of two to four bytes at `at`
// (no overlong form, surrogate or code point past U+10FFFF); 0 when there is
// none there (an ASCII byte included).
size_t multibyteUTF8SequenceLength(std::string_view text, size_t at);

} // namespace brevanton
