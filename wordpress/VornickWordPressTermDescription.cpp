#include "wordpress/VornickWordPressTermDescription.h"

#include "platform/foundation/Text.h"
#include "wordpress/VornickWordPressEntryChecks.h"

namespace brevanton {

std::u16string VornickWordPressTermDescription::identifierText() const
{
    return toUTF16(std::to_string(identifier));
}

std::optional<std::u16string> VornickWordPressTermDescription::parentIdentifierText() const
{
    return parentIdentifier ? std::optional(toUTF16(std::to_string(*parentIdentifier))) : std::nullopt;
}

std::vector<VornickWordPressTermDescription> vornickWordPressTermDescriptions(const std::vector<Dictionary>& dictionaries)
{
    std::vector<VornickWordPressTermDescription> terms;
    terms.reserve(dictionaries.size());
    for (const auto& dictionary : dictionaries) {
        auto member = [&](std::u16string_view key) -> const Value* {
            auto found = dictionary.find(key);
            return found != dictionary.end() ? &found->second : nullptr;
        };
        const Value* identifier = member(u"identifierUsedByBlogService");
        auto number = identifier ? vornickWordPressPositiveIdentifier(*identifier) : std::nullopt;
        if (!number)
            continue;
        VornickWordPressTermDescription term;
        term.identifier = *number;
        if (const Value* title = member(u"title"))
            term.title = title->stringValue();
        if (const Value* explanation = member(u"description"))
            term.explanation = explanation->stringValue();
        if (const Value* parent = member(u"parentCategoryIdentifier"))
            term.parentIdentifier = vornickWordPressPositiveIdentifier(*parent);
        terms.push_back(std::move(term));
    }
    return terms;
}

} // namespace brevanton
