// The private state of VornickContentEditingView, shared by the files
// that implement the view (and only included by them).
#pragma once

#include "editing/VornickContentEditingView.h"
#include "platform/foundation/RunLoop.h"
#include "toolkit/VornickNewlineConvention.h"

#include <map>

namespace brevanton {

class AttributedString;
class Cursor;
class DOMCSSStyleSheet;
class VornickAttachmentPointLocator;
class VornickLineIndex;
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

    // --- Find and replace, spelling and the find bar, resource file watching (state)
    std::shared_ptr<VornickFindAndReplaceController> findAndReplaceController;
    std::shared_ptr<View> findBarView;
    bool findBarIsVisible { false };
    long spellDocumentTag { 0 };
    std::shared_ptr<TextField> spellPanelWordField;
    std::map<std::u16string, std::shared_ptr<VornickWebResourceFileWatcher>> resourceFileWatchers;
    std::vector<std::shared_ptr<ResourceLoadEndWaiter>> resourceLoadEndWaiters;
    std::vector<SubresourceReload>* collectedSubresourceReloads { nullptr };

    // --- Head elements, style sheets, snippet set and formatting preferences (state)
    std::shared_ptr<Menu> addHeadElementMenu;

    // --- Drag and drop and pasteboard to fragment (state)
    std::vector<URL> referencedFileURLsForDrop;
    std::vector<URL> audioFileURLsForDrop;
    bool droppingSingleLink { false };

    // --- Fragment completion (state)
    std::shared_ptr<VornickFragmentCompletionUIController> fragmentCompletionUIController;

    // --- Headless use (state)
    bool paintsLoadedSource { true };
    bool preparesWriteBack { false };
    std::unique_ptr<PreparedWriteBack> preparedWriteBack;
    std::optional<std::string> lastWrittenMainFrameData;

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
    // After typed text was inserted: fixes up the text just typed (with the
    // text before it as context) on a later turn, when a check finds anything.
    static void scheduleTextFixupIfNeededForEditedRange(VornickContentEditingView&, const std::shared_ptr<DOMRange>&);
    static void addWatcherForResourceFile(VornickContentEditingView&, const std::shared_ptr<VornickResourceLoadAttempt>&, const URL&);
    static void tickleReloadOfStyleSheetReferencedByLinkElement(VornickContentEditingView&, const std::shared_ptr<DOMElement>&);
    static void tickleReloadOfStyleSheet(VornickContentEditingView&, const std::shared_ptr<DOMCSSStyleSheet>&);
    static void tickleReloadOfStyleSheet(VornickContentEditingView&, const std::shared_ptr<DOMCSSStyleSheet>&, const URL& changedFileURL);
    static void updateImgElementWidthAndHeight(VornickContentEditingView&, const std::shared_ptr<DOMElement>&, const URL& resolvedURL);
    static void whenResourceFileLoadSucceedsOrFails(VornickContentEditingView&, const std::shared_ptr<VornickResourceLoadAttempt>&,
                                                    std::function<void()>);
    static void updateAfterTextZoom(VornickContentEditingView&);
    static void setAddHeadElementMenu(VornickContentEditingView&, std::shared_ptr<Menu> menu);
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
};

} // namespace brevanton
