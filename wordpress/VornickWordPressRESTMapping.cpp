#include "wordpress/VornickWordPressRESTMapping.h"

#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "toolkit/VornickDateFormatterExtensions.h"

#include <fmt/format.h>

#include <cmath>

namespace brevanton {

namespace {

const Value* member(const Dictionary& dictionary, std::u16string_view key)
{
    auto found = dictionary.find(key);
    return found == dictionary.end() || found->second.isNull() ? nullptr : &found->second;
}

// "id", or "ID" when there is no "id".
const Value* identifierMember(const Dictionary& dictionary)
{
    if (const Value* identifier = member(dictionary, u"id"))
        return identifier;
    return member(dictionary, u"ID");
}

void setStringOrNumber(Dictionary& description, std::u16string_view key, const Value* value)
{
    if (!value)
        return;
    if (auto text = vornickWordPressStringOrNumber(*value))
        description.insert_or_assign(std::u16string(key), Value(std::move(*text)));
}

void setNumberOrString(Dictionary& description, std::u16string_view key, const Value* value)
{
    if (!value)
        return;
    if (auto number = vornickWordPressNumberOrString(*value))
        description.insert_or_assign(std::u16string(key), std::move(*number));
}

// A {raw, rendered} object's raw text (its rendered text when it has no raw
// one), or the value itself.
const Value* rawOrSelf(const Value* value)
{
    if (!value || !value->isDictionary())
        return value;
    if (const Value* raw = member(value->dictionary(), u"raw"))
        return raw;
    return member(value->dictionary(), u"rendered");
}

// A date as it is, or a string read as ISO 8601 (a zone-less one as UTC).
std::optional<Date> gmtDate(const Value* value)
{
    return vornick_dateFromValue(value, ZonelessDateTimes::AsUTC);
}

// WordPress moves the date of a draft without a date of its own to the
// time of each save, so the two read alike.
bool hasFloatingDate(const Dictionary& reply)
{
    const Value* status = member(reply, u"status");
    if (!status || !status->isString())
        return false;
    const std::u16string& text = status->string();
    if (text != u"draft" && text != u"pending" && text != u"auto-draft")
        return false;
    const Value* date = member(reply, u"date_gmt");
    const Value* modified = member(reply, u"modified_gmt");
    if (!date)
        return true;
    return modified && *date == *modified;
}

// "categories" or "tags": identifiers from an array of numbers ("wp/v2"),
// titles from a dictionary keyed by name (version 1); each set only when not empty.
void setTerms(Dictionary& description, const Value* terms, std::u16string_view identifiersKey, std::u16string_view titlesKey)
{
    if (!terms)
        return;
    Array list;
    if (terms->isArray()) {
        for (const auto& element : terms->array()) {
            if (element.isInteger() || element.isReal())
                list.emplace_back(*vornickWordPressStringOrNumber(element));
        }
        if (!list.empty())
            description.insert_or_assign(std::u16string(identifiersKey), Value(std::move(list)));
    } else if (terms->isDictionary()) {
        for (const auto& [name, ignored] : terms->dictionary())
            list.emplace_back(name);
        if (!list.empty())
            description.insert_or_assign(std::u16string(titlesKey), Value(std::move(list)));
    }
}

std::optional<Value> positiveIntegerOf(std::u16string_view text)
{
    Value value(text);
    int64_t integer = vornickWordPressIntegerValue(value);
    return integer >= 1 ? std::optional<Value>(Value(integer)) : std::nullopt;
}

Dictionary variantsFromSizes(const Dictionary& sizes)
{
    Dictionary variants;
    for (const auto& [name, size] : sizes) {
        if (!size.isDictionary())
            continue;
        const Dictionary& entry = size.dictionary();
        Dictionary variant { { u"variantName", Value(name) } };
        setStringOrNumber(variant, u"filename", member(entry, u"file"));
        setStringOrNumber(variant, u"mimeType", member(entry, u"mime_type"));
        setNumberOrString(variant, u"pixelsWide", member(entry, u"width"));
        setNumberOrString(variant, u"pixelsHigh", member(entry, u"height"));
        variants.emplace(name, Value(std::move(variant)));
    }
    return variants;
}

// Version 1: size name -> thumbnail URL whose query may say "w" and "h".
Dictionary variantsFromThumbnails(const Dictionary& thumbnails, const std::u16string& mimeType)
{
    Dictionary variants;
    for (const auto& [name, address] : thumbnails) {
        if (!address.isString())
            continue;
        Dictionary variant { { u"variantName", Value(name) }, { u"mimeType", Value(mimeType) } };
        if (auto url = URL::create(address.string())) {
            variant.emplace(u"filename", Value(url->lastPathComponent()));
            bool sawWidth = false;
            bool sawHeight = false;
            std::u16string query = url->query().value_or(u"");
            size_t start = 0;
            while (start <= query.size() && !(sawWidth && sawHeight)) {
                size_t end = query.find(u'&', start);
                if (end == std::u16string::npos)
                    end = query.size();
                std::u16string_view item(query.data() + start, end - start);
                size_t equals = item.find(u'=');
                std::u16string_view itemName = item.substr(0, equals);
                std::u16string_view itemValue = equals == std::u16string_view::npos ? std::u16string_view() : item.substr(equals + 1);
                bool isWidth = equalsIgnoringASCIICase(itemName, u"w");
                bool isHeight = equalsIgnoringASCIICase(itemName, u"h");
                if (isWidth || isHeight) {
                    (isWidth ? sawWidth : sawHeight) = true;
                    if (auto pixels = positiveIntegerOf(itemValue))
                        variant.insert_or_assign(isWidth ? u"pixelsWide" : u"pixelsHigh", std::move(*pixels));
                }
                start = end + 1;
            }
        }
        variants.emplace(name, Value(std::move(variant)));
    }
    return variants;
}

Dictionary mediaItemDescription(const Dictionary& reply)
{
    Dictionary description;
    setStringOrNumber(description, u"identifierUsedByBlogService", identifierMember(reply));
    const Value* source = member(reply, u"source_url");
    setStringOrNumber(description, u"remoteURLString", source ? source : member(reply, u"URL"));

    const Value* details = member(reply, u"media_details");
    if (details) {
        if (details->isDictionary()) {
            setNumberOrString(description, u"pixelsWide", member(details->dictionary(), u"width"));
            setNumberOrString(description, u"pixelsHigh", member(details->dictionary(), u"height"));
        }
    } else {
        setNumberOrString(description, u"pixelsWide", member(reply, u"width"));
        setNumberOrString(description, u"pixelsHigh", member(reply, u"height"));
    }
    setStringOrNumber(description, u"uniqueIdentifier", rawOrSelf(member(reply, u"guid")));
    setStringOrNumber(description, u"caption", rawOrSelf(member(reply, u"caption")));
    if (auto created = gmtDate(member(reply, u"date_gmt")))
        description.emplace(u"dateCreated", Value(*created));
    else if (const Value* date = member(reply, u"date"); date && date->isDate())
        description.emplace(u"dateCreated", *date);
    else if (date && date->isString()) {
        // Version 1 writes the date with its offset; "wp/v2" writes "date" in site time.
        if (auto parsed = vornick_dateFromISO8601String(date->string()))
            description.emplace(u"dateCreated", Value(*parsed));
    }
    setStringOrNumber(description, u"description", rawOrSelf(member(reply, u"description")));
    setStringOrNumber(description, u"title", rawOrSelf(member(reply, u"title")));

    const Value* sizes = details && details->isDictionary() ? member(details->dictionary(), u"sizes") : nullptr;
    if (sizes && sizes->isDictionary()) {
        description.emplace(u"variants", Value(variantsFromSizes(sizes->dictionary())));
    } else {
        const Value* thumbnails = member(reply, u"thumbnails");
        const Value* mimeType = member(reply, u"mime_type");
        if (thumbnails && thumbnails->isDictionary() && mimeType && mimeType->isString())
            description.emplace(u"variants", Value(variantsFromThumbnails(thumbnails->dictionary(), mimeType->string())));
    }
    return description;
}

} // namespace

std::optional<std::u16string> vornickWordPressStringOrNumber(const Value& value)
{
    switch (value.type()) {
    case Value::Type::String:
        return value.string();
    case Value::Type::Integer:
        return toUTF16(std::to_string(value.integerValue()));
    case Value::Type::Real: {
        double number = value.doubleValue();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 9.0e15)
            return toUTF16(std::to_string(static_cast<int64_t>(number)));
        return toUTF16(fmt::format("{}", number));
    }
    default:
        return std::nullopt;
    }
}

