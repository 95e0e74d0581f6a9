#include "blog/VornickPublishedBlogPost.h"

#include "platform/foundation/PropertyList.h"

namespace brevanton {

std::optional<std::u16string> VornickPublishedBlogPost::viewOnlineURLString() const
{
    std::u16string permalink = permalinkURLString();
    if (permalink.empty())
        return std::nullopt;
    return permalink;
}

std::optional<Date> VornickPublishedBlogPost::dateLastSyncedLocally() const
{
    const Value& date = ManagedObject::valueReferenceForKey(u"dateLastSyncedLocally");
    return date.isDate() ? std::optional(date.date()) : std::nullopt;
}

void VornickPublishedBlogPost::setDateLastSyncedLocally(std::optional<Date> date)
{
    ManagedObject::setValueForKey(date ? Value(*date) : Value(), u"dateLastSyncedLocally");
}

void VornickPublishedBlogPost::discardPendingPostDescriptionDataAndMarkConflictResolved()
{
    Value pending = ManagedObject::valueForKey(u"pendingPostDescriptionData");
    if (!pending.isData())
        return;
    auto description = readPropertyList(pending.data(), nullptr);
    if (description && description->isDictionary()) {
        if (const Value* date = description->find(u"dateLastPublished"); date && date->isDate())
            ManagedObject::setValueForKey(*date, u"dateConflictLastResolvedWithServer");
    }
    ManagedObject::setValueForKey(Value(), u"pendingPostDescriptionData");
    setHasEditsNotYetSavedToSourceFile(true);
}

std::vector<std::u16string> VornickPublishedBlogPost::attributesForArchivalRepresentation() const
{
    auto names = VornickBlogPost::attributesForArchivalRepresentation();
    for (const char16_t* name : { u"permalinkURLString", u"dateFirstPublished", u"dateLastPublished", u"publishAtNextSync", u"inTrash",
                                 u"dateLastSyncedLocally" })
        names.emplace_back(name);
    return names;
}

} // namespace brevanton
