#include "wordpress/VornickWordPressXMLRPCDescriptions.h"

#include "blog/VornickBlogServiceDescriptions.h"
#include "platform/foundation/Text.h"
#include "toolkit/VornickDateFormatterExtensions.h"
#include "wordpress/VornickWordPressAgent.h"

#include <fmt/format.h>

#include <cmath>
#include <string>

namespace brevanton {

namespace {

const Value* memberOf(const Dictionary& dictionary, std::u16string_view key)
{
    auto found = dictionary.find(key);
    return found == dictionary.end() || found->second.isNull() ? nullptr : &found->second;
}

// Copies a member present in `from` to `key` of `to`, as it is.
void copyMember(const Dictionary& from, std::u16string_view fromKey, Dictionary& to, std::u16string_view key)
{
    if (const Value* value = memberOf(from, fromKey))
        to.insert_or_assign(std::u16string(key), *value);
}

// The identifier the service gives an entry, as its text.
void copyIdentifier(const Dictionary& from, std::u16string_view fromKey, Dictionary& to)
{
    if (const Value* identifier = memberOf(from, fromKey)) {
        if (auto text = vornickWordPressIdentifierString(*identifier))
            to.insert_or_assign(VornickIdentifierUsedByBlogServiceKey, Value(*text));
    }
}

// The sizes a media item's metadata lists, as its variants.
void copyVariants(const Value& metadata, Dictionary& to)
{
    if (const Value* sizes = metadata.find(u"sizes"); sizes && sizes->isDictionary()) {
        Dictionary variants = VornickWordPressAgent::mediaItemVariantsDictionaryForWordPressSizesDictionary(sizes->dictionary());
        if (!variants.empty())
            to.insert_or_assign(u"variants", Value(std::move(variants)));
    }
}

// A date of a "*_gmt" member: a date as it came, or ISO 8601 text in UTC.
std::optional<Date> universalDateOf(const Dictionary& dictionary, std::u16string_view key)
{
    return vornick_dateFromValue(memberOf(dictionary, key), ZonelessDateTimes::AsUTC);
}

// A date of a description: a date as it is, or ISO 8601 text.
std::optional<Date> descriptionDateOf(const Dictionary& dictionary, std::u16string_view key)
{
    return vornick_dateFromValue(memberOf(dictionary, key));
}

std::optional<Value> pixelCountOf(const Value* value)
{
    if (!value)
        return std::nullopt;
    if (value->isInteger() || value->isReal())
        return *value;
    if (!value->isString())
        return std::nullopt;
    // The integer the text begins with, after white space.
    std::u16string_view text = value->string();
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    int64_t number = 0;
    for (size_t i = 0; i < text.size() && i < 18 && text[i] >= u'0' && text[i] <= u'9'; ++i)
        number = number * 10 + (text[i] - u'0');
    return Value(number);
}

// The names of the strings of a list.
Array stringsOf(const Value* list)
{
    Array strings;
    if (!list || !list->isArray())
        return strings;
    for (auto& element : list->array()) {
        if (element.isString() && !element.string().empty())
            strings.push_back(element);
    }
    return strings;
}

} // namespace

std::optional<std::u16string> vornickWordPressIdentifierString(const Value& value)
{
    if (value.isString())
        return value.string().empty() ? std::nullopt : std::optional(value.string());
    if (value.isInteger())
        return toUTF16(std::to_string(value.integerValue()));
    // A real is its own text: 1.5 must not read as post 1.
    if (value.isReal()) {
        double number = value.doubleValue();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 9.0e15)
            return toUTF16(std::to_string(static_cast<int64_t>(number)));
        return toUTF16(fmt::format("{}", number));
    }
    return std::nullopt;
}

Dictionary vornickPostDescriptionFromWordPressPostDescription(const Dictionary& post)
{
    Dictionary description;
    copyIdentifier(post, u"post_id", description);
    copyMember(post, u"post_title", description, VornickTitleKey);
    copyMember(post, u"post_content", description, VornickSourceContentStringKey);
    if (const Value* terms = memberOf(post, u"terms"); terms && terms->isArray()) {
        Array categories;
        Array tags;
        for (auto& term : terms->array()) {
            const Value* name = term.find(u"name");
            const Value* taxonomy = term.find(u"taxonomy");
            if (!name || !taxonomy || name->isNull() || !taxonomy->isString())
                continue;
            if (taxonomy->string() == u"category")
                categories.push_back(*name);
            else if (taxonomy->string() == u"post_tag")
                tags.push_back(*name);
        }
        description.insert_or_assign(u"categories", Value(std::move(categories)));
        description.insert_or_assign(VornickTagsKey, Value(std::move(tags)));
    }
    const Value* status = memberOf(post, u"post_status");
    bool isDraft = status && status->isString() && status->string() == u"draft";
    if (!isDraft)
        copyMember(post, u"link", description, VornickPermalinkURLStringKey);
    if (auto date = universalDateOf(post, u"post_date_gmt"))
        description.insert_or_assign(VornickDateFirstPublishedKey, Value(*date));
    if (auto date = universalDateOf(post, u"post_modified_gmt"))
        description.insert_or_assign(VornickDateLastPublishedKey, Value(*date));
    copyMember(post, u"post_format", description, u"format");
    copyMember(post, u"post_status", description, VornickStatusKey);
    copyMember(post, u"post_type", description, u"type");
    if (const Value* thumbnail = memberOf(post, u"post_thumbnail"); thumbnail && thumbnail->isDictionary()) {
        const Value* attachment = thumbnail->find(u"attachment_id");
        if (attachment && attachment->isString() && !attachment->string().empty())
            description.insert_or_assign(u"featuredImageIdentifier", *attachment);
    }
    if (description.empty())
        return description;
    description.insert_or_assign(VornickInTrashKey, Value(false));
    description.insert_or_assign(VornickSourceContentTypeKey, Value(u"html"));
    return description;
}

