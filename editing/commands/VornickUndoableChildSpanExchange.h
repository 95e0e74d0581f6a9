// The exact inverse of any change confined to a run of children: the
// children in `span` (a range between two gaps of one container, frozen
// relative to the document) are exchanged for the fragment's, and the
// exchange back is registered, restoring `selectionToRestore` (frozen
// relative to the body) when undone. `substitute` is the non-breaking space
// substitute the fragment's text was taken with. Always undoable: it is
// what inverses apply.
#pragma once

#include "editing/commands/VornickUndoableEdit.h"

namespace brevanton {

class VornickUndoableChildSpanExchange : public VornickUndoableEdit {
public:
    VornickUndoableChildSpanExchange(VornickEditingContext&, std::shared_ptr<DOMDocumentFragment>, VornickFreezeDriedDOMRange span,
                                     std::shared_ptr<DOMDocument>, char16_t substitute,
                                     std::optional<VornickFreezeDriedDOMRange> selectionToRestore);

    // False when the span is not found between two gaps of one container.
    [[nodiscard]] bool apply();

private:
    std::shared_ptr<DOMDocumentFragment> m_fragment;
    VornickFreezeDriedDOMRange m_span;
    std::shared_ptr<DOMDocument> m_document;
    char16_t m_substitute;
    std::optional<VornickFreezeDriedDOMRange> m_selectionToRestore;
};

} // namespace brevanton
