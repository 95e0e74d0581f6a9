#include "publishing/VornickWordPressBlogEditor.h"

#include "app/VornickApplicationDelegate.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickWordPressBlog.h"
#include "blog/VornickWordPressBlogPost.h"
#include "documents/VornickProjectIndex.h"
#include "editing/VornickAttachmentPoint.h"
#include "editing/VornickToolbarItemViews.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/RunLoop.h"
#include "platform/store/ArrayController.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Button.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Event.h"
#include "platform/views/Image.h"
#include "platform/views/Menu.h"
#include "platform/views/SearchField.h"
#include "platform/views/SegmentedControl.h"
#include "publishing/VornickBlogEditorRestorableState.h"
#include "publishing/VornickWordPressBlogPropertiesUIController.h"
#include "publishing/VornickWordPressMediaLibraryBrowser.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogWindowController.h"
#include "publishing/VornickWordPressPostListFiltersUIController.h"
#include "publishing/VornickWordPressPostView.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "ui/VornickToolbarPickerControls.h"
#include "ui/VornickStoreWebListArrayController.h"
#include "ui/VornickWebListView.h"
#include "views/VornickControlExtensions.h"

namespace brevanton {

namespace Key = VornickBlogEditorRestorableStateKey;

namespace {

constexpr const char16_t* flexibleSpace = u"NSToolbarFlexibleSpaceItem";

// The address the blog is browsed at; none, said in the log, when it has none.
std::optional<std::u16string> browseAddressOfBlog(const std::shared_ptr<VornickWordPressBlog>& blog)
{
    std::u16string browse = blog ? blog->browseURLString() : std::u16string();
    if (browse.empty()) {
        VornickGeneralLog(u"** No browseURLString to open for blog");
        return std::nullopt;
    }
    return browse;
}

std::vector<std::shared_ptr<ManagedObject>> objectsOfEntity(const std::vector<std::shared_ptr<ManagedObject>>& objects, std::u16string_view entity)
{
    std::vector<std::shared_ptr<ManagedObject>> kept;
    for (const auto& object : objects) {
        if (object && object->entity().name() == entity)
            kept.push_back(object);
    }
    return kept;
}

} // namespace

const std::vector<std::u16string>& VornickWordPressBlogEditor::toolbarItemIdentifiers()
{
    static const std::vector<std::u16string> identifiers {
        u"VornickCreatePostToolbarItemIdentifier",
        u"VornickCreatePageToolbarItemIdentifier",
        u"VornickDeletePostsToolbarItemIdentifier",
        u"VornickSharePostToolbarItemIdentifier",
        flexibleSpace,
        u"VornickBackForwardToolbarItemIdentifier",
        u"VornickToggleClearViewToolbarItemIdentifier",
        u"VornickChangeTextSizeToolbarItemIdenitifer",
        flexibleSpace,
        u"VornickShowMediaLibraryToolbarItemIdentifier",
        u"VornickOpenWordPressAdminToolbarItemIdentifier",
        u"VornickOpenBlogLandingPageToolbarItemIdentifier",
        u"VornickEditBlogSettingsToolbarItemIdentifier",
        u"VornickJumpToAccountToolbarItemIdentifier",
        u"VornickWorkOfflineToolbarItemIdentifier",
        u"VornickStartSyncWithHostToolbarItemIdentifier",
    };
    return identifiers;
}

VornickWordPressBlogEditor::VornickWordPressBlogEditor() = default;

VornickWordPressBlogEditor::~VornickWordPressBlogEditor()
{
    RunLoop::main().cancelPerforms(&m_previewReloadKey);
}

std::shared_ptr<VornickWordPressBlog> VornickWordPressBlogEditor::wordPressBlog() const
{
    return entityCast<VornickWordPressBlog>(blog());
}

std::shared_ptr<VornickBlogPostView> VornickWordPressBlogEditor::makePostView(Rect frame)
{
    return VornickContentEditingView::create<VornickWordPressPostView>(frame);
}

void VornickWordPressBlogEditor::windowControllerDidLoadNib(VornickBlogWindowController& controller)
{
    VornickPublishedBlogEditor::windowControllerDidLoadNib(controller);
    postListSearchField()->setAction("takeSearchStringFrom:");
    postView()->setFieldsToSearch(static_cast<unsigned>(m_fieldsToSearch));
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    m_workingOfflineObserver = NotificationCenter::defaultCenter().addObserver(
        VornickWorkingOfflineDidChangeNotification, nullptr, nullptr, [weak](const Notification&) {
            if (auto editor = std::static_pointer_cast<VornickWordPressBlogEditor>(weak.lock()))
                editor->updateWorkOfflineButton();
        });
    updateBackForwardSegmentedControl();
    updateSyncButton();
    updateWorkOfflineButton();
}

void VornickWordPressBlogEditor::connectToProjectComponent()
{
    VornickPublishedBlogEditor::connectToProjectComponent();
    attachRestorableStateStore();
    auto* integrator = this->integrator();
    if (m_observingIntegratorConnectionStatus || !integrator)
        return;
    m_observingIntegratorConnectionStatus = true;
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    m_connectionStatusObserver = NotificationCenter::defaultCenter().addObserver(
        VornickBlogServiceIntegrator::ConnectionStatusDidChangeNotification, integrator, nullptr, [weak](const Notification&) {
            if (auto editor = std::static_pointer_cast<VornickWordPressBlogEditor>(weak.lock()); editor && !editor->isClosed())
                editor->connectionStatusDidChange();
        });
}

void VornickWordPressBlogEditor::connectToProjectIndexMOC()
{
    VornickPublishedBlogEditor::connectToProjectIndexMOC();
    if (hasRestoredFilterSettings())
        resolveRestoredFilterSettings();
    updateFilterPredicate();
}

void VornickWordPressBlogEditor::projectDidFinishUpdatingIndex()
{
    VornickPublishedBlogEditor::projectDidFinishUpdatingIndex();
    updateFilterPredicate();
}

void VornickWordPressBlogEditor::close()
{
    if (isClosed())
        return;
    m_workingOfflineObserver.reset();
    m_connectionStatusObserver.reset();
    m_observingIntegratorConnectionStatus = false;
    RunLoop::main().cancelPerforms(&m_previewReloadKey);
    if (m_mediaLibraryBrowser) {
        RunLoop::main().cancelPerforms(m_mediaLibraryBrowser.get());
        m_mediaLibraryBrowser->cancelPickingMediaItem();
        m_mediaLibraryBrowser->window()->orderOut();
        m_mediaLibraryBrowser.reset();
    }
    m_blogPropertiesUIController.reset();
    // The window's state is taken before it goes, and written at once: the
    // program may end with its last window.
    invalidateRestorableState();
    if (m_restorableState) {
        Error error;
        if (!m_restorableState->flush(&error))
            VornickGeneralLog("Failed to write the blog window's state: {}", error.localizedDescription());
        m_restorableState.reset();
    }
    VornickPublishedBlogEditor::close();
}

void VornickWordPressBlogEditor::connectionStatusDidChange()
{
    updateWorkOfflineButton();
    auto* integrator = this->integrator();
    auto* synchronizer = this->synchronizer();
    if (!integrator || !synchronizer || integrator->connectionStatus() != VornickHostConnectionStatus::Reachable)
        return;
    if (VornickPublishedBlogSynchronizer::workingOffline() || synchronizer->currentSyncSession())
        return;
    synchronizer->scheduleAutomaticSyncAfterAcquiringConnection();
}

void VornickWordPressBlogEditor::synchronizerDidSwitchSyncSession()
{
    VornickPublishedBlogEditor::synchronizerDidSwitchSyncSession();
    updateSyncButton();
}

// --- Filters

void VornickWordPressBlogEditor::setViewingTrash(bool viewing)
{
    if (m_filters.viewingTrash == viewing)
        return;
    m_filters.viewingTrash = viewing;
    updateFilterPredicate();
}

void VornickWordPressBlogEditor::setSelectedPostTypes(std::vector<std::u16string> types)
{
    m_filters.selectedPostTypes = std::move(types);
    updateFilterPredicate();
}

void VornickWordPressBlogEditor::setSelectedPostStatuses(std::vector<std::shared_ptr<ManagedObject>> statuses)
{
    for (const auto& status : statuses) {
        if (!status)
            throw InternalInconsistencyException("Post status set holds a null entry");
    }
    m_filters.selectedPostStatuses = std::move(statuses);
    updateFilterPredicate();
}

void VornickWordPressBlogEditor::setSelectedCategories(std::vector<std::shared_ptr<ManagedObject>> categories)
{
    m_filters.selectedCategories = objectsOfEntity(categories, u"BlogCategory");
    updateFilterPredicate();
}

void VornickWordPressBlogEditor::setSelectedTags(std::vector<std::shared_ptr<ManagedObject>> tags)
{
    m_filters.selectedTags = objectsOfEntity(tags, u"BlogTag");
    updateFilterPredicate();
}

std::u16string VornickWordPressBlogEditor::searchString() const
{
    return postListSearchField() ? postListSearchField()->stringValue() : std::u16string();
}

void VornickWordPressBlogEditor::updateFilterPredicate()
{
    auto blog = this->blog();
    if (!blog || !postsArrayController())
        return;
    postsArrayController()->setFilterPredicate(m_filters.predicateForBlog(blog, searchString(), m_fieldsToSearch));
    m_filtersButtonImageName = m_filters.isFiltering() ? u"FilterButtonFiltering" : u"FilterButton";
    if (auto* controller = windowController()) {
        if (auto& button = controller->postListFiltersButton())
            button->setTitle(m_filters.isFiltering() ? u"Filter \u2022" : u"Filter");
    }
}

// --- Actions

void VornickWordPressBlogEditor::editPostListFilters(ActionSender* sender)
{
    if (!m_postListFiltersUIController)
        m_postListFiltersUIController = std::make_unique<VornickWordPressPostListFiltersUIController>(this);
    auto* view = dynamic_cast<View*>(sender);
    std::shared_ptr<View> anchor = view ? view->sharedAs<View>() : windowController()->postListFiltersButton();
    m_postListFiltersUIController->showForWordPressBlog(blog(), anchor);
}

void VornickWordPressBlogEditor::showMediaItemInMediaLibrary(const std::shared_ptr<VornickWordPressMediaItem>& item)
{
    if (m_mediaLibraryBrowser) {
        m_mediaLibraryBrowser->window()->makeKeyAndOrderFront();
    } else {
        m_mediaLibraryBrowser = std::make_shared<VornickWordPressMediaLibraryBrowser>();
        m_mediaLibraryBrowser->loadWindow();
        m_mediaLibraryBrowser->setBlog(wordPressBlog());
        m_mediaLibraryBrowser->window()->makeKeyAndOrderFront();
        std::weak_ptr<VornickWordPressMediaLibraryBrowser> browser = m_mediaLibraryBrowser;
        RunLoop::main().performAfterDelay(m_mediaLibraryBrowser.get(), 0.5, [browser] {
            if (auto shown = browser.lock())
                shown->refresh();
        });
    }
    if (item)
        m_mediaLibraryBrowser->showMediaItem(item);
}

void VornickWordPressBlogEditor::beginPickingMediaItem(const std::shared_ptr<VornickWordPressMediaItem>& item, const Rect& inspectorFrame,
                                                       std::function<void(const std::shared_ptr<VornickWordPressMediaItem>&)> completionHandler)
{
    showMediaItemInMediaLibrary(nullptr);
    m_mediaLibraryBrowser->beginPickingMediaItem(item, inspectorFrame, std::move(completionHandler));
}

void VornickWordPressBlogEditor::cancelPickingMediaItem()
{
    if (m_mediaLibraryBrowser)
        m_mediaLibraryBrowser->cancelPickingMediaItem();
}

void VornickWordPressBlogEditor::showMediaLibrary(ActionSender*)
{
    if (m_mediaLibraryBrowser && m_mediaLibraryBrowser->window()->isVisible()) {
        m_mediaLibraryBrowser->window()->orderOut();
        return;
    }
    showMediaItemInMediaLibrary(nullptr);
}

void VornickWordPressBlogEditor::showBlogProperties(ActionSender* sender)
{
    if (!m_blogPropertiesUIController)
        m_blogPropertiesUIController = VornickWordPressBlogPropertiesUIController::create();
    // From the clicked control, or from the toolbar item's place.
    if (auto* item = dynamic_cast<ToolbarItem*>(sender)) {
        auto placement = item->placement();
        m_blogPropertiesUIController->showForBlogEditor(this, placement.view, placement.rect);
        return;
    }
    auto* view = dynamic_cast<View*>(sender);
    m_blogPropertiesUIController->showForBlogEditor(this, view ? view->sharedAs<View>() : nullptr);
}

void VornickWordPressBlogEditor::editPostListSorting(ActionSender* sender)
{
    if (!m_postListSortingUIController) {
        m_postListSortingUIController = std::make_unique<VornickPublishedBlogPostListSortingUIController>();
        m_postListSortingUIController->setBlogEditor(this);
        m_postListSortingUIController->setPostsArrayController(postsListArrayController());
    }
    auto* view = dynamic_cast<View*>(sender);
    std::shared_ptr<View> anchor = view ? view->sharedAs<View>() : windowController()->postListSortingButton();
    m_postListSortingUIController->showEmergingFromView(anchor);
}

void VornickWordPressBlogEditor::takeSearchStringFrom(ActionSender* sender)
{
    invalidateRestorableState();
    updateFilterPredicate();
    // The rows mark the search string: they change even when the posts shown do not.
    if (postsWebListView())
        postsWebListView()->setNeedsListRefresh();
    auto* control = dynamic_cast<Control*>(sender);
    postView()->setFieldsToSearch(static_cast<unsigned>(m_fieldsToSearch));
    postView()->setSearchString(control ? control->stringValue() : searchString());
    schedulePreviewReloadForSearch();
}

void VornickWordPressBlogEditor::schedulePreviewReloadForSearch()
{
    // One reload marks the matches, however fast the keystrokes come.
    RunLoop::main().cancelPerforms(&m_previewReloadKey);
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    RunLoop::main().performAfterDelay(&m_previewReloadKey, 0, [weak] {
        auto editor = weak.lock();
        if (editor && !editor->isClosed() && editor->postView()->post())
            editor->postView()->reloadPost();
    });
}

void VornickWordPressBlogEditor::changeFieldsToSearch(ActionSender* sender)
{
    long tag = sender ? sender->tag() : -1;
    if (tag < 0 || tag > 3)
        return;
    m_fieldsToSearch = static_cast<int>(tag);
    postView()->setFieldsToSearch(static_cast<unsigned>(m_fieldsToSearch));
    takeSearchStringFrom(postListSearchField().get());
}

void VornickWordPressBlogEditor::openBlogAdminPage(ActionSender*)
{
    auto browse = browseAddressOfBlog(wordPressBlog());
    if (!browse)
        return;
    auto url = URL::create(*browse);
    if (!url) {
        VornickGeneralLog(u"** Failed to create adminURL for blog");
        return;
    }
    auto admin = url->URLByAppendingPathComponent(u"wp-admin", true);
    if (!vornick_openURLInWebBrowser(admin))
        VornickGeneralLog(u"Refusing to open URL for safety: " + admin.absoluteString());
}

void VornickWordPressBlogEditor::openBlogLandingPage(ActionSender*)
{
    auto browse = browseAddressOfBlog(wordPressBlog());
    if (!browse)
        return;
    auto url = URL::create(*browse);
    if (!url || !vornick_openURLInWebBrowser(*url))
        VornickGeneralLog(u"Refusing to open URL for safety: " + *browse);
}

void VornickWordPressBlogEditor::startManualSyncWithHost(ActionSender*)
{
    auto* synchronizer = this->synchronizer();
    if (!synchronizer)
        return;
    // While a session runs the sync item shows stop: the click cancels.
    if (synchronizer->currentSyncSession()) {
        synchronizer->cancelSync();
        return;
    }
    unsigned modifiers = VornickSyncRequestNoModifiers;
    if (const Event* event = currentApplicationEvent()) {
        if (event->hasModifier(ModifierFlag::Option))
            modifiers |= VornickSyncRequestOptionModifier;
        if (event->hasModifier(ModifierFlag::Control))
            modifiers |= VornickSyncRequestControlModifier;
    }
    synchronizer->startManualSync(static_cast<VornickSyncRequestModifiers>(modifiers));
}

void VornickWordPressBlogEditor::fetchThemeTemplates(ActionSender*)
{
    auto* synchronizer = this->synchronizer();
    if (synchronizer && !synchronizer->activeOrWaitingSyncSessionOfType(VornickSyncSessionType::TemplateDownload))
        static_cast<void>(synchronizer->queueManualTemplateDownload());
}

void VornickWordPressBlogEditor::backForwardButtonClicked(ActionSender* sender)
{
    auto* control = dynamic_cast<Control*>(sender);
    long tag = control ? vornick_tagOfSelectedSegment(*control) : (sender ? sender->tag() : -1);
    if (tag == 0)
        goBack(sender);
    else if (tag == 1)
        goForward(sender);
}

void VornickWordPressBlogEditor::toggleWorkingOffline(ActionSender*)
{
    if (auto delegate = VornickApplicationDelegate::shared())
        delegate->setWorkingOffline(!delegate->workingOffline());
}

std::vector<std::pair<Action, std::function<void(ActionSender*)>>> VornickWordPressBlogEditor::actionHandlers()
{
    auto handlers = VornickPublishedBlogEditor::actionHandlers();
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    auto to = [weak](void (VornickWordPressBlogEditor::*member)(ActionSender*)) {
        return [weak, member](ActionSender* sender) {
            auto editor = std::static_pointer_cast<VornickWordPressBlogEditor>(weak.lock());
            if (editor && !editor->isClosed())
                ((*editor).*member)(sender);
        };
    };
    for (auto& [action, handler] : handlers) {
        // The published editor's sync start is this one's.
        if (action == "startManualSyncWithHost:" || action == "vornick_fetchFromHost:")
            handler = to(&VornickWordPressBlogEditor::startManualSyncWithHost);
    }
    handlers.emplace_back("editPostListFilters:", to(&VornickWordPressBlogEditor::editPostListFilters));
    handlers.emplace_back("editPostListSorting:", to(&VornickWordPressBlogEditor::editPostListSorting));
    handlers.emplace_back("takeSearchStringFrom:", to(&VornickWordPressBlogEditor::takeSearchStringFrom));
    handlers.emplace_back("changeFieldsToSearch:", to(&VornickWordPressBlogEditor::changeFieldsToSearch));
    handlers.emplace_back("openBlogAdminPage:", to(&VornickWordPressBlogEditor::openBlogAdminPage));
    handlers.emplace_back("openBlogLandingPage:", to(&VornickWordPressBlogEditor::openBlogLandingPage));
    handlers.emplace_back("backForwardButtonClicked:", to(&VornickWordPressBlogEditor::backForwardButtonClicked));
    handlers.emplace_back("toggleWorkingOffline:", to(&VornickWordPressBlogEditor::toggleWorkingOffline));
    handlers.emplace_back("showMediaLibrary:", to(&VornickWordPressBlogEditor::showMediaLibrary));
    handlers.emplace_back("showEmphasisPreferenceUI:", [](ActionSender*) {});
    handlers.emplace_back("showBlogProperties:", to(&VornickWordPressBlogEditor::showBlogProperties));
    return handlers;
}

bool VornickWordPressBlogEditor::validateUserInterfaceItem(const Action& action, MenuItem* menuItem)
{
    if (action == "changeFieldsToSearch:") {
        if (menuItem)
            menuItem->setState(menuItem->tag() == m_fieldsToSearch ? OnState : OffState);
        return true;
    }
    if (action == "showEmphasisPreferenceUI:")
        return false;
    if (action == "toggleClearView:") {
        if (auto button = m_toggleClearViewButton.lock(); button && postView())
            button->setState(postView()->usingClearView() ? OnState : OffState);
    }
    if (action == "showMediaLibrary:" || action == "showBlogProperties:")
        return wordPressBlog() != nullptr;
    if (action == "startManualSyncWithHost:" || action == "vornick_fetchFromHost:") {
        auto* synchronizer = this->synchronizer();
        return synchronizer && (synchronizer->currentSyncSession() || !VornickPublishedBlogSynchronizer::workingOffline());
    }
    if (action == "openBlogAdminPage:" || action == "openBlogLandingPage:") {
        auto blog = wordPressBlog();
        return blog && !blog->browseURLString().empty();
    }
    if (action == "backForwardButtonClicked:")
        return canGoBack() || canGoForward();
    return VornickPublishedBlogEditor::validateUserInterfaceItem(action, menuItem);
}

// --- Revealing

void VornickWordPressBlogEditor::revealNewSelectedPostInList(const std::shared_ptr<VornickBlogPost>& post)
{
    if (!std::dynamic_pointer_cast<VornickWordPressBlogPost>(post))
        throw InternalInconsistencyException("[post isKindOfClass:[VornickWordPressBlogPost class]]");
    const auto& arranged = postsArrayController()->arrangedObjects();
    bool listed = std::find(arranged.begin(), arranged.end(), post) != arranged.end();
    if (!listed) {
        m_filters = VornickWordPressPostListFilters {};
        // A search that hides the post goes too.
        if (!searchString().empty()) {
            postListSearchField()->setStringValue(u"");
            postView()->setSearchString(u"");
        }
        updateFilterPredicate();
        postsArrayController()->rearrangeObjects();
        invalidateRestorableState();
    }
    VornickPublishedBlogEditor::revealNewSelectedPostInList(post);
}

// --- Attachment points

std::vector<std::shared_ptr<VornickAttachmentPointLocator>> VornickWordPressBlogEditor::defaultAttachmentPointLocatorsForPostView()
{
    auto* view = dynamic_cast<VornickWordPressPostView*>(postView().get());
    bool block = view && view->postTemplateAppearsToBeBlockMode();
    const std::pair<const char16_t*, std::pair<const char16_t*, const char16_t*>> table[] = {
        { u"featuredImage", { u".wp-block-post-featured-image", u".entry-thumbnail" } },
        { u"body", { u".wp-block-post-content", u".entry-content" } },
        { u"title", { u".wp-block-post-title", u".entry-title" } },
        { u"date", { u".wp-block-post-date", u".entry-date" } },
        { u"tags", { u".taxonomy-post_tag", u"[rel:{tag,!category}]" } },
        { u"categories", { u".taxonomy-category", u"[rel:{tag,category}]" } },
    };
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> locators;
    for (const auto& [identifier, selectors] : table)
        locators.push_back(std::make_shared<VornickAttachmentPointLocator>(identifier, block ? selectors.first : selectors.second));
    return locators;
}

std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
VornickWordPressBlogEditor::vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView& view,
                                                                                               const std::u16string& identifier)
{
    // The blog's candidates, as for a post window.
    return VornickBlogPostViewDelegate::vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(view, identifier);
}

