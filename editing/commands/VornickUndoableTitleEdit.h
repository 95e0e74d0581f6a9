// Setting the title of a frame's document ("Edit Title"): the text of its
// first TITLE element, made in the head when there is none. The head pane
// shows the new title.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class WebFrame;

class VornickUndoableTitleEdit : public VornickUndoableEdit {
public:
    VornickUndoableTitleEdit(VornickEditingContext&, bool undoable, std::u16string title, std::shared_ptr<WebFrame>);

    // False without a frame or its document; true when the title is that already.
    [[nodiscard]] bool apply();

private:
    std::u16string m_title;
    std::shared_ptr<WebFrame> m_frame;
};

} // namespace brevanton
