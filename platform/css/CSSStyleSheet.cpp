#include "platform/css/CSSStyleSheet.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <optional>

namespace brevanton {

namespace {

// The closing brace of the block opened just before `token`, or `end` when
// the block is not closed.
const CSSToken* blockClose(const CSSToken* token, const CSSToken* end)
{
    int depth = 1;
    for (; token != end; ++token) {
        if (token->type == CSSToken::LeftBrace)
            ++depth;
        else if (token->type == CSSToken::RightBrace && !--depth)
            return token;
    }
    return end;
}

// The import rule of the prelude of an "@import", or nullopt when it names no URL.
std::optional<CSSImportRule> parseImportPrelude(const CSSToken* token, const CSSToken* end, const std::u16string& baseURL)
{
    while (token != end && token->type == CSSToken::Whitespace)
        ++token;
    if (token == end)
        return std::nullopt;
    std::u16string target;
    if (token->type == CSSToken::String || token->type == CSSToken::URL)
        target = token->value;
    else if (token->type == CSSToken::Function && equalsIgnoringASCIICase(token->value, u"url")) {
        // url("...") with a quoted argument.
        ++token;
        while (token != end && token->type == CSSToken::Whitespace)
            ++token;
        if (token == end || token->type != CSSToken::String)
            return std::nullopt;
        target = token->value;
        while (token != end && token->type != CSSToken::RightParen)
            ++token;
        if (token == end)
            return std::nullopt;
    } else
        return std::nullopt;
    ++token;
    auto base = URL::create(baseURL);
    auto url = URL::create(target, base ? &*base : nullptr);
    if (!url)
        return std::nullopt;
    CSSImportRule rule;
    rule.url = url->absoluteString();
    std::u16string media = serializeCSSTokens(token, end);
    size_t first = media.find_first_not_of(u" \t\n\r\f");
    size_t last = media.find_last_not_of(u" \t\n\r\f");
    if (first != std::u16string::npos)
        rule.media = media.substr(first, last - first + 1);
    return rule;
}

void parseRules(const CSSToken* token, const CSSToken* end, const std::u16string& baseURL, int nesting,
                std::vector<CSSStyleRule>& rules, std::vector<CSSImportRule>* imports = nullptr)
{
    // @import counts only before every rule other than @charset.
    bool importsAllowed = imports && !nesting;
    while (token != end) {
        auto type = token->type;
        if (type == CSSToken::Whitespace || type == CSSToken::CDO || type == CSSToken::CDC
            || type == CSSToken::Semicolon) {
            ++token;
            continue;
        }
        if (type == CSSToken::AtKeyword) {
            bool isMedia = equalsIgnoringASCIICase(token->value, u"media");
            bool isImport = equalsIgnoringASCIICase(token->value, u"import");
            bool isCharset = equalsIgnoringASCIICase(token->value, u"charset");
            const CSSToken* preludeStart = ++token;
            while (token != end && token->type != CSSToken::LeftBrace && token->type != CSSToken::Semicolon)
                ++token;
            if (isImport && importsAllowed) {
                if (auto rule = parseImportPrelude(preludeStart, token, baseURL))
                    imports->push_back(std::move(*rule));
            } else if (!isCharset)
                importsAllowed = false;
            if (token == end)
                return;
            if (token->type == CSSToken::Semicolon) {
                ++token;
                continue;
            }
            const CSSToken* blockStart = ++token;
            const CSSToken* blockEnd = blockClose(token, end);
            token = blockEnd == end ? end : blockEnd + 1;
            if (isMedia && nesting < 8
                && cssMediaListMatchesScreen(serializeCSSTokens(preludeStart, blockStart - 1)))
                parseRules(blockStart, blockEnd, baseURL, nesting + 1, rules);
            continue;
        }
        // A qualified rule: selectors up to "{", declarations up to the matching "}".
        importsAllowed = false;
        const CSSToken* preludeStart = token;
        while (token != end && token->type != CSSToken::LeftBrace)
            ++token;
        if (token == end)
            return;
        const CSSToken* preludeEnd = token;
        const CSSToken* blockStart = ++token;
        const CSSToken* blockEnd = blockClose(token, end);
        token = blockEnd == end ? end : blockEnd + 1;
        CSSStyleRule rule;
        rule.selectors = CSSSelector::parseList(preludeStart, preludeEnd);
        if (rule.selectors.empty())
            continue;
        rule.declarations = parseCSSDeclarationList(blockStart, blockEnd, baseURL);
        if (!rule.declarations.empty())
            rules.push_back(std::move(rule));
    }
}

} // namespace

std::shared_ptr<CSSStyleSheet> CSSStyleSheet::parse(std::u16string_view text, const std::u16string& baseURL)
{
    auto sheet = std::make_shared<CSSStyleSheet>();
    sheet->m_baseURL = baseURL;
    auto tokens = tokenizeCSS(text);
    parseRules(tokens.data(), tokens.data() + tokens.size(), baseURL, 0, sheet->m_rules, &sheet->m_importRules);
    return sheet;
}

bool cssMediaListMatchesScreen(std::u16string_view media)
{
    std::u16string lower = asciiLowercase(media);
    bool sawQuery = false;
    size_t start = 0;
    while (start <= lower.size()) {
        size_t end = lower.find(u',', start);
        if (end == std::u16string::npos)
            end = lower.size();
        std::u16string query = lower.substr(start, end - start);
        // The media type is the first word after an optional "only".
        auto tokens = tokenizeCSS(query);
        std::vector<std::u16string> words;
        bool hasFeature = false;
        for (auto& token : tokens) {
            if (token.type == CSSToken::Ident)
                words.push_back(token.value);
            else if (token.type == CSSToken::LeftParen)
                hasFeature = true;
        }
        if (!words.empty() && words[0] == u"only")
            words.erase(words.begin());
        if (!words.empty() || hasFeature)
            sawQuery = true;
        // Without a viewport, queries with media features do not apply.
        if (!hasFeature && !words.empty()) {
            if (words[0] == u"not") {
                if (words.size() > 1 && words[1] != u"screen" && words[1] != u"all")
                    return true;
            } else if (words[0] == u"screen" || words[0] == u"all")
                return true;
        }
        start = end + 1;
    }
    return !sawQuery;
}

} // namespace brevanton
