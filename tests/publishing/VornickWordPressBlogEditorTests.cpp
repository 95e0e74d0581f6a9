// The WordPress blog window headless: filters, search, revealing, restorable
// state, the toolbar and the sync controls.
#include "tests/publishing/BlogWindowTestSupport.h"

#include "app/VornickApplicationDelegate.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickToolbarItemViews.h"
#include "platform/dom/DOMElement.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/views/Menu.h"
#include "platform/views/SearchField.h"
#include "platform/views/SegmentedControl.h"
#include "platform/views/Toolbar.h"
#include "documents/VornickProjectIndex.h"
#include "platform/views/Window.h"
#include "publishing/VornickBlogEditorRestorableState.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickBlogWindowController.h"
#include "publishing/VornickMiniSyncStatusUIController.h"
#include "publishing/VornickWordPressMediaLibraryBrowser.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "ui/VornickToolbarPickerControls.h"
#include "ui/VornickStoreWebListArrayController.h"

#include <filesystem>

namespace brevanton {
namespace {

namespace Key = VornickBlogEditorRestorableStateKey;

class WordPressBlogEditorTest : public BlogWindowTest {
protected:
    void typeSearch(const std::u16string& text)
    {
        auto& field = *editor->postListSearchField();
        field.setStringValue(text);
        editor->takeSearchStringFrom(&field);
        editor->postsArrayController()->rearrangeObjects();
    }
};

TEST_F(WordPressBlogEditorTest, FiltersNarrowTheListByTheObjectsChosen)
{
    openWindow();
    EXPECT_EQ(editor->postListFiltersButtonImageName(), u"FilterButton");
    EXPECT_EQ(listedTitles().size(), 5u) << "the live posts and pages";

    editor->setViewingTrash(true);
    editor->postsArrayController()->rearrangeObjects();
    EXPECT_EQ(editor->postListFiltersButtonImageName(), u"FilterButtonFiltering") << "the Trash alone counts";
    EXPECT_EQ(listedTitles(), (std::vector<std::u16string> { u"Never uploaded trashed", u"Old trashed", u"Queued for trash" }));
    editor->setViewingTrash(false);

    editor->setSelectedPostTypes({ u"page" });
    editor->postsArrayController()->rearrangeObjects();
    EXPECT_EQ(listedTitles(), std::vector<std::u16string> { u"About" });
    editor->setSelectedPostTypes({});

    // Two categories are titled "News": the chosen one only.
    auto news = entity(u"BlogCategory", u"identifierUsedByBlogService", u"10");
    editor->setSelectedCategories({ news });
    editor->postsArrayController()->rearrangeObjects();
    EXPECT_EQ(listedTitles(), std::vector<std::u16string> { u"Alpha news" });
    editor->setSelectedCategories({});
    editor->setSelectedTags({ entity(u"BlogTag", u"title", u"featured") });
    editor->postsArrayController()->rearrangeObjects();
    EXPECT_EQ(listedTitles(), (std::vector<std::u16string> { u"Alpha news", u"Delta news" }));
    editor->setSelectedTags({});
    editor->setSelectedPostStatuses({ entity(u"PostStatus", u"identifier", u"draft") });
    editor->postsArrayController()->rearrangeObjects();
    EXPECT_EQ(listedTitles(), std::vector<std::u16string> { u"Gamma draft" });
    EXPECT_THROW(editor->setSelectedPostStatuses({ nullptr }), InternalInconsistencyException);
}

TEST_F(WordPressBlogEditorTest, SearchFiltersAtOnceAndReloadsThePreviewOnce)
{
    openWindow();
    typeSearch(u"n");
    typeSearch(u"ne");
    typeSearch(u"new");
    EXPECT_EQ(listedTitles(), (std::vector<std::u16string> { u"Alpha news", u"Delta news" }));
    EXPECT_EQ(editor->postListFiltersButtonImageName(), u"FilterButton") << "a search is no filter";
    EXPECT_EQ(editor->postView()->searchString(), u"new");
    // The same posts for a longer word: their rows mark the whole of it.
    settleList();
    typeSearch(u"news");
    drain();
    ASSERT_EQ(editor->postsWebListView()->numberOfItemsLoaded(), 2u);
    for (long row = 0; row < 2; ++row)
        EXPECT_NE(editor->postsWebListView()->listItemForRow(row)->innerHTML().find(u"<mark>news</mark>"), std::u16string::npos) << row;
    // Bit 0 also searches the bodies.
    typeSearch(u"body of gamma");
    EXPECT_EQ(listedTitles(), std::vector<std::u16string> { u"Gamma draft" });
    auto item = MenuItem::create(u"Titles", "changeFieldsToSearch:");
    item->setTag(2);
    editor->changeFieldsToSearch(item.get());
    editor->postsArrayController()->rearrangeObjects();
    EXPECT_TRUE(listedTitles().empty());
    EXPECT_TRUE(editor->validateUserInterfaceItem("changeFieldsToSearch:", item.get()));
    EXPECT_EQ(item->state(), OnState);
    item->setTag(7);
    editor->changeFieldsToSearch(item.get());
    EXPECT_EQ(editor->fieldsToSearch(), 2) << "larger tags are ignored";
}

TEST_F(WordPressBlogEditorTest, RevealingAHiddenPostClearsFiltersTrashAndSearch)
{
    openWindow();
    editor->setSelectedPostTypes({ u"page" });
    editor->setSelectedTags({ entity(u"BlogTag", u"title", u"later") });
    typeSearch(u"About");
    auto delta = post(u"Delta news");
    editor->revealNewSelectedPostInList(delta);
    EXPECT_FALSE(editor->filters().isFiltering());
    EXPECT_FALSE(editor->viewingTrash());
    EXPECT_TRUE(editor->postListSearchField()->stringValue().empty());
    EXPECT_EQ(editor->postsWebListView()->selectedObjects(), std::vector<std::shared_ptr<ManagedObject>> { delta });
    EXPECT_THROW(editor->revealNewSelectedPostInList(nullptr), InternalInconsistencyException);
}

TEST_F(WordPressBlogEditorTest, RestorableStateRoundTripsAndDropsWhatIsGone)
{
    openWindow();
    editor->setSelectedCategories({ entity(u"BlogCategory", u"identifierUsedByBlogService", u"10") });
    editor->setSelectedTags({ entity(u"BlogTag", u"title", u"featured"), entity(u"BlogTag", u"title", u"later") });
    editor->setSelectedPostStatuses({ entity(u"PostStatus", u"identifier", u"publish") });
    editor->setViewingTrash(true);
    editor->postsListArrayController()->setSortDescriptors({ { u"title", true } });
    typeSearch(u"news");
    Dictionary state;
    editor->encodeRestorableState(state);
    EXPECT_EQ(state[Key::SearchString], Value(u"news"));
    EXPECT_EQ(state[Key::PostListViewingTrash], Value(true));
    EXPECT_EQ(state[Key::FieldsToSearch], Value(3));
    EXPECT_EQ(state[Key::PostListSelectedCategories].count(), 1u);
    editor->close();

    // The tag "later" was deleted meanwhile; a restored fieldsToSearch of 0 is ignored.
    context().deleteObject(entity(u"BlogTag", u"title", u"later"));
    state[Key::FieldsToSearch] = Value(0);
    state[Key::PostListSelectedPostTypes] = Value(u"not a set");
    openWindow();
    editor->restoreState(state);
    EXPECT_EQ(editor->fieldsToSearch(), 3);
    EXPECT_EQ(editor->selectedTags(), std::vector<std::shared_ptr<ManagedObject>> { entity(u"BlogTag", u"title", u"featured") });
    // Restored by title, the category's title matches both "News": the filter holds what the title names.
    EXPECT_FALSE(editor->selectedCategories().empty());
    EXPECT_EQ(editor->selectedPostStatuses().size(), 1u);
    EXPECT_TRUE(editor->viewingTrash());
    EXPECT_TRUE(editor->selectedPostTypes().empty());
    EXPECT_EQ(editor->postListSearchField()->stringValue(), u"news");
    auto sort = editor->postsListArrayController()->firstSortDescriptor();
    ASSERT_TRUE(sort);
    EXPECT_EQ(sort->key, u"title");
    EXPECT_FALSE(editor->hasRestoredFilterSettings());

    // A sort key the list cannot sort by would empty it: it is not taken back.
    Dictionary unknownSort;
    unknownSort[Key::PostListSortDescriptors] = Value(Array { Value(Dictionary { { u"key", Value(u"noSuchKey") }, { u"ascending", Value(true) } }) });
    editor->restoreState(unknownSort);
    EXPECT_EQ(editor->postsListArrayController()->firstSortDescriptor()->key, u"title");
}

TEST_F(WordPressBlogEditorTest, TheWindowsStateIsWrittenWhenItClosesAndReadWhenTheBlogOpensAgain)
{
    openWindow();
    typeSearch(u"news");
    editor->setViewingTrash(true);
    editor->postsListArrayController()->setSortDescriptors({ { u"title", true } });
    auto project = editor->blogProject();
    ASSERT_TRUE(project);
    std::string stateFile = VornickBlogEditorRestorableState::stateFilePathForIndexFilePath(project->index()->filePath());
    editor->close();
    ASSERT_TRUE(std::filesystem::exists(stateFile)) << "written at the close, not a second later";

    openWindow();
    EXPECT_EQ(editor->postListSearchField()->stringValue(), u"news");
    EXPECT_TRUE(editor->viewingTrash());
    auto sort = editor->postsListArrayController()->firstSortDescriptor();
    ASSERT_TRUE(sort);
    EXPECT_EQ(sort->key, u"title");
}

TEST_F(WordPressBlogEditorTest, TheMediaLibraryShowsAndHidesAndGoesWithTheWindow)
{
    openWindow();
    editor->showMediaLibrary(nullptr);
    auto browser = editor->mediaLibraryBrowser();
    ASSERT_TRUE(browser);
    EXPECT_TRUE(browser->window()->isVisible());
    EXPECT_EQ(browser->blog(), editor->wordPressBlog());
    editor->showMediaLibrary(nullptr);
    EXPECT_FALSE(browser->window()->isVisible());
    editor->showMediaLibrary(nullptr);
    EXPECT_EQ(editor->mediaLibraryBrowser(), browser) << "made once";
    editor->close();
    EXPECT_FALSE(browser->window()->isVisible());
    EXPECT_FALSE(editor->mediaLibraryBrowser());
}

TEST_F(WordPressBlogEditorTest, TitlesSortByCollationIgnoringCase)
{
    openWindow();
    post(u"About")->setTitle(u"about");
    editor->postsListArrayController()->setSortDescriptors({ { u"title", true } });
    editor->postsArrayController()->rearrangeObjects();
    auto& arranged = editor->postsArrayController()->arrangedObjects();
    ASSERT_FALSE(arranged.empty());
    EXPECT_EQ(arranged.front(), post(u"about"));
    EXPECT_EQ(arranged.back(), post(u"Gamma draft"));
}

TEST_F(WordPressBlogEditorTest, ToolbarItemsInOrderAndValidated)
{
    openWindow();
    auto toolbar = editor->windowController()->toolbar();
    std::vector<std::u16string> identifiers;
    for (const auto& item : toolbar->items())
        identifiers.push_back(item->itemIdentifier());
    EXPECT_EQ(identifiers, VornickWordPressBlogEditor::toolbarItemIdentifiers());
    EXPECT_EQ(identifiers.front(), u"VornickCreatePostToolbarItemIdentifier");
    EXPECT_EQ(identifiers.back(), u"VornickStartSyncWithHostToolbarItemIdentifier");
    EXPECT_TRUE(editor->validateUserInterfaceItem("showMediaLibrary:", nullptr));
    EXPECT_FALSE(editor->validateUserInterfaceItem("showEmphasisPreferenceUI:", nullptr));
    EXPECT_TRUE(editor->validateUserInterfaceItem("openBlogAdminPage:", nullptr));
    EXPECT_EQ(editor->syncButtonImageName(), u"NSRefreshTemplate");

    // The site's pages open in the browser; an address that is no web page does not.
    std::vector<std::u16string> opened;
    vornick_setWebBrowserOpenerForTesting([&](const URL& url) { opened.push_back(url.absoluteString()); });
    editor->openBlogAdminPage(nullptr);
    editor->openBlogLandingPage(nullptr);
    blog()->setValueForKey(Value(u"javascript:alert(1)"), u"browseURLString");
    editor->openBlogLandingPage(nullptr);
    editor->openBlogAdminPage(nullptr);
    vornick_setWebBrowserOpenerForTesting(nullptr);
    EXPECT_EQ(opened, (std::vector<std::u16string> { u"https://site.example/wp-admin/", u"https://site.example/" }));

    // Six default locators, classic or block by the template.
    auto locators = editor->defaultAttachmentPointLocatorsForPostView();
    ASSERT_EQ(locators.size(), 6u);
    EXPECT_EQ(locators[0]->identifier(), u"featuredImage");
    EXPECT_EQ(locators[4]->selector(), u"[rel:{tag,!category}]");
}

// The window's toolbar shows its own controls, labelled as every document
// window's are; the clear view button shows the preview's state and the
// back/forward control moves through the history.
TEST_F(WordPressBlogEditorTest, TheToolbarShowsTheWindowsOwnControls)
{
    openWindow();
    auto toolbar = editor->windowController()->toolbar();
    auto views = editor->toolbarItemViews();
    ASSERT_TRUE(views);
    EXPECT_NE(views, VornickToolbarItemViews::sharedToolbarItemViews());
    auto item = [&](const char16_t* identifier) {
        auto found = toolbar->itemWithIdentifier(identifier);
        EXPECT_TRUE(found) << toUTF8(identifier);
        return found;
    };
    EXPECT_EQ(item(VornickDeletePostsToolbarItemIdentifier)->label(), u"Move to Trash");
    EXPECT_EQ(item(VornickOpenWordPressAdminToolbarItemIdentifier)->label(), u"WP Admin");
    EXPECT_EQ(item(VornickOpenBlogLandingPageToolbarItemIdentifier)->label(), u"Visit Blog");
    EXPECT_EQ(item(VornickStartSyncWithHostToolbarItemIdentifier)->view(), views->startSyncWithHostButton());
    EXPECT_EQ(item(VornickStartSyncWithHostToolbarItemIdentifier)->action(), "vornick_fetchFromHost:");
    EXPECT_EQ(item(VornickJumpToAccountToolbarItemIdentifier)->view(), views->jumpToAccountButton());
    EXPECT_EQ(item(VornickSharePostToolbarItemIdentifier)->action(), "shareSelectedPosts:");

    // The clear view button follows the preview, whoever toggles it.
    auto clearView = views->toggleClearViewButton();
    EXPECT_EQ(item(VornickToggleClearViewToolbarItemIdentifier)->view(), clearView);
    bool initially = editor->postView()->usingClearView();
    EXPECT_EQ(clearView->state(), initially ? OnState : OffState);
    editor->toggleClearView(nullptr);
    toolbar->validateVisibleItems();
    EXPECT_EQ(clearView->state(), initially ? OffState : OnState);

    // Back and forward by the control's segments.
    auto alpha = post(u"Alpha news");
    auto delta = post(u"Delta news");
    auto backForward = item(VornickBackForwardToolbarItemIdentifier);
    EXPECT_EQ(backForward->action(), "backForwardButtonClicked:");
    auto control = std::dynamic_pointer_cast<SegmentedControl>(backForward->view());
    ASSERT_TRUE(control);
    ASSERT_EQ(editor->postView()->post(), alpha);
    editor->vornickContentEditingViewUserClickedLinkElement(*editor->postView(), nullptr, *URL::create(delta->permalinkURLString()), 0);
    ASSERT_EQ(editor->postView()->post(), delta);
    control->setSelectedSegment(0);
    editor->backForwardButtonClicked(control.get());
    EXPECT_EQ(editor->postView()->post(), alpha);
    control->setSelectedSegment(1);
    editor->backForwardButtonClicked(control.get());
    EXPECT_EQ(editor->postView()->post(), delta);
}

TEST_F(WordPressBlogEditorTest, TheWorkOfflineItemFollowsTheConnection)
{
    openWindow();
    auto* integrator = editor->integrator();
    ASSERT_TRUE(integrator);
    auto item = editor->toggleWorkOfflineToolbarItem();
    ASSERT_TRUE(item);
    EXPECT_EQ(item->label(), u"Checking");
    EXPECT_EQ(editor->workOfflineImageName(), u"NSStatusNone");
    integrator->setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    EXPECT_EQ(item->label(), u"Offline");
    EXPECT_EQ(editor->workOfflineImageName(), u"NSStatusPartiallyAvailable");
    // No session is scheduled for a host that is not reachable.
    EXPECT_FALSE(editor->synchronizer()->currentSyncSession());
}

TEST_F(WordPressBlogEditorTest, TheSyncStatusFollowsTheSynchronizerFromLoad)
{
    openWindow();
    auto* synchronizer = editor->synchronizer();
    auto* integrator = editor->integrator();
    ASSERT_TRUE(synchronizer && integrator);
    // An unreachable host keeps the queued session waiting: no request leaves.
    integrator->setConnectionStatus(VornickHostConnectionStatus::Unreachable);
    auto listView = editor->postsWebListView()->webView();
    Rect full = listView->frame();
    EXPECT_FALSE(editor->isMiniSyncStatusShown());

    ASSERT_TRUE(synchronizer->queueManualSync());
    ASSERT_TRUE(synchronizer->currentSyncSession());
    EXPECT_TRUE(editor->isMiniSyncStatusShown());
    EXPECT_EQ(editor->syncButtonImageName(), u"NSStopProgressTemplate");
    double m = VornickMiniSyncStatusUIController::Height;
    EXPECT_EQ(listView->frame(), Rect(full.minX(), full.minY() + m, full.width(), full.height() - m));
    EXPECT_EQ(editor->miniSyncStatusUIController()->view()->frame(), Rect(full.minX(), full.minY(), full.width(), m));
    // A second notice of the same session moves nothing.
    NotificationCenter::defaultCenter().post(VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, synchronizer);
    EXPECT_EQ(listView->frame().height(), full.height() - m);
    // The sync command during a session queues no other.
    editor->startManualSyncWithHost(nullptr);
    EXPECT_EQ(synchronizer->syncSessionQueue().size(), 1u);

    // Another window opened now shows the session from the start.
    editor->close();
    drain();
    openWindow();
    EXPECT_TRUE(editor->isMiniSyncStatusShown());
    EXPECT_EQ(editor->syncButtonImageName(), u"NSStopProgressTemplate");
    listView = editor->postsWebListView()->webView();

    synchronizer->cancelAllSyncSessions();
    for (int notice = 0; notice < 2; ++notice)
        NotificationCenter::defaultCenter().post(VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, synchronizer);
    EXPECT_FALSE(editor->isMiniSyncStatusShown());
    EXPECT_EQ(listView->frame().height(), full.height()) << "the room is given back once";
    EXPECT_EQ(editor->syncButtonImageName(), u"NSRefreshTemplate");
}

} // namespace
} // namespace brevanton
