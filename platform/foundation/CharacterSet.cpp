#include "platform/foundation/CharacterSet.h"

#include <algorithm>

#include <unicode/uchar.h>
#include <unicode/uniset.h>
#include <unicode/unistr.h>
#include <unicode/utf16.h>

namespace brevanton {

static constexpr char32_t maximumCodePoint = 0x10FFFF;

CharacterSet CharacterSet::fromRanges(std::initializer_list<std::pair<char32_t, char32_t>> ranges)
{
    CharacterSet set;
    for (auto range : ranges) {
        if (range.first > range.second)
            std::swap(range.first, range.second);
        range.second = std::min(range.second, maximumCodePoint);
        if (range.first <= range.second)
            set.m_ranges.push_back(range);
    }
    set.normalize();
    return set;
}

CharacterSet CharacterSet::fromCharacters(std::u16string_view characters)
{
    CharacterSet set;
    size_t i = 0;
    while (i < characters.size()) {
        char32_t c;
        U16_NEXT(characters.data(), i, characters.size(), c);
        set.m_ranges.emplace_back(c, c);
    }
    set.normalize();
    return set;
}

CharacterSet CharacterSet::fromCharacters(std::string_view asciiOrUTF8)
{
    icu::UnicodeString string = icu::UnicodeString::fromUTF8(
        icu::StringPiece(asciiOrUTF8.data(), static_cast<int32_t>(asciiOrUTF8.size())));
    return fromCharacters(std::u16string_view(string.getBuffer(), string.length()));
}

CharacterSet CharacterSet::fromPattern(std::u16string_view icuPattern)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeSet unicodeSet(icu::UnicodeString(icuPattern.data(), static_cast<int32_t>(icuPattern.size())), status);
    if (U_FAILURE(status))
        return CharacterSet();
    CharacterSet set;
    for (int32_t i = 0; i < unicodeSet.getRangeCount(); ++i)
        set.m_ranges.emplace_back(static_cast<char32_t>(unicodeSet.getRangeStart(i)),
                                  static_cast<char32_t>(unicodeSet.getRangeEnd(i)));
    set.normalize();
    return set;
}

