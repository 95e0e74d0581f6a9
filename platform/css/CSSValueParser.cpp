#include "platform/css/CSSValueParser.h"

#include "platform/css/CSSColor.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <algorithm>
#include <cmath>

namespace brevanton {

namespace {

using Value = std::shared_ptr<const CSSValue>;
using P = CSSPrimitiveValue;

// The tokens of a value without whitespace (font families read the raw range).
std::vector<const CSSToken*> significant(const CSSToken* begin, const CSSToken* end)
{
    std::vector<const CSSToken*> tokens;
    for (auto* token = begin; token != end; ++token) {
        if (token->type != CSSToken::Whitespace)
            tokens.push_back(token);
    }
    return tokens;
}

std::optional<P::UnitType> lengthUnit(std::u16string_view unit)
{
    std::u16string lower = asciiLowercase(unit);
    if (lower == u"px")
        return P::CSS_PX;
    if (lower == u"em")
        return P::CSS_EMS;
    if (lower == u"rem")
        return P::CSS_REMS;
    if (lower == u"ex")
        return P::CSS_EXS;
    if (lower == u"ch")
        return P::CSS_CHS;
    if (lower == u"pt")
        return P::CSS_PT;
    if (lower == u"pc")
        return P::CSS_PC;
    if (lower == u"in")
        return P::CSS_IN;
    if (lower == u"cm")
        return P::CSS_CM;
    if (lower == u"mm")
        return P::CSS_MM;
    return std::nullopt;
}

std::optional<std::u16string> keyword(const CSSToken& token)
{
    if (token.type != CSSToken::Ident)
        return std::nullopt;
    return asciiLowercase(token.value);
}

Value length(const CSSToken& token, bool allowPercentage, bool allowNegative)
{
    if (token.type == CSSToken::Dimension) {
        auto unit = lengthUnit(token.unit);
        if (!unit || (!allowNegative && token.number < 0))
            return nullptr;
        return P::create(token.number, *unit);
    }
    if (token.type == CSSToken::Percentage && allowPercentage && (allowNegative || token.number >= 0))
        return P::create(token.number, P::CSS_PERCENTAGE);
    if (token.type == CSSToken::Number && token.number == 0)
        return P::create(0, P::CSS_PX);
    return nullptr;
}

Value identifier(std::u16string name)
{
    return P::createIdentifier(std::move(name));
}

std::u16string resolveURL(const std::u16string& text, const std::u16string& baseURL)
{
    if (baseURL.empty())
        return text;
    auto base = URL::create(baseURL);
    if (!base)
        return text;
    auto resolved = URL::create(text, &*base);
    return resolved ? resolved->absoluteString() : text;
}

// url("...") written as a function with a string argument.
Value quotedURLValue(const CSSToken* const* tokens, size_t count, const std::u16string& baseURL)
{
    if (count != 3 || tokens[0]->type != CSSToken::Function || !equalsIgnoringASCIICase(tokens[0]->value, u"url")
        || tokens[1]->type != CSSToken::String || tokens[2]->type != CSSToken::RightParen)
        return nullptr;
    return P::createURI(resolveURL(tokens[1]->value, baseURL));
}

// One value of a longhand from one token (all kinds but font-family,
// text-decoration and colour functions, which take several).
Value singleTokenValue(const CSSPropertyInfo& info, const CSSToken& token, const std::u16string& baseURL)
{
    auto word = keyword(token);
    if (word && cssKeywordListContains(info.keywords, *word))
        return identifier(*word);
    switch (info.kind) {
    case CSSValueKind::Keyword:
        return nullptr;
    case CSSValueKind::Color:
        if (word && *word == u"currentcolor")
            return identifier(u"currentcolor");
        if (token.type == CSSToken::Ident || token.type == CSSToken::Hash) {
            std::vector<CSSToken> one { token };
            size_t index = 0;
            if (auto color = parseCSSColor(one, index))
                return P::createColor(*color);
        }
        return nullptr;
    case CSSValueKind::Length:
        return length(token, info.allowsPercentage, info.allowsNegative);
    case CSSValueKind::BorderWidth:
        if (word && (*word == u"thin" || *word == u"medium" || *word == u"thick"))
            return identifier(*word);
        return length(token, false, false);
    case CSSValueKind::FontSize:
        if (word
            && cssKeywordListContains(u"xx-small|x-small|small|medium|large|x-large|xx-large|xxx-large|smaller|larger",
                                      *word))
            return identifier(*word);
        return length(token, true, false);
    case CSSValueKind::FontWeight:
        if (word && (*word == u"normal" || *word == u"bold" || *word == u"bolder" || *word == u"lighter"))
            return identifier(*word);
        if (token.type == CSSToken::Number && token.number >= 1 && token.number <= 1000)
            return P::create(token.number, P::CSS_NUMBER);
        return nullptr;
    case CSSValueKind::LineHeight:
        if (word && *word == u"normal")
            return identifier(u"normal");
        if (token.type == CSSToken::Number && token.number >= 0)
            return P::create(token.number, P::CSS_NUMBER);
        return length(token, true, false);
    case CSSValueKind::Image:
        if (word && *word == u"none")
            return identifier(u"none");
        if (token.type == CSSToken::URL)
            return P::createURI(resolveURL(token.value, baseURL));
        return nullptr;
    case CSSValueKind::Integer:
        if (token.type == CSSToken::Number && token.isInteger)
            return P::create(token.number, P::CSS_NUMBER);
        return nullptr;
    case CSSValueKind::Number:
        if (token.type == CSSToken::Number)
            return P::create(std::clamp(token.number, 0.0, 1.0), P::CSS_NUMBER);
        if (token.type == CSSToken::Percentage)
            return P::create(std::clamp(token.number / 100, 0.0, 1.0), P::CSS_NUMBER);
        return nullptr;
    case CSSValueKind::Content:
        if (token.type == CSSToken::String)
            return P::createString(token.value);
        return nullptr;
    case CSSValueKind::FontFamily:
    case CSSValueKind::TextDecoration:
        return nullptr;
    }
    return nullptr;
}

// Generated content written as strings: one string value holding them all.
// Other kinds of content (counters, quotes, attributes, images) are not supported.
Value contentStringsValue(const std::vector<const CSSToken*>& tokens)
{
    std::u16string text;
    for (auto* token : tokens) {
        if (token->type != CSSToken::String)
            return nullptr;
        text += token->value;
    }
    return P::createString(std::move(text));
}

// A colour value starting at tokens[index] (a function takes several tokens).
Value colorValue(const CSSPropertyInfo& info, const std::vector<CSSToken>& all, size_t& index)
{
    const CSSToken& token = all[index];
    if (token.type == CSSToken::Function) {
        size_t i = index;
        if (auto color = parseCSSColor(all, i)) {
            index = i;
            return P::createColor(*color);
        }
        return nullptr;
    }
    Value value = singleTokenValue(info, token, {});
    if (value)
        ++index;
    return value;
}

Value fontFamilyValue(const CSSToken* begin, const CSSToken* end)
{
    std::vector<Value> families;
    std::u16string name;
    bool pendingIdentifiers = false;
    bool expectFamily = true;
    auto flush = [&]() -> bool {
        if (pendingIdentifiers) {
            families.push_back(P::createIdentifier(name));
            name.clear();
            pendingIdentifiers = false;
            return true;
        }
        return !expectFamily;
    };
    for (auto* token = begin; token != end; ++token) {
        switch (token->type) {
        case CSSToken::Whitespace:
            break;
        case CSSToken::Ident:
            if (!expectFamily && !pendingIdentifiers)
                return nullptr;
            if (pendingIdentifiers)
                name += u' ';
            name += token->value;
            pendingIdentifiers = true;
            expectFamily = false;
            break;
        case CSSToken::String:
            if (!expectFamily)
                return nullptr;
            families.push_back(P::createString(token->value));
            expectFamily = false;
            break;
        case CSSToken::Comma:
            if (!flush())
                return nullptr;
            expectFamily = true;
            break;
        default:
            return nullptr;
        }
    }
    if (!flush() || families.empty())
        return nullptr;
    return std::make_shared<CSSValueList>(std::move(families), true);
}

Value textDecorationValue(const std::vector<const CSSToken*>& tokens)
{
    if (tokens.size() == 1) {
        if (auto word = keyword(*tokens[0]); word && *word == u"none")
            return identifier(u"none");
    }
    std::vector<Value> lines;
    std::u16string seen;
    for (auto* token : tokens) {
        auto word = keyword(*token);
        if (!word || !cssKeywordListContains(u"underline|overline|line-through|blink", *word))
            return nullptr;
        if (cssKeywordListContains(seen, *word))
            return nullptr;
        seen += *word + u"|";
        lines.push_back(identifier(*word));
    }
    if (lines.empty())
        return nullptr;
    if (lines.size() == 1)
        return lines[0];
    return std::make_shared<CSSValueList>(std::move(lines), false);
}

// Compact token vector of the significant tokens, keeping function arguments
// in place for colour functions.
std::vector<CSSToken> compactTokens(const CSSToken* begin, const CSSToken* end)
{
    std::vector<CSSToken> tokens;
    int depth = 0;
    for (auto* token = begin; token != end; ++token) {
        if (token->type == CSSToken::Function || token->type == CSSToken::LeftParen)
            ++depth;
        else if (token->type == CSSToken::RightParen && depth)
            --depth;
        if (token->type == CSSToken::Whitespace && !depth)
            continue;
        tokens.push_back(*token);
    }
    return tokens;
}

// A sequence of longhand values, one per component ("1px solid red").
// A component is one token, or a colour function with its arguments.
std::optional<std::vector<std::pair<size_t, size_t>>> components(const std::vector<CSSToken>& tokens)
{
    std::vector<std::pair<size_t, size_t>> result;
    size_t i = 0;
    while (i < tokens.size()) {
        size_t start = i;
        if (tokens[i].type == CSSToken::Function) {
            int depth = 1;
            ++i;
            while (i < tokens.size() && depth) {
                if (tokens[i].type == CSSToken::Function || tokens[i].type == CSSToken::LeftParen)
                    ++depth;
                else if (tokens[i].type == CSSToken::RightParen)
                    --depth;
                ++i;
            }
            if (depth)
                return std::nullopt;
        } else
            ++i;
        result.push_back({ start, i });
    }
    return result;
}

Value componentValue(CSSPropertyID id, const std::vector<CSSToken>& tokens, std::pair<size_t, size_t> component,
                     const std::u16string& baseURL)
{
    const auto& info = cssPropertyInfo(id);
    if (info.kind == CSSValueKind::Color) {
        size_t index = component.first;
        Value value = colorValue(info, tokens, index);
        return index == component.second ? value : nullptr;
    }
    if (info.kind == CSSValueKind::Image && component.second - component.first == 3) {
        const CSSToken* parts[] = { &tokens[component.first], &tokens[component.first + 1], &tokens[component.first + 2] };
        return quotedURLValue(parts, 3, baseURL);
    }
    if (component.second - component.first != 1)
        return nullptr;
    return singleTokenValue(info, tokens[component.first], baseURL);
}

struct Shorthand {
    std::u16string_view name;
    std::vector<CSSPropertyID> longhands;
};

using ID = CSSPropertyID;

const std::vector<Shorthand>& shorthands()
{
    static const std::vector<Shorthand> list = {
        { u"margin", { ID::MarginTop, ID::MarginRight, ID::MarginBottom, ID::MarginLeft } },
        { u"padding", { ID::PaddingTop, ID::PaddingRight, ID::PaddingBottom, ID::PaddingLeft } },
        { u"border-width", { ID::BorderTopWidth, ID::BorderRightWidth, ID::BorderBottomWidth, ID::BorderLeftWidth } },
        { u"border-style", { ID::BorderTopStyle, ID::BorderRightStyle, ID::BorderBottomStyle, ID::BorderLeftStyle } },
        { u"border-color", { ID::BorderTopColor, ID::BorderRightColor, ID::BorderBottomColor, ID::BorderLeftColor } },
        { u"border-radius",
          { ID::BorderTopLeftRadius, ID::BorderTopRightRadius, ID::BorderBottomRightRadius,
            ID::BorderBottomLeftRadius } },
        { u"border-top", { ID::BorderTopWidth, ID::BorderTopStyle, ID::BorderTopColor } },
        { u"border-right", { ID::BorderRightWidth, ID::BorderRightStyle, ID::BorderRightColor } },
        { u"border-bottom", { ID::BorderBottomWidth, ID::BorderBottomStyle, ID::BorderBottomColor } },
        { u"border-left", { ID::BorderLeftWidth, ID::BorderLeftStyle, ID::BorderLeftColor } },
        { u"border",
          { ID::BorderTopWidth, ID::BorderTopStyle, ID::BorderTopColor, ID::BorderRightWidth, ID::BorderRightStyle,
            ID::BorderRightColor, ID::BorderBottomWidth, ID::BorderBottomStyle, ID::BorderBottomColor,
            ID::BorderLeftWidth, ID::BorderLeftStyle, ID::BorderLeftColor } },
        { u"outline", { ID::OutlineWidth, ID::OutlineStyle, ID::OutlineColor } },
        { u"list-style", { ID::ListStyleType, ID::ListStylePosition, ID::ListStyleImage } },
        { u"background",
          { ID::BackgroundColor, ID::BackgroundImage, ID::BackgroundRepeat, ID::BackgroundAttachment } },
        { u"font",
          { ID::FontStyle, ID::FontVariant, ID::FontWeight, ID::FontSize, ID::LineHeight, ID::FontFamily } },
    };
    return list;
}

void append(std::vector<CSSDeclaration>& out, CSSPropertyID id, Value value, bool important)
{
    out.push_back({ id, std::move(value), CSSDeclaration::Keyword::None, important });
}

Value initialValue(CSSPropertyID id)
{
    const auto& info = cssPropertyInfo(id);
    return parseCSSValue(id, info.initial);
}

// margin: 1 to 4 values, top right bottom left.
bool parseBoxShorthand(const Shorthand& shorthand, const std::vector<CSSToken>& tokens, bool important,
                       const std::u16string& baseURL, std::vector<CSSDeclaration>& out)
{
    auto parts = components(tokens);
    if (!parts || parts->empty() || parts->size() > 4)
        return false;
    std::vector<Value> values;
    for (auto& part : *parts) {
        Value value = componentValue(shorthand.longhands[0], tokens, part, baseURL);
        if (!value)
            return false;
        values.push_back(value);
    }
    // Top, right, bottom, left from 1-4 values.
    static const int sides[4][4] = { { 0, 0, 0, 0 }, { 0, 1, 0, 1 }, { 0, 1, 2, 1 }, { 0, 1, 2, 3 } };
    for (int side = 0; side < 4; ++side)
        append(out, shorthand.longhands[side], values[sides[values.size() - 1][side]], important);
    return true;
}

// border-top, outline, list-style, background: components in any order, each
// filling the first longhand that accepts it and is still unset; the rest
// take their initial values.
bool parseAnyOrderShorthand(const Shorthand& shorthand, const std::vector<CSSToken>& tokens, bool important,
                            const std::u16string& baseURL, std::vector<CSSDeclaration>& out, size_t groupSize)
{
    auto parts = components(tokens);
    if (!parts || parts->empty())
        return false;
    std::vector<CSSPropertyID> group(shorthand.longhands.begin(), shorthand.longhands.begin() + groupSize);
    std::vector<Value> values(groupSize);
    bool isListStyle = shorthand.name == u"list-style";
    bool isBackground = shorthand.name == u"background";
    int noneCount = 0;
    for (auto& part : *parts) {
        // "none" in list-style may be the type or the image; count it and settle it afterwards.
        if (isListStyle && part.second - part.first == 1 && tokens[part.first].type == CSSToken::Ident
            && equalsIgnoringASCIICase(tokens[part.first].value, u"none")) {
            ++noneCount;
            continue;
        }
        bool taken = false;
        for (size_t i = 0; i < groupSize && !taken; ++i) {
            if (values[i])
                continue;
            if (Value value = componentValue(group[i], tokens, part, baseURL)) {
                values[i] = value;
                taken = true;
            }
        }
        // Background positions and sizes are not kept; they do not invalidate the shorthand.
        if (!taken && isBackground) {
            const CSSToken& token = tokens[part.first];
            bool positionLike = token.type == CSSToken::Dimension || token.type == CSSToken::Percentage
                || token.type == CSSToken::Number || token.isDelim(u'/')
                || (token.type == CSSToken::Ident
                    && cssKeywordListContains(u"left|right|top|bottom|center|cover|contain|auto|border-box|"
                                              u"padding-box|content-box",
                                              asciiLowercase(token.value)));
            taken = positionLike;
        }
        if (!taken)
            return false;
    }
    if (isListStyle) {
        // Type, position, image.
        for (; noneCount > 0; --noneCount) {
            if (!values[0])
                values[0] = identifier(u"none");
            else if (!values[2])
                values[2] = identifier(u"none");
            else
                return false;
        }
    }
    for (size_t i = 0; i < groupSize; ++i)
        append(out, group[i], values[i] ? values[i] : initialValue(group[i]), important);
    return true;
}

// font: [style || variant || weight]? size [/ line-height]? family
bool parseFontShorthand(const CSSToken* begin, const CSSToken* end, bool important, std::vector<CSSDeclaration>& out)
{
    const CSSToken* token = begin;
    auto skip = [&] {
        while (token != end && token->type == CSSToken::Whitespace)
            ++token;
    };
    Value style, variant, weight, size, lineHeight;
    skip();
    for (int count = 0; count < 3 && token != end; ++count) {
        if (token->type == CSSToken::Ident && equalsIgnoringASCIICase(token->value, u"normal")) {
            ++token;
            skip();
            continue;
        }
        if (!style && (style = singleTokenValue(cssPropertyInfo(ID::FontStyle), *token, {}))) {
        } else if (!variant && (variant = singleTokenValue(cssPropertyInfo(ID::FontVariant), *token, {}))) {
        } else if (!weight && (weight = singleTokenValue(cssPropertyInfo(ID::FontWeight), *token, {}))) {
        } else
            break;
        ++token;
        skip();
    }
    if (token == end)
        return false;
    size = singleTokenValue(cssPropertyInfo(ID::FontSize), *token, {});
    if (!size)
        return false;
    ++token;
    skip();
    if (token != end && token->isDelim(u'/')) {
        ++token;
        skip();
        if (token == end || !(lineHeight = singleTokenValue(cssPropertyInfo(ID::LineHeight), *token, {})))
            return false;
        ++token;
    }
    Value family = fontFamilyValue(token, end);
    if (!family)
        return false;
    append(out, ID::FontStyle, style ? style : initialValue(ID::FontStyle), important);
    append(out, ID::FontVariant, variant ? variant : initialValue(ID::FontVariant), important);
    append(out, ID::FontWeight, weight ? weight : initialValue(ID::FontWeight), important);
    append(out, ID::FontSize, size, important);
    append(out, ID::LineHeight, lineHeight ? lineHeight : initialValue(ID::LineHeight), important);
    append(out, ID::FontFamily, family, important);
    return true;
}

bool parseShorthand(const Shorthand& shorthand, const CSSToken* begin, const CSSToken* end, bool important,
                    const std::u16string& baseURL, std::vector<CSSDeclaration>& out)
{
    std::u16string_view name = shorthand.name;
    if (name == u"font")
        return parseFontShorthand(begin, end, important, out);
    std::vector<CSSToken> tokens = compactTokens(begin, end);
    if (name == u"border-radius") {
        // Only the horizontal radii (before a "/") are kept.
        for (size_t i = 0; i < tokens.size(); ++i) {
            if (tokens[i].isDelim(u'/')) {
                tokens.resize(i);
                break;
            }
        }
    }
    if (name == u"margin" || name == u"padding" || name == u"border-width" || name == u"border-style"
        || name == u"border-color" || name == u"border-radius")
        return parseBoxShorthand(shorthand, tokens, important, baseURL, out);
    if (name == u"border") {
        std::vector<CSSDeclaration> side;
        Shorthand top { u"border-top", { ID::BorderTopWidth, ID::BorderTopStyle, ID::BorderTopColor } };
        if (!parseAnyOrderShorthand(top, tokens, important, baseURL, side, 3))
            return false;
        const ID longhands[4][3] = {
            { ID::BorderTopWidth, ID::BorderTopStyle, ID::BorderTopColor },
            { ID::BorderRightWidth, ID::BorderRightStyle, ID::BorderRightColor },
            { ID::BorderBottomWidth, ID::BorderBottomStyle, ID::BorderBottomColor },
            { ID::BorderLeftWidth, ID::BorderLeftStyle, ID::BorderLeftColor },
        };
        for (auto& sideLonghands : longhands) {
            for (int i = 0; i < 3; ++i)
                append(out, sideLonghands[i], side[i].value, important);
        }
        return true;
    }
    return parseAnyOrderShorthand(shorthand, tokens, important, baseURL, out, shorthand.longhands.size());
}

} // namespace

std::shared_ptr<const CSSValue> parseCSSValue(CSSPropertyID id, std::u16string_view text, const std::u16string& baseURL)
{
    auto tokens = tokenizeCSS(text);
    std::vector<CSSDeclaration> out;
    if (!parseCSSDeclaration(cssPropertyInfo(id).name, tokens.data(), tokens.data() + tokens.size(), false, baseURL,
                             out)
        || out.size() != 1)
        return nullptr;
    return out[0].value;
}

bool parseCSSDeclaration(std::u16string_view name, const CSSToken* begin, const CSSToken* end, bool important,
                         const std::u16string& baseURL, std::vector<CSSDeclaration>& out)
{
    auto tokens = significant(begin, end);
    if (tokens.empty())
        return false;
    std::u16string lowerName = asciiLowercase(name);
    if (lowerName.starts_with(u"-webkit-"))
        lowerName = lowerName.substr(8);

    const Shorthand* shorthand = nullptr;
    for (auto& candidate : shorthands()) {
        if (candidate.name == lowerName)
            shorthand = &candidate;
    }
    std::optional<CSSPropertyID> id;
    if (!shorthand) {
        id = cssPropertyID(lowerName);
        if (!id)
            return false;
    }

    // inherit, initial and unset apply to every longhand.
    if (tokens.size() == 1 && tokens[0]->type == CSSToken::Ident) {
        std::u16string word = asciiLowercase(tokens[0]->value);
        if (word == u"inherit" || word == u"initial" || word == u"unset") {
            std::vector<CSSPropertyID> longhands = shorthand ? shorthand->longhands : std::vector<CSSPropertyID> { *id };
            for (auto longhand : longhands) {
                CSSDeclaration declaration { longhand, nullptr, CSSDeclaration::Keyword::Initial, important };
                if (word == u"inherit" || (word == u"unset" && cssPropertyInfo(longhand).inherited))
                    declaration.keyword = CSSDeclaration::Keyword::Inherit;
                out.push_back(declaration);
            }
            return true;
        }
    }

    if (shorthand) {
        std::vector<CSSDeclaration> parsed;
        if (!parseShorthand(*shorthand, begin, end, important, baseURL, parsed))
            return false;
        for (auto& declaration : parsed) {
            if (!declaration.value)
                return false;
        }
        out.insert(out.end(), parsed.begin(), parsed.end());
        return true;
    }

    const auto& info = cssPropertyInfo(*id);
    Value value;
    if (info.kind == CSSValueKind::FontFamily)
        value = fontFamilyValue(begin, end);
    else if (info.kind == CSSValueKind::TextDecoration)
        value = textDecorationValue(tokens);
    else if (info.kind == CSSValueKind::Color) {
        auto compact = compactTokens(begin, end);
        size_t index = 0;
        value = colorValue(info, compact, index);
        if (index != compact.size())
            value = nullptr;
    } else if (tokens.size() == 1)
        value = singleTokenValue(info, *tokens[0], baseURL);
    else if (info.kind == CSSValueKind::Content)
        value = contentStringsValue(tokens);
    else if (info.kind == CSSValueKind::Image)
        value = quotedURLValue(tokens.data(), tokens.size(), baseURL);
    else if (*id == ID::Overflow && tokens.size() == 2)
        value = singleTokenValue(info, *tokens[0], baseURL); // overflow-x overflow-y: the first stands for both
    else if (*id == ID::BorderSpacing && tokens.size() == 2)
        value = singleTokenValue(info, *tokens[0], baseURL); // horizontal spacing
    if (!value)
        return false;
    append(out, *id, std::move(value), important);
    return true;
}

std::vector<CSSDeclaration> parseCSSDeclarationList(const CSSToken* begin, const CSSToken* end,
                                                    const std::u16string& baseURL)
{
    std::vector<CSSDeclaration> result;
    const CSSToken* token = begin;
    while (token != end) {
        // One declaration runs to the next ";" outside blocks.
        const CSSToken* start = token;
        int depth = 0;
        while (token != end) {
            auto type = token->type;
            if (type == CSSToken::LeftParen || type == CSSToken::Function || type == CSSToken::LeftBracket
                || type == CSSToken::LeftBrace)
                ++depth;
            else if ((type == CSSToken::RightParen || type == CSSToken::RightBracket || type == CSSToken::RightBrace)
                     && depth)
                --depth;
            else if (type == CSSToken::Semicolon && !depth)
                break;
            ++token;
        }
        const CSSToken* declarationEnd = token;
        if (token != end)
            ++token;

        const CSSToken* cursor = start;
        while (cursor != declarationEnd && cursor->type == CSSToken::Whitespace)
            ++cursor;
        if (cursor == declarationEnd || cursor->type != CSSToken::Ident)
            continue;
        std::u16string_view name = cursor->value;
        ++cursor;
        while (cursor != declarationEnd && cursor->type == CSSToken::Whitespace)
            ++cursor;
        if (cursor == declarationEnd || cursor->type != CSSToken::Colon)
            continue;
        ++cursor;
        // "!important" at the end.
        const CSSToken* valueEnd = declarationEnd;
        while (valueEnd != cursor && (valueEnd - 1)->type == CSSToken::Whitespace)
            --valueEnd;
        bool important = false;
        if (valueEnd != cursor && (valueEnd - 1)->type == CSSToken::Ident
            && equalsIgnoringASCIICase((valueEnd - 1)->value, u"important")) {
            const CSSToken* bang = valueEnd - 1;
            while (bang != cursor && (bang - 1)->type == CSSToken::Whitespace)
                --bang;
            if (bang != cursor && (bang - 1)->isDelim(u'!')) {
                important = true;
                valueEnd = bang - 1;
            }
        }
        parseCSSDeclaration(name, cursor, valueEnd, important, baseURL, result);
    }
    return result;
}

std::vector<CSSDeclaration> parseCSSDeclarationList(std::u16string_view text, const std::u16string& baseURL)
{
    auto tokens = tokenizeCSS(text);
    return parseCSSDeclarationList(tokens.data(), tokens.data() + tokens.size(), baseURL);
}

} // namespace brevanton
