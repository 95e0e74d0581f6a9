// WebView: a view that shows an HTML document in frames. It loads pages
// (file URLs, HTTP through the URL session, strings with a base URL), tells
// its delegates what happens in the platform's order, lays the document out
// for boxes and hit testing, and keeps a selection that its editing delegate
// may refuse. It never edits the document itself, never registers undo and
// runs no scripts.
#pragma once

#include "platform/foundation/FileUtilities.h"
#include "platform/views/TextInputClient.h"
#include "platform/views/View.h"
#include "platform/web/WebBackForwardList.h"
#include "platform/web/WebDelegates.h"
#include "platform/foundation/LoadedDocument.h"
#include "platform/web/WebFrame.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMNode;
class DOMRange;
class Pasteboard;
class URLSession;

struct WebPreferences {
    // Kept for callers that ask; scripts never run.
    bool javaScriptEnabled { false };
    bool userStyleSheetEnabled { false };
    std::optional<URL> userStyleSheetLocation;
};

// What lies under a point (the platform's element dictionary).
struct WebElementDictionary {
    std::shared_ptr<DOMNode> domNode;
    std::shared_ptr<WebFrame> webFrame;
    // The href of the enclosing A element, resolved; the src of an IMG.
    std::optional<URL> linkURL;
    std::optional<URL> imageURL;
    bool isSelected { false };
};

class WebView : public View, public TextInputClient {
public:
    // Answers whether the file at a path may be read; a refusal fails the load
    // as a denied read would.
    using FileAccessPolicy = std::function<bool(const std::string& path)>;

    static std::shared_ptr<WebView> create(Rect frame);
    explicit WebView(Rect frame);
    ~WebView() override;

    // The live web view one of whose frames shows the document, if any.
    static std::shared_ptr<WebView> webViewForDocument(const DOMDocument&);

    // A URL on a pasteboard the way a web view reads one (WebViewPasteboard.cpp).
    static std::optional<URL> URLFromPasteboard(const Pasteboard&);
    static std::optional<std::u16string> URLTitleFromPasteboard(const Pasteboard&);

    const std::shared_ptr<WebFrame>& mainFrame() const { return m_mainFrame; }
    std::shared_ptr<DOMDocument> mainFrameDocument() const;
    // The URL string of the main frame's current (or provisional) request.
    std::u16string mainFrameURL() const;
    // Loads the URL string (relative strings are taken as file paths).
    void setMainFrameURL(const std::u16string&);
    bool isLoading() const;
    void stopLoading();

    WebFrameLoadDelegate* frameLoadDelegate() const { return m_frameLoadDelegate; }
    void setFrameLoadDelegate(WebFrameLoadDelegate* delegate) { m_frameLoadDelegate = delegate; }
    WebResourceLoadDelegate* resourceLoadDelegate() const { return m_resourceLoadDelegate; }
    void setResourceLoadDelegate(WebResourceLoadDelegate* delegate) { m_resourceLoadDelegate = delegate; }
    WebPolicyDelegate* policyDelegate() const { return m_policyDelegate; }
    void setPolicyDelegate(WebPolicyDelegate* delegate) { m_policyDelegate = delegate; }
    WebEditingDelegate* editingDelegate() const { return m_editingDelegate; }
    void setEditingDelegate(WebEditingDelegate* delegate) { m_editingDelegate = delegate; }

    WebPreferences& preferences() { return m_preferences; }
    // The view's history list; the view itself never adds to it.
    WebBackForwardList& backForwardList() { return m_backForwardList; }
    // Reads the user style sheet at the preferences' location (when enabled) and
    // applies it to every document; false with an error when it cannot be read.
    [[nodiscard]] bool applyUserStyleSheet(Error* outError = nullptr);

    void setFileAccessPolicy(FileAccessPolicy policy) { m_fileAccessPolicy = std::move(policy); }
    bool mayReadFile(const std::string& path) const { return !m_fileAccessPolicy || m_fileAccessPolicy(path); }
    // A local file its host has read already (its bytes as they were when
    // its stamp was taken, decoded once, perhaps parsed ahead): the next load
    // of that file in this view takes it instead of reading and decoding the
    // file again (the file-access policy still applies). Others may look at
    // it until then.
    void provideLoadedDocument(std::shared_ptr<LoadedDocument> loaded) { m_providedLoadedDocument = std::move(loaded); }
    std::shared_ptr<LoadedDocument> providedLoadedDocument(const std::string& path) const
    {
        return m_providedLoadedDocument && m_providedLoadedDocument->loadPath() == path ? m_providedLoadedDocument : nullptr;
    }
    std::shared_ptr<LoadedDocument> takeProvidedLoadedDocument(const std::string& path)
    {
        if (!m_providedLoadedDocument || m_providedLoadedDocument->loadPath() != path)
            return nullptr;
        return std::exchange(m_providedLoadedDocument, nullptr);
    }
    void setURLSession(std::shared_ptr<URLSession> session) { m_session = std::move(session); }
    std::shared_ptr<URLSession> urlSession() const;

