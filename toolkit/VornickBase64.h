// Base64 with the system's line layout: the standard alphabet with "="
// padding, a CR LF after every 64 characters (48 input bytes), none after the
// last line.
#pragma once

#include "platform/foundation/Value.h"

#include <string>
#include <string_view>

namespace brevanton {

enum class VornickBase64Lines {
    Broken,  // CR LF after every 64 characters (XML-RPC base64 values)
    OneLine, // no line breaks (HTTP Basic authorization)
};

std::u16string base64EncodedString(const Data& data, VornickBase64Lines = VornickBase64Lines::Broken);

// The bytes of Base64 text. Characters outside the alphabet ("=" and line
// breaks included) are skipped; a final group of three characters gives two
// bytes, of two gives one byte, and a single trailing character is ignored.
// Text that is not ASCII gives empty data.
Data dataFromBase64String(std::u16string_view text);

} // namespace brevanton
