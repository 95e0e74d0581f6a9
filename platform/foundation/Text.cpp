#include "platform/foundation/Text.h"

#include "platform/foundation/CaseFolding.h"
#include "platform/foundation/UTF8Writing.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>
#include <unicode/utf8.h>

namespace brevanton {

size_t widenLeadingASCII(const unsigned char* bytes, size_t length, char16_t* out)
{
    size_t done = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    while (done + 16 <= length) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + done));
        // The whole block is widened (`out` has room for it); the units
        // from its first byte that is not ASCII on are the caller's to write.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_unpacklo_epi8(block, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done + 8), _mm_unpackhi_epi8(block, zero));
        if (auto nonASCII = static_cast<unsigned>(_mm_movemask_epi8(block)))
            return done + static_cast<size_t>(__builtin_ctz(nonASCII));
        done += 16;
    }
#endif
    while (done + 8 <= length) {
        uint64_t word;
        std::memcpy(&word, bytes + done, sizeof word);
        if (word & 0x8080808080808080ull)
            break;
        for (size_t k = 0; k < 8; ++k)
            out[done + k] = bytes[done + k];
        done += 8;
    }
    while (done < length && bytes[done] < 0x80) {
        out[done] = bytes[done];
        ++done;
    }
    return done;
}

void appendUTF16(std::u16string& out, std::string_view utf8)
{
    // Never more code units than bytes. The units are made in a buffer on the
    // stack and appended a chunk at a time, so the string's new space is
    // written once rather than first cleared.
    out.reserve(out.size() + utf8.size());
    constexpr int32_t chunk = 1024;
    char16_t buffer[chunk];
    int32_t used = 0;
    int32_t i = 0;
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    while (i < length) {
        // Room for a run of ASCII and one character of two units.
        if (used > chunk - 18) {
            out.append(buffer, static_cast<size_t>(used));
            used = 0;
        }
        // Runs of ASCII as far as the buffer takes them.
        auto ascii = widenLeadingASCII(s + i, static_cast<size_t>(std::min(length - i, chunk - 2 - used)), buffer + used);
        used += static_cast<int32_t>(ascii);
        i += static_cast<int32_t>(ascii);
        if (i >= length)
            break;
        if (s[i] < 0x80) {
            buffer[used++] = static_cast<char16_t>(s[i++]);
            continue;
        }
        // Characters of several bytes, one after another: those of two and
        // three bytes, well-formed, directly; the rest as ICU reads them.
        do {
            const uint8_t lead = s[i];
            if (lead >= 0xC2 && lead <= 0xDF && i + 1 < length && (s[i + 1] & 0xC0) == 0x80) {
                buffer[used++] = static_cast<char16_t>(((lead & 0x1F) << 6) | (s[i + 1] & 0x3F));
                i += 2;
                continue;
            }
            if ((lead & 0xF0) == 0xE0 && i + 2 < length && (s[i + 2] & 0xC0) == 0x80) {
                // No overlong forms after E0, no surrogates after ED.
                const uint8_t second = s[i + 1];
                const uint8_t lowest = lead == 0xE0 ? 0xA0 : 0x80;
                const uint8_t highest = lead == 0xED ? 0x9F : 0xBF;
                if (second >= lowest && second <= highest) {
                    buffer[used++] = static_cast<char16_t>(((lead & 0x0F) << 12) | ((second & 0x3F) << 6) | (s[i + 2] & 0x3F));
                    i += 3;
                    continue;
                }
            }
            UChar32 c;
            U8_NEXT(s, i, length, c);
            if (c < 0)
                c = 0xFFFD;
            if (c <= 0xFFFF) {
                buffer[used++] = static_cast<char16_t>(c);
            } else {
                buffer[used++] = static_cast<char16_t>(U16_LEAD(c));
                buffer[used++] = static_cast<char16_t>(U16_TRAIL(c));
            }
        } while (i < length && s[i] >= 0x80 && used <= chunk - 2);
    }
    out.append(buffer, static_cast<size_t>(used));
}

std::u16string toUTF16(std::string_view utf8)
{
    std::u16string out;
    appendUTF16(out, utf8);
    return out;
}

