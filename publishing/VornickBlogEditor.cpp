#include "publishing/VornickBlogEditor.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickProjectOrComponentWindow.h"
#include "app/VornickTitledURL.h"
#include "blog/VornickBlog.h"
#include "blog/VornickBlogPost.h"
#include "blog/VornickPublishedBlogPost.h"
#include "documents/VornickDiskWebResourceCache.h"
#include "documents/VornickProject.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/store/ArrayController.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/CurrentEvent.h"
#include "platform/views/Event.h"
#include "platform/views/Menu.h"
#include "platform/views/Pasteboard.h"
#include "platform/views/SearchField.h"
#include "platform/web/WebBackForwardList.h"
#include "publishing/VornickAttachmentPointSettingsUIController.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickBlogWindowController.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickShareLinksMenu.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickURLExtensions.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "ui/VornickStoreWebListArrayController.h"

#include <algorithm>

namespace brevanton {

namespace {

std::vector<std::shared_ptr<VornickBlogEditor>>& openBlogEditors()
{
    static std::vector<std::shared_ptr<VornickBlogEditor>> editors;
    return editors;
}

} // namespace

VornickBlogEditor::VornickBlogEditor() = default;

VornickBlogEditor::~VornickBlogEditor()
{
    if (m_attachmentPointSettingsUIController)
        m_attachmentPointSettingsUIController->setBlogEditor(nullptr);
    if (m_postsWebListView)
        m_postsWebListView->setActionDelegate(nullptr);
    if (m_postView)
        m_postView->setDelegate(nullptr);
    if (m_windowController)
        m_windowController->detachDocument();
    if (m_blog)
        m_blog->releaseWebResourceCache();
}

void VornickBlogEditor::open(VornickProjectEditor& projectEditor, std::shared_ptr<VornickBlog> blog)
{
    m_projectEditor = projectEditor.weak_from_this();
    m_blog = std::move(blog);
    m_backForwardList = std::make_shared<WebBackForwardList>();
    startObservingPosts();

    m_postsArrayController = ArrayController::create(u"BlogPost");
    m_postsListArrayController = std::make_shared<VornickStoreWebListArrayController>(m_postsArrayController);
    m_postsListArrayController->setSortDescriptorMapping(&VornickBlogEditor::storeSortDescriptors);
    m_postListSearchField = std::make_shared<SearchField>(Rect(0, 0, 200, 22));
    m_postListSearchField->setPlaceholderString(u"Search");
    m_postsWebListView = VornickWebListViewController::create<VornickBlogPostListViewController>(Rect(0, 0, 300, 500));
    m_postView = makePostView(Rect(0, 0, 600, 500));

    m_windowController = std::make_shared<VornickBlogWindowController>(*this, windowNibName());
    m_windowController->window();
    connectToProjectComponent();
    connectToProjectIndexMOC();
    openBlogEditors().push_back(shared_from_this());
}

std::shared_ptr<VornickBlogPostView> VornickBlogEditor::makePostView(Rect frame)
{
    return VornickContentEditingView::create<VornickBlogPostView>(frame);
}

void VornickBlogEditor::windowControllerDidLoadNib(VornickBlogWindowController& controller)
{
    m_postView->setEditable(false);
    m_postView->setDelegate(this);
    m_postsWebListView->setActionDelegate(this);
    m_postsWebListView->setSearchField(m_postListSearchField);
    m_postsListArrayController->setSortDescriptors({ { u"dateLastEditedLocally", false } });
    m_postsWebListView->setArrayController(m_postsListArrayController);
    controller.synchronizeWindowTitleWithDocumentName();
}

void VornickBlogEditor::connectToProjectComponent()
{
    if (m_blog && m_blog->resourcesFolderURL())
        m_postView->setWebResourceCache(m_blog->webResourceCache());
}

void VornickBlogEditor::connectToProjectIndexMOC()
{
    auto project = blogProject();
    auto context = project && project->index() ? project->index()->managedObjectContext() : nullptr;
    m_postsArrayController->setManagedObjectContext(context);
    m_postsArrayController->setFetchPredicate(Predicate::comparison(u"blog", PredicateOperator::EqualTo, std::static_pointer_cast<ManagedObject>(m_blog)));
    m_postsArrayController->prepareContent();
}

void VornickBlogEditor::projectDidFinishUpdatingIndex()
{
    m_postsArrayController->prepareContent();
}

std::shared_ptr<VornickProject> VornickBlogEditor::blogProject() const
{
    auto editor = m_projectEditor.lock();
    return editor ? editor->project() : nullptr;
}

std::shared_ptr<Window> VornickBlogEditor::window() const
{
    return m_windowController && m_windowController->isWindowLoaded() ? m_windowController->window() : nullptr;
}

std::shared_ptr<VornickProjectComponent> VornickBlogEditor::projectComponent() const
{
    return m_blog;
}

void VornickBlogEditor::showWindows()
{
    if (m_closed)
        return;
    m_windowController->window()->makeKeyAndOrderFront();
}

void VornickBlogEditor::close()
{
    if (m_closed)
        return;
    m_closed = true;
    m_postsWebListView->cancelNeedsListRefresh();
    m_postsWebListView->setAutoRefreshInterval(0);
    m_postChangeObserver.reset();
    m_postsWebListView->setActionDelegate(nullptr);
    m_postsArrayController->setManagedObjectContext(nullptr);
    if (m_alert)
        m_alert.reset();
    VornickProjectComponentEditor::unregisterEditor(*this);
    if (auto window = this->window(); window && window->isVisible() && !m_windowController->isClosingWindow())
        window->close();
    // The editor goes on the next turn, after whatever is closing it.
    auto self = shared_from_this();
    std::erase(openBlogEditors(), self);
    RunLoop::main().perform([self] {});
    if (auto editor = m_projectEditor.lock())
        editor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
}

// --- Notifications

void VornickBlogEditor::startObservingPosts()
{
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    m_postChangeObserver = NotificationCenter::defaultCenter().addObserver(
        VornickBlogPostDidChangeNotification, nullptr, nullptr, [weak](const Notification& notification) {
            auto* post = static_cast<VornickBlogPost*>(const_cast<void*>(notification.object));
            if (RunLoop::isMainThread()) {
                if (auto editor = weak.lock())
                    editor->blogPostDidChange(post);
                return;
            }
            RunLoop::main().perform([weak, post] {
                if (auto editor = weak.lock())
                    editor->blogPostDidChange(post);
            });
        });
}

void VornickBlogEditor::blogPostDidChange(VornickBlogPost* post)
{
    if (!post || m_closed)
        return;
    m_postsWebListView->setNeedsListRefresh();
    if (m_postView->post().get() == post)
        m_postView->reloadPost();
}

// --- Posts

std::vector<std::shared_ptr<VornickBlogPost>> VornickBlogEditor::selectedPosts() const
{
    return entityCast<VornickBlogPost>(m_postsWebListView->selectedObjects());
}

std::shared_ptr<VornickProjectComponentEditor> VornickBlogEditor::editorForPost(const VornickBlogPost& post) const
{
    return VornickProjectComponentEditor::editorForComponent(post);
}

void VornickBlogEditor::openEditorForPost(const std::shared_ptr<VornickBlogPost>& post)
{
    auto editor = m_projectEditor.lock();
    if (!editor || !post)
        return;
    Error error;
    if (!editor->openEditorForComponent(post, &error))
        VornickGeneralLog(u"Failed to open post: " + error.localizedDescription());
}

void VornickBlogEditor::openViewerForPost(const std::shared_ptr<VornickBlogPost>& post)
{
    openEditorForPost(post);
}

void VornickBlogEditor::setPreviewPost(const std::shared_ptr<VornickBlogPost>& post)
{
    m_postView->setPost(post);
    updateSharePostButton();
}

void VornickBlogEditor::showPost(const std::shared_ptr<VornickBlogPost>& post)
{
    if (m_postView->post() == post)
        return;
    if (post) {
        m_backForwardList->addItem(std::make_shared<WebHistoryItem>(post->objectID().URIRepresentation().absoluteString(), post->title(),
                                                                    Date::now()));
    } else {
        m_backForwardList->removeAllItems();
    }
    updateBackForwardSegmentedControl();
    setPreviewPost(post);
}

void VornickBlogEditor::revealNewSelectedPostInList(const std::shared_ptr<VornickBlogPost>& post)
{
    if (!post)
        return;
    const auto& selected = m_postsWebListView->selectedObjects();
    if (selected.size() == 1 && selected.front() == post)
        return;
    m_postsWebListView->revealRepresentedObject(post);
}

void VornickBlogEditor::updateDisplayedContentForPost(const std::shared_ptr<VornickPublishedBlogPost>& post)
{
    if (post && m_postView->post() == post)
        m_postView->reloadPost();
}

bool VornickBlogEditor::canGoBack() const
{
    return m_backForwardList->canGoBack();
}

bool VornickBlogEditor::canGoForward() const
{
    return m_backForwardList->canGoForward();
}

bool VornickBlogEditor::goToHistoryItem(bool back)
{
    auto item = back ? m_backForwardList->backItem() : m_backForwardList->forwardItem();
    auto context = m_blog ? m_blog->managedObjectContext() : nullptr;
    if (!item || !context)
        return false;
    auto url = URL::create(item->URLString());
    auto post = url ? vornick_entityWithURIRepresentation<VornickBlogPost>(*context, *url) : nullptr;
    if (!post || post->isDeleted())
        return false;
    if (back)
        m_backForwardList->goBack();
    else
        m_backForwardList->goForward();
    setPreviewPost(post);
    revealNewSelectedPostInList(post);
    updateBackForwardSegmentedControl();
    return true;
}

void VornickBlogEditor::goBack(ActionSender*)
{
    goToHistoryItem(true);
}

void VornickBlogEditor::goForward(ActionSender*)
{
    goToHistoryItem(false);
}

std::vector<VornickTitledURL> VornickBlogEditor::permalinkTitledURLsForSelectedPosts() const
{
    std::vector<VornickTitledURL> links;
    for (const auto& published : entityCast<VornickPublishedBlogPost>(m_postsWebListView->selectedObjects())) {
        if (published->permalinkURLString().empty())
            continue;
        if (auto url = URL::create(published->permalinkURLString()))
            links.emplace_back(*url, published->title());
    }
    return links;
}

void VornickBlogEditor::updateSharePostButton()
{
    if (auto button = m_sharePostButton.lock())
        button->setEnabled(canShareSelectedPosts());
}

void VornickBlogEditor::openObjects(const std::vector<std::shared_ptr<VornickBlogPost>>& posts, bool shiftHeld)
{
    for (const auto& post : posts) {
        if (shiftHeld)
            openViewerForPost(post);
        else
            openEditorForPost(post);
    }
}

// --- Actions

std::shared_ptr<VornickBlogPost> VornickBlogEditor::newPostOrPage(const std::u16string& type)
{
    auto project = blogProject();
    auto context = project && project->index() ? project->index()->managedObjectContext() : nullptr;
    if (!context || !m_blog)
        return nullptr;
    auto post = context->insertNewObject<VornickBlogPost>();
    post->setHasEditsNotYetSavedToSourceFile(true);
    bool prepared = type == u"page" ? post->prepareNewPageAndAssociateWithBlog(m_blog) : post->prepareNewPostAndAssociateWithBlog(m_blog);
    auto url = post->sourceFileURL();
    Error error;
    if (!prepared)
        error = Error(VornickErrorDomain, VornickPostFileNotInProjectError, u"The new post could not be made in this blog.");
    else if (!url)
        error = Error(VornickErrorDomain, VornickPostFileNotInProjectError, u"The blog has no folder for its posts.");
    if (prepared && url && post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error)) {
        post->setHasEditsNotYetSavedToSourceFile(false);
        m_postsArrayController->rearrangeObjects();
        m_postsWebListView->refreshListContent();
        revealNewSelectedPostInList(post);
        openEditorForPost(post);
        return post;
    }
    // A post without its file would vanish at the next indexing, and every
    // change to it with it: it goes now, and the user is told.
    VornickGeneralLog(u"Failed to write new post to " + (url ? url->absoluteString() : std::u16string(u"(none)")) + u", Error: "
                      + error.localizedDescription());
    post->setBlog(nullptr);
    context->deleteObject(post);
    auto alert = Alert::create();
    alert->setMessageText(type == u"page" ? u"The new page could not be made." : u"The new post could not be made.");
    alert->setInformativeText(error.localizedDescription());
    alert->addButtonWithTitle(u"OK");
    beginSheet(alert, nullptr);
    return nullptr;
}

