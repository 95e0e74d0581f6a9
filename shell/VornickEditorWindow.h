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
// Save). Save As… asks for a new name in a save panel, writes the document
// there and goes on with the new file; Revert to Saved asks, then loads the
// file again. A save the file refuses because another program changed it
// offers Save As…, Revert (discarding the edits) or Overwrite (confirmed).
// Failures are told in words (VornickErrorAlert.h).
//
// Its toolbar holds the main style sheet, snippet set and HTML formatting
// pickers, whose delegate the window is: a choice is one undo step
// (VornickEditorWindowPickers.cpp); the snippet set picker's edit button
// opens the document's set in the snippet set editor, where new snippets
// made from the selection go too. At the toolbar's right end, the document
// action button emails the page (VornickEditorWindowEmail.cpp).
#pragma once

#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "editing/VornickContentEditingViewDelegate.h"
#include "editing/VornickObjectPicker.h"
#include "editing/VornickSingleHTMLFileDocument.h"
#include "platform/views/Alert.h"
#include "platform/views/Toolbar.h"
#include "shell/VornickDocumentEditedState.h"
#include "shell/VornickDocumentWindowActions.h"

#include <functional>
#include <memory>
#include <string>

namespace brevanton {

class Responder;
class SplitView;
class View;
class VornickContentEditingView;
class VornickSingleHTMLFileFormattingPreferencesPopoverUIController;
class VornickSingleHTMLFileFormattingPreferencesSheetController;
class VornickDocumentActionButtonCell;
class VornickToolbarItemViews;
class VornickWindow;
class Window;

class VornickEditorWindow : public std::enable_shared_from_this<VornickEditorWindow>,
                            public VornickSingleHTMLFileDocument,
                            public VornickObjectPickerDelegate,
                            public VornickContentEditingViewDelegate,
                            public ToolbarDelegate,
                            public VornickDocumentWindowClient {
public:
    // The identifier of the window's toolbar.
    static constexpr const char16_t* toolbarIdentifier = u"VornickEditorWindowToolbar";

    // The window, ordered front and key, with the file loaded. A file that
    // cannot be read, one no editing view edits (only HTML and XHTML files
    // are, which are also what saving writes) and an XHTML file that is not
    // well-formed (the parser's message names the line and column) open no
    // window: null, and the error says why. It is
    // as large as the screen's visible frame allows, up to 1280 by 800; the
    // first is 60 points in from the visible frame's top-left corner, a
    // window opened while another shows is cascaded from that one
    // (Window::cascadeTopLeftFromPoint).
    static std::shared_ptr<VornickEditorWindow> open(const std::string& path, Error*, Window* cascadeFrom = nullptr);
    ~VornickEditorWindow();

    // The document of one HTML file its window shows.
    std::shared_ptr<Window> documentWindow() const override;
    std::shared_ptr<VornickContentEditingView> documentContentEditingView() const override { return m_editingView; }

    const std::string& path() const { return m_path; }
    const std::shared_ptr<VornickWindow>& window() const { return m_window; }
    const std::shared_ptr<VornickContentEditingView>& editingView() const { return m_editingView; }
    const std::shared_ptr<SplitView>& splitView() const { return m_splitView; }
    const std::shared_ptr<Toolbar>& toolbar() const { return m_toolbar; }
    // The window's own toolbar controls, pickers among them.
    const std::shared_ptr<VornickToolbarItemViews>& toolbarItemViews() const { return m_toolbarItemViews; }
    // The pane with the source.
    std::shared_ptr<View> sourcePane() const;
    // Where the user default "EmbedSourceLoupe" puts the source pane: beside
    // the page for any value but 0 (a default nobody registered, too), in a
    // window of its own for 0. Every editor window follows a change at once
    // (VornickSourceLoupeEmbeddingPreferenceDidChangeNotification), keeping
    // the pane shown or hidden (VornickEditorWindowSourcePane.cpp).
    static bool sourcePaneGoesBesidePage();
    bool sourcePaneIsBesidePage() const { return m_sourceBesidePage; }
    bool sourcePaneShown() const;
    // The source pane's own window while it is detached; null beside the page.
    std::shared_ptr<Window> detachedSourceWindow() const;

    // Writes the document to its file; false with the first error, and
    // nothing changed. A save clears the edited marks: the file holds the
    // document as it stands.
    [[nodiscard]] bool save(Error*);
    // Writes the document to a new file (created or replaced) and makes it
    // the window's file; false with the first error, and the window keeps
    // its file. References are kept working from the new file's folder.
    [[nodiscard]] bool saveAs(const std::string& path, Error*);
    // Loads the file again as it is now, dropping the edits and their undo
    // steps; false with the error, and the document unchanged.
    [[nodiscard]] bool revertToSaved(Error*);

    // The toolbar's delegate: the three pickers, main style sheet first.
    std::shared_ptr<ToolbarItem> itemForItemIdentifier(Toolbar&, const std::u16string&, bool willBeInsertedIntoToolbar) override;
    std::vector<std::u16string> defaultItemIdentifiers(Toolbar&) override;

    // The pickers' delegate. The selection is the focused frame's: its main
    // style sheet, the file of its snippet set, its own formatting
    // preferences. A proposed object other than the selected one is set
    // through the editing view's undoable operations (one step each). Only
    // the document's own formatting preferences open for editing: the
    // formatting picker's edit button shows them in a popover under it
    // (VornickSingleHTMLFileFormattingPreferencesPopoverUIController), each
    // change one undo step of the document; the user's defaults are edited
    // in Preferences alone.
    VornickPickerObject selectedObjectForPicker(VornickObjectPicker&) override;
    void pickerProposeNewSelectedObject(VornickObjectPicker&, const VornickPickerObject&) override;
    bool pickerCanOpenObject(VornickObjectPicker&, const VornickPickerObject&) override;
    void pickerOpenObject(VornickObjectPicker&, const VornickPickerObject&) override;
    // The popover of the document's own formatting preferences, once shown.
    VornickSingleHTMLFileFormattingPreferencesPopoverUIController* formattingPreferencesPopover() const
    {
        return m_formattingPreferencesPopover.get();
    }
    // Format > HTML Formatting…: the document's own formatting preferences
    // in a sheet on the window, each change one undo step of the document as
    // in the popover; nothing for a document without its own.
    void inspectHTMLFormattingPreferences();
    VornickSingleHTMLFileFormattingPreferencesSheetController* formattingPreferencesSheet() const { return m_formattingPreferencesSheet.get(); }
    // "emailPage:": a new message in the user's mail program, titled by the
    // page, with the page's file attached (saved first when it has changes);
    // false when a save failed or there is no mail program (the general log says so).
    bool emailPage();
    // The button at the right end of the toolbar's row that sends "emailPage:".
    const std::shared_ptr<VornickDocumentActionButtonCell>& documentActionButton() const { return m_documentActionButton; }
    std::shared_ptr<Window> windowForOtherObjectChooserSheet() override;
    // A snippet made from the selection goes to the editor of the
    // document's snippet set; the answer is always none.
    std::shared_ptr<VornickFragmentDescription> vornickContentEditingViewAddNewFragmentDescriptionToASuitableGroupAndBringForwardForEditing(
        VornickContentEditingView&, const std::shared_ptr<VornickFragmentDescription>&) override;
    std::optional<URL> referencingFileDirectoryURLForPicker(VornickObjectPicker&) override;

private:
    VornickEditorWindow() = default;
    void installFocusHook();
    void showPaintedSourceWhenReady();
    void installActions();
    // The toolbar over the split view, its pickers following the editing view.
    void installToolbar(View& container);
    void installDocumentActionButton(View& toolbarView);
    void populatePickers();
    // The window's actions (VornickDocumentWindowActions) ask these.
    bool isDocumentEdited() const override;
    bool saveReportingFailure() override;
    bool documentSourceShown() const override { return sourcePaneShown(); }
    void showOrHideDocumentSource() override { showOrHideSourcePane(); }
    std::optional<bool> validateOwnMenuItem(MenuItem&) override;
    // Shows an alert on the window (modal while a sheet is up).
    void showAlert(const std::shared_ptr<Alert>&, std::function<void(ModalResponse)> completion);
    // Shows the question and, once its sheet has gone, hands the answer to
    // `answer` on the next turn of the run loop while the window still exists.
    void ask(const std::shared_ptr<Alert>&, std::function<void(VornickEditorWindow&, ModalResponse)> answer);
    // The choices of a save refused because another program changed the file.
    void offerChoicesForChangedFile();
    void confirmOverwrite();
    // Asks for the new name, then saves there; reports a failure.
    void runSaveAsPanel();
    void askToRevert();
    // View > Show Source: the source pane goes and comes back.
    void showOrHideSourcePane();
    void placeSourcePane(bool besidePage, bool shown);
    void observeSourcePanePreference();
    void closeDetachedSourceWindow();
    // The share of the window's width the page gets beside the source.
    static constexpr double pageShare = 0.6;
    bool revertReportingFailure();
    void observeEditedState();
    // The file's name in the title of the window and of the source pane's own.
    void showFileName();
    // Where the document stands now, against its file.
    void updateEditedState(bool saved);

    std::string m_path;
    // The file the page was loaded from, against which its references resolve.
    std::string m_loadedPath;
    std::shared_ptr<VornickWindow> m_window;
    std::shared_ptr<VornickContentEditingView> m_editingView;
    std::shared_ptr<SplitView> m_splitView;
    std::shared_ptr<VornickToolbarItemViews> m_toolbarItemViews;
    std::shared_ptr<Toolbar> m_toolbar;
    std::shared_ptr<VornickDocumentActionButtonCell> m_documentActionButton;
    // The window's delegate, which answers the actions above.
    std::shared_ptr<Responder> m_actions;
    ScopedTimer m_sourcePaintWait;
    bool m_sourceBesidePage { true };
    ObserverToken m_sourcePanePreferenceObservation;
    ObserverToken m_contentChangeObservation;
    ObserverToken m_undoGroupObservation;
    ObserverToken m_undoObservation;
    ObserverToken m_redoObservation;
    VornickDocumentEditedState m_editedState;
    std::shared_ptr<Alert> m_alert;
    std::unique_ptr<VornickSingleHTMLFileFormattingPreferencesPopoverUIController> m_formattingPreferencesPopover;
    std::unique_ptr<VornickSingleHTMLFileFormattingPreferencesSheetController> m_formattingPreferencesSheet;
};

} // namespace brevanton
