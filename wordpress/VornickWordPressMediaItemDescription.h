// VornickWordPressMediaItemDescription: an item of the site's media library
// as a listing reply gives it, typed, as the REST and XML-RPC agents hand it
// to the integrator: made from the media item dictionaries of their mappings
// once the entry checks passed them (VornickWordPressEntryChecks.h), so that
// its identifier is a positive integer and its texts valid Unicode.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct VornickWordPressMediaItemDescription {
    // A size the site made of the image ("thumbnail", "medium", ...).
    struct Variant {
        std::u16string name;
        std::u16string filename;
        std::u16string mimeType;
        std::optional<int64_t> pixelsWide;
        std::optional<int64_t> pixelsHigh;

        bool operator==(const Variant&) const = default;
    };

    int64_t identifier { 0 };
    std::u16string title;
    std::u16string caption;
    // The item's "description" on the site (HTML).
    std::u16string explanation;
    // The file's address on the site, and the site's "guid" for it.
    std::u16string remoteURLString;
    std::u16string uniqueIdentifier;
    std::optional<Date> dateCreated;
    std::optional<int64_t> pixelsWide;
    std::optional<int64_t> pixelsHigh;
    // By name.
    std::vector<Variant> variants;

    // The identifier as the store keeps it, in decimal.
    std::u16string identifierText() const;
    // The description the integrator imports, as media item files hold one
    // ("variants" by name): empty texts and absent values left out.
    Dictionary dictionary() const;

    bool operator==(const VornickWordPressMediaItemDescription&) const = default;
};

// The items of checked media item dictionaries ("identifierUsedByBlogService",
// "title", "caption", "description", "remoteURLString", "uniqueIdentifier",
// "dateCreated", "pixelsWide", "pixelsHigh", "variants": name -> "filename",
// "mimeType", "pixelsWide", "pixelsHigh"), in order; a dictionary without a
// positive identifier is left out. A date may come as ISO 8601 text, a pixel
// count as the digits its text begins with.
std::vector<VornickWordPressMediaItemDescription> vornickWordPressMediaItemDescriptions(const std::vector<Dictionary>&);

} // namespace brevanton