void VornickBlogEditor::openEditorsForSelectedPosts(ActionSender*)
{
    for (const auto& post : selectedPosts())
        openEditorForPost(post);
}

void VornickBlogEditor::openViewersForSelectedPosts(ActionSender*)
{
    for (const auto& post : selectedPosts())
        openViewerForPost(post);
}

void VornickBlogEditor::copyPermalinksForSelectedPosts(ActionSender*)
{
    auto links = permalinkTitledURLsForSelectedPosts();
    if (links.empty())
        return;
    std::vector<std::shared_ptr<const PasteboardWriting>> objects;
    for (auto& link : links)
        objects.push_back(std::make_shared<VornickTitledURL>(std::move(link)));
    auto pasteboard = Pasteboard::generalPasteboard();
    pasteboard->clearContents();
    static_cast<void>(pasteboard->writeObjects(objects));
}

void VornickBlogEditor::copySourceContentStringForSelectedPosts(ActionSender*)
{
    auto pasteboard = Pasteboard::generalPasteboard();
    for (const auto& post : selectedPosts()) {
        pasteboard->clearContents();
        static_cast<void>(pasteboard->setString(post->sourceContentString(), PasteboardTypeString));
    }
}

void VornickBlogEditor::shareSelectedPosts(ActionSender* sender)
{
    auto links = permalinkTitledURLsForSelectedPosts();
    if (links.empty())
        return;
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    auto share = vornick_makeShareLinksMenu(std::move(links), [weak] {
        if (auto editor = weak.lock())
            editor->copyPermalinksForSelectedPosts(nullptr);
    });
    m_sharingServicePicker = share.menu;
    m_sharingPickerTarget = share.target;
    // Under the clicked button, else at the top of the preview.
    vornick_popUpShareLinksMenu(share, sender, m_postView);
}

