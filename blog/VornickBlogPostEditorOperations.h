// VornickBlogPostEditorOperations, VornickBlogEditorOperations: what the sync
// engine asks of an open post editor or blog window when the server's answers
// change what they show. The editors (in the interface layers above) implement
// them; the integrator finds them through the component's open editor.
#pragma once

#include <memory>

namespace brevanton {

class VornickPublishedBlogPost;

class VornickBlogPostEditorOperations {
public:
    virtual ~VornickBlogPostEditorOperations() = default;

    // Whether the editor's document has edits not yet saved.
    virtual bool isDocumentEdited() const = 0;
    // Around storing the server's version as the post's pending description.
    virtual void postWillReceiveNewPendingDescription() = 0;
    virtual void postDidReceiveNewPendingDescription() = 0;
    // Around replacing the post with the server's version.
    virtual void postWillReceiveReplacementFromServer() = 0;
    virtual void postDidReceiveReplacementFromServer() = 0;
    // The server deleted the post (or holds it in its trash); the user decides.
    virtual void enqueueServerSideDeletionOfPost(bool inTrashOnServer) = 0;
    // Writes what the engine already put into the post (its new identifier...).
    virtual void saveAlreadyIntegratedChanges() = 0;
    virtual void saveDocumentWithoutUploadingDraftChanges() = 0;
};

class VornickBlogEditorOperations {
public:
    virtual ~VornickBlogEditorOperations() = default;
    virtual void updateDisplayedContentForPost(const std::shared_ptr<VornickPublishedBlogPost>&) = 0;
};

} // namespace brevanton
