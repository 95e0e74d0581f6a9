// VornickBlogEditor: the blog window's document, the editor of one blog of
// an account project. It shows the blog's posts and pages in a list
// (VornickBlogPostListViewController over an array controller of the
// index's "BlogPost" entities) and the selected post, read-only, in its
// theme on the other side. It keeps a history of the posts shown (back and
// forward), copies permalinks and sources, shares links, makes new posts and
// pages, and takes the list's and the preview's delegate calls.
//
// The window is built by VornickBlogWindowController under the editor's nib
// name; every action of the window reaches the editor through it, and so do
// the validations of its menu and toolbar items.
//
// Links clicked in the preview are the site's, not trusted: only web and mail
// addresses open, anything else is refused and logged. A new post whose file
// cannot be written is deleted again, and a sheet says why.
//
// Made through create; main thread only. Closing stops the list's refresh
// and every observation.
#pragma once

#include "documents/VornickProjectComponentEditor.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/store/FetchRequest.h"
#include "platform/views/Responder.h"
#include "platform/views/SplitView.h"
#include "platform/views/Toolbar.h"
#include "app/VornickTitledURL.h"
#include "blog/VornickBlogPostEditorOperations.h"
#include "publishing/VornickBlogPostViewHost.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "ui/VornickWebListViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Alert;
class Control;
class ArrayController;
class Menu;
class MenuItem;
class SearchField;
class VornickAttachmentPointLocator;
class VornickAttachmentPointSettingsUIController;
class VornickBlog;
class VornickBlogPost;
class VornickBlogPostListViewController;
class VornickBlogPostView;
class VornickBlogWindowController;
class VornickProject;
class VornickProjectEditor;
class VornickPublishedBlogPost;
class VornickStoreWebListArrayController;
class WebBackForwardList;

