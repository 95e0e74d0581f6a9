// Typed text: an insertion the web view proposed, performed at the effective
// operation range with the editor's rules for white space, non-breaking
// spaces, the inline styles pending for typing and paragraphs. Text typed in
// a text node grows the open typing run; what else the insertion needs (the
// selection it replaces, a space to type into, a paragraph, the pending
// styles) goes in as undoable edits of their own.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableTypedTextInsertion : public VornickUndoableEdit {
public:
    // Always undoable. A replacement (find and replace) is one edit of its
    // own, never part of typing; with no text it deletes.
    VornickUndoableTypedTextInsertion(VornickEditingContext&, std::u16string text, bool replacement);

    void apply();

private:
    void insertPendingInlineStyledText(const std::u16string& text, std::shared_ptr<DOMRange>, char16_t substitute);
    std::shared_ptr<DOMRange> wrapInsertionPointInParagraph(const std::shared_ptr<DOMRange>& insertionPoint, bool& registeredTargetRangeUndo);

    std::u16string m_text;
    bool m_replacement;
};

} // namespace brevanton
