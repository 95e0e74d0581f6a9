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

    // Keeps the server's version: it is imported into the post first, and
    // only then is the conflict resolved and the post's file written. False
    // with the reason when the import or the write failed; after a failed
    // import the server's version still waits.
    [[nodiscard]] bool discardLocalVersion(Error*);
    // Keeps the local version: the server's is dropped and the conflict
    // marked resolved (the post is edited, to be sent again).
    void discardServerVersion();

    // The server deleted the post (or trashed it): the user's two answers.
    // The post goes to the local trash, its file written; false with the
    // write's error.
    [[nodiscard]] bool movePostToTrash(Error*);
    // The post counts again as one never sent (the WordPress editor also
    // drops its address and dates and makes it a draft), saved without
    // uploading; false with the save's error.
    [[nodiscard]] bool revivePost(const SaveFunction&, Error*);

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
    // What reviving drops beyond the server identifier.
    virtual void forgetServerStateOfRevivedPost() { }

private:
    std::shared_ptr<VornickPublishedBlogPost> m_post;
    bool m_savingWithoutUploading { false };
    bool m_publishing { false };
};

} // namespace brevanton
