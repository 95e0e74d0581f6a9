// VornickProjectEditor: the open document of an account project. There is one
// per project file in the process, and every window of the project's blogs
// and posts goes through it: opening a component whose editor is open brings
// that editor forward instead of opening a second one. The editor of a kind
// of component (by its entity, "Blog" or "BlogPost") comes from the opener
// registered for that kind; the window layer registers its windows.
//
// The project editor's own window is never shown. When no component editor
// of the project is left and none of its windows shows, the project editor
// closes on the next turn and leaves the list of open projects, so the next
// open reads the project again. Closing saves no component: each window saves
// what it keeps, and what a window discarded ("Don't Save") goes with the
// project. The project file's own settings (the account's address, login,
// protocol, limits), once changed in the editor, are saved when it closes.
// The document that shows the project in windows of its own (the account's
// first sync window) takes part in that rule as the editor's delegate.
// Main thread.
#pragma once

#include "documents/VornickProjectOrComponentEditor.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brevanton {

class VornickProject;
class VornickProjectComponent;
class VornickProjectComponentEditor;
class VornickProjectEditor;
class VornickProjectIndexingProgress;

// The closing rule's part of the document that shows an open project; the
// defaults let the project close.
class VornickProjectEditorDelegate {
public:
    virtual ~VornickProjectEditorDelegate() = default;
    // Whether the project may close once no component editor is open (not
    // while its account syncs, for one).
    virtual bool projectEditorShouldCloseWithNoComponentEditors(const VornickProjectEditor&) const { return true; }
    // Whether a window of the document's own shows.
    virtual bool projectEditorShowsWindows(const VornickProjectEditor&) const { return false; }
    // The project editor closed (and left the open projects).
    virtual void projectEditorDidClose(VornickProjectEditor&) { }
    // Shows the project's sync log (the document that has one).
    virtual void projectEditorShowSyncLog(VornickProjectEditor&) { }
};

class VornickProjectEditor : public VornickProjectOrComponentEditor, public std::enable_shared_from_this<VornickProjectEditor> {
public:
    // Posted with the editor as object when its change count changed, for
    // the windows that show whether the project has unsaved settings.
    static constexpr const char* DidChangeNotification = "VornickProjectEditorDidChangeNotification";

    using ComponentEditorOpener = std::function<std::shared_ptr<VornickProjectComponentEditor>(
        VornickProjectEditor&, const std::shared_ptr<VornickProjectComponent>&, Error*)>;
    // Registers (or, with an empty function, removes) the opener of the
    // components of an entity.
    static void setComponentEditorOpener(const std::u16string& entityName, ComponentEditorOpener);

    // The editor of the WordPress account project whose project file this
    // is: the open one, else the project read from its file. Null with the
    // error when it cannot be read.
    static std::shared_ptr<VornickProjectEditor> openProjectFileURL(const URL& projectFileURL, Error*);
    // The open editor of an open project.
    static std::shared_ptr<VornickProjectEditor> projectEditorForProject(const std::shared_ptr<VornickProject>&);
    // The open project editor whose project's folder holds the file, or none.
    static std::shared_ptr<VornickProjectEditor> projectEditorForComponentSourceFileURL(const URL&);
    static std::vector<std::shared_ptr<VornickProjectEditor>> openProjectEditors();
    // What shows the project's indexing.
    VornickProjectIndexingProgress* indexingProgress() const { return m_indexingProgress.get(); }

    ~VornickProjectEditor() override;

    const std::shared_ptr<VornickProject>& project() const { return m_project; }
    bool isClosed() const { return m_closed; }

    // The component's open editor brought forward, else a new one from the
    // opener of its entity. Null with the error when none can be made.
    std::shared_ptr<VornickProjectComponentEditor> openEditorForComponent(const std::shared_ptr<VornickProjectComponent>&, Error*);
    std::vector<std::shared_ptr<VornickProjectComponentEditor>> componentEditors() const;

    // Whether the project closes once its last component editor has: the
    // delegate's answer, yes without one.
    virtual bool shouldCloseProjectEditorWithNoComponentEditors() const;
    // The delegate is held weakly and told once when the editor closes.
    void setDelegate(std::weak_ptr<VornickProjectEditorDelegate> delegate) { m_delegate = std::move(delegate); }
    std::shared_ptr<VornickProjectEditorDelegate> delegate() const { return m_delegate.lock(); }
    // Closes on the next turn when no component editor is open, closing is
    // wanted and no window of the project shows.
    void attemptCloseIfNoWindowsShownAndNoComponentEditors();
    // The project file's settings were changed (the login panel's edits).
    void updateChangeCount();
    bool isDocumentEdited() const { return m_changeCount != 0; }
    // Saves the project file when its settings changed since the last save.
    [[nodiscard]] bool saveProjectIfEdited(Error*);
    // Saves the edited project file (a failure is logged), then leaves the
    // open projects, the components' unsaved changes and all.
    void close();
    // Shows the project's sync log through the delegate; nothing without one.
    void showSyncLog();

private:
    friend class VornickProjectEditorTestPeer;
    explicit VornickProjectEditor(std::shared_ptr<VornickProject>);
    static std::vector<std::shared_ptr<VornickProjectEditor>>& openEditors();
    bool canCloseNow() const;

    std::shared_ptr<VornickProject> m_project;
    std::weak_ptr<VornickProjectEditorDelegate> m_delegate;
    std::unique_ptr<VornickProjectIndexingProgress> m_indexingProgress;
    int64_t m_changeCount { 0 };
    bool m_closed { false };
};

} // namespace brevanton
