// The private state of VornickContentEditingView, shared by the files
// that implement the view (and only included by them).
#pragma once

#include "editing/VornickContentEditingView.h"
#include "platform/foundation/FileUtilities.h"
#include "platform/foundation/RunLoop.h"
#include "toolkit/VornickNewlineConvention.h"

#include <map>

namespace brevanton {

class AttributedString;
class Cursor;
class DOMCSSStyleSheet;
class VornickAttachmentPointLocator;
class VornickLineIndex;
class VornickHeadElementsController;
class VornickSpellingController;
struct VornickPasteboardObject;
class VornickContentEditingViewLoadState;
class VornickDOMToNSRangeMap;
class TextField;

// The writer that regenerates the focused frame's source, kept between
// edits (with what it learnt of the document's element kinds).
struct VornickContentEditingView::RegenerationWriter {
    const WebFrame* frame { nullptr };
    uint64_t loadGeneration { 0 };
    char16_t substitute { 0 };
    VornickNewlineConvention newlineConvention { VornickNewlineConvention::LF };
    std::shared_ptr<VornickHTMLWriter> writer;
    // The source and map it gave last, which the frame holds too, and
    // their line index: a later change of text alone is spliced into
    // them, in place while nobody else holds them.
    std::shared_ptr<AttributedString> source;
    std::shared_ptr<VornickDOMToNSRangeMap> map;
    std::weak_ptr<const VornickLineIndex> lineIndex;
};

// Blocks waiting for the end of a resource load, with their observations.
struct VornickContentEditingView::ResourceLoadEndWaiter {
    std::function<void()> block;
    ObserverToken succeeded;
    ObserverToken failed;
};

// The loads a refresh starts, collected while it looks (each made once).
struct VornickContentEditingView::SubresourceReload {
    std::shared_ptr<WebFrame> frame;
    URL url;
};

struct VornickContentEditingView::Internals {
    bool editable { true };
    std::shared_ptr<VornickBlockModeHelper> blockModeHelper;
    // Lets `writer` find each block's fragment description from its start comment.
    void letWriterFindBlockFragments(VornickHTMLWriter& writer) const;
    std::optional<URL> mainFrameURL;
    std::set<WebFrame*> webFramesBeingLoaded;
    VornickResourceLoadAttempts resourcesBeingLoaded;
    VornickResourceLoadAttempts failedResourceLoadAttempts;
    bool loadingContent { false };
    bool postedEndLoading { false };
    VornickContentLoadingState loadingState { VornickContentLoadingState::NotStarted };
    bool anyWebFrameLoadSucceeded { false };
    std::optional<Error> loadError;
    std::vector<std::function<void()>> loadCompletionBlocks;
    std::shared_ptr<DOMRange> targetRange;
    std::shared_ptr<WebFrame> focusedWebFrame;
    std::shared_ptr<VornickTidyFilter> tidyFilter;
    bool hasWrittenDocument { false };
    bool documentEdited { false };
    bool settingTargetRange { false };
    bool automaticallyAddsParagraphs { true };
    bool sectionHandlesShown { false };
    bool allowsHeadDisplayAndEditing { true };
    ScopedTimer htmlUpdateTimer;
    // While set, the edits of this turn are laid out and marked for display
    // at its end (the page shows every change at the next paint).
    std::optional<RunLoop::ObserverID> pageDisplayObserver;
    std::shared_ptr<VornickAttachmentPointLocatorSet> attachmentPointLocatorSet;
    std::shared_ptr<VornickWebResourceCache> webResourceCache;
    std::shared_ptr<DOMRange> dropTargetRange;
    std::vector<URL> imageFileURLsForDrop;
    std::vector<URL> movieFileURLsForDrop;
    bool droppingReplacementImage { false };
    bool droppingReplacementMovie { false };
    std::shared_ptr<View> templateFallbackBannerView;
    std::shared_ptr<View> attachmentPointFailureBannerView;
    std::shared_ptr<VornickHeadMetadataEditingUIController> headMetadataEditingUIController;
    std::shared_ptr<VornickEmbeddedWebView> webView;
    std::shared_ptr<VornickDOMPathBar> domPathBar;
    std::shared_ptr<VornickSourceLoupe> sourceLoupe;
    std::shared_ptr<VornickCollapsibleHeaderSplitView> splitView;
    std::shared_ptr<VornickContentEditingViewSplitViewManager> splitViewManager;
    std::shared_ptr<VornickElementEditorUIController> elementEditorUIController;
    VornickContentEditingViewDelegate* delegate { nullptr };
    VornickContentEditingViewFileEntitlementDelegate* fileEntitlementDelegate { nullptr };
    std::unique_ptr<UndoManager> ownUndoManager;
    ObserverToken formattingPreferencesObservation;
    ObserverToken validationPreferencesObservation;

    // The repaired copies of the current load and their base elements.
    std::unique_ptr<VornickContentEditingViewLoadState> loadState;

    // Frames whose generated source went stale while they were not focused.
    std::set<const WebFrame*> staleFrames;
    bool probingForDOMRange { false };
    std::shared_ptr<DOMNode> bodyPlaceholderTextNode;

    // The painting and line-indexing jobs of a load, counted per frame.
    std::map<const WebFrame*, unsigned> pendingSourceJobs;
    uint64_t loadGeneration { 0 };
    std::unique_ptr<RegenerationWriter> regenerationWriter;
    unsigned blockRepairDepth { 0 };
    bool lastRegenerationWasSpliced { false };
    std::unique_ptr<VornickEditingContext> editingContext;
    std::shared_ptr<VornickUndoableTypingRun> activeTypingRun;
    std::shared_ptr<VornickUndoableBackspaceRun> activeBackspaceRun;
    bool insertingTextOrBackspacing { false };