Dictionary vornickMediaItemDescriptionFromWordPressMediaDescription(const Dictionary& media)
{
    Dictionary description;
    copyMember(media, u"caption", description, u"caption");
    if (auto date = universalDateOf(media, u"date_created_gmt"))
        description.insert_or_assign(u"dateCreated", Value(*date));
    copyMember(media, u"link", description, u"remoteURLString");
    copyMember(media, u"description", description, u"description");
    copyIdentifier(media, u"attachment_id", description);
    copyMember(media, u"thumbnail", description, u"thumbnailURLString");
    copyMember(media, u"title", description, VornickTitleKey);
    if (const Value* metadata = memberOf(media, u"metadata"); metadata && metadata->isDictionary()) {
        if (auto height = pixelCountOf(metadata->find(u"height")))
            description.insert_or_assign(u"pixelsHigh", *height);
        if (auto width = pixelCountOf(metadata->find(u"width")))
            description.insert_or_assign(u"pixelsWide", *width);
        copyVariants(*metadata, description);
    }
    return description;
}

Dictionary vornickMediaItemDescriptionFromWordPressUploadReply(const Dictionary& reply)
{
    Dictionary description;
    copyIdentifier(reply, u"id", description);
    copyMember(reply, u"url", description, u"remoteURLString");
    if (const Value* metadata = memberOf(reply, u"metadata"); metadata && metadata->isDictionary())
        copyVariants(*metadata, description);
    return description;
}

Dictionary vornickCategoryDescriptionFromWordPressTermDescription(const Dictionary& term)
{
    Dictionary description;
    copyIdentifier(term, u"term_id", description);
    copyMember(term, u"name", description, VornickTitleKey);
    if (const Value* explanation = memberOf(term, u"description"); explanation && explanation->isString() && !explanation->string().empty())
        description.insert_or_assign(u"description", *explanation);
    if (const Value* parent = memberOf(term, u"parent")) {
        auto text = vornickWordPressIdentifierString(*parent);
        if (text && vornickWordPressPositiveIdentifier(*parent))
            description.insert_or_assign(u"parentCategoryIdentifier", Value(*text));
    }
    return description;
}

Dictionary vornickWordPressContentStructFromPostDescription(const Dictionary& post, bool isNewPost)
{
    Dictionary content;
    const Value* type = memberOf(post, u"type");
    if (isNewPost && type)
        content.insert_or_assign(u"post_type", *type);
    copyMember(post, VornickStatusKey, content, u"post_status");
    copyMember(post, VornickTitleKey, content, u"post_title");
    copyMember(post, VornickSourceContentStringKey, content, u"post_content");
    // A draft's date floats until it is published; giving it one would fix
    // its publication date to the time of this edit.
    const Value* status = memberOf(post, VornickStatusKey);
    bool floats = status && status->isString()
        && (equalsIgnoringASCIICase(status->string(), u"draft") || equalsIgnoringASCIICase(status->string(), u"pending")
            || equalsIgnoringASCIICase(status->string(), u"auto-draft"));
    auto date = descriptionDateOf(post, isNewPost ? VornickDateLastEditedLocallyKey : VornickDateFirstPublishedKey);
    if (date && !floats)
        content.insert_or_assign(u"post_date_gmt", Value(*date));
    copyMember(post, u"format", content, u"post_format");
    int64_t thumbnail = 0;
    if (const Value* featured = memberOf(post, u"featuredImageIdentifier"))
        thumbnail = vornickWordPressPositiveIdentifier(*featured).value_or(0);
    content.insert_or_assign(u"post_thumbnail", Value(thumbnail));

    bool isPost = !type || (type->isString() && equalsIgnoringASCIICase(type->string(), u"post"));
    if (!isPost)
        return content;
    Dictionary names;
    Dictionary emptied;
    auto addTaxonomy = [&](std::u16string_view key, const char16_t* taxonomy) {
        Array strings = stringsOf(memberOf(post, key));
        if (!strings.empty())
            names.insert_or_assign(taxonomy, Value(std::move(strings)));
        else if (!isNewPost)
            emptied.insert_or_assign(taxonomy, Value(Array()));
    };
    addTaxonomy(u"categories", u"category");
    addTaxonomy(VornickTagsKey, u"post_tag");
    if (!names.empty())
        content.insert_or_assign(u"terms_names", Value(std::move(names)));
    if (!emptied.empty())
        content.insert_or_assign(u"terms", Value(std::move(emptied)));
    return content;
}

} // namespace brevanton
