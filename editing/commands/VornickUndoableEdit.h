// VornickUndoableEdit: the base of every edit command (editing/commands/).
// A command is constructed with the editing context, whether it is undoable,
// the caller's name for the step (which wins over the command's own) and its
// arguments, and performed once by its `apply()`, which answers the result
// ([[nodiscard]] when the result tells failure). Commands see the editor
// only through `VornickEditingContext`; no command file includes the content
// editing view's header.
//
// One way to write a command, `VornickUndoableSomething` in
// editing/commands/VornickUndoableSomething.h/.cpp:
//
//   class VornickUndoableSomething : public VornickUndoableEdit {
//   public:
//       VornickUndoableSomething(VornickEditingContext&, bool undoable, <arguments>,
//                                const std::optional<std::u16string>& actionNameOverride = std::nullopt);
//       [[nodiscard]] bool apply();
//   private:
//       <the arguments>
//   };
//
// and `apply()`, in order:
//   1. checks its arguments (refusing without any effect), then calls
//      `begin`, which ends the open typing and backspace runs (unless told
//      not to: the text replacement that extends the typing run, the
//      deletion that extends the backspace run) and fixes the step's name;
//   2. registers the selection to restore (`registerSelectionUndo`, first, so
//      that it runs last when the step is undone);
//   3. registers its inverse (`registerInverse`): a closure that owns its
//      payload (clones, frozen ranges, relative paths, never live ranges or
//      live nodes that a later edit may detach) and gets the context. An
//      inverse constructs the inverse command and applies it undoable, so
//      undoing registers the redo;
//   4. names the step (`setActionName`);
//   5. changes the document;
//   6. `finish`es: sets the target range to the result and announces the
//      content change of the focused frame.
// With undoable false, steps 2 to 4 do nothing. The view keeps a member of a
// few lines per command for its callers, which constructs and applies it.
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
class VornickEditingContext;

class VornickUndoableEdit {
public:
    enum class TypingRun { End, Keep };
    // The open backspace run ends too: an edit changes what the run's
    // offsets count. Only the editor's own backspacing keeps it.
    enum class BackspaceRun { End, Keep };

    VornickUndoableEdit(VornickEditingContext&, bool undoable, const std::optional<std::u16string>& actionNameOverride = std::nullopt);
    VornickUndoableEdit(const VornickUndoableEdit&) = delete;
    VornickUndoableEdit& operator=(const VornickUndoableEdit&) = delete;

    VornickEditingContext& context() const { return m_context; }
    bool undoable() const { return m_undoable; }
    // The undo manager when undoable, else null.
    UndoManager* undoManager() const;
    // The caller's name for the step, which commands this one applies take on.
    const std::optional<std::u16string>& actionNameOverride() const { return m_actionNameOverride; }
    // The name this step takes: the override, else the default `begin` got.
    const std::u16string& actionName() const { return m_actionName; }

    // Ends the open runs (unless kept) and takes the command's own name for
    // the step, unless the caller named it.
    void begin(std::u16string defaultActionName = {}, TypingRun = TypingRun::End, BackspaceRun = BackspaceRun::End);
    void registerSelectionUndo();
    void registerInverse(std::function<void(VornickEditingContext&)> inverse);
    // Names the step when undoable and a name is known.
    void setActionName();
    // Sets the target range (registering the old one when `undoablyTarget`
    // and the edit is undoable) and announces the content change.
    void finish(const std::shared_ptr<DOMRange>& targetRange, bool undoablyTarget = false);

private:
    VornickEditingContext& m_context;
    bool m_undoable;
    std::optional<std::u16string> m_actionNameOverride;
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