    // Every undo manager an inverse was registered with, to clear them when the view goes.
    std::vector<std::pair<UndoManager*, std::weak_ptr<const void>>> undoManagersRegisteredWith;

    // Editing delegate and text input.
    std::vector<ObserverToken> windowObservations;
    Window::SendEventHookHandle windowSendEventHook;
    bool windowIsBecomingKey { false };
    bool servicedProposedSelectionChange { false };
    std::shared_ptr<DOMRange> probeResultRange;
    bool selectedDOMRangeChangedWhileProbingForDOMRange { false };
    int64_t growingSelectionState { 0 };

    // The mouse or key event whose selection change is being serviced.
    std::optional<Event> selectionChangingEventBeingHandled;
    std::vector<std::u16string> toggledInlineStyleElementsForTyping;
    int32_t whitespacePolicy { 0 };

    // Pointer: hit testing, interception, mouse, cursor and overlay state.
    int32_t anchorEndpoint { 0 };
    Point lastLeftMouseDownInView;
    bool leftClickSelectedSomething { false };
    bool draggingAFragmentAsSource { false };
    std::shared_ptr<DOMDocumentFragment> fragmentForDrop;
    std::shared_ptr<DOMRange> draggedRange;
    std::shared_ptr<DraggingSource> draggingSource;
    std::shared_ptr<TrackingArea> trackingArea;
    double lastMouseMovedTimestamp { -1 };

    // The modifier keys held at the last event the view saw.
    ModifierFlags lastKnownModifierFlags { 0 };
    std::shared_ptr<VornickContentOverlayWindow> overlayWindow;
    std::shared_ptr<VornickDOMTreeVisualizerWindowController> domTreeVisualizerWindowController;

    // --- Formatting commands (private state)
    // True while typed text goes in: its own caret moves keep the inline
    // styles toggled for it, which every other caret move clears.
    bool insertingTypedText { false };

    // Where the caret was when the styles were toggled: text typed anywhere
    // else (after an edit moved the caret) does not get them.
    VornickDOMPosition toggledInlineStyleElementsCaret;

    // --- Find and replace, spelling, resource file watching (state)
    // Made on first use; it keeps the find bar.
    std::unique_ptr<VornickFindAndReplaceController> findAndReplaceController;
    std::unique_ptr<VornickSpellingController> spelling;
    std::map<std::u16string, std::shared_ptr<VornickWebResourceFileWatcher>> resourceFileWatchers;
    std::vector<std::shared_ptr<ResourceLoadEndWaiter>> resourceLoadEndWaiters;
    std::vector<SubresourceReload>* collectedSubresourceReloads { nullptr };
    // The files the view's saves wrote since the load (each with its identity
    // after the write): a change of one of them is the save's own write.
    std::vector<std::pair<std::string, std::optional<FileIdentity>>> writtenDocumentFiles;
    // Set when the view's window is about to close: no resource refresh runs then.
    bool windowIsClosing { false };

    // --- Head elements, style sheets and the snippet set: their controller
    std::unique_ptr<VornickHeadElementsController> headElements;

    // --- Drag and drop and pasteboard to fragment (state)
    std::vector<URL> referencedFileURLsForDrop;
    std::vector<URL> audioFileURLsForDrop;
    bool droppingSingleLink { false };

    // --- Fragment completion (state)
    std::shared_ptr<VornickFragmentCompletionUIController> fragmentCompletionUIController;

    // --- Headless use (state)
    bool paintsLoadedSource { true };
    // The selection indicator's update after finished resource loads is due.
    bool selectionIndicatorUpdateScheduled { false };
    bool preparesWriteBack { false };
    std::unique_ptr<PreparedWriteBack> preparedWriteBack;
    std::optional<std::string> lastWrittenMainFrameData;

    // The state of a view, for the view's own files outside its members.
    static Internals& of(const VornickContentEditingView& view) { return *view.m_internals; }

