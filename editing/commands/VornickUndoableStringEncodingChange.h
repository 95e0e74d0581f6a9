// Switching the character encoding a document is written in, named "Change
// Text Encoding": the head's charset declaration is rewritten to name it
// (one declaration kept, in the form the document type calls for) and the
// frame writes in it from the next save on. Its inverse puts the head's
// declarations back as they were, with the frame's former encoding.
#pragma once

#include "dom/VornickDocumentEncoding.h"
#include "editing/commands/VornickUndoableEdit.h"

#include <variant>

namespace brevanton {

class WebFrame;

class VornickUndoableStringEncodingChange : public VornickUndoableEdit {
public:
    // To an encoding, or back to declarations taken before.
    VornickUndoableStringEncodingChange(VornickEditingContext&, bool undoable, std::variant<VornickStringEncoding, VornickCharsetDeclarations>,
                                        std::shared_ptr<WebFrame>);

    // False without the frame's document or its HEAD, for an encoding a
    // document cannot declare, and when the document is in it already.
    [[nodiscard]] bool apply();

private:
    std::variant<VornickStringEncoding, VornickCharsetDeclarations> m_change;
    std::shared_ptr<WebFrame> m_frame;
};

} // namespace brevanton
