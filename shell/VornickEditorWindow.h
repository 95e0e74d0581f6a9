// VornickEditorWindow: a document window of the application shell. It shows
// the file in a content editing view with the syntax-coloured source the
// editor writes beside it (the source loupe's pane), in a split view. The
// window's delegate performs "saveDocument:" (the editing view's own write,
// as saving in the editor does), "undo:" and "redo:" (the window's undo
// manager; their menu items are enabled only when there is a step to undo or
// redo) and "performClose:". The document is edited exactly while it differs
// from its file, as its undo position tells (VornickDocumentEditedState): the
// editing view and the window are marked so, and the window system shows the
// mark with the title. A document with changes not yet saved asks, in a
// sheet, whether to save them before its window closes (Save, Cancel, Don't
// Save).
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "shell/VornickDocumentEditedState.h"

#include <memory>
#include <string>

namespace brevanton {

class Alert;
class Responder;
class SplitView;
class View;
class VornickContentEditingView;
class VornickWindow;
class Window;

class VornickEditorWindow : public std::enable_shared_from_this<VornickEditorWindow> {
public:
    // The window, ordered front and key, with the file loaded (a file that
    // cannot be read is reported through the error and gives null). It is
    // as large as the screen's visible frame allows, up to 1280 by 800; the
    // first is 60 points in from the visible frame's top-left corner, a
    // window opened while another shows is cascaded from that one
    // (Window::cascadeTopLeftFromPoint).
    static std::shared_ptr<VornickEditorWindow> open(const std::string& path, Error*, Window* cascadeFrom = nullptr);
    ~VornickEditorWindow();

    const std::string& path() const { return m_path; }
    const std::shared_ptr<VornickWindow>& window() const { return m_window; }
    const std::shared_ptr<VornickContentEditingView>& editingView() const { return m_editingView; }
    const std::shared_ptr<SplitView>& splitView() const { return m_splitView; }
    // The pane with the source.
    std::shared_ptr<View> sourcePane() const;

    // Writes the document to its file; false with the first error, and
    // nothing changed. A save clears the edited marks: the file holds the
    // document as it stands.
    [[nodiscard]] bool save(Error*);

private:
    VornickEditorWindow() = default;
    void installFocusHook();
    void showPaintedSourceWhenReady();
    void installActions();
    // True when the window may close now; otherwise asks whether to save.
    bool askToSaveBeforeClosing();
    bool saveReportingFailure();
    void observeEditedState();
    // Where the document stands now, against its file.
    void updateEditedState(bool saved);

    std::string m_path;
    std::shared_ptr<VornickWindow> m_window;
    std::shared_ptr<VornickContentEditingView> m_editingView;
    std::shared_ptr<SplitView> m_splitView;
    // The window's delegate, which answers the actions above.
    std::shared_ptr<Responder> m_actions;
    ScopedTimer m_sourcePaintWait;
    ObserverToken m_contentChangeObservation;
    ObserverToken m_undoGroupObservation;
    ObserverToken m_undoObservation;
    ObserverToken m_redoObservation;
    VornickDocumentEditedState m_editedState;
    std::shared_ptr<Alert> m_closeAlert;
};

} // namespace brevanton
