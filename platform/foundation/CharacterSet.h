// CharacterSet: an immutable set of Unicode code points, used to decide which
// characters percent escaping leaves alone, which count as whitespace, and so on.
#pragma once

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace brevanton {

class CharacterSet {
public:
    // The empty set.
    CharacterSet() = default;
    // Every code point of the given ranges (inclusive bounds).
    static CharacterSet fromRanges(std::initializer_list<std::pair<char32_t, char32_t>> ranges);
    // Every code point that occurs in `characters`.
    static CharacterSet fromCharacters(std::u16string_view characters);
    static CharacterSet fromCharacters(std::string_view asciiOrUTF8);
    // The code points of a Unicode set pattern such as u"[:L:]"; empty when
    // the pattern does not parse.
    static CharacterSet fromPattern(std::u16string_view icuPattern);

    bool contains(char32_t codePoint) const;
    bool isEmpty() const { return m_ranges.empty(); }

    CharacterSet inverted() const;
    CharacterSet unionWith(const CharacterSet&) const;
    CharacterSet subtracting(const CharacterSet&) const;
    CharacterSet intersection(const CharacterSet&) const;
    CharacterSet adding(std::u16string_view characters) const { return unionWith(fromCharacters(characters)); }
    CharacterSet removing(std::u16string_view characters) const { return subtracting(fromCharacters(characters)); }

    // Sorted, disjoint, non-adjacent inclusive ranges.
    const std::vector<std::pair<char32_t, char32_t>>& ranges() const { return m_ranges; }

    friend bool operator==(const CharacterSet& a, const CharacterSet& b) { return a.m_ranges == b.m_ranges; }

    // Predefined sets (built once).
    static const CharacterSet& whitespace();             // Zs plus tab
    static const CharacterSet& whitespaceAndNewlines();  // Z*, U+0009-U+000D, U+0085
    static const CharacterSet& newlines();               // U+000A-U+000D, U+0085, U+2028, U+2029
    static const CharacterSet& alphanumerics();          // L*, M*, N*
    static const CharacterSet& letters();                // L*, M*
    static const CharacterSet& decimalDigits();          // Nd
    static const CharacterSet& punctuation();            // P*
    static const CharacterSet& controlCharacters();      // Cc, Cf

    // What each URL component may hold unescaped (RFC 3986).
    static const CharacterSet& urlUserAllowed();
    static const CharacterSet& urlPasswordAllowed();
    static const CharacterSet& urlHostAllowed();
    static const CharacterSet& urlPathAllowed();
    static const CharacterSet& urlQueryAllowed();
    static const CharacterSet& urlFragmentAllowed();
    // unreserved = ALPHA / DIGIT / "-" / "." / "_" / "~"
    static const CharacterSet& urlUnreserved();
    // What one path segment may hold unescaped: urlPathAllowed without "/" and ";".
    static const CharacterSet& urlPathSegmentAllowed();

private:
    void normalize();
    std::vector<std::pair<char32_t, char32_t>> m_ranges;
    uint64_t m_ascii[2] { 0, 0 };
};

} // namespace brevanton
