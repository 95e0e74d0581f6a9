#include "publishing/VornickPublishedBlogEditor.h"

#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlog.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogProject.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "documents/VornickProjectIndex.h"
#include "platform/foundation/RunLoop.h"
#include "platform/store/ArrayController.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Toolbar.h"
#include "publishing/VornickBlogHostingAccountPropertiesUIController.h"
#include "publishing/VornickBlogPostListViewController.h"
#include "publishing/VornickBlogPostView.h"
#include "publishing/VornickBlogWindowController.h"
#include "publishing/VornickMiniSyncStatusUIController.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickObjectArchive.h"
#include "toolkit/VornickTrash.h"
#include "toolkit/VornickWorkspaceExtensions.h"
#include "ui/VornickWebListView.h"

#include <filesystem>

namespace brevanton {

VornickPublishedBlogEditor::~VornickPublishedBlogEditor()
{
    if (m_miniSyncStatusUIController)
        m_miniSyncStatusUIController->setDelegate(nullptr);
}

std::shared_ptr<VornickPublishedBlog> VornickPublishedBlogEditor::publishedBlog() const
{
    return entityCast<VornickPublishedBlog>(blog());
}

std::shared_ptr<VornickPublishedBlogProject> VornickPublishedBlogEditor::publishedBlogProject() const
{
    return std::dynamic_pointer_cast<VornickPublishedBlogProject>(blogProject());
}

VornickPublishedBlogSynchronizer* VornickPublishedBlogEditor::synchronizer() const
{
    auto project = publishedBlogProject();
    return project ? &project->synchronizer() : nullptr;
}

VornickBlogServiceIntegrator* VornickPublishedBlogEditor::integrator() const
{
    auto project = publishedBlogProject();
    return project ? &project->integrator() : nullptr;
}

void VornickPublishedBlogEditor::windowControllerDidLoadNib(VornickBlogWindowController& controller)
{
    VornickBlogEditor::windowControllerDidLoadNib(controller);
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    m_sessionSwitchObserver = NotificationCenter::defaultCenter().addObserver(
        VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification, nullptr, nullptr, [weak](const Notification& notification) {
            auto editor = std::static_pointer_cast<VornickPublishedBlogEditor>(weak.lock());
            if (editor && !editor->isClosed() && notification.object == editor->synchronizer())
                editor->synchronizerDidSwitchSyncSession();
        });
    // A window opened while a session runs shows it from the start.
    updateMiniSyncStatusForCurrentSession();
}

void VornickPublishedBlogEditor::close()
{
    m_sessionSwitchObserver.reset();
    if (m_miniSyncStatusUIController) {
        m_miniSyncStatusUIController->setDelegate(nullptr);
        m_miniSyncStatusUIController->setAccount(nullptr);
    }
    m_accountPropertiesUIController.reset();
    VornickBlogEditor::close();
}

std::vector<std::pair<Action, std::function<void(ActionSender*)>>> VornickPublishedBlogEditor::actionHandlers()
{
    auto handlers = VornickBlogEditor::actionHandlers();
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    handlers.emplace_back("cancelSync:", [weak](ActionSender* sender) {
        if (auto editor = std::static_pointer_cast<VornickPublishedBlogEditor>(weak.lock()); editor && !editor->isClosed())
            editor->cancelSync(sender);
    });
    handlers.emplace_back("showAccountProperties:", [weak](ActionSender* sender) {
        if (auto editor = std::static_pointer_cast<VornickPublishedBlogEditor>(weak.lock()); editor && !editor->isClosed())
            editor->showAccountProperties(sender);
    });
    return handlers;
}

void VornickPublishedBlogEditor::showAccountProperties(ActionSender* sender)
{
    auto blog = publishedBlog();
    auto account = blog ? blog->hostingAccount() : nullptr;
    if (!account)
        return;
    if (!m_accountPropertiesUIController)
        m_accountPropertiesUIController = VornickBlogHostingAccountPropertiesUIController::create();
    // From the clicked control, or from the toolbar item's place.
    if (auto* item = dynamic_cast<ToolbarItem*>(sender)) {
        auto placement = item->placement();
        m_accountPropertiesUIController->showForAccount(std::move(account), placement.view, placement.rect);
        return;
    }
    auto* view = dynamic_cast<View*>(sender);
    m_accountPropertiesUIController->showForAccount(std::move(account), view ? view->sharedAs<View>() : nullptr);
}

// --- Sync status

void VornickPublishedBlogEditor::synchronizerDidSwitchSyncSession()
{
    updateMiniSyncStatusForCurrentSession();
}

void VornickPublishedBlogEditor::updateMiniSyncStatusForCurrentSession()
{
    auto* synchronizer = this->synchronizer();
    if (synchronizer && synchronizer->currentSyncSession()) {
        installMiniSyncStatusView();
    } else if (synchronizer && synchronizer->lastEndedSyncSessionFailed()) {
        // The failure stays in sight until the next session.
        installMiniSyncStatusView();
        m_miniSyncStatusUIController->showEndedFailedSyncSession(synchronizer->lastEndedSyncSession());
    } else {
        uninstallMiniSyncStatusView();
    }
}

void VornickPublishedBlogEditor::installMiniSyncStatusView()
{
    if (!m_miniSyncStatusUIController) {
        m_miniSyncStatusUIController = std::make_shared<VornickMiniSyncStatusUIController>();
        m_miniSyncStatusUIController->setDelegate(this);
        if (auto* synchronizer = this->synchronizer())
            m_miniSyncStatusUIController->setAccount(synchronizer->account());
    }
    auto statusView = m_miniSyncStatusUIController->view();
    auto listView = postsWebListView()->webView();
    auto pane = listView->superview();
    if (m_miniSyncStatusShown || statusView->superview() || !pane)
        return;
    double m = statusView->frame().height();
    Rect list = listView->frame();
    listView->setFrame(Rect(list.minX(), list.minY() + m, list.width(), list.height() - m));
    statusView->setFrame(Rect(list.minX(), list.minY(), list.width(), m));
    statusView->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::MaxYMargin);
    pane->addSubview(statusView);
    m_miniSyncStatusShown = true;
}

