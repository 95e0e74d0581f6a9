#include "wordpress/VornickWordPressEntryChecks.h"

#include "platform/foundation/Text.h"
#include "toolkit/VornickLog.h"

#include <cmath>

namespace brevanton {

namespace {

constexpr size_t MaximumIdentifierDigits = 18;

// 1 to 18 digits, the first not 0.
bool isPlainPositiveInteger(std::u16string_view text)
{
    if (text.empty() || text.size() > MaximumIdentifierDigits || text.front() == u'0')
        return false;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// `key` when a text within `value` (the member of that key) is not storable;
// nullopt when all are.
std::optional<std::u16string> firstUnstorableText(const Value& value, std::u16string_view key)
{
    switch (value.type()) {
    case Value::Type::String:
        if (!vornickWordPressIsStorableText(value.string()))
            return std::u16string(key);
        return std::nullopt;
    case Value::Type::Array:
        for (const auto& element : value.array()) {
            if (auto found = firstUnstorableText(element, key))
                return found;
        }
        return std::nullopt;
    case Value::Type::Dictionary:
        for (const auto& [name, member] : value.dictionary()) {
            if (!vornickWordPressIsStorableText(name))
                return std::u16string(key);
            if (auto found = firstUnstorableText(member, key))
                return found;
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::u16string identifierProblem(std::u16string_view key, const Value& value)
{
    return u"its " + std::u16string(key == u"identifierUsedByBlogService" ? u"id" : key) + u" \"" + toUTF16(vornickWordPressPrintableValue(value))
        + u"\" is not a positive integer";
}

} // namespace

std::optional<int64_t> vornickWordPressPositiveIdentifier(const Value& value)
{
    if (value.isInteger())
        return value.integerValue() > 0 ? std::optional(value.integerValue()) : std::nullopt;
    if (value.isReal()) {
        double number = value.doubleValue();
        if (!std::isfinite(number) || number != std::trunc(number) || number < 1 || number > 9.0e15)
            return std::nullopt;
        return static_cast<int64_t>(number);
    }
    if (!value.isString() || value.string().empty() || value.string().size() > MaximumIdentifierDigits)
        return std::nullopt;
    int64_t number = 0;
    for (char16_t c : value.string()) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + (c - u'0');
    }
    return number > 0 ? std::optional(number) : std::nullopt;
}

bool vornickWordPressIsStorableText(std::u16string_view text)
{
    for (size_t index = 0; index < text.size(); ++index) {
        char16_t c = text[index];
        if (c == 0) {
            return false;
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            if (index + 1 == text.size() || text[index + 1] < 0xDC00 || text[index + 1] > 0xDFFF)
                return false;
            ++index;
        } else if ((c >= 0xDC00 && c <= 0xDFFF) || c == 0xFFFE || c == 0xFFFF) {
            return false;
        }
    }
    return true;
}

std::optional<std::u16string> vornickWordPressDescriptionProblem(const Dictionary& description, bool identifierRequired)
{
    auto found = description.find(std::u16string_view(u"identifierUsedByBlogService"));
    if (found == description.end()) {
        if (identifierRequired)
            return std::u16string(u"it has no id");
    } else if (!found->second.isString() || !isPlainPositiveInteger(found->second.string())) {
        return identifierProblem(found->first, found->second);
    }
    for (const char16_t* key : { u"featuredImageIdentifier", u"parentCategoryIdentifier" }) {
        auto member = description.find(std::u16string_view(key));
        if (member == description.end())
            continue;
        bool noParent = member->second == Value(u"0") && std::u16string_view(key) == u"parentCategoryIdentifier";
        if (!noParent && !(member->second.isString() && isPlainPositiveInteger(member->second.string())))
            return identifierProblem(key, member->second);
    }
    for (const char16_t* key : { u"categoryIdentifiers", u"tagIdentifiers" }) {
        auto member = description.find(std::u16string_view(key));
        if (member == description.end())
            continue;
        if (!member->second.isArray())
            return identifierProblem(key, member->second);
        for (const auto& element : member->second.array()) {
            if (!element.isString() || !isPlainPositiveInteger(element.string()))
                return identifierProblem(key, element);
        }
    }
    for (const auto& [name, member] : description) {
        if (!vornickWordPressIsStorableText(name))
            return std::u16string(u"it has a member whose name is not valid text");
        if (auto key = firstUnstorableText(member, name))
            return u"its " + *key + u" is not valid text";
    }
    return std::nullopt;
}

std::vector<Dictionary> vornickWordPressCheckedDescriptions(std::vector<Dictionary> descriptions, std::u16string_view kind,
    int64_t startOffset, VornickLog* log)
{
    size_t kept = 0;
    for (size_t index = 0; index < descriptions.size(); ++index) {
        auto problem = vornickWordPressDescriptionProblem(descriptions[index]);
        if (!problem) {
            if (kept != index)
                descriptions[kept] = std::move(descriptions[index]);
            ++kept;
            continue;
        }
        std::string line = "Skipping the " + toUTF8(kind) + " at position " + std::to_string(startOffset + static_cast<int64_t>(index))
            + " of the listing: " + toUTF8(*problem);
        if (log)
            log->log(std::string_view(line));
        else
            VornickGeneralLog(std::string_view(line));
    }
    descriptions.resize(kept);
    return descriptions;
}

std::u16string vornickWordPressLoggableText(std::u16string_view text)
{
    return vornickWordPressIsStorableText(text) ? std::u16string(text) : toUTF16(vornickWordPressPrintableValue(Value(text)));
}

std::string vornickWordPressPrintableValue(const Value& value)
{
    constexpr size_t Shown = 24;
    std::u16string text = value.isString() ? value.string() : toUTF16(value.description());
    std::string printable;
    for (size_t index = 0; index < text.size() && index < Shown; ++index)
        printable += text[index] >= 0x20 && text[index] < 0x7F ? static_cast<char>(text[index]) : '?';
    if (text.size() > Shown)
        printable += "...";
    return printable;
}

} // namespace brevanton
