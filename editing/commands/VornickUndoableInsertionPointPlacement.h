// Placing the caret in the gap after a place (a collapsed range in an
// element): at the start of the text that follows, or in a placeholder space
// put there, before or after it (a gap is wanted so that typing continues
// outside). The step is named by the caller.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickCommandStepName;

class VornickUndoableInsertionPointPlacement : public VornickUndoableEdit {
public:
    // The range must be collapsed (asserted). `stepName`, when given, is
    // opened right before the document changes.
    VornickUndoableInsertionPointPlacement(VornickEditingContext&, bool undoable, std::shared_ptr<DOMRange> collapsedRange, bool leaveAGap,
                                           VornickCommandStepName* stepName = nullptr);

    // False when the place is not in an element or the space could not be put there.
    [[nodiscard]] bool apply();

private:
    std::shared_ptr<DOMRange> m_range;
    bool m_leaveAGap;
    VornickCommandStepName* m_stepName;
};

} // namespace brevanton
