#include "wordpress/XMLRPCResponse.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/UTF8SequenceLength.h"
#include "wordpress/XMLRPCEventBasedParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <charconv>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevanton {

namespace {

struct ForbiddenCharacter {
    size_t offset;
    size_t length;
};

// The first character XML 1.0 forbids at or after `from`: a control other
// than tab, line feed and carriage return, or U+FFFE or U+FFFF.
std::optional<ForbiddenCharacter> findForbiddenCharacter(std::string_view data, size_t from)
{
    // Bytes that begin something to look at: the controls, and the lead
    // byte of U+FFFE and U+FFFF.
    static constexpr auto suspect = [] {
        std::array<bool, 256> table {};
        for (int byte = 0; byte < 0x20; ++byte)
            table[byte] = byte != '\t' && byte != '\n' && byte != '\r';
        table[0xEF] = true;
        return table;
    }();
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    const size_t size = data.size();
    size_t i = from;
    // How many bytes the forbidden character at a suspect byte takes; 0 when it is allowed.
    auto forbiddenLength = [&](size_t at) -> size_t {
        if (bytes[at] != 0xEF)
            return 1;
        return at + 2 < size && bytes[at + 1] == 0xBF && (bytes[at + 2] == 0xBE || bytes[at + 2] == 0xBF) ? 3 : 0;
    };
    // Looks at the bytes up to `stop` one by one.
    auto checkBytes = [&](size_t stop) -> std::optional<ForbiddenCharacter> {
        for (; i < stop; ++i) {
            if (!suspect[bytes[i]])
                continue;
            if (size_t length = forbiddenLength(i))
                return ForbiddenCharacter { i, length };
        }
        return std::nullopt;
    };
#if defined(__SSE2__)
    // Sixteen bytes at a time, up to the next suspect byte.
    const __m128i lastControl = _mm_set1_epi8(0x1F);
    const __m128i tabs = _mm_set1_epi8('\t');
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    const __m128i carriageReturns = _mm_set1_epi8('\r');
    const __m128i leads = _mm_set1_epi8(static_cast<char>(0xEF));
    // Whether sixteen bytes may hold a suspect byte: a control other than a
    // line feed (the one control frequent in replies), or a lead.
    auto mayHoldSuspect = [&](size_t at) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
        __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(block, lastControl), block);
        return _mm_or_si128(_mm_andnot_si128(_mm_cmpeq_epi8(block, lineFeeds), control), _mm_cmpeq_epi8(block, leads));
    };
    while (i + 16 <= size) {
        // Sixty-four bytes at a time while they cannot hold one.
        while (i + 64 <= size
            && !_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(mayHoldSuspect(i), mayHoldSuspect(i + 16)), _mm_or_si128(mayHoldSuspect(i + 32), mayHoldSuspect(i + 48)))))
            i += 64;
        if (i + 16 > size)
            break;
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
        if (size_t length = forbiddenLength(i))
            return ForbiddenCharacter { i, length };
        ++i;
    }
#else
    // Eight bytes at a time while none of them is suspect.
    auto hasSuspectByte = [](uint64_t word) {
        constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
        uint64_t control = (word - ones * 0x20) & ~word & highs;
        uint64_t lead = word ^ (ones * 0xEF);
        return (control | ((lead - ones) & ~lead & highs)) != 0;
    };
    while (i + 8 <= size) {
        uint64_t word;
        std::memcpy(&word, bytes + i, sizeof word);
        if (!hasSuspectByte(word))
            i += 8;
        else if (auto found = checkBytes(i + 8))
            return found;
    }
#endif
    return checkBytes(size);
}

// Hands `append` the runs of bytes between the forbidden characters, in order.
template <typename Append>
void forEachAllowedRun(std::string_view data, Append append)
{
    size_t runStart = 0;
    for (auto found = findForbiddenCharacter(data, 0); found; found = findForbiddenCharacter(data, found->offset + found->length)) {
        append(data.substr(runStart, found->offset - runStart));
        runStart = found->offset + found->length;
    }
    append(data.substr(runStart));
}

std::shared_ptr<const Data> dataWithoutForbiddenCharacters(std::string_view bytes)
{
    auto data = std::make_shared<Data>();
    data->reserve(bytes.size());
    forEachAllowedRun(bytes, [&](std::string_view run) { data->insert(data->end(), run.begin(), run.end()); });
    return data;
}