void VornickBlogEditor::showSyncLog(ActionSender*)
{
    if (auto editor = projectEditor())
        editor->showSyncLog();
}

void VornickBlogEditor::focusPostListSearchField(ActionSender*)
{
    if (auto window = this->window())
        window->makeFirstResponder(m_postListSearchField);
}

void VornickBlogEditor::toggleClearView(ActionSender*)
{
    m_postView->setUsingClearView(!m_postView->usingClearView());
}

void VornickBlogEditor::editAttachmentPointSettings()
{
    if (!m_blog || !m_postView->post())
        return;
    if (!m_attachmentPointSettingsUIController)
        m_attachmentPointSettingsUIController = std::make_unique<VornickAttachmentPointSettingsUIController>();
    if (m_attachmentPointSettingsUIController->isSheetShown())
        return;
    m_attachmentPointSettingsUIController->setBlogEditor(this);
    m_attachmentPointSettingsUIController->setDefaultAttachmentPointLocators(defaultAttachmentPointLocatorsForPostView());
    static_cast<void>(m_attachmentPointSettingsUIController->showForWindow(window(), m_postView->identifiersOfFailedAttachmentPoints(),
                                                                           m_postView->identifiersOfUnAbsolvedFailedAttachmentPoints()));
}

void VornickBlogEditor::attachmentPostSettingsDidChange()
{
    // The preview is read-only: nothing of it is written back.
    m_postView->reloadPost();
    auto project = blogProject();
    auto url = m_blog ? m_blog->sourceFileURL() : std::nullopt;
    Error error;
    if (!url || !m_blog->writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &error)
        || !project->index()->commitEditingAndSave(&error))
        VornickGeneralLog(u"The blog's settings could not be saved: " + error.localizedDescription());
}

