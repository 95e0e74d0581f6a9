#include "shell/VornickApplicationShell.h"

#include "app/VornickApplicationDelegate.h"
#include "app/VornickWindow.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickFragmentSetPicker.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Window.h"
#include "platform/views/FontMetrics.h"
#include "platform/views/qt/QtFontMetricsProvider.h"
#include "platform/views/qt/QtRunLoopPump.h"
#include "platform/views/qt/QtWindowBackend.h"
#include "publishing/VornickFirstBlogSyncLoginUI.h"
#include "publishing/VornickProjectEditor.h"
#include "publishing/VornickWordPressAccountEditor.h"
#include "shell/VornickBlogPostWindow.h"
#include "shell/VornickDocumentWindowActions.h"
#include "shell/VornickEditorWindow.h"
#include "shell/VornickErrorAlert.h"
#include "shell/VornickMainMenu.h"
#include "snippets/VornickFragmentSetEditor.h"
#include "app/VornickPreferencesController.h"
#include "toolkit/VornickLog.h"
#include "ui/AboutPanelController.h"
#include "ui/VornickLogWindowController.h"
#include "wordpress/VornickWordPressBlogProject.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace brevanton {

namespace {

// The caret (or the selection's bounds) of the editing view the first
// responder is in, in the window's base coordinates.
std::optional<Rect> caretRectangleOfFirstResponder(const Window& window)
{
    for (auto view = std::dynamic_pointer_cast<View>(window.firstResponder()); view; view = view->superview()) {
        auto editingView = std::dynamic_pointer_cast<VornickContentEditingView>(view);
        if (!editingView)
            continue;
        auto range = editingView->effectiveOperationRange();
        if (!range)
            return std::nullopt;
        return editingView->convertRectToView(editingView->vornick_bestGuessBoundsOfRange(*range), nullptr);
    }
    return std::nullopt;
}

} // namespace

VornickApplicationShell::VornickApplicationShell(int& argc, char** argv)
{
    if (!QApplication::instance())
        m_ownApplication = std::make_unique<QApplication>(argc, argv);
    // Our windows close by ordering out; the shell quits when its last one did.
    QApplication::setQuitOnLastWindowClosed(false);
    m_backend = std::make_unique<QtWindowBackend>();
    // Pages and controls are measured with the fonts the windows draw with.
    installQtFontMetricsProvider();
    m_backend->setEventDeliveredHandler([] { RunLoop::main().runOnce(0); });
    m_backend->setCaretRectangleQuery(&caretRectangleOfFirstResponder);
    m_pump = std::make_unique<QtRunLoopPump>();
    m_mainMenu = makeMainMenu();
    Application::shared().setMainMenu(m_mainMenu);
    m_closeObservation = NotificationCenter::defaultCenter().addObserver(
        Window::WillCloseNotification, nullptr, nullptr, [this](const Notification& notification) { editorWindowWillClose(notification); });
    // A window that stays after its question about unsaved changes ends the Quit.
    m_closeCancelledObservation = NotificationCenter::defaultCenter().addObserver(
        VornickDocumentWindowActions::CloseCancelledNotification, nullptr, nullptr, [this](const Notification&) { m_quitting = false; });
    m_keyWindowObservation = NotificationCenter::defaultCenter().addObserver(
        Window::DidBecomeKeyNotification, nullptr, nullptr, [this](const Notification& notification) {
            auto* window = static_cast<const Window*>(notification.object);
            VornickShowMainMenuForKeyWindow(*m_mainMenu, window);
            if (window)
                VornickSynchronizeMenuBarOfWindow(*this, *window);
        });
    VornickInstallApplicationShellBridges(*this);
    // Posts opened from a blog window live as long as their windows.
    VornickBlogPostWindow::registerPostOpener([this](const std::shared_ptr<VornickBlogPostWindow>& editor) { keepBlogPostWindow(editor); });
    VornickRegisterAccountProjectComponentEditorOpeners();
    // The snippet set pickers open their sets in the snippet set editor.
    VornickFragmentSetPicker::setEditorOpener([](const std::shared_ptr<VornickFragmentSet>& fragmentSet) {
        VornickFragmentSetEditor::openEditorForFragmentSet(fragmentSet);
    });
}

