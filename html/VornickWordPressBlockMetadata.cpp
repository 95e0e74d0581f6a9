#include "html/VornickWordPressBlockMetadata.h"

#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace brevanton {

namespace {

bool isWhitespace(char16_t c)
{
    return isHTMLWhitespace(c) || c == 0x0B || c == 0x85 || c == 0xA0 || c == 0x2028 || c == 0x2029;
}

bool isNameStart(char16_t c) { return c >= u'a' && c <= u'z'; }
bool isNameCharacter(char16_t c) { return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'_' || c == u'-'; }

// The length of one name segment [a-z][a-z0-9_-]* at `offset`, 0 when none.
size_t segmentLength(std::u16string_view text, size_t offset)
{
    if (offset >= text.size() || !isNameStart(text[offset]))
        return 0;
    size_t end = offset + 1;
    while (end < text.size() && isNameCharacter(text[end]))
        ++end;
    return end - offset;
}

// The length of the type name after "wp:" at `offset`, 0 when the grammar fails.
size_t typeNameLength(std::u16string_view text, size_t offset)
{
    size_t first = segmentLength(text, offset);
    if (!first)
        return 0;
    size_t end = offset + first;
    if (end < text.size() && text[end] == u'/') {
        if (size_t second = segmentLength(text, end + 1))
            end += 1 + second;
    }
    return end - offset;
}

// The well-known keys, written first and in this order.
constexpr std::array<std::u16string_view, 17> writtenKeyOrder {
    u"align", u"textAlign", u"level", u"style", u"backgroundColor", u"textColor", u"fontSize", u"id", u"width", u"height",
    u"sizeSlug", u"linkDestination", u"url", u"type", u"providerNameSlug", u"responsive", u"className",
};

void appendHexEscape(std::u16string& out, char16_t c)
{
    static const char16_t digits[] = u"0123456789abcdef";
    out += u"\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(c >> shift) & 0xF];
}

void appendEscapedString(std::u16string& out, std::u16string_view text)
{
    out += u'"';
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        switch (c) {
        case u'\\': out += u"\\\\"; break;
        case u'\b': out += u"\\b"; break;
        case u'\f': out += u"\\f"; break;
        case u'\n': out += u"\\n"; break;
        case u'\r': out += u"\\r"; break;
        case u'\t': out += u"\\t"; break;
        case u'"':
        case u'<':
        case u'>':
        case u'&':
            appendHexEscape(out, c);
            break;
        case u'-':
            // Pairs of hyphens, as the server writes them: "--" can never
            // reach the comment text.
            if (i + 1 < text.size() && text[i + 1] == u'-') {
                out += u"\\u002d\\u002d";
                ++i;
            } else
                out += c;
            break;
        default:
            if (c < 0x20)
                appendHexEscape(out, c);
            else
                out += c;
        }
    }
    out += u'"';
}

