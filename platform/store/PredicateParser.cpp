// The format syntax of predicates (see Predicate.h).
#include "platform/store/Predicate.h"

#include "platform/store/PersistentStore.h"
#include "platform/store/PredicateNode.h"
#include "platform/foundation/Text.h"

#include <cstdlib>

namespace brevanton {

namespace {

enum class TokenKind { End, Identifier, String, Number, KeyArgument, ValueArgument, Operator, LeftParen, RightParen, Flags, Comma, LeftBrace, RightBrace };

struct Token {
    TokenKind kind { TokenKind::End };
    std::u16string text;
    size_t position { 0 };
};

bool isIdentifierStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_' || c == u'$' || c >= 0x80;
}

bool isIdentifierPart(char16_t c)
{
    return isIdentifierStart(c) || (c >= u'0' && c <= u'9');
}

class Parser {
public:
    Parser(std::u16string_view format, const std::vector<PredicateArgument>& arguments)
        : m_format(format), m_arguments(arguments)
    {
    }

    std::shared_ptr<const Predicate::Node> parse(Error* outError)
    {
        if (!tokenize())
            return fail(outError);
        auto node = parseOr();
        if (!node || current().kind != TokenKind::End) {
            if (m_message.empty())
                m_message = "unexpected text";
            return fail(outError);
        }
        return node;
    }

private:
    std::shared_ptr<const Predicate::Node> fail(Error* outError)
    {
        size_t position = m_failurePosition ? m_failurePosition : (m_index < m_tokens.size() ? m_tokens[m_index].position : m_format.size());
        setError(outError, Error(PersistentStoreErrorDomain, PredicateFormatError,
                                 toUTF16("Unable to parse the format string \"" + toUTF8(m_format) + "\": " + m_message
                                         + " at offset " + std::to_string(position))));
        return nullptr;
    }

    bool tokenize()
    {
        size_t i = 0;
        while (i < m_format.size()) {
            char16_t c = m_format[i];
            if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r') {
                ++i;
                continue;
            }
            Token token;
            token.position = i;
            if (c == u'%') {
                if (i + 1 < m_format.size() && (m_format[i + 1] == u'K' || m_format[i + 1] == u'@')) {
                    token.kind = m_format[i + 1] == u'K' ? TokenKind::KeyArgument : TokenKind::ValueArgument;
                    i += 2;
                } else {
                    m_message = "unsupported format specifier";
                    m_failurePosition = i;
                    return false;
                }
            } else if (c == u'\'' || c == u'"') {
                char16_t quote = c;
                ++i;
                bool closed = false;
                while (i < m_format.size()) {
                    char16_t d = m_format[i++];
                    if (d == quote) {
                        closed = true;
                        break;
                    }
                    if (d == u'\\' && i < m_format.size())
                        d = m_format[i++];
                    token.text += d;
                }
                if (!closed) {
                    m_message = "unterminated string";
                    m_failurePosition = token.position;
                    return false;
                }
                token.kind = TokenKind::String;
            } else if ((c >= u'0' && c <= u'9') || (c == u'-' && i + 1 < m_format.size() && m_format[i + 1] >= u'0' && m_format[i + 1] <= u'9')) {
                size_t start = i++;
                while (i < m_format.size() && ((m_format[i] >= u'0' && m_format[i] <= u'9') || m_format[i] == u'.'))
                    ++i;
                token.kind = TokenKind::Number;
                token.text = std::u16string(m_format.substr(start, i - start));
            } else if (isIdentifierStart(c)) {
                size_t start = i++;
                while (i < m_format.size() && isIdentifierPart(m_format[i]))
                    ++i;
                token.kind = TokenKind::Identifier;
                token.text = std::u16string(m_format.substr(start, i - start));
            } else if (c == u'(') {
                token.kind = TokenKind::LeftParen;
                ++i;
            } else if (c == u')') {
                token.kind = TokenKind::RightParen;
                ++i;
            } else if (c == u'{') {
                token.kind = TokenKind::LeftBrace;
                ++i;
            } else if (c == u'}') {
                token.kind = TokenKind::RightBrace;
                ++i;
            } else if (c == u',') {
                token.kind = TokenKind::Comma;
                ++i;
            } else if (c == u'[') {
                size_t close = m_format.find(u']', i);
                if (close == std::u16string_view::npos) {
                    m_message = "unterminated options";
                    m_failurePosition = i;
                    return false;
                }
                token.kind = TokenKind::Flags;
                token.text = std::u16string(m_format.substr(i + 1, close - i - 1));
                i = close + 1;
            } else if (c == u'.') {
                token.kind = TokenKind::Operator;
                token.text = u".";
                ++i;
            } else {
                static const char16_t* operators[] = { u"==", u"!=", u"<>", u"<=", u">=", u"=<", u"=>", u"&&", u"||", u"=", u"<", u">", u"!" };
                bool matched = false;
                for (const char16_t* op : operators) {
                    std::u16string_view text(op);
                    if (m_format.substr(i, text.size()) == text) {
                        token.kind = TokenKind::Operator;
                        token.text = std::u16string(text);
                        i += text.size();
                        matched = true;
                        break;
                    }
                }
                if (!matched) {
                    m_message = "unexpected character";
                    m_failurePosition = i;
                    return false;
                }
            }
            m_tokens.push_back(std::move(token));
        }
        Token end;
        end.position = m_format.size();
        m_tokens.push_back(end);
        return true;
    }

