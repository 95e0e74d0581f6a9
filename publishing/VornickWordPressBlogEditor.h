// VornickWordPressBlogEditor: the blog window of a WordPress blog. It
// narrows the post list by filters (the Trash, post types, statuses,
// categories and tags: the objects themselves, not their titles), a search
// string and a sort order; its toolbar shows the connection state and the
// sync control, starts manual syncs and template downloads; its preview
// shows each post in the blog's theme.
//
// A search keystroke filters the list at once; the preview marks the
// matches after one deferred reload, which each further keystroke replaces.
// Revealing a post the filters or the search hide clears them first.
//
// The list state (filters, sort, search) goes into a property-list
// dictionary (encodeRestorableState) and comes back from one
// (restoreState); categories and tags are kept by title and statuses by
// identifier, and looked up in the blog again once its index is connected.
#pragma once

#include "publishing/VornickBlogEditorRestorableState.h"
#include "publishing/VornickPublishedBlogEditor.h"
#include "publishing/VornickPublishedBlogPostListSortingUIController.h"
#include "publishing/VornickWordPressBlogEditorOperations.h"
#include "publishing/VornickWordPressPostListFilters.h"

namespace brevanton {

class VornickBlogEditorRestorableState;
class VornickBlogPropertiesUIController;
class VornickToolbarItemViews;
class VornickWordPressMediaLibraryBrowser;
class VornickWordPressBlog;
class VornickWordPressPostListFiltersUIController;

namespace VornickBlogEditorRestorableStateKey {
inline constexpr const char16_t* PostListSortDescriptors = VornickBlogEditorPostListSortDescriptorsKey;
inline constexpr const char16_t* PostListSelectedCategories = VornickBlogEditorPostListSelectedCategoriesKey;
inline constexpr const char16_t* PostListSelectedTags = VornickBlogEditorPostListSelectedTagsKey;
inline constexpr const char16_t* PostListSelectedPostStatuses = VornickBlogEditorPostListSelectedPostStatusesKey;
inline constexpr const char16_t* PostListSelectedPostTypes = VornickBlogEditorPostListSelectedPostTypesKey;
inline constexpr const char16_t* PostListViewingTrash = VornickBlogEditorPostListViewingTrashKey;
inline constexpr const char16_t* SearchString = VornickBlogEditorSearchStringKey;
inline constexpr const char16_t* FieldsToSearch = VornickBlogEditorFieldsToSearchKey;
} // namespace VornickBlogEditorRestorableStateKey

class VornickWordPressBlogEditor : public VornickPublishedBlogEditor,
                                   public VornickWordPressPostListFiltersEditor,
                                   public VornickPostListSortingOwner,
                                   public VornickWordPressBlogEditorOperations {
public:
    // The toolbar's items, allowed and default alike, in order.
    static const std::vector<std::u16string>& toolbarItemIdentifiers();

    VornickWordPressBlogEditor();
    ~VornickWordPressBlogEditor() override;

    std::u16string windowNibName() const override { return u"VornickWordPressBlogEditor"; }
    std::u16string toolbarIdentifier() const override { return u"VornickWordPressBlogEditorToolbar"; }
    std::shared_ptr<VornickWordPressBlog> wordPressBlog() const;
    // The window's own toolbar controls, made when the toolbar is first built.
    const std::shared_ptr<VornickToolbarItemViews>& toolbarItemViews() const { return m_toolbarItemViews; }

    // --- Filters
    const VornickWordPressPostListFilters& filters() const { return m_filters; }
    bool viewingTrash() const override { return m_filters.viewingTrash; }
    void setViewingTrash(bool) override;
    std::vector<std::u16string> selectedPostTypes() const override { return m_filters.selectedPostTypes; }
    void setSelectedPostTypes(std::vector<std::u16string>) override;
    std::vector<std::shared_ptr<ManagedObject>> selectedPostStatuses() const override { return m_filters.selectedPostStatuses; }
    void setSelectedPostStatuses(std::vector<std::shared_ptr<ManagedObject>>) override;
    std::vector<std::shared_ptr<ManagedObject>> selectedCategories() const override { return m_filters.selectedCategories; }
    void setSelectedCategories(std::vector<std::shared_ptr<ManagedObject>>) override;
    std::vector<std::shared_ptr<ManagedObject>> selectedTags() const override { return m_filters.selectedTags; }
    void setSelectedTags(std::vector<std::shared_ptr<ManagedObject>>) override;
    int fieldsToSearch() const { return m_fieldsToSearch; }
    // Rebuilds the list's filter predicate and the filters button.
    void updateFilterPredicate();
    // "FilterButtonFiltering" while anything but the search narrows the list, else "FilterButton".
    const std::u16string& postListFiltersButtonImageName() const { return m_filtersButtonImageName; }
    VornickWordPressPostListFiltersUIController* postListFiltersUIController() const { return m_postListFiltersUIController.get(); }
    VornickPublishedBlogPostListSortingUIController* postListSortingUIController() const { return m_postListSortingUIController.get(); }
    void leaveTrashView() override { setViewingTrash(false); }

    // --- Actions
    void editPostListFilters(ActionSender*);
    void editPostListSorting(ActionSender*);
    void userChangedPostListFilters(VornickWordPressPostListFiltersUIController&) override { invalidateRestorableState(); }
    void userChangedPostListSorting(VornickPublishedBlogPostListSortingUIController&) override { invalidateRestorableState(); }
    void takeSearchStringFrom(ActionSender*);
    void changeFieldsToSearch(ActionSender*);
    void openBlogAdminPage(ActionSender*);
    void openBlogLandingPage(ActionSender*);
    void startManualSyncWithHost(ActionSender*) override;
    void fetchThemeTemplates(ActionSender*) override;
    void backForwardButtonClicked(ActionSender*);
    void toggleWorkingOffline(ActionSender*);
    std::vector<std::pair<Action, std::function<void(ActionSender*)>>> actionHandlers() override;
    bool validateUserInterfaceItem(const Action&, MenuItem*) override;
    // The media library browser comes later: nothing is shown.
    // Orders the media library window front, made and loaded on first use
    // (its items read again half a second later), and shows the item there.
    void showMediaItemInMediaLibrary(const std::shared_ptr<VornickWordPressMediaItem>&) override;
    const std::shared_ptr<VornickWordPressMediaLibraryBrowser>& mediaLibraryBrowser() const { return m_mediaLibraryBrowser; }
    // Shows the media library window (as showMediaItemInMediaLibrary does
    // without an item) and has it pick an item beside the inspector.
    void beginPickingMediaItem(const std::shared_ptr<VornickWordPressMediaItem>&, const Rect& inspectorFrame,
                               std::function<void(const std::shared_ptr<VornickWordPressMediaItem>&)> completionHandler);
    void cancelPickingMediaItem();
    // Hides the media library window when it shows, else shows it.
    void showMediaLibrary(ActionSender*);
    void showBlogProperties(ActionSender*);
    // Made on first showing.
    const std::shared_ptr<VornickBlogPropertiesUIController>& blogPropertiesUIController() const { return m_blogPropertiesUIController; }

    // --- Revealing
    void revealNewSelectedPostInList(const std::shared_ptr<VornickBlogPost>&) override;

    // --- Attachment points
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> defaultAttachmentPointLocatorsForPostView() override;
    std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
    vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView&, const std::u16string&) override;

