// VornickTitledURL: a URL the user copied, with the title that came with it
// and when it was last copied. It writes itself to a pasteboard as the URL
// (and its title, when it has one) and keeps itself in a property list.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"
#include "platform/views/Pasteboard.h"

#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class VornickTitledURL : public PasteboardWriting {
public:
    // `dateGathered` is the main run loop's now when not given.
    VornickTitledURL(URL url, std::optional<std::u16string> title, std::optional<Date> dateGathered = std::nullopt);
    static VornickTitledURL titledURLWithTitle(std::optional<std::u16string> title, URL url)
    {
        return VornickTitledURL(std::move(url), std::move(title));
    }

    // Nothing unless the value is a dictionary whose "URL" is a string that
    // parses as a URL; "title" is taken when it is a string, "dateGathered"
    // when it is a date (otherwise the date is now).
    static std::optional<VornickTitledURL> createWithPropertyList(const Value&);
    // A dictionary of "URL", "title" and "dateGathered", each present only when set.
    Value propertyList() const;

    // The URL and plain text; the URL, its title and plain text.
    static const std::vector<std::u16string>& pasteboardTypesWithoutTitle();
    static const std::vector<std::u16string>& pasteboardTypesWithTitle();
    std::vector<std::u16string> writableTypesForPasteboard(const Pasteboard&) const override;
    // The URL's absolute string for the URL and plain-text types, the title
    // for the URL name type, nothing for any other.
    std::optional<Value> pasteboardPropertyListForType(std::u16string_view type) const override;

    // "VornickTitledURL {URL=..., title="...", dateGathered=...}" (the word nil for no title).
    std::u16string description() const;

    URL url;
    std::optional<std::u16string> title;
    Date dateGathered;
};

} // namespace brevanton