void VornickPublishedBlogEditor::uninstallMiniSyncStatusView()
{
    if (!m_miniSyncStatusShown || !m_miniSyncStatusUIController)
        return;
    auto statusView = m_miniSyncStatusUIController->view();
    auto listView = postsWebListView()->webView();
    double m = statusView->frame().height();
    Rect list = listView->frame();
    listView->setFrame(Rect(list.minX(), list.minY() - m, list.width(), list.height() + m));
    statusView->removeFromSuperview();
    m_miniSyncStatusShown = false;
}

bool VornickPublishedBlogEditor::validateUserInterfaceItem(const Action& action, MenuItem* menuItem)
{
    if (action == "emptyBlogTrash:") {
        auto blog = publishedBlog();
        return blog && !blog->postsInTrash().empty();
    }
    if (action == "cancelSync:") {
        auto* synchronizer = this->synchronizer();
        return synchronizer && synchronizer->currentSyncSession();
    }
    return VornickBlogEditor::validateUserInterfaceItem(action, menuItem);
}

void VornickPublishedBlogEditor::cancelSync(ActionSender*)
{
    if (auto* synchronizer = this->synchronizer())
        synchronizer->cancelSync();
}

// --- Opening

void VornickPublishedBlogEditor::openViewerForPost(const std::shared_ptr<VornickBlogPost>& post)
{
    auto published = entityCast<VornickPublishedBlogPost>(post);
    auto string = published ? published->viewOnlineURLString() : std::nullopt;
    if (!string)
        return;
    // The address comes from the server: only a web page opens.
    auto url = URL::create(*string);
    if (!url || !vornick_openURLInWebBrowser(*url))
        VornickGeneralLog(u"Refusing to open URL for safety: " + *string);
}

void VornickPublishedBlogEditor::openObjects(const std::vector<std::shared_ptr<VornickBlogPost>>& posts, bool shiftHeld)
{
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> trashed;
    std::vector<std::shared_ptr<VornickBlogPost>> live;
    for (const auto& post : posts) {
        if (auto published = entityCast<VornickPublishedBlogPost>(post); published && published->inTrash())
            trashed.push_back(std::move(published));
        else
            live.push_back(post);
    }
    VornickBlogEditor::openObjects(live, shiftHeld);
    if (!trashed.empty())
        promptForOpenOfPostsInTrash(trashed);
}