    // --- Toolbar
    std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar&, const std::u16string&, bool willBeInserted) override;
    std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) override { return toolbarItemIdentifiers(); }
    void toolbarDidAddItem(ToolbarItem&) override;
    void toolbarDidRemoveItem(ToolbarItem&) override;
    void updateBackForwardSegmentedControl() override;
    // The sync item: a stop picture (a click cancels) during a session, else refresh.
    void updateSyncButton();
    void updateWorkOfflineButton();
    const std::u16string& syncButtonImageName() const { return m_syncButtonImageName; }
    const std::u16string& workOfflineImageName() const { return m_workOfflineImageName; }
    std::shared_ptr<ToolbarItem> syncToolbarItem() const { return m_syncToolbarItem.lock(); }
    std::shared_ptr<ToolbarItem> toggleWorkOfflineToolbarItem() const { return m_toggleWorkOfflineToolbarItem.lock(); }

    // --- Restorable state
    // Called on each change the user makes to the list state.
    void setRestorableStateInvalidationHandler(std::function<void()> handler) { m_invalidationHandler = std::move(handler); }
    void invalidateRestorableState();
    void encodeRestorableState(Dictionary&) const;
    void restoreState(const Dictionary&);
    bool hasRestoredFilterSettings() const { return !m_restoredFilterSettings.empty(); }

    void synchronizerDidSwitchSyncSession() override;
    void projectDidFinishUpdatingIndex() override;
    void close() override;
    void connectionStatusDidChange();

protected:
    std::shared_ptr<VornickBlogPostView> makePostView(Rect frame) override;
    void windowControllerDidLoadNib(VornickBlogWindowController&) override;
    void connectToProjectComponent() override;
    void connectToProjectIndexMOC() override;

private:
    void attachRestorableStateStore();
    void resolveRestoredFilterSettings();
    std::u16string searchString() const;
    void schedulePreviewReloadForSearch();

    VornickWordPressPostListFilters m_filters;
    int m_fieldsToSearch { 3 };
    std::u16string m_filtersButtonImageName { u"FilterButton" };
    Dictionary m_restoredFilterSettings;
    std::unique_ptr<VornickWordPressPostListFiltersUIController> m_postListFiltersUIController;
    std::unique_ptr<VornickPublishedBlogPostListSortingUIController> m_postListSortingUIController;
    std::shared_ptr<VornickWordPressMediaLibraryBrowser> m_mediaLibraryBrowser;
    std::shared_ptr<VornickBlogPropertiesUIController> m_blogPropertiesUIController;
    std::shared_ptr<VornickToolbarItemViews> m_toolbarItemViews;
    std::weak_ptr<Button> m_toggleClearViewButton;
    std::weak_ptr<ToolbarItem> m_syncToolbarItem;
    std::weak_ptr<ToolbarItem> m_toggleWorkOfflineToolbarItem;
    std::weak_ptr<ToolbarItem> m_backForwardToolbarItem;
    std::u16string m_syncButtonImageName;
    std::u16string m_workOfflineImageName;
    std::function<void()> m_invalidationHandler;
    // The project's store of window states this window reads at opening and
    // writes to while it is open (unless a handler of its own was set).
    std::shared_ptr<VornickBlogEditorRestorableState> m_restorableState;
    std::u16string m_restorableStateKey;
    ObserverToken m_workingOfflineObserver;
    ObserverToken m_connectionStatusObserver;
    bool m_observingIntegratorConnectionStatus { false };
    // Identifies the pending preview reload of a search.
    int m_previewReloadKey { 0 };
};

} // namespace brevanton
