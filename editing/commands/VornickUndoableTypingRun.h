// Typing and backspace runs: a burst of typing (or of backspacing) in one
// text node recorded as one undo step. A run is registered once with the undo
// manager and keeps growing while each change hits the same node where the
// previous one ended. Runs see the editor only through its editing context
// (editing/commands/VornickEditingContext.h), which the registrations hand
// them when they run.
//
// A run finds its text node again by a path from the body (or, outside the
// body, from the document) when it is undone or redone: structural edits and
// their undos may replace the node by an equal one, and the run must write
// into the node that is in the document then, never into a detached one.
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class DOMCharacterData;
class DOMDocument;
class VornickEditingContext;

class VornickUndoableTypingRun : public std::enable_shared_from_this<VornickUndoableTypingRun> {
public:
    // A run over [s, s + L) of `textNode` that replaced its text [s, e).
    // Made before the node changes: it keeps the node's text [s, e) and the
    // context's effective operation range (frozen relative to the body).
    VornickUndoableTypingRun(VornickEditingContext&, const std::shared_ptr<DOMCharacterData>& textNode,
                             int32_t replacedRangeStartOffset, int32_t replacedRangeEndOffset, int32_t replacementTextLength);
    virtual ~VornickUndoableTypingRun() = default;
    VornickUndoableTypingRun(const VornickUndoableTypingRun&) = delete;
    VornickUndoableTypingRun& operator=(const VornickUndoableTypingRun&) = delete;

    // Extends the run by a replacement of [s, e) by L units in the node: only
    // when it is the run's node and e is the run's end.
    bool addReplacementInTextNode(const DOMCharacterData&, int32_t replacedRangeStartOffset, int32_t replacedRangeEndOffset,
                                  int32_t replacementTextLength);
    // Ends the editor's open run when it is this one.
    virtual void endThisRun(VornickEditingContext&);
    virtual void registerRedo(VornickEditingContext&);
    // Puts the replaced text back (registering the redo first), restores the
    // selection and announces the content change.
    void undo(VornickEditingContext&);
    // Registers the run with the context's undo manager (its undo).
    void registerUndo(VornickEditingContext&);

    // The run's text node as the document holds it now (found by its path),
    // or the node the run began in while that is still in its document.
    std::shared_ptr<DOMCharacterData> textNode() const;
    int32_t undoRangeStartOffset() const { return m_undoRangeStartOffset; }
    int32_t undoRangeEndOffset() const { return m_undoRangeEndOffset; }
    const std::u16string& undoReplacementText() const { return m_undoReplacementText; }

protected:
    // Replaces [start, end) of the run's node by `text` as the editor's own
    // text change; false when the node is gone or the offsets do not fit.
    bool replaceInTextNode(VornickEditingContext&, int32_t start, int32_t end, const std::u16string& text);
    void postContentChange(VornickEditingContext&);

    std::weak_ptr<DOMCharacterData> m_textNode;
    std::weak_ptr<DOMDocument> m_document;
    std::optional<VornickRelativeDOMPath> m_textNodePath;
    bool m_pathIsFromBody { true };
    int32_t m_undoRangeStartOffset { 0 };
    int32_t m_undoRangeEndOffset { 0 };
    std::u16string m_undoReplacementText;
    // The substitute for U+00A0 in force when the replacement text was taken.
    char16_t m_replacementTextSubstitute { 0 };
    std::optional<VornickFreezeDriedDOMRange> m_freezeDriedTargetRangeToRestore;
};

class VornickUndoableBackspaceRun final : public VornickUndoableTypingRun {
public:
    // A run that deleted [s, e) of the node; the caret rests at s.
    VornickUndoableBackspaceRun(VornickEditingContext&, const std::shared_ptr<DOMCharacterData>& textNode,
                                int32_t deletedRangeStartOffset, int32_t deletedRangeEndOffset);

    // Takes a deletion of [s, e) that ends where the run begins (a
    // backspace), or that begins there (a forward deletion at the caret).
    bool consumeCharactersInTextNode(const DOMCharacterData&, int32_t fromStartOffset, int32_t toEndOffset);
    void endThisRun(VornickEditingContext&) override;
    // Registers the run itself for its redo.
    void registerRedo(VornickEditingContext&) override;
    // Deletes the characters again, in place, and registers the undo.
    void redo(VornickEditingContext&);
};

} // namespace brevanton
