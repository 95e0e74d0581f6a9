// The view's members for the core edit commands (editing/commands/): each
// constructs its command on the view's editing context and applies it.
#include "editing/VornickContentEditingView.h"

#include "editing/commands/VornickUndoableChildSpanExchange.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "platform/dom/DOMDocument.h"

namespace brevanton {

// --- Insertion

bool VornickContentEditingView::insertFragmentAtPosition(const std::shared_ptr<DOMDocumentFragment>& fragment, VornickDOMPosition position,
                                                         bool undoably, const std::optional<std::u16string>& undoActionNameOverride)
{
    return VornickUndoableFragmentInsertion(editingContext(), undoably, fragment, std::move(position), undoActionNameOverride).apply();
}

bool VornickContentEditingView::insertFragmentAtPath(const std::shared_ptr<DOMDocumentFragment>& fragment, const VornickRelativeDOMPath& path,
                                                     const std::shared_ptr<DOMDocument>& document, bool undoably,
                                                     const std::optional<std::u16string>& undoActionNameOverride)
{
    if (!document)
        return false;
    auto position = path.positionRelativeToNewAncestor(document);
    if (!position.node)
        return false;
    return insertFragmentAtPosition(fragment, position, undoably, undoActionNameOverride);
}

bool VornickContentEditingView::insertFragmentUndoably(const std::shared_ptr<DOMDocumentFragment>& fragment)
{
    return insertFragmentAtPosition(fragment, VornickDOMPosition(), true, std::nullopt);
}

// --- The exact inverse of a change confined to a run of children

bool VornickContentEditingView::exchangeChildSpan(const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                  const VornickFreezeDriedDOMRange& span, const std::shared_ptr<DOMDocument>& document,
                                                  char16_t substitute, const std::optional<VornickFreezeDriedDOMRange>& selectionToRestore)
{
    return VornickUndoableChildSpanExchange(editingContext(), fragment, span, document, substitute, selectionToRestore).apply();
}

} // namespace brevanton
