// VornickBlogPostEditor: what the post window does with its post beyond
// showing it: the dates an edit sets, whether a save uploads, and Publish.
// The window owns one and gives it the save it performs (the post written
// back from its page, its file and the project's index).
//
// A save uploads only when it is an ordinary one (not a save made before the
// post's properties change or a server version arrives) and no local/server
// conflict is open: the post then goes up at the account's next sync.
// Publish prepares the post, saves it and requests publication only when the
// save succeeded; a failed save puts the post back as it was, requests
// nothing and leaves the window open. Main thread.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace brevanton {

class ManagedObject;
class VornickPublishedBlogPost;

// Publish refused while a server version waits (in VornickErrorDomain,
// beside the codes of toolkit/VornickErrors.h).
inline constexpr int64_t VornickPostConflictNotResolvedError = 106;

class VornickBlogPostEditor {
public:
    // The default that closes the window after a publication was requested.
    static constexpr const char16_t* closeOnPublishDefaultsKey = u"CloseBlogPostEditorOnPublish";
    using SaveFunction = std::function<bool(Error*)>;

    explicit VornickBlogPostEditor(std::shared_ptr<VornickPublishedBlogPost>);
    virtual ~VornickBlogPostEditor();

    const std::shared_ptr<VornickPublishedBlogPost>& post() const { return m_post; }

    // A server version waits beside the local one.
    bool conflictResolutionUIShown() const;
    bool savingPostWithoutUploadingChanges() const { return m_savingWithoutUploading; }
    // Runs the save with uploads held back; nesting it is a programming error.
    [[nodiscard]] bool saveDocumentWithoutUploadingDraftChanges(const SaveFunction&, Error*);
    // Whether the save now under way queues the post for upload.
    virtual bool shouldUploadChangesOnSave() const;

    // The user changed the post: its local edit date is now, and it is
    // marked edited.
    virtual void updatePostDatesForEdit();

    // Prepares the post, saves it and, when the save succeeded, requests its
    // publication. False with the save's error (the post as it was before).
    [[nodiscard]] bool publish(const SaveFunction&, Error*);
    // Whether the window closes after a publication was requested.
    static bool closesAfterPublishing();

protected:
    // What a post keeps of the changes Publish makes, to undo them.
    struct PublishState {
        std::shared_ptr<ManagedObject> status;
        bool publishAtNextSync { false };
        Value dateLastEditedLocally;
        Value dateFirstPublished;
        Value dateLastPublished;
    };
    PublishState publishState() const;
    void restorePublishState(const PublishState&);
    // Publish's preparation (the WordPress editor sets the status).
    virtual void preparePostForPublishing();
    // Queues the post for upload at the account's next sync.
    void requestPublicationOfChangesToPost();

private:
    std::shared_ptr<VornickPublishedBlogPost> m_post;
    bool m_savingWithoutUploading { false };
    bool m_publishing { false };
};

} // namespace brevanton
