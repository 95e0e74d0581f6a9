// VornickEditingContext: what an edit command sees of the editor that
// performs it. Commands (editing/commands/) are written against this
// interface alone: no command file includes editing/VornickContentEditingView.h
// or names the view, so a command cannot reach the view's state and the view
// can change without recompiling its commands. The content editing view
// provides one context (`VornickContentEditingView::editingContext()`), which
// forwards to it.
//
// Keep it narrow: add what a command needs to the group it belongs to, as a
// pure virtual member that says what it does in the editor's terms.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brevanton {

class DOMCharacterData;
class DOMDocument;
class DOMElement;
class DOMRange;
class UndoManager;
class VornickBlockModeEditingContext;
class VornickBlockModeHelper;
struct VornickDOMPosition;
class VornickUndoableBackspaceRun;
class VornickUndoableTypingRun;
class WebFrame;

class VornickEditingContext {
public:
    virtual ~VornickEditingContext() = default;

    // --- The document and its frames

    virtual std::shared_ptr<WebFrame> mainFrame() const = 0;
    // The frame being edited, whose document the selection lies in.
    virtual std::shared_ptr<WebFrame> focusedWebFrame() const = 0;

    // --- Selection and target range

    // The range commands act on when they are given none: the target range,
    // else what the web view has selected.
    virtual std::shared_ptr<DOMRange> effectiveOperationRange() const = 0;
    virtual void setTargetRange(const std::shared_ptr<DOMRange>&) = 0;
    // Sets the target range and, when it differs from the effective
    // operation range, registers the change back.
    virtual void setTargetRangeUndoably(const std::shared_ptr<DOMRange>&) = 0;
    // Registers the restoration of the effective operation range as it is now.
    virtual void registerTargetRangeUndo() = 0;

    // --- Undo

    // The window's undo manager, or the editor's own while it has no window.
    virtual UndoManager* undoManager() const = 0;
    // Registers an inverse under the editor: it ends the open typing and
    // backspace runs before it runs, runs only while the editor exists (the
    // registration holds it weakly) and goes from every undo manager with the
    // editor.
    virtual void registerUndo(std::function<void(VornickEditingContext&)> inverse) = 0;
    // Told as each edit command is made, before it changes the document.
    virtual void editWillBegin() = 0;

    // --- The change cycle

    // Announces a change of the document in the frame (null: none known),
    // which regenerates its source.
    virtual void contentDidChangeInWebFrame(const std::shared_ptr<WebFrame>&) = 0;
    // Regenerates the focused frame's source unless it is scheduled already.
    virtual void scheduleHTMLUpdateForFocusedWebFrameIfNeeded() = 0;
    // Redraws the web view on the next turn of the run loop.
    virtual void redisplayWebViewOnNextTurn() = 0;
    virtual void endTypingRun() = 0;
    virtual void endBackspaceRun() = 0;
    // Text replaced in a text node as typing: grows the open typing run when
    // the change continues it, else opens a new run ("Typing") for it.
    // Called before the node changes.
    virtual void addReplacementToTypingRun(const std::shared_ptr<DOMCharacterData>&, int32_t replacedStartOffset,
                                           int32_t replacedEndOffset, int32_t replacementLength) = 0;
    // Characters deleted from a text node by backspacing: the open backspace
    // run takes them when they end where it begins, else a new run
    // ("Backspacing") opens for them. Called before the node changes.
    virtual void addDeletionToBackspaceRun(const std::shared_ptr<DOMCharacterData>&, int32_t deletedStartOffset,
                                           int32_t deletedEndOffset) = 0;
    // True while the editor itself changes a text node's data (which the
    // editor's own observers of text changes then leave alone).
    virtual bool insertingTextOrBackspacing() const = 0;
    virtual void setInsertingTextOrBackspacing(bool) = 0;

    // --- Blocks

    // The helper that knows the document's blocks; null when none.
    virtual VornickBlockModeHelper* blockModeHelper() const = 0;
    // The editor as the helper's context, for the helper's calls that take one.
    virtual VornickBlockModeEditingContext* blockModeEditingContext() = 0;
    // Whether blocks show their section handles (bricks).
    virtual bool sectionHandlesShown() const = 0;

