// VornickDocumentEditedState: whether a document differs from its file, told
// from where its undo manager stands (UndoManager::undoPosition) and from its
// content version, which every change of its content moves.
//
// The file holds the content of the document as it was at the last save (or
// the load). The document is not edited while it stands at an undo position
// known to have that content: the position of the save, and every position
// reached from one of those by steps that changed no content (a selection
// change is an undo step of its own). Undo and redo back to such a position
// make it unedited again; a new step after undoing past the saved position
// gets a position never seen, so the saved content is never reached again.
// A change of content without a new position was made without an undo step:
// nothing can take it back, so the document stays edited until it is saved.
// Only a step that is still growing (a typing run, which takes every further
// keystroke into the step it began) changes content at its own position.
#pragma once

#include <cstdint>
#include <set>

namespace brevanton {

class VornickDocumentEditedState {
public:
    // The file holds the document now, which stands at `position` with its
    // content at `contentVersion` (after loading or a save).
    void documentWasSaved(uint64_t position, uint64_t contentVersion);
    // Where the document stands now, called after every change of content
    // and every undo step closed, undone or redone. `lastStepIsGrowing`: a
    // change of content at the same position belongs to that position's step.
    void documentIsAt(uint64_t position, uint64_t contentVersion, bool lastStepIsGrowing);
    bool isEdited() const;

private:
    std::set<uint64_t> m_positionsWithSavedContent;
    bool m_changedWithoutUndo { false };
    uint64_t m_position { 0 };
    uint64_t m_contentVersion { 0 };
};

} // namespace brevanton
