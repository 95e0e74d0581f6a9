// VornickApplicationShell: the editor with windows, on the Qt backend. It
// makes the QApplication (unless one exists), installs the window backend
// (one native widget per window), runs the main RunLoop inside Qt's event
// loop (QtRunLoopPump), puts up the main menu of the commands a document
// window performs, and opens files in VornickEditorWindows (also those the
// user chooses with File > Open). run() returns when the last of its windows
// closed.
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/views/qt/QtPanels.h"

#include <functional>

#include <memory>
#include <string>
#include <vector>

class QApplication;

namespace brevanton {

class AboutPanelController;
class Menu;
class Responder;
class QtRunLoopPump;
class QtWindowBackend;
class VornickBlogPostWindow;
class VornickEditorWindow;
class VornickLogWindowController;
class VornickPreferencesController;
class VornickProjectEditor;
class VornickWordPressAccountEditor;
class Window;

class VornickApplicationShell {
public:
    // `argc` and `argv` must outlive the shell (Qt keeps them).
    VornickApplicationShell(int& argc, char** argv);
    ~VornickApplicationShell();
    VornickApplicationShell(const VornickApplicationShell&) = delete;
    VornickApplicationShell& operator=(const VornickApplicationShell&) = delete;

    // A window for the file; null (with the error) when it cannot be read.
    std::shared_ptr<VornickEditorWindow> openFile(const std::string& path, Error*);
    const std::vector<std::shared_ptr<VornickEditorWindow>>& editorWindows() const { return m_editorWindows; }
    // The document window in front of the others, or null.
    std::shared_ptr<VornickEditorWindow> frontEditorWindow() const;
    // A window for the WordPress post file; null (with the error) when no
    // account project around it holds the post.
    std::shared_ptr<VornickBlogPostWindow> openBlogPostFile(const std::string& path, Error*);
    const std::vector<std::shared_ptr<VornickBlogPostWindow>>& blogPostWindows() const { return m_blogPostWindows; }
    // The WordPress account project of the folder (or of its project file),
    // its windows opening on the next turn: the blogs', or the first sync
    // window. The project is the shell's until it closed. Null with an
    // error in words when the path holds no account project.
    std::shared_ptr<VornickWordPressAccountEditor> openAccountProject(const std::string& path, Error*);
    const std::vector<std::shared_ptr<VornickWordPressAccountEditor>>& accountProjects() const { return m_accountProjects; }
    // File > New WordPress Account…: a new account project in the shoebox
    // folder, its first sync window (with the login panel) opening on the
    // next turn. Null with the error when it cannot be made; the user is
    // told by an alert, the program's output and the console.
    std::shared_ptr<VornickWordPressAccountEditor> newWordPressAccount(Error*);
    // Keeps a post window opened elsewhere (a blog window's Open) until it closes.
    void keepBlogPostWindow(const std::shared_ptr<VornickBlogPostWindow>&);
    // A window for a file of any kind, chosen by its name (a folder is an
    // account project); false with the error.
    [[nodiscard]] bool openDocument(const std::string& path, Error*);
    // The same, the way the user asks for it (a file given to the program,
    // or chosen in File > Open): a file that cannot be opened is told in
    // an alert, in words, and on the terminal; false then.
    bool openDocumentTellingUser(const std::string& path);
    // Editor and post windows, open account projects, and the windows of the
    // open projects' components (blog windows).
    bool hasOpenWindows() const;

    QtWindowBackend& backend() const { return *m_backend; }
    QtRunLoopPump& pump() const { return *m_pump; }
    // The editor's commands (VornickMainMenu.h).
    const std::shared_ptr<Menu>& mainMenu() const { return m_mainMenu; }
    // What File > Open asks for the file to open (runQtOpenPanel unless set).
    using OpenPanel = std::function<void(const QtOpenPanelRequest&, std::function<void(std::optional<URL>)>)>;
    void setOpenPanel(OpenPanel panel) { m_openPanel = std::move(panel); }

    // The preferences window's controller, made on first use (File >
    // Preferences…, Command-comma, shows its window).
    const std::shared_ptr<VornickPreferencesController>& preferencesController();
    void showPreferences();
    // Help > General Log: the general log's window, made on first use.
    const std::shared_ptr<VornickLogWindowController>& logWindowController();
    void showGeneralLog();
    // Help > About Brevanton.
    const std::shared_ptr<AboutPanelController>& aboutPanelController();
    void showAboutPanel();

    // Runs Qt's event loop until no document window is left open; answers Qt's exit code.
    int run();

private:
    std::shared_ptr<Menu> makeMainMenu();
    void chooseFileToOpen();
    // Quit: closes the windows one by one, each asking about its changes.
    void closeAllWindows();
    void editorWindowWillClose(const Notification&);
    void accountProjectDidClose(const VornickWordPressAccountEditor&);
    // Quits once no window is left.
    void exitIfNoWindowIsLeft();
    // During a Quit, closes the windows left after one closed.
    void continueQuitting();

    std::unique_ptr<QApplication> m_ownApplication;
    std::unique_ptr<QtWindowBackend> m_backend;
    std::unique_ptr<QtRunLoopPump> m_pump;
    std::shared_ptr<Menu> m_mainMenu;
    // The target of File > Open and Quit.
    std::shared_ptr<Responder> m_openResponder;
    OpenPanel m_openPanel;
    std::shared_ptr<VornickPreferencesController> m_preferencesController;
    std::shared_ptr<VornickLogWindowController> m_logWindowController;
    std::shared_ptr<AboutPanelController> m_aboutPanelController;
    std::vector<std::shared_ptr<VornickEditorWindow>> m_editorWindows;
    std::vector<std::shared_ptr<VornickBlogPostWindow>> m_blogPostWindows;
    std::vector<std::shared_ptr<VornickWordPressAccountEditor>> m_accountProjects;
    ObserverToken m_closeObservation;
    // The main menu follows the key window (a blog window's Blog menu).
    ObserverToken m_keyWindowObservation;
    ObserverToken m_closeCancelledObservation;
    // Quit was chosen and no window's question was cancelled since.
    bool m_quitting { false };
    // Work the shell leaves on the run loop finds it gone once it is destroyed.
    std::shared_ptr<bool> m_alive { std::make_shared<bool>(true) };
};

// What the shell hands to the platform bridges (the menu bar from the main
// menu, the clipboard for the general pasteboard, native file dialogs and
// message boxes). Called once by the shell after it made its main menu and
// before it opens windows.
void VornickInstallApplicationShellBridges(VornickApplicationShell&);
// The bridges of one document window (its menu bar); called by openFile.
void VornickInstallEditorWindowBridges(VornickApplicationShell&, VornickEditorWindow&);
// The same for any window that shows the menus (a post's, a blog's, the
// preferences', a log's); every such window gets its bar when its widget is
// made. A window that has its bar already has it synchronized.
void VornickInstallDocumentWindowBridges(VornickApplicationShell&, Window&);
// Brings the window's bar (when it has one) up to the main menu's items.
void VornickSynchronizeMenuBarOfWindow(VornickApplicationShell&, const Window&);
// Registers the openers of the windows of an account project's components
// that the post window does not (the blog window's) with its project editor.
void VornickRegisterAccountProjectComponentEditorOpeners();
// Gives the view layer's screen the display's size and visible frame (less
// a menu bar's height at the top), against which windows are placed. Called
// by the window program once the shell is made; tests keep the usual screen.
void VornickAdoptDisplayScreenGeometry();

} // namespace brevanton