VornickApplicationShell::~VornickApplicationShell()
{
    m_closeObservation.reset();
    m_closeCancelledObservation.reset();
    m_keyWindowObservation.reset();
    m_preferencesController.reset();
    m_logWindowController.reset();
    m_aboutPanelController.reset();
    VornickBlogPostWindow::registerPostOpener(nullptr);
    VornickFragmentSetPicker::setEditorOpener(nullptr);
    VornickFragmentSetEditor::closeAllEditors();
    m_editorWindows.clear();
    m_blogPostWindows.clear();
    // Their windows close with them; their projects with the others below.
    for (auto& document : m_accountProjects)
        document->setDidCloseHandler(nullptr);
    m_accountProjects.clear();
    // The projects of the windows close with the application.
    for (auto& projectEditor : VornickProjectEditor::openProjectEditors())
        projectEditor->close();
    if (Application::shared().mainMenu() == m_mainMenu)
        Application::shared().setMainMenu(nullptr);
    m_pump.reset();
    m_backend.reset();
    FontMetricsProvider::setCurrent(nullptr);
}

std::shared_ptr<Menu> VornickApplicationShell::makeMainMenu()
{
    // Open, Preferences and Quit are the shell's own: they work from any window.
    m_openResponder = std::make_shared<Responder>();
    m_openResponder->setActionHandler("newWordPressAccount:", [this](ActionSender*) {
        Error error;
        if (newWordPressAccount(&error))
            return;
        std::fprintf(stderr, "brevanton: %s\n", toUTF8(VornickUserDescriptionOfError(error)).c_str());
        auto alert = VornickAlertForError(u"A new WordPress account could not be made.", error);
        alert->runModal();
    });
    m_openResponder->setActionHandler("openDocument:", [this](ActionSender*) { chooseFileToOpen(); });
    m_openResponder->setActionHandler("showPreferences:", [this](ActionSender*) { showPreferences(); });
    m_openResponder->setActionHandler("terminate:", [this](ActionSender*) {
        m_quitting = true;
        closeAllWindows();
    });
    m_openResponder->setActionHandler("showGeneralLog:", [this](ActionSender*) { showGeneralLog(); });
    m_openResponder->setActionHandler("orderFrontStandardAboutPanel:", [this](ActionSender*) { showAboutPanel(); });
    return VornickMakeMainMenu(m_openResponder);
}

const std::shared_ptr<VornickPreferencesController>& VornickApplicationShell::preferencesController()
{
    // The application delegate's, when there is one.
    if (auto delegate = VornickApplicationDelegate::shared())
        return delegate->preferencesController();
    if (!m_preferencesController)
        m_preferencesController = VornickPreferencesController::create();
    return m_preferencesController;
}

void VornickApplicationShell::showPreferences()
{
    preferencesController()->showPreferencesWindow();
}

const std::shared_ptr<VornickLogWindowController>& VornickApplicationShell::logWindowController()
{
    if (!m_logWindowController) {
        m_logWindowController = VornickLogWindowController::create();
        m_logWindowController->setLog(VornickLog::generalLog().shared_from_this());
        VornickInstallDocumentWindowBridges(*this, *m_logWindowController->window());
    }
    return m_logWindowController;
}

void VornickApplicationShell::showGeneralLog()
{
    logWindowController()->showWindow();
}

const std::shared_ptr<AboutPanelController>& VornickApplicationShell::aboutPanelController()
{
    if (!m_aboutPanelController) {
        m_aboutPanelController = AboutPanelController::create();
        VornickInstallDocumentWindowBridges(*this, *m_aboutPanelController->window());
    }
    return m_aboutPanelController;
}

void VornickApplicationShell::showAboutPanel()
{
    aboutPanelController()->showWindow();
}