class VornickBlogEditor : public VornickProjectComponentEditor,
                          public VornickBlogPostViewHost,
                          public VornickBlogEditorOperations,
                          public VornickBlogPostViewDelegate,
                          public VornickWebListViewControllerActionDelegate,
                          public SplitViewDelegate,
                          public ToolbarDelegate,
                          public std::enable_shared_from_this<VornickBlogEditor> {
public:
    static constexpr double minimumListWidth = 160;
    static constexpr double minimumPreviewWidth = 200;

    // The editor of the blog of the project editor's project, its window
    // built (not yet shown: showWindows shows it).
    template<typename Editor = VornickBlogEditor>
    static std::shared_ptr<Editor> create(VornickProjectEditor& projectEditor, std::shared_ptr<VornickBlog> blog)
    {
        std::shared_ptr<Editor> editor(new Editor());
        static_cast<VornickBlogEditor&>(*editor).open(projectEditor, std::move(blog));
        return editor;
    }
    ~VornickBlogEditor() override;

    static std::u16string coreDataEntityKind() { return u"Blog"; }
    virtual std::u16string windowNibName() const { return u"VornickBlogEditor"; }
    virtual std::u16string toolbarIdentifier() const { return u"VornickBlogEditorToolbar"; }

    // --- What it shows
    std::shared_ptr<VornickBlog> blog() const override { return m_blog; }
    std::shared_ptr<VornickProject> blogProject() const;
    std::shared_ptr<VornickProjectEditor> projectEditor() const { return m_projectEditor.lock(); }
    VornickBlogWindowController* windowController() const { return m_windowController.get(); }
    std::shared_ptr<Window> window() const;
    const std::shared_ptr<VornickBlogPostListViewController>& postsWebListView() const { return m_postsWebListView; }
    const std::shared_ptr<ArrayController>& postsArrayController() const { return m_postsArrayController; }
    const std::shared_ptr<VornickStoreWebListArrayController>& postsListArrayController() const { return m_postsListArrayController; }
    const std::shared_ptr<SearchField>& postListSearchField() const { return m_postListSearchField; }
    const std::shared_ptr<VornickBlogPostView>& postView() const { return m_postView; }
    const std::shared_ptr<WebBackForwardList>& backForwardList() const { return m_backForwardList; }
    std::shared_ptr<Control> sharePostButton() const { return m_sharePostButton.lock(); }
    const std::shared_ptr<Menu>& sharingServicePicker() const { return m_sharingServicePicker; }
    VornickAttachmentPointSettingsUIController* attachmentPointSettingsUIController() const { return m_attachmentPointSettingsUIController.get(); }
    bool isClosed() const { return m_closed; }

    // --- Component editor
    std::shared_ptr<VornickProjectComponent> projectComponent() const override;
    void showWindows() override;
    void closeEditorWindows() override { close(); }
    // Stops the list's refresh and every observation, closes the window and
    // lets the project close when this was its last window.
    virtual void close();
    // The index changed: the list is fetched again.
    virtual void projectDidFinishUpdatingIndex();

    // --- Actions (the sender may be null)
    void newPost(ActionSender*) { newPostOrPage(u"post"); }
    void newPage(ActionSender*) { newPostOrPage(u"page"); }
    // The new post (selected, its editor open), or null when it could not be
    // written: then it is deleted again and a sheet says why.
    std::shared_ptr<VornickBlogPost> newPostOrPage(const std::u16string& type);
    void openEditorsForSelectedPosts(ActionSender*);
    void openViewersForSelectedPosts(ActionSender*);
    void copyPermalinksForSelectedPosts(ActionSender*);
    void copySourceContentStringForSelectedPosts(ActionSender*);
    void shareSelectedPosts(ActionSender*);
    void focusPostListSearchField(ActionSender*);
    void toggleClearView(ActionSender*);
    void showSyncLog(ActionSender*);
    void goBack(ActionSender*);
    void goForward(ActionSender*);
    virtual void moveSelectedPostsToTrash(ActionSender*) {}
    virtual void emptyBlogTrash(ActionSender*) {}
    virtual void startManualSyncWithHost(ActionSender*) {}
    virtual void fetchThemeTemplates(ActionSender*) {}
    virtual void writeAllPostsToSourceFiles(ActionSender*) {}
    // Whether the item of the action is enabled; a menu item's check mark
    // is set on the way. Actions the editor does not know: true.
    virtual bool validateUserInterfaceItem(const Action&, MenuItem*);
    // The actions the window sends to the editor, with their performers.
    virtual std::vector<std::pair<Action, std::function<void(ActionSender*)>>> actionHandlers();

    // --- Posts
    std::vector<std::shared_ptr<VornickBlogPost>> selectedPosts() const;
    // The open editor of the post, or none.
    std::shared_ptr<VornickProjectComponentEditor> editorForPost(const VornickBlogPost&) const;
    void openEditorForPost(const std::shared_ptr<VornickBlogPost>&);
    virtual void openViewerForPost(const std::shared_ptr<VornickBlogPost>&);
    void openPost(const std::shared_ptr<VornickBlogPost>& post) { openViewerForPost(post); }
    // Shows the post in the preview (none: empties it and the history).
    void showPost(const std::shared_ptr<VornickBlogPost>&);
    // Selects the post alone in the list, loading rows up to it.
    virtual void revealNewSelectedPostInList(const std::shared_ptr<VornickBlogPost>&);
    // Reloads the preview when it shows the post (the sync merged a server version).
    void updateDisplayedContentForPost(const std::shared_ptr<VornickPublishedBlogPost>&) override;
    virtual void updateBackForwardSegmentedControl() {}
    bool canGoBack() const;
    bool canGoForward() const;
    // The titled permalinks of the selected published posts.
    std::vector<VornickTitledURL> permalinkTitledURLsForSelectedPosts() const;
    bool canShareSelectedPosts() const { return !permalinkTitledURLsForSelectedPosts().empty(); }
    void updateSharePostButton();
    // What the list does with Return or a double click on the objects.
    virtual void openObjects(const std::vector<std::shared_ptr<VornickBlogPost>>&, bool shiftHeld);
    // Default locators the attachment point settings sheet offers.
    virtual std::vector<std::shared_ptr<VornickAttachmentPointLocator>> defaultAttachmentPointLocatorsForPostView() { return {}; }

    // --- What the post view and the settings sheet ask
    std::shared_ptr<Window> windowForSheet() const override { return window(); }
    void editAttachmentPointSettings() override;
    void attachmentPostSettingsDidChange() override;

    // --- The list's delegate
    void webListViewControllerDidRefreshList(VornickWebListViewController&) override;
    void webListViewControllerSelectionChanged(VornickWebListViewController&, const std::vector<std::shared_ptr<ManagedObject>>&) override;
    void webListViewControllerOpenObjects(VornickWebListViewController&, const std::vector<std::shared_ptr<ManagedObject>>&) override;

    // --- The preview's delegate
    std::optional<URL> blogPostViewTemplatesFolderURL(VornickBlogPostView&) override;
    std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
    vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView&, const std::u16string&) override;
    bool respondsToUserClickedLinkElement() const override { return true; }
    void vornickContentEditingViewUserClickedLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&, const URL&,
                                                        ModifierFlags) override;

    // --- Split view: the list at least 160 wide, the preview at least 200.
    double constrainMinCoordinate(SplitView&, double proposedMinimum, long dividerIndex) override;
    double constrainMaxCoordinate(SplitView&, double proposedMaximum, long dividerIndex) override;

    // --- Toolbar: the base has no items of its own.
    std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar&, const std::u16string&, bool) override;
    std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) override { return {}; }
    // An item was added to (or removed from) the toolbar.
    virtual void toolbarDidAddItem(ToolbarItem&);
    virtual void toolbarDidRemoveItem(ToolbarItem&);

    // --- Notifications
    void blogPostDidChange(VornickBlogPost*);

    // The window was built: the editor's own parts go in (the window
    // controller calls this).
    virtual void windowControllerDidLoadNib(VornickBlogWindowController&);