void VornickBlogEditor::beginSheet(const std::shared_ptr<Alert>& alert, std::function<void(long)> didEnd)
{
    m_alert = alert;
    auto window = this->window();
    auto end = [didEnd = std::move(didEnd)](ModalResponse response) {
        if (didEnd)
            didEnd(static_cast<long>(response));
    };
    if (!window || window->attachedSheet()) {
        end(alert->runModal());
        return;
    }
    alert->beginSheetModalForWindow(window, std::move(end));
}

std::vector<std::pair<Action, std::function<void(ActionSender*)>>> VornickBlogEditor::actionHandlers()
{
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    auto to = [weak](void (VornickBlogEditor::*member)(ActionSender*)) {
        return [weak, member](ActionSender* sender) {
            if (auto editor = weak.lock(); editor && !editor->m_closed)
                ((*editor).*member)(sender);
        };
    };
    return {
        { "newPost:", to(&VornickBlogEditor::newPost) },
        { "newPage:", to(&VornickBlogEditor::newPage) },
        { "openEditorsForSelectedPosts:", to(&VornickBlogEditor::openEditorsForSelectedPosts) },
        { "openViewersForSelectedPosts:", to(&VornickBlogEditor::openViewersForSelectedPosts) },
        { "copyPermalinksForSelectedPosts:", to(&VornickBlogEditor::copyPermalinksForSelectedPosts) },
        { "copySourceContentStringForSelectedPosts:", to(&VornickBlogEditor::copySourceContentStringForSelectedPosts) },
        { "shareSelectedPosts:", to(&VornickBlogEditor::shareSelectedPosts) },
        { "findInProject:", to(&VornickBlogEditor::focusPostListSearchField) },
        { "focusPostListSearchField:", to(&VornickBlogEditor::focusPostListSearchField) },
        { "toggleClearView:", to(&VornickBlogEditor::toggleClearView) },
        { "editAttachmentPointSettings:", [weak](ActionSender*) {
             if (auto editor = weak.lock())
                 editor->editAttachmentPointSettings();
         } },
        { "showSyncLog:", to(&VornickBlogEditor::showSyncLog) },
        { "vornick_fetchFromHost:", to(&VornickBlogEditor::startManualSyncWithHost) },
        { "goBack:", to(&VornickBlogEditor::goBack) },
        { "goForward:", to(&VornickBlogEditor::goForward) },
        { "moveSelectedPostsToTrash:", to(&VornickBlogEditor::moveSelectedPostsToTrash) },
        { "emptyBlogTrash:", to(&VornickBlogEditor::emptyBlogTrash) },
        { "startManualSyncWithHost:", to(&VornickBlogEditor::startManualSyncWithHost) },
        { "fetchThemeTemplates:", to(&VornickBlogEditor::fetchThemeTemplates) },
        { "writeAllPostsToSourceFiles:", to(&VornickBlogEditor::writeAllPostsToSourceFiles) },
        { "vornick_inspectHTMLFormattingPreferences:", [](ActionSender*) {} },
    };
}

