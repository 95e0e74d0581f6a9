// Moving the contents of a range to another place ("Move"). The move is made
// in place inside the nearest container of both places, and Undo gives that
// container's children back exactly; nothing of the inverse is a live range,
// so an edit made and undone in between cannot make it move other content.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableMove : public VornickUndoableEdit {
public:
    // The target is collapsed (asserted).
    VornickUndoableMove(VornickEditingContext&, bool undoable, std::shared_ptr<DOMRange> source, std::shared_ptr<DOMRange> collapsedTarget,
                        const std::optional<std::u16string>& actionNameOverride = std::nullopt);

    // False when the target lies inside the source. `outResultRange`, when
    // given, gets the range of the moved contents.
    [[nodiscard]] bool apply(std::shared_ptr<DOMRange>* outResultRange = nullptr);

private:
    std::shared_ptr<DOMRange> m_source;
    std::shared_ptr<DOMRange> m_target;
};

} // namespace brevanton