void VornickApplicationShell::closeAllWindows()
{
    // Each window asks about its own changes; one that stays ends the round
    // (its question is up): when it then closes the round goes on, and a
    // Cancel ends the Quit.
    for (auto& editor : std::vector(m_editorWindows)) {
        editor->window()->performClose();
        if (editor->window()->isVisible())
            return;
    }
    for (auto& editor : std::vector(m_blogPostWindows)) {
        editor->window()->performClose();
        if (editor->window()->isVisible())
            return;
    }
    // The windows of account projects: their blogs', the posts opened from
    // them, the first sync window.
    if (m_accountProjects.empty())
        return;
    for (auto& window : Application::shared().orderedWindows()) {
        if (!window->isVisible())
            continue;
        window->performClose();
        if (window->isVisible())
            return;
    }
}

std::shared_ptr<VornickEditorWindow> VornickApplicationShell::openFile(const std::string& path, Error* outError)
{
    // The new window cascades from the frontmost document window.
    auto front = frontEditorWindow();
    auto editor = VornickEditorWindow::open(path, outError, front ? front->window().get() : nullptr);
    if (editor) {
        m_editorWindows.push_back(editor);
        VornickInstallEditorWindowBridges(*this, *editor);
    }
    return editor;
}

std::shared_ptr<VornickBlogPostWindow> VornickApplicationShell::openBlogPostFile(const std::string& path, Error* outError)
{
    Window* front = nullptr;
    for (const auto& window : Application::shared().orderedWindows()) {
        if (window->isVisible()) {
            front = window.get();
            break;
        }
    }
    auto editor = VornickBlogPostWindow::open(path, outError, front);
    if (editor)
        keepBlogPostWindow(editor);
    return editor;
}

std::shared_ptr<VornickWordPressAccountEditor> VornickApplicationShell::openAccountProject(const std::string& path, Error* outError)
{
    auto document = VornickWordPressAccountEditor::open(path, outError);
    if (!document || std::find(m_accountProjects.begin(), m_accountProjects.end(), document) != m_accountProjects.end())
        return document;
    document->setWindowOpenedHandler([this](Window& window) { VornickInstallDocumentWindowBridges(*this, window); });
    // An account without blogs opens its first sync window with the login
    // panel, its stored details filled in: the user signs in, as for a new one.
    document->setFirstBlogSyncWindowControllerMaker(&VornickFirstBlogSyncLoginUI::createWindowController);
    document->setDidCloseHandler([this, closed = document.get()] { accountProjectDidClose(*closed); });
    m_accountProjects.push_back(document);
    return document;
}

std::shared_ptr<VornickWordPressAccountEditor> VornickApplicationShell::newWordPressAccount(Error* outError)
{
    auto project = VornickWordPressBlogProject::createShoeboxedWordPressBlogProject(outError);
    if (!project)
        return nullptr;
    auto path = project->projectFileURL().fileSystemPath();
    // Saved, the project opens from its file like any other.
    project.reset();
    return path ? openAccountProject(*path, outError) : nullptr;
}

void VornickApplicationShell::accountProjectDidClose(const VornickWordPressAccountEditor& document)
{
    auto found = std::find_if(m_accountProjects.begin(), m_accountProjects.end(), [&](auto& open) { return open.get() == &document; });
    if (found == m_accountProjects.end())
        return;
    // The document goes on the next turn, after the call that closed it.
    auto closing = *found;
    m_accountProjects.erase(found);
    RunLoop::main().perform([closing] {});
    exitIfNoWindowIsLeft();
    continueQuitting();
}

void VornickApplicationShell::keepBlogPostWindow(const std::shared_ptr<VornickBlogPostWindow>& editor)
{
    if (std::find(m_blogPostWindows.begin(), m_blogPostWindows.end(), editor) != m_blogPostWindows.end())
        return;
    m_blogPostWindows.push_back(editor);
    VornickInstallDocumentWindowBridges(*this, *editor->window());
}