void CharacterSet::normalize()
{
    std::sort(m_ranges.begin(), m_ranges.end());
    std::vector<std::pair<char32_t, char32_t>> merged;
    for (auto& range : m_ranges) {
        if (!merged.empty() && range.first <= merged.back().second + 1)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    m_ranges = std::move(merged);
    m_ascii[0] = m_ascii[1] = 0;
    for (auto& range : m_ranges) {
        for (char32_t c = range.first; c <= range.second && c < 128; ++c)
            m_ascii[c / 64] |= uint64_t(1) << (c % 64);
    }
}

bool CharacterSet::contains(char32_t codePoint) const
{
    if (codePoint < 128)
        return m_ascii[codePoint / 64] & (uint64_t(1) << (codePoint % 64));
    auto it = std::upper_bound(m_ranges.begin(), m_ranges.end(), codePoint,
        [](char32_t c, const std::pair<char32_t, char32_t>& range) { return c < range.first; });
    if (it == m_ranges.begin())
        return false;
    --it;
    return codePoint <= it->second;
}

CharacterSet CharacterSet::inverted() const
{
    CharacterSet result;
    char32_t next = 0;
    for (auto& range : m_ranges) {
        if (range.first > next)
            result.m_ranges.emplace_back(next, range.first - 1);
        next = range.second + 1;
    }
    if (next <= maximumCodePoint)
        result.m_ranges.emplace_back(next, maximumCodePoint);
    result.normalize();
    return result;
}

CharacterSet CharacterSet::unionWith(const CharacterSet& other) const
{
    CharacterSet result = *this;
    result.m_ranges.insert(result.m_ranges.end(), other.m_ranges.begin(), other.m_ranges.end());
    result.normalize();
    return result;
}

CharacterSet CharacterSet::intersection(const CharacterSet& other) const
{
    CharacterSet result;
    size_t i = 0, j = 0;
    while (i < m_ranges.size() && j < other.m_ranges.size()) {
        char32_t low = std::max(m_ranges[i].first, other.m_ranges[j].first);
        char32_t high = std::min(m_ranges[i].second, other.m_ranges[j].second);
        if (low <= high)
            result.m_ranges.emplace_back(low, high);
        if (m_ranges[i].second < other.m_ranges[j].second)
            ++i;
        else
            ++j;
    }
    result.normalize();
    return result;
}

CharacterSet CharacterSet::subtracting(const CharacterSet& other) const
{
    return intersection(other.inverted());
}

// Predefined sets.

const CharacterSet& CharacterSet::whitespace()
{
    static const CharacterSet set = fromPattern(u"[[:Zs:]\\u0009]");
    return set;
}

const CharacterSet& CharacterSet::whitespaceAndNewlines()
{
    static const CharacterSet set = fromPattern(u"[[:Z:]\\u0009-\\u000D\\u0085]");
    return set;
}

const CharacterSet& CharacterSet::newlines()
{
    static const CharacterSet set = fromRanges({ { 0x0A, 0x0D }, { 0x85, 0x85 }, { 0x2028, 0x2029 } });
    return set;
}

const CharacterSet& CharacterSet::alphanumerics()
{
    static const CharacterSet set = fromPattern(u"[[:L:][:M:][:N:]]");
    return set;
}

const CharacterSet& CharacterSet::letters()
{
    static const CharacterSet set = fromPattern(u"[[:L:][:M:]]");
    return set;
}

const CharacterSet& CharacterSet::decimalDigits()
{
    static const CharacterSet set = fromPattern(u"[:Nd:]");
    return set;
}

const CharacterSet& CharacterSet::punctuation()
{
    static const CharacterSet set = fromPattern(u"[:P:]");
    return set;
}

const CharacterSet& CharacterSet::controlCharacters()
{
    static const CharacterSet set = fromPattern(u"[[:Cc:][:Cf:]]");
    return set;
}

// RFC 3986:
//   unreserved  = ALPHA / DIGIT / "-" / "." / "_" / "~"
//   sub-delims  = "!" / "$" / "&" / "'" / "(" / ")" / "*" / "+" / "," / ";" / "="
//   pchar       = unreserved / pct-encoded / sub-delims / ":" / "@"
//   userinfo    = *( unreserved / pct-encoded / sub-delims / ":" )
//   host        = IP-literal / IPv4address / reg-name  (reg-name: unreserved / sub-delims)
//   query       = fragment = *( pchar / "/" / "?" )

const CharacterSet& CharacterSet::urlUnreserved()
{
    static const CharacterSet set = fromRanges({ { 'A', 'Z' }, { 'a', 'z' }, { '0', '9' } }).adding(u"-._~");
    return set;
}

static const CharacterSet& subDelimiters()
{
    static const CharacterSet set = CharacterSet::fromCharacters(u"!$&'()*+,;=");
    return set;
}

const CharacterSet& CharacterSet::urlUserAllowed()
{
    // The user name ends at ":" (which starts the password), so ":" is escaped.
    static const CharacterSet set = urlUnreserved().unionWith(subDelimiters());
    return set;
}

const CharacterSet& CharacterSet::urlPasswordAllowed()
{
    static const CharacterSet set = urlUnreserved().unionWith(subDelimiters()).adding(u":");
    return set;
}

const CharacterSet& CharacterSet::urlHostAllowed()
{
    // reg-name, plus what an IP literal needs ("[", "]", ":").
    static const CharacterSet set = urlUnreserved().unionWith(subDelimiters()).adding(u"[]:");
    return set;
}

const CharacterSet& CharacterSet::urlPathAllowed()
{
    static const CharacterSet set = urlUnreserved().unionWith(subDelimiters()).adding(u":@/");
    return set;
}

const CharacterSet& CharacterSet::urlPathSegmentAllowed()
{
    static const CharacterSet set = urlPathAllowed().removing(u"/;");
    return set;
}

const CharacterSet& CharacterSet::urlQueryAllowed()
{
    static const CharacterSet set = urlUnreserved().unionWith(subDelimiters()).adding(u":@/?");
    return set;
}

const CharacterSet& CharacterSet::urlFragmentAllowed()
{
    static const CharacterSet set = urlUnreserved().unionWith(subDelimiters()).adding(u":@/?");
    return set;
}

} // namespace brevanton