std::optional<Value> vornickWordPressNumberOrString(const Value& value)
{
    if (value.isInteger() || value.isReal())
        return value;
    if (value.isString())
        return Value(vornickWordPressIntegerValue(value));
    return std::nullopt;
}

int64_t vornickWordPressIntegerValue(const Value& value)
{
    if (value.isInteger() || value.isReal())
        return value.integerValue();
    if (!value.isString())
        return 0;
    const std::u16string& text = value.string();
    size_t index = 0;
    while (index < text.size() && (text[index] == u' ' || text[index] == u'\t' || text[index] == u'\n' || text[index] == u'\r'))
        ++index;
    bool negative = false;
    if (index < text.size() && (text[index] == u'-' || text[index] == u'+'))
        negative = text[index++] == u'-';
    int64_t result = 0;
    for (; index < text.size() && text[index] >= u'0' && text[index] <= u'9'; ++index) {
        int digit = text[index] - u'0';
        if (result > (INT64_MAX - digit) / 10)
            return negative ? INT64_MIN : INT64_MAX;
        result = result * 10 + digit;
    }
    return negative ? -result : result;
}

const Array* vornickWordPressListInReply(const Value& reply, std::u16string_view key)
{
    if (reply.isArray())
        return &reply.array();
    if (const Value* list = reply.find(key); list && list->isArray())
        return &list->array();
    return nullptr;
}

