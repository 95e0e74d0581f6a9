// VornickWordPressTermDescription: a category or a tag of a listing reply,
// typed, as the REST and XML-RPC agents hand it to the integrator: made from
// the term dictionaries of their mappings once the entry checks passed them
// (VornickWordPressEntryChecks.h), so that its identifiers are positive
// integers and its texts valid Unicode.
#pragma once

#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

struct VornickWordPressTermDescription {
    int64_t identifier { 0 };
    std::u16string title;
    // The term's "description" on the site.
    std::u16string explanation;
    // A category's parent; none for a tag or a category at the top (which
    // REST gives as 0 and XML-RPC as nothing).
    std::optional<int64_t> parentIdentifier;

    // The identifier as the store keeps it, in decimal.
    std::u16string identifierText() const;
    std::optional<std::u16string> parentIdentifierText() const;

    bool operator==(const VornickWordPressTermDescription&) const = default;
};

// The terms of checked term dictionaries ("identifierUsedByBlogService",
// "title", "description", "parentCategoryIdentifier"), in order; a
// dictionary without a positive identifier is left out.
std::vector<VornickWordPressTermDescription> vornickWordPressTermDescriptions(const std::vector<Dictionary>&);

} // namespace brevanton
