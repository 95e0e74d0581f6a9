#include "shell/VornickEditorWindow.h"

#include "app/VornickWindow.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentEditingViewDelegate.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "editing/VornickFragmentSetPicker.h"
#include "editing/VornickHTMLFormattingPreferencesPicker.h"
#include "html/VornickWebFrameEditingState.h"
#include "editing/VornickStyleSheetPicker.h"
#include "editing/VornickToolbarItemViews.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Text.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/SplitView.h"
#include "platform/web/WebFrame.h"
#include "platform/foundation/DocumentTextDecoding.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/views/SavePanel.h"
#include "shell/VornickDocumentWindowActions.h"
#include "shell/VornickErrorAlert.h"
#include "toolkit/VornickDocumentFile.h"
#include "toolkit/VornickErrors.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesPopoverUIController.h"
#include "ui/VornickSingleHTMLFileFormattingPreferencesSheetController.h"
#include "views/VornickInitialWindowFrame.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <future>
#include <filesystem>

namespace brevanton {

namespace {
// The window's size.
constexpr double windowWidth = 1280;
constexpr double windowHeight = 800;
// The first window's distance from the visible frame's edges.
constexpr double windowMargin = 60;

// The first window's frame: its size, less where the screen is smaller.
Rect initialWindowFrame()
{
    return vornick_initialWindowFrame({ windowWidth, windowHeight }, { 400, 300 }, windowMargin);
}

std::u16string fileNameOfPath(const std::string& path)
{
    return toUTF16(std::filesystem::path(path).filename().string());
}

// Whether the file is a page the window edits and saves: of an HTML or XHTML
// type (what saving writes), and, as XHTML, well-formed.
bool checkFileIsEditablePage(const std::string& path, LoadedDocument& loaded, Error* outError)
{
    std::u16string name = u"\u201C" + fileNameOfPath(path) + u"\u201D";
    if (!VornickDocumentFile::isDocumentPath(path)) {
        Error error(VornickErrorDomain, VornickDocumentFileNotHTMLError,
                    name + u" is not an HTML or XHTML page, so it cannot be edited here.");
        error.userInfo()[Error::LocalizedRecoverySuggestionKey] =
            Value(std::u16string(u"Brevanton edits pages with the extensions html, htm, shtml, shtm, xhtml and xht; open the file in an editor of its kind."));
        return setError(outError, std::move(error));
    }
    if (!DOMDocument::isXMLPath(toUTF16(path)))
        return true;
    // The document parsed here is the one the page's load takes.
    Error parseError;
    auto url = URL::fileURLWithPath(path).absoluteString();
    if (auto document = DOMDocument::parseDecoded(loaded.decoded(), DocumentTextSyntax::XML, url, &parseError)) {
        std::promise<std::shared_ptr<DOMDocument>> parsed;
        parsed.set_value(std::move(document));
        loaded.setParse(parsed.get_future().share());
        return true;
    }
    // The parser's own words: where ("line 4, column 20") and what.
    std::u16string parserSays = parseError.localizedDescription();
    std::u16string_view prefix = u"The XML document is not well-formed";
    if (parserSays.starts_with(prefix))
        parserSays.erase(0, prefix.size());
    else
        parserSays = u": " + parserSays;
    // The parser's error, its line and column kept, in words that name the file.
    Error error = parseError;
    error.userInfo()[Error::LocalizedDescriptionKey] = Value(name + u" is not well-formed XHTML" + parserSays);
    error.userInfo()[Error::LocalizedRecoverySuggestionKey] =
        Value(std::u16string(u"Correct the file at that place in a text editor, then open it again."));
    return setError(outError, std::move(error));
}

// Reads the file once for its load: only a regular file of a bounded size,
// and only a page an editing view edits and saves.
std::shared_ptr<LoadedDocument> loadDocumentFile(const std::string& path, Error* outError)
{
    auto syntax = DOMDocument::isXMLPath(toUTF16(path)) ? DocumentTextSyntax::XML : DocumentTextSyntax::HTML;
    auto loaded = VornickDocumentFile(path).load(syntax, outError);
    if (!loaded || !checkFileIsEditablePage(path, *loaded, outError))
        return nullptr;
    return loaded;
}

} // namespace

std::shared_ptr<VornickEditorWindow> VornickEditorWindow::open(const std::string& path, Error* outError, Window* cascadeFrom)
{
    auto loaded = loadDocumentFile(path, outError);
    if (!loaded)
        return nullptr;

    auto editor = std::shared_ptr<VornickEditorWindow>(new VornickEditorWindow);
    editor->m_path = path;
    editor->m_loadedPath = path;
    auto& window = editor->m_window;
    window = VornickWindow::create(initialWindowFrame());
    // A zero point asks the window in front where the next one goes, without moving it.
    if (cascadeFrom)
        window->cascadeTopLeftFromPoint(cascadeFrom->cascadeTopLeftFromPoint(Point {}));
    window->setTitle(toUTF16(std::filesystem::path(path).filename().string()));
    registerSingleHTMLFileDocument(editor);

    // The toolbar on top, the split view under it.
    Rect bounds = window->contentView()->bounds();
    auto container = std::make_shared<View>(bounds);
    container->setAutoresizesSubviews(true);
    bounds.size.height -= Toolbar::height;
    auto& split = editor->m_splitView;
    split = std::make_shared<SplitView>(bounds);
    split->setVertical(true);
    split->setDividerStyle(SplitViewDividerStyle::Thin);
    split->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    double pageWidth = std::floor(bounds.width() * pageShare);
    editor->m_editingView = VornickContentEditingView::create(Rect(0, 0, pageWidth, bounds.height()));
    // The window places the source pane, not the view's footer.
    editor->m_editingView->releaseSourceLoupeFromFooter();
    editor->m_editingView->setDelegate(editor.get());
    split->addSubview(editor->m_editingView);
    // Before the editing view's own hook, which takes the page's clicks.
    editor->installFocusHook();
    container->addSubview(split);
    window->setContentView(container);
    editor->installToolbar(*container);
    editor->installActions();
    window->makeKeyAndOrderFront();
    editor->placeSourcePane(sourcePaneGoesBesidePage(), true);
    editor->observeSourcePanePreference();

    // The page and tidy's check take the file as read here.
    editor->m_editingView->embeddedWebView()->provideLoadedDocument(std::move(loaded));
    Error loadError;
    if (!editor->m_editingView->loadContentFromURL(URL::fileURLWithPath(path), &loadError) && outError)
        *outError = loadError;
    // The file holds the document as loaded.
    editor->observeEditedState();
    // Typing goes to the page from the start.
    window->makeFirstResponder(editor->m_editingView->embeddedWebView());
    editor->populatePickers();
    editor->showPaintedSourceWhenReady();
    return editor;
}

std::shared_ptr<Window> VornickEditorWindow::documentWindow() const
{
    return m_window;
}

VornickEditorWindow::~VornickEditorWindow()
{
    if (m_editingView)
        m_editingView->setDelegate(nullptr);
    // The pickers may outlive the window in a menu being shown.
    if (m_toolbarItemViews) {
        m_toolbarItemViews->primaryStyleSheetPicker()->setContentEditingView(nullptr);
        m_toolbarItemViews->fragmentSetPicker()->setContentEditingView(nullptr);
        m_toolbarItemViews->formattingPreferencesPicker()->setContentEditingView(nullptr);
    }
    if (m_window && m_window->isVisible())
        m_window->close();
    closeDetachedSourceWindow();
}

std::shared_ptr<View> VornickEditorWindow::sourcePane() const
{
    auto loupe = m_editingView ? m_editingView->sourceLoupe() : nullptr;
    return loupe ? loupe->view() : nullptr;
}

bool VornickEditorWindow::save(Error* outError)
{
    std::vector<Error> errors;
    // The page's references resolve against the file it was loaded from:
    // written to a file of another folder, they are written from that one.
    std::optional<URL> loadedURL;
    if (m_path != m_loadedPath)
        loadedURL = URL::fileURLWithPath(m_loadedPath);
    bool saved = m_editingView->writeHTMLDocumentToURL(URL::fileURLWithPath(m_path), loadedURL, true, &errors);
    if (!saved) {
        if (outError && !errors.empty())
            *outError = errors.front();
        return false;
    }
    // Typing on takes a step of its own, whose undo comes back to the
    // document as saved (an open run would take the typing into a step that
    // began before the save).
    m_editingView->endTypingRun();
    m_editingView->endBackspaceRun();
    updateEditedState(true);
    return true;
}

bool VornickEditorWindow::saveAs(const std::string& path, Error* outError)
{
    if (!VornickDocumentFile::isDocumentPath(path))
        return setError(outError, Error(VornickErrorDomain, VornickDocumentFileNotHTMLError,
                                        u"\u201C" + fileNameOfPath(path) + u"\u201D is not the name of an HTML or XHTML file; choose a name ending in .html or .xhtml."));
    std::string previous = m_path;
    m_path = path;
    // Named before the save, whose change of the edited mark shows the new title.
    showFileName();
    if (!save(outError)) {
        m_path = previous;
        showFileName();
        return false;
    }
    return true;
}

void VornickEditorWindow::showFileName()
{
    m_window->setTitle(fileNameOfPath(m_path));
    if (auto sourceWindow = detachedSourceWindow())
        sourceWindow->setTitle(m_window->title() + u" \u2014 Source");
}

bool VornickEditorWindow::revertToSaved(Error* outError)
{
    auto loaded = loadDocumentFile(m_path, outError);
    if (!loaded)
        return false;
    m_editingView->embeddedWebView()->provideLoadedDocument(std::move(loaded));
    Error loadError;
    if (!m_editingView->loadContentFromURL(URL::fileURLWithPath(m_path), &loadError))
        return setError(outError, std::move(loadError));
    m_loadedPath = m_path;
    // The steps undid and redid edits of the document now gone.
    if (auto* undo = m_window->undoManager())
        undo->removeAllActions();
    updateEditedState(true);
    populatePickers();
    showPaintedSourceWhenReady();
    return true;
}

namespace {

// Moves with every change of content in the frame's document or its frames'.
uint64_t contentVersionOfFrame(const WebFrame& frame)
{
    uint64_t version = frame.domDocument() ? frame.domDocument()->contentVersion() : 0;
    for (const auto& child : frame.childFrames())
        version += contentVersionOfFrame(*child);
    return version;
}

} // namespace

void VornickEditorWindow::updateEditedState(bool saved)
{
    auto* undo = m_window->undoManager();
    uint64_t position = undo ? undo->undoPosition() : 0;
    auto frame = m_editingView->mainFrame();
    uint64_t version = frame ? contentVersionOfFrame(*frame) : 0;
    if (saved)
        m_editedState.documentWasSaved(position, version);
    else
        m_editedState.documentIsAt(position, version, m_editingView->activeTypingRun() || m_editingView->activeBackspaceRun());
    bool edited = m_editedState.isEdited() && m_editingView->isEditable();
    if (edited != m_editingView->isDocumentEdited())
        m_editingView->setDocumentEdited(edited);
    m_window->setDocumentEdited(edited);
}

void VornickEditorWindow::observeEditedState()
{
    updateEditedState(true);
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    auto* undo = m_window->undoManager();
    // Changes of content; while undoing or redoing, the end of the step tells.
    m_contentChangeObservation = NotificationCenter::defaultCenter().addObserver(
        VornickContentEditingViewDidChangeContentNotification, m_editingView.get(), nullptr, [weak, undo](const Notification&) {
            auto editor = weak.lock();
            if (editor && !undo->isUndoing() && !undo->isRedoing())
                editor->updateEditedState(false);
        });
    // Steps that change no content (a selection's) are seen as they close.
    m_undoGroupObservation = NotificationCenter::defaultCenter().addObserver(
        UndoManager::DidCloseUndoGroupNotification, undo, nullptr, [weak, undo](const Notification&) {
            auto editor = weak.lock();
            if (editor && !undo->isUndoing() && !undo->isRedoing() && undo->groupingLevel() == 0)
                editor->updateEditedState(false);
        });
    auto afterStep = [weak](const Notification&) {
        if (auto editor = weak.lock())
            editor->updateEditedState(false);
    };
    m_undoObservation = NotificationCenter::defaultCenter().addObserver(UndoManager::DidUndoChangeNotification, undo, nullptr, afterStep);
    m_redoObservation = NotificationCenter::defaultCenter().addObserver(UndoManager::DidRedoChangeNotification, undo, nullptr, afterStep);
}

bool VornickEditorWindow::saveReportingFailure()
{
    Error error;
    if (save(&error))
        return true;
    std::fprintf(stderr, "brevanton: %s: %s\n", m_path.c_str(), toUTF8(VornickUserDescriptionOfError(error)).c_str());
    // The edits stay in the window, and the user is told what to do.
    if (error.is(VornickErrorDomain, VornickDocumentFileChangedError)) {
        offerChoicesForChangedFile();
        return false;
    }
    showAlert(VornickAlertForError(u"The document \u201C" + m_window->title() + u"\u201D could not be saved.", error), nullptr);
    return false;
}

void VornickEditorWindow::showAlert(const std::shared_ptr<Alert>& alert, std::function<void(ModalResponse)> completion)
{
    m_alert = alert;
    if (m_window->attachedSheet()) {
        ModalResponse response = alert->runModal();
        if (completion)
            completion(response);
        return;
    }
    alert->beginSheetModalForWindow(m_window, [completion = std::move(completion)](ModalResponse response) {
        if (completion)
            completion(response);
    });
}

void VornickEditorWindow::ask(const std::shared_ptr<Alert>& alert, std::function<void(VornickEditorWindow&, ModalResponse)> answer)
{
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    showAlert(alert, [weak, answer = std::move(answer)](ModalResponse response) {
        RunLoop::main().perform([weak, answer, response] {
            if (auto editor = weak.lock())
                answer(*editor, response);
        });
    });
}

void VornickEditorWindow::offerChoicesForChangedFile()
{
    auto alert = Alert::create();
    alert->setMessageText(u"The file of the document \u201C" + m_window->title() + u"\u201D was changed by another program.");
    alert->setInformativeText(u"Your edits were not saved. Save them under another name, revert to the file as the other program left it "
                              u"(your edits are lost), or overwrite the other program\u2019s changes with your document.");
    alert->addButtonWithTitle(u"Save As\u2026");
    alert->addButtonWithTitle(u"Revert");
    alert->addButtonWithTitle(u"Overwrite\u2026");
    alert->addButtonWithTitle(u"Cancel");
    // The next question waits until this sheet has gone.
    ask(alert, [](VornickEditorWindow& editor, ModalResponse response) {
        if (response == AlertFirstButtonReturn)
            editor.runSaveAsPanel();
        else if (response == AlertSecondButtonReturn)
            static_cast<void>(editor.revertReportingFailure());
        else if (response == AlertThirdButtonReturn)
            editor.confirmOverwrite();
    });
}

void VornickEditorWindow::confirmOverwrite()
{
    auto alert = Alert::create();
    alert->setMessageText(u"Do you want to overwrite the changes the other program made to \u201C" + m_window->title() + u"\u201D?");
    alert->setInformativeText(u"The file will hold your document; what the other program wrote will be lost.");
    alert->addButtonWithTitle(u"Overwrite");
    alert->addButtonWithTitle(u"Cancel");
    ask(alert, [](VornickEditorWindow& editor, ModalResponse response) {
        if (response != AlertFirstButtonReturn)
            return;
        editor.m_editingView->allowOverwritingChangedFile(URL::fileURLWithPath(editor.m_path));
        static_cast<void>(editor.saveReportingFailure());
    });
}

void VornickEditorWindow::runSaveAsPanel()
{
    auto panel = SavePanel::savePanel();
    std::filesystem::path current(m_path);
    std::u16string extension = toUTF16(current.extension().string());
    if (!extension.empty())
        extension.erase(0, 1);
    // The current file's type first: a name typed without one gets it.
    std::vector<std::u16string> types { extension };
    for (const char16_t* type : { u"html", u"htm", u"xhtml", u"xht", u"shtml", u"shtm" }) {
        if (type != extension)
            types.push_back(type);
    }
    panel->setAllowedFileTypes(std::move(types));
    panel->setCanCreateDirectories(true);
    panel->setNameFieldStringValue(fileNameOfPath(m_path));
    panel->setDirectoryURL(URL::fileURLWithPath(current.parent_path().string(), true));
    if (panel->runModal() != ModalResponseOK || !panel->url())
        return;
    auto chosen = panel->url()->fileSystemPath();
    if (!chosen)
        return;
    Error error;
    if (saveAs(*chosen, &error))
        return;
    std::fprintf(stderr, "brevanton: %s: %s\n", chosen->c_str(), toUTF8(VornickUserDescriptionOfError(error)).c_str());
    showAlert(VornickAlertForError(u"The document could not be saved as \u201C" + fileNameOfPath(*chosen) + u"\u201D.", error), nullptr);
}

void VornickEditorWindow::askToRevert()
{
    auto alert = Alert::create();
    alert->setMessageText(u"Do you want to revert to the most recently saved version of the document \u201C" + m_window->title() + u"\u201D?");
    alert->setInformativeText(u"Your current changes will be lost.");
    alert->addButtonWithTitle(u"Revert");
    alert->addButtonWithTitle(u"Cancel");
    ask(alert, [](VornickEditorWindow& editor, ModalResponse response) {
        if (response == AlertFirstButtonReturn)
            static_cast<void>(editor.revertReportingFailure());
    });
}

bool VornickEditorWindow::revertReportingFailure()
{
    Error error;
    if (revertToSaved(&error))
        return true;
    std::fprintf(stderr, "brevanton: %s: %s\n", m_path.c_str(), toUTF8(VornickUserDescriptionOfError(error)).c_str());
    showAlert(VornickAlertForError(u"The document \u201C" + m_window->title() + u"\u201D could not be reverted.", error), nullptr);
    return false;
}

void VornickEditorWindow::showPaintedSourceWhenReady()
{
    // The loaded source is coloured in the background; the source pane is
    // told of the source when it was read, and shows the coloured one once
    // it is there (an edit's regenerated source comes coloured).
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    m_sourcePaintWait = RunLoop::main().scheduleTimer(0.05, true, [weak](Timer& timer) {
        auto editor = weak.lock();
        auto frame = editor ? editor->m_editingView->mainFrame() : nullptr;
        if (!frame || editor->m_editingView->loadingState() == VornickContentLoadingState::InProgress)
            return;
        if (vornick_lastGeneratedHTMLStringLineIndexAndDOMToNSRangeMapAreUpToDate(*frame)) {
            if (vornick_lastGeneratedHTMLAttributedString(*frame))
                editor->m_editingView->sourceLoupe()->updateSourceFromActiveContentEditingView();
            timer.invalidate();
        }
    });
}

void VornickEditorWindow::installFocusHook()
{
    VornickDocumentWindowActions::giveKeyboardToPageOnClick(*m_window, m_editingView);
}

void VornickEditorWindow::installActions()
{
    m_actions = VornickDocumentWindowActions::install(m_window, weak_from_this());
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    m_actions->setActionHandler("saveDocumentAs:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->runSaveAsPanel();
    });
    m_actions->setActionHandler("revertDocumentToSaved:", [weak](ActionSender*) {
        if (auto editor = weak.lock(); editor && editor->m_editingView->isDocumentEdited())
            editor->askToRevert();
    });
    m_actions->setActionHandler("selectAll:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->m_editingView->selectAll();
    });
    m_actions->setActionHandler("vornick_inspectHTMLFormattingPreferences:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->inspectHTMLFormattingPreferences();
    });
    m_actions->setActionHandler("emailPage:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            static_cast<void>(editor->emailPage());
    });
    m_actions->setActionHandler("vornick_toggleSectionHandlesShown:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->m_editingView->setSectionHandlesShown(!editor->m_editingView->sectionHandlesShown());
    });
}

std::optional<bool> VornickEditorWindow::validateOwnMenuItem(MenuItem& item)
{
    const auto& action = item.action();
    if (action == "revertDocumentToSaved:")
        return m_editingView->isDocumentEdited();
    if (action == "selectAll:")
        return m_editingView->effectiveOperationRange() != nullptr;
    if (action == "vornick_inspectHTMLFormattingPreferences:") {
        auto frame = m_editingView->focusedWebFrame();
        return frame && vornick_HTMLFormattingPreferences(*frame) && !m_window->attachedSheet();
    }
    // Commands of the editing view it validates but leaves to the window.
    if (action == "vornick_toggleSectionHandlesShown:")
        return m_editingView->validateMenuItem(item);
    return std::nullopt;
}

bool VornickEditorWindow::isDocumentEdited() const
{
    return m_editingView->isDocumentEdited();
}

} // namespace brevanton
