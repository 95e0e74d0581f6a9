// Replacing a range with a fragment: the range's contents are deleted and
// the fragment is inserted where they were, as one undo step. An undoable
// replacement of a range no longer in a document is refused: nothing of it
// would show, yet it would leave an undo step and an edit behind.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableFragmentReplacement : public VornickUndoableEdit {
public:
    // A null range: the effective operation range.
    VornickUndoableFragmentReplacement(VornickEditingContext&, bool undoable, std::shared_ptr<DOMRange>, std::shared_ptr<DOMDocumentFragment>,
                                       const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // `outResultRange`, when given, gets the effective operation range after
    // the replacement.
    [[nodiscard]] bool apply(std::shared_ptr<DOMRange>* outResultRange = nullptr);

private:
    std::shared_ptr<DOMRange> m_range;
    std::shared_ptr<DOMDocumentFragment> m_fragment;
};

} // namespace brevanton
