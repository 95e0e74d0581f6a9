// VornickWordPressAccountEditor: a WordPress account project opened to be
// worked on in windows; it has no window of its own. The project opens (and
// is indexed) in its
// VornickProjectEditor, whose own window never shows; once the index is
// ready, on the next turn, the document opens a window per blog through the
// editor's "Blog" opener, cascaded, or, for an account without blogs, the
// first blog sync window, whose sync signs in with the account's stored
// details; then, when "WordPressSyncInterval" is 1 or more and the account
// has blogs (else once its first sync brought them and they open), the
// synchronizer schedules its first automatic sync.
//
// The document is the integrator's delegate: while the first sync window
// shows, the titles of the posts and pages listed rise on its wall, and the
// uploads a session asks for are queued behind it. It takes part in the
// editor's closing rule: the project stays open while a sync session is
// current or the first sync window shows, and closes once neither is true
// and no component editor is open; closing it closes the first sync window,
// cancels the pending automatic sync and lets the integrator go.
//
// An account that never got a blog goes when it closes (its first sync
// window closed, or close()): its sessions are cancelled and waited for,
// then, when it is still blogless and its folder lies directly inside the
// shoebox folder, its folder and index file go to the Trash and its
// password and authorization leave the keychain.
//
// Made with open(); main thread only.
#pragma once

#include "blog/VornickBlogServiceIntegratorDelegate.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "publishing/VornickFirstBlogSyncWindowController.h"
#include "publishing/VornickProjectEditor.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class Responder;
class VornickPublishedBlogPost;
class VornickSyncLogWindowController;
class VornickWordPressBlogProject;
class Window;

