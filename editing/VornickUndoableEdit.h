// VornickUndoableEdit: the pattern every undoable edit of the content
// editing view shares, so that each operation (one per file) only says what
// it changes and what its inverse needs.
//
// In order, an operation:
//   1. makes an edit object, which ends the open typing and backspace runs
//      (unless told not to: the text replacement that extends the typing
//      run, the deletion that extends the backspace run);
//   2. registers the selection to restore (`registerSelectionUndo`, first, so
//      that it runs last when the step is undone);
//   3. registers its inverse (`registerInverse`): a closure that owns its
//      payload (clones, frozen ranges, relative paths, never live ranges or
//      live nodes that a later edit may detach) and gets the view, which it
//      holds weakly. An inverse is itself an undoable primitive called with
//      undoable true, so undoing registers the redo;
//   4. names the step (`setActionName`: the caller's override wins over the
//      operation's own name);
//   5. changes the document;
//   6. `finish`es: sets the target range to the result and posts the content
//      change for the focused frame.
// With undoable false, steps 2 to 4 do nothing.
//
// Payloads that carry text (cloned fragments, saved substrings, run texts)
// remember the non-breaking space substitute in force when they were taken;
// `VornickTranslateSubstitute` brings them to the substitute in force when
// they are put back.
#pragma once

#include "dom/VornickFreezeDriedDOMRange.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace brevanton {

class DOMDocument;
class DOMDocumentFragment;
class DOMNode;
class DOMRange;
class UndoManager;
class VornickContentEditingView;

class VornickUndoableEdit {
public:
    enum class TypingRun { End, Keep };
    // The open backspace run ends too: an edit changes what the run's
    // offsets count. Only the view's own backspacing keeps it.
    enum class BackspaceRun { End, Keep };

    VornickUndoableEdit(VornickContentEditingView&, bool undoable, std::u16string defaultActionName = {},
                        const std::optional<std::u16string>& actionNameOverride = std::nullopt,
                        TypingRun typingRun = TypingRun::End, BackspaceRun backspaceRun = BackspaceRun::End);
    VornickUndoableEdit(const VornickUndoableEdit&) = delete;
    VornickUndoableEdit& operator=(const VornickUndoableEdit&) = delete;

    VornickContentEditingView& view() const { return m_view; }
    bool undoable() const { return m_undoable; }
    // The view's undo manager when undoable, else null.
    UndoManager* undoManager() const;
    // The action name this step takes: the override, else the default.
    const std::u16string& actionName() const { return m_actionName; }

    void registerSelectionUndo();
    void registerInverse(std::function<void(VornickContentEditingView&)> inverse);
    // Names the step when undoable and a name is known.
    void setActionName();
    // Sets the target range (registering the old one when `undoablyTarget`
    // and the edit is undoable) and posts the content change.
    void finish(const std::shared_ptr<DOMRange>& targetRange, bool undoablyTarget = false);

private:
    VornickContentEditingView& m_view;
    bool m_undoable;
    std::u16string m_actionName;
};

// The substitute for U+00A0 in force for the node's document (0 when none).
char16_t VornickSubstituteInForce(const DOMNode&);
// Text taken while `from` was the substitute, made fit for a document whose
// substitute is now `to`: `from` becomes `to`, or U+00A0 when substitutes
// were turned off. Nothing changes when both are the same or `from` is 0.
void VornickTranslateSubstitute(std::u16string&, char16_t from, char16_t to);
void VornickTranslateSubstitute(DOMNode& subtree, char16_t from, char16_t to);

// A clone of a fragment (deep), as a fragment.
std::shared_ptr<DOMDocumentFragment> VornickCloneFragment(const DOMDocumentFragment&);
// The frozen form of a range between two gaps of `container`, relative to the document.
std::optional<VornickFreezeDriedDOMRange> VornickFreezeChildSpan(const std::shared_ptr<DOMNode>& container, unsigned start,
                                                                 unsigned end, const std::shared_ptr<DOMDocument>&);

} // namespace brevanton
