// Applying a snippet to a range: inserted at a caret (the caret then goes to
// the snippet's interior, or after a block whose content may not be edited),
// wrapped around a selection it may wrap, or put in the selection's place,
// as one step named after the insertion, the wrap or the replacement. An
// element of the snippet that lacks attributes its kind requires gets them,
// and the attribute editor opens on the first one missing.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickFragmentDescription;

class VornickUndoableSnippetApplication : public VornickUndoableEdit {
public:
    VornickUndoableSnippetApplication(VornickEditingContext&, bool undoable, const VornickFragmentDescription&, std::shared_ptr<DOMRange>);

    // False when nothing was applied.
    [[nodiscard]] bool apply();

private:
    const VornickFragmentDescription& m_description;
    std::shared_ptr<DOMRange> m_range;
};

} // namespace brevanton