protected:
    VornickBlogEditor();
    // The preview (a WordPress blog shows its posts in their theme).
    virtual std::shared_ptr<VornickBlogPostView> makePostView(Rect frame);
    virtual void connectToProjectComponent();
    virtual void connectToProjectIndexMOC();
    // The sort descriptors of the list's key (titles by the user's
    // collation ignoring case, ties by the last local edit).
    static std::vector<SortDescriptor> storeSortDescriptors(const std::vector<VornickWebListSortDescriptor>&);
    // Shows the alert as a sheet on the window (modal without one).
    void beginSheet(const std::shared_ptr<Alert>&, std::function<void(long response)>);
    void setPreviewPost(const std::shared_ptr<VornickBlogPost>&);
    const std::shared_ptr<Alert>& currentAlert() const { return m_alert; }

private:
    void open(VornickProjectEditor&, std::shared_ptr<VornickBlog>);
    bool goToHistoryItem(bool back);
    void startObservingPosts();

    std::weak_ptr<VornickProjectEditor> m_projectEditor;
    std::shared_ptr<VornickBlog> m_blog;
    std::shared_ptr<VornickBlogWindowController> m_windowController;
    std::shared_ptr<VornickBlogPostListViewController> m_postsWebListView;
    std::shared_ptr<ArrayController> m_postsArrayController;
    std::shared_ptr<VornickStoreWebListArrayController> m_postsListArrayController;
    std::shared_ptr<SearchField> m_postListSearchField;
    std::shared_ptr<VornickBlogPostView> m_postView;
    std::shared_ptr<WebBackForwardList> m_backForwardList;
    std::weak_ptr<Control> m_sharePostButton;
    std::shared_ptr<Menu> m_sharingServicePicker;
    std::shared_ptr<Responder> m_sharingPickerTarget;
    std::unique_ptr<VornickAttachmentPointSettingsUIController> m_attachmentPointSettingsUIController;
    std::shared_ptr<Alert> m_alert;
    ObserverToken m_postChangeObserver;
    bool m_closed { false };
};

} // namespace brevanton
