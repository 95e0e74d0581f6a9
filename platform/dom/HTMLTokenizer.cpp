#include "platform/dom/HTMLTokenizer.h"

#include "platform/dom/HTMLNamedCharacterReferences.h"
#include "platform/foundation/HexDigits.h"

#include <algorithm>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brevanton {

namespace {

bool isASCIIAlpha(char32_t c)
{
    return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
}

bool isASCIIUpper(char32_t c)
{
    return c >= 'A' && c <= 'Z';
}

bool isASCIIDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

bool isASCIIAlphanumeric(char32_t c)
{
    return isASCIIAlpha(c) || isASCIIDigit(c);
}

bool isTagWhitespace(char32_t c)
{
    return c == '\t' || c == '\n' || c == '\f' || c == ' ';
}

char16_t toASCIILower(char32_t c)
{
    return static_cast<char16_t>(isASCIIUpper(c) ? c + 0x20 : c);
}

void appendCodePoint(std::u16string& into, char32_t c)
{
    if (c >= 0x10000) {
        c -= 0x10000;
        into += static_cast<char16_t>(0xD800 + (c >> 10));
        into += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else
        into += static_cast<char16_t>(c);
}

// What a numeric reference to a C1 control stands for: the windows-1252
// character of that byte, where it has one.
char32_t windows1252Replacement(char32_t c)
{
    static const char16_t table[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    return table[c - 0x80];
}

// The references whose names begin with the letter or digit `first`.
std::span<const HTMLNamedCharacterReference> namesStartingWith(char first)
{
    static const auto ranges = [] {
        auto references = htmlNamedCharacterReferences();
        std::array<std::pair<uint16_t, uint16_t>, 128> ranges {};
        for (size_t i = 0; i < references.size(); ++i) {
            auto& range = ranges[static_cast<unsigned char>(references[i].name[0])];
            if (range.first == range.second)
                range.first = static_cast<uint16_t>(i);
            range.second = static_cast<uint16_t>(i + 1);
        }
        return ranges;
    }();
    auto& range = ranges[static_cast<unsigned char>(first) & 0x7F];
    return htmlNamedCharacterReferences().subspan(range.first, range.second - range.first);
}

// The references whose names end in ";", in an open-addressed table of
// 4,096 slots (about half full) hashed on the whole name: a reference on a
// page takes one pass over its name and mostly one comparison.
class WholeNameTable {
public:
    WholeNameTable()
    {
        auto references = htmlNamedCharacterReferences();
        for (size_t i = 0; i < references.size(); ++i) {
            std::string_view name = references[i].name;
            if (name.back() != ';')
                continue;
            uint32_t h = 0;
            for (char c : name)
                h = step(h, static_cast<unsigned char>(c));
            size_t slot = finish(h);
            while (m_slots[slot])
                slot = (slot + 1) & mask;
            m_slots[slot] = static_cast<uint16_t>(i + 1);
        }
    }

    // The reference whose whole name, ";" included, begins `text`; null when
    // the letters and digits there are not followed by ";" or are no such name.
    const HTMLNamedCharacterReference* find(std::u16string_view text, size_t& nameLength) const
    {
        constexpr size_t longestName = 32;
        size_t length = 0;
        uint32_t h = 0;
        for (; length < text.size() && length <= longestName && isASCIIAlphanumeric(text[length]); ++length)
            h = step(h, text[length]);
        if (length > longestName || length == text.size() || text[length] != u';')
            return nullptr;
        h = step(h, ';');
        auto references = htmlNamedCharacterReferences();
        for (size_t slot = finish(h); m_slots[slot]; slot = (slot + 1) & mask) {
            const char* name = references[m_slots[slot] - 1].name;
            size_t i = 0;
            while (i <= length && static_cast<unsigned char>(name[i]) == text[i])
                ++i;
            if (i == length + 1 && !name[i]) {
                nameLength = length + 1;
                return &references[m_slots[slot] - 1];
            }
        }
        return nullptr;
    }

private:
    static constexpr size_t mask = 4095;
    static uint32_t step(uint32_t h, char32_t c) { return h * 33 + c; }
    static size_t finish(uint32_t h) { return ((h * 2654435761u) >> 20) & mask; }

    std::array<uint16_t, mask + 1> m_slots {};
};

// The references most pages use, as four units read at once.
struct CommonReference {
    char16_t character { 0 };
    uint8_t nameLength { 0 };
    explicit operator bool() const { return nameLength; }
};

consteval uint64_t packUnits(std::u16string_view units)
{
    uint64_t packed = 0;
    for (size_t i = 0; i < units.size(); ++i)
        packed |= uint64_t(units[i]) << (16 * i);
    return packed;
}

// "amp;", "lt;", "gt;", "quot;" and "nbsp;" at the start of `text`: whole
// names with their ";", so no longer name can match there.
CommonReference commonNamedReference(std::u16string_view text)
{
    if (text.size() < 4)
        return {};
    uint64_t four = uint64_t(text[0]) | uint64_t(text[1]) << 16 | uint64_t(text[2]) << 32 | uint64_t(text[3]) << 48;
    constexpr uint64_t threeUnits = (uint64_t(1) << 48) - 1;
    if (four == packUnits(u"amp;"))
        return { u'&', 4 };
    if ((four & threeUnits) == packUnits(u"lt;"))
        return { u'<', 3 };
    if ((four & threeUnits) == packUnits(u"gt;"))
        return { u'>', 3 };
    if (text.size() >= 5 && text[4] == u';') {
        if (four == packUnits(u"quot"))
            return { u'"', 5 };
        if (four == packUnits(u"nbsp"))
            return { u'\xA0', 5 };
    }
    return {};
}

// `nameLength` is set to the length of the name found, ";" included.
const HTMLNamedCharacterReference* wholeNamedReference(std::u16string_view text, size_t& nameLength)
{
    static const WholeNameTable table;
    return table.find(text, nameLength);
}

// The first unit from `from` on that is `a`, `b`, U+000D or U+0000; the
// text's size when there is none.
[[gnu::always_inline]] inline size_t findStop(std::u16string_view text, size_t from, char16_t a, char16_t b)
{
    const char16_t* units = text.data();
    size_t size = text.size();
    size_t end = from;
#if defined(__SSE2__)
    // Eight units at a time while none of them matters.
    const __m128i first = _mm_set1_epi16(static_cast<short>(a));
    const __m128i second = _mm_set1_epi16(static_cast<short>(b));
    const __m128i carriageReturn = _mm_set1_epi16(u'\r');
    const __m128i zero = _mm_setzero_si128();
    for (; end + 8 <= size; end += 8) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + end));
        __m128i stops = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, first), _mm_cmpeq_epi16(block, second)),
                                     _mm_or_si128(_mm_cmpeq_epi16(block, carriageReturn), _mm_cmpeq_epi16(block, zero)));
        if (int mask = _mm_movemask_epi8(stops))
            return end + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
    }
#endif
    for (; end < size; ++end) {
        char16_t c = units[end];
        if (c == a || c == b || c == u'\r' || !c)
            break;
    }
    return end;
}