bool VornickApplicationShell::openDocument(const std::string& path, Error* outError)
{
    std::error_code error;
    if (std::filesystem::is_directory(path, error) || VornickWordPressAccountEditor::accountProjectFilePath(path))
        return openAccountProject(path, outError) != nullptr;
    if (VornickBlogPostWindow::isBlogPostPath(path))
        return openBlogPostFile(path, outError) != nullptr;
    return openFile(path, outError) != nullptr;
}

std::shared_ptr<VornickEditorWindow> VornickApplicationShell::frontEditorWindow() const
{
    for (const auto& window : Application::shared().orderedWindows()) {
        for (const auto& editor : m_editorWindows) {
            if (editor->window() == window)
                return editor;
        }
    }
    return nullptr;
}

void VornickApplicationShell::chooseFileToOpen()
{
    QtOpenPanelRequest request;
    // The pages a window edits, and WordPress posts.
    request.allowedFileTypes = { u"html", u"htm", u"xhtml", u"xht", u"shtml", u"shtm", u"brevantonwordpresspost" };
    request.window = Application::shared().keyWindow();
    // The panel starts in the folder of the document in front.
    if (auto front = frontEditorWindow())
        request.directoryURL = URL::fileURLWithPath(std::filesystem::path(front->path()).parent_path().string(), true);
    auto panel = m_openPanel ? m_openPanel : OpenPanel(&runQtOpenPanel);
    std::weak_ptr<Responder> alive = m_openResponder;
    panel(request, [this, alive](std::optional<URL> chosen) {
        if (!chosen || !alive.lock())
            return;
        (void)openDocumentTellingUser(chosen->fileSystemPath().value_or(toUTF8(chosen->path())));
    });
}

bool VornickApplicationShell::openDocumentTellingUser(const std::string& path)
{
    Error error;
    if (openDocument(path, &error))
        return true;
    std::fprintf(stderr, "brevanton: %s: %s\n", path.c_str(), toUTF8(VornickUserDescriptionOfError(error)).c_str());
    std::u16string name = toUTF16(std::filesystem::path(path).filename().string());
    auto alert = VornickAlertForError(u"The document \u201C" + name + u"\u201D could not be opened.", error);
    alert->runModal();
    return false;
}

void VornickApplicationShell::editorWindowWillClose(const Notification& notification)
{
    auto isClosing = [&](auto& editor) { return static_cast<const Window*>(editor->window().get()) == notification.object; };
    auto found = std::find_if(m_editorWindows.begin(), m_editorWindows.end(), isClosing);
    auto foundPost = std::find_if(m_blogPostWindows.begin(), m_blogPostWindows.end(), isClosing);
    if (found != m_editorWindows.end()) {
        // The editor goes after the notification, on the next turn.
        auto closing = *found;
        m_editorWindows.erase(found);
        RunLoop::main().perform([closing] {});
    } else if (foundPost != m_blogPostWindows.end()) {
        auto closing = *foundPost;
        m_blogPostWindows.erase(foundPost);
        closing->windowWillClose();
        RunLoop::main().perform([closing] {});
    } else {
        return;
    }
    exitIfNoWindowIsLeft();
    continueQuitting();
}

void VornickApplicationShell::continueQuitting()
{
    // A window answered its question and closed: the Quit goes on with the
    // others, on the next turn, once the closing is done.
    if (!m_quitting)
        return;
    RunLoop::main().perform([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock() && m_quitting)
            closeAllWindows();
    });
}

void VornickApplicationShell::exitIfNoWindowIsLeft()
{
    // Ends the loop at once: quit() would first ask every Qt window to
    // close, which the closing window's widget (still shown) refuses.
    if (!hasOpenWindows())
        QCoreApplication::exit(0);
}

bool VornickApplicationShell::hasOpenWindows() const
{
    if (!m_editorWindows.empty() || !m_blogPostWindows.empty() || !m_accountProjects.empty())
        return true;
    for (const auto& projectEditor : VornickProjectEditor::openProjectEditors()) {
        if (!projectEditor->componentEditors().empty())
            return true;
    }
    return false;
}

int VornickApplicationShell::run()
{
    if (!hasOpenWindows())
        return 0;
    return QApplication::exec();
}

} // namespace brevanton
