#include "platform/css/CSSTokenizer.h"

#include "platform/foundation/HexDigits.h"

#include <cmath>
#include <cstdlib>

namespace brevanton {

namespace {

bool isNameStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c >= 0x80;
}

bool isName(char16_t c)
{
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-';
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isWhitespace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

class Tokenizer {
public:
    explicit Tokenizer(std::u16string_view text)
        : m_text(text)
    {
    }

    std::vector<CSSToken> run()
    {
        std::vector<CSSToken> tokens;
        while (true) {
            skipComments();
            if (m_position >= m_text.size())
                break;
            tokens.push_back(next());
        }
        return tokens;
    }

private:
    char16_t at(size_t offset = 0) const
    {
        size_t index = m_position + offset;
        return index < m_text.size() ? m_text[index] : 0;
    }

    void skipComments()
    {
        while (at() == u'/' && at(1) == u'*') {
            size_t end = m_text.find(u"*/", m_position + 2);
            m_position = end == std::u16string_view::npos ? m_text.size() : end + 2;
        }
    }

    bool startsValidEscape(size_t offset = 0) const
    {
        return at(offset) == u'\\' && at(offset + 1) != u'\n' && m_position + offset + 1 < m_text.size();
    }

    bool startsIdentifier(size_t offset = 0) const
    {
        char16_t c = at(offset);
        if (c == u'-')
            return isNameStart(at(offset + 1)) || at(offset + 1) == u'-' || startsValidEscape(offset + 1);
        if (isNameStart(c))
            return true;
        return startsValidEscape(offset);
    }

    bool startsNumber() const
    {
        char16_t c = at();
        if (c == u'+' || c == u'-')
            return isDigit(at(1)) || (at(1) == u'.' && isDigit(at(2)));
        if (c == u'.')
            return isDigit(at(1));
        return isDigit(c);
    }

    // After the backslash.
    void consumeEscape(std::u16string& out)
    {
        char16_t c = at();
        if (isASCIIHexDigit(c)) {
            uint32_t value = 0;
            int digits = 0;
            while (digits < 6 && isASCIIHexDigit(at())) {
                value = value * 16 + static_cast<uint32_t>(hexDigitValue(at()));
                ++m_position;
                ++digits;
            }
            if (isWhitespace(at()))
                ++m_position;
            if (!value || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
                value = 0xFFFD;
            if (value >= 0x10000) {
                value -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (value >> 10));
                out += static_cast<char16_t>(0xDC00 + (value & 0x3FF));
            } else
                out += static_cast<char16_t>(value);
            return;
        }
        if (m_position >= m_text.size()) {
            out += u'\uFFFD';
            return;
        }
        out += c;
        ++m_position;
    }

    std::u16string consumeName()
    {
        std::u16string name;
        while (m_position < m_text.size()) {
            char16_t c = at();
            if (isName(c)) {
                name += c;
                ++m_position;
            } else if (startsValidEscape()) {
                ++m_position;
                consumeEscape(name);
            } else
                break;
        }
        return name;
    }

    void consumeNumber(CSSToken& token)
    {
        size_t start = m_position;
        bool integer = true;
        if (at() == u'+' || at() == u'-')
            ++m_position;
        while (isDigit(at()))
            ++m_position;
        if (at() == u'.' && isDigit(at(1))) {
            integer = false;
            m_position += 2;
            while (isDigit(at()))
                ++m_position;
        }
        if ((at() == u'e' || at() == u'E')
            && (isDigit(at(1)) || ((at(1) == u'+' || at(1) == u'-') && isDigit(at(2))))) {
            integer = false;
            m_position += 2;
            while (isDigit(at()))
                ++m_position;
        }
        std::string ascii;
        for (size_t i = start; i < m_position; ++i)
            ascii += static_cast<char>(m_text[i]);
        token.number = std::strtod(ascii.c_str(), nullptr);
        if (!std::isfinite(token.number))
            token.number = 0;
        token.isInteger = integer;
    }

    CSSToken consumeString(char16_t quote)
    {
        CSSToken token;
        token.type = CSSToken::String;
        ++m_position;
        while (m_position < m_text.size()) {
            char16_t c = at();
            if (c == quote) {
                ++m_position;
                return token;
            }
            if (c == u'\n') {
                token.type = CSSToken::BadString;
                return token;
            }
            if (c == u'\\') {
                if (at(1) == u'\n') {
                    m_position += 2;
                    continue;
                }
                ++m_position;
                consumeEscape(token.value);
                continue;
            }
            token.value += c;
            ++m_position;
        }
        return token;
    }

    void consumeBadURLRemnants()
    {
        while (m_position < m_text.size() && at() != u')') {
            if (startsValidEscape())
                m_position += 2;
            else
                ++m_position;
        }
        if (m_position < m_text.size())
            ++m_position;
    }

    // After "url(" with an unquoted argument.
    CSSToken consumeURL()
    {
        CSSToken token;
        token.type = CSSToken::URL;
        while (isWhitespace(at()))
            ++m_position;
        while (m_position < m_text.size()) {
            char16_t c = at();
            if (c == u')') {
                ++m_position;
                return token;
            }
            if (isWhitespace(c)) {
                while (isWhitespace(at()))
                    ++m_position;
                if (at() == u')' || m_position >= m_text.size()) {
                    if (m_position < m_text.size())
                        ++m_position;
                    return token;
                }
                consumeBadURLRemnants();
                token.type = CSSToken::BadURL;
                return token;
            }
            if (c == u'"' || c == u'\'' || c == u'(') {
                consumeBadURLRemnants();
                token.type = CSSToken::BadURL;
                return token;
            }
            if (c == u'\\') {
                if (!startsValidEscape()) {
                    consumeBadURLRemnants();
                    token.type = CSSToken::BadURL;
                    return token;
                }
                ++m_position;
                consumeEscape(token.value);
                continue;
            }
            token.value += c;
            ++m_position;
        }
        return token;
    }

    CSSToken consumeNumeric()
    {
        CSSToken token;
        consumeNumber(token);
        if (startsIdentifier()) {
            token.type = CSSToken::Dimension;
            token.unit = consumeName();
        } else if (at() == u'%') {
            ++m_position;
            token.type = CSSToken::Percentage;
        } else
            token.type = CSSToken::Number;
        return token;
    }

    CSSToken consumeIdentLike()
    {
        CSSToken token;
        std::u16string name = consumeName();
        if (at() == u'(') {
            ++m_position;
            if (name.size() == 3 && (name[0] | 0x20) == u'u' && (name[1] | 0x20) == u'r' && (name[2] | 0x20) == u'l') {
                size_t lookahead = 0;
                while (isWhitespace(at(lookahead)))
                    ++lookahead;
                if (at(lookahead) != u'"' && at(lookahead) != u'\'')
                    return consumeURL();
            }
            token.type = CSSToken::Function;
            token.value = std::move(name);
            return token;
        }
        token.type = CSSToken::Ident;
        token.value = std::move(name);
        return token;
    }

    CSSToken simple(CSSToken::Type type)
    {
        ++m_position;
        CSSToken token;
        token.type = type;
        return token;
    }

    CSSToken delim()
    {
        CSSToken token;
        token.type = CSSToken::Delim;
        token.delim = at();
        ++m_position;
        return token;
    }

    CSSToken next()
    {
        char16_t c = at();
        if (isWhitespace(c)) {
            while (isWhitespace(at()))
                ++m_position;
            CSSToken token;
            token.type = CSSToken::Whitespace;
            return token;
        }
        switch (c) {
        case u'"':
        case u'\'':
            return consumeString(c);
        case u'#':
            if (isName(at(1)) || startsValidEscape(1)) {
                ++m_position;
                CSSToken token;
                token.type = CSSToken::Hash;
                token.hashIsIdentifier = startsIdentifier();
                token.value = consumeName();
                return token;
            }
            return delim();
        case u'(':
            return simple(CSSToken::LeftParen);
        case u')':
            return simple(CSSToken::RightParen);
        case u'[':
            return simple(CSSToken::LeftBracket);
        case u']':
            return simple(CSSToken::RightBracket);
        case u'{':
            return simple(CSSToken::LeftBrace);
        case u'}':
            return simple(CSSToken::RightBrace);
        case u',':
            return simple(CSSToken::Comma);
        case u':':
            return simple(CSSToken::Colon);
        case u';':
            return simple(CSSToken::Semicolon);
        case u'+':
        case u'.':
            if (startsNumber())
                return consumeNumeric();
            return delim();
        case u'-':
            if (startsNumber())
                return consumeNumeric();
            if (at(1) == u'-' && at(2) == u'>') {
                m_position += 3;
                CSSToken token;
                token.type = CSSToken::CDC;
                return token;
            }
            if (startsIdentifier())
                return consumeIdentLike();
            return delim();
        case u'<':
            if (at(1) == u'!' && at(2) == u'-' && at(3) == u'-') {
                m_position += 4;
                CSSToken token;
                token.type = CSSToken::CDO;
                return token;
            }
            return delim();
        case u'@':
            if (startsIdentifier(1)) {
                ++m_position;
                CSSToken token;
                token.type = CSSToken::AtKeyword;
                token.value = consumeName();
                return token;
            }
            return delim();
        case u'\\':
            if (startsValidEscape())
                return consumeIdentLike();
            return delim();
        default:
            break;
        }
        if (isDigit(c))
            return consumeNumeric();
        if (isNameStart(c))
            return consumeIdentLike();
        return delim();
    }

    std::u16string_view m_text;
    size_t m_position { 0 };
};

std::u16string formatNumber(double number)
{
    if (std::floor(number) == number && std::fabs(number) < 1e15) {
        std::string text = std::to_string(static_cast<long long>(number));
        return std::u16string(text.begin(), text.end());
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.6g", number);
    std::string text(buffer);
    return std::u16string(text.begin(), text.end());
}

} // namespace

std::vector<CSSToken> tokenizeCSS(std::u16string_view text)
{
    // CR, FF and CR LF are newlines; NUL reads as the replacement character.
    constexpr std::u16string_view special(u"\r\f\0", 3);
    if (text.find_first_of(special) == std::u16string_view::npos)
        return Tokenizer(text).run();
    std::u16string normalized;
    normalized.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            c = u'\n';
        } else if (c == u'\f')
            c = u'\n';
        else if (!c)
            c = u'\uFFFD';
        normalized += c;
    }
    return Tokenizer(normalized).run();
}