// --- Toolbar

std::shared_ptr<ToolbarItem> VornickWordPressBlogEditor::itemForItemIdentifier(Toolbar& toolbar, const std::u16string& identifier,
                                                                               bool willBeInserted)
{
    if (!m_toolbarItemViews)
        m_toolbarItemViews = VornickToolbarItemViews::create();
    std::shared_ptr<ToolbarItem> item = m_toolbarItemViews->toolbar(toolbar, identifier, willBeInserted);
    if (!item && identifier == flexibleSpace) {
        item = std::make_shared<ToolbarItem>(identifier);
        item->setMinSize({ 8, 1 });
        item->setMaxSize({ 40, 1 });
    }
    if (!item)
        item = VornickPublishedBlogEditor::itemForItemIdentifier(toolbar, identifier, willBeInserted);
    if (item && willBeInserted)
        toolbarDidAddItem(*item);
    return item;
}

void VornickWordPressBlogEditor::toolbarDidAddItem(ToolbarItem& item)
{
    const auto& identifier = item.itemIdentifier();
    if (identifier == VornickWorkOfflineToolbarItemIdentifier && !m_toggleWorkOfflineToolbarItem.lock()) {
        m_toggleWorkOfflineToolbarItem = item.weak_from_this();
    } else if (identifier == VornickStartSyncWithHostToolbarItemIdentifier && !m_syncToolbarItem.lock()) {
        m_syncToolbarItem = item.weak_from_this();
    } else if (identifier == VornickToggleClearViewToolbarItemIdentifier) {
        // The button shows whether the preview uses the clear view (kept by validation).
        auto button = std::dynamic_pointer_cast<Button>(item.view());
        m_toggleClearViewButton = button;
        if (button && postView())
            button->setState(postView()->usingClearView() ? OnState : OffState);
    } else if (identifier == VornickBackForwardToolbarItemIdentifier) {
        m_backForwardToolbarItem = item.weak_from_this();
        if (auto control = std::dynamic_pointer_cast<SegmentedControl>(item.view())) {
            control->setTag(0, 0);
            control->setTag(1, 1);
        }
        item.setAction("backForwardButtonClicked:");
    } else if (identifier == VornickSharePostToolbarItemIdentifier) {
        item.setAction("shareSelectedPosts:");
    }
    VornickPublishedBlogEditor::toolbarDidAddItem(item);
    // Shown as they stand from the start.
    if (identifier == VornickWorkOfflineToolbarItemIdentifier)
        updateWorkOfflineButton();
    else if (identifier == VornickStartSyncWithHostToolbarItemIdentifier)
        updateSyncButton();
    else if (identifier == VornickBackForwardToolbarItemIdentifier)
        updateBackForwardSegmentedControl();
}