std::string_view view(const Data& data)
{
    return std::string_view(reinterpret_cast<const char*>(data.data()), data.size());
}

// What an undecodable byte becomes for the XML parser, which takes no
// U+FFFF: U+FDD0, a noncharacter, made U+FFFF in the values read.
constexpr std::string_view undecodableByteMark = "\xEF\xB7\x90";

// The bytes with each one that is no part of a UTF-8 sequence marked;
// nullopt when there is none.
std::optional<std::string> withUndecodableBytesMarked(std::string_view bytes)
{
    std::optional<std::string> marked;
    size_t copiedUpTo = 0;
    for (size_t index = 0; index < bytes.size();) {
        if (static_cast<unsigned char>(bytes[index]) < 0x80) {
            ++index;
        } else if (size_t length = multibyteUTF8SequenceLength(bytes, index)) {
            index += length;
        } else {
            if (!marked)
                marked.emplace().reserve(bytes.size() + 16);
            marked->append(bytes.substr(copiedUpTo, index - copiedUpTo)).append(undecodableByteMark);
            copiedUpTo = ++index;
        }
    }
    if (marked)
        marked->append(bytes.substr(copiedUpTo));
    return marked;
}

// Every string in the value with its marks made U+FFFF, as the JSON reader
// marks undecodable text: the entry checks leave out the entry that holds
// one and keep the rest of the reply.
void markUndecodableText(Value& value)
{
    if (value.isString()) {
        if (value.string().find(u'\uFDD0') != std::u16string::npos) {
            std::u16string text = value.string();
            std::replace(text.begin(), text.end(), u'\uFDD0', u'\uFFFF');
            value = Value(std::move(text));
        }
    } else if (value.isArray()) {
        for (auto& element : value.array())
            markUndecodableText(element);
    } else if (value.isDictionary()) {
        for (auto& [key, member] : value.dictionary())
            markUndecodableText(member);
    }
}

} // namespace

std::string XMLRPCBytesWithoutForbiddenCharacters(std::string_view data)
{
    std::string out;
    out.reserve(data.size());
    forEachAllowedRun(data, [&](std::string_view run) { out.append(run); });
    return out;
}

XMLRPCResponse::XMLRPCResponse(std::string_view data)
    : m_bytes(dataWithoutForbiddenCharacters(data))
{
    read({});
    readAgainIfUndecodable();
}

XMLRPCResponse::XMLRPCResponse(std::shared_ptr<const Data> data)
    : m_bytes(data ? std::move(data) : std::make_shared<const Data>())
{
    // Each piece is looked at as the parser takes it, while its bytes are
    // at hand: the reply is not gone through once more first. One that
    // holds a forbidden character is read again from a copy without them.
    const std::string_view all = bytes();
    read([all](std::string_view piece) {
        // The piece's bytes, and the two after it that a character beginning in it may take.
        auto from = static_cast<size_t>(piece.data() - all.data());
        auto found = findForbiddenCharacter(all.substr(0, std::min(all.size(), from + piece.size() + 2)), from);
        return !found || found->offset >= from + piece.size();
    });
    if (m_refused) {
        m_bytes = dataWithoutForbiddenCharacters(all);
        read({});
    }
    readAgainIfUndecodable();
}

void XMLRPCResponse::readAgainIfUndecodable()
{
    // The XML parser refuses a whole reply for one byte that is not UTF-8;
    // only such a refusal costs the look for them.
    if (hasObject() || m_parserError.isEmpty())
        return;
    auto marked = withUndecodableBytesMarked(bytes());
    if (!marked)
        return;
    m_bytes = std::make_shared<const Data>(marked->begin(), marked->end());
    read({});
    markUndecodableText(m_object);
}

std::string_view XMLRPCResponse::bytes() const
{
    return view(*m_bytes);
}

void XMLRPCResponse::read(std::function<bool(std::string_view)> pieceCheck)
{
    XMLRPCEventBasedParser parser(bytes());
    parser.setPieceCheck(std::move(pieceCheck));
    m_object = parser.parse();
    m_refused = parser.pieceRefused();
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
    return toUTF16(bytes());
}

std::string XMLRPCResponse::description() const
{
    std::string text = "[body=" + std::string(bytes());
    if (m_isFault)
        text += ", fault[" + std::to_string(*faultCode()) + "]='" + toUTF8(*faultString()) + "'";
    else
        text += ", object=" + m_object.description();
    return text + "]";
}

} // namespace brevanton
