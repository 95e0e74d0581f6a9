// VornickBlogPostWindow: a WordPress post in a window of its own, on the Qt
// backend. The window shows the post inside its blog's theme in a
// VornickWordPressPostView, titled with the post's title without markup. It
// is the view's delegate (the blog's templates, default locators and
// placeholders) and the blog editor the attachment point settings sheet
// reports to.
//
// The title field above the page edits the post's title: Return, or the
// keyboard leaving the field, sets it as one undoable step ("Blog Post Title
// Change") that the page's title place shows at once; what is typed in the
// title place shows in the field.
//
// Typing in the page sets the post's dates and marks it edited; filling the
// template with the post's fields does not. Saving writes the title and body
// back from the page, writes the post's file (JSON) and commits the
// project's index; a save with nothing changed writes nothing. Saving a post
// that is not live (a draft, a pending post) queues it for upload at the
// account's next sync, and, when the account is open in its windows, asks
// it to upload the post now; a live post is not queued by a save. Closing a
// window with edits not saved asks (Save, Cancel, Don't Save). The window's
// delegate performs "saveDocument:", "undo:", "redo:", "performClose:",
// "toggleClearView:", "showOrHideSourceLoupe:" (the source in a window of
// its own) and "editPostProperties:" (the post's properties
// popover, at the featured image when the page shows one; a page's has no
// tags or categories). An accepted
// change of the tags, categories or properties is an edit: the page shows
// them again and the post is marked edited.
//
// Its toolbar (above the page) holds Blog, Properties, the post's status,
// the page's view toggles, Share (copies the permalink), View on Web and
// Publish, validated like menu items. Publish saves and queues the post,
// then closes the window; a failed save shows why and publishes nothing.
// The sync engine finds the window as the post's editor: a server version
// that conflicts with the local one shows beside it until one is kept, and
// a post the server deleted asks whether to revive it or trash it.
//
// The post's account project is opened once per process, in its project
// editor, and shared by the windows of its posts; opening a post whose window
// is open brings that window forward. When the project's last window closes,
// the project closes.
#pragma once

#include "documents/VornickProjectComponentEditor.h"
#include "platform/foundation/Error.h"
#include "blog/VornickBlogPostEditorOperations.h"
#include "publishing/VornickBlogPostViewHost.h"
#include "publishing/VornickBlogPostViewDelegate.h"
#include "publishing/VornickWordPressPagePropertiesUIController.h"
#include "platform/views/SplitView.h"
#include "platform/views/Toolbar.h"
#include "shell/VornickDocumentWindowActions.h"

#include <functional>
#include <memory>
#include <string>