void VornickWordPressBlogEditor::toolbarDidRemoveItem(ToolbarItem& item)
{
    if (m_toggleWorkOfflineToolbarItem.lock().get() == &item)
        m_toggleWorkOfflineToolbarItem.reset();
    if (m_syncToolbarItem.lock().get() == &item)
        m_syncToolbarItem.reset();
    if (m_backForwardToolbarItem.lock().get() == &item)
        m_backForwardToolbarItem.reset();
    if (item.view() && m_toggleClearViewButton.lock() == item.view())
        m_toggleClearViewButton.reset();
    VornickPublishedBlogEditor::toolbarDidRemoveItem(item);
}

void VornickWordPressBlogEditor::updateBackForwardSegmentedControl()
{
    auto item = m_backForwardToolbarItem.lock();
    if (!item)
        return;
    bool enabled = canGoBack() || canGoForward();
    item->setEnabled(enabled);
    if (auto control = std::dynamic_pointer_cast<Control>(item->view()))
        control->setEnabled(enabled);
}

void VornickWordPressBlogEditor::updateSyncButton()
{
    auto* synchronizer = this->synchronizer();
    bool running = synchronizer && synchronizer->currentSyncSession();
    m_syncButtonImageName = running ? u"NSStopProgressTemplate" : u"NSRefreshTemplate";
    auto item = m_syncToolbarItem.lock();
    if (!item)
        return;
    auto image = Image::imageNamed(m_syncButtonImageName);
    if (auto button = std::dynamic_pointer_cast<Button>(item->view()))
        button->setTitle(running ? u"\u25A0" : u"\u21BB");
    else if (image)
        item->setImage(image);
    item->setLabel(running ? u"Stop" : u"Sync");
}