// The ASCII units that end the plain run of an attribute value, by state.
using StopTable = std::array<bool, 0x80>;

constexpr StopTable stopTable(std::string_view units)
{
    StopTable table {};
    table[0] = table['\r'] = table['&'] = true;
    for (char unit : units)
        table[static_cast<unsigned char>(unit)] = true;
    return table;
}

constexpr StopTable unquotedValueStops = stopTable("\t\n\f >\"'<=`");

// The ASCII units that end the plain run of a tag or attribute name: what
// ends the name, U+000D and U+0000, and the upper-case letters (lowered one by one).
constexpr StopTable nameStopTable(std::string_view units)
{
    StopTable table {};
    table[0] = table['\r'] = table['\t'] = table['\n'] = table['\f'] = table[' '] = table['/'] = table['>'] = true;
    for (char unit : units)
        table[static_cast<unsigned char>(unit)] = true;
    for (char unit = 'A'; unit <= 'Z'; ++unit)
        table[static_cast<unsigned char>(unit)] = true;
    return table;
}

constexpr StopTable tagNameStops = nameStopTable("");
constexpr StopTable attributeNameStops = nameStopTable("=\"'<");

#if defined(__SSE2__)
// The units of a block no greater than `limit`, as all ones.
__m128i atMost(__m128i block, char16_t limit)
{
    return _mm_cmpeq_epi16(_mm_subs_epu16(block, _mm_set1_epi16(static_cast<short>(limit))), _mm_setzero_si128());
}

__m128i equalTo(__m128i block, char16_t unit)
{
    return _mm_cmpeq_epi16(block, _mm_set1_epi16(static_cast<short>(unit)));
}

// The units that may end a name's plain run: the controls and the space
// (U+0000, tab, line feed, form feed, U+000D and the space among them; the
// other controls are checked again against the table), "/", ">" and the
// upper-case letters.
__m128i nameStopCandidates(__m128i block)
{
    __m128i upper = atMost(_mm_sub_epi16(block, _mm_set1_epi16('A')), 'Z' - 'A');
    return _mm_or_si128(_mm_or_si128(atMost(block, u' '), upper), _mm_or_si128(equalTo(block, u'/'), equalTo(block, u'>')));
}
#endif

// The first unit from `from` on that the table stops at (units above ASCII
// never stop). Eight units at a time while no unit of the block may stop:
// `candidates` marks the units of a block that may, ASCII all of them.
template<typename Candidates>
size_t findTableStop(std::u16string_view text, size_t from, const StopTable& stops, [[maybe_unused]] Candidates candidates)
{
    const char16_t* units = text.data();
    size_t size = text.size();
#if defined(__SSE2__)
    while (from + 8 <= size) {
        __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + from));
        int mask = _mm_movemask_epi8(candidates(block));
        if (!mask) {
            from += 8;
            continue;
        }
        from += static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask))) / 2;
        if (stops[units[from]])
            return from;
        ++from;
    }
#endif
    while (from < size && !(units[from] < 0x80 && stops[units[from]]))
        ++from;
    return from;
}

size_t findTagNameStop(std::u16string_view text, size_t from)
{
#if defined(__SSE2__)
    return findTableStop(text, from, tagNameStops, nameStopCandidates);
#else
    return findTableStop(text, from, tagNameStops, 0);
#endif
}

size_t findAttributeNameStop(std::u16string_view text, size_t from)
{
#if defined(__SSE2__)
    return findTableStop(text, from, attributeNameStops, [](__m128i block) {
        return _mm_or_si128(_mm_or_si128(nameStopCandidates(block), equalTo(block, u'=')),
                            _mm_or_si128(_mm_or_si128(equalTo(block, u'"'), equalTo(block, u'\'')), equalTo(block, u'<')));
    });
#else
    return findTableStop(text, from, attributeNameStops, 0);
#endif
}

size_t findUnquotedValueStop(std::u16string_view text, size_t from)
{
#if defined(__SSE2__)
    return findTableStop(text, from, unquotedValueStops, [](__m128i block) {
        __m128i quotes = _mm_or_si128(equalTo(block, u'"'), equalTo(block, u'\''));
        __m128i tagSigns = _mm_or_si128(_mm_or_si128(equalTo(block, u'<'), equalTo(block, u'>')), equalTo(block, u'='));
        return _mm_or_si128(_mm_or_si128(atMost(block, u' '), quotes),
                            _mm_or_si128(tagSigns, _mm_or_si128(equalTo(block, u'`'), equalTo(block, u'&'))));
    });
#else
    return findTableStop(text, from, unquotedValueStops, 0);
#endif
}

bool isNoncharacter(char32_t c)
{
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

} // namespace

const HTMLTokenAttribute* HTMLToken::attribute(std::u16string_view attributeName) const
{
    for (auto& attribute : attributes) {
        if (attribute.name == attributeName)
            return &attribute;
    }
    return nullptr;
}

HTMLTokenizer::HTMLTokenizer(std::u16string_view markup)
    : m_input(markup)
{
    m_characters.kind = HTMLToken::Kind::Characters;
}

void HTMLTokenizer::parseError(const char* code)
{
    if (!m_recordsErrors)
        return;
    size_t offset = std::min(m_position, m_input.size());
    if (offset < m_lineCursor) {
        m_lineCursor = 0;
        m_line = 1;
        m_lineStart = 0;
    }
    for (; m_lineCursor < offset; ++m_lineCursor) {
        char16_t c = m_input[m_lineCursor];
        if (c == u'\n' || (c == u'\r' && (m_lineCursor + 1 >= m_input.size() || m_input[m_lineCursor + 1] != u'\n'))) {
            ++m_line;
            m_lineStart = m_lineCursor + 1;
        }
    }
    m_errors.push_back({ code, static_cast<uint32_t>(offset), m_line, static_cast<uint32_t>(offset - m_lineStart + 1) });
}

bool HTMLTokenizer::startsWith(std::u16string_view text, bool caseInsensitive) const
{
    if (m_input.size() - m_position < text.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = m_input[m_position + i];
        if (caseInsensitive)
            c = toASCIILower(c);
        if (c != text[i])
            return false;
    }
    return true;
}

std::u16string& HTMLTokenizer::characterData()
{
    if (!m_characters.markupRun.empty()) {
        m_characters.data.assign(m_characters.markupRun);
        m_characters.markupRun = {};
    }
    return m_characters.data;
}

void HTMLTokenizer::appendCharacter(char32_t c)
{
    if (!hasCharacters())
        m_characters.range.start = static_cast<uint32_t>(m_stepStart);
    if (!c)
        m_characters.hasNull = true;
    appendCodePoint(characterData(), c);
}

void HTMLTokenizer::appendCharacters(std::u16string_view text)
{
    if (!hasCharacters())
        m_characters.range.start = static_cast<uint32_t>(m_stepStart);
    characterData() += text;
}

void HTMLTokenizer::appendOwnedMarkup(TextInProgress into, size_t from, size_t to)
{
    ownedText(into).append(m_input.substr(from, to - from));
    into.text = into.buffer;
}

