// Converts arbitrary bytes from UTF-8 to UTF-16 along the fast path and one
// character at a time: both must write the same units, within the room of
// one unit per byte; the strict reading must accept exactly the well-formed
// bytes (those that come back unchanged from UTF-16) and read them alike.
#include "platform/foundation/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

using namespace brevanton;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view utf8(reinterpret_cast<const char*>(data), size);
    // Exactly the room promised, so that the address sanitizer sees a unit written past it.
    auto fast = std::make_unique<char16_t[]>(size);
    auto oneAtATime = std::make_unique<char16_t[]>(size);
    size_t fastLength = writeUTF16(utf8, fast.get());
    size_t referenceLength = writeUTF16OneCharacterAtATime(utf8, oneAtATime.get());
    std::u16string_view reference(oneAtATime.get(), referenceLength);
    if (fastLength != referenceLength || std::u16string_view(fast.get(), fastLength) != reference)
        std::abort();
    if (toUTF16(utf8) != reference)
        std::abort();
    std::u16string strict;
    bool wellFormed = decodeUTF8Strictly(utf8, strict);
    if (wellFormed != (toUTF8(reference) == utf8) || (wellFormed && strict != reference))
        std::abort();
    return 0;
}