void VornickWordPressBlogEditor::updateWorkOfflineButton()
{
    auto delegate = VornickApplicationDelegate::shared();
    auto* integrator = this->integrator();
    std::u16string label;
    if (delegate && delegate->workingOffline()) {
        label = u"Offline";
        m_workOfflineImageName = ImageNameStatusUnavailable;
    } else if (!integrator) {
        return;
    } else if (integrator->connectionStatus() == VornickHostConnectionStatus::Reachable) {
        label = u"Online";
        m_workOfflineImageName = ImageNameStatusAvailable;
    } else if (integrator->connectionStatus() == VornickHostConnectionStatus::Unreachable) {
        label = u"Offline";
        m_workOfflineImageName = u"NSStatusPartiallyAvailable";
    } else {
        label = u"Checking";
        m_workOfflineImageName = u"NSStatusNone";
    }
    auto item = m_toggleWorkOfflineToolbarItem.lock();
    if (!item)
        return;
    item->setLabel(label);
    if (auto button = std::dynamic_pointer_cast<VornickToolbarImageButton>(item->view())) {
        if (auto image = Image::imageNamed(m_workOfflineImageName))
            button->setImage(image);
    }
    if (auto toolbar = item->toolbar())
        toolbar->layout();
}

// --- Restorable state