namespace brevanton {

class ActionSender;
class Alert;
class Menu;
class Responder;
class TextField;
class VornickAttachmentPointSettingsUIController;
class VornickProjectOrComponentWindow;
class VornickWordPressBlogPost;
class VornickWordPressBlogProject;
class VornickWordPressPostView;
class Window;
class VornickToolbarItemViews;
class VornickWordPressBlogPostEditor;

class VornickBlogPostWindow final : public std::enable_shared_from_this<VornickBlogPostWindow>,
                                    public VornickBlogPostViewDelegate,
                                    public VornickBlogPostViewHost,
                                    public VornickPostPropertiesEditor,
                                    public VornickProjectComponentEditor,
                                    public ToolbarDelegate,
                                    public SplitViewDelegate,
                                    public VornickBlogPostEditorOperations,
                                    public VornickDocumentWindowClient {
public:
    // Whether the path names a WordPress post file.
    static bool isBlogPostPath(const std::string& path);
    // The window of the post file: the account project in a folder above it
    // is opened (or the one already open taken), and the post whose file it
    // is shown. Null with the error when there is no such project or post.
    static std::shared_ptr<VornickBlogPostWindow> open(const std::string& path, Error*, Window* cascadeFrom = nullptr);
    // The window of a post of an open project, ordered front and key; not
    // registered as the post's editor (open does that).
    static std::shared_ptr<VornickBlogPostWindow> openPost(std::shared_ptr<VornickWordPressBlogProject>,
                                                           std::shared_ptr<VornickWordPressBlogPost>, Window* cascadeFrom = nullptr);
    // Registers the project editor's opener of "BlogPost" components (a
    // blog window's Open): each window it opens is handed to `opened`, which
    // keeps it (the project editor holds its editors weakly).
    static void registerPostOpener(std::function<void(const std::shared_ptr<VornickBlogPostWindow>&)> opened);
    ~VornickBlogPostWindow() override;

    const std::shared_ptr<VornickWordPressBlogPost>& post() const { return m_post; }
    const std::shared_ptr<VornickWordPressBlogProject>& project() const { return m_project; }
    std::shared_ptr<Window> window() const;
    const std::shared_ptr<VornickWordPressPostView>& postView() const { return m_postView; }
    bool isDocumentEdited() const override;
    // The window is closing: the post has no editor any more, and the
    // project closes when this was its last window.
    void windowWillClose();

    // --- VornickProjectComponentEditor

    std::shared_ptr<VornickProjectComponent> projectComponent() const override;
    void showWindows() override;
    void closeEditorWindows() override;

    // Writes the post back from the page, then its file and the index;
    // false with the first error. Nothing is written when nothing changed.
    [[nodiscard]] bool save(Error*);
    // The post's dates and mark after a change the user made.
    void updatePostDatesForEdit();
    // Saves, and requests the post's publication when the save succeeded
    // (else shows why, the window staying open); closes after the request
    // when "CloseBlogPostEditorOnPublish" is on.
    void publish();
    // --- The title

    const std::shared_ptr<TextField>& titleTextField() const { return m_titleTextField; }
    // The field's edit ended: its text becomes the post's title.
    void postTitleTextChanged();
    // A new title is one undoable step; the field and the page show it.
    void setPostTitle(const std::u16string&);

    // What the window does with its post: uploads, dates, Publish.
    VornickWordPressBlogPostEditor& postEditor() const { return *m_postEditor; }

    // --- The toolbar

    const std::shared_ptr<Toolbar>& toolbar() const { return m_toolbar; }
    const std::shared_ptr<VornickToolbarItemViews>& toolbarItemViews() const { return m_toolbarItemViews; }
    std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar&, const std::u16string&, bool willBeInsertedIntoToolbar) override;
    std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) override;
    // Whether the toolbar item is enabled now: while a server version waits
    // only the view items are; Share needs a permalink.
    bool validateToolbarItem(const ToolbarItem&) const override;
    // Clear View on or off (the user's choice, which is remembered).
    void toggleClearView();
    // The source the page will write, in a window of its own beside the post's.
    bool sourceLoupeShown() const;
    void showOrHideSourceLoupe();

    // --- The server's answers (the sync engine, through the post's editor)

    void postWillReceiveNewPendingDescription() override;
    // Shows the server's version beside the local one, read-only, under a
    // banner whose buttons keep one of them (after asking); shown again it
    // only takes the newer server version.
    void postDidReceiveNewPendingDescription() override;
    void postWillReceiveReplacementFromServer() override { }
    void postDidReceiveReplacementFromServer() override;
    // A sheet: "Revive Post" or "Move Post to Trash"; a failed write says why.
    void enqueueServerSideDeletionOfPost(bool inTrashOnServer) override;
    void saveAlreadyIntegratedChanges() override;
    void saveDocumentWithoutUploadingDraftChanges() override;

    bool conflictResolutionUIShown() const { return m_serverPostView != nullptr; }
    void setConflictResolutionUIShown(bool);
    const std::shared_ptr<VornickWordPressPostView>& serverPostView() const { return m_serverPostView; }
    const std::shared_ptr<View>& conflictSplitView() const { return m_conflictSplitView; }
    // The divider between the two versions keeps each at least 100 wide.
    double constrainMinCoordinate(SplitView&, double proposedMinimum, long dividerIndex) override;
    double constrainMaxCoordinate(SplitView&, double proposedMaximum, long dividerIndex) override;
    // The banner's two choices, each asked in a sheet first.
    void discardLocalVersion();
    void discardServerVersion();

    // --- VornickBlogPostViewHost

    std::shared_ptr<VornickBlog> blog() const override;
    std::shared_ptr<Window> windowForSheet() const override;
    void editAttachmentPointSettings() override;
    void attachmentPostSettingsDidChange() override;
    VornickAttachmentPointSettingsUIController* attachmentPointSettingsController() const { return m_settingsController.get(); }

    // --- The post's properties

    // At the view when one is given (the toolbar's button), else at the
    // featured image or the top of the page.
    void editPostProperties(const std::shared_ptr<View>& anchor = nullptr);
    // Share: Copy Link and Email Link for the post's permalink, under the
    // sender when it is a view.
    void sharePost(ActionSender*);
    const std::shared_ptr<Menu>& sharingServicePicker() const { return m_sharingServicePicker; }
    // A post's (format, featured image, tags, categories) or a page's (format, featured image).
    VornickWordPressPagePropertiesUIController* postPropertiesController() const { return m_postPropertiesController.get(); }
    void postPropertiesEdited() override;
    std::shared_ptr<VornickWordPressPostView> postPropertiesPostView() const override { return m_postView; }

    // --- The post view's delegate

    std::optional<URL> blogPostViewTemplatesFolderURL(VornickBlogPostView&) override;
    void blogPostViewEditedPostProperty(VornickBlogPostView&, const std::u16string&) override;
    bool respondsToFailedAttachment() const override { return true; }
    void vornickContentEditingViewDidChangeContent(VornickContentEditingView&, WebFrame*, VornickAttachmentPoint*) override;
    std::optional<std::u16string> vornickContentEditingViewPlaceholderContentStringForEmptiedAttachmentPoint(
        VornickContentEditingView&, VornickAttachmentPoint&) override;
    // After a load: a `base` naming the post's file (in place of the
    // page's), and the formatting set blog posts are written with.
    void vornickContentEditingViewEndLoading(VornickContentEditingView&, VornickContentLoadingState,
                                             const VornickResourceLoadAttempts&) override;
    // A local file dropped or pasted into the post goes into the blog's
    // media library first (the post editor's staging); a refused one is
    // said in a sheet, and the drop or paste keeps nothing of it.
    std::optional<URL> vornickContentEditingViewFindReferencedFileInBlogMediaLibraryOrStageIntoBlogMediaLibrary(VornickContentEditingView&,
                                                                                                          const URL&) override;
    // A link opens only on a Command-click, and only a web or mail address
    // (through the application delegate); a link to "#" does nothing; any
    // other address is refused and logged. The page is the site's, so its
    // links are not trusted.
    bool respondsToUserClickedLinkElement() const override { return true; }
    void vornickContentEditingViewUserClickedLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&, const URL&,
                                                        ModifierFlags) override;
    // A snippet made from the selection goes to the editor of the post's
    // snippet set, added there as an undo step; the answer is always none.
    std::shared_ptr<VornickFragmentDescription> vornickContentEditingViewAddNewFragmentDescriptionToASuitableGroupAndBringForwardForEditing(
        VornickContentEditingView&, const std::shared_ptr<VornickFragmentDescription>&) override;

