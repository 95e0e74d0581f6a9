#include "blog/VornickPostSyncFields.h"

#include "blog/VornickPublishedBlogPost.h"

namespace brevanton {

namespace {

std::optional<Date> dateOf(const ManagedObject& object, std::u16string_view key)
{
    const Value& value = object.valueReferenceForKey(key);
    return value.isDate() ? std::optional(value.date()) : std::nullopt;
}

} // namespace

VornickPostSyncFields VornickPostSyncFields::of(const VornickPublishedBlogPost& post)
{
    const Value& identifier = post.ManagedObject::valueReferenceForKey(u"identifierUsedByBlogService");
    return { dateOf(post, u"dateLastEditedLocally"), post.dateLastSyncedLocally(), dateOf(post, u"dateLastPublished"),
        identifier.isString() && !identifier.string().empty(), post.inTrash(), post.publishAtNextSync() };
}

} // namespace brevanton