    const Token& current() const { return m_tokens[m_index]; }

    bool isKeyword(const Token& token, std::u16string_view keyword) const
    {
        return token.kind == TokenKind::Identifier && equalsIgnoringASCIICase(token.text, keyword);
    }

    bool isOperator(const Token& token, std::u16string_view text) const
    {
        return token.kind == TokenKind::Operator && token.text == text;
    }

    // Operands joined by one connective ("OR"/"||" or "AND"/"&&") make one
    // node of `kind`; a single operand stands for itself.
    template<typename ParseOperand>
    std::shared_ptr<const Predicate::Node> parseJoined(Predicate::Node::Kind kind, std::u16string_view keyword, std::u16string_view symbol,
                                                       ParseOperand parseOperand)
    {
        auto first = parseOperand();
        if (!first)
            return nullptr;
        std::vector<std::shared_ptr<const Predicate::Node>> children { first };
        while (isKeyword(current(), keyword) || isOperator(current(), symbol)) {
            ++m_index;
            auto next = parseOperand();
            if (!next)
                return nullptr;
            children.push_back(next);
        }
        if (children.size() == 1)
            return first;
        auto node = std::make_shared<Predicate::Node>();
        node->kind = kind;
        node->children = std::move(children);
        return node;
    }

    std::shared_ptr<const Predicate::Node> parseOr()
    {
        return parseJoined(Predicate::Node::Kind::Or, u"OR", u"||", [this] { return parseAnd(); });
    }

    std::shared_ptr<const Predicate::Node> parseAnd()
    {
        return parseJoined(Predicate::Node::Kind::And, u"AND", u"&&", [this] { return parseNot(); });
    }

    // Parentheses and NOT nest by recursion: a bound keeps hostile text from
    // exhausting the stack.
    static constexpr size_t maximumNesting = 200;

    bool enterNesting()
    {
        if (++m_nesting <= maximumNesting)
            return true;
        m_message = "conditions nested too deeply";
        return false;
    }

    std::shared_ptr<const Predicate::Node> parseNot()
    {
        if (isKeyword(current(), u"NOT") || isOperator(current(), u"!")) {
            ++m_index;
            if (!enterNesting())
                return nullptr;
            auto child = parseNot();
            --m_nesting;
            if (!child)
                return nullptr;
            auto node = std::make_shared<Predicate::Node>();
            node->kind = Predicate::Node::Kind::Not;
            node->children.push_back(child);
            return node;
        }
        return parsePrimary();
    }

    std::shared_ptr<const Predicate::Node> parsePrimary()
    {
        const Token& token = current();
        if (token.kind == TokenKind::LeftParen) {
            ++m_index;
            if (!enterNesting())
                return nullptr;
            auto inner = parseOr();
            --m_nesting;
            if (!inner)
                return nullptr;
            if (current().kind != TokenKind::RightParen) {
                m_message = "missing )";
                return nullptr;
            }
            ++m_index;
            return inner;
        }
        if (isKeyword(token, u"TRUEPREDICATE") || isKeyword(token, u"FALSEPREDICATE")) {
            auto node = std::make_shared<Predicate::Node>();
            node->kind = isKeyword(token, u"TRUEPREDICATE") ? Predicate::Node::Kind::True : Predicate::Node::Kind::False;
            ++m_index;
            return node;
        }
        return parseComparison();
    }

    bool parseKeyPath(std::vector<std::u16string>& keyPath)
    {
        while (true) {
            const Token& token = current();
            if (token.kind == TokenKind::KeyArgument) {
                auto argument = takeArgument();
                const Value* value = argument ? std::get_if<Value>(argument) : nullptr;
                if (!value || !value->isString() || value->string().empty()) {
                    if (m_message.empty())
                        m_message = "%K needs a key path string";
                    return false;
                }
                for (auto& key : splitKeyPath(value->string()))
                    keyPath.push_back(key);
            } else if (token.kind == TokenKind::Identifier && !isReservedWord(token)) {
                keyPath.push_back(token.text);
                ++m_index;
            } else {
                m_message = "expected a key path";
                return false;
            }
            if (!isOperator(current(), u"."))
                return true;
            ++m_index;
        }
    }

    bool isReservedWord(const Token& token) const
    {
        static const char16_t* words[] = { u"AND", u"OR", u"NOT", u"ANY", u"SOME", u"ALL", u"NONE", u"IN", u"CONTAINS",
                                           u"BEGINSWITH", u"ENDSWITH", u"LIKE", u"MATCHES", u"BETWEEN", u"TRUEPREDICATE",
                                           u"FALSEPREDICATE", u"YES", u"NO", u"TRUE", u"FALSE", u"NIL", u"NULL" };
        for (const char16_t* word : words) {
            if (equalsIgnoringASCIICase(token.text, word))
                return true;
        }
        return false;
    }

