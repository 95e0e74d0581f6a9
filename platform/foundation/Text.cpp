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

namespace {

// What a conversion does with an ill-formed sequence.
enum class IllFormedUTF8 { Replace, Refuse };

constexpr size_t refused = static_cast<size_t>(-1);

bool isContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Decodes the character of several bytes at `s[i]` (not ASCII) into `out`,
// moving both on. Well-formed characters are read directly; an ill-formed
// sequence is read by ICU, which takes its longest prefix that could begin a
// character as one U+FFFD (or refuses it). False when refused.
template <IllFormedUTF8 illFormed>
[[gnu::always_inline]] inline bool decodeCharacterOfSeveralBytes(const uint8_t* s, size_t& i, size_t length, char16_t*& out)
{
    const uint8_t lead = s[i];
    const size_t left = length - i;
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (left >= 2 && isContinuation(s[i + 1])) {
            *out++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (s[i + 1] & 0x3F));
            i += 2;
            return true;
        }
    } else if ((lead & 0xF0) == 0xE0) {
        // No overlong forms after E0, no surrogates after ED.
        if (left >= 3 && s[i + 1] >= (lead == 0xE0 ? 0xA0 : 0x80) && s[i + 1] <= (lead == 0xED ? 0x9F : 0xBF) && isContinuation(s[i + 2])) {
            *out++ = static_cast<char16_t>(((lead & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F));
            i += 3;
            return true;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        // No overlong forms after F0, nothing past U+10FFFF after F4.
        if (left >= 4 && s[i + 1] >= (lead == 0xF0 ? 0x90 : 0x80) && s[i + 1] <= (lead == 0xF4 ? 0x8F : 0xBF) && isContinuation(s[i + 2])
            && isContinuation(s[i + 3])) {
            uint32_t c = ((lead & 0x07u) << 18) | ((s[i + 1] & 0x3Fu) << 12) | ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu);
            *out++ = static_cast<char16_t>(U16_LEAD(c));
            *out++ = static_cast<char16_t>(U16_TRAIL(c));
            i += 4;
            return true;
        }
    }
    if constexpr (illFormed == IllFormedUTF8::Refuse)
        return false;
    // No sequence is longer than four bytes: ICU looks at those alone, so
    // that texts of any length are read with its 32-bit offsets.
    int32_t taken = 0;
    UChar32 c;
    U8_NEXT(s + i, taken, static_cast<int32_t>(std::min<size_t>(left, 4)), c);
    (void)c;
    *out++ = 0xFFFD;
    i += static_cast<size_t>(taken);
    return true;
}

// The UTF-16 of the UTF-8 in `out`, which has room for `length` units (never
// more are needed); answers how many units it wrote, or `refused`.
template <IllFormedUTF8 illFormed>
size_t convertOneCharacterAtATime(const uint8_t* s, size_t length, char16_t* out)
{
    char16_t* const start = out;
    for (size_t i = 0; i < length;) {
        if (s[i] < 0x80)
            *out++ = s[i++];
        else if (!decodeCharacterOfSeveralBytes<illFormed>(s, i, length, out))
            return refused;
    }
    return static_cast<size_t>(out - start);
}

// The same, runs of ASCII sixteen bytes at a time (eight without SSE2).
template <IllFormedUTF8 illFormed>
size_t convert(const uint8_t* s, size_t length, char16_t* out)
{
    char16_t* const start = out;
    size_t i = 0;
    while (i < length) {
        // `out` is no further on than `s + i`: it has room for the rest.
        size_t ascii = widenLeadingASCII(s + i, length - i, out);
        i += ascii;
        out += ascii;
        if (i == length)
            break;
        // The characters of several bytes there, one after another.
        do {
            if (!decodeCharacterOfSeveralBytes<illFormed>(s, i, length, out))
                return refused;
        } while (i < length && s[i] >= 0x80);
    }
    return static_cast<size_t>(out - start);
}

const uint8_t* bytesOf(std::string_view utf8)
{
    return reinterpret_cast<const uint8_t*>(utf8.data());
}

} // namespace

size_t writeUTF16(std::string_view utf8, char16_t* out)
{
    return convert<IllFormedUTF8::Replace>(bytesOf(utf8), utf8.size(), out);
}

size_t writeUTF16OneCharacterAtATime(std::string_view utf8, char16_t* out)
{
    return convertOneCharacterAtATime<IllFormedUTF8::Replace>(bytesOf(utf8), utf8.size(), out);
}

namespace {

// Appends the UTF-16 of `utf8` to `out`; false, with `out` part-written, when
// refused. Never more units than bytes. The units are made in a buffer on the
// stack and appended a piece at a time, so that the string's new space is
// written once rather than first cleared. A piece never ends inside a
// sequence: it ends before one of its last four bytes that is no continuation
// byte, else at its end (no sequence has four of them, so the text is then
// ill-formed however it is cut).
template <IllFormedUTF8 illFormed>
bool appendConverted(std::u16string& out, std::string_view utf8)
{
    out.reserve(out.size() + utf8.size());
    constexpr size_t piece = 1024;
    char16_t buffer[piece];
    while (utf8.size() > piece) {
        size_t end = piece;
        while (end > piece - 3 && isContinuation(static_cast<uint8_t>(utf8[end])))
            --end;
        if (isContinuation(static_cast<uint8_t>(utf8[end])))
            end = piece;
        size_t written = convert<illFormed>(bytesOf(utf8), end, buffer);
        if (written == refused)
            return false;
        out.append(buffer, written);
        utf8.remove_prefix(end);
    }
    size_t written = convert<illFormed>(bytesOf(utf8), utf8.size(), buffer);
    if (written == refused)
        return false;
    out.append(buffer, written);
    return true;
}

} // namespace

void appendUTF16(std::u16string& out, std::string_view utf8)
{
    appendConverted<IllFormedUTF8::Replace>(out, utf8);
}

std::u16string toUTF16(std::string_view utf8)
{
    std::u16string out;
    appendUTF16(out, utf8);
    return out;
}

bool decodeUTF8Strictly(std::string_view utf8, std::u16string& out)
{
    std::u16string result;
    if (!appendConverted<IllFormedUTF8::Refuse>(result, utf8))
        return false;
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

std::u16string_view stripHTMLWhitespace(std::u16string_view text)
{
    size_t start = 0;
    size_t end = text.size();
    while (start < end && isHTMLWhitespace(text[start]))
        ++start;
    while (end > start && isHTMLWhitespace(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

std::u16string stripAndCollapseHTMLWhitespace(std::u16string_view text)
{
    std::u16string result;
    bool space = false;
    for (char16_t c : text) {
        if (isHTMLWhitespace(c)) {
            space = !result.empty();
            continue;
        }
        if (space)
            result += u' ';
        space = false;
        result += c;
    }
    return result;
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
