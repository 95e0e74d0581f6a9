#include "wordpress/VornickWordPressPostDescription.h"

#include "blog/VornickBlogServiceDescriptions.h"
#include "platform/foundation/Text.h"
#include "wordpress/VornickWordPressEntryChecks.h"

namespace brevanton {

namespace {

Value identifierValue(int64_t identifier)
{
    return Value(toUTF16(std::to_string(identifier)));
}

Array identifierValues(const std::vector<int64_t>& identifiers)
{
    Array values;
    values.reserve(identifiers.size());
    for (int64_t identifier : identifiers)
        values.push_back(identifierValue(identifier));
    return values;
}

Array textValues(const std::vector<std::u16string>& texts)
{
    return Array(texts.begin(), texts.end());
}

} // namespace

std::u16string VornickWordPressPostDescription::identifierText() const
{
    return toUTF16(std::to_string(identifier));
}

Dictionary VornickWordPressPostDescription::dictionary() const
{
    Dictionary description;
    description.insert_or_assign(VornickIdentifierUsedByBlogServiceKey, identifierValue(identifier));
    auto setText = [&](const char16_t* key, const std::u16string& text) {
        if (!text.empty())
            description.insert_or_assign(key, Value(text));
    };
    setText(VornickTitleKey, title);
    setText(VornickSourceContentStringKey, content);
    setText(VornickSourceContentTypeKey, contentType);
    setText(VornickPermalinkURLStringKey, permalinkURLString);
    setText(u"type", type);
    setText(u"format", format);
    if (status)
        description.insert_or_assign(VornickStatusKey, Value(*status));
    if (dateFirstPublished)
        description.insert_or_assign(VornickDateFirstPublishedKey, Value(*dateFirstPublished));
    if (dateLastPublished)
        description.insert_or_assign(VornickDateLastPublishedKey, Value(*dateLastPublished));
    description.insert_or_assign(VornickInTrashKey, Value(inTrash));
    if (!categoryIdentifiers.empty())
        description.insert_or_assign(u"categoryIdentifiers", Value(identifierValues(categoryIdentifiers)));
    if (!tagIdentifiers.empty())
        description.insert_or_assign(u"tagIdentifiers", Value(identifierValues(tagIdentifiers)));
    if (!categoryTitles.empty())
        description.insert_or_assign(u"categories", Value(textValues(categoryTitles)));
    if (!tagTitles.empty())
        description.insert_or_assign(VornickTagsKey, Value(textValues(tagTitles)));
    if (featuredImageIdentifier)
        description.insert_or_assign(u"featuredImageIdentifier", identifierValue(*featuredImageIdentifier));
    return description;
}

std::vector<VornickWordPressPostDescription> vornickWordPressPostDescriptions(const std::vector<Dictionary>& dictionaries)
{
    std::vector<VornickWordPressPostDescription> posts;
    posts.reserve(dictionaries.size());
    for (const auto& dictionary : dictionaries) {
        auto member = [&](std::u16string_view key) -> const Value* {
            auto found = dictionary.find(key);
            return found != dictionary.end() && !found->second.isNull() ? &found->second : nullptr;
        };
        auto text = [&](std::u16string_view key) {
            const Value* value = member(key);
            return value && value->isString() ? value->string() : std::u16string();
        };
        auto date = [&](std::u16string_view key) {
            const Value* value = member(key);
            return value && value->isDate() ? std::optional(value->date()) : std::nullopt;
        };
        auto identifiers = [&](std::u16string_view key) {
            std::vector<int64_t> numbers;
            if (const Value* list = member(key); list && list->isArray()) {
                for (const auto& element : list->array()) {
                    if (auto number = vornickWordPressPositiveIdentifier(element))
                        numbers.push_back(*number);
                }
            }
            return numbers;
        };
        auto titles = [&](std::u16string_view key) {
            std::vector<std::u16string> texts;
            if (const Value* list = member(key); list && list->isArray()) {
                for (const auto& element : list->array()) {
                    if (element.isString() && !element.string().empty())
                        texts.push_back(element.string());
                }
            }
            return texts;
        };
        const Value* identifier = member(VornickIdentifierUsedByBlogServiceKey);
        auto number = identifier ? vornickWordPressPositiveIdentifier(*identifier) : std::nullopt;
        if (!number)
            continue;
        VornickWordPressPostDescription post;
        post.identifier = *number;
        post.title = text(VornickTitleKey);
        post.content = text(VornickSourceContentStringKey);
        post.contentType = text(VornickSourceContentTypeKey);
        post.permalinkURLString = text(VornickPermalinkURLStringKey);
        post.dateFirstPublished = date(VornickDateFirstPublishedKey);
        post.dateLastPublished = date(VornickDateLastPublishedKey);
        if (const Value* status = member(VornickStatusKey))
            post.status = status->stringValue();
        post.type = text(u"type");
        post.format = text(u"format");
        if (const Value* inTrash = member(VornickInTrashKey))
            post.inTrash = inTrash->boolValue();
        post.categoryIdentifiers = identifiers(u"categoryIdentifiers");
        post.tagIdentifiers = identifiers(u"tagIdentifiers");
        post.categoryTitles = titles(u"categories");
        post.tagTitles = titles(VornickTagsKey);
        if (const Value* featured = member(u"featuredImageIdentifier"))
            post.featuredImageIdentifier = vornickWordPressPositiveIdentifier(*featured);
        posts.push_back(std::move(post));
    }
    return posts;
}

} // namespace brevanton
