#include "publishing/VornickAccountProjectDocument.h"

#include "app/VornickApplicationDefaults.h"
#include "app/VornickApplicationDelegate.h"
#include "blog/VornickBlogServiceIntegrator.h"
#include "blog/VornickPublishedBlogSynchronizer.h"
#include "blog/VornickWordPressBlog.h"
#include "documents/VornickProjectComponentEditor.h"
#include "documents/VornickProjectIndex.h"
#include "html/VornickHTMLStringTextExtractor.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/store/ManagedObjectContext.h"
#include "platform/views/Application.h"
#include "platform/views/Screen.h"
#include "platform/views/Window.h"
#include "toolkit/VornickErrors.h"
#include "toolkit/VornickLog.h"
#include "toolkit/VornickManagedObjectContextExtensions.h"
#include "wordpress/VornickWordPressAccount.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace brevanton {

namespace {

std::u16string quotedName(const std::string& path)
{
    auto name = std::filesystem::path(path).lexically_normal().filename();
    if (name.empty())
        name = std::filesystem::path(path).lexically_normal().parent_path().filename();
    return u"\u201C" + toUTF16(name.empty() ? path : name.string()) + u"\u201D";
}

std::shared_ptr<VornickAccountProjectDocument> failed(Error* outError, std::u16string description)
{
    setError(outError, Error(VornickErrorDomain, VornickProjectFileUnreadableError, std::move(description)));
    return nullptr;
}

// The open documents, one per project editor.
std::vector<std::weak_ptr<VornickAccountProjectDocument>>& openDocuments()
{
    static std::vector<std::weak_ptr<VornickAccountProjectDocument>> documents;
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

// The end of the first sync window's responder chain: Close.
class FirstSyncWindowActions final : public Responder, public WindowDelegate {
};

} // namespace

std::optional<std::string> VornickAccountProjectDocument::accountProjectFilePath(const std::string& path)
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

std::shared_ptr<VornickAccountProjectDocument> VornickAccountProjectDocument::open(const std::string& path, Error* outError)
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
    auto document = std::shared_ptr<VornickAccountProjectDocument>(new VornickAccountProjectDocument(std::move(editor)));
    documents.push_back(document);
    document->start();
    return document;
}

VornickAccountProjectDocument::VornickAccountProjectDocument(std::shared_ptr<VornickProjectEditor> editor)
    : m_projectEditor(std::move(editor))
{
}

VornickAccountProjectDocument::~VornickAccountProjectDocument()
{
    detach();
}

