// VornickWordPressBlogPostEditor: the post editor of a WordPress post. Its
// post's date follows edits while the post is not out (a draft, a pending
// post, an auto-draft, a post never given a status): a scheduled ("future")
// or private post keeps its date. The server's time of its last change is
// never moved by an edit. Publish sets the status "publish" on a
// draft or a post without status, making the blog's "publish" status when it
// lacks one; a pending post keeps its status. The status pop-up of the
// window's toolbar shows the blog's statuses but "auto-draft", by title.
#pragma once

#include "publishing/VornickBlogPostEditor.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class ArrayController;
class ArrangedObjectsObservation;
class PopUpButton;
class URL;
class VornickWordPressBlogPost;

class VornickWordPressBlogPostEditor final : public VornickBlogPostEditor {
public:
    explicit VornickWordPressBlogPostEditor(std::shared_ptr<VornickWordPressBlogPost>);
    ~VornickWordPressBlogPostEditor() override;

    // The toolbar's items, in order.
    static std::vector<std::u16string> toolbarItemIdentifiers();

    const std::shared_ptr<VornickWordPressBlogPost>& wordPressPost() const { return m_wordPressPost; }
    // The post's permalink, when it has one.
    std::optional<URL> postPermalinkURL() const;

    bool shouldUploadChangesOnSave() const override;
    void updatePostDatesForEdit() override;

    // The blog's statuses the pop-up offers, by title.
    const std::shared_ptr<ArrayController>& postStatusesArrayController() const { return m_postStatusesArrayController; }
    // The pop-up shows the statuses with the post's selected; its action
    // "postStatusEdited:" goes to the window, which calls
    // takePostStatusFromPopUpButton (then `edited` runs).
    void bindPostStatusPopUpButton(const std::shared_ptr<PopUpButton>&, std::function<void()> edited);
    void takePostStatusFromPopUpButton();
    // Shows the post's status again (after Publish changed it).
    void populatePostStatusPopUpButton();
    // A status was chosen: the dates follow and the post is edited.
    void postStatusEdited();

    // The file to reference in place of a local file the user drops or
    // pastes into the post: a file of the blog's media library as it is;
    // else a copy in the blog's resource cache, standing for a media item of
    // the blog (found, or made, written and announced), which the next sync
    // uploads before the post. Any other address is returned as it is. Only
    // a regular file whose bytes show an image, a sound or a film is staged:
    // none with the reason for any other.
    std::optional<URL> findReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(const URL&, Error*);

protected:
    void preparePostForPublishing() override;
    // Its address and dates go, it is no longer queued, and it is a draft
    // again when the blog has that status.
    void forgetServerStateOfRevivedPost() override;

private:

    std::shared_ptr<VornickWordPressBlogPost> m_wordPressPost;
    std::shared_ptr<ArrayController> m_postStatusesArrayController;
    std::unique_ptr<ArrangedObjectsObservation> m_statusesObservation;
    std::weak_ptr<PopUpButton> m_postStatusPopUpButton;
    std::function<void()> m_statusEdited;
};

} // namespace brevanton