void VornickWordPressBlogEditor::attachRestorableStateStore()
{
    if (m_restorableState || m_invalidationHandler)
        return;
    auto project = blogProject();
    auto blog = this->blog();
    auto key = blog ? VornickBlogEditorRestorableState::keyForBlog(*blog) : std::nullopt;
    if (!project || !key)
        return;
    m_restorableState = VornickBlogEditorRestorableState::stateForProject(*project);
    m_restorableStateKey = *key;
    if (auto state = m_restorableState->restoredStateForBlog(m_restorableStateKey); !state.empty())
        restoreState(state);
    // The state is taken when it changes (a few values), so that what the
    // window showed last is what is written, even after the window went.
    m_invalidationHandler = [this] {
        Dictionary state;
        encodeRestorableState(state);
        m_restorableState->invalidate(m_restorableStateKey, [state] { return std::optional<Dictionary>(state); });
    };
}

void VornickWordPressBlogEditor::invalidateRestorableState()
{
    if (m_invalidationHandler)
        m_invalidationHandler();
}

void VornickWordPressBlogEditor::encodeRestorableState(Dictionary& state) const
{
    // The list's own descriptor is what the sorting popover chose.
    std::vector<VornickWebListSortDescriptor> sorts;
    if (auto first = postsListArrayController()->firstSortDescriptor())
        sorts.push_back(*first);
    for (auto& [key, value] : VornickBlogEditorRestorableStateDictionary(m_filters, sorts, searchString(), m_fieldsToSearch))
        state[key] = std::move(value);
}