std::u16string& HTMLTokenizer::ownedText(TextInProgress into)
{
    if (!into.owned) {
        into.buffer.assign(into.text);
        into.owned = true;
    }
    return into.buffer;
}

void HTMLTokenizer::appendOther(TextInProgress into, char32_t c)
{
    appendCodePoint(ownedText(into), c);
    into.text = into.buffer;
}

[[gnu::always_inline]] inline void HTMLTokenizer::startTag(HTMLToken::Kind kind)
{
    m_tag.kind = kind;
    m_tag.name = {};
    m_nameOwned = false;
    m_tag.attributes.clear();
    m_tag.selfClosing = false;
    m_tag.range.start = static_cast<uint32_t>(m_tokenStart);
    m_dropAttribute = false;
    if (!m_attributeNames.empty())
        m_attributeNames.clear();
}

[[gnu::always_inline]] inline void HTMLTokenizer::startAttribute()
{
    if (m_dropAttribute) {
        m_tag.attributes.pop_back();
        m_dropAttribute = false;
    }
    auto& attribute = m_tag.attributes.emplace_back();
    size_t count = m_tag.attributes.size();
    if (m_attributeBuffers.size() < 2 * count)
        m_attributeBuffers.resize(2 * count);
    m_attributeNameBuffer = &m_attributeBuffers[2 * count - 2];
    m_attributeValueBuffer = &m_attributeBuffers[2 * count - 1];
    m_attributeNameOwned = m_attributeValueOwned = false;
    attribute.nameRange.start = attribute.nameRange.end = static_cast<uint32_t>(m_position);
}

void HTMLTokenizer::finishAttributeName()
{
    auto& attribute = m_tag.attributes.back();
    attribute.nameRange.end = static_cast<uint32_t>(m_position);
    attribute.valueRange.start = attribute.valueRange.end = attribute.nameRange.end;
    // A repeated name is dropped with its value; long lists are checked through a set.
    constexpr size_t shortList = 16;
    size_t count = m_tag.attributes.size();
    if (count <= shortList) {
        for (size_t i = 0; i + 1 < count; ++i) {
            if (m_tag.attributes[i].name == attribute.name) {
                parseError("duplicate-attribute");
                m_dropAttribute = true;
                return;
            }
        }
        if (count == shortList) {
            for (auto& earlier : m_tag.attributes)
                m_attributeNames.insert(earlier.name);
        }
        return;
    }
    if (!m_attributeNames.insert(attribute.name).second) {
        parseError("duplicate-attribute");
        m_dropAttribute = true;
    }
}

void HTMLTokenizer::emitCurrent()
{
    if (m_dropAttribute) {
        m_tag.attributes.pop_back();
        m_dropAttribute = false;
    }
    if (m_tag.kind == HTMLToken::Kind::EndTag) {
        if (!m_tag.attributes.empty())
            parseError("end-tag-with-attributes");
        if (m_tag.selfClosing)
            parseError("end-tag-with-trailing-solidus");
    }
    m_tag.range.end = static_cast<uint32_t>(m_position);
    if (hasCharacters()) {
        m_characters.range.end = m_tag.range.start;
        m_ready = &m_characters;
        m_readyAfter = &m_tag;
    } else
        m_ready = &m_tag;
}

void HTMLTokenizer::emitEndOfFile()
{
    m_tokenStart = m_input.size();
    m_tag.kind = HTMLToken::Kind::EndOfFile;
    m_tag.name = {};
    m_tag.data.clear();
    m_tag.attributes.clear();
    m_tag.range = { static_cast<uint32_t>(m_input.size()), static_cast<uint32_t>(m_input.size()) };
    m_ended = true;
    if (hasCharacters()) {
        m_characters.range.end = m_tag.range.start;
        m_ready = &m_characters;
        m_readyAfter = &m_tag;
    } else
        m_ready = &m_tag;
}

void HTMLTokenizer::startComment(uint32_t start)
{
    m_tag.kind = HTMLToken::Kind::Comment;
    m_tag.data.clear();
    // Nothing of the tag read before it stays with the comment.
    m_tag.name = {};
    m_tag.attributes.clear();
    m_tag.selfClosing = false;
    m_tag.range.start = start;
}

void HTMLTokenizer::startDOCTYPE(uint32_t start)
{
    m_tag.kind = HTMLToken::Kind::DOCTYPE;
    m_tag.name = {};
    m_nameOwned = false;
    m_tag.publicIdentifier.clear();
    m_tag.systemIdentifier.clear();
    m_tag.hasName = m_tag.hasPublicIdentifier = m_tag.hasSystemIdentifier = m_tag.forceQuirks = false;
    m_tag.attributes.clear();
    m_tag.selfClosing = false;
    m_tag.range.start = start;
}

size_t HTMLTokenizer::settledLength() const
{
    if (m_recordsErrors)
        return 0;
    size_t settled = std::min(m_position, m_input.size());
    if (const auto& run = m_characters.markupRun; !run.empty())
        settled = std::min(settled, static_cast<size_t>(run.data() - m_input.data()));
    // A token still to come after the characters may read its names and values in the markup.
    if (m_readyAfter)
        settled = std::min(settled, static_cast<size_t>(m_readyAfter->range.start));
    return settled;
}

void HTMLTokenizer::setState(State state)
{
    // The states an end tag ends are entered right after the start tag that
    // opens them: its name, kept from then on, is the last start tag's name.
    if ((state == State::RCDATA || state == State::RAWTEXT || state == State::ScriptData) && m_ready == &m_tag
        && m_tag.kind == HTMLToken::Kind::StartTag)
        m_lastStartTagName = m_tag.name;
    m_state = state;
}

bool HTMLTokenizer::isAppropriateEndTag() const
{
    return !m_lastStartTagName.empty() && m_tag.name == m_lastStartTagName;
}

void HTMLTokenizer::emitPendingEndTagAsCharacters()
{
    auto saved = m_stepStart;
    m_stepStart = m_tokenStart;
    appendCharacters(u"</");
    appendCharacters(m_temporaryBuffer);
    m_stepStart = saved;
}

