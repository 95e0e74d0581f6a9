#include "html/VornickWordPressBlockMetadata.h"

#include "platform/foundation/JSONReader.h"
#include "platform/foundation/Text.h"

#include <cmath>
#include <cstdio>

namespace brevanton {

namespace {

bool isWhitespace(char16_t c)
{
    return isHTMLWhitespace(c) || c == 0x0B || c == 0x85 || c == 0xA0 || c == 0x2028 || c == 0x2029;
}

} // namespace

VornickWordPressBlockMetadata::VornickWordPressBlockMetadata(std::u16string typeName, std::optional<Dictionary> properties)
    : m_typeName(std::move(typeName))
    , m_properties(std::move(properties))
{
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
    std::u16string typeName(text.substr(start, end - start));

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

} // namespace brevanton
