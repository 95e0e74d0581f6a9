// Wrapping a range in a fragment (an element or a snippet) at the fragment's
// interior: the range is replaced by the fragment, then the interior by the
// range's former contents. The interior is found again through the
// fragment's own top-level node, wherever the insertion put it; when it
// cannot be found the replacement is taken back, so no content is lost. One
// step, "Wrap in <summary of the fragment>".
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableWrap : public VornickUndoableEdit {
public:
    // The range must not be collapsed; the interior is frozen relative to the
    // fragment (all asserted).
    VornickUndoableWrap(VornickEditingContext&, bool undoable, std::shared_ptr<DOMRange>, std::shared_ptr<DOMDocumentFragment>,
                        std::optional<VornickFreezeDriedDOMRange> freezeDriedInteriorRange);

    // False, with the range's contents back in place, when the interior cannot be found.
    [[nodiscard]] bool apply();

private:
    std::shared_ptr<DOMRange> m_range;
    std::shared_ptr<DOMDocumentFragment> m_fragment;
    std::optional<VornickFreezeDriedDOMRange> m_interior;
};

} // namespace brevanton