void HTMLTokenizer::consumeCharacterReference(std::u16string& into, bool inAttribute)
{
    char32_t c = peek();
    if (isASCIIAlphanumeric(c)) {
        std::u16string_view rest(m_input.data() + m_position, m_input.size() - m_position);
        if (auto common = commonNamedReference(rest)) {
            m_position += common.nameLength;
            into.push_back(common.character);
            return;
        }
        // Most references are a whole name and ";", the longest match there can be.
        size_t wholeLength = 0;
        if (auto* whole = wholeNamedReference(rest, wholeLength)) {
            m_position += wholeLength;
            if (whole->length == 1)
                into.push_back(whole->characters[0]);
            else
                into.append(whole->characters, 2);
            return;
        }
        auto references = htmlNamedCharacterReferences();
        auto firstLetter = namesStartingWith(static_cast<char>(c));
        size_t low = static_cast<size_t>(firstLetter.data() - references.data());
        size_t high = low + firstLetter.size();
        const HTMLNamedCharacterReference* match = nullptr;
        size_t matchLength = 0;
        for (size_t k = 0; m_position + k < m_input.size() && low < high; ++k) {
            char16_t unit = m_input[m_position + k];
            if (unit >= 0x80)
                break;
            // Names of length k come first among those sharing the prefix read so far.
            while (low < high && !references[low].name[k])
                ++low;
            auto first = std::lower_bound(references.begin() + low, references.begin() + high, unit,
                                          [k](const HTMLNamedCharacterReference& reference, char16_t u) {
                                              return static_cast<unsigned char>(reference.name[k]) < u;
                                          });
            auto last = std::upper_bound(first, references.begin() + high, unit,
                                         [k](char16_t u, const HTMLNamedCharacterReference& reference) {
                                             return u < static_cast<unsigned char>(reference.name[k]);
                                         });
            low = static_cast<size_t>(first - references.begin());
            high = static_cast<size_t>(last - references.begin());
            if (low < high && !references[low].name[k + 1]) {
                match = &references[low];
                matchLength = k + 1;
            }
            if (unit == u';')
                break;
        }
        if (!match) {
            // An unknown name goes out as written; it ends in ";" only by mistake.
            size_t end = m_position;
            while (end < m_input.size() && isASCIIAlphanumeric(m_input[end]))
                ++end;
            if (end < m_input.size() && m_input[end] == u';') {
                auto saved = m_position;
                m_position = end;
                parseError("unknown-named-character-reference");
                m_position = saved;
            }
            into += u'&';
            return;
        }
        bool endsWithSemicolon = match->name[matchLength - 1] == ';';
        if (!endsWithSemicolon && inAttribute) {
            char16_t next = m_position + matchLength < m_input.size() ? m_input[m_position + matchLength] : 0;
            if (next == u'=' || isASCIIAlphanumeric(next)) {
                into += u'&';
                into.append(m_input.substr(m_position, matchLength));
                m_position += matchLength;
                return;
            }
        }
        m_position += matchLength;
        if (!endsWithSemicolon)
            parseError("missing-semicolon-after-character-reference");
        into.append(match->characters, match->length);
        return;
    }
    if (c != '#') {
        into += u'&';
        return;
    }
    size_t start = m_position;
    skip();
    bool hex = false;
    if (peek() == 'x' || peek() == 'X') {
        hex = true;
        skip();
    }
    char32_t value = 0;
    size_t digitsStart = m_position;
    const char16_t* units = m_input.data();
    if (hex) {
        for (; m_position < m_input.size() && isASCIIHexDigit(units[m_position]); ++m_position) {
            auto digit = static_cast<unsigned>(hexDigitValue(units[m_position]));
            value = value > 0x10FFFF ? value : value * 16 + digit;
        }
    } else {
        for (; m_position < m_input.size() && isASCIIDigit(units[m_position]); ++m_position)
            value = value > 0x10FFFF ? value : value * 10 + (units[m_position] - '0');
    }
    bool any = m_position > digitsStart;
    if (!any) {
        parseError("absence-of-digits-in-numeric-character-reference");
        into += u'&';
        into.append(m_input.substr(start, m_position - start));
        return;
    }
    if (peek() == ';')
        skip();
    else
        parseError("missing-semicolon-after-character-reference");
    if (!value) {
        parseError("null-character-reference");
        value = 0xFFFD;
    } else if (value > 0x10FFFF) {
        parseError("character-reference-outside-unicode-range");
        value = 0xFFFD;
    } else if (value >= 0xD800 && value <= 0xDFFF) {
        parseError("surrogate-character-reference");
        value = 0xFFFD;
    } else if (isNoncharacter(value))
        parseError("noncharacter-character-reference");
    else if (value == 0x0D || ((value < 0x20 || (value >= 0x7F && value < 0xA0)) && !isTagWhitespace(value))) {
        parseError("control-character-reference");
        if (value >= 0x80 && value < 0xA0)
            value = windows1252Replacement(value);
    }
    appendCodePoint(into, value);
}

// Text up to the next character that matters to the state, in one piece.
[[gnu::always_inline]] inline void HTMLTokenizer::scanData(bool stopAtAmpersand)
{
    size_t start = m_position;
    size_t end = findStop(m_input, start, u'<', stopAtAmpersand ? u'&' : u'<');
    if (end == start)
        return;
    m_stepStart = start;
    // A run that starts the token, or follows on from the run it is, stays in the markup.
    auto& run = m_characters.markupRun;
    if (!hasCharacters()) {
        m_characters.range.start = static_cast<uint32_t>(start);
        run = m_input.substr(start, end - start);
    } else if (!run.empty() && run.data() + run.size() == m_input.data() + start)
        run = std::u16string_view(run.data(), run.size() + (end - start));
    else
        appendCharacters(m_input.substr(start, end - start));
    m_position = end;
}

