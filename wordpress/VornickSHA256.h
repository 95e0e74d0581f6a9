// SHA-256 (FIPS 180-4) of a byte string, for the OAuth2 code challenge.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace brevanton {

std::array<uint8_t, 32> vornickSHA256(std::string_view bytes);

} // namespace brevanton
