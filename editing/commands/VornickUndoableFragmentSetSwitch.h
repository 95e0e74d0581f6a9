// Switching the snippet set a frame's document uses (none: plain HTML). The
// new set is asked to validate itself for the document's type. The step is
// named after the set switched to ("Switch to Snippet Set: "General HTML"").
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickFragmentSet;
class WebFrame;

class VornickUndoableFragmentSetSwitch : public VornickUndoableEdit {
public:
    VornickUndoableFragmentSetSwitch(VornickEditingContext&, bool undoable, std::shared_ptr<VornickFragmentSet>, std::shared_ptr<WebFrame>);

    // False without a frame; true when the frame uses the set already.
    [[nodiscard]] bool apply();

private:
    std::shared_ptr<VornickFragmentSet> m_fragmentSet;
    std::shared_ptr<WebFrame> m_frame;
};

} // namespace brevanton
