// The line-break conventions a text can use.
#pragma once

#include <cstdint>
#include <string>

namespace brevanton {

enum VornickNewlineConvention : int32_t {
    VornickNewlineConventionLF = 0,   // "\n"
    VornickNewlineConventionCR = 1,   // "\r"
    VornickNewlineConventionCRLF = 2, // "\r\n"
    // A text without any line break.
    VornickNewlineConventionUnknown = 3,
};

// "\r" for CR, "\r\n" for CRLF, "\n" for any other value.
const std::u16string& vornick_newlineStringForConvention(int32_t convention);

} // namespace brevanton
