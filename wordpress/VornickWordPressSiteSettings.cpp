#include "wordpress/VornickWordPressSiteSettings.h"

#include "platform/foundation/Text.h"
#include "wordpress/VornickWordPressSiteTimeZone.h"

namespace brevanton {

VornickWordPressSiteSettings vornickWordPressSiteSettingsFromXMLRPCOptions(const Dictionary& options, Date now)
{
    auto optionValue = [&](std::u16string_view name) -> const Value* {
        auto option = options.find(name);
        if (option == options.end() || !option->second.isDictionary())
            return nullptr;
        return option->second.find(u"value");
    };
    auto text = [&](std::u16string_view name) -> std::optional<std::u16string> {
        const Value* value = optionValue(name);
        return value && value->isString() ? std::optional(value->string()) : std::nullopt;
    };
    auto isOpen = [&](std::u16string_view name) -> std::optional<bool> {
        auto status = text(name);
        return status ? std::optional(asciiLowercase(*status) == u"open") : std::nullopt;
    };
    VornickWordPressSiteSettings settings;
    settings.allowComments = isOpen(u"default_comment_status");
    settings.allowPings = isOpen(u"default_ping_status");
    settings.themeIdentifier = text(u"template");
    settings.dateFormat = text(u"date_format");
    settings.timeFormat = text(u"time_format");
    if (const Value* zone = optionValue(u"time_zone"))
        settings.timeZoneHours = vornickWordPressTimeZoneOffsetHours(*zone, now);
    return settings;
}

} // namespace brevanton