bool VornickBlogEditor::validateUserInterfaceItem(const Action& action, MenuItem* menuItem)
{
    bool hasSelection = !selectedPosts().empty();
    if (action == "copyPermalinksForSelectedPosts:" || action == "shareSelectedPosts:")
        return canShareSelectedPosts();
    if (action == "openEditorsForSelectedPosts:" || action == "openViewersForSelectedPosts:" || action == "moveSelectedPostsToTrash:"
        || action == "copySourceContentStringForSelectedPosts:")
        return hasSelection;
    if (action == "newPost:" || action == "newPage:")
        return true;
    if (action == "toggleClearView:") {
        if (menuItem)
            menuItem->setState(m_postView->usingClearView() ? OnState : OffState);
        return true;
    }
    if (action == "editAttachmentPointSettings:")
        return m_postView->post() != nullptr;
    if (action == "goBack:")
        return canGoBack();
    if (action == "goForward:")
        return canGoForward();
    return true;
}

// --- The list's delegate

void VornickBlogEditor::webListViewControllerDidRefreshList(VornickWebListViewController& list)
{
    if (!list.selectedObjects().empty())
        return;
    if (auto post = entityCast<VornickBlogPost>(list.representedObjectForRow(0))) {
        list.selectRepresentedObject(post);
        showPost(post);
    }
}

void VornickBlogEditor::webListViewControllerSelectionChanged(VornickWebListViewController&,
                                                              const std::vector<std::shared_ptr<ManagedObject>>& selected)
{
    std::shared_ptr<VornickBlogPost> shown;
    if (selected.size() == 1)
        shown = entityCast<VornickBlogPost>(selected.front());
    showPost(shown);
    updateSharePostButton();
}

