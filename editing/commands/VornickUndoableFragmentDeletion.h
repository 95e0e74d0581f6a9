// Fragment deletion: characters within one text node (as backspacing, in a
// backspace run), children of one element (joining the text nodes the
// deletion makes neighbours), or a range across nodes (restored from a
// snapshot of the span of the common ancestor it touched). A range across
// nodes takes along the table rows and sections it would empty, and keeps
// the rows it cuts through as long as the others (see
// VornickTableShapeKeeper); rows taken out of a table section shorten the
// cells above that spanned them, and their own cells that span rows below
// go on in the next row.
//
// The step is named "Delete" (children of one element) or "Delete
// selection"; characters of one text node take no name of their own.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableFragmentDeletion : public VornickUndoableEdit {
public:
    // A null range: the effective operation range. Backspacing deletes
    // characters of one text node into the backspace run.
    VornickUndoableFragmentDeletion(VornickEditingContext&, bool undoable, std::shared_ptr<DOMRange>,
                                    const std::optional<std::u16string>& actionNameOverride = std::nullopt, bool backspacing = false);

    // Answers whether it could delete. What was deleted goes to `outDeleted`
    // when asked, made for the caller: the undo payload is always a separate
    // one (the removed nodes themselves, or a snapshot), so a caller that
    // inserts what it got back never empties the undo step.
    [[nodiscard]] bool apply(std::shared_ptr<DOMDocumentFragment>* outDeleted = nullptr);

private:
    std::shared_ptr<DOMRange> m_range;
    bool m_backspacing;
};

} // namespace brevanton
