// VornickContentEditingView: the editor's one view. It hosts an editable web
// view that shows the document as the page looks, refuses every change the
// web view would make by itself, performs each edit as an undoable DOM change
// and keeps each frame's regenerated source, range map, line index and
// validation in step. Around the web view: the head metadata header, the path
// bar, the embedded source loupe footer and two banners.
//
// Its behaviour is spread over several files, one per concern: loading,
// writing, the change cycle, operation ranges and navigation, attachment
// points and the document URL, non-breaking space substitutes.
//
// Deferred work (timers, delayed performs, background painting and
// validation) never outlives the view: everything is keyed to it or holds it
// weakly, and the destructor cancels what is pending.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "dom/VornickFreezeDriedDOMRange.h"
#include "dom/VornickWebFrameExtensions.h"
#include "editing/VornickContentEditingViewDelegate.h"
#include "editing/VornickElementInspectorModuleKind.h"
#include "html/VornickBlockModeHelper.h"
#include "html/VornickTidyFilter.h"
#include "toolkit/VornickCompletionSet.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UndoManager.h"
#include "platform/views/DraggingSession.h"
#include "platform/views/View.h"
#include "platform/views/Window.h"
#include "platform/web/WebDelegates.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;
class DOMElement;
class DOMNode;
class DOMRange;
class Pasteboard;
struct DraggingInfo;
class VornickAttachmentPoint;
class VornickAttachmentPointLocator;
class VornickAttachmentPointLocatorSet;
class VornickCollapsibleHeaderSplitView;
class VornickContentEditingViewSplitViewManager;
class VornickDOMPathBar;
class VornickElementEditorUIController;
class VornickEnduringFileReference;
class VornickFragmentCompletionSet;
class VornickFragmentDescription;
class VornickFragmentSet;
class VornickElementAttributeValue;
class VornickHTMLFormattingPreferences;
class VornickMediaFileInfo;
class VornickStyleSheet;
class VornickHTMLSpec;
class VornickEmbeddedWebView;
class Menu;
class PrintOperation;
class VornickFindAndReplaceController;
class VornickSavePanelAccessoryViewController;
class VornickWebResourceFileWatcher;
struct PrintInfo;
class VornickHTMLElementSpec;
class VornickHTMLWriter;
class VornickHeadMetadataEditingUIController;
class VornickResourceLoadAttempt;
class VornickSourceLoupe;
class VornickUndoableBackspaceRun;
class VornickUndoableTypingRun;
class VornickValidationAdvisory;
class VornickWebResourceCache;
class Window;
class VornickContentOverlayWindow;
class VornickDOMTreeVisualizerWindowController;
class VornickEditingContext;
class VornickFragmentCompletionUIController;
class VornickAdjustedCompletionMatches;

// How a completion match is shown: disabled ones in the disabled control text colour.
struct VornickCompletionDisplayText {
    std::u16string string;
    bool inDisabledControlTextColor { false };
};

// What lies under a point: content (the default), a waypoint between bricks
// or a brick's section handle.
enum class VornickHitPartKind : int { Content = 0, Waypoint = 1, SectionHandle = 2 };
// What rangeForPoint looks for (bits): waypoints between bricks, section
// handles, only ranges inside an attachment point, the caret a click would
// place (text is then never a waypoint hit), and a subframe's own nodes
// rather than its frame element.
enum VornickRangeForPointOptions : unsigned {
    VornickRangeForPointHitTestWaypoints = 1,
    VornickRangeForPointHitTestSectionHandles = 2,
    VornickRangeForPointWithinAttachmentPoints = 4,
    VornickRangeForPointProbeWithClick = 8,
    VornickRangeForPointKeepSubframeNodes = 16,
};

// The view's own insertion action, beside the web view's typed, pasted and
// dropped: a replacement (find and replace); with no text it deletes.
inline constexpr WebViewInsertAction VornickInsertActionReplacementText = static_cast<WebViewInsertAction>(90064);

// Attachment types: one element, or a run of sibling elements.
// Defined in editing/VornickAttachmentPoint.h.
enum class VornickAttachmentType : int;