bool decodeUTF8Strictly(std::string_view utf8, std::u16string& out)
{
    // Never more code units than bytes: written in place, then cut to size.
    std::u16string result(utf8.size(), u'\0');
    char16_t* written = result.data();
    int32_t i = 0;
    const auto* s = reinterpret_cast<const uint8_t*>(utf8.data());
    const auto length = static_cast<int32_t>(utf8.size());
    while (i < length) {
        auto ascii = widenLeadingASCII(s + i, static_cast<size_t>(length - i), written);
        written += ascii;
        i += static_cast<int32_t>(ascii);
        if (i >= length)
            break;
        UChar32 c;
        U8_NEXT(s, i, length, c);
        if (c < 0)
            return false;
        if (c <= 0xFFFF) {
            *written++ = static_cast<char16_t>(c);
        } else {
            *written++ = static_cast<char16_t>(U16_LEAD(c));
            *written++ = static_cast<char16_t>(U16_TRAIL(c));
        }
    }
    result.resize(static_cast<size_t>(written - result.data()));
    out = std::move(result);
    return true;
}

std::string toUTF8(std::u16string_view utf16)
{
    // Two tight passes, measuring then writing, instead of growing the result
    // character by character: large pages go through here on every save and copy.
    std::string out(utf8Length(utf16), '\0');
    writeUTF8(utf16, out.data());
    return out;
}

std::u16string asciiLowercase(std::u16string_view text)
{
    std::u16string out(text);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c + 32);
    return out;
}

std::u16string asciiUppercase(std::u16string_view text)
{
    std::u16string out(text);
    for (auto& c : out)
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - 32);
    return out;
}

bool equalsIgnoringASCIICase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x + 32);
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

namespace {

template <typename Mapper>
std::u16string mapCase(std::u16string_view text, Mapper mapper)
{
    if (text.empty())
        return {};
    std::u16string out(text.size() + 16, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = mapper(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                            reinterpret_cast<const UChar*>(text.data()),
                            static_cast<int32_t>(text.size()), "", &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        out.assign(static_cast<size_t>(length), u'\0');
        status = U_ZERO_ERROR;
        length = mapper(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                        reinterpret_cast<const UChar*>(text.data()),
                        static_cast<int32_t>(text.size()), "", &status);
    }
    if (U_FAILURE(status))
        return std::u16string(text);
    out.resize(static_cast<size_t>(length));
    return out;
}

} // namespace

std::u16string lowercase(std::u16string_view text) { return mapCase(text, u_strToLower); }
std::u16string uppercase(std::u16string_view text) { return mapCase(text, u_strToUpper); }

std::u16string caseFolded(std::u16string_view text)
{
    bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
    if (ascii)
        return asciiLowercase(text);
    std::u16string out(text.size() + 8, u'\0');
    UErrorCode status = U_ZERO_ERROR;
    auto fold = [&] {
        return u_strFoldCase(reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                             reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()),
                             U_FOLD_CASE_DEFAULT, &status);
    };
    int32_t length = fold();
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        out.assign(static_cast<size_t>(length), u'\0');
        length = fold();
    }
    if (U_FAILURE(status))
        return std::u16string(text);
    out.resize(static_cast<size_t>(length));
    return out;
}

std::u16string simpleCaseFolded(std::u16string_view text)
{
    std::u16string out(text.size(), u'\0');
    for (size_t i = 0; i < text.size();) {
        char16_t unit = text[i];
        if (unit < 0x80) {
            out[i++] = unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit;
            continue;
        }
        size_t start = i;
        UChar32 c;
        U16_NEXT(text.data(), i, text.size(), c);
        UChar32 folded = u_foldCase(c, U_FOLD_CASE_DEFAULT);
        if (U16_LENGTH(folded) != i - start || U_IS_SURROGATE(c))
            folded = c;
        if (i - start == 1) {
            out[start] = static_cast<char16_t>(folded);
        } else {
            out[start] = U16_LEAD(folded);
            out[start + 1] = U16_TRAIL(folded);
        }
    }
    return out;
}

int compareInCodePointOrder(std::u16string_view a, std::u16string_view b)
{
    auto inPair = [](std::u16string_view text, size_t i) {
        char16_t c = text[i];
        return (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1]))
            || (isLowSurrogate(c) && i > 0 && isHighSurrogate(text[i - 1]));
    };
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        int x = a[i];
        int y = b[i];
        if (x == y)
            continue;
        // Halves of a pair stand for code points past U+FFFF and move above
        // E000-FFFF; a lone surrogate stays at its own code point.
        if (x >= 0xD800 && y >= 0xD800) {
            if (!inPair(a, i))
                x -= 0x2800;
            if (!inPair(b, i))
                y -= 0x2800;
        }
        return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    UErrorCode status = U_ZERO_ERROR;
    int result = u_strCaseCompare(reinterpret_cast<const UChar*>(a.data()), static_cast<int32_t>(a.size()),
                                  reinterpret_cast<const UChar*>(b.data()), static_cast<int32_t>(b.size()),
                                  U_FOLD_CASE_DEFAULT | U_COMPARE_CODE_POINT_ORDER, &status);
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

} // namespace brevanton
