#include "shell/VornickEditorWindow.h"

#include "app/VornickWindow.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingView.h"
#include "editing/VornickContentEditingViewDelegate.h"
#include "editing/VornickEmbeddedWebView.h"
#include "editing/VornickSourceLoupe.h"
#include "platform/dom/DOMDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/Text.h"
#include "platform/views/Alert.h"
#include "platform/views/Application.h"
#include "platform/views/Menu.h"
#include "platform/views/Screen.h"
#include "platform/views/SplitView.h"
#include "platform/web/WebFrame.h"
#include "toolkit/VornickDocumentFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <filesystem>

namespace brevanton {

namespace {
// The window's size, and the share of its width the page gets.
constexpr double windowWidth = 1280;
constexpr double windowHeight = 800;
constexpr double pageShare = 0.6;
// The first window's distance from the visible frame's edges.
constexpr double windowMargin = 60;

// The first window's frame: its size, less where the screen is smaller.
Rect initialWindowFrame()
{
    Rect visible = Screen::mainScreen().visibleFrame();
    double width = std::max(400.0, std::min(windowWidth, visible.width() - 2 * windowMargin));
    double height = std::max(300.0, std::min(windowHeight, visible.height() - 2 * windowMargin));
    return Rect(visible.minX() + windowMargin, visible.maxY() - windowMargin - height, width, height);
}
} // namespace

std::shared_ptr<VornickEditorWindow> VornickEditorWindow::open(const std::string& path, Error* outError, Window* cascadeFrom)
{
    // Only a regular file of a bounded size is opened.
    VornickDocumentFile file(path);
    if (!file.read(outError))
        return nullptr;

    auto editor = std::shared_ptr<VornickEditorWindow>(new VornickEditorWindow);
    editor->m_path = path;
    auto& window = editor->m_window;
    window = VornickWindow::create(initialWindowFrame());
    // A zero point asks the window in front where the next one goes, without moving it.
    if (cascadeFrom)
        window->cascadeTopLeftFromPoint(cascadeFrom->cascadeTopLeftFromPoint(Point {}));
    window->setTitle(toUTF16(std::filesystem::path(path).filename().string()));

    Rect bounds = window->contentView()->bounds();
    auto& split = editor->m_splitView;
    split = std::make_shared<SplitView>(bounds);
    split->setVertical(true);
    split->setDividerStyle(SplitViewDividerStyle::Thin);
    split->setAutoresizingMask(Autoresizing::WidthSizable | Autoresizing::HeightSizable);
    double pageWidth = std::floor(bounds.width() * pageShare);
    editor->m_editingView = VornickContentEditingView::create(Rect(0, 0, pageWidth, bounds.height()));
    split->addSubview(editor->m_editingView);
    split->addSubview(editor->sourcePane());
    editor->sourcePane()->setFrame(Rect(pageWidth + 1, 0, bounds.width() - pageWidth - 1, bounds.height()));
    split->adjustSubviews();
    // Before the editing view's own hook, which takes the page's clicks.
    editor->installFocusHook();
    window->setContentView(split);
    editor->installActions();
    window->makeKeyAndOrderFront();

    Error loadError;
    if (!editor->m_editingView->loadContentFromURL(URL::fileURLWithPath(path), &loadError) && outError)
        *outError = loadError;
    // The file holds the document as loaded.
    editor->observeEditedState();
    // Typing goes to the page from the start.
    window->makeFirstResponder(editor->m_editingView->embeddedWebView());
    editor->showPaintedSourceWhenReady();
    return editor;
}

VornickEditorWindow::~VornickEditorWindow()
{
    if (m_window && m_window->isVisible())
        m_window->close();
}

std::shared_ptr<View> VornickEditorWindow::sourcePane() const
{
    auto loupe = m_editingView ? m_editingView->sourceLoupe() : nullptr;
    return loupe ? loupe->view() : nullptr;
}

bool VornickEditorWindow::save(Error* outError)
{
    std::vector<Error> errors;
    bool saved = m_editingView->writeHTMLDocumentToURL(URL::fileURLWithPath(m_path), std::nullopt, true, &errors);
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
    std::fprintf(stderr, "brevanton: %s: %s\n", m_path.c_str(), toUTF8(error.localizedDescription()).c_str());
    // The user is told on the window, which stays with the document.
    auto alert = Alert::create();
    alert->setMessageText(u"The document \u201C" + m_window->title() + u"\u201D could not be saved.");
    alert->setInformativeText(error.localizedDescription());
    alert->addButtonWithTitle(u"OK");
    if (m_window->attachedSheet())
        alert->runModal();
    else
        alert->beginSheetModalForWindow(m_window, [alert](ModalResponse) {});
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
    // A click in the page gives the page the keyboard (the editing view
    // handles the click itself, past the window's first-responder change).
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    m_window->vornick_addSendEventHook([weak](Window& window, const Event& event) {
        auto editor = weak.lock();
        if (!editor || event.type() != EventType::LeftMouseDown)
            return true;
        auto webView = editor->m_editingView->embeddedWebView();
        Point point = webView->convertPointFromView(event.locationInWindow(), nullptr);
        if (!webView->mouseInRect(point, webView->visibleRect()) || editor->m_editingView->hasInputFocus())
            return true;
        window.makeFirstResponder(webView);
        return true;
    });
}

namespace {

// The delegate of an editor's window: the end of the window's responder
// chain for the document's own commands.
class EditorWindowActions final : public Responder, public WindowDelegate {
public:
    explicit EditorWindowActions(std::weak_ptr<Window> window) : m_window(std::move(window)) {}