void HTMLTokenizer::readToken()
{
    char32_t c = 0;
    auto endValue = [this] { m_tag.attributes.back().valueRange.end = static_cast<uint32_t>(m_position); };
    auto eofInTag = [this] {
        parseError("eof-in-tag");
        emitEndOfFile();
    };
    // The token goes out; the end of file follows from the data state.
    auto eofInComment = [this] {
        parseError("eof-in-comment");
        m_state = State::Data;
        emitCurrent();
    };
    auto eofInDOCTYPE = [this] {
        parseError("eof-in-doctype");
        m_tag.forceQuirks = true;
        m_state = State::Data;
        emitCurrent();
    };
    // The end tag states of RCDATA, RAWTEXT and script data share their rules.
    auto endTagOpen = [&](State nameState, State textState) {
        if (isASCIIAlpha(c)) {
            startTag(HTMLToken::Kind::EndTag);
            m_state = nameState;
            return;
        }
        appendCharacters(u"</");
        m_characters.range.start = std::min(m_characters.range.start, static_cast<uint32_t>(m_tokenStart));
        m_state = textState;
    };
    auto endTagName = [&](State textState) {
        if (isTagWhitespace(c) && isAppropriateEndTag()) {
            advance();
            m_state = State::BeforeAttributeName;
            return;
        }
        if (c == '/' && isAppropriateEndTag()) {
            advance();
            m_state = State::SelfClosingStartTag;
            return;
        }
        if (c == '>' && isAppropriateEndTag()) {
            advance();
            m_state = State::Data;
            emitCurrent();
            return;
        }
        if (isASCIIAlpha(c)) {
            appendOther(tagName(), toASCIILower(c));
            m_temporaryBuffer += static_cast<char16_t>(c);
            advance();
            return;
        }
        emitPendingEndTagAsCharacters();
        m_state = textState;
    };
    auto nullInText = [&] {
        parseError("unexpected-null-character");
        appendCharacter(0xFFFD);
        advance();
    };

    while (!m_ready) {
        m_stepStart = m_position;
        c = peek();
        switch (m_state) {
        case State::Data:
            scanData(true);
            c = peek();
            m_stepStart = m_position;
            if (c == '&') {
                skip();
                if (!hasCharacters())
                    m_characters.range.start = static_cast<uint32_t>(m_stepStart);
                consumeCharacterReference(characterData(), false);
            } else if (c == '<') {
                m_tokenStart = m_position;
                skip();
                m_state = State::TagOpen;
                // Straight on with the tag's first character.
                m_stepStart = m_position;
                c = peek();
                goto tagOpen;
            } else if (c == 0) {
                parseError("unexpected-null-character");
                appendCharacter(0);
                advance();
            } else if (c == endOfFile)
                emitEndOfFile();
            else {
                appendCharacter(c);
                advance();
            }
            continue;
        case State::RCDATA:
            scanData(true);
            c = peek();
            m_stepStart = m_position;
            if (c == '&') {
                advance();
                if (!hasCharacters())
                    m_characters.range.start = static_cast<uint32_t>(m_stepStart);
                consumeCharacterReference(characterData(), false);
            } else if (c == '<') {
                m_tokenStart = m_position;
                advance();
                m_state = State::RCDATALessThanSign;
            } else if (c == 0)
                nullInText();
            else if (c == endOfFile)
                emitEndOfFile();
            else {
                appendCharacter(c);
                advance();
            }
            continue;
        case State::RAWTEXT:
        case State::ScriptData:
        case State::PLAINTEXT:
            if (m_state == State::PLAINTEXT) {
                while (m_position < m_input.size() && m_input[m_position] != u'\r' && m_input[m_position]) {
                    size_t end = m_input.find_first_of(std::u16string_view(u"\r\0", 2), m_position);
                    end = end == std::u16string_view::npos ? m_input.size() : end;
                    appendCharacters(m_input.substr(m_position, end - m_position));
                    m_position = end;
                }
            } else
                scanData(false);
            c = peek();
            m_stepStart = m_position;
            if (c == '<' && m_state != State::PLAINTEXT) {
                m_tokenStart = m_position;
                advance();
                m_state = m_state == State::RAWTEXT ? State::RAWTEXTLessThanSign : State::ScriptDataLessThanSign;
            } else if (c == 0)
                nullInText();
            else if (c == endOfFile)
                emitEndOfFile();
            else {
                appendCharacter(c);
                advance();
            }
            continue;
        case State::TagOpen:
        tagOpen:
            if (c == '!') {
                advance();
                m_state = State::MarkupDeclarationOpen;
                // Whether a CDATA section may follow depends on where the characters before it go.
                if (hasCharacters()) {
                    m_characters.range.end = static_cast<uint32_t>(m_tokenStart);
                    m_ready = &m_characters;
                }
            } else if (c == '/') {
                skip();
                m_state = State::EndTagOpen;
                m_stepStart = m_position;
                c = peek();
                if (isASCIIAlpha(c)) {
                    startTag(HTMLToken::Kind::EndTag);
                    m_state = State::TagName;
                    goto tagName;
                }
            } else if (isASCIIAlpha(c)) {
                startTag(HTMLToken::Kind::StartTag);
                m_state = State::TagName;
                goto tagName;
            } else if (c == '?') {
                parseError("unexpected-question-mark-instead-of-tag-name");
                startComment(static_cast<uint32_t>(m_tokenStart));
                m_state = State::BogusComment;
            } else if (c == endOfFile) {
                parseError("eof-before-tag-name");
                m_stepStart = m_tokenStart;
                appendCharacter('<');
                emitEndOfFile();
            } else {
                parseError("invalid-first-character-of-tag-name");
                m_stepStart = m_tokenStart;
                appendCharacter('<');
                m_state = State::Data;
            }
            continue;
        case State::EndTagOpen:
            if (isASCIIAlpha(c)) {
                startTag(HTMLToken::Kind::EndTag);
                m_state = State::TagName;
            } else if (c == '>') {
                parseError("missing-end-tag-name");
                advance();
                m_state = State::Data;
            } else if (c == endOfFile) {
                parseError("eof-before-tag-name");
                m_stepStart = m_tokenStart;
                appendCharacters(u"</");
                emitEndOfFile();
            } else {
                parseError("invalid-first-character-of-tag-name");
                startComment(static_cast<uint32_t>(m_tokenStart));
                m_state = State::BogusComment;
            }
            continue;
        case State::TagName:
        tagName: {
            // The name's plain run in one piece, then what ends it.
            size_t end = findTagNameStop(m_input, m_position);
            if (end > m_position) {
                appendMarkup(tagName(), m_position, end);
                m_position = end;
                c = peek();
            }
            if (isTagWhitespace(c)) {
                advance();
                m_state = State::BeforeAttributeName;
                m_stepStart = m_position;
                c = peek();
                goto beforeAttributeName;
            } else if (c == '/') {
                skip();
                m_state = State::SelfClosingStartTag;
            } else if (c == '>') {
                skip();
                m_state = State::Data;
                emitCurrent();
            } else if (c == 0) {
                parseError("unexpected-null-character");
                appendOther(tagName(), 0xFFFD);
                advance();
            } else if (c == endOfFile)
                eofInTag();
            else {
                appendOther(tagName(), toASCIILower(c));
                advance();
            }
            continue;
        }
        case State::RCDATALessThanSign:
        case State::RAWTEXTLessThanSign:
            if (c == '/') {
                advance();
                m_temporaryBuffer.clear();
                m_state = m_state == State::RCDATALessThanSign ? State::RCDATAEndTagOpen : State::RAWTEXTEndTagOpen;
            } else {
                m_stepStart = m_tokenStart;
                appendCharacter('<');
                m_state = m_state == State::RCDATALessThanSign ? State::RCDATA : State::RAWTEXT;
            }
            continue;
        case State::RCDATAEndTagOpen:
            endTagOpen(State::RCDATAEndTagName, State::RCDATA);
            continue;
        case State::RCDATAEndTagName:
            endTagName(State::RCDATA);
            continue;
        case State::RAWTEXTEndTagOpen:
            endTagOpen(State::RAWTEXTEndTagName, State::RAWTEXT);
            continue;
        case State::RAWTEXTEndTagName:
            endTagName(State::RAWTEXT);
            continue;
        case State::ScriptDataLessThanSign:
            if (c == '/') {
                advance();
                m_temporaryBuffer.clear();
                m_state = State::ScriptDataEndTagOpen;
            } else if (c == '!') {
                advance();
                m_stepStart = m_tokenStart;
                appendCharacters(u"<!");
                m_state = State::ScriptDataEscapeStart;
            } else {
                m_stepStart = m_tokenStart;
                appendCharacter('<');
                m_state = State::ScriptData;
            }
            continue;
        case State::ScriptDataEndTagOpen:
            endTagOpen(State::ScriptDataEndTagName, State::ScriptData);
            continue;
        case State::ScriptDataEndTagName:
            endTagName(State::ScriptData);
            continue;
        case State::ScriptDataEscapeStart:
        case State::ScriptDataEscapeStartDash:
            if (c == '-') {
                advance();
                appendCharacter('-');
                m_state = m_state == State::ScriptDataEscapeStart ? State::ScriptDataEscapeStartDash : State::ScriptDataEscapedDashDash;
            } else
                m_state = State::ScriptData;
            continue;
        case State::ScriptDataEscaped:
        case State::ScriptDataEscapedDash:
        case State::ScriptDataEscapedDashDash:
            if (c == '-') {
                advance();
                appendCharacter('-');
                if (m_state == State::ScriptDataEscaped)
                    m_state = State::ScriptDataEscapedDash;
                else
                    m_state = State::ScriptDataEscapedDashDash;
            } else if (c == '<') {
                m_tokenStart = m_position;
                advance();
                m_state = State::ScriptDataEscapedLessThanSign;
            } else if (c == '>' && m_state == State::ScriptDataEscapedDashDash) {
                advance();
                appendCharacter('>');
                m_state = State::ScriptData;
            } else if (c == 0) {
                nullInText();
                m_state = State::ScriptDataEscaped;
            } else if (c == endOfFile) {
                parseError("eof-in-script-html-comment-like-text");
                emitEndOfFile();
            } else {
                appendCharacter(c);
                advance();
                m_state = State::ScriptDataEscaped;
            }
            continue;
        case State::ScriptDataEscapedLessThanSign:
            if (c == '/') {
                advance();
                m_temporaryBuffer.clear();
                m_state = State::ScriptDataEscapedEndTagOpen;
            } else if (isASCIIAlpha(c)) {
                m_temporaryBuffer.clear();
                m_stepStart = m_tokenStart;
                appendCharacter('<');
                m_state = State::ScriptDataDoubleEscapeStart;
            } else {
                m_stepStart = m_tokenStart;
                appendCharacter('<');
                m_state = State::ScriptDataEscaped;
            }
            continue;
        case State::ScriptDataEscapedEndTagOpen:
            endTagOpen(State::ScriptDataEscapedEndTagName, State::ScriptDataEscaped);
            continue;
        case State::ScriptDataEscapedEndTagName:
            endTagName(State::ScriptDataEscaped);
            continue;
        case State::ScriptDataDoubleEscapeStart:
        case State::ScriptDataDoubleEscapeEnd:
            if (isTagWhitespace(c) || c == '/' || c == '>') {
                bool script = m_temporaryBuffer == u"script";
                if (m_state == State::ScriptDataDoubleEscapeStart)
                    m_state = script ? State::ScriptDataDoubleEscaped : State::ScriptDataEscaped;
                else
                    m_state = script ? State::ScriptDataEscaped : State::ScriptDataDoubleEscaped;
                appendCharacter(c);
                advance();
            } else if (isASCIIAlpha(c)) {
                m_temporaryBuffer += toASCIILower(c);
                appendCharacter(c);
                advance();
            } else
                m_state = m_state == State::ScriptDataDoubleEscapeStart ? State::ScriptDataEscaped : State::ScriptDataDoubleEscaped;
            continue;
        case State::ScriptDataDoubleEscaped:
        case State::ScriptDataDoubleEscapedDash:
        case State::ScriptDataDoubleEscapedDashDash:
            if (c == '-') {
                advance();
                appendCharacter('-');
                if (m_state == State::ScriptDataDoubleEscaped)
                    m_state = State::ScriptDataDoubleEscapedDash;
                else
                    m_state = State::ScriptDataDoubleEscapedDashDash;
            } else if (c == '<') {
                advance();
                appendCharacter('<');
                m_state = State::ScriptDataDoubleEscapedLessThanSign;
            } else if (c == '>' && m_state == State::ScriptDataDoubleEscapedDashDash) {
                advance();
                appendCharacter('>');
                m_state = State::ScriptData;
            } else if (c == 0) {
                nullInText();
                m_state = State::ScriptDataDoubleEscaped;
            } else if (c == endOfFile) {
                parseError("eof-in-script-html-comment-like-text");
                emitEndOfFile();
            } else {
                appendCharacter(c);
                advance();
                m_state = State::ScriptDataDoubleEscaped;
            }
            continue;
        case State::ScriptDataDoubleEscapedLessThanSign:
            if (c == '/') {
                advance();
                m_temporaryBuffer.clear();
                appendCharacter('/');
                m_state = State::ScriptDataDoubleEscapeEnd;
            } else
                m_state = State::ScriptDataDoubleEscaped;
            continue;
        case State::BeforeAttributeName:
        beforeAttributeName:
            if (isTagWhitespace(c))
                advance();
            else if (c == '/' || c == '>' || c == endOfFile)
                m_state = State::AfterAttributeName;
            else if (c == '=') {
                parseError("unexpected-equals-sign-before-attribute-name");
                startAttribute();
                appendMarkup(attributeName(), m_position, m_position + 1);
                advance();
                m_state = State::AttributeName;
            } else {
                startAttribute();
                m_state = State::AttributeName;
                goto attributeName;
            }
            continue;
        case State::AttributeName:
        attributeName: {
            // The name's plain run in one piece, then what ends it.
            size_t end = findAttributeNameStop(m_input, m_position);
            if (end > m_position) {
                appendMarkup(attributeName(), m_position, end);
                m_position = end;
                c = peek();
            }
            if (isTagWhitespace(c) || c == '/' || c == '>' || c == endOfFile) {
                finishAttributeName();
                m_state = State::AfterAttributeName;
            } else if (c == '=') {
                finishAttributeName();
                skip();
                m_state = State::BeforeAttributeValue;
                m_stepStart = m_position;
                c = peek();
                goto beforeAttributeValue;
            } else {
                if (c == 0) {
                    parseError("unexpected-null-character");
                    appendOther(attributeName(), 0xFFFD);
                } else if (isASCIIUpper(c))
                    appendOther(attributeName(), toASCIILower(c));
                else {
                    // '"', "'" and "<" stay as they are.
                    parseError("unexpected-character-in-attribute-name");
                    appendMarkup(attributeName(), m_position, m_position + 1);
                }
                advance();
            }
            continue;
        }
        case State::AfterAttributeName:
            if (isTagWhitespace(c))
                advance();
            else if (c == '/') {
                advance();
                m_state = State::SelfClosingStartTag;
            } else if (c == '=') {
                advance();
                m_state = State::BeforeAttributeValue;
            } else if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInTag();
            else {
                startAttribute();
                m_state = State::AttributeName;
            }
            continue;
        case State::BeforeAttributeValue:
        beforeAttributeValue:
            if (isTagWhitespace(c))
                advance();
            else if (c == '"' || c == '\'') {
                skip();
                m_tag.attributes.back().valueRange.start = static_cast<uint32_t>(m_position);
                m_state = c == '"' ? State::AttributeValueDoubleQuoted : State::AttributeValueSingleQuoted;
                m_stepStart = m_position;
                c = peek();
                goto attributeValue;
            } else if (c == '>') {
                parseError("missing-attribute-value");
                advance();
                m_state = State::Data;
                emitCurrent();
            } else {
                m_tag.attributes.back().valueRange.start = static_cast<uint32_t>(m_position);
                m_state = State::AttributeValueUnquoted;
                goto attributeValue;
            }
            continue;
        case State::AttributeValueDoubleQuoted:
        case State::AttributeValueSingleQuoted:
        case State::AttributeValueUnquoted:
        attributeValue: {
            // The value's plain run in one piece, then what ends it.
            bool unquoted = m_state == State::AttributeValueUnquoted;
            char16_t quote = m_state == State::AttributeValueDoubleQuoted ? u'"' : u'\'';
            size_t end = unquoted ? findUnquotedValueStop(m_input, m_position)
                                  : findStop(m_input, m_position, quote, u'&');
            if (end > m_position) {
                appendMarkup(attributeValue(), m_position, end);
                m_position = end;
                c = peek();
            }
            if (unquoted ? isTagWhitespace(c) || c == '>' : c == quote) {
                endValue();
                if (c == '\n')
                    advance();
                else
                    skip();
                if (!unquoted) {
                    m_state = State::AfterAttributeValueQuoted;
                    m_stepStart = m_position;
                    c = peek();
                    goto afterAttributeValueQuoted;
                }
                if (c == '>') {
                    m_state = State::Data;
                    emitCurrent();
                } else
                    m_state = State::BeforeAttributeName;
            } else if (c == '&') {
                skip();
                auto value = attributeValue();
                consumeCharacterReference(ownedText(value), true);
                value.text = value.buffer;
            } else if (c == 0) {
                parseError("unexpected-null-character");
                appendOther(attributeValue(), 0xFFFD);
                advance();
            } else if (c == endOfFile)
                eofInTag();
            else {
                if (unquoted && (c == '"' || c == '\'' || c == '<' || c == '=' || c == '`'))
                    parseError("unexpected-character-in-unquoted-attribute-value");
                // Line breaks are read as line feeds; other units stay as they are.
                if (c == '\n' && m_input[m_position] == u'\r')
                    appendOther(attributeValue(), c);
                else
                    appendMarkup(attributeValue(), m_position, m_position + 1);
                advance();
            }
            continue;
        }
        case State::AfterAttributeValueQuoted:
        afterAttributeValueQuoted:
            if (isTagWhitespace(c)) {
                advance();
                m_state = State::BeforeAttributeName;
                m_stepStart = m_position;
                c = peek();
                goto beforeAttributeName;
            } else if (c == '/') {
                skip();
                m_state = State::SelfClosingStartTag;
            } else if (c == '>') {
                skip();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInTag();
            else {
                parseError("missing-whitespace-between-attributes");
                m_state = State::BeforeAttributeName;
            }
            continue;
        case State::SelfClosingStartTag:
            if (c == '>') {
                skip();
                m_tag.selfClosing = true;
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInTag();
            else {
                parseError("unexpected-solidus-in-tag");
                m_state = State::BeforeAttributeName;
            }
            continue;
        case State::BogusComment:
            if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile) {
                m_state = State::Data;
                emitCurrent();
            } else if (c == 0) {
                parseError("unexpected-null-character");
                m_tag.data += u'\xFFFD';
                advance();
            } else {
                appendCodePoint(m_tag.data, c);
                advance();
            }
            continue;
        case State::MarkupDeclarationOpen:
            if (startsWith(u"--", false)) {
                m_position += 2;
                startComment(static_cast<uint32_t>(m_tokenStart));
                m_state = State::CommentStart;
            } else if (startsWith(u"doctype", true)) {
                m_position += 7;
                m_state = State::DOCTYPE;
            } else if (startsWith(u"[CDATA[", false)) {
                m_position += 7;
                if (m_allowsCDATA) {
                    m_state = State::CDATASection;
                    continue;
                }
                parseError("cdata-in-html-content");
                startComment(static_cast<uint32_t>(m_tokenStart));
                m_tag.data = u"[CDATA[";
                m_state = State::BogusComment;
            } else {
                parseError("incorrectly-opened-comment");
                startComment(static_cast<uint32_t>(m_tokenStart));
                m_state = State::BogusComment;
            }
            continue;
        case State::CommentStart:
            if (c == '-') {
                advance();
                m_state = State::CommentStartDash;
            } else if (c == '>') {
                parseError("abrupt-closing-of-empty-comment");
                advance();
                m_state = State::Data;
                emitCurrent();
            } else
                m_state = State::Comment;
            continue;
        case State::CommentStartDash:
            if (c == '-') {
                advance();
                m_state = State::CommentEnd;
            } else if (c == '>') {
                parseError("abrupt-closing-of-empty-comment");
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInComment();
            else {
                m_tag.data += u'-';
                m_state = State::Comment;
            }
            continue;
        case State::Comment: {
            size_t end = findStop(m_input, m_position, u'<', u'-');
            if (end > m_position) {
                m_tag.data.append(m_input.substr(m_position, end - m_position));
                m_position = end;
                c = peek();
            }
            if (c == '<') {
                advance();
                m_tag.data += u'<';
                m_state = State::CommentLessThanSign;
            } else if (c == '-') {
                advance();
                m_state = State::CommentEndDash;
            } else if (c == 0) {
                parseError("unexpected-null-character");
                m_tag.data += u'\xFFFD';
                advance();
            } else if (c == endOfFile)
                eofInComment();
            else {
                appendCodePoint(m_tag.data, c);
                advance();
            }
            continue;
        }
        case State::CommentLessThanSign:
            if (c == '!') {
                advance();
                m_tag.data += u'!';
                m_state = State::CommentLessThanSignBang;
            } else if (c == '<') {
                advance();
                m_tag.data += u'<';
            } else
                m_state = State::Comment;
            continue;
        case State::CommentLessThanSignBang:
            if (c == '-') {
                advance();
                m_state = State::CommentLessThanSignBangDash;
            } else
                m_state = State::Comment;
            continue;
        case State::CommentLessThanSignBangDash:
            if (c == '-') {
                advance();
                m_state = State::CommentLessThanSignBangDashDash;
            } else
                m_state = State::CommentEndDash;
            continue;
        case State::CommentLessThanSignBangDashDash:
            if (c != '>' && c != endOfFile)
                parseError("nested-comment");
            m_state = State::CommentEnd;
            continue;
        case State::CommentEndDash:
            if (c == '-') {
                advance();
                m_state = State::CommentEnd;
            } else if (c == endOfFile)
                eofInComment();
            else {
                m_tag.data += u'-';
                m_state = State::Comment;
            }
            continue;
        case State::CommentEnd:
            if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == '!') {
                advance();
                m_state = State::CommentEndBang;
            } else if (c == '-') {
                advance();
                m_tag.data += u'-';
            } else if (c == endOfFile)
                eofInComment();
            else {
                m_tag.data += u"--";
                m_state = State::Comment;
            }
            continue;
        case State::CommentEndBang:
            if (c == '-') {
                advance();
                m_tag.data += u"--!";
                m_state = State::CommentEndDash;
            } else if (c == '>') {
                parseError("incorrectly-closed-comment");
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInComment();
            else {
                m_tag.data += u"--!";
                m_state = State::Comment;
            }
            continue;
        case State::DOCTYPE:
            startDOCTYPE(static_cast<uint32_t>(m_tokenStart));
            if (isTagWhitespace(c)) {
                advance();
                m_state = State::BeforeDOCTYPEName;
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else {
                if (c != '>')
                    parseError("missing-whitespace-before-doctype-name");
                m_state = State::BeforeDOCTYPEName;
            }
            continue;
        case State::BeforeDOCTYPEName:
            if (isTagWhitespace(c))
                advance();
            else if (c == '>') {
                parseError("missing-doctype-name");
                advance();
                m_tag.forceQuirks = true;
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else {
                m_tag.hasName = true;
                if (c == 0) {
                    parseError("unexpected-null-character");
                    appendOther(tagName(), 0xFFFD);
                } else
                    appendOther(tagName(), toASCIILower(c));
                advance();
                m_state = State::DOCTYPEName;
            }
            continue;
        case State::DOCTYPEName:
            if (isTagWhitespace(c)) {
                advance();
                m_state = State::AfterDOCTYPEName;
            } else if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else {
                if (c == 0) {
                    parseError("unexpected-null-character");
                    appendOther(tagName(), 0xFFFD);
                } else
                    appendOther(tagName(), toASCIILower(c));
                advance();
            }
            continue;
        case State::AfterDOCTYPEName:
            if (isTagWhitespace(c))
                advance();
            else if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else if (startsWith(u"public", true)) {
                m_position += 6;
                m_state = State::AfterDOCTYPEPublicKeyword;
            } else if (startsWith(u"system", true)) {
                m_position += 6;
                m_state = State::AfterDOCTYPESystemKeyword;
            } else {
                parseError("invalid-character-sequence-after-doctype-name");
                m_tag.forceQuirks = true;
                m_state = State::BogusDOCTYPE;
            }
            continue;
        case State::AfterDOCTYPEPublicKeyword:
        case State::BeforeDOCTYPEPublicIdentifier:
        case State::AfterDOCTYPESystemKeyword:
        case State::BeforeDOCTYPESystemIdentifier: {
            bool isPublic = m_state == State::AfterDOCTYPEPublicKeyword || m_state == State::BeforeDOCTYPEPublicIdentifier;
            bool afterKeyword = m_state == State::AfterDOCTYPEPublicKeyword || m_state == State::AfterDOCTYPESystemKeyword;
            if (isTagWhitespace(c)) {
                advance();
                if (afterKeyword)
                    m_state = isPublic ? State::BeforeDOCTYPEPublicIdentifier : State::BeforeDOCTYPESystemIdentifier;
            } else if (c == '"' || c == '\'') {
                if (afterKeyword)
                    parseError(isPublic ? "missing-whitespace-after-doctype-public-keyword" : "missing-whitespace-after-doctype-system-keyword");
                advance();
                if (isPublic) {
                    m_tag.hasPublicIdentifier = true;
                    m_state = c == '"' ? State::DOCTYPEPublicIdentifierDoubleQuoted : State::DOCTYPEPublicIdentifierSingleQuoted;
                } else {
                    m_tag.hasSystemIdentifier = true;
                    m_state = c == '"' ? State::DOCTYPESystemIdentifierDoubleQuoted : State::DOCTYPESystemIdentifierSingleQuoted;
                }
            } else if (c == '>') {
                parseError(isPublic ? "missing-doctype-public-identifier" : "missing-doctype-system-identifier");
                advance();
                m_tag.forceQuirks = true;
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else {
                parseError(isPublic ? "missing-quote-before-doctype-public-identifier" : "missing-quote-before-doctype-system-identifier");
                m_tag.forceQuirks = true;
                m_state = State::BogusDOCTYPE;
            }
            continue;
        }
        case State::DOCTYPEPublicIdentifierDoubleQuoted:
        case State::DOCTYPEPublicIdentifierSingleQuoted:
        case State::DOCTYPESystemIdentifierDoubleQuoted:
        case State::DOCTYPESystemIdentifierSingleQuoted: {
            bool isPublic = m_state == State::DOCTYPEPublicIdentifierDoubleQuoted || m_state == State::DOCTYPEPublicIdentifierSingleQuoted;
            char32_t quote = m_state == State::DOCTYPEPublicIdentifierDoubleQuoted || m_state == State::DOCTYPESystemIdentifierDoubleQuoted ? '"' : '\'';
            auto& identifier = isPublic ? m_tag.publicIdentifier : m_tag.systemIdentifier;
            if (c == quote) {
                advance();
                m_state = isPublic ? State::AfterDOCTYPEPublicIdentifier : State::AfterDOCTYPESystemIdentifier;
            } else if (c == 0) {
                parseError("unexpected-null-character");
                identifier += u'\xFFFD';
                advance();
            } else if (c == '>') {
                parseError(isPublic ? "abrupt-doctype-public-identifier" : "abrupt-doctype-system-identifier");
                advance();
                m_tag.forceQuirks = true;
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else {
                appendCodePoint(identifier, c);
                advance();
            }
            continue;
        }
        case State::AfterDOCTYPEPublicIdentifier:
        case State::BetweenDOCTYPEPublicAndSystemIdentifiers:
            if (isTagWhitespace(c)) {
                advance();
                m_state = State::BetweenDOCTYPEPublicAndSystemIdentifiers;
            } else if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == '"' || c == '\'') {
                if (m_state == State::AfterDOCTYPEPublicIdentifier)
                    parseError("missing-whitespace-between-doctype-public-and-system-identifiers");
                advance();
                m_tag.hasSystemIdentifier = true;
                m_state = c == '"' ? State::DOCTYPESystemIdentifierDoubleQuoted : State::DOCTYPESystemIdentifierSingleQuoted;
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else {
                parseError("missing-quote-before-doctype-system-identifier");
                m_tag.forceQuirks = true;
                m_state = State::BogusDOCTYPE;
            }
            continue;
        case State::AfterDOCTYPESystemIdentifier:
            if (isTagWhitespace(c))
                advance();
            else if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile)
                eofInDOCTYPE();
            else {
                parseError("unexpected-character-after-doctype-system-identifier");
                m_state = State::BogusDOCTYPE;
            }
            continue;
        case State::BogusDOCTYPE:
            if (c == '>') {
                advance();
                m_state = State::Data;
                emitCurrent();
            } else if (c == endOfFile) {
                m_state = State::Data;
                emitCurrent();
            } else {
                if (c == 0)
                    parseError("unexpected-null-character");
                advance();
            }
            continue;
        case State::CDATASection:
            if (c == ']') {
                advance();
                m_state = State::CDATASectionBracket;
            } else if (c == endOfFile) {
                parseError("eof-in-cdata");
                emitEndOfFile();
            } else {
                appendCharacter(c);
                advance();
            }
            continue;
        case State::CDATASectionBracket:
            if (c == ']') {
                advance();
                m_state = State::CDATASectionEnd;
            } else {
                appendCharacter(']');
                m_state = State::CDATASection;
            }
            continue;
        case State::CDATASectionEnd:
            if (c == ']') {
                advance();
                appendCharacter(']');
            } else if (c == '>') {
                advance();
                m_state = State::Data;
            } else {
                appendCharacters(u"]]");
                m_state = State::CDATASection;
            }
            continue;
        }
    }
}

} // namespace brevanton
