// VornickPublishedBlogEditor: the blog window of a blog bound to a hosting
// account. Beyond the blog editor it moves posts to the Trash and restores
// them (each change written to the post's file and saved in the index, the
// server told at the next sync), empties the Trash, shows a one-line sync
// status under the list while the account's synchronizer runs a session, and
// opens a post's page on the site.
//
// Empty Trash deletes the posts in the local Trash: their files go to the
// desktop's Trash, their entities leave the index, and the index is saved.
// A post whose move to the server's Trash is still queued stays, since the
// next sync would otherwise bring it back live.
//
// The status follows the synchronizer from the moment the window loads,
// also in a window opened while a session runs; the list gives way to it
// only when it comes and takes the room back only when it goes. After a
// session that failed it stays, saying why, until the next session.
#pragma once

#include "publishing/VornickBlogEditor.h"
#include "publishing/VornickSyncStatusUIController.h"

namespace brevanton {

class VornickBlogHostingAccountPropertiesUIController;

class VornickBlogServiceIntegrator;
class VornickMiniSyncStatusUIController;
class VornickPublishedBlog;
class VornickPublishedBlogProject;
class VornickPublishedBlogSynchronizer;

class VornickPublishedBlogEditor : public VornickBlogEditor, public VornickSyncStatusUIDelegate {
public:
    ~VornickPublishedBlogEditor() override;

    std::shared_ptr<VornickPublishedBlog> publishedBlog() const;
    // The hosting account's properties popover, emerging from the sender when it is a view.
    void showAccountProperties(ActionSender*);
    VornickBlogHostingAccountPropertiesUIController* accountPropertiesUIController() const { return m_accountPropertiesUIController.get(); }
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const;
    // Those of the blog's project when it is a published blog project; none otherwise.
    VornickPublishedBlogSynchronizer* synchronizer() const;
    VornickBlogServiceIntegrator* integrator() const;
    const std::shared_ptr<VornickMiniSyncStatusUIController>& miniSyncStatusUIController() const { return m_miniSyncStatusUIController; }
    bool isMiniSyncStatusShown() const { return m_miniSyncStatusShown; }

    void close() override;

    // --- Actions
    void moveSelectedPostsToTrash(ActionSender*) override;
    void emptyBlogTrash(ActionSender*) override;
    void writeAllPostsToSourceFiles(ActionSender*) override;
    void cancelSync(ActionSender*);
    std::vector<std::pair<Action, std::function<void(ActionSender*)>>> actionHandlers() override;
    // Empty Trash needs posts in the Trash, Cancel Sync a running session.
    bool validateUserInterfaceItem(const Action&, MenuItem*) override;

    // Opens the post's page on the site in the browser: web addresses only.
    void openViewerForPost(const std::shared_ptr<VornickBlogPost>&) override;
    // Posts in the Trash go to the restore prompt, the others open.
    void openObjects(const std::vector<std::shared_ptr<VornickBlogPost>>&, bool shiftHeld) override;
    void promptForOpenOfPostsInTrash(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>&);
    void restorePosts(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>&);
    // The posts in the Trash that Empty Trash deletes.
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> postsToDeleteFromTrash() const;
    // The Trash view is left (WordPress blogs have one).
    virtual void leaveTrashView() {}

    // --- Sync status
    // Shows the mini status while the synchronizer has a current session or
    // its last session failed; hides it otherwise.
    void updateMiniSyncStatusForCurrentSession();
    virtual void synchronizerDidSwitchSyncSession();

protected:
    void windowControllerDidLoadNib(VornickBlogWindowController&) override;
    // Saves the index, logging a failure; false when it failed.
    bool saveIndex();

private:
    void installMiniSyncStatusView();
    void uninstallMiniSyncStatusView();
    void movePostsToTrash(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>&);
    void deletePostsFromTrash(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>&);
    bool writePost(VornickPublishedBlogPost&);

    std::shared_ptr<VornickMiniSyncStatusUIController> m_miniSyncStatusUIController;
    std::shared_ptr<VornickBlogHostingAccountPropertiesUIController> m_accountPropertiesUIController;
    ObserverToken m_sessionSwitchObserver;
    bool m_miniSyncStatusShown { false };
};

} // namespace brevanton