void appendNumber(std::u16string& out, const Value& value)
{
    if (value.isInteger()) {
        out += toUTF16(std::to_string(value.integerValue()));
        return;
    }
    double number = value.doubleValue();
    if (!std::isfinite(number)) {
        out += u"null";
        return;
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    std::string text(buffer, result.ptr);
    if (text.find_first_of(".eE") == std::string::npos)
        text += ".0";
    out += toUTF16(text);
}

void appendValue(std::u16string& out, const Value& value);

void appendDictionary(std::u16string& out, const Dictionary& dictionary, bool wellKnownKeysFirst)
{
    out += u'{';
    bool first = true;
    auto appendPair = [&](std::u16string_view key, const Value& value) {
        // An empty top-level string is the same as no property.
        if (wellKnownKeysFirst && value.isString() && value.string().empty())
            return;
        if (!first)
            out += u',';
        first = false;
        appendEscapedString(out, key);
        out += u':';
        appendValue(out, value);
    };
    if (wellKnownKeysFirst) {
        for (auto key : writtenKeyOrder) {
            if (auto found = dictionary.find(key); found != dictionary.end())
                appendPair(key, found->second);
        }
    }
    for (const auto& [key, value] : dictionary) {
        if (wellKnownKeysFirst && std::find(writtenKeyOrder.begin(), writtenKeyOrder.end(), key) != writtenKeyOrder.end())
            continue;
        appendPair(key, value);
    }
    out += u'}';
}

void appendValue(std::u16string& out, const Value& value)
{
    switch (value.type()) {
    case Value::Type::Boolean: out += value.boolValue() ? u"true" : u"false"; break;
    case Value::Type::Integer:
    case Value::Type::Real: appendNumber(out, value); break;
    case Value::Type::String: appendEscapedString(out, value.string()); break;
    case Value::Type::Array: {
        out += u'[';
        bool first = true;
        for (const auto& element : value.array()) {
            if (!first)
                out += u',';
            first = false;
            appendValue(out, element);
        }
        out += u']';
        break;
    }
    case Value::Type::Dictionary: appendDictionary(out, value.dictionary(), false); break;
    default: out += u"null"; break;
    }
}

// The kind, and where the name after "wp:" lies in `trimmed`.
VornickWordPressBlockCommentKind classifyBlockComment(std::u16string_view& trimmed, size_t& nameStart, size_t& nameLength)
{
    trimmed = stripHTMLWhitespace(trimmed);
    bool closing = trimmed.starts_with(u"/wp:");
    if (!closing && !trimmed.starts_with(u"wp:"))
        return VornickWordPressBlockCommentKind::None;
    nameStart = closing ? 4 : 3;
    nameLength = typeNameLength(trimmed, nameStart);
    if (!nameLength)
        return VornickWordPressBlockCommentKind::None;
    size_t nameEnd = nameStart + nameLength;
    bool selfClosing = !closing && trimmed.ends_with(u'/');
    bool nameEndsWell = nameEnd == trimmed.size() || isHTMLWhitespace(trimmed[nameEnd])
        || (selfClosing && nameEnd + 1 == trimmed.size());
    if (!nameEndsWell)
        return VornickWordPressBlockCommentKind::None;
    return closing ? VornickWordPressBlockCommentKind::Closing
        : selfClosing ? VornickWordPressBlockCommentKind::SelfClosing
                      : VornickWordPressBlockCommentKind::Opening;
}

} // namespace

VornickWordPressBlockComment VornickWordPressBlockCommentFromCommentData(std::u16string_view data)
{
    VornickWordPressBlockComment result;
    size_t nameStart = 0;
    size_t nameLength = 0;
    result.kind = classifyBlockComment(data, nameStart, nameLength);
    if (result.kind != VornickWordPressBlockCommentKind::None) {
        result.typeName = u"wp:";
        result.typeName += data.substr(nameStart, nameLength);
    }
    return result;
}

VornickWordPressBlockCommentKind VornickWordPressBlockCommentKindFromCommentData(std::u16string_view data)
{
    size_t nameStart = 0;
    size_t nameLength = 0;
    return classifyBlockComment(data, nameStart, nameLength);
}

VornickWordPressBlockMetadata::VornickWordPressBlockMetadata(std::u16string typeName, std::optional<Dictionary> properties)
    : m_typeName(std::move(typeName))
    , m_properties(std::move(properties))
{
}

std::u16string_view VornickWordPressBlockMetadata::typeNameOfOpeningCommentText(std::u16string_view text)
{
    size_t start = 0;
    while (start < text.size() && isWhitespace(text[start]))
        ++start;
    size_t end = start;
    while (end < text.size() && !isWhitespace(text[end]))
        ++end;
    auto typeName = text.substr(start, end - start);
    // "wp:spacer/": a self-closing comment written without a space.
    if (typeName.size() > 1 && typeName.back() == u'/' && text.find_first_not_of(u" \t\n\f\r", end) == std::u16string_view::npos)
        typeName.remove_suffix(1);
    return typeName;
}