bool VornickPublishedBlogEditor::writePost(VornickPublishedBlogPost& post)
{
    auto url = post.sourceFileURL();
    Error error;
    if (url && post.writePostToURL(*url, VornickObjectArchiveFormat::JSON, &error))
        return true;
    VornickGeneralLog(u"Failed to write post to " + (url ? url->absoluteString() : std::u16string(u"(none)")) + u", Error: "
                      + error.localizedDescription());
    return false;
}

bool VornickPublishedBlogEditor::saveIndex()
{
    auto project = blogProject();
    Error error;
    if (project && project->index() && project->index()->commitEditingAndSave(&error))
        return true;
    VornickGeneralLog(u"CoreData Exception calling [managedObjectContext save]: " + error.localizedDescription());
    return false;
}

// --- Trash

void VornickPublishedBlogEditor::moveSelectedPostsToTrash(ActionSender*)
{
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> candidates;
    for (auto& post : entityCast<VornickPublishedBlogPost>(postsWebListView()->selectedObjects())) {
        if (!post->inTrash())
            candidates.push_back(std::move(post));
    }
    if (candidates.empty())
        return;
    auto alert = Alert::create();
    if (candidates.size() == 1) {
        alert->setMessageText(u"Move post to Trash?");
        alert->setInformativeText(u"Move \u201C" + candidates.front()->title() + u"\u201D to the Trash?");
    } else {
        alert->setMessageText(u"Move posts to Trash?");
        alert->setInformativeText(u"Move " + toUTF16(std::to_string(candidates.size())) + u" posts, including \u201C"
                                  + candidates.front()->title() + u"\u201D, to the Trash?");
    }
    alert->addButtonWithTitle(u"Move to Trash");
    alert->addButtonWithTitle(u"Cancel");
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    beginSheet(alert, [weak, candidates](long response) {
        auto editor = std::static_pointer_cast<VornickPublishedBlogEditor>(weak.lock());
        if (editor && !editor->isClosed() && response == AlertFirstButtonReturn)
            editor->movePostsToTrash(candidates);
    });
}

void VornickPublishedBlogEditor::movePostsToTrash(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>& candidates)
{
    postsWebListView()->clearSelection();
    showPost(nullptr);
    bool moved = false;
    for (const auto& post : candidates) {
        if (post->inTrash() || post->isDeleted())
            continue;
        if (auto editor = editorForPost(*post))
            editor->closeEditorWindows();
        post->ManagedObject::setValueForKey(Value(true), u"inTrash");
        // A post the server knows goes to its Trash at the next sync.
        if (!post->identifierUsedByBlogService().empty())
            post->ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
        static_cast<void>(writePost(*post));
        moved = true;
    }
    if (!moved)
        return;
    static_cast<void>(saveIndex());
    postsWebListView()->setNeedsListRefresh();
}

void VornickPublishedBlogEditor::promptForOpenOfPostsInTrash(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>& posts)
{
    if (posts.empty())
        return;
    auto alert = Alert::create();
    if (posts.size() == 1) {
        alert->setMessageText(u"Restore post?");
        alert->setInformativeText(u"\u201C" + posts.front()->title() + u"\u201D will be reinstated.");
    } else {
        alert->setMessageText(u"Restore " + toUTF16(std::to_string(posts.size())) + u" posts?");
        alert->setInformativeText(u"The posts will be reinstated.");
    }
    alert->addButtonWithTitle(u"Restore");
    alert->addButtonWithTitle(u"Cancel");
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    beginSheet(alert, [weak, posts](long response) {
        if (response != AlertFirstButtonReturn)
            return;
        // Once the sheet has gone.
        RunLoop::main().perform([weak, posts] {
            auto editor = std::static_pointer_cast<VornickPublishedBlogEditor>(weak.lock());
            if (editor && !editor->isClosed())
                editor->restorePosts(posts);
        });
    });
}

void VornickPublishedBlogEditor::restorePosts(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>& posts)
{
    showPost(nullptr);
    leaveTrashView();
    std::shared_ptr<VornickPublishedBlogPost> first;
    for (const auto& post : posts) {
        if (post->isDeleted())
            continue;
        post->ManagedObject::setValueForKey(Value(false), u"inTrash");
        post->ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
        static_cast<void>(writePost(*post));
        if (!first)
            first = post;
    }
    if (!first)
        return;
    // The index holds what the files hold, as after a move to the Trash.
    static_cast<void>(saveIndex());
    postsArrayController()->rearrangeObjects();
    postsWebListView()->refreshListContent();
    showPost(first);
    revealNewSelectedPostInList(first);
    updateBackForwardSegmentedControl();
}

