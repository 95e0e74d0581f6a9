// VornickReplyKind: what a request to a blog host asks for, which sets how
// large its reply may be and how long the whole transfer may take (besides
// the idle timeout every request has). A reply past either is dropped.
#pragma once

#include "platform/foundation/Error.h"

#include <cstdint>
#include <string>

namespace brevanton {

enum class VornickReplyKind {
    ListingPage,        // a page of posts, pages, terms or media items
    SettingsReply,      // the site list, settings, options, formats, statuses
    PostReply,          // one post: sent, fetched, trashed or checked
    MediaUpload,        // the answer to a file sent to the media library
    MediaFile,          // a media library file, kept on disk
    ReferencedResource, // a file a post refers to, kept on disk
    TemplatePage,       // a page of the site's theme
    EmbeddingReply,     // an embedded item's page or its oEmbed instructions
};

struct VornickReplyLimits {
    int64_t maximumLength; // bytes
    double deadline;       // seconds
};

VornickReplyLimits vornickReplyLimits(VornickReplyKind);
// "a listing page", "a settings reply", ...: how messages name the kind.
std::u16string vornickReplyKindName(VornickReplyKind);
// A load's error, reworded when a limit of the kind stopped it ("The reply
// from <address> is larger than 64 MB, the most a listing page may have.");
// other errors as they are.
Error vornickErrorNamingReplyLimit(Error, VornickReplyKind);

} // namespace brevanton
