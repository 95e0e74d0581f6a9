// Fragment insertion: a fragment goes in at a place (splitting a text node
// when the place is inside one), its text merges with the text beside it,
// and the result becomes the target range ("Insert"). The inverse exchanges
// the run of children the insertion changed for a copy of what stood there
// before, so that undo restores the text node boundaries exactly.
#pragma once

#include "dom/VornickDOMPosition.h"
#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableFragmentInsertion : public VornickUndoableEdit {
public:
    // A null position node: the start of the effective operation range.
    VornickUndoableFragmentInsertion(VornickEditingContext&, bool undoable, std::shared_ptr<DOMDocumentFragment>, VornickDOMPosition,
                                     const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // False when there is no place to insert.
    [[nodiscard]] bool apply();

private:
    std::shared_ptr<DOMDocumentFragment> m_fragment;
    VornickDOMPosition m_position;
};

} // namespace brevanton