    bool isEditable() const { return m_editable; }
    void setEditable(bool editable) { m_editable = editable; }
    virtual bool maintainsInactiveSelection() const { return false; }

    // Selection.
    std::shared_ptr<DOMRange> selectedDOMRange() const { return m_selection; }
    WebSelectionAffinity selectionAffinity() const { return m_affinity; }
    // Asks the editing delegate, then selects a copy of the range (null clears).
    virtual void setSelectedDOMRange(const std::shared_ptr<DOMRange>&, WebSelectionAffinity);
    // Proposes a selection change as the user's action would; true when it was accepted.
    bool proposeSelectedDOMRange(const std::shared_ptr<DOMRange>&, WebSelectionAffinity, bool stillSelecting);

    // Zoom: the text size multiplier, in steps of 1.2 between 0.5 and 3.
    double textSizeMultiplier() const { return m_textSizeMultiplier; }
    void setTextSizeMultiplier(double);
    bool canMakeTextLarger() const;
    bool canMakeTextSmaller() const;
    bool canMakeTextStandardSize() const { return m_textSizeMultiplier != 1; }
    void makeTextLarger();
    void makeTextSmaller();
    void makeTextStandardSize() { setTextSizeMultiplier(1); }

    // The caret shown where a drag would drop (null when none).
    void moveDragCaretToPoint(Point);
    void removeDragCaret() { m_dragCaret.reset(); }
    std::shared_ptr<DOMRange> dragCaretDOMRange() const { return m_dragCaret; }

    // Layout and geometry. Boxes are in the coordinates of the node's frame's document view.
    void layoutIfNeeded();
    std::shared_ptr<WebFrame> frameForNode(const DOMNode&) const;
    Rect boundingBox(const DOMNode&);
    std::vector<Rect> lineBoxRects(const DOMNode&);
    // Scrolls as little as possible so that the node's box is shown: in its
    // own frame, then each frame holding that one at its frame element.
    // Nothing scrolls for a node shown already; true when anything scrolled.
    bool scrollNodeIntoViewIfNeeded(const DOMNode&);
    // The element under a point of this view, in the frame that shows it; null when nothing is there.
    std::optional<WebElementDictionary> elementAtPoint(Point);
    // A collapsed range at the text position under a point (null when none).
    std::shared_ptr<DOMRange> caretRangeAtPoint(Point);
    // The first rectangle a range covers on screen, in this view's coordinates:
    // the caret of a collapsed range, else the part of its first line box it
    // covers (input methods place their windows by it); zero when not laid out.
    Rect firstRectForDOMRange(const DOMRange&);

    // Events: clicks place the caret (or follow links when not editable), keys
    // are offered to the editing delegate.
    bool acceptsFirstResponder() const override { return true; }
    // Flipped like the document views, so that an unscrolled main frame's
    // document coordinates are the web view's own.
    bool isFlipped() const override { return true; }
    void mouseDown(const Event&) override;
    void mouseDragged(const Event&) override;
    void mouseUp(const Event&) override;
    void keyDown(const Event&) override;
    // The text input: a key down becomes a command (arrows, Delete, Return,
    // Tab; see doCommandBySelector) or typed text proposed to the editing
    // delegate. False for a key it does not take (with Command or Control, a
    // key without characters), which then goes nowhere else.
    bool interpretKeyEvent(const Event&);
    bool performKeyEquivalent(const Event&) override;
    void resizeSubviewsWithOldSize(Size oldSize) override;
    // A command by name ("moveLeft:", "moveRight:", "insertNewline:", ...); the
    // editing delegate may perform it first. The web view performs the caret
    // moves itself (WebViewCaretMoves.cpp) and edits nothing.
    void doCommandBySelector(std::string_view selector);
    // The moves' names, each also an action the web view answers to:
    // "moveLeft:", "moveRight:", "moveBackward:", "moveForward:",
    // "moveWordLeft:", "moveWordRight:", "moveUp:", "moveDown:",
    // "moveToBeginningOfLine:", "moveToEndOfLine:",
    // "moveToBeginningOfDocument:", "moveToEndOfDocument:", "pageUp:",
    // "pageDown:", each with "AndModifySelection:" in place of ":" as
    // well, and "selectAll:" (the body's content).
    static const std::vector<std::string>& moveSelectorNames();
    // What the view's word moves and double clicks take as part of a word.
    static bool isWordCharacter(char16_t);
    enum class MoveKind { Character, Word, Line, LineEdge, DocumentEdge, Page, All };

