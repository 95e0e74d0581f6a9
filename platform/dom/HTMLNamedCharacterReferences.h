// The named character references of HTML ("amp" -> "&"), for the tokenizer.
#pragma once

#include <cstdint>
#include <span>

namespace brevanton {

struct HTMLNamedCharacterReference {
    const char* name; // without "&"; with the final ";" where it has one
    uint8_t length;   // UTF-16 units of the characters: 1 or 2
    char16_t characters[2];
};

// Sorted by name in byte order, so that the names sharing a prefix are adjacent.
std::span<const HTMLNamedCharacterReference> htmlNamedCharacterReferences();

} // namespace brevanton