void VornickBlogEditor::webListViewControllerOpenObjects(VornickWebListViewController&, const std::vector<std::shared_ptr<ManagedObject>>& objects)
{
    auto posts = entityCast<VornickBlogPost>(objects);
    const Event* event = currentApplicationEvent();
    openObjects(posts, event && event->hasModifier(ModifierFlag::Shift));
}

// --- The preview's delegate

std::optional<URL> VornickBlogEditor::blogPostViewTemplatesFolderURL(VornickBlogPostView&)
{
    return m_blog ? m_blog->templatesFolderURL() : std::nullopt;
}

std::optional<std::vector<std::shared_ptr<VornickAttachmentPointLocator>>>
VornickBlogEditor::vornickContentEditingViewDefaultAttachmentPointLocatorsForIdentifier(VornickContentEditingView&, const std::u16string&)
{
    return std::vector<std::shared_ptr<VornickAttachmentPointLocator>> {};
}

void VornickBlogEditor::vornickContentEditingViewUserClickedLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&,
                                                                       const URL& url, ModifierFlags)
{
    std::u16string string = url.absoluteString();
    if (string.ends_with(u'#'))
        return;
    // The page is the site's: only web and mail addresses may open.
    std::u16string scheme = url.scheme();
    if ((scheme != u"http" && scheme != u"https" && scheme != u"mailto") || !vornick_shouldOpenWhenClicked(url, nullptr)) {
        VornickGeneralLog(u"Refusing to open clicked URL for safety: " + string);
        return;
    }
    auto context = m_blog ? m_blog->managedObjectContext() : nullptr;
    if (context) {
        auto found = vornick_entitiesOfKind<VornickBlogPost>(*context,
                                            Predicate::andPredicate({ Predicate::comparison(u"permalinkURLString", PredicateOperator::EqualTo, Value(string)),
                                                                      Predicate::comparison(u"blog", PredicateOperator::EqualTo, std::static_pointer_cast<ManagedObject>(m_blog)) }));
        if (found && !found->empty()) {
            if (auto post = found->front()) {
                showPost(post);
                revealNewSelectedPostInList(post);
                updateBackForwardSegmentedControl();
                return;
            }
        }
    }
    auto delegate = VornickApplicationDelegate::shared();
    if (!delegate || !delegate->openReferencedURL(url, window()))
        VornickGeneralLog(u"Refusing to open clicked URL for safety: " + string);
}

// --- Split view

double VornickBlogEditor::constrainMinCoordinate(SplitView&, double proposedMinimum, long dividerIndex)
{
    return dividerIndex == 0 ? minimumListWidth : proposedMinimum;
}

double VornickBlogEditor::constrainMaxCoordinate(SplitView& splitView, double proposedMaximum, long dividerIndex)
{
    if (dividerIndex != 0)
        return proposedMaximum;
    return std::max(minimumListWidth, splitView.bounds().width() - minimumPreviewWidth);
}

// --- Toolbar

std::shared_ptr<ToolbarItem> VornickBlogEditor::itemForItemIdentifier(Toolbar&, const std::u16string&, bool)
{
    return nullptr;
}

void VornickBlogEditor::toolbarDidAddItem(ToolbarItem& item)
{
    if (item.itemIdentifier() == u"VornickSharePostToolbarItemIdentifier") {
        m_sharePostButton = std::dynamic_pointer_cast<Control>(item.view());
        updateSharePostButton();
    }
}

void VornickBlogEditor::toolbarDidRemoveItem(ToolbarItem& item)
{
    if (item.itemIdentifier() == u"VornickSharePostToolbarItemIdentifier")
        m_sharePostButton.reset();
}

// --- Sorting

std::vector<SortDescriptor> VornickBlogEditor::storeSortDescriptors(const std::vector<VornickWebListSortDescriptor>& listDescriptors)
{
    std::vector<SortDescriptor> descriptors;
    for (const auto& descriptor : listDescriptors) {
        SortDescriptor sort { descriptor.key, descriptor.ascending };
        if (descriptor.key == u"title") {
            sort.comparison = SortComparison::LocalizedCaseInsensitive;
            descriptors.push_back(sort);
            descriptors.push_back({ u"dateLastEditedLocally", false });
            continue;
        }
        descriptors.push_back(sort);
    }
    return descriptors;
}

} // namespace brevanton
