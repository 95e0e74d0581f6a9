#include "platform/net/HTTPHeaderFields.h"

#include "platform/foundation/Text.h"

namespace brevanton {

namespace {

bool isSpaceOrTab(char16_t c)
{
    return c == u' ' || c == u'\t';
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && isSpaceOrTab(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpaceOrTab(text.back()))
        text.remove_suffix(1);
    return text;
}

// Splits `value` at semicolons that are not inside a quoted string.
std::vector<std::u16string_view> splitParameters(std::u16string_view value)
{
    std::vector<std::u16string_view> parts;
    size_t start = 0;
    bool quoted = false;
    for (size_t i = 0; i < value.size(); ++i) {
        char16_t c = value[i];
        if (quoted && c == u'\\') {
            ++i;
            continue;
        }
        if (c == u'"')
            quoted = !quoted;
        else if (c == u';' && !quoted) {
            parts.push_back(trimmed(value.substr(start, i - start)));
            start = i + 1;
        }
    }
    parts.push_back(trimmed(value.substr(start)));
    return parts;
}

std::u16string unquoted(std::u16string_view text)
{
    if (text.size() < 2 || text.front() != u'"' || text.back() != u'"')
        return std::u16string(text);
    std::u16string result;
    for (size_t i = 1; i + 1 < text.size(); ++i) {
        if (text[i] == u'\\' && i + 2 < text.size())
            ++i;
        result.push_back(text[i]);
    }
    return result;
}

} // namespace

void HTTPHeaderFields::set(std::u16string_view name, std::u16string_view value)
{
    remove(name);
    add(name, value);
}

void HTTPHeaderFields::add(std::u16string_view name, std::u16string_view value)
{
    m_fields.emplace_back(std::u16string(name), std::u16string(value));
}

void HTTPHeaderFields::remove(std::u16string_view name)
{
    std::erase_if(m_fields, [&](const Field& field) { return equalsIgnoringASCIICase(field.first, name); });
}

std::optional<std::u16string> HTTPHeaderFields::value(std::u16string_view name) const
{
    std::optional<std::u16string> result;
    for (auto& [fieldName, fieldValue] : m_fields) {
        if (!equalsIgnoringASCIICase(fieldName, name))
            continue;
        if (result)
            *result += u", " + fieldValue;
        else
            result = fieldValue;
    }
    return result;
}

Dictionary HTTPHeaderFields::dictionary() const
{
    Dictionary result;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        const std::u16string& name = m_fields[i].first;
        bool seen = false;
        for (size_t j = 0; j < i && !seen; ++j)
            seen = equalsIgnoringASCIICase(m_fields[j].first, name);
        if (!seen)
            result[name] = Value(*value(name));
    }
    return result;
}

ContentType parseContentType(std::u16string_view value)
{
    auto parts = splitParameters(value);
    ContentType result;
    result.mimeType = asciiLowercase(parts.front());
    if (auto charset = headerParameter(value, u"charset"))
        result.charset = *charset;
    return result;
}

std::optional<std::u16string> headerParameter(std::u16string_view value, std::u16string_view name)
{
    auto parts = splitParameters(value);
    for (size_t i = 1; i < parts.size(); ++i) {
        auto equals = parts[i].find(u'=');
        if (equals == std::u16string_view::npos)
            continue;
        if (equalsIgnoringASCIICase(trimmed(parts[i].substr(0, equals)), name))
            return unquoted(trimmed(parts[i].substr(equals + 1)));
    }
    return std::nullopt;
}

} // namespace brevanton
