// ASCII hex digits, as URLs, character references, colours and identifiers
// write numbers.
#pragma once

namespace brevanton {

// The value of an ASCII hex digit (0-9, a-f, A-F); -1 for any other character.
constexpr int hexDigitValue(char32_t c)
{
    if (c >= '0' && c <= '9')
        return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<int>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<int>(c - 'A' + 10);
    return -1;
}

constexpr bool isASCIIHexDigit(char32_t c)
{
    return hexDigitValue(c) >= 0;
}

} // namespace brevanton
