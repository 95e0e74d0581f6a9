// VornickPostSyncFields: what a sync's comparison reads of a local post, in
// one place: a listing's index keeps them beside each of its posts, taken
// again when the post's change stamp moves, so that comparing a post
// unchanged since reaches no more of it than the stamp (its attributes lie
// over many cache lines).
#pragma once

#include "platform/foundation/Date.h"

#include <optional>

namespace brevanton {

class VornickPublishedBlogPost;

struct VornickPostSyncFields {
    std::optional<Date> dateLastEditedLocally;
    std::optional<Date> dateLastSyncedLocally;
    std::optional<Date> dateLastPublished;
    // It has an identifier of the service's.
    bool onServer { false };
    bool inTrash { false };
    bool publishAtNextSync { false };

    static VornickPostSyncFields of(const VornickPublishedBlogPost&);
};

} // namespace brevanton
