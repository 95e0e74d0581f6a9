// The line-break conventions a text can use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brevanton {

enum class VornickNewlineConvention : int32_t {
    LF = 0,   // "\n"
    CR = 1,   // "\r"
    CRLF = 2, // "\r\n"
    // A text without any line break.
    Unknown = 3,
};

// "\r" for CR, "\r\n" for CRLF, "\n" for any other value.
const std::u16string& vornick_newlineStringForConvention(VornickNewlineConvention);

// The convention of a text's first line break; Unknown for a text without one.
VornickNewlineConvention vornick_newlineConventionOfText(std::u16string_view);

} // namespace brevanton