Dictionary vornickPostDescriptionFromWordPressPostDescription(const Dictionary& reply, int restAPIVersion)
{
    Dictionary description;
    setStringOrNumber(description, u"identifierUsedByBlogService", identifierMember(reply));
    if (const Value* title = rawOrSelf(member(reply, u"title")))
        description.emplace(u"title", *title);
    if (const Value* content = rawOrSelf(member(reply, u"content")))
        description.emplace(u"sourceContentString", *content);
    description.emplace(u"sourceContentType", Value(u"html"));
    setTerms(description, member(reply, u"categories"), u"categoryIdentifiers", u"categories");
    setTerms(description, member(reply, u"tags"), u"tagIdentifiers", u"tags");

    const Value* status = member(reply, u"status");
    bool isDraft = status && status->isString() && status->string() == u"draft";
    if (!isDraft) {
        if (const Value* permalink = member(reply, restAPIVersion == 1 ? u"URL" : u"link"))
            description.emplace(u"permalinkURLString", *permalink);
    }
    description.emplace(u"inTrash", Value(status && status->isString() && status->string() == u"trash"));
    if (!hasFloatingDate(reply)) {
        if (auto date = gmtDate(member(reply, u"date_gmt")))
            description.emplace(u"dateFirstPublished", Value(*date));
    }
    if (auto modified = gmtDate(member(reply, u"modified_gmt")))
        description.emplace(u"dateLastPublished", Value(*modified));
    for (const char16_t* key : { u"format", u"status", u"type" }) {
        if (const Value* value = member(reply, key))
            description.emplace(key, *value);
    }
    if (const Value* featured = member(reply, u"featured_media"); featured && (featured->isInteger() || featured->isReal())
        && featured->integerValue() != 0)
        description.emplace(u"featuredImageIdentifier", Value(*vornickWordPressStringOrNumber(*featured)));
    return description;
}

std::vector<Dictionary> vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(const Array& replies)
{
    std::vector<Dictionary> descriptions;
    descriptions.reserve(replies.size());
    for (const auto& reply : replies) {
        if (reply.isDictionary())
            descriptions.push_back(mediaItemDescription(reply.dictionary()));
    }
    return descriptions;
}

std::vector<Dictionary> vornickTermDescriptionsFromWordPressTermDescriptions(const Array& replies, VornickWordPressTermKind kind)
{
    std::vector<Dictionary> descriptions;
    descriptions.reserve(replies.size());
    for (const auto& reply : replies) {
        if (!reply.isDictionary())
            continue;
        const Dictionary& term = reply.dictionary();
        Dictionary description;
        setStringOrNumber(description, u"identifierUsedByBlogService", identifierMember(term));
        setStringOrNumber(description, u"title", member(term, u"name"));
        if (const Value* explanation = member(term, u"description"); explanation && explanation->isString() && !explanation->string().empty())
            description.emplace(u"description", *explanation);
        if (kind == VornickWordPressTermKind::Category)
            setStringOrNumber(description, u"parentCategoryIdentifier", member(term, u"parent"));
        descriptions.push_back(std::move(description));
    }
    return descriptions;
}

} // namespace brevanton
