// Setting the compact formatting preferences string a document keeps in its
// head (none: the document keeps no string), named "HTML formatting
// preferences change". The frame's preferences object follows the string,
// but is never changed in place: the object may be shared (the user's
// default set, a set several documents use), so the frame gets a copy with
// the string applied.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class WebFrame;

class VornickUndoableFormattingPreferencesString : public VornickUndoableEdit {
public:
    VornickUndoableFormattingPreferencesString(VornickEditingContext&, bool undoable, std::optional<std::u16string>,
                                               std::shared_ptr<WebFrame>);

    // False without a frame or its document, and when the document keeps the string already.
    [[nodiscard]] bool apply();

private:
    std::optional<std::u16string> m_string;
    std::shared_ptr<WebFrame> m_frame;
};

} // namespace brevanton
