// The view's members for the core edit commands (editing/commands/): each
// constructs its command on the view's editing context and applies it.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickRangeExtensions.h"
#include "editing/VornickContentEditingViewInternals.h"
#include "editing/commands/VornickUndoableAttributeValue.h"
#include "editing/commands/VornickUndoableFragmentDeletion.h"
#include "editing/commands/VornickUndoableFragmentInsertion.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "editing/commands/VornickUndoableMove.h"
#include "editing/commands/VornickUndoableTextReplacement.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"

namespace brevanton {

// --- Insertion

bool VornickContentEditingView::Internals::insertFragmentAtPosition(VornickContentEditingView& view, const std::shared_ptr<DOMDocumentFragment>& fragment, VornickDOMPosition position,
                                                         bool undoably, const std::optional<std::u16string>& undoActionNameOverride)
{
    return VornickUndoableFragmentInsertion(view.editingContext(), undoably, fragment, std::move(position), undoActionNameOverride).apply();
}

bool VornickContentEditingView::Internals::insertFragmentAtPath(VornickContentEditingView& view, const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                     const VornickRelativeDOMPath& path,
                                                     const std::shared_ptr<DOMDocument>& document, bool undoably,
                                                     const std::optional<std::u16string>& undoActionNameOverride)
{
    if (!document)
        return false;
    auto position = path.positionRelativeToNewAncestor(document);
    if (!position.node)
        return false;
    return Internals::insertFragmentAtPosition(view, fragment, position, undoably, undoActionNameOverride);
}

bool VornickContentEditingView::Internals::insertFragmentUndoably(VornickContentEditingView& view, const std::shared_ptr<DOMDocumentFragment>& fragment)
{
    return Internals::insertFragmentAtPosition(view, fragment, VornickDOMPosition(), true, std::nullopt);
}

// --- Deletion

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::deleteFragmentInRange(VornickContentEditingView& view, const std::shared_ptr<DOMRange>& range, bool undoably,
                                                                                      const std::optional<std::u16string>& undoActionNameOverride,
                                                                                      bool backspacing)
{
    std::shared_ptr<DOMDocumentFragment> deleted;
    if (!Internals::deleteFragment(view, range, undoably, undoActionNameOverride, backspacing, &deleted))
        return nullptr;
    return deleted;
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::deleteFragmentInFreezeDriedRange(VornickContentEditingView& view, const VornickFreezeDriedDOMRange& frozen, const std::shared_ptr<DOMDocument>& document, bool undoably,
    const std::optional<std::u16string>& undoActionNameOverride, bool backspacing)
{
    auto range = document ? frozen.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (!range)
        return nullptr;
    return Internals::deleteFragmentInRange(view, range, undoably, undoActionNameOverride, backspacing);
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::deleteFragmentUndoably(VornickContentEditingView& view)
{
    auto range = view.effectiveOperationRange();
    auto document = range ? vornick_ownerDocument(*range) : nullptr;
    if (!document || !Internals::deleteFragment(view, range, true, std::nullopt, false, nullptr))
        return nullptr;
    return document->createDocumentFragment();
}

std::shared_ptr<DOMDocumentFragment> VornickContentEditingView::Internals::backspaceDeleteRangeUndoably(VornickContentEditingView& view, const std::shared_ptr<DOMRange>& range)
{
    return Internals::deleteFragmentInRange(view, range, true, std::nullopt, true);
}

bool VornickContentEditingView::Internals::deleteFragment(VornickContentEditingView& view, const std::shared_ptr<DOMRange>& range,
                                                          bool undoably,
                                               const std::optional<std::u16string>& undoActionNameOverride, bool backspacing,
                                               std::shared_ptr<DOMDocumentFragment>* outDeleted)
{
    return VornickUndoableFragmentDeletion(view.editingContext(), undoably, range, undoActionNameOverride, backspacing).apply(outDeleted);
}

// --- Replacement

bool VornickContentEditingView::undoableReplaceRangeWithFragment(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                                 const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                                 const std::optional<std::u16string>& undoActionNameOverride,
                                                                 std::shared_ptr<DOMRange>* outResultRange)
{
    return VornickUndoableFragmentReplacement(editingContext(), undoable, range, fragment, undoActionNameOverride).apply(outResultRange);
}

bool VornickContentEditingView::undoableReplaceFreezeDriedRangeWithFragment(bool undoable, const VornickFreezeDriedDOMRange& frozen,
                                                                            const std::shared_ptr<DOMDocument>& document,
                                                                            const std::shared_ptr<DOMDocumentFragment>& fragment,
                                                                            const std::optional<std::u16string>& undoActionNameOverride,
                                                                            std::shared_ptr<DOMRange>* outResultRange)
{
    auto range = document ? frozen.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (!range)
        return false;
    return undoableReplaceRangeWithFragment(undoable, range, fragment, undoActionNameOverride, outResultRange);
}

// --- Text

bool VornickContentEditingView::undoableReplaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>& range,
                                                             const std::u16string& text,
                                                             bool addToTypingRun, std::shared_ptr<DOMRange>* outResultRange)
{
    return VornickUndoableTextReplacement(editingContext(), undoable, range, text, addToTypingRun).apply(outResultRange);
}

bool VornickContentEditingView::undoableReplaceFreezeDriedRangeWithText(bool undoable, const VornickFreezeDriedDOMRange& frozen,
                                                                        const std::shared_ptr<DOMDocument>& document,
                                                                        const std::u16string& text, bool addToTypingRun,
                                                                        std::shared_ptr<DOMRange>* outResultRange)
{
    auto range = document ? frozen.thawRangeRelativeToNewAncestor(document) : nullptr;
    if (!range)
        return false;
    return undoableReplaceRangeWithText(undoable, range, text, addToTypingRun, outResultRange);
}

void VornickContentEditingView::replaceRangeWithReplacementText(const std::shared_ptr<DOMRange>& range, const std::u16string& text)
{
    if (!range)
        return;
    endTypingRun();
    setTargetRange(range);
    std::shared_ptr<DOMRange> result;
    if (!undoableReplaceRangeWithText(true, range->cloneRange(), text, false, &result))
        return;
    if (result) {
        result->collapse(false);
        setTargetRange(result);
    }
    postVornickContentEditingViewDidChangeContentInWebFrame(focusedWebFrame(), nullptr);
}

// --- Moving and attributes

bool VornickContentEditingView::undoableMoveRange(bool undoable, const std::shared_ptr<DOMRange>& source,
                                                  const std::shared_ptr<DOMRange>& collapsedTarget,
                                                  const std::optional<std::u16string>& undoActionNameOverride,
                                                  std::shared_ptr<DOMRange>* outResultRange)
{
    return VornickUndoableMove(editingContext(), undoable, source, collapsedTarget, undoActionNameOverride).apply(outResultRange);
}

bool VornickContentEditingView::undoableSetValue(bool undoable, const std::u16string& value, const std::u16string& attribute,
                                                 const std::shared_ptr<DOMElement>& element)
{
    VornickUndoableAttributeValue(editingContext(), undoable, element, attribute, value).apply();
    return true;
}

} // namespace brevanton
