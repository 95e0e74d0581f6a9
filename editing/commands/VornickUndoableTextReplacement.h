// Text replacement: the edit typing is made of. Within one text node the
// node's data changes in place, and the change either grows the open typing
// run or registers its own inverse; any other range is replaced by the text
// as a fragment, named "Typing".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableTextReplacement : public VornickUndoableEdit {
public:
    // `addToTypingRun` extends the open typing run (when undoable) rather
    // than registering an inverse of its own.
    VornickUndoableTextReplacement(VornickEditingContext&, bool undoable, std::shared_ptr<DOMRange>, std::u16string text,
                                   bool addToTypingRun);

    // `outResultRange`, when given, gets the range of the new text.
    [[nodiscard]] bool apply(std::shared_ptr<DOMRange>* outResultRange = nullptr);

private:
    std::shared_ptr<DOMRange> m_range;
    std::u16string m_text;
    bool m_addToTypingRun;
};

} // namespace brevanton
