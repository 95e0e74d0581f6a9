// The private state of VornickContentEditingView, shared by the files
// that implement the view (and only included by them).
#pragma once

#include "editing/VornickContentEditingView.h"
#include "platform/foundation/RunLoop.h"
#include "toolkit/VornickNewlineConvention.h"

#include <map>

namespace brevanton {

class AttributedString;
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
};

} // namespace brevanton
