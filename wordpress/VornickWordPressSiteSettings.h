// VornickWordPressSiteSettings: what the sync keeps of a site's settings,
// typed, as the XML-RPC mapping makes it of the blog options (wp.getOptions:
// each option a struct whose "value" it holds). A field is unset when the
// site did not give it, or gave it in a form that is no value of the field.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

namespace brevanton {

struct VornickWordPressSiteSettings {
    // "default_comment_status", "default_ping_status": whether "open".
    std::optional<bool> allowComments;
    std::optional<bool> allowPings;
    // "template", "date_format", "time_format".
    std::optional<std::u16string> themeIdentifier;
    std::optional<std::u16string> dateFormat;
    std::optional<std::u16string> timeFormat;
    // "time_zone" (the site's "gmt_offset"), in hours (VornickWordPressSiteTimeZone.h).
    std::optional<double> timeZoneHours;

    bool operator==(const VornickWordPressSiteSettings&) const = default;
};

// The settings the blog options give; `now` is when they were read.
VornickWordPressSiteSettings vornickWordPressSiteSettingsFromXMLRPCOptions(const Dictionary& options, Date now);

} // namespace brevanton
