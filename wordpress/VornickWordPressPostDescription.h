// VornickWordPressPostDescription: a post or a page of a listing reply,
// typed, as the REST and XML-RPC agents hand it to the integrator: made from
// the post dictionaries of their mappings once the entry checks passed them
// (VornickWordPressEntryChecks.h), so that its identifiers are positive
// integers and its texts valid Unicode.
#pragma once

#include "platform/foundation/Date.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct VornickWordPressPostDescription {
    int64_t identifier { 0 };
    std::u16string title;
    // The body as source, and its kind ("html").
    std::u16string content;
    std::u16string contentType;
    // None for a draft, which has no address of its own yet.
    std::u16string permalinkURLString;
    // None for a draft whose date floats until it is published.
    std::optional<Date> dateFirstPublished;
    std::optional<Date> dateLastPublished;
    // The site's status ("publish", "draft", "trash", ...), when it gave one.
    std::optional<std::u16string> status;
    // "post", "page" or another post type; the post format ("standard", "aside", ...).
    std::u16string type;
    std::u16string format;
    bool inTrash { false };
    // Terms by identifier (REST), or by title (XML-RPC, REST v1.1).
    std::vector<int64_t> categoryIdentifiers;
    std::vector<int64_t> tagIdentifiers;
    std::vector<std::u16string> categoryTitles;
    std::vector<std::u16string> tagTitles;
    std::optional<int64_t> featuredImageIdentifier;

    // The identifier as the store keeps it, in decimal.
    std::u16string identifierText() const;
    // The description the blog's post sync imports and compares (the keys of
    // VornickBlogServiceDescriptions.h and the WordPress ones the integrator
    // reads): empty texts and absent values left out.
    Dictionary dictionary() const;

    bool operator==(const VornickWordPressPostDescription&) const = default;
};

// The posts of checked post dictionaries ("identifierUsedByBlogService",
// "title", "sourceContentString", "sourceContentType", "permalinkURLString",
// "dateFirstPublished", "dateLastPublished", "status", "type", "format",
// "inTrash", "categoryIdentifiers", "tagIdentifiers", "categories", "tags",
// "featuredImageIdentifier"), in order; a dictionary without a positive
// identifier is left out.
std::vector<VornickWordPressPostDescription> vornickWordPressPostDescriptions(const std::vector<Dictionary>&);

} // namespace brevanton