class VornickContentEditingView : public View,
                                  public WebFrameLoadDelegate,
                                  public WebResourceLoadDelegate,
                                  public WebPolicyDelegate,
                                  public WebEditingDelegate,
                                  public VornickBlockModeEditingContext {
public:
    // Builds a view (of this class or a subclass) with its panes and web view.
    template<typename Kind = VornickContentEditingView> static std::shared_ptr<Kind> create(Rect frame)
    {
        auto view = std::make_shared<Kind>(frame);
        static_cast<VornickContentEditingView*>(view.get())->build();
        return view;
    }
    ~VornickContentEditingView() override;

    // --- Finding the view that window commands go to

    static std::shared_ptr<VornickContentEditingView> vornickContentEditingViewOfInterestInWindow(const Window*);
    static std::shared_ptr<VornickContentEditingView> vornickContentEditingViewIfRelatedUIHasFocusInWindow(const Window*);
    static std::shared_ptr<VornickContentEditingView> vornickContentEditingViewIfEmbeddedWebViewHasFocusInWindow(const Window*);

    // --- The view

    bool hasInputFocus() const;
    void focus();

    bool isEditable() const override;
    void setEditable(bool);
    bool isDocumentEdited() const;
    void setDocumentEdited(bool);
    void collapseEmbeddedSourceLoupe();
    void uncollapseEmbeddedSourceLoupe();
    // Takes an embedded loupe's pane out of the view's footer, for a window
    // that places the pane itself; the footer's collapsing then does nothing.
    void releaseSourceLoupeFromFooter();

    std::shared_ptr<WebFrame> mainFrame() const;
    std::shared_ptr<DOMDocument> mainFrameDocument() const;
    const std::shared_ptr<VornickEmbeddedWebView>& embeddedWebView() const;
    void setHeadMetadataEditingUIController(std::shared_ptr<VornickHeadMetadataEditingUIController> controller);
    const std::shared_ptr<VornickSourceLoupe>& sourceLoupe() const;
    const std::shared_ptr<VornickCollapsibleHeaderSplitView>& splitView() const;
    VornickContentEditingViewDelegate* delegate() const;
    void setDelegate(VornickContentEditingViewDelegate* delegate);
    VornickContentEditingViewFileEntitlementDelegate* fileEntitlementDelegate() const;
    void setFileEntitlementDelegate(VornickContentEditingViewFileEntitlementDelegate* delegate);
    const std::shared_ptr<VornickBlockModeHelper>& blockModeHelper() const;
    // Subclasses for other kinds of content put their own helper in place.
    void setBlockModeHelper(std::shared_ptr<VornickBlockModeHelper>);
    const std::shared_ptr<VornickWebResourceCache>& webResourceCache() const;
    void setWebResourceCache(std::shared_ptr<VornickWebResourceCache> cache);
    const std::shared_ptr<VornickAttachmentPointLocatorSet>& attachmentPointLocatorSet() const;
    void setAttachmentPointLocatorSet(std::shared_ptr<VornickAttachmentPointLocatorSet> set);
    bool automaticallyAddsParagraphs() const;
    bool sectionHandlesShown() const;
    void setSectionHandlesShown(bool);
    const std::shared_ptr<WebFrame>& focusedWebFrame() const;
    const std::shared_ptr<VornickTidyFilter>& tidyFilter() const;
    bool allowsVibrancy() const { return true; }

    // The window's undo manager, or the view's own while it has no window.
    UndoManager* undoManager() const override;

    void elementEditorDidShowWindow();
    void elementEditorDidHideWindow();
    std::optional<VornickExactSelection> exactSelectionToOpenInAttributeEditorForEffectiveOperationRange() const;
    std::optional<VornickExactSelection> exactSelectionToUnwrapOrDeleteForEffectiveOperationRange() const;
    void endTypingRun();
    void endBackspaceRun();

    // --- Hooks for subclasses

    virtual void beginLoadingContentFromURL(const URL&);
    virtual void postEndLoadingToDelegateWithResult(VornickContentLoadingState, const VornickResourceLoadAttempts&);
    virtual void showAttachmentPointFailureResolutionUI();
    virtual void embeddedWebViewScrolled();
    virtual std::vector<VornickBlockError> validateContent();
    virtual bool canShowEmphasisPreferenceUI() const { return true; }

    // --- Loading

    void beginLoadingContentFromHTMLString(const std::u16string&, const std::optional<URL>& baseURL);
    [[nodiscard]] bool loadContentFromURL(const URL&, Error* outError);
    [[nodiscard]] bool loadHTMLString(const std::u16string&, const std::optional<URL>& baseURL, Error* outError);
    [[nodiscard]] bool finishHTMLLoadingWithErrorReturn(Error* outError);
    VornickResourceLoadAttempts failedResourceLoadAttempts() const;
    bool loadingContent() const;
    void setLoadingContent(bool);
    VornickContentLoadingState loadingState() const;
    const std::optional<Error>& loadError() const;
    // The URL each frame's document was loaded from, before any repaired copy.
    std::optional<URL> originalURLOfWebFrame(const WebFrame&) const;

    // --- Writing

    std::shared_ptr<VornickHTMLWriter> htmlWriterForWebFrame(const WebFrame&) const;
    // With the URL the page was at (`oldDocumentURL`), a page written to
    // another folder has its references that are paths from its folder
    // written from the new one; other references, and all of them in the
    // same folder, stay as written.
    [[nodiscard]] bool writeWebFrame(WebFrame&, const std::optional<URL>& url, const std::optional<URL>& oldDocumentURL,
                                     bool preflightOnly, Error* outError);
    [[nodiscard]] bool writeHTMLDocumentToURL(const URL&, const std::optional<URL>& oldDocumentURL, bool writeSubFrames,
                                              std::vector<Error>* outErrors);
    // The next write to the file replaces what another program wrote there
    // since it was read (the user chose to overwrite it).
    void allowOverwritingChangedFile(const URL&);
    std::u16string htmlFragmentStringForRange(const DOMRange&) const;
    void updateCharacterEncodingDisplayForFocusedWebFrame();
    VornickFrameValidationStatus tidyStatusForFocusedWebFrame() const;
    std::vector<VornickValidationAdvisory> tidyValidationAdvisoriesNotYetResolvedForFocusedWebFrame() const;
    std::u16string tidyStatusSummaryForDisplayToUser() const;

    // --- The change cycle

    // A change of the frame's content: an edit, or an injection into the point.
    void postVornickContentEditingViewDidChangeContentInWebFrame(const std::shared_ptr<WebFrame>&,
                                                                 const std::shared_ptr<VornickAttachmentPoint>&);
    // Edits as they come, for views that keep what the page held before the
    // first: told before an edit command or an undo registration changes the
    // page, and after a change announced as an edit (without a point).
    virtual void contentWillBeEdited() {}
    virtual void contentWasEdited() {}
    void scheduleHTMLUpdateForFocusedWebFrame();
    void scheduleHTMLUpdateForFocusedWebFrameIfNeeded();
    void postLastGeneratedHTMLForFocusedWebFrameDidChange();
    void postValidationResultsForFocusedWebFrameDidChange();
    void postVornickContentEditingViewDidChangeEffectiveOperationRange();
    bool undoableSetTitle(bool registerUndo, const std::u16string& title, const std::shared_ptr<WebFrame>&);
    // The staged file; none when the delegate could not stage it.
    std::optional<URL> cacheAndStageResourceFileIntoMediaLibrary(const URL&);

    // --- Operation range, target range and navigation

    std::shared_ptr<DOMRange> effectiveOperationRange() const override;
    bool canInsertOrWrapInLink() const override;
    std::optional<std::pair<long, long>> pixelSizeOfMediaFile(const URL&) const override;
    double boundingBoxWidthOfElement(const DOMElement&) const override;
    std::shared_ptr<DOMRange> effectiveOperationRangeForWrapOrReplace() const;
    const std::shared_ptr<DOMRange>& targetRange() const;
    void setTargetRange(const std::shared_ptr<DOMRange>&);
    void updateWebViewSelectedDOMRangeForTargetRange();
    void setDropTargetRange(const std::shared_ptr<DOMRange>&, VornickHitPartKind, Point viewPoint);
    void selectAll();
    void growSelectionToEnclosingNode();
    void selectPreviousSiblingNode();
    void scrollRangeToVisible(const std::shared_ptr<DOMRange>&);
    void scrollRangeToVerticallyCentered(const std::shared_ptr<DOMRange>&);
    // The web view's best guess of a range's bounds, in this view's coordinates.
    Rect vornick_bestGuessBoundsOfRange(const DOMRange&) const;
    // The same for the nodes from `first` to `last`, a later sibling of it (or itself).
    Rect vornick_bestGuessBoundsOfSiblings(const DOMNode& first, const DOMNode& last) const;

    // --- Attachment points, banners and the document URL

    bool hasAttachmentPoints() const;
    // Tries the effective locators of the identifier in order in the frame's
    // document (the main frame's when none is given): a run makes a new
    // point; a single element already attached yields its point, one nested
    // in or around another point's element fails, else a new point. A new
    // point moves the insertion point to its content's end unless the
    // operation range already lies in a point. Null when nothing is found.
    std::shared_ptr<VornickAttachmentPoint> attachToPoint(const std::u16string& identifier, VornickAttachmentType,
                                                          std::shared_ptr<WebFrame> frame = nullptr);
    // The locator set's locator for the identifier alone when it has one,
    // else the delegate's defaults, else none.
    std::vector<std::shared_ptr<VornickAttachmentPointLocator>> effectiveLocatorsForAttachmentPointIdentifier(const std::u16string&);
    // Detaches every point of the frame (the main frame when none is given).
    void clearAttachmentPointsInWebFrame(std::shared_ptr<WebFrame> frame = nullptr);
    void showAttachmentPointFailureBanner();
    void hideAttachmentPointFailureBanner();
    void showTemplateFallbackBanner();
    void hideTemplateFallbackBanner();
    void dismissAttachmentPointFailureBanner();
    // What views showing a post in its template use beside: whether the
    // banners show, and work to run once a load in progress is cancelled.
    bool attachmentPointFailureBannerShown() const;
    bool templateFallbackBannerShown() const;
    void cancelLoadingThenDo(std::function<void()>);
    bool isJavaScriptEnabled() const;
    void setJavaScriptEnabled(bool);
    const std::optional<URL>& mainFrameURL() const;
    void setMainFrameURL(const URL&);

    // --- Non-breaking space substitutes

    std::u16string placeholderSpaceStringForDocumentContainingRange(const DOMRange&) const;

    // --- Web view delegates

    void didStartProvisionalLoadForFrame(WebView&, WebFrame&) override;
    void didFailProvisionalLoadWithError(WebView&, const Error&, WebFrame&) override;
    void didCommitLoadForFrame(WebView&, WebFrame&) override;
    void didReceiveTitle(WebView&, const std::u16string&, WebFrame&) override;
    void didFinishLoadForFrame(WebView&, WebFrame&) override;
    void didFailLoadWithError(WebView&, const Error&, WebFrame&) override;
    WebResourceIdentifier identifierForInitialRequest(WebView&, const URLRequest&, WebDataSource&) override;
    std::optional<URLRequest> willSendRequest(WebView&, const WebResourceIdentifier&, const URLRequest&, const URLResponse*,
                                              WebDataSource&) override;
    void didFinishLoadingFromDataSource(WebView&, const WebResourceIdentifier&, WebDataSource&) override;
    void didFailLoadingWithError(WebView&, const WebResourceIdentifier&, const Error&, WebDataSource&) override;
    void decidePolicyForNavigationAction(WebView&, const WebNavigationAction&, const URLRequest&, WebFrame&,
                                         WebPolicyDecisionListener&) override;

    explicit VornickContentEditingView(Rect frame);

    // --- Undoable edits (core), each a command of editing/commands/: a leading `undoable` true registers
    //     the inverse with the view's undo manager; false only changes the document.

    // Replaces a range within one text node in place (extending the open typing run when asked); any other range is replaced by the text as
    // a fragment, named "Typing".
    [[nodiscard]] bool undoableReplaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>& range, const std::u16string& text,
                                      bool addToTypingRun, std::shared_ptr<DOMRange>* outResultRange = nullptr);
    [[nodiscard]] bool undoableReplaceFreezeDriedRangeWithText(bool undoable, const VornickFreezeDriedDOMRange&,
                                                 const std::shared_ptr<DOMDocument>&, const std::u16string& text,
                                                 bool addToTypingRun, std::shared_ptr<DOMRange>* outResultRange = nullptr);
    // Makes the range the target range and replaces it by the text as one ordinary undoable edit (ending the open typing run first: it
    // never grows it), leaving the caret after the text.
    void replaceRangeWithReplacementText(const std::shared_ptr<DOMRange>&, const std::u16string& text);
    // Deletes the range (null: the effective operation range) and inserts the fragment there.
    [[nodiscard]] bool undoableReplaceRangeWithFragment(bool undoable, const std::shared_ptr<DOMRange>& range,
                                          const std::shared_ptr<DOMDocumentFragment>&,
                                          const std::optional<std::u16string>& undoActionNameOverride,
                                          std::shared_ptr<DOMRange>* outResultRange = nullptr);
    [[nodiscard]] bool undoableReplaceFreezeDriedRangeWithFragment(bool undoable, const VornickFreezeDriedDOMRange&,
                                                     const std::shared_ptr<DOMDocument>&,
                                                     const std::shared_ptr<DOMDocumentFragment>&,
                                                     const std::optional<std::u16string>& undoActionNameOverride,
                                                     std::shared_ptr<DOMRange>* outResultRange = nullptr);
    // Selection undo: set the target range registering the one it replaces; register the effective operation range (frozen relative to the
    // body); the registered inverse itself.
    void setTargetRangeUndoably(const std::shared_ptr<DOMRange>&);
    void registerTargetRangeUndo();

    // Typing and backspace runs.
    const std::shared_ptr<VornickUndoableTypingRun>& activeTypingRun() const;
    const std::shared_ptr<VornickUndoableBackspaceRun>& activeBackspaceRun() const;
    // True only while the view itself changes a text node's data.
    bool insertingTextOrBackspacing() const;

    // What edit commands (editing/commands/) see of the view; made on first use.
    VornickEditingContext& editingContext();

    // Registers an inverse with the undo manager under this view (so the view's going removes it from every undo manager it used). The
    // inverse runs only while the view exists; `keptAlive` lives as long as the registration.
    void registerUndo(std::function<void(VornickContentEditingView&)> inverse, std::shared_ptr<const void> keptAlive = nullptr);
    // --- Editing delegate and text input

    // The web view never changes the document by itself: every insertion it proposes is refused and performed by the view on a later turn.
    bool shouldInsertText(WebView&, const std::u16string&, DOMRange*, WebViewInsertAction) override;
    bool shouldChangeSelectedDOMRange(WebView&, DOMRange* currentRange, DOMRange* proposedRange, WebSelectionAffinity,
                                      bool stillSelecting) override;
    void webViewDidChangeSelection(WebView&) override;
    void webViewDidChange(WebView&) override;
    bool doCommandBySelector(WebView&, std::string_view) override;

    // The view's key handling; what it does not take goes to the web view's text input, which proposes typed text through the editing
    // delegate.
    void keyDown(const Event&) override;
    void deleteSelection();
    // Forward Delete: the character after the caret, or what follows it.
    void deleteForward();

    // The window: delegates, notifications and the send-event hook exist exactly while the view is in a window.
    void viewWillMoveToWindow(Window*) override;
    void viewDidMoveToWindow() override;
    bool acceptsFirstResponder() const override { return true; }
    bool becomeFirstResponder() override;
    void vornick_windowWillChangeFirstResponder(const Notification&);
    void vornick_windowDidChangeFirstResponder(const Notification&);
    void vornick_windowWillBecomeKey(const Notification&);
    void vornick_windowDidBecomeKey(const Notification&);
    void vornick_windowWillClose(const Notification&);
    // What the send-event hook does with each event the window is about to send; false keeps the window from sending it.
    static bool windowWillSendEvent(Window&, const Event&);
    // Mouse handling of the page; each answers whether the event goes on to the web view.
    virtual bool handleLeftMouseDownInEmbeddedWebView(const Event&);
    virtual bool handleLeftMouseDraggedInEmbeddedWebView(const Event&);
    virtual void handleLeftMouseUpInEmbeddedWebView(const Event&);
    virtual bool handleRightMouseDownInEmbeddedWebView(const Event&);
    virtual bool handleContextClickInEmbeddedWebView(const Event&);
    virtual void handleFlagsChanged(const Event&);

    // Splits the nearest (or, not nearest, the outermost) enclosing element of the lower-case kinds at the insertion point, within the
    // attachment point; reports the tags of the elements the insertion point left, outermost first. One undo group.
    bool undoableSplitNearestAncestorElementsOfKinds(bool undoable, bool nearest, const std::set<std::u16string>& kinds,
                                                     std::shared_ptr<DOMRange> atPosition, bool producingCharacterLevelInsertionPoint,
                                                     bool suppressNewElementIfAtStartOrEnd, std::vector<std::u16string>* exitedElementTags);
    bool undoableSplitAncestorElement(bool undoable, const std::shared_ptr<DOMElement>&, const std::shared_ptr<DOMRange>& atPosition,
                                      bool producingCharacterLevelInsertionPoint, bool suppressNewElementIfAtStartOrEnd);

    // Plain, not undoable insertion.
    void vornick_insertText(const std::u16string&, const std::shared_ptr<DOMRange>& replacingDOMRange);
    bool vornick_unwrapElementsWithName(const std::u16string&, const DOMRange&) { return false; }

    // --- Structural edits: each command is one undo step named by the command.

    // Moves the source's contents to the collapsed target ("Move"); false when the target lies inside the source.
    [[nodiscard]] bool undoableMoveRange(bool undoable, const std::shared_ptr<DOMRange>& source,
                                         const std::shared_ptr<DOMRange>& collapsedTarget,
                                         const std::optional<std::u16string>& undoActionNameOverride,
                                         std::shared_ptr<DOMRange>* outResultRange = nullptr);
    // Sets an attribute; Undo restores the old value, or removes the attribute when it was absent.
    bool undoableSetValue(bool undoable, const std::u16string& value, const std::u16string& attribute, const std::shared_ptr<DOMElement>&);
    // Takes every element of the kind off the range ("Toggle <b>"); false when no element of the kind encloses either end.
    [[nodiscard]] bool undoableRemoveApplicationsOfElementKind(bool undoable, const std::u16string& tagName,
                                                               const std::shared_ptr<DOMRange>&);
    // Replaces the element by one of another kind with its contents and attributes.
    [[nodiscard]] bool undoableTransformElement(bool undoable, const std::shared_ptr<DOMElement>&, const std::u16string& tagName,
                                                std::shared_ptr<DOMRange>* outResultRange = nullptr);
    // Replaces the element (asserted) by its contents; deletes it when it is empty.
    [[nodiscard]] bool undoableUnwrapElement(bool undoable, const std::shared_ptr<DOMNode>& elementToUnwrap);
    // Replaces the range (not collapsed) by the fragment and puts the range's contents at the fragment's interior (frozen relative to the
    // fragment); false, with the range's contents back in place, when the interior cannot be found.
    [[nodiscard]] bool undoableWrapRange(bool undoable, const std::shared_ptr<DOMRange>&, const std::shared_ptr<DOMDocumentFragment>&,
                                         const std::optional<VornickFreezeDriedDOMRange>& freezeDriedInteriorRange);
    // Both always register their undo.
    bool undoableApplyDescribedFragment(bool undoable, const VornickFragmentDescription&, const std::shared_ptr<DOMRange>&);
    bool undoableApplyDescribedElement(bool undoable, const VornickHTMLElementSpec&, const std::shared_ptr<DOMRange>&);
    bool undoableApplyDescribedElement(bool undoable, const VornickHTMLElementSpec&, const std::shared_ptr<DOMRange>&,
                                       const std::optional<URL>& targetURL, bool alwaysShowAttributeEditor);
    // Puts the caret at the element gap of the collapsed range (asserted), before the text that follows or in a placeholder space made
    // there; false when the place is not an element gap.
    [[nodiscard]] bool undoableSetTextInsertionPointAfterPosition(bool undoable, const std::shared_ptr<DOMRange>& collapsedRange,
                                                                  bool leaveAGap);

    // --- Media insertion and the attribute editor

    // Lets the user choose a file of a resource file kind ("image", "video", "audio") in an open panel over the view's window, opened in
    // the folder the document keeps such files in. The block gets the chosen file, or null when the choice was cancelled; it is not called
    // at all without a document in the focused frame.
    using ResourceFileChoiceBlock = std::function<void(std::shared_ptr<VornickEnduringFileReference>)>;

    // Replace a range (null: the effective operation range) with a media element referencing a file, as one step named after the element,
    // and open the attribute editor on the new element. A figure without an image holds only its caption; a picture without one an empty
    // image. The player kinds must be "VIDEO" and "AUDIO" (in any case).
    [[nodiscard]] bool undoableReplaceRangeWithImageElementReferencingURL(bool undoable, const std::shared_ptr<DOMRange>&, const URL&,
                                                                          std::shared_ptr<DOMRange>* outResultRange = nullptr);
    [[nodiscard]] bool undoableReplaceRangeWithFigureElementReferencingImageURL(bool undoable, const std::shared_ptr<DOMRange>&,
                                                                                const std::optional<URL>& imageURL,
                                                                                std::shared_ptr<DOMRange>* outResultRange = nullptr);
    [[nodiscard]] bool undoableReplaceRangeWithPictureElementReferencingImageURL(bool undoable, const std::shared_ptr<DOMRange>&,
                                                                                 const std::optional<URL>& imageURL,
                                                                                 std::shared_ptr<DOMRange>* outResultRange = nullptr);
    [[nodiscard]] bool undoableReplaceRangeWithVideoElementOfKind(bool undoable, const std::shared_ptr<DOMRange>&,
                                                                  const std::u16string& elementKind, const URL&,
                                                                  std::shared_ptr<DOMRange>* outResultRange = nullptr);
    [[nodiscard]] bool undoableReplaceRangeWithAudioElementOfKind(bool undoable, const std::shared_ptr<DOMRange>&,
                                                                  const std::u16string& elementKind, const URL&,
                                                                  std::shared_ptr<DOMRange>* outResultRange = nullptr);

    // The snippet completion set of each frame, made by the class this view (or a subclass) names.
    using FragmentCompletionSetClass = std::function<std::shared_ptr<VornickFragmentCompletionSet>(
        std::shared_ptr<VornickFragmentSet> baseFragmentSet, std::shared_ptr<VornickFragmentSet> userFragmentSet,
        std::shared_ptr<VornickHTMLSpec>)>;
    virtual FragmentCompletionSetClass fragmentCompletionSetClass() const;

    bool showAttributeEditorForElement(const std::shared_ptr<DOMElement>&, const std::optional<std::u16string>& focusAttribute);

    // What the element editor asks the view of an element (subclasses that
    // know more of a page answer more): the inspector module it gets (the
    // proposed one; none: no module); a read-only text shown in place of an
    // attribute's value (none: the value itself); what is known of the media
    // file a value names (none); and whether a value naming a URL was opened
    // here (false: the editor opens it as any URL).
    virtual std::optional<VornickElementInspectorModuleKind> inspectorModuleClassForElement(
        const DOMElement&, std::optional<VornickElementInspectorModuleKind> proposed) const
    {
        return proposed;
    }
    virtual std::optional<std::u16string> attributeEditorReadOnlyStandInForValue(const std::u16string& /*value*/,
                                                                                const std::u16string& /*attribute*/, const DOMElement&) const
    {
        return std::nullopt;
    }
    virtual std::shared_ptr<const VornickMediaFileInfo> attributeEditorMediaFileInfoForValue(const std::u16string& /*value*/,
                                                                                            const std::u16string& /*attribute*/,
                                                                                            const DOMElement&) const
    {
        return nullptr;
    }
    [[nodiscard]] virtual bool attributeEditorOpenURLValue(const std::u16string& /*value*/, const DOMElement&) { return false; }
    // The addresses a URL attribute's field offers as completions, in the
    // order they come when equally good: the URLs the user copied, newest
    // first (a page that knows more offers more).
    virtual std::vector<std::u16string> attributeEditorURLStringsForCompletion() const;

    // --- Keyboard handling: Return, Tab, Escape and the arrow keys act by the document's structure

    // Arrow keys and Control-"/"; true when handled.
    bool performKeyEquivalent(const Event&) override;
    // A newline inside a PRE, else a BR element; one step.
    void insertLineBreak(ActionSender* sender = nullptr);
    // Replaces the snippet tab trigger typed before the insertion point by its snippet; false when there is none.
    bool insertTab(ActionSender* sender = nullptr);

    // --- Clipboard and deletion: each command is one undo step under its own name

    // The commands; each beeps when it cannot act.
    void copy(ActionSender*);
    void pasteAsRichText(ActionSender*);
    void deleteNonEmptySelection(ActionSender*);

    // --- Pointer: hit testing, selection interception, mouse, cursor, overlay, section handles

    // True when the view replaced the web view's proposal (which is then refused).
    bool overrideWebViewProposedSelectionChangeTo(const std::shared_ptr<DOMRange>& proposed, const Event&);
    bool overrideWebViewProposedSelectionChangeToForInterceptedMouseDownEvent(const std::shared_ptr<DOMRange>& proposed, const Event&);
    bool overrideWebViewProposedSelectionChangeToForInterceptedKeyDownEvent(const std::shared_ptr<DOMRange>& proposed, const Event&);
    void embeddedWebViewWillSetSelectedDOMRange(const std::shared_ptr<DOMRange>&, WebSelectionAffinity);
    // Where a drag of the view's own content ended with a move inside the view: the content moves to the drop target as one undoable step.
    void concludeDragOfOwnContent(DragOperation, bool droppedInThisView);

    void mouseMoved(const Event&) override;
    void updateTrackingAreas() override;

    // Made on first use; closed when the view leaves its window.
    const std::shared_ptr<VornickDOMTreeVisualizerWindowController>& domTreeVisualizerWindowController();

    // --- Formatting commands: each is one undo step; each validator answers whether its command would change something

    // Toggles an inline element kind (upper-case tag): at a caret, for the next typed text only; on a selection, off when all of its text
    // has it, else on once over the whole selection, without nesting.
    bool undoableToggleApplicationOfInlineStyleElement(bool undoable, const std::u16string& tagName);
    bool canToggleApplicationOfInlineStyleElement(const std::u16string& tagName) const;
    // Replaces each run of the character in the range's text by the string once; false when the range holds none of it.
    bool undoableReplaceRunsOfCharacter(bool undoable, char16_t character, const std::shared_ptr<DOMRange>&,
                                        const std::u16string& replacement);
    // The item that carries the "Transform to" submenu; no effect of its own.
    void transformBlockOrElement(ActionSender*) {}
    // The context menu: the formatting commands that apply where the click is; none outside the content rect.
    std::shared_ptr<Menu> menuForEvent(const Event&) override;
    // Enables each item as the validator of its action says, and titles it (editing/VornickContentEditingViewMenuValidation.cpp).
    bool validateMenuItem(MenuItem&) override;

    // --- List commands: each is one undo step; each validator answers whether its command would change the document

    // With `preflightOnly`, only answer whether the command would change anything; otherwise change it and answer whether it could.
    bool undoableIndentListLevel(ActionSender*, bool preflightOnly);
    bool undoableOutdentListLevel(ActionSender*, bool preflightOnly);

    // --- Find and replace, spelling and the find bar, resource file watching and reload, view services

    // Find and replace: the controller (made on first use), which performs the find actions of menu items (by tag) and keeps the find
    // bar, a strip below the content.
    VornickFindAndReplaceController& findAndReplaceController();
    std::shared_ptr<View> findBarView() const;
    bool isFindBarVisible() const;

    // Spelling and grammar over the document's text runs; the spelling panel's commands; automatic quote, dash and replacement fix-up of
    // typed text.
    void vornick_showGuessPanel(ActionSender*);
    void vornick_toggleGrammarChecking(ActionSender*);
    bool isGrammarCheckingEnabled() const;
    void clearSpellCheckState() {}
    // Applies the substitutions found within `editedRange` (a range in the text node), from the last to the first, each an undoable
    // replacement.
    void undoableFixupTextInNode(bool undoable, const std::shared_ptr<DOMNode>& textNode, const std::shared_ptr<DOMRange>& editedRange);

    // Resource file watching: one watcher per local file the web view loads; a change reloads the style sheets and images that use the
    // file.
    // Reloads the sheet when it imports the file or uses it as a background image.
    void setAttribute(const std::u16string& name, const std::u16string& value, const std::shared_ptr<DOMElement>&, bool jiggleOutOfTree);
    // Calls the block once the attempt's load has ended (at once when it has).
    void dumpResourceFileWatchers(ActionSender*);

    // View services: text zoom, JavaScript, printing, debug dumps, the encodings menu, the write-permission panel, collapsing bricks.
    double textSizeMultiplier() const;
    void setTextSizeMultiplier(double);
    bool canMakeTextLarger() const;
    bool canMakeTextSmaller() const;
    bool canMakeTextStandardSize() const;
    void makeTextLarger(ActionSender*);
    void makeTextSmaller(ActionSender*);
    void makeTextStandardSize(ActionSender*);
    std::shared_ptr<PrintOperation> printOperationWithPrintInfo(const PrintInfo&) const;
    void dumpEffectiveOperationRange(ActionSender*);
    void dumpFocusedDOMTree(ActionSender*);
    void dumpWebFrameTree(ActionSender*);
    void vornick_redrawEmbeddedWebView(ActionSender*);

    // --- Head elements, style sheets, snippet set and formatting preferences: each change one undo step
    // Built on first use.
    const std::shared_ptr<Menu>& addHeadElementMenu();
    // Head elements are addressed by their index among the head's child nodes.
    void undoableDeleteHeadElementAtIndex(bool undoable, unsigned index, const std::shared_ptr<DOMDocument>&);
    // An index at or past the end appends. `childNodes` are appended as they are.
    bool undoableInsertHeadElementWithTagName(bool undoable, const std::u16string& tagName,
                                              const std::vector<VornickElementAttributeValue>& attributeValues,
                                              const std::vector<std::shared_ptr<DOMNode>>& childNodes, unsigned index,
                                              const std::shared_ptr<DOMDocument>&);
    [[nodiscard]] bool undoableAddNewStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>&, bool asAlternate,
                                                bool embedCopy, const std::shared_ptr<DOMDocument>&);
    [[nodiscard]] bool undoableAddNewStylesheetWithURL(bool undoable, const URL& stylesheetURL,
                                                       const std::optional<std::u16string>& bundledStyleSheetName, bool asAlternate,
                                                       bool embedCopy, const std::shared_ptr<DOMDocument>&);
    [[nodiscard]] bool undoableSetPrimaryStylesheet(bool undoable, const std::shared_ptr<VornickStyleSheet>&, bool embedCopy,
                                                    const std::shared_ptr<WebFrame>&);
    bool undoableSetFragmentSet(bool undoable, const std::shared_ptr<VornickFragmentSet>&, const std::shared_ptr<WebFrame>&);
    bool undoableSetHTMLFormattingPreferencesString(bool undoable, const std::optional<std::u16string>&, const std::shared_ptr<WebFrame>&);
    bool undoableSetHTMLFormattingPreferences(bool undoable, const std::shared_ptr<VornickHTMLFormattingPreferences>&,
                                              const std::shared_ptr<WebFrame>&);
    // Tells the delegate that the focused frame's set of style sheets changed, when `document` is that frame's.
    void noteStyleSheetSetChangeInDocument(const DOMDocument&);

    // --- Menu validation: one table of the actions the view performs and what enables their items

    // The caret leaves its element (and a DD's list or a CODE's PRE with it); the second leaves a placeholder space behind to type into.
    void popInsertionPointOutOfElement(ActionSender*);
    void popInsertionPointOutOfElementAndInsertSpace(ActionSender*);
    bool canPopInsertionPointOutOfElement() const;
    bool canPopInsertionPointOutOfElementAndInsertSpace() const;
    // A new snippet from the selection: an editable view, a user snippet set in the selection's document and a selection that is not
    // collapsed.
    bool canAddFragmentDescriptionFromSelection() const;

    // --- Drag and drop and pasteboard to fragment
    // The destination side of a drag over the web view.
    DragOperation updateProposedDrop(const DraggingInfo&);
    bool performProposedDrop(const DraggingInfo&);
    void endProposedDrop(const DraggingInfo&);

    // --- Fragment completion ("Insert or Wrap In"), the apply menus, tab triggers, snippets from the selection
    bool canInitiateFragmentCompletion() const;
    // Made on first use and kept.
    const std::shared_ptr<VornickFragmentCompletionUIController>& fragmentCompletionUIController();
    // The completion controller's calls: the texts shown for a match, and the end of completion.
    virtual VornickCompletionDisplayText completionDescriptionForDisplay(VornickFragmentCompletionUIController&,
                                                                         const VornickCompletionMatch&) const;
    virtual std::u16string completionFinePrintForDisplay(VornickFragmentCompletionUIController&, const VornickCompletionMatch&) const;
    void completionSucceeded(VornickFragmentCompletionUIController&, const VornickCompletionMatch&);
    void completionCancelled(VornickFragmentCompletionUIController&, const std::u16string& exitString);
    void completionUIControllerDidShowWindow(VornickFragmentCompletionUIController&);
    void completionUIControllerDidHideWindow(VornickFragmentCompletionUIController&);
    // The apply menus' actions; the transform of a snippet and of an element are one operation.
    void vornick_invokeFragmentFromMenuItem(ActionSender*);
    void vornick_transformFragmentFromMenuItem(ActionSender*);
    void vornick_transformElementFromMenuItem(ActionSender* sender) { vornick_transformFragmentFromMenuItem(sender); }
    // New snippets from the selection, handed to the delegate (its answer, or null).
    std::shared_ptr<VornickFragmentDescription> undoableAddFragmentDescriptionWithMarkupString(bool undoable, const std::u16string& markup);
    std::shared_ptr<VornickFragmentDescription> undoableAddFragmentDescriptionWithContentsOfRange(bool undoable, const std::shared_ptr<DOMRange>&);
    std::shared_ptr<VornickFragmentDescription> undoableAddFragmentDescriptionWithContentPlaceholderFromElement(
        bool undoable, const std::shared_ptr<DOMElement>&);
    void addFragmentDescriptionFromSelection(ActionSender*);
    void addFragmentDescriptionWithContentPlaceholderFromSelection(ActionSender*);

    // --- Completion rows judged lazily, the apply menu, drops from the web view
    // The completion controller's ranking adjustment as rows made when asked for (the first rows judge only the matches they need; the
    // answers per element or snippet are kept in the controller's verdict cache for the same base target range and document version).
    VornickAdjustedCompletionMatches completionUIControllerAdjustedMatches(VornickFragmentCompletionUIController&,
                                                                          std::vector<VornickCompletionMatch>, std::u16string_view searchString);

    // --- Headless use: a view whose source is never shown (the command-line
    // report and save) leaves the loaded source unpainted and unmapped; its line index is still made, and then the source counts as up to
    // date. Painting is on by default.
    bool paintsLoadedSource() const;
    void setPaintsLoadedSource(bool paints);

    // --- Writing back while tidy checks the file: a view that writes its
    // page back as soon as it has loaded it (the command-line save) writes the main frame's new contents beside its file, synced, while
    // tidy still checks the file. The next write of that frame to that file puts them in place when the document is the one loaded and
    // unchanged since and the page has no frames of its own; otherwise, and when the check sends the load to a repaired copy, they are
    // thrown away and the write is made as ever. Off by default.
    bool preparesWriteBack() const;
    // Turning it off throws away what was prepared.
    void setPreparesWriteBack(bool);
    // The bytes the last write of the main frame put into its file, kept only by a view that prepares write-backs (the report reads them
    // instead of the file).
    const std::optional<std::string>& lastWrittenMainFrameData() const;

    // The view's state and the work only its own files share (and tests, through
    // VornickContentEditingViewTestPeer), in editing/VornickContentEditingViewInternals.h.
    struct Internals;

