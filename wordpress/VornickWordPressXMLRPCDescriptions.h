// What the WordPress XML-RPC agent makes of WordPress's structs, and the
// content struct it sends for a post.
//
// Dates: WordPress writes "post_date" and "post_modified" in the site's own
// time, which the client cannot know, and their "*_gmt" twins in UTC; only
// the "*_gmt" members are read (as dates, or as ISO 8601 text in UTC), and a
// post is sent with "post_date_gmt". A draft whose date floats (all-zero
// "post_date_gmt") has no publication date.
#pragma once

#include "platform/foundation/Value.h"
#include "wordpress/VornickWordPressEntryChecks.h"

#include <optional>
#include <string>

namespace brevanton {

// A post or page description from a wp.getPost(s) struct; empty when the
// struct holds nothing to map.
Dictionary vornickPostDescriptionFromWordPressPostDescription(const Dictionary& post);

// A media item description from a wp.getMediaLibrary struct (the variants
// from its "metadata" -> "sizes"); empty when the struct holds nothing to map.
Dictionary vornickMediaItemDescriptionFromWordPressMediaDescription(const Dictionary& media);

// The media item description of a wp.uploadFile answer: its "id", its "url"
// as the remote address, and the variants of its "metadata" -> "sizes".
Dictionary vornickMediaItemDescriptionFromWordPressUploadReply(const Dictionary& reply);

// A category description from a wp.getTerms struct.
Dictionary vornickCategoryDescriptionFromWordPressTermDescription(const Dictionary& term);

// The wp.newPost (`isNewPost`) or wp.editPost content struct of a post
// description. An edited post's emptied category or tag list goes as an
// empty "terms" list of that taxonomy, so that the site drops the last one
// too; a new post leaves empty lists out.
Dictionary vornickWordPressContentStructFromPostDescription(const Dictionary& post, bool isNewPost);

// The identifier of a post: a string or a number, as its decimal text;
// nullopt for anything else or empty text.
std::optional<std::u16string> vornickWordPressIdentifierString(const Value&);

} // namespace brevanton