    // --- What the view's own files share: the work behind its members, with
    //     the view as the first argument.
    static bool viewIsDescendantOfContentEditingArea(const VornickContentEditingView&, const View&);
    static bool responderIsEmbeddedWebViewOrADescendant(const VornickContentEditingView&, const Responder*);
    static void elementEditorDidEffectivelyResizeWindow(VornickContentEditingView&);
    static void rewireReferencesInFragment(VornickContentEditingView&, DOMDocumentFragment&, DOMDocument& targetDocument);
    static bool cacheStageAndRewireResourceFileReferencesInFragment(VornickContentEditingView&, DOMDocumentFragment&);
    static std::optional<VornickFreezeDriedDOMRange> freezeDriedBodyRelativeEffectiveOperationRangeForMainFrame(const VornickContentEditingView&);
    static void setTargetRangeWithoutUpdatingWebViewSelectedDOMRange(VornickContentEditingView&, const std::shared_ptr<DOMRange>&);
    static void updateSelectionIndicator(VornickContentEditingView&);
    static void showEnterIndicationForElement(VornickContentEditingView&, const DOMElement&);
    static void showExitIndicationForElement(VornickContentEditingView&, const DOMElement&);
    static std::vector<std::shared_ptr<VornickAttachmentPointLocator>> effectiveLocatorsForAttachmentPointIdentifier(VornickContentEditingView&, const std::u16string&);
    static void hideTemplateFallbackBanner(VornickContentEditingView&);
    static void hideAttachmentPointFailureBanner(VornickContentEditingView&);
    static void condenseWhitespaceAtOffset(VornickContentEditingView&, int32_t offset, const std::shared_ptr<DOMNode>& textNode);
    static void setGrowingSelectionState(VornickContentEditingView&, int64_t state);
    static bool vornick_shouldAddParagraphWrapperForInsertionInRange(const VornickContentEditingView&, const DOMRange&);
    static void vornick_autoWrapSelectedRangeEnvironsInParagraphIfApprorpriate(VornickContentEditingView&);
    static void chooseResourceFileOfKindToInsert(VornickContentEditingView&, std::u16string_view kind,
                                                 const std::u16string& messageToUser, ResourceFileChoiceBlock);
    // Return in a table cell: on to the next row's first cell (giving an
    // empty row a cell).
    static void returnInTableCell(VornickContentEditingView&, const std::shared_ptr<DOMElement>& cell);
    static bool addTableCaptionOrPreflight(VornickContentEditingView&, bool preflight);
    static bool addTableFooterOrPreflight(VornickContentEditingView&, bool preflight);
    // A new column before (direction < 0) or after the column of the cell
    // the effective operation range selects or lies in.
    static bool insertColumnRelativeToInferredTableColumn(VornickContentEditingView&, int direction);
    static bool canInsertColumnRelativeToInferredTableColumn(const VornickContentEditingView&);
    static bool canInsertRowRelativeToInferredTableRow(const VornickContentEditingView&);
    [[nodiscard]] static bool copyContentsOfSelectionToPasteboard(VornickContentEditingView&, Pasteboard&, bool asHTMLSourceCode);
    // Lets the frame reassess its non-breaking space substitute for the
    // fragment's text, then shows the fragment's U+00A0 as the substitute.
    static void reassessNonBreakingSpaceSubstituteCharacterAndPerformSubstitutionInIncomingFragment(VornickContentEditingView&,
        const std::shared_ptr<DOMDocumentFragment>&, const std::shared_ptr<WebFrame>&);
    static bool changeSelectionForLeftOrRightMouseDown(VornickContentEditingView&, const Event&);
    static void vornick_setCursor(VornickContentEditingView&, const Cursor&);
    static void updateContentEditingCursor(VornickContentEditingView&);
    static void createOverlayWindow(VornickContentEditingView&);
    static void addWatcherForResourceFile(VornickContentEditingView&, const std::shared_ptr<VornickResourceLoadAttempt>&, const URL&);
    static void tickleReloadOfStyleSheetReferencedByLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&);
    static void tickleReloadOfStyleSheet(VornickContentEditingView&, const std::shared_ptr<DOMCSSStyleSheet>&);
    static void tickleReloadOfStyleSheet(VornickContentEditingView&, const std::shared_ptr<DOMCSSStyleSheet>&, const URL& changedFileURL);
    static void updateImgElementWidthAndHeight(VornickContentEditingView&, const std::shared_ptr<DOMElement>&, const URL& resolvedURL);
    static void whenResourceFileLoadSucceedsOrFails(VornickContentEditingView&, const std::shared_ptr<VornickResourceLoadAttempt>&,
                                                    std::function<void()>);
    static void updateAfterTextZoom(VornickContentEditingView&);
    // What a pasteboard holds, in the order of VornickReadPasteboardContent,
    // as objects: URLs, a titled URL, a fragment made from a web archive, or
    // plain text; empty when it holds none of them. A web archive becomes a
    // fragment of the given document (where a drop lands), else of the
    // effective operation range's document.
    static std::vector<VornickPasteboardObject> objectsFromPasteboard(VornickContentEditingView&, const Pasteboard&,
                                                                      DOMDocument* forDocument = nullptr);
    static std::shared_ptr<DOMDocumentFragment> createFragmentFromObject(VornickContentEditingView&, const VornickPasteboardObject&,
                                                                         DOMDocument&);
    static std::shared_ptr<DOMDocumentFragment> createFragmentFromObjects(VornickContentEditingView&,
                                                                          const std::vector<VornickPasteboardObject>&, DOMDocument&);
    static void padAroundInsertedFragmentRangeAfterDrop(VornickContentEditingView&, const std::shared_ptr<DOMRange>&);
    static void bringWindowForwardAfterDropIfPreferenceIsSet(VornickContentEditingView&);
    static void setFragmentForDrop(VornickContentEditingView&, const std::shared_ptr<DOMDocumentFragment>& fragment);
    static bool hasFragmentCompletionUIController(const VornickContentEditingView&);
    static void vornick_deletePlaceholderElementForCompletionController(VornickContentEditingView&, VornickFragmentCompletionUIController&);
    static void regenerateWebFrame(VornickContentEditingView&, const std::shared_ptr<WebFrame>&);
    static void validationFinished(VornickContentEditingView&, const std::shared_ptr<WebFrame>&, VornickTidyResultCode status,
                                   const std::vector<VornickValidationAdvisory>&);
    static void showBanner(VornickContentEditingView&, std::shared_ptr<View>& field, const char* name);
    static void hideBanner(VornickContentEditingView&, std::shared_ptr<View>& field);
    static std::shared_ptr<DOMRange> collapsedRangePushedIntoText(const VornickContentEditingView&, const DOMRange&, bool toStart);
    static void showNavigationMessage(VornickContentEditingView&, const std::u16string&);
    static void applySectionHandlesToAllFrames(VornickContentEditingView&, bool shown);
    static void focusWebFrame(VornickContentEditingView&, const std::shared_ptr<WebFrame>&);
    static VornickHTMLWriter& regenerationWriterForWebFrame(VornickContentEditingView&, const WebFrame&);
    static bool spliceChangedTextIntoSourceOfWebFrame(VornickContentEditingView&, const WebFrame&, DOMDocument&, VornickHTMLWriter&);
    static void storeRegeneratedSourceOfWebFrame(VornickContentEditingView&, const WebFrame&, std::shared_ptr<const VornickLineIndex>);
    static void removeUndoActionsFromEveryUndoManager(VornickContentEditingView&);
    // The deletion, answering whether it could delete; the deleted fragment
    // is made only for a caller that asks for it.
    static bool deleteFragment(VornickContentEditingView&, const std::shared_ptr<DOMRange>&, bool undoably,
                               const std::optional<std::u16string>& undoActionNameOverride,
                        bool backspacing, std::shared_ptr<DOMDocumentFragment>* outDeleted);
    // The actions of media insertion and the attribute editor.
    static void installMediaAndAttributeEditorActionHandlers(VornickContentEditingView&);
    static void installTableCommandActionHandlers(VornickContentEditingView&);
    // Clipboard and deletion.
    static void installClipboardAndDeletionActionHandlers(VornickContentEditingView&);
    static void backspaceAtElementPosition(VornickContentEditingView&, VornickDOMPosition, bool caretStartedInText);
    static bool handleSectionHandleHit(VornickContentEditingView&, const Event&, const std::shared_ptr<DOMRange>&);
    static bool handleContentHit(VornickContentEditingView&, const Event&, const std::shared_ptr<DOMRange>&, Point viewPoint);
    static std::shared_ptr<DOMRange> probeForDOMRange(VornickContentEditingView&, const DOMNode&, Point viewPoint, unsigned options);
    static void clearToggledInlineStyleElementsForCaretMove(VornickContentEditingView&);
    static void dropToggledInlineStyleElementsIfCaretMoved(VornickContentEditingView&);
    static void installFormattingActionHandlers(VornickContentEditingView&);
    static void rebuildContextMenu(VornickContentEditingView&);
    static void installListCommandActionHandlers(VornickContentEditingView&);
    static void installFindSpellingAndViewServiceActionHandlers(VornickContentEditingView&);
    // The controllers the view forwards to, each with the host it works through.
    static std::unique_ptr<VornickSpellingController> makeSpellingController(VornickContentEditingView&);
    static std::unique_ptr<VornickFindAndReplaceController> makeFindAndReplaceController(VornickContentEditingView&);
    static std::unique_ptr<VornickHeadElementsController> makeHeadElementsController(VornickContentEditingView&);
    static void reloadSubresourceOfFrame(VornickContentEditingView&, const std::shared_ptr<WebFrame>&, const URL&);
    static void updateImgElementWidthAndHeightWhenLoaded(VornickContentEditingView&, const std::shared_ptr<DOMElement>&,
                                                         const URL& resolvedURL);
    static void installHeadElementActionHandlers(VornickContentEditingView&);
    static void installMenuCommandActionHandlers(VornickContentEditingView&);
    static bool performReplacementMediaDrop(VornickContentEditingView&, bool image);
    static std::shared_ptr<DOMRange> acceptedDropTarget(VornickContentEditingView&, const std::shared_ptr<DOMRange>&, Point viewPoint,
                                                        unsigned hitTestOptions);
    static void installFragmentCompletionActionHandlers(VornickContentEditingView&);
    [[nodiscard]] static bool stageDroppedFilesInFragment(VornickContentEditingView&, DOMDocumentFragment&, DOMDocument&);
    // Edits of any formatting preferences set reach htmlFormattingPreferencesInstanceWasEdited.
    static void observeFormattingPreferencesEdits(VornickContentEditingView&);

