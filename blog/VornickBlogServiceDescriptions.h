// The dictionaries that agents hand the integrator, key by key as the
// integrator reads them, so that every agent produces the same shapes.
//
// Blog description (one per site): "identifierUsedByBlogService" (string, the
// service's site identifier, required and not empty: blogs are found by it and
// it names the blog's sync step), "title" (string; without it a blog gets no
// sync step), "browseURLString" (string, the site's public address),
// "postAttachmentPointSet" (dictionary, a locator set's property list;
// optional), "snippetSet" and "singlePostEditingTemplate" (dictionaries, file
// references relative to the project's folder; read only from blog files).
// Once a blog is imported, requests carry the stored blog's archival
// property list as its description.
//
// Post or page description (one per post of a listing page):
// "identifierUsedByBlogService" (string; a post without one is neither matched
// nor counted as present), "title", "sourceContentString" (the body as
// source), "sourceContentType" ("html", ...): strings, empty ones ignored;
// "tags" (array of tag titles); "permalinkURLString"; "dateFirstPublished" and
// "dateLastPublished" (dates: agents deliver Date values, which the sync
// compares); "status" ("trash" in any letter case marks a post in the
// server's trash); "inTrash" and "publishAtNextSync" (booleans);
// "dateLastEditedLocally" (read only from post files).
//
// New-post description (after a successful send): "identifierUsedByBlogService"
// (string), "permalinkURLString", "dateLastPublished" and "dateFirstPublished"
// (dates; missing means now), "status" ("draft" and "trash" do not open the
// published post in the browser).
//
// Updated-properties description (after a just-published post's properties
// were asked for): "permalinkURLString".
//
// Post changes to send are the post's archival property list (or a form the
// integrator rewired); the native post identifier is opaque to the agent and
// handed back unchanged; trash and deletion requests name the post by the
// service's identifier.
#pragma once

namespace brevanton {

inline constexpr const char16_t* VornickIdentifierUsedByBlogServiceKey = u"identifierUsedByBlogService";
inline constexpr const char16_t* VornickTitleKey = u"title";
inline constexpr const char16_t* VornickBrowseURLStringKey = u"browseURLString";
inline constexpr const char16_t* VornickPostAttachmentPointSetKey = u"postAttachmentPointSet";
inline constexpr const char16_t* VornickSnippetSetKey = u"snippetSet";
inline constexpr const char16_t* VornickSourceContentStringKey = u"sourceContentString";
inline constexpr const char16_t* VornickSourceContentTypeKey = u"sourceContentType";
inline constexpr const char16_t* VornickTagsKey = u"tags";
inline constexpr const char16_t* VornickPermalinkURLStringKey = u"permalinkURLString";
inline constexpr const char16_t* VornickDateFirstPublishedKey = u"dateFirstPublished";
inline constexpr const char16_t* VornickDateLastPublishedKey = u"dateLastPublished";
inline constexpr const char16_t* VornickStatusKey = u"status";
inline constexpr const char16_t* VornickInTrashKey = u"inTrash";
inline constexpr const char16_t* VornickPublishAtNextSyncKey = u"publishAtNextSync";
inline constexpr const char16_t* VornickDateLastEditedLocallyKey = u"dateLastEditedLocally";

} // namespace brevanton