    // --- Editability

    virtual bool isEditable() const = 0;

    // --- Document settings: the head's elements, its title, the snippet set and the formatting preferences

    // Tells the delegate that the focused frame's set of style sheets
    // changed, when the document is that frame's.
    virtual void noteStyleSheetSetChangeInDocument(const DOMDocument&) = 0;
    // Regenerates the focused frame's source.
    virtual void scheduleHTMLUpdateForFocusedWebFrame() = 0;
    // The head pane shows the document's title as it is now, in a focused field.
    virtual void showTitleInHeadPane() = 0;

    // --- Formatting: the styles pending for typed text

    // Toggles the inline element kind (upper-case tag) among those pending
    // for the next text typed at the caret.
    virtual void togglePendingInlineStyle(const std::u16string& tagName, const VornickDOMPosition& caret) = 0;
    // The pending kinds, in the order they were toggled.
    virtual const std::vector<std::u16string>& pendingInlineStyles() const = 0;
    virtual void clearPendingInlineStyles() = 0;
    // Drops the pending kinds when the caret left the place they were toggled at.
    virtual void dropPendingInlineStylesIfCaretMoved() = 0;

    // --- Typing

    // True while typed text goes in: its own caret moves keep the pending styles.
    virtual bool insertingTypedText() const = 0;
    virtual void setInsertingTypedText(bool) = 0;
    // 0 condenses typed white space as HTML shows it, 1 keeps it as typed.
    virtual int32_t whitespacePolicy() const = 0;
    // Fixes up the text just typed in the range on a later turn, when a check finds anything.
    virtual void scheduleTextFixupIfNeededForEditedRange(const std::shared_ptr<DOMRange>&) = 0;

    // --- The paragraph rules and the deletion of the selection the list and element structure commands use

    // Deletes the selection as the Delete key does.
    virtual void deleteSelection() = 0;
    // The space that holds a place for the caret in the range's document.
    virtual std::u16string placeholderSpaceStringForDocumentContainingRange(const DOMRange&) const = 0;
    // Paragraph auto-wrap of inserted text: whether the editor adds
    // paragraphs, whether text inserted in the range would get one, and the
    // wrap of the selection's surroundings when it would.
    virtual bool automaticallyAddsParagraphs() const = 0;
    virtual bool shouldAddParagraphWrapperForInsertionInRange(const DOMRange&) const = 0;
    virtual void autoWrapSelectedRangeEnvironsInParagraphIfAppropriate() = 0;

    // --- Scrolling, which the table commands ask for

    // Scrolls the web view so that the range shows.
    virtual void scrollRangeToVisible(const std::shared_ptr<DOMRange>&) = 0;

    // --- The open runs, which a run asks for to end only itself

    virtual const VornickUndoableTypingRun* activeTypingRun() const = 0;
    virtual const VornickUndoableBackspaceRun* activeBackspaceRun() const = 0;

    // --- What applying an element or a snippet asks of the editor's user interface

    // Opens the attribute editor on the element, focused on the attribute when given.
    virtual void showAttributeEditorForElement(const std::shared_ptr<DOMElement>&, const std::optional<std::u16string>& attribute) = 0;
    // Text about to be inserted in the frame that holds the substitute for
    // non-breaking spaces makes the document choose another one (telling the
    // user when none is left).
    virtual void reassessNonBreakingSpaceSubstituteForTextToInsert(const std::u16string&, const std::shared_ptr<WebFrame>&) = 0;
    // Asks the user for the file of a media element (upper-case tag: IMG,
    // FIGURE, PICTURE, VIDEO or AUDIO), and replaces the selection with the
    // element when it arrives.
    virtual void chooseMediaFileAndReplaceSelection(const std::u16string& tagName) = 0;
    // Tells the user that the edit could not be made.
    virtual void beep() = 0;
};

} // namespace brevanton