    // --- Commands, validators and state that the view's menus and actions reach
    //     (tests reach them through VornickContentEditingViewTestPeer).
    // -- The view
    static bool relatedUIHasFocus(const VornickContentEditingView&);
    static void setAllowsHeadDisplayAndEditing(VornickContentEditingView&, bool);
    static bool headElementsShown(const VornickContentEditingView&);
    static void setHeadElementsShown(VornickContentEditingView&, bool);
    static bool pathBarShown(const VornickContentEditingView&);
    static void setPathBarShown(VornickContentEditingView&, bool);
    static Rect contentRect(const VornickContentEditingView&);
    static void setAutomaticallyAddsParagraphs(VornickContentEditingView&, bool adds);
    static void embeddedWebViewMoved(VornickContentEditingView&);
    static Rect elementEditorPopoverWindowFrameIfShown(const VornickContentEditingView&);
    // -- Loading
    static void cancelLoadingThenDo(VornickContentEditingView&, std::function<void()>);
    // Called by the host after the user granted file access.
    static void reloadResourcesAfterAccessGrant(VornickContentEditingView&);
    // -- Writing
    [[nodiscard]] static bool preflightWritingWebFrame(VornickContentEditingView&, WebFrame&, Error* outError);
    [[nodiscard]] static bool writeWebArchiveDocumentToURL(VornickContentEditingView&, const URL&, Error* outError);
    static std::shared_ptr<DOMDocumentFragment> cleanedUpDocumentFragmentForRange(const VornickContentEditingView&, const DOMRange&);
    // `text`, when given, gets the range's text (DOMRange::toString) from the
    // same walk; `markup`, the archive's page (the range's markup, UTF-8).
    static std::optional<Data> cleanedUpWebArchiveDataForRange(const VornickContentEditingView&, const DOMRange&,
        std::u16string* text = nullptr, Data* markup = nullptr);
    static void tickleRevalidationOfFocusedWebFrame(VornickContentEditingView&);
    // -- The change cycle
    static void htmlUpdateTimerFired(VornickContentEditingView&);
    // Has the page lay out and mark what the turn's edits changed, once, at the end of the turn.
    static void displayPageChangesAtEndOfTurn(VornickContentEditingView&);
    static bool htmlUpdateIsScheduled(const VornickContentEditingView&);
    // -- Operation range, target range and navigation
    static void selectNone(VornickContentEditingView&);
    static void selectNextSiblingNode(VornickContentEditingView&);
    static void selectFirstChildNode(VornickContentEditingView&);
    static bool enterNode(VornickContentEditingView&, const std::shared_ptr<DOMNode>&, int direction);
    static void exitNode(VornickContentEditingView&, const std::shared_ptr<DOMNode>&, int direction);
    // -- Attachment points, banners and the document URL
    static std::shared_ptr<VornickAttachmentPoint> attachToPoint(VornickContentEditingView&, const std::u16string& identifier,
        VornickAttachmentType, std::shared_ptr<WebFrame> frame);
    static void clearAttachmentPointsInWebFrame(VornickContentEditingView&, std::shared_ptr<WebFrame> frame);
    static std::shared_ptr<DOMElement> mainFrameAttachmentPointElement(const VornickContentEditingView&);
    static void showTemplateFallbackBanner(VornickContentEditingView&);
    static void showAttachmentPointFailureBanner(VornickContentEditingView&);
    // -- Non-breaking space substitutes
    static void reassessNonBreakingSpaceSubstituteCharacterForStringToBeInserted(VornickContentEditingView&, const std::u16string&,
        const std::shared_ptr<WebFrame>&);
    // -- Undoable edits (core), each a command of editing/commands/: a leading `undoable` true registers
    // Inserts at the position (a null node: the start of the effective operation range); false when there is no place to insert.
    [[nodiscard]] static bool insertFragmentAtPosition(VornickContentEditingView&, const std::shared_ptr<DOMDocumentFragment>&,
        VornickDOMPosition, bool undoably, const std::optional<std::u16string>& undoActionNameOverride);
    [[nodiscard]] static bool insertFragmentAtPath(VornickContentEditingView&, const std::shared_ptr<DOMDocumentFragment>&,
        const VornickRelativeDOMPath&, const std::shared_ptr<DOMDocument>&, bool undoably,
        const std::optional<std::u16string>& undoActionNameOverride);
    [[nodiscard]] static bool insertFragmentUndoably(VornickContentEditingView&, const std::shared_ptr<DOMDocumentFragment>&);
    // Deletes the range (null: the effective operation range); answers what was deleted, which the caller owns (the undo payload is
    // separate).
    static std::shared_ptr<DOMDocumentFragment> deleteFragmentInRange(VornickContentEditingView&, const std::shared_ptr<DOMRange>& range,
        bool undoably, const std::optional<std::u16string>& undoActionNameOverride, bool backspacing);
    static std::shared_ptr<DOMDocumentFragment> deleteFragmentInFreezeDriedRange(VornickContentEditingView&,
        const VornickFreezeDriedDOMRange&, const std::shared_ptr<DOMDocument>&, bool undoably,
        const std::optional<std::u16string>& undoActionNameOverride, bool backspacing);
    // Deletes the effective operation range, as the Delete key does. Null when nothing could be deleted; otherwise an empty fragment: only
    // the undo step keeps what went (no copy is made for a caller; one that needs the deleted content asks deleteFragmentInRange).
    static std::shared_ptr<DOMDocumentFragment> deleteFragmentUndoably(VornickContentEditingView&);
    static std::shared_ptr<DOMDocumentFragment> backspaceDeleteRangeUndoably(VornickContentEditingView&, const std::shared_ptr<DOMRange>&);
    static void undoSetTargetRange(VornickContentEditingView&, const VornickFreezeDriedDOMRange&,
        const std::shared_ptr<DOMNode>& documentBody);
    // -- Editing delegate and text input
    // Performs an insertion at the effective operation range as a typed text insertion command (the range argument is the one the web view
    // proposed, kept for the record).
    static void deferredInsertProposedText(VornickContentEditingView&, const std::u16string& text,
        const std::shared_ptr<DOMRange>& replacingDOMRange, WebViewInsertAction givenAction);
    static void insertExplicitNonBreakingSpace(VornickContentEditingView&);
    static void insertLoremIpsum(VornickContentEditingView&);
    // Each string on the general pasteboard, inserted as typed text is.
    static void pasteAsPlainText(VornickContentEditingView&);
    static void deleteRange(VornickContentEditingView&, const std::shared_ptr<DOMRange>&);
    // A whole table cell selected: the caret goes to the start (or end) of
    // its contents. False when no cell is selected whole.
    static bool collapseSelectedTableCell(VornickContentEditingView&, bool toEnd);
    static void setWhitespacePolicy(VornickContentEditingView&, int32_t policy);
    static void setProbingForDOMRange(VornickContentEditingView&, bool probing);
    // Paragraph auto-wrap of inserted text (automaticallyAddsParagraphs).
    static void autoWrapRangeEnvironsInParagraphIfAppropriate(VornickContentEditingView&, const std::shared_ptr<DOMRange>&);
    // -- Structural edits: each command is one undo step named by the command.
    // Moves the caret out of its element, leaving a placeholder space when a gap is wanted; answers the tag name of the element left.
    static std::optional<std::u16string> popInsertionPointOutOfElementAndLeaveAGap(VornickContentEditingView&, bool leaveAGap);
    // Pops once more out of a DL after a DD, out of a list after its item,
    // or out of a PRE after a CODE.
    static void popInsertionPointOutOfElementOrTwoAndLeaveAGap(VornickContentEditingView&, bool leaveAGap);
    static bool canPopInsertionPointOutOfElementAndLeaveAGap(const VornickContentEditingView&, bool leaveAGap);
    // -- Media insertion and the attribute editor
    static void chooseImageToInsertUsingCompletionBlock(VornickContentEditingView&, ResourceFileChoiceBlock);
    static void chooseVideoToInsertUsingCompletionBlock(VornickContentEditingView&, ResourceFileChoiceBlock);
    static void chooseAudioFileToInsertUsingCompletionBlock(VornickContentEditingView&, ResourceFileChoiceBlock);
    // Commands: choose a file, stage it into the document's media library and replace the effective operation range (when the file arrives)
    // with an element referencing it, as one undoable edit.
    static void chooseImageAndReplaceSelection(VornickContentEditingView&, ActionSender*);
    static void chooseImageAndReplaceSelectionWithFigure(VornickContentEditingView&, ActionSender*);
    static void chooseImageAndReplaceSelectionWithPicture(VornickContentEditingView&, ActionSender*);
    static void chooseVideoAndReplaceSelectionUsingElementKind(VornickContentEditingView&, const std::u16string& elementKind);
    static void chooseAudioFileAndReplaceSelectionUsingElementKind(VornickContentEditingView&, const std::u16string& elementKind);
    // A new completion set for the frame, indexed and kept on the frame; null (and none kept) while the frame has no HTML specification.
    static std::shared_ptr<VornickFragmentCompletionSet> rebuildFragmentCompletionSetForWebFrame(VornickContentEditingView&,
        const WebFrame&);
    // The attribute editor popover.
    static void vornick_editElementAttributes(VornickContentEditingView&, ActionSender*);
    static bool canEditElementAttributes(const VornickContentEditingView&);
    static void acceptPendingEditsAndMoveElementEditorToNewTargetElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&);
    static void moveAttributeEditorToNextEditableParentElement(VornickContentEditingView&, ActionSender*);
    static void moveAttributeEditorToNextEditableSiblingElement(VornickContentEditingView&, ActionSender*);
    static void moveAttributeEditorToPreviousEditableSiblingElement(VornickContentEditingView&, ActionSender*);
    static void moveAttributeEditorToFirstEditableChildElement(VornickContentEditingView&, ActionSender*);
    static void repositionAttributeEditorToTrackTargetElement(VornickContentEditingView&);
    // Closes the popover without applying the edits still pending.
    static void cancelPendingEditsAndCloseAttributeEditor(VornickContentEditingView&);
    // -- Keyboard handling: Return, Tab, Escape and the arrow keys act by the document's structure
    // Splits the nearest paragraph-like element at the caret.
    static void splitParagraph(VornickContentEditingView&, ActionSender* sender = nullptr);
    // -- Table commands: each is one undo step; each validator answers whether its command would change the document
    static void addTableCaption(VornickContentEditingView&, ActionSender*);
    static void addTableHeader(VornickContentEditingView&, ActionSender*);
    static void addTableFooter(VornickContentEditingView&, ActionSender*);
    static void insertColumnBeforeTableColumn(VornickContentEditingView&, ActionSender*);
    static void insertColumnAfterTableColumn(VornickContentEditingView&, ActionSender*);
    static void deleteTableColumns(VornickContentEditingView&, ActionSender*);
    static void insertRowBeforeTableRow(VornickContentEditingView&, ActionSender*);
    static void insertRowAfterTableRow(VornickContentEditingView&, ActionSender*);
    static void deleteTableRows(VornickContentEditingView&, ActionSender*);
    static bool canAddTableCaption(const VornickContentEditingView&);
    static bool canAddTableHeader(const VornickContentEditingView&);
    static bool canAddTableFooter(const VornickContentEditingView&);
    static bool canInsertColumnBeforeTableColumn(const VornickContentEditingView&);
    static bool canInsertColumnAfterTableColumn(const VornickContentEditingView&);
    static bool canDeleteTableColumns(const VornickContentEditingView&);
    static bool canInsertRowBeforeTableRow(const VornickContentEditingView&);
    static bool canInsertRowAfterTableRow(const VornickContentEditingView&);
    static bool canDeleteTableRows(const VornickContentEditingView&);
    // The work of the commands, whether or not the view is editable. With `preflight` (or `dryRun`) true they only answer whether they
    // would change the document; otherwise whether they did.
    static bool addTableHeaderOrPreflight(VornickContentEditingView&, bool preflight);
    static bool deleteTableColumnsOrDryRun(VornickContentEditingView&, bool dryRun);
    // A new row before (direction < 0) or after the row the effective operation range selects or lies in.
    static bool insertRowRelativeToInferredTableRow(VornickContentEditingView&, int direction);
    // -- Clipboard and deletion: each command is one undo step under its own name
    // Copies the range (grown over block comments) to the pasteboard: the cleaned-up web archive and the text, or only the HTML source as
    // text. False, with the pasteboard left as it was, for a collapsed range or when there is nothing to write.
    [[nodiscard]] static bool copyContentsOfRange(VornickContentEditingView&, const std::shared_ptr<DOMRange>&, Pasteboard&,
        bool asHTMLSourceCode);
    static void copyAsHTMLSourceCode(VornickContentEditingView&, ActionSender*);
    static void copyElementInteriorAsHTMLSourceCode(VornickContentEditingView&, ActionSender*);
    // Puts the URL of the link the selection infers on the general pasteboard; a link whose reference does not resolve leaves it alone.
    static void copyLink(VornickContentEditingView&, ActionSender*);
    // Whether copyLink would put a URL on the pasteboard.
    static bool canCopyLink(const VornickContentEditingView&);
    static void cut(VornickContentEditingView&, ActionSender*);
    static void paste(VornickContentEditingView&, ActionSender*);
    // Replaces the range by a pasted fragment; blocks the element at the
    // range may not hold go out of it, split at the range as Return splits
    // it (VornickFindBlockFragmentPlace).
    [[nodiscard]] static bool replaceRangeWithPastedFragment(VornickContentEditingView&, std::shared_ptr<DOMRange>,
        const std::shared_ptr<DOMDocumentFragment>&, const std::u16string& actionName);
    // -- Pointer: hit testing, selection interception, mouse, cursor, overlay, section handles
    // What lies under a point of this view, in the editor's terms: an element that may not be edited inside, a waypoint between bricks, a
    // brick's section handle, or the caret the web view would place (the probe). Null when nothing is there; the hit part kind is written
    // only with a result.
    static std::shared_ptr<DOMRange> rangeForPoint(VornickContentEditingView&, Point viewPoint, unsigned options,
        VornickHitPartKind* outHitPartKind);
    // The child offset of the element just below the last child wholly above the point; 0 above every child; -1 within or below the first.
    static int32_t hitTestWaypointsInElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&, Point viewPoint);
    static void beginInterceptingSelectionChangingEvent(VornickContentEditingView&, const Event&);
    static void endInterceptingSelectionChangingEvent(VornickContentEditingView&, const Event&);
    // Gives a key event to the web view inside, intercepted, and answers whether it proposed a selection change (which the selection filter
    // then serviced); `handled` tells whether anybody took the event.
    static bool letWebViewProposeSelectionChangeForKeyEvent(VornickContentEditingView&, const Event&, bool* handled = nullptr);
    static void showOrHideSourceLoupe(VornickContentEditingView&, ActionSender*);
    static void vornick_toggleSectionHandlesShown(VornickContentEditingView&, ActionSender*);
    // -- Formatting commands: each is one undo step; each validator answers whether its command would change something
    static void toggleEmphasized(VornickContentEditingView&, ActionSender*);
    static bool canToggleEmphasized(const VornickContentEditingView&);
    static void toggleStronglyEmphasized(VornickContentEditingView&, ActionSender*);
    static bool canToggleStronglyEmphasized(const VornickContentEditingView&);
    static void toggleItalics(VornickContentEditingView&, ActionSender*);
    static bool canToggleItalics(const VornickContentEditingView&);
    static void toggleBoldface(VornickContentEditingView&, ActionSender*);
    static bool canToggleBoldface(const VornickContentEditingView&);
    static void toggleSuperscript(VornickContentEditingView&, ActionSender*);
    static bool canToggleSuperscript(const VornickContentEditingView&);
    static void toggleSubscript(VornickContentEditingView&, ActionSender*);
    static bool canToggleSubscript(const VornickContentEditingView&);
    static void toggleCode(VornickContentEditingView&, ActionSender*);
    static bool canToggleCode(const VornickContentEditingView&);
    static void toggleDeleted(VornickContentEditingView&, ActionSender*);
    static bool canToggleDeleted(const VornickContentEditingView&);
    static void toggleInserted(VornickContentEditingView&, ActionSender*);
    static bool canToggleInserted(const VornickContentEditingView&);
    static void toggleKbd(VornickContentEditingView&, ActionSender*);
    static bool canToggleKbd(const VornickContentEditingView&);
    static void toggleMarked(VornickContentEditingView&, ActionSender*);
    static bool canToggleMarked(const VornickContentEditingView&);
    static void toggleSamp(VornickContentEditingView&, ActionSender*);
    static bool canToggleSamp(const VornickContentEditingView&);
    static void toggleVar(VornickContentEditingView&, ActionSender*);
    static bool canToggleVar(const VornickContentEditingView&);
    // Opens the attribute editor on the link at the selection, or makes one.
    static void insertOrWrapInLink(VornickContentEditingView&, ActionSender*);
    // Lets the user choose a file and links the selection (or the link at it) to that file.
    static void insertOrWrapInLinkToFile(VornickContentEditingView&, ActionSender*);
    static bool canInsertOrWrapInLinkToFile(const VornickContentEditingView&);
    // The sender's tag is the level (1 to 6; anything else means 2).
    static void changeHeadingLevel(VornickContentEditingView&, ActionSender*);
    static bool canChangeHeadingLevel(const VornickContentEditingView&);
    // Whether a heading change to the level would change the document.
    static bool canChangeHeadingLevelTo(const VornickContentEditingView&, long level);
    static void clearHeadingLevel(VornickContentEditingView&, ActionSender*);
    static bool canClearHeadingLevel(const VornickContentEditingView&);
    static void replaceWhitespaceWithNonBreakingSpaces(VornickContentEditingView&, ActionSender*);
    static bool canReplaceWhitespaceWithNonBreakingSpaces(const VornickContentEditingView&);
    static void replaceWhitespaceWithOrdinarySpaces(VornickContentEditingView&, ActionSender*);
    static bool canReplaceWhitespaceWithOrdinarySpaces(const VornickContentEditingView&);
    static void unwrapElement(VornickContentEditingView&, ActionSender*);
    static bool canUnwrapElement(const VornickContentEditingView&);
    // Replaces the selection by its own text.
    static void removeAllElements(VornickContentEditingView&, ActionSender*);
    static bool canRemoveAllElements(const VornickContentEditingView&);
    static bool validateTransformMenuItem(VornickContentEditingView&, MenuItem&, const VornickExactSelection&);
    // -- List commands: each is one undo step; each validator answers whether its command would change the document
    static void indentListLevel(VornickContentEditingView&, ActionSender*);
    static bool canIndentListLevel(VornickContentEditingView&);
    static void outdentListLevel(VornickContentEditingView&, ActionSender*);
    static bool canOutdentListLevel(VornickContentEditingView&);
    static void toggleListType(VornickContentEditingView&, ActionSender*);
    static bool canToggleListType(const VornickContentEditingView&);
    static void moveListItemsUp(VornickContentEditingView&, ActionSender*);
    static bool canMoveListItemsUp(VornickContentEditingView&);
    static void moveListItemsDown(VornickContentEditingView&, ActionSender*);
    static bool canMoveListItemsDown(VornickContentEditingView&);
    // -- Find and replace, spelling and the find bar, resource file watching and reload, view services
    static void performTextFinderAction(VornickContentEditingView&, ActionSender*);
    // Resource file watching: one watcher per local file the web view loads; a change reloads the style sheets and images that use the
    // file.
    static std::shared_ptr<VornickWebResourceFileWatcher> watcherForResourceLoadAttempt(const VornickContentEditingView&,
        const VornickResourceLoadAttempt&);
    static size_t resourceFileWatcherCount(const VornickContentEditingView&);
    static void refreshForResourceFileChangeAtURL(VornickContentEditingView&, const URL&);
    // Whether a change of the file at the URL calls for that refresh: not in
    // a closing view, not for a file the view's save wrote, and only for a
    // file the page loaded (or is loading) as a resource.
    static bool refreshesForResourceFileChangeAtURL(const VornickContentEditingView&, const URL&);
    static void noteWrittenDocumentFile(VornickContentEditingView&, const std::string& path);
    static bool isJavaScriptEnabled(const VornickContentEditingView&);
    static void setJavaScriptEnabled(VornickContentEditingView&, bool);
    static std::shared_ptr<Menu> buildCharacterEncodingsMenu();
    // The completion gets the chosen URL, or null when the user cancelled.
    static void promptForPermissionToWriteFileOfType(VornickContentEditingView&, const std::u16string& fileType, const URL& proposedURL,
        const std::u16string& message, const std::shared_ptr<VornickSavePanelAccessoryViewController>& accessoryViewController,
        const std::function<void(std::optional<URL>)>& completionHandler);
    static bool toggleCollapseOfBrickElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&);
    // -- Head elements, style sheets, snippet set and formatting preferences: each change one undo step
    // The notification's object is the edited preferences.
    static void htmlFormattingPreferencesInstanceWasEdited(VornickContentEditingView&, const Notification&);
    // -- Menu validation: one table of the actions the view performs and what enables their items
    // The actions the table names, in the order they are tested.
    static std::vector<std::string_view> validatedMenuActions();
    // -- Drag and drop and pasteboard to fragment
    // Null for no objects; one object's own fragment; else each fragment in order.
    static std::shared_ptr<DOMDocumentFragment> createFragmentFromContentsOfPasteboard(VornickContentEditingView&, const Pasteboard&,
        DOMDocument&);
    // Makes the fragment a drop from outside the view would insert, once per drag.
    static void createFragmentForDropIfNeededForDocument(VornickContentEditingView&, DOMDocument&, const Pasteboard&);
    static void clearProposedDrop(VornickContentEditingView&);
    // -- Fragment completion ("Insert or Wrap In"), the apply menus, tab triggers, snippets from the selection
    static void vornick_initiateFragmentCompletion(VornickContentEditingView&, ActionSender*);
    static void repositionCompletionPopoverToTrackBaseTargetRange(VornickContentEditingView&);
    // The completion controller's calls: the ranking adjusted to what may go at the base target range (disabled matches lose strength and
    // say why), the texts shown for a match, and the end of completion.
    static std::vector<VornickCompletionMatch> completionUIController(VornickContentEditingView&, VornickFragmentCompletionUIController&,
        std::vector<VornickCompletionMatch>, std::u16string_view searchString);
    // The apply menus' actions; the transform of a snippet and of an element are one operation.
    static void vornick_invokeElementFromMenuItem(VornickContentEditingView&, ActionSender*);
    // Calls the block with the run of non-space characters (at most ten) just before a collapsed insertion point in a text node, and a
    // range over it.
    static void forTabTriggerAtInsertionPoint(VornickContentEditingView&, const DOMRange&, const std::function<void(std::u16string_view,
        const std::shared_ptr<DOMRange>&)>&);
};

// The view's own files name it briefly outside the view's members too.
using Internals = VornickContentEditingView::Internals;

} // namespace brevanton
