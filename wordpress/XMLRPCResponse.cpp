#include "wordpress/XMLRPCResponse.h"

#include "platform/foundation/Text.h"
#include "wordpress/XMLRPCEventBasedParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <charconv>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevanton {

std::string XMLRPCBytesWithoutForbiddenCharacters(std::string_view data)
{
    // Bytes that begin something to leave out: the controls, and the lead
    // byte of U+FFFE and U+FFFF.
    static constexpr auto suspect = [] {
        std::array<bool, 256> table {};
        for (int byte = 0; byte < 0x20; ++byte)
            table[byte] = byte != '\t' && byte != '\n' && byte != '\r';
        table[0xEF] = true;
        return table;
    }();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    std::string out;
    out.reserve(data.size());
    size_t runStart = 0;
    size_t i = 0;
    // Looks at the bytes up to `stop` one by one, leaving out what is forbidden.
    auto checkBytes = [&](size_t stop) {
        for (; i < stop; ++i) {
            if (!suspect[bytes[i]])
                continue;
            size_t length = 1;
            if (bytes[i] == 0xEF) {
                if (i + 2 >= data.size() || bytes[i + 1] != 0xBF || (bytes[i + 2] != 0xBE && bytes[i + 2] != 0xBF))
                    continue;
                length = 3;
            }
            out.append(data.substr(runStart, i - runStart));
            i += length - 1;
            runStart = i + 1;
        }
    };
#if defined(__SSE2__)
    // Sixteen bytes at a time, up to the next suspect byte.
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    const __m128i tabs = _mm_set1_epi8('\t');
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    const __m128i carriageReturns = _mm_set1_epi8('\r');
    const __m128i leads = _mm_set1_epi8(static_cast<char>(0xEF));
    while (i + 16 <= data.size()) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
        __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(block, lastControl), block);
        __m128i allowed = _mm_or_si128(_mm_cmpeq_epi8(block, tabs), _mm_or_si128(_mm_cmpeq_epi8(block, lineFeeds), _mm_cmpeq_epi8(block, carriageReturns)));
        __m128i found = _mm_or_si128(_mm_andnot_si128(allowed, control), _mm_cmpeq_epi8(block, leads));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(found));
        if (!mask) {
            i += 16;
            continue;
        }
        i += static_cast<unsigned>(__builtin_ctz(mask));
        checkBytes(i + 1);
    }
#else
    // Eight bytes at a time while none of them is suspect.
    auto hasSuspectByte = [](uint64_t word) {
        constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
        uint64_t control = (word - ones * 0x20) & ~word & highs;
        uint64_t lead = word ^ (ones * 0xEF);
        return (control | ((lead - ones) & ~lead & highs)) != 0;
    };
    while (i + 8 <= data.size()) {
        uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (hasSuspectByte(word))
            checkBytes(i + 8);
        else
            i += 8;
    }
#endif
    checkBytes(data.size());
    out.append(data.substr(runStart));
    return out;
}

XMLRPCResponse::XMLRPCResponse(std::string_view data)
    : m_bytes(XMLRPCBytesWithoutForbiddenCharacters(data))
{
    XMLRPCEventBasedParser parser(m_bytes);
    m_object = parser.parse();
    m_isFault = parser.isFault() && !m_object.isNull();
    m_parserError = parser.parserError();
}

std::optional<int64_t> XMLRPCResponse::faultCode() const
{
    if (!m_isFault)
        return std::nullopt;
    const Value& code = m_object[u"faultCode"];
    if (!code.isString())
        return code.integerValue();
    // A code sent as text.
    std::string text = toUTF8(code.string());
    int64_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return number;
}

std::optional<std::u16string> XMLRPCResponse::faultString() const
{
    if (!m_isFault)
        return std::nullopt;
    return m_object[u"faultString"].stringValue();
}

std::u16string XMLRPCResponse::body() const
{
    return toUTF16(m_bytes);
}

std::string XMLRPCResponse::description() const
{
    std::string text = "[body=" + m_bytes;
    if (m_isFault)
        text += ", fault[" + std::to_string(*faultCode()) + "]='" + toUTF8(*faultString()) + "'";
    else
        text += ", object=" + m_object.description();
    return text + "]";
}

} // namespace brevanton