protected:
    virtual void build();
    void resetLoadingState();
    void postEndLoading();

private:
    struct FrameLoadRecord;
    void runLoadEpilogueForFrame(WebFrame&);
    void loadSnippetSetOfFrame(WebFrame&);
    void finishLoadingAfterAllFrames();
    void applyBodyStyleGuardAndMakeEditable();
    void enableNonBreakingSpaceSubstitutionThenPostEndLoading();
    void markFrameSourceUpToDateIfComplete(WebFrame&);
    void removeLastFrame(WebFrame&, const Error&, bool provisional);
    std::shared_ptr<VornickResourceLoadAttempt> attemptForIdentifier(const WebResourceIdentifier&) const;
    void eraseResourceBeingLoaded(const std::shared_ptr<VornickResourceLoadAttempt>&);
    void performAfterDelay(double seconds, std::function<void(VornickContentEditingView&)>);
    std::weak_ptr<VornickContentEditingView> weakSelf() const;
    // Performs the member when the action is sent to the view (held weakly).
    void installActionHandler(const char* action, void (VornickContentEditingView::*member)(ActionSender*));
    void installActionHandler(const char* action, void (*function)(VornickContentEditingView&, ActionSender*));
    // Makes the frame the focused one, with its notifications.
    std::vector<std::weak_ptr<const DOMNode>> nodesToOmitWhenWriting(const WebFrame&) const;

    std::unique_ptr<Internals> m_internals;

    struct RegenerationWriter;
    struct ResourceLoadEndWaiter;
    struct SubresourceReload;
    // Undoable edits.
    class EditingContext;

    // --- Writing back while tidy checks the file
    struct PreparedWriteBack;
    bool acceptChecksOrLoadRepairedCopy();
    void prepareWriteBackOfMainFrame();
    std::unique_ptr<PreparedWriteBack> takePreparedWriteBack(const WebFrame&, const std::string& path);
};

// The editing view that shows a node's document, if any.
std::shared_ptr<VornickContentEditingView> vornick_contentEditingView(const DOMNode&);

} // namespace brevanton
