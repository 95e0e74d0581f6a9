#include "publishing/VornickWordPressAccountEditor.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlogPost.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickKnownFileSet.h"
#include "documents/VornickProjectComponentEditor.h"
#include "documents/VornickProjectIndex.h"
#include "ui/VornickSyncLogWindowController.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "toolkit/VornickEnduringFileReference.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickKeychain.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "toolkit/VornickTrash.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressAgent.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <unordered_set>

namespace brevanton {

namespace {

std::u16string quotedName(const std::string& path)
{
    auto name = std::filesystem::path(path).lexically_normal().filename();
    if (name.empty())
        name = std::filesystem::path(path).lexically_normal().parent_path().filename();
    return u"\u201C" + toUTF16(name.empty() ? path : name.string()) + u"\u201D";
}

std::shared_ptr<VornickWordPressAccountEditor> failed(Error* outError, std::u16string description)
{
    setError(outError, Error(VornickErrorDomain, VornickProjectFileUnreadableError, std::move(description)));
    return nullptr;
}

// The open documents, one per project editor.
std::vector<std::weak_ptr<VornickWordPressAccountEditor>>& openDocuments()
{
    static std::vector<std::weak_ptr<VornickWordPressAccountEditor>> documents;
    return documents;
}

// The window in front of the others that shows, or none.
std::shared_ptr<Window> frontVisibleWindow()
{
    for (const auto& window : Application::shared().orderedWindows()) {
        if (window->isVisible())
            return window;
    }
    return nullptr;
}

int64_t syncIntervalInMinutes()
{
    auto delegate = VornickApplicationDelegate::shared();
    UserDefaults& defaults = delegate ? delegate->userDefaults() : UserDefaults::standard();
    return defaults.integerForKey(VornickWordPressSyncIntervalDefaultsKey);
}

std::optional<std::filesystem::path> canonicalFolder(const URL& url)
{
    auto path = url.fileSystemPath();
    std::error_code error;
    auto canonical = path ? std::filesystem::canonical(*path, error) : std::filesystem::path();
    if (!path || error)
        return std::nullopt;
    return canonical;
}

// The end of the first sync window's responder chain: Close.
class FirstSyncWindowActions final : public Responder, public WindowDelegate {
};

} // namespace

std::optional<std::string> VornickWordPressAccountEditor::accountProjectFilePath(const std::string& path)
{
    std::error_code error;
    std::string projectFileName = toUTF8(VornickWordPressProjectFileName);
    if (std::filesystem::is_directory(path, error)) {
        auto inside = (std::filesystem::path(path) / projectFileName).string();
        if (std::filesystem::is_regular_file(inside, error))
            return inside;
        return std::nullopt;
    }
    if (std::filesystem::is_regular_file(path, error) && std::filesystem::path(path).filename() == projectFileName)
        return path;
    return std::nullopt;
}

std::shared_ptr<VornickWordPressAccountEditor> VornickWordPressAccountEditor::open(const std::string& path, Error* outError)
{
    std::error_code fileError;
    if (!std::filesystem::exists(path, fileError))
        return failed(outError, quotedName(path) + u" cannot be opened: there is no such file or folder.");
    auto projectFile = accountProjectFilePath(path);
    if (!projectFile) {
        if (std::filesystem::is_directory(path, fileError))
            return failed(outError, u"The folder " + quotedName(path) + u" holds no WordPress account: it has no file \u201C"
                                        + std::u16string(VornickWordPressProjectFileName) + u"\u201D.");
        return failed(outError, quotedName(path) + u" is not a WordPress account\u2019s folder or project file.");
    }
    auto editor = VornickProjectEditor::openProjectFileURL(URL::fileURLWithPath(std::string_view(*projectFile), false), outError);
    if (!editor)
        return nullptr;
    auto& documents = openDocuments();
    std::erase_if(documents, [](const auto& document) { return document.expired(); });
    for (const auto& weakDocument : documents) {
        auto document = weakDocument.lock();
        if (document->m_projectEditor == editor && !document->m_closed)
            return document;
    }
    if (!std::dynamic_pointer_cast<VornickWordPressBlogProject>(editor->project())) {
        editor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
        return failed(outError, quotedName(path) + u" is not a WordPress account\u2019s folder or project file.");
    }
    auto document = std::shared_ptr<VornickWordPressAccountEditor>(new VornickWordPressAccountEditor(std::move(editor)));
    documents.push_back(document);
    document->start();
    return document;
}

VornickWordPressAccountEditor::VornickWordPressAccountEditor(std::shared_ptr<VornickProjectEditor> editor)
    : m_projectEditor(std::move(editor))
{
}

VornickWordPressAccountEditor::~VornickWordPressAccountEditor()
{
    detach();
}

void VornickWordPressAccountEditor::start()
{
    std::weak_ptr<VornickWordPressAccountEditor> weakThis = weak_from_this();
    m_projectEditor->setDelegate(weakThis);
    auto project = this->project();
    project->integrator().setDelegate(this);
    const void* synchronizer = &project->synchronizer();
    m_switchObserver = NotificationCenter::defaultCenter().addObserver(VornickPublishedBlogSynchronizerDidSwitchSyncSessionNotification,
        synchronizer, nullptr, [weakThis](const Notification& notification) {
            if (auto document = weakThis.lock())
                document->synchronizerDidSwitchSyncSession(notification);
        });
    m_windowCloseObserver = NotificationCenter::defaultCenter().addObserver(Window::WillCloseNotification, nullptr, nullptr,
        [weakThis](const Notification& notification) {
            if (auto document = weakThis.lock())
                document->windowWillClose(notification);
        });
    // Opening indexed the project; its windows open once the current event is done.
    RunLoop::main().perform([weakThis] {
        if (auto document = weakThis.lock())
            document->projectIndexIsReady();
    });
}

std::shared_ptr<VornickWordPressBlogProject> VornickWordPressAccountEditor::project() const
{
    return std::dynamic_pointer_cast<VornickWordPressBlogProject>(m_projectEditor->project());
}

std::shared_ptr<VornickPublishedBlogProject> VornickWordPressAccountEditor::publishedBlogProject() const
{
    return m_closed ? nullptr : project();
}

std::u16string VornickWordPressAccountEditor::displayName() const
{
    return m_projectEditor->project()->projectFileURL().lastPathComponent();
}

bool VornickWordPressAccountEditor::hasBlogs() const
{
    auto blogs = vornick_allEntitiesOfKind(*m_projectEditor->project()->index()->managedObjectContext(), u"Blog");
    return blogs && !blogs->empty();
}

void VornickWordPressAccountEditor::projectIndexIsReady()
{
    if (m_closed)
        return;
    updateKnownBlogReferencesForThisProject();
    // An account without blogs syncs first when the user logs in: an
    // automatic sync before that has no details to sign in with, and its
    // failure would take the login panel's place.
    if (hasBlogs()) {
        openEditorsForBlogs();
        if (syncIntervalInMinutes() >= 1)
            project()->synchronizer().scheduleFirstAutomaticSyncFollowingIndexUpdate();
    } else {
        openFirstTimeSyncWindow();
    }
    // An index that could not be read was set aside and built again from
    // the files: the user is told once, over the windows just opened.
    if (const std::u16string& notice = m_projectEditor->project()->index()->rebuildNotice(); !notice.empty()) {
        auto alert = Alert::create();
        alert->setAlertStyle(AlertStyle::Informational);
        auto account = project()->wordPressAccount();
        alert->setMessageText(u"The index of the account \u201C" + (account ? account->displayNameForWindowTitle() : displayName())
            + u"\u201D was built again from its files.");
        alert->setInformativeText(notice);
        alert->addButtonWithTitle(u"OK");
        alert->runModal();
    }
    // With nothing to show (no blog could open), the project goes.
    m_projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
}

const std::shared_ptr<VornickFirstBlogSyncWindowController>& VornickWordPressAccountEditor::openFirstTimeSyncWindow()
{
    if (m_firstSyncWindowController || m_closed)
        return m_firstSyncWindowController;
    std::weak_ptr<VornickFirstBlogSyncDocument> document = weak_from_this();
    m_firstSyncWindowController = m_makeFirstSyncWindowController ? m_makeFirstSyncWindowController(document)
                                                                  : std::make_shared<VornickFirstBlogSyncWindowController>(document);
    auto window = m_firstSyncWindowController->loadWindow();
    auto actions = std::make_shared<FirstSyncWindowActions>();
    std::weak_ptr<Window> weakWindow = window;
    actions->setActionHandler("performClose:", [weakWindow](ActionSender*) {
        if (auto window = weakWindow.lock())
            window->performClose();
    });
    m_firstSyncWindowActions = actions;
    window->setDelegate(std::shared_ptr<WindowDelegate>(actions, actions.get()));
    Rect visible = Screen::mainScreen().visibleFrame();
    Rect frame = window->frame();
    window->setFrameOrigin({ std::floor(visible.midX() - frame.width() / 2), std::floor(visible.midY() - frame.height() / 2) });
    window->makeKeyAndOrderFront();
    if (m_windowOpened)
        m_windowOpened(*window);
    return m_firstSyncWindowController;
}

void VornickWordPressAccountEditor::openEditorsForBlogs()
{
    if (m_closed)
        return;
    auto wordPressBlogs = vornick_allEntitiesOfKind<VornickWordPressBlog>(*m_projectEditor->project()->index()->managedObjectContext())
                              .value_or(VornickEntities<VornickWordPressBlog>());
    // In the order of their names, each window a title bar below the one before.
    std::stable_sort(wordPressBlogs.begin(), wordPressBlogs.end(),
                     [](const auto& a, const auto& b) { return a->displayName() < b->displayName(); });
    auto firstSyncWindow = m_firstSyncWindowController ? m_firstSyncWindowController->window() : nullptr;
    Point cascadePoint;
    std::shared_ptr<Window> previous;
    bool blogWindowShows = false;
    for (const auto& blog : wordPressBlogs) {
        // A window already open comes forward where it is.
        bool wasOpen = static_cast<bool>(VornickProjectComponentEditor::editorForComponent(*blog));
        Error error;
        if (!m_projectEditor->openEditorForComponent(blog, &error)) {
            VornickGeneralLog(u"The blog \u201C" + blog->displayName() + u"\u201D could not be opened: " + error.localizedDescription());
            continue;
        }
        auto front = frontVisibleWindow();
        if (!front || front == firstSyncWindow || front == previous)
            continue;
        blogWindowShows = true;
        if (wasOpen)
            continue;
        cascadePoint = front->cascadeTopLeftFromPoint(cascadePoint);
        previous = front;
    }
    if (blogWindowShows && firstSyncWindow && firstSyncWindow->isVisible())
        firstSyncWindow->orderOut();
    // The first sync brought the blogs: automatic syncs follow from now on.
    if (firstSyncWindow && hasBlogs() && syncIntervalInMinutes() >= 1 && !project()->synchronizer().hasScheduledSyncTimer())
        project()->synchronizer().scheduleFirstAutomaticSyncFollowingIndexUpdate();
}

void VornickWordPressAccountEditor::addTitlesToTitleWall(const std::vector<Dictionary>& descriptions)
{
    for (const auto& description : descriptions) {
        auto title = description.find(u"title");
        if (title == description.end() || !title->second.isString())
            continue;
        std::u16string text = vornick_stringbyStrippingHTMLMarkup(title->second.string());
        if (!text.empty())
            m_firstSyncWindowController->addPostTitleToTitleWall(text);
    }
}

void VornickWordPressAccountEditor::updateKnownBlogReferencesForThisProject()
{
    auto delegate = VornickApplicationDelegate::shared();
    if (m_closed || !delegate)
        return;
    auto knownBlogs = vornick_knownBlogs(delegate);
    auto blogs = vornick_allEntitiesOfKind<VornickBlog>(*m_projectEditor->project()->index()->managedObjectContext());
    bool retitled = false;
    for (const auto& blog : blogs.value_or(VornickEntities<VornickBlog>())) {
        auto url = blog->sourceFileURL();
        if (!url)
            continue;
        std::u16string title = blog->displayName();
        if (auto known = knownBlogs->fileReferenceForURL(*url)) {
            if (known->title() != title) {
                known->setTitle(title);
                retitled = true;
            }
        } else if (auto reference = VornickEnduringFileReference::enduringReferenceToFileURL(*url)) {
            reference->setTitle(title);
            knownBlogs->registerFileReference(std::move(reference));
        }
    }
    if (retitled)
        knownBlogs->writeToUserDefaults();
}

void VornickWordPressAccountEditor::blogServiceIntegratorReceivedBlogDescriptions(VornickBlogServiceIntegrator&,
    const std::vector<Dictionary>&)
{
    // The integrator made the blogs it was told of before telling.
    updateKnownBlogReferencesForThisProject();
}

void VornickWordPressAccountEditor::blogServiceIntegratorReceivedPostDescriptions(VornickBlogServiceIntegrator&,
    const std::vector<Dictionary>& descriptions, const Dictionary&, int64_t startOffset, bool)
{
    if (!m_firstSyncWindowController)
        return;
    if (startOffset == 0)
        m_firstSyncWindowController->clearTitleWall();
    addTitlesToTitleWall(descriptions);
}

void VornickWordPressAccountEditor::blogServiceIntegratorReceivedPageDescriptions(VornickBlogServiceIntegrator&,
    const std::vector<Dictionary>& descriptions, const Dictionary&, int64_t, bool)
{
    if (m_firstSyncWindowController)
        addTitlesToTitleWall(descriptions);
}

bool VornickWordPressAccountEditor::blogServiceIntegratorRequestScheduledSendOfPostChanges(VornickBlogServiceIntegrator&,
    const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    if (m_closed)
        return false;
    return project()->synchronizer().queueSyncToUploadPostChanges(postChanges, blogDescription, nativePostIdentifier);
}

bool VornickWordPressAccountEditor::projectEditorShouldCloseWithNoComponentEditors(const VornickProjectEditor&) const
{
    auto project = this->project();
    return !project || !project->synchronizer().currentSyncSession();
}

bool VornickWordPressAccountEditor::projectEditorShowsWindows(const VornickProjectEditor&) const
{
    auto window = m_firstSyncWindowController ? m_firstSyncWindowController->window() : nullptr;
    return window && window->isVisible();
}

void VornickWordPressAccountEditor::close()
{
    if (m_closed)
        return;
    m_closeRequested = true;
    auto& synchronizer = project()->synchronizer();
    synchronizer.cancelSyncSchedulingTimer();
    synchronizer.cancelAllSyncSessions();
    // A cancelled session may still be finishing its step; the project
    // closes once it has ended.
    if (!synchronizer.currentSyncSession())
        m_projectEditor->close();
}

void VornickWordPressAccountEditor::projectEditorDidClose(VornickProjectEditor&)
{
    if (m_closed)
        return;
    m_closed = true;
    detach();
    discardIfBloglessInShoebox();
    if (auto handler = std::move(m_didClose))
        handler();
}

void VornickWordPressAccountEditor::synchronizerDidSwitchSyncSession(const Notification&)
{
    auto project = this->project();
    if (m_closed || !project)
        return;
    if (m_closeRequested) {
        // Closing: the sessions that were waiting go as well.
        project->synchronizer().cancelAllSyncSessions();
        if (!project->synchronizer().currentSyncSession())
            m_projectEditor->close();
        return;
    }
    if (project->synchronizer().currentSyncSession())
        return;
    m_projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
}

void VornickWordPressAccountEditor::windowWillClose(const Notification& notification)
{
    auto window = m_firstSyncWindowController ? m_firstSyncWindowController->window() : nullptr;
    if (m_closed || !window || notification.object != static_cast<const Window*>(window.get()))
        return;
    // The window goes after the notification; the project with it, unless
    // another window of it shows or its sync still runs.
    std::weak_ptr<VornickWordPressAccountEditor> weakThis = weak_from_this();
    RunLoop::main().perform([weakThis, window] {
        auto document = weakThis.lock();
        if (!document || document->m_closed || !document->m_firstSyncWindowController
            || document->m_firstSyncWindowController->window() != window)
            return;
        document->m_firstSyncWindowController.reset();
        document->m_firstSyncWindowActions.reset();
        // An account still without a blog has nothing else to show: its
        // first sync stops and the account goes.
        if (!document->hasBlogs() && document->m_projectEditor->componentEditors().empty())
            document->close();
        else
            document->m_projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
    });
}

void VornickWordPressAccountEditor::detach()
{
    m_switchObserver.reset();
    m_windowCloseObserver.reset();
    if (auto project = std::dynamic_pointer_cast<VornickWordPressBlogProject>(m_projectEditor->project())) {
        if (project->integrator().delegate() == this)
            project->integrator().setDelegate(nullptr);
        project->synchronizer().cancelSyncSchedulingTimer();
    }
    // Shown or ordered out (once a blog's window showed), the window goes.
    if (auto controller = std::move(m_firstSyncWindowController)) {
        if (auto window = controller->window())
            window->close();
    }
    m_firstSyncWindowActions.reset();
    if (auto controller = std::move(m_syncLogWindowController)) {
        controller->close();
        controller->setLog(nullptr);
    }
}

void VornickWordPressAccountEditor::showSyncLog()
{
    auto project = this->project();
    if (m_closed || !project)
        return;
    if (!m_syncLogWindowController) {
        m_syncLogWindowController = VornickSyncLogWindowController::create();
        // The log the sessions write to.
        m_syncLogWindowController->setLog(project->integrator().syncLog());
        if (m_windowOpened)
            m_windowOpened(*m_syncLogWindowController->window());
    }
    m_syncLogWindowController->showWindow();
}

void VornickWordPressAccountEditor::discardIfBloglessInShoebox()
{
    auto project = this->project();
    if (!project || hasBlogs())
        return;
    // Only a folder made for an account directly inside the shoebox, never
    // one the user keeps elsewhere, deeper down, or behind a link in it.
    auto folder = canonicalFolder(project->sourceRootURL());
    auto shoebox = canonicalFolder(VornickWordPressBlogProject::blogProjectsShoeboxDirectoryURL());
    if (!folder || !shoebox || folder->parent_path() != *shoebox)
        return;
    auto account = project->wordPressAccount();
    std::u16string loginID = account ? account->loginID() : std::u16string();
    std::vector<std::u16string> keychainKeys;
    if (account && !loginID.empty()) {
        for (auto key : { account->keychainKeyForPassword(),
                          account->keychainKeyForRESTAPIAuthorizationForBlogWithID(VornickWordPressOAuth2AuthorizationSiteIdentifier) }) {
            if (key)
                keychainKeys.push_back(*key);
        }
    }
    URL folderURL = URL::fileURLWithPath(folder->string(), true);
    std::string indexPath = project->index()->filePath();
    RunLoop::main().perform([folderURL, indexPath, loginID, keychainKeys] {
        Error error;
        if (!vornick_moveFileToTrash(folderURL, &error)) {
            VornickGeneralLog(u"The account folder " + folderURL.absoluteString() + u" could not be moved to the Trash: "
                              + error.localizedDescription());
            return;
        }
        std::error_code fileError;
        if (std::filesystem::exists(indexPath, fileError)
            && !vornick_moveFileToTrash(URL::fileURLWithPath(std::string_view(indexPath), false), &error))
            VornickGeneralLog(u"The account\u2019s index could not be moved to the Trash: " + error.localizedDescription());
        // What the index's store kept beside it means nothing without it.
        for (const char* suffix : { "-wal", "-shm", ".indexing" })
            std::filesystem::remove(indexPath + suffix, fileError);
        for (const auto& key : keychainKeys) {
            if (!VornickKeychain::removeDataForServiceName(key, loginID, &error))
                VornickGeneralLog(u"A keychain item of the discarded account could not be removed: " + error.localizedDescription());
        }
    });
}

bool VornickWordPressAccountEditor::requestPublicationOfChangesToPost(VornickPublishedBlogPost& post, Error* outError)
{
    auto project = this->project();
    if (m_closed || !project)
        return setError(outError, Error(VornickErrorDomain, VornickPostFileNotInProjectError, u"The post\u2019s account is closed."));
    if (!VornickPublishedBlogSynchronizer::workingOffline()) {
        if (project->synchronizer().queueSyncToUploadPost(post))
            return true;
        return setError(outError, Error(VornickErrorDomain, VornickPostFileNotInProjectError,
                                        u"The post or its blog has nothing to send."));
    }
    // Offline: the mark must outlive the process, so it is written to the
    // post's file and the index now, not at some later save.
    post.ManagedObject::setValueForKey(Value(true), u"publishAtNextSync");
    post.setHasEditsNotYetSavedToSourceFile(true);
    if (auto url = post.sourceFileURL(); url && !post.writePostToURL(*url, VornickObjectArchiveFormat::JSON, outError))
        return false;
    return project->index()->commitEditingAndSave(outError);
}

std::vector<std::u16string> VornickWordPressAccountEditor::vornick_URLStringsForCompletion() const
{
    std::vector<std::u16string> strings;
    std::unordered_set<std::u16string> seen;
    auto posts = vornick_allEntitiesOfKind(*m_projectEditor->project()->index()->managedObjectContext(), u"BlogPost");
    for (const auto& post : posts.value_or(ManagedObjects())) {
        Value permalink = post->valueForKey(u"permalinkURLString");
        if (permalink.isString() && !permalink.string().empty() && seen.insert(permalink.string()).second)
            strings.push_back(permalink.string());
    }
    return strings;
}

} // namespace brevanton