private:
    VornickBlogPostWindow() = default;
    // Post windows open through the project editor: `cascadeFrom` is where
    // the next one cascades from (none: the standard place).
    static void registerAsPostEditor(Window* cascadeFrom);
    void installFocusHook();
    void installActions();
    void updateTitle();
    void updateEditedMark();
    // The page was loaded again: the undo steps of the old one are void.
    void forgetUndoSteps();
    // The window's actions (VornickDocumentWindowActions) ask these.
    bool saveReportingFailure() override;
    bool documentSourceShown() const override { return sourceLoupeShown(); }
    void showOrHideDocumentSource() override { showOrHideSourceLoupe(); }
    std::optional<bool> validateOwnMenuItem(MenuItem&) override;
    // Asks the post's account, when open in its windows, to upload the post.
    void requestUploadOfPost();
    void presentSaveError(const Error&);
    void installToolbar(View& container);
    static constexpr double titleStripHeight = 36;
    // The title field in a strip whose top is `top` in the container.
    void installTitleField(View& container, double top);
    // Text typed in the field and not yet taken becomes the title.
    void takeTitleFromField();
    void updateTitleFieldFromContent();
    void viewContentOnWeb();
    void refreshServerPostView();
    void saveWithoutUploadingReportingFailure();
    // Asks before a version is discarded; `discard` runs on "Discard".
    void confirmDiscard(std::u16string title, std::u16string text, std::function<void()> discard);
    void openBlog();

    std::shared_ptr<VornickWordPressBlogProject> m_project;
    std::shared_ptr<VornickWordPressBlogPost> m_post;
    std::shared_ptr<VornickProjectOrComponentWindow> m_window;
    std::shared_ptr<VornickWordPressPostView> m_postView;
    std::shared_ptr<TextField> m_titleTextField;
    std::shared_ptr<Responder> m_actions;
    std::unique_ptr<VornickAttachmentPointSettingsUIController> m_settingsController;
    std::shared_ptr<Alert> m_alert;
    std::shared_ptr<VornickWordPressPagePropertiesUIController> m_postPropertiesController;
    std::unique_ptr<VornickWordPressBlogPostEditor> m_postEditor;
    std::shared_ptr<VornickToolbarItemViews> m_toolbarItemViews;
    std::shared_ptr<Toolbar> m_toolbar;
    std::shared_ptr<Menu> m_sharingServicePicker;
    std::shared_ptr<Responder> m_sharingPickerTarget;
    std::shared_ptr<VornickWordPressPostView> m_serverPostView;
    std::shared_ptr<View> m_conflictSplitView;
    std::shared_ptr<View> m_conflictBannerView;
};

} // namespace brevanton
