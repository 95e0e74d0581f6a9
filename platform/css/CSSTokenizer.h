// CSSTokenizer: splits style sheet text into the tokens of the CSS syntax
// (identifiers, functions, at-keywords, hashes, strings, urls, numbers,
// percentages, dimensions, punctuation). Comments are dropped; escapes are
// decoded; malformed strings and urls become "bad" tokens rather than errors.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

struct CSSToken {
    enum Type : uint8_t {
        Ident,
        Function, // value: the name, without "("
        AtKeyword,
        Hash,
        String,
        BadString,
        URL,
        BadURL,
        Delim,
        Number,
        Percentage,
        Dimension, // unit: the unit as written
        Whitespace,
        CDO,
        CDC,
        Colon,
        Semicolon,
        Comma,
        LeftBracket,
        RightBracket,
        LeftParen,
        RightParen,
        LeftBrace,
        RightBrace,
    };

    Type type { Delim };
    std::u16string value; // identifier, name, string or url text
    std::u16string unit;
    double number { 0 };
    char16_t delim { 0 };
    bool isInteger { false };
    bool hashIsIdentifier { false };

    bool isDelim(char16_t c) const { return type == Delim && delim == c; }
};

std::vector<CSSToken> tokenizeCSS(std::u16string_view text);

// Serializes tokens back to text (whitespace runs as one space), for values
// kept as written.
std::u16string serializeCSSTokens(const CSSToken* begin, const CSSToken* end);

} // namespace brevanton
