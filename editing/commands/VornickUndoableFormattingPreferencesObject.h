// Installing a formatting preferences object in a frame (none: the user's
// default set). The document keeps the object's string; the user's default
// set stores none. The step is named after the kind of object installed
// ("use custom HTML formatting preferences", "use default ...").
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickHTMLFormattingPreferences;
class WebFrame;

class VornickUndoableFormattingPreferencesObject : public VornickUndoableEdit {
public:
    VornickUndoableFormattingPreferencesObject(VornickEditingContext&, bool undoable, std::shared_ptr<VornickHTMLFormattingPreferences>,
                                               std::shared_ptr<WebFrame>);

    // False without a frame or its document.
    [[nodiscard]] bool apply();

private:
    std::shared_ptr<VornickHTMLFormattingPreferences> m_preferences;
    std::shared_ptr<WebFrame> m_frame;
};

} // namespace brevanton