void VornickWordPressBlogEditor::restoreState(const Dictionary& dictionary)
{
    // Each missing or malformed value is skipped by itself; a sort key the
    // list cannot sort by is not taken back.
    auto restored = VornickBlogEditorRestoredStateFromDictionary(dictionary);
    if (restored.sortDescriptors)
        postsListArrayController()->setSortDescriptors(std::move(*restored.sortDescriptors));
    for (auto& [key, value] : restored.restoredFilterSettings)
        m_restoredFilterSettings[key] = std::move(value);
    if (restored.selectedPostTypes)
        m_filters.selectedPostTypes = std::move(*restored.selectedPostTypes);
    if (restored.viewingTrash)
        m_filters.viewingTrash = *restored.viewingTrash;
    if (restored.searchString)
        postListSearchField()->setStringValue(*restored.searchString);
    if (restored.fieldsToSearch)
        m_fieldsToSearch = *restored.fieldsToSearch;
    if (postsArrayController()->managedObjectContext())
        resolveRestoredFilterSettings();
    updateFilterPredicate();
}

void VornickWordPressBlogEditor::resolveRestoredFilterSettings()
{
    auto context = postsArrayController()->managedObjectContext();
    auto blog = this->blog();
    if (context && blog) {
        auto resolve = [&](const char16_t* key, std::u16string_view entity, std::u16string_view attribute) {
            auto found = m_restoredFilterSettings.find(std::u16string_view(key));
            if (found == m_restoredFilterSettings.end())
                return std::vector<std::shared_ptr<ManagedObject>> {};
            return VornickWordPressPostListFilters::resolveRestoredValues(*context, blog, entity, attribute, found->second);
        };
        m_filters.selectedCategories = resolve(Key::PostListSelectedCategories, u"BlogCategory", u"title");
        m_filters.selectedTags = resolve(Key::PostListSelectedTags, u"BlogTag", u"title");
        m_filters.selectedPostStatuses = resolve(Key::PostListSelectedPostStatuses, u"PostStatus", u"identifier");
    }
    postView()->setFieldsToSearch(static_cast<unsigned>(m_fieldsToSearch));
    postView()->setSearchString(searchString());
    m_restoredFilterSettings.clear();
    updateFilterPredicate();
}

} // namespace brevanton
