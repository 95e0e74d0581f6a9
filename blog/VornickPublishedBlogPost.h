// VornickPublishedBlogPost: a post of a published blog: its address, the
// dates it was published, whether it is in the trash or queued for the next
// sync, and a server version kept while a conflict is open.
#pragma once

#include "blog/VornickBlogPost.h"

namespace brevanton {

class VornickPublishedBlogPost : public VornickBlogPost {
public:
    std::string className() const override { return "VornickPublishedBlogPost"; }

    std::u16string permalinkURLString() const { return ManagedObject::valueForKey(u"permalinkURLString").stringValue(); }
    bool inTrash() const { return ManagedObject::valueReferenceForKey(u"inTrash").boolValue(); }
    bool publishAtNextSync() const { return ManagedObject::valueReferenceForKey(u"publishAtNextSync").boolValue(); }
    bool hasPendingPostDescription() const { return ManagedObject::valueForKey(u"pendingPostDescriptionData").isData(); }

    // The local time the post was last in step with the server (its
    // server version applied, or its changes sent): a local edit after it
    // is one the server has not seen. Local times are compared with it,
    // never with the server's dates.
    std::optional<Date> dateLastSyncedLocally() const;
    void setDateLastSyncedLocally(std::optional<Date>);

    virtual std::optional<std::u16string> viewOnlineURLString() const;
    virtual bool currentlyPublished() const { return ManagedObject::valueReferenceForKey(u"dateFirstPublished").isDate(); }
    // Drops the server version of an open conflict, recording its
    // publication date as the date the conflict was resolved.
    void discardPendingPostDescriptionDataAndMarkConflictResolved();

    std::vector<std::u16string> attributesForArchivalRepresentation() const override;
};

} // namespace brevanton
