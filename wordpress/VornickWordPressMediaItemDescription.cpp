#include "wordpress/VornickWordPressMediaItemDescription.h"

#include "platform/foundation/Text.h"
#include "toolkit/VornickDateFormatterExtensions.h"
#include "wordpress/VornickWordPressEntryChecks.h"

namespace brevanton {

namespace {

const Value* memberOf(const Dictionary& dictionary, std::u16string_view key)
{
    auto found = dictionary.find(key);
    return found != dictionary.end() && !found->second.isNull() ? &found->second : nullptr;
}

std::u16string textOf(const Dictionary& dictionary, std::u16string_view key)
{
    const Value* value = memberOf(dictionary, key);
    return value && value->isString() ? value->string() : std::u16string();
}

// A number, or the decimal digits text begins with.
std::optional<int64_t> pixelsOf(const Dictionary& dictionary, std::u16string_view key)
{
    const Value* value = memberOf(dictionary, key);
    if (value && value->isNumber())
        return value->integerValue();
    if (!value || !value->isString() || value->string().empty() || value->string()[0] < u'0' || value->string()[0] > u'9')
        return std::nullopt;
    int64_t number = 0;
    for (size_t index = 0; index < value->string().size() && index < 18; ++index) {
        char16_t c = value->string()[index];
        if (c < u'0' || c > u'9')
            break;
        number = number * 10 + (c - u'0');
    }
    return number;
}

void setText(Dictionary& dictionary, const char16_t* key, const std::u16string& text)
{
    if (!text.empty())
        dictionary.insert_or_assign(key, Value(text));
}

void setPixels(Dictionary& dictionary, const char16_t* key, std::optional<int64_t> pixels)
{
    if (pixels)
        dictionary.insert_or_assign(key, Value(*pixels));
}

} // namespace

std::u16string VornickWordPressMediaItemDescription::identifierText() const
{
    return toUTF16(std::to_string(identifier));
}

Dictionary VornickWordPressMediaItemDescription::dictionary() const
{
    Dictionary description;
    description.insert_or_assign(u"identifierUsedByBlogService", Value(identifierText()));
    setText(description, u"title", title);
    setText(description, u"caption", caption);
    setText(description, u"description", explanation);
    setText(description, u"remoteURLString", remoteURLString);
    setText(description, u"uniqueIdentifier", uniqueIdentifier);
    if (dateCreated)
        description.insert_or_assign(u"dateCreated", Value(*dateCreated));
    setPixels(description, u"pixelsWide", pixelsWide);
    setPixels(description, u"pixelsHigh", pixelsHigh);
    if (!variants.empty()) {
        Dictionary byName;
        for (const auto& variant : variants) {
            Dictionary properties;
            setText(properties, u"filename", variant.filename);
            setText(properties, u"mimeType", variant.mimeType);
            setPixels(properties, u"pixelsWide", variant.pixelsWide);
            setPixels(properties, u"pixelsHigh", variant.pixelsHigh);
            byName.insert_or_assign(variant.name, Value(std::move(properties)));
        }
        description.insert_or_assign(u"variants", Value(std::move(byName)));
    }
    return description;
}

std::vector<VornickWordPressMediaItemDescription> vornickWordPressMediaItemDescriptions(const std::vector<Dictionary>& dictionaries)
{
    std::vector<VornickWordPressMediaItemDescription> items;
    items.reserve(dictionaries.size());
    for (const auto& dictionary : dictionaries) {
        const Value* identifier = memberOf(dictionary, u"identifierUsedByBlogService");
        auto number = identifier ? vornickWordPressPositiveIdentifier(*identifier) : std::nullopt;
        if (!number)
            continue;
        VornickWordPressMediaItemDescription item;
        item.identifier = *number;
        item.title = textOf(dictionary, u"title");
        item.caption = textOf(dictionary, u"caption");
        item.explanation = textOf(dictionary, u"description");
        item.remoteURLString = textOf(dictionary, u"remoteURLString");
        item.uniqueIdentifier = textOf(dictionary, u"uniqueIdentifier");
        if (const Value* date = memberOf(dictionary, u"dateCreated"); date && date->isDate())
            item.dateCreated = date->date();
        else if (date && date->isString())
            item.dateCreated = vornick_dateFromISO8601String(date->string());
        item.pixelsWide = pixelsOf(dictionary, u"pixelsWide");
        item.pixelsHigh = pixelsOf(dictionary, u"pixelsHigh");
        if (const Value* variants = memberOf(dictionary, u"variants"); variants && variants->isDictionary()) {
            for (const auto& [name, properties] : variants->dictionary()) {
                if (!properties.isDictionary())
                    continue;
                const Dictionary& values = properties.dictionary();
                item.variants.push_back({ name, textOf(values, u"filename"), textOf(values, u"mimeType"), pixelsOf(values, u"pixelsWide"),
                    pixelsOf(values, u"pixelsHigh") });
            }
        }
        items.push_back(std::move(item));
    }
    return items;
}

} // namespace brevanton
