#include "platform/foundation/UTF8Writing.h"

#include "platform/foundation/Text.h"

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace brevanton {

namespace {

// How many units lead the text in ASCII, counted sixteen, then four units at a time.
size_t leadingASCII(std::u16string_view utf16)
{
    const size_t length = utf16.size();
    size_t ascii = 0;
#if defined(__SSE2__)
    const __m128i nonASCII = _mm_set1_epi16(static_cast<short>(0xFF80));
    while (ascii + 16 <= length) {
        __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf16.data() + ascii));
        __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf16.data() + ascii + 8));
        __m128i outside = _mm_and_si128(_mm_or_si128(low, high), nonASCII);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) != 0xFFFF)
            break;
        ascii += 16;
    }
#endif
    while (ascii + 4 <= length) {
        uint64_t word;
        std::memcpy(&word, utf16.data() + ascii, sizeof word);
        if (word & 0xFF80FF80FF80FF80ull)
            break;
        ascii += 4;
    }
    while (ascii < length && utf16[ascii] < 0x80)
        ++ascii;
    return ascii;
}

} // namespace

size_t utf8Length(std::u16string_view utf16)
{
    const size_t length = utf16.size();
    size_t ascii = leadingASCII(utf16);
    size_t size = ascii;
    for (size_t i = ascii; i < length; ++i) {
        char16_t unit = utf16[i];
        if (unit < 0x80)
            size += 1;
        else if (unit < 0x800)
            size += 2;
        else if (isHighSurrogate(unit) && i + 1 < length && isLowSurrogate(utf16[i + 1])) {
            size += 4;
            ++i;
        } else
            size += 3; // the character itself, or U+FFFD for a lone surrogate
    }
    return size;
}

void writeUTF8(std::u16string_view utf16, char* out)
{
    const size_t length = utf16.size();
    auto* bytes = reinterpret_cast<uint8_t*>(out);
    size_t i = 0;
#if defined(__SSE2__)
    // ASCII, most of most text, narrowed sixteen units at a time.
    const __m128i nonASCII = _mm_set1_epi16(static_cast<short>(0xFF80));
    while (i + 16 <= length) {
        __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf16.data() + i));
        __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(utf16.data() + i + 8));
        __m128i outside = _mm_and_si128(_mm_or_si128(low, high), nonASCII);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(outside, _mm_setzero_si128())) != 0xFFFF)
            break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_packus_epi16(low, high));
        i += 16;
    }
#endif
    size_t n = i;
    for (; i < length; ++i) {
        char16_t unit = utf16[i];
        if (unit < 0x80) {
            bytes[n++] = static_cast<uint8_t>(unit);
            continue;
        }
        UChar32 c;
        if (isHighSurrogate(unit) && i + 1 < length && isLowSurrogate(utf16[i + 1])) {
            c = U16_GET_SUPPLEMENTARY(unit, utf16[i + 1]);
            ++i;
        } else
            c = U16_IS_SURROGATE(unit) ? 0xFFFD : unit;
        U8_APPEND_UNSAFE(bytes, n, c);
    }
}

} // namespace brevanton