std::u16string serializeCSSTokens(const CSSToken* begin, const CSSToken* end)
{
    std::u16string text;
    for (auto* token = begin; token != end; ++token) {
        switch (token->type) {
        case CSSToken::Ident:
            text += token->value;
            break;
        case CSSToken::Function:
            text += token->value + u"(";
            break;
        case CSSToken::AtKeyword:
            text += u"@" + token->value;
            break;
        case CSSToken::Hash:
            text += u"#" + token->value;
            break;
        case CSSToken::String:
        case CSSToken::BadString:
            text += u"\"" + token->value + u"\"";
            break;
        case CSSToken::URL:
        case CSSToken::BadURL:
            text += u"url(" + token->value + u")";
            break;
        case CSSToken::Delim:
            text += token->delim;
            break;
        case CSSToken::Number:
            text += formatNumber(token->number);
            break;
        case CSSToken::Percentage:
            text += formatNumber(token->number) + u"%";
            break;
        case CSSToken::Dimension:
            text += formatNumber(token->number) + token->unit;
            break;
        case CSSToken::Whitespace:
            text += u' ';
            break;
        case CSSToken::CDO:
            text += u"<!--";
            break;
        case CSSToken::CDC:
            text += u"-->";
            break;
        case CSSToken::Colon:
            text += u':';
            break;
        case CSSToken::Semicolon:
            text += u';';
            break;
        case CSSToken::Comma:
            text += u',';
            break;
        case CSSToken::LeftBracket:
            text += u'[';
            break;
        case CSSToken::RightBracket:
            text += u']';
            break;
        case CSSToken::LeftParen:
            text += u'(';
            break;
        case CSSToken::RightParen:
            text += u')';
            break;
        case CSSToken::LeftBrace:
            text += u'{';
            break;
        case CSSToken::RightBrace:
            text += u'}';
            break;
        }
    }
    return text;
}

} // namespace brevanton