class VornickWordPressAccountEditor final : public VornickFirstBlogSyncDocument,
                                            public VornickBlogServiceIntegratorDelegate,
                                            public VornickProjectEditorDelegate,
                                            public std::enable_shared_from_this<VornickWordPressAccountEditor> {
public:
    // The account project file a path names: the file itself, or the one
    // in the folder; none when there is no such file.
    static std::optional<std::string> accountProjectFilePath(const std::string& path);
    // The account project of the folder (or project file) in its project
    // editor, the windows to open on the next turn. Null with an error in
    // words when the path holds no account project or it cannot be read.
    static std::shared_ptr<VornickWordPressAccountEditor> open(const std::string& path, Error*);
    ~VornickWordPressAccountEditor() override;

    VornickWordPressAccountEditor(const VornickWordPressAccountEditor&) = delete;
    VornickWordPressAccountEditor& operator=(const VornickWordPressAccountEditor&) = delete;

    const std::shared_ptr<VornickProjectEditor>& projectEditor() const { return m_projectEditor; }
    std::shared_ptr<VornickWordPressBlogProject> project() const;
    bool isClosed() const { return m_closed; }
    // Called once, after the project closed.
    void setDidCloseHandler(std::function<void()> handler) { m_didClose = std::move(handler); }
    // Called with each window of the document's own as it opens (the first
    // sync window), for the window layer's menus.
    void setWindowOpenedHandler(std::function<void(Window&)> handler) { m_windowOpened = std::move(handler); }

    // What opening does once the index is ready (open() asks for it on the
    // next turn): the blogs' windows or the first sync window, then the
    // first automatic sync.
    void projectIndexIsReady();
    // Whether the account has a blog.
    bool hasBlogs() const;
    // The first sync window, made and shown when none is; it then starts
    // the first sync.
    const std::shared_ptr<VornickFirstBlogSyncWindowController>& openFirstTimeSyncWindow();
    const std::shared_ptr<VornickFirstBlogSyncWindowController>& firstBlogSyncWindowController() const { return m_firstSyncWindowController; }
    // What makes the first sync window's controller (not yet loaded), its
    // login half among others; without one the window signs in with the
    // account's stored details. Set before the window opens.
    using FirstBlogSyncWindowControllerMaker
        = std::function<std::shared_ptr<VornickFirstBlogSyncWindowController>(std::weak_ptr<VornickFirstBlogSyncDocument>)>;
    void setFirstBlogSyncWindowControllerMaker(FirstBlogSyncWindowControllerMaker maker) { m_makeFirstSyncWindowController = std::move(maker); }

    // Marks the post for the next sync while working offline (the mark
    // saved with the post's file and the index), else queues a sync that
    // uploads it. False with the error when nothing was marked or queued.
    [[nodiscard]] bool requestPublicationOfChangesToPost(VornickPublishedBlogPost&, Error*);
    // Keeps the application's known blogs current: each blog of the account
    // with a file is known by it, titled with the blog's name (the list is
    // written to the defaults when a title changed or a blog was added).
    // Done when the account opens and when a sync lists its blogs.
    void updateKnownBlogReferencesForThisProject();
    // The addresses of the account's published posts, for URL completion.
    std::vector<std::u16string> vornick_URLStringsForCompletion() const;

    // Closes the project once its sessions, cancelled here, have ended (at
    // once when none runs), whatever windows show.
    void close();

    // --- The first sync window's document
    std::shared_ptr<VornickPublishedBlogProject> publishedBlogProject() const override;
    std::u16string displayName() const override;
    // A window per blog, cascaded; one that cannot open is logged. Once a
    // blog's window shows, the first sync window is ordered out.
    void openEditorsForBlogs() override;
    // The account's sync log in its window, made on first use, brought to
    // the front as the key window.
    void showSyncLog() override;
    const std::shared_ptr<VornickSyncLogWindowController>& syncLogWindowController() const { return m_syncLogWindowController; }

    // --- The integrator's delegate
    void blogServiceIntegratorReceivedBlogDescriptions(VornickBlogServiceIntegrator&, const std::vector<Dictionary>&) override;
    void blogServiceIntegratorReceivedPostDescriptions(VornickBlogServiceIntegrator&, const std::vector<Dictionary>&, const Dictionary&,
                                                       int64_t startOffset, bool couldBeMore) override;
    void blogServiceIntegratorReceivedPageDescriptions(VornickBlogServiceIntegrator&, const std::vector<Dictionary>&, const Dictionary&,
                                                       int64_t startOffset, bool couldBeMore) override;
    bool blogServiceIntegratorRequestScheduledSendOfPostChanges(VornickBlogServiceIntegrator&, const Dictionary& postChanges,
                                                                const Dictionary& blogDescription, const Value& nativePostIdentifier) override;

    // --- The project editor's delegate
    bool projectEditorShouldCloseWithNoComponentEditors(const VornickProjectEditor&) const override;
    bool projectEditorShowsWindows(const VornickProjectEditor&) const override;
    void projectEditorDidClose(VornickProjectEditor&) override;
    void projectEditorShowSyncLog(VornickProjectEditor&) override { showSyncLog(); }

private:
    explicit VornickWordPressAccountEditor(std::shared_ptr<VornickProjectEditor>);
    void start();
    void addTitlesToTitleWall(const std::vector<Dictionary>&);
    void synchronizerDidSwitchSyncSession(const Notification&);
    void windowWillClose(const Notification&);
    // Drops what the document holds of the project and the window layer.
    void detach();
    // After the project closed: a blogless account in the shoebox goes.
    void discardIfBloglessInShoebox();

    std::shared_ptr<VornickProjectEditor> m_projectEditor;
    std::shared_ptr<VornickFirstBlogSyncWindowController> m_firstSyncWindowController;
    // The first sync window's delegate: Close.
    std::shared_ptr<Responder> m_firstSyncWindowActions;
    std::shared_ptr<VornickSyncLogWindowController> m_syncLogWindowController;
    ObserverToken m_switchObserver;
    ObserverToken m_windowCloseObserver;
    std::function<void()> m_didClose;
    std::function<void(Window&)> m_windowOpened;
    FirstBlogSyncWindowControllerMaker m_makeFirstSyncWindowController;
    bool m_closed { false };
    bool m_closeRequested { false };
};

} // namespace brevanton