    // Asked before the window closes by the user's choice.
    std::function<bool()> shouldClose;

    bool windowShouldClose(Window&) override { return !shouldClose || shouldClose(); }

    bool validateMenuItem(MenuItem& item) override
    {
        auto window = m_window.lock();
        auto* undoManager = window ? window->undoManager() : nullptr;
        if (item.action() == "undo:")
            return undoManager && undoManager->canUndo();
        if (item.action() == "redo:")
            return undoManager && undoManager->canRedo();
        return true;
    }

private:
    std::weak_ptr<Window> m_window;
};

} // namespace

void VornickEditorWindow::installActions()
{
    auto actions = std::make_shared<EditorWindowActions>(m_window);
    m_window->setDelegate(std::shared_ptr<WindowDelegate>(actions, actions.get()));
    m_actions = actions;
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    m_actions->setActionHandler("saveDocument:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            static_cast<void>(editor->saveReportingFailure());
    });
    m_actions->setActionHandler("undo:", [weak](ActionSender*) {
        if (auto editor = weak.lock(); editor && editor->m_window->undoManager()->canUndo())
            editor->m_window->undoManager()->undo();
    });
    m_actions->setActionHandler("redo:", [weak](ActionSender*) {
        if (auto editor = weak.lock(); editor && editor->m_window->undoManager()->canRedo())
            editor->m_window->undoManager()->redo();
    });
    m_actions->setActionHandler("performClose:", [weak](ActionSender*) {
        if (auto editor = weak.lock())
            editor->m_window->performClose();
    });
    actions->shouldClose = [weak] {
        auto editor = weak.lock();
        return !editor || editor->askToSaveBeforeClosing();
    };
}

bool VornickEditorWindow::askToSaveBeforeClosing()
{
    if (!m_editingView->isDocumentEdited())
        return true;
    // One question at a time; the window stays until it is answered.
    if (m_window->attachedSheet())
        return false;
    m_closeAlert = Alert::create();
    m_closeAlert->setMessageText(u"Do you want to save the changes made to the document \u201C" + m_window->title() + u"\u201D?");
    m_closeAlert->setInformativeText(u"Your changes will be lost if you don\u2019t save them.");
    m_closeAlert->addButtonWithTitle(u"Save");
    m_closeAlert->addButtonWithTitle(u"Cancel");
    m_closeAlert->addButtonWithTitle(u"Don\u2019t Save");
    std::weak_ptr<VornickEditorWindow> weak = weak_from_this();
    m_closeAlert->beginSheetModalForWindow(m_window, [weak](ModalResponse response) {
        auto editor = weak.lock();
        if (!editor || response == AlertSecondButtonReturn)
            return;
        // A save that fails keeps the window open with the document.
        if (response == AlertFirstButtonReturn && !editor->saveReportingFailure())
            return;
        editor->m_window->close();
    });
    return false;
}

} // namespace brevanton