    // Posted with the web view as object when its document was changed
    // through it; the editing delegate hears of it first (webViewDidChange).
    static constexpr const char* DidChangeNotification = "WebViewDidChangeNotification";
    void postDidChange();

    // --- Marked text (WebMarkedText.cpp): an input method's composition is
    // shown over the page at the start of the selection and is never put
    // into the document; committed text arrives as typed text.
    bool hasMarkedText() const override { return !m_markedText.text.empty(); }
    // Ignored while the view is not editable or has no selection.
    void setMarkedText(MarkedText) override;
    void unmarkText() override;
    std::optional<Rect> firstRectForMarkedTextOffset(size_t offset) override;
    const MarkedText& markedText() const { return m_markedText; }

    // --- Spelling while typing (WebViewSpelling.cpp): the user's settings,
    // kept in the user defaults ("WebContinuousSpellCheckingEnabled",
    // "WebAutomaticSpellingCorrectionEnabled") for every web view, and the
    // actions "toggleContinuousSpellChecking:" and
    // "toggleAutomaticSpellingCorrection:", whose items carry the check mark.
    // While checking as you type is on, misspelt words of an editable page are
    // marked, the word the caret ends aside (it is being typed).
    static bool isContinuousSpellCheckingEnabled();
    static void setContinuousSpellCheckingEnabled(bool);
    static bool isAutomaticSpellingCorrectionEnabled();
    static void setAutomaticSpellingCorrectionEnabled(bool);
    // The misspelt words of a text node, to be marked (none while checking is
    // off, the view is not editable or the node is not text).
    std::vector<std::pair<size_t, size_t>> misspelledWordsToMark(const DOMNode&);
    bool validateMenuItem(MenuItem&) override;

protected:
    // Gives a newly made web view (of this class or a subclass) its main frame.
    static void finishCreation(const std::shared_ptr<WebView>&);

private:
    void setSelectionWithoutAsking(const std::shared_ptr<DOMRange>&, WebSelectionAffinity);
    bool handleKey(const Event&);
    void layoutFrame(WebFrame&);
    std::optional<WebElementDictionary> elementAtPointInFrame(WebFrame&, Point pointInDocumentView);
    Point pointInMainDocumentView(const Event&) const;

    // --- Caret moves (WebViewCaretMoves.cpp)
    // Performs the move a selector names; false when it names none.
    bool performMove(std::string_view selector);
    void move(MoveKind, bool forward, bool extend);
    static bool sameRangeAs(const DOMRange*, const DOMRange*);
    // The selection the last extending move made, and which of its ends moves.
    std::shared_ptr<DOMRange> m_extendedSelection;
    bool m_extendedFocusAtStart { false };
    // The column a run of vertical moves keeps, and the selection the last one made.
    std::optional<double> m_verticalMoveGoalX;
    std::shared_ptr<DOMRange> m_verticalMoveSelection;

    std::shared_ptr<WebFrame> m_mainFrame;
    WebFrameLoadDelegate* m_frameLoadDelegate { nullptr };
    WebResourceLoadDelegate* m_resourceLoadDelegate { nullptr };
    WebPolicyDelegate* m_policyDelegate { nullptr };
    WebEditingDelegate* m_editingDelegate { nullptr };
    WebPreferences m_preferences;
    WebBackForwardList m_backForwardList;
    FileAccessPolicy m_fileAccessPolicy;
    std::shared_ptr<LoadedDocument> m_providedLoadedDocument;
    std::shared_ptr<URLSession> m_session;
    bool m_editable { false };
    std::shared_ptr<DOMRange> m_selection;
    WebSelectionAffinity m_affinity { WebSelectionAffinityDownstream };
    std::shared_ptr<DOMRange> m_mouseDownCaret;
    std::shared_ptr<DOMRange> m_dragCaret;
    double m_textSizeMultiplier { 1 };
    // Marks the part the marked text was shown in, and the part it is shown in now, for display.
    void redisplayMarkedText();
    // The marked text, and where it was last shown (to redraw that part when it goes).
    MarkedText m_markedText;
    std::weak_ptr<View> m_markedTextDocumentView;
    Rect m_markedTextShownRect;

    // --- Spelling marks: the misspelt words of each text checked, by the
    // text and its language (cleared when it grows large).
    std::map<std::pair<std::u16string, std::u16string>, std::vector<std::pair<size_t, size_t>>> m_misspellings;
    void installSpellingActions();
    // The web views alive now.
    static std::vector<std::shared_ptr<WebView>> allLiveWebViews();

    // --- Selection display
    // Marks the part the selection was shown in, and the part it covers
    // now, for display (WebViewSelectionDisplay.cpp).
    void redisplaySelection();
    std::weak_ptr<View> m_selectionDocumentView;
    Rect m_selectionShownRect;
};

} // namespace brevanton