std::shared_ptr<VornickWordPressBlockMetadata> VornickWordPressBlockMetadata::blockMetadataWithOpeningCommentText(
    std::u16string_view text)
{
    size_t start = 0;
    while (start < text.size() && isWhitespace(text[start]))
        ++start;
    if (start == text.size())
        return nullptr;
    size_t end = start;
    while (end < text.size() && !isWhitespace(text[end]))
        ++end;
    std::u16string typeName(typeNameOfOpeningCommentText(text));
    auto rest = text.substr(end);

    size_t restStart = 0;
    size_t restEnd = rest.size();
    while (restStart < restEnd && isWhitespace(rest[restStart]))
        ++restStart;
    while (restEnd > restStart && isWhitespace(rest[restEnd - 1]))
        --restEnd;
    auto propertyText = rest.substr(restStart, restEnd - restStart);
    if (!propertyText.empty() && propertyText.back() == u'/')
        propertyText.remove_suffix(1);
    if (propertyText.empty())
        return std::make_shared<VornickWordPressBlockMetadata>(std::move(typeName), std::nullopt);

    auto parsed = readJSON(toUTF8(propertyText), nullptr);
    if (!parsed || !parsed->isDictionary())
        return nullptr;
    return std::make_shared<VornickWordPressBlockMetadata>(std::move(typeName), parsed->dictionary());
}

std::optional<Value> VornickWordPressBlockMetadata::numberForProperty(std::u16string_view key) const
{
    if (!m_properties)
        return std::nullopt;
    auto found = m_properties->find(key);
    if (found == m_properties->end() || !found->second.isNumber())
        return std::nullopt;
    return found->second;
}

std::optional<std::u16string> VornickWordPressBlockMetadata::stringForProperty(std::u16string_view key) const
{
    if (!m_properties)
        return std::nullopt;
    auto found = m_properties->find(key);
    if (found == m_properties->end())
        return std::nullopt;
    const Value& value = found->second;
    if (value.isString())
        return value.string();
    if (value.isBoolean())
        return value.boolValue() ? u"1" : u"0";
    if (value.isInteger())
        return toUTF16(std::to_string(value.integerValue()));
    if (value.isReal()) {
        double number = value.doubleValue();
        char buffer[64];
        if (std::isfinite(number) && number == std::floor(number) && std::fabs(number) < 1e15)
            std::snprintf(buffer, sizeof buffer, "%.0f", number);
        else
            std::snprintf(buffer, sizeof buffer, "%.17g", number);
        return toUTF16(buffer);
    }
    return std::nullopt;
}

void VornickWordPressBlockMetadata::setNumber(const Value& number, const std::u16string& key)
{
    if (!m_properties)
        m_properties.emplace();
    (*m_properties)[key] = number;
}

void VornickWordPressBlockMetadata::setString(const std::u16string& string, const std::u16string& key)
{
    if (!m_properties)
        m_properties.emplace();
    (*m_properties)[key] = Value(string);
}

void VornickWordPressBlockMetadata::removeProperty(std::u16string_view key)
{
    if (!m_properties)
        return;
    if (auto found = m_properties->find(key); found != m_properties->end())
        m_properties->erase(found);
}

std::u16string VornickWordPressBlockMetadata::encodedProperties(const Dictionary& dictionary, bool wellKnownKeysFirst)
{
    std::u16string out;
    appendDictionary(out, dictionary, wellKnownKeysFirst);
    return out;
}

std::u16string VornickWordPressBlockMetadata::encodedAsCommentText() const
{
    std::u16string result = u" " + m_typeName + u" ";
    if (m_properties && !m_properties->empty()) {
        auto json = encodedProperties(*m_properties, true);
        if (json != u"{}")
            result += json + u" ";
    }
    return result;
}

std::u16string VornickWordPressBlockMetadata::encodedAsSelfClosingCommentText() const
{
    return encodedAsCommentText() + u"/";
}

} // namespace brevanton