std::vector<std::shared_ptr<VornickPublishedBlogPost>> VornickPublishedBlogEditor::postsToDeleteFromTrash() const
{
    std::vector<std::shared_ptr<VornickPublishedBlogPost>> posts;
    auto blog = publishedBlog();
    if (!blog)
        return posts;
    for (auto& post : blog->postsInTrash()) {
        // Its move to the server's Trash is still to be made: deleting it
        // here would let the next sync bring it back live.
        if (post->publishAtNextSync() && !post->identifierUsedByBlogService().empty())
            continue;
        posts.push_back(std::move(post));
    }
    return posts;
}

void VornickPublishedBlogEditor::emptyBlogTrash(ActionSender*)
{
    auto blog = publishedBlog();
    size_t count = blog ? blog->postsInTrash().size() : 0;
    if (!count)
        return;
    auto alert = Alert::create();
    alert->setMessageText(u"Are you sure you want to permanently delete the " + toUTF16(std::to_string(count)) + u" "
                          + (count == 1 ? u"post" : u"posts") + u" in this site\u2019s Trash?");
    alert->setInformativeText(u"You can\u2019t undo this action.");
    alert->addButtonWithTitle(u"Empty Trash");
    alert->addButtonWithTitle(u"Cancel");
    std::weak_ptr<VornickBlogEditor> weak = weak_from_this();
    beginSheet(alert, [weak](long response) {
        auto editor = std::static_pointer_cast<VornickPublishedBlogEditor>(weak.lock());
        if (editor && !editor->isClosed() && response == AlertFirstButtonReturn)
            editor->deletePostsFromTrash(editor->postsToDeleteFromTrash());
    });
}

void VornickPublishedBlogEditor::deletePostsFromTrash(const std::vector<std::shared_ptr<VornickPublishedBlogPost>>& posts)
{
    if (posts.empty())
        return;
    auto* context = publishedBlog() ? publishedBlog()->managedObjectContext() : nullptr;
    if (!context)
        return;
    auto shown = postView()->post();
    postsWebListView()->clearSelection();
    bool deletedAny = false;
    for (const auto& post : posts) {
        if (post->isDeleted())
            continue;
        // The file first: a post whose file stays stays too (indexing
        // would bring it back otherwise).
        if (auto url = post->sourceFileURL()) {
            std::error_code exists;
            auto path = url->fileSystemPath();
            Error error;
            if (path && std::filesystem::exists(*path, exists) && !vornick_moveFileToTrash(*url, &error)) {
                VornickGeneralLog(u"Failed to move " + url->absoluteString() + u" to the Trash: " + error.localizedDescription());
                continue;
            }
        }
        if (shown == post)
            showPost(nullptr);
        post->setBlog(nullptr);
        context->deleteObject(post);
        deletedAny = true;
    }
    if (!deletedAny)
        return;
    static_cast<void>(saveIndex());
    postsWebListView()->setNeedsListRefresh();
}

// --- Files

void VornickPublishedBlogEditor::writeAllPostsToSourceFiles(ActionSender*)
{
    auto project = publishedBlogProject();
    auto context = project && project->index() ? project->index()->managedObjectContext() : nullptr;
    if (!context)
        return;
    auto blogs = vornick_allEntitiesOfKind<VornickPublishedBlog>(*context);
    if (!blogs)
        return;
    for (const auto& blog : *blogs) {
        // Named as the store names a blog it imports: made safe from the
        // title (markup, slashes and all) and unique among the blogs.
        if (blog->sourceFileName().empty() || blog->blogFolderName().empty())
            project->integrator().deriveBlogFileNames(*blog);
        Error ignored;
        if (auto url = blog->sourceFileURL())
            static_cast<void>(blog->writeArchivalRepresentationToURL(*url, VornickObjectArchiveFormat::JSON, &ignored));
        for (const auto& post : blog->posts()) {
            if (auto url = post->sourceFileURL())
                static_cast<void>(post->writePostToURL(*url, VornickObjectArchiveFormat::JSON, &ignored));
        }
    }
}

} // namespace brevanton