    const PredicateArgument* takeArgument()
    {
        if (m_nextArgument >= m_arguments.size()) {
            m_message = "more format specifiers than arguments";
            return nullptr;
        }
        ++m_index;
        return &m_arguments[m_nextArgument++];
    }

    std::shared_ptr<const Predicate::Node> parseComparison()
    {
        auto node = std::make_shared<Predicate::Node>();
        node->kind = Predicate::Node::Kind::Comparison;
        if (isKeyword(current(), u"ANY") || isKeyword(current(), u"SOME")) {
            node->any = true;
            ++m_index;
        }
        if (!parseKeyPath(node->keyPath))
            return nullptr;

        const Token& opToken = current();
        if (opToken.kind == TokenKind::Operator) {
            const std::u16string& op = opToken.text;
            if (op == u"==" || op == u"=")
                node->op = PredicateOperator::EqualTo;
            else if (op == u"!=" || op == u"<>")
                node->op = PredicateOperator::NotEqualTo;
            else if (op == u"<")
                node->op = PredicateOperator::LessThan;
            else if (op == u"<=" || op == u"=<")
                node->op = PredicateOperator::LessThanOrEqualTo;
            else if (op == u">")
                node->op = PredicateOperator::GreaterThan;
            else if (op == u">=" || op == u"=>")
                node->op = PredicateOperator::GreaterThanOrEqualTo;
            else {
                m_message = "expected a comparison operator";
                return nullptr;
            }
        } else if (isKeyword(opToken, u"CONTAINS")) {
            node->op = PredicateOperator::Contains;
        } else if (isKeyword(opToken, u"BEGINSWITH")) {
            node->op = PredicateOperator::BeginsWith;
        } else if (isKeyword(opToken, u"IN")) {
            node->op = PredicateOperator::In;
        } else {
            m_message = "expected a comparison operator";
            return nullptr;
        }
        ++m_index;

        if (current().kind == TokenKind::Flags) {
            for (char16_t flag : current().text) {
                if (flag == u'c' || flag == u'C')
                    node->caseInsensitive = true;
                else {
                    m_message = "unsupported comparison option";
                    return nullptr;
                }
            }
            ++m_index;
        }

        if (!parseValue(node->value))
            return nullptr;
        return node;
    }

    bool parseValue(PredicateArgument& out)
    {
        const Token& token = current();
        switch (token.kind) {
        case TokenKind::ValueArgument: {
            auto argument = takeArgument();
            if (!argument)
                return false;
            out = *argument;
            return true;
        }
        case TokenKind::String:
            out = Value(token.text);
            ++m_index;
            return true;
        case TokenKind::Number: {
            std::string text = toUTF8(token.text);
            if (text.find('.') != std::string::npos)
                out = Value(std::strtod(text.c_str(), nullptr));
            else
                out = Value(static_cast<long long>(std::strtoll(text.c_str(), nullptr, 10)));
            ++m_index;
            return true;
        }
        case TokenKind::LeftBrace: {
            ++m_index;
            Array elements;
            while (current().kind != TokenKind::RightBrace) {
                if (!elements.empty()) {
                    if (current().kind != TokenKind::Comma) {
                        m_message = "expected , or }";
                        return false;
                    }
                    ++m_index;
                }
                PredicateArgument element;
                if (!parseValue(element))
                    return false;
                const Value* value = std::get_if<Value>(&element);
                if (!value) {
                    m_message = "only values in { }";
                    return false;
                }
                elements.push_back(*value);
            }
            ++m_index;
            out = Value(std::move(elements));
            return true;
        }
        case TokenKind::Identifier:
            if (isKeyword(token, u"YES") || isKeyword(token, u"TRUE")) {
                out = Value(true);
            } else if (isKeyword(token, u"NO") || isKeyword(token, u"FALSE")) {
                out = Value(false);
            } else if (isKeyword(token, u"nil") || isKeyword(token, u"NULL")) {
                out = Value();
            } else {
                m_message = "expected a value";
                return false;
            }
            ++m_index;
            return true;
        default:
            m_message = "expected a value";
            return false;
        }
    }

    std::u16string_view m_format;
    const std::vector<PredicateArgument>& m_arguments;
    std::vector<Token> m_tokens;
    size_t m_index { 0 };
    size_t m_nesting { 0 };
    size_t m_nextArgument { 0 };
    std::string m_message;
    size_t m_failurePosition { 0 };
};

} // namespace

std::optional<Predicate> Predicate::predicateWithFormat(std::u16string_view format, const std::vector<PredicateArgument>& arguments,
                                                        Error* outError)
{
    Parser parser(format, arguments);
    auto root = parser.parse(outError);
    if (!root)
        return std::nullopt;
    return Predicate(root);
}

} // namespace brevanton