void VornickAccountProjectDocument::start()
{
    std::weak_ptr<VornickAccountProjectDocument> weakThis = weak_from_this();
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

std::shared_ptr<VornickWordPressBlogProject> VornickAccountProjectDocument::project() const
{
    return std::dynamic_pointer_cast<VornickWordPressBlogProject>(m_projectEditor->project());
}

std::shared_ptr<VornickPublishedBlogProject> VornickAccountProjectDocument::publishedBlogProject() const
{
    return m_closed ? nullptr : project();
}

std::u16string VornickAccountProjectDocument::displayName() const
{
    return m_projectEditor->project()->projectFileURL().lastPathComponent();
}

bool VornickAccountProjectDocument::hasBlogs() const
{
    auto blogs = vornick_allEntitiesOfKind(*m_projectEditor->project()->index()->managedObjectContext(), u"Blog");
    return blogs && !blogs->empty();
}

void VornickAccountProjectDocument::projectIndexIsReady()
{
    if (m_closed)
        return;
    if (hasBlogs())
        openEditorsForBlogs();
    else
        openFirstTimeSyncWindow();
    if (syncIntervalInMinutes() >= 1)
        project()->synchronizer().scheduleFirstAutomaticSyncFollowingIndexUpdate();
    // With nothing to show (no blog could open), the project goes.
    m_projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
}

const std::shared_ptr<VornickFirstBlogSyncWindowController>& VornickAccountProjectDocument::openFirstTimeSyncWindow()
{
    if (m_firstSyncWindowController || m_closed)
        return m_firstSyncWindowController;
    m_firstSyncWindowController = std::make_shared<VornickFirstBlogSyncWindowController>(weak_from_this());
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

void VornickAccountProjectDocument::openEditorsForBlogs()
{
    if (m_closed)
        return;
    auto blogs = vornick_allEntitiesOfKind(*m_projectEditor->project()->index()->managedObjectContext(), u"Blog");
    std::vector<std::shared_ptr<VornickWordPressBlog>> wordPressBlogs;
    for (const auto& object : blogs.value_or(ManagedObjects())) {
        if (auto blog = std::dynamic_pointer_cast<VornickWordPressBlog>(object))
            wordPressBlogs.push_back(std::move(blog));
    }
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
}

void VornickAccountProjectDocument::addTitlesToTitleWall(const std::vector<Dictionary>& descriptions)
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

void VornickAccountProjectDocument::blogServiceIntegratorReceivedPostDescriptions(VornickBlogServiceIntegrator&,
    const std::vector<Dictionary>& descriptions, const Dictionary&, int64_t startOffset, bool)
{
    if (!m_firstSyncWindowController)
        return;
    if (startOffset == 0)
        m_firstSyncWindowController->clearTitleWall();
    addTitlesToTitleWall(descriptions);
}

void VornickAccountProjectDocument::blogServiceIntegratorReceivedPageDescriptions(VornickBlogServiceIntegrator&,
    const std::vector<Dictionary>& descriptions, const Dictionary&, int64_t, bool)
{
    if (m_firstSyncWindowController)
        addTitlesToTitleWall(descriptions);
}

bool VornickAccountProjectDocument::blogServiceIntegratorRequestScheduledSendOfPostChanges(VornickBlogServiceIntegrator&,
    const Dictionary& postChanges, const Dictionary& blogDescription, const Value& nativePostIdentifier)
{
    if (m_closed)
        return false;
    return project()->synchronizer().queueSyncToUploadPostChanges(postChanges, blogDescription, nativePostIdentifier);
}

bool VornickAccountProjectDocument::projectEditorShouldCloseWithNoComponentEditors(const VornickProjectEditor&) const
{
    auto project = this->project();
    return !project || !project->synchronizer().currentSyncSession();
}

bool VornickAccountProjectDocument::projectEditorShowsWindows(const VornickProjectEditor&) const
{
    auto window = m_firstSyncWindowController ? m_firstSyncWindowController->window() : nullptr;
    return window && window->isVisible();
}

void VornickAccountProjectDocument::projectEditorDidClose(VornickProjectEditor&)
{
    if (m_closed)
        return;
    m_closed = true;
    detach();
    if (auto handler = std::move(m_didClose))
        handler();
}

void VornickAccountProjectDocument::synchronizerDidSwitchSyncSession(const Notification&)
{
    auto project = this->project();
    if (m_closed || !project || project->synchronizer().currentSyncSession())
        return;
    m_projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
}

void VornickAccountProjectDocument::windowWillClose(const Notification& notification)
{
    auto window = m_firstSyncWindowController ? m_firstSyncWindowController->window() : nullptr;
    if (m_closed || !window || notification.object != static_cast<const Window*>(window.get()))
        return;
    // The window goes after the notification; the project with it, unless
    // another window of it shows or its sync still runs.
    std::weak_ptr<VornickAccountProjectDocument> weakThis = weak_from_this();
    RunLoop::main().perform([weakThis, window] {
        auto document = weakThis.lock();
        if (!document || document->m_closed || !document->m_firstSyncWindowController
            || document->m_firstSyncWindowController->window() != window)
            return;
        document->m_firstSyncWindowController.reset();
        document->m_firstSyncWindowActions.reset();
        document->m_projectEditor->attemptCloseIfNoWindowsShownAndNoComponentEditors();
    });
}

void VornickAccountProjectDocument::detach()
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
}

} // namespace brevanton
