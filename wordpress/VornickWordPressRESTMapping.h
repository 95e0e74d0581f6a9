// How WordPress REST replies become the descriptions the integrator imports:
// posts and pages, media items, categories and tags. Replies of the hosted
// service's v1.1 interface (version 1) and of "wp/v2" (version 2) are read
// alike where they agree. Every function takes what the JSON reader made and
// leaves out what it cannot read; none fails.
#pragma once

#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

// A string as it is, or the text of a number; nothing for another kind (a
// boolean is not a number here).
std::optional<std::u16string> vornickWordPressStringOrNumber(const Value&);
// A number as it is, or the integer value of a string; nothing for another kind.
std::optional<Value> vornickWordPressNumberOrString(const Value&);
// The integer a string or number stands for (leading blanks and a sign
// allowed, digits up to the first other character; 0 when none).
int64_t vornickWordPressIntegerValue(const Value&);

// The list of a listing reply: the reply when it is an array, else its
// `key` when the reply is a dictionary holding an array there; null otherwise.
const Array* vornickWordPressListInReply(const Value& reply, std::u16string_view key);

// The post description of one post or page of a reply. Dates: "date_gmt"
// and "modified_gmt" carry no zone and are UTC; a draft or pending post
// whose date WordPress keeps moving to its last save (its date equals its
// modification date) has no first publication date yet.
Dictionary vornickPostDescriptionFromWordPressPostDescription(const Dictionary& reply, int restAPIVersion);

// One media item description per dictionary of `replies`, in order. The
// title, caption and description of a "wp/v2" reply in the edit context are
// {raw, rendered} objects: the raw text is taken.
std::vector<Dictionary> vornickMediaItemDescriptionsFromWordPressMediaItemDescriptions(const Array& replies);

enum class VornickWordPressTermKind { Category, Tag };
// One term description per dictionary of `replies`, in order.
std::vector<Dictionary> vornickTermDescriptionsFromWordPressTermDescriptions(const Array& replies, VornickWordPressTermKind);

} // namespace brevanton
