// Text replacement: the edit typing is made of. Within one text node the
// node's data changes in place, and the change either grows the open typing
// run or registers its own inverse; any other range is replaced by the text
// as a fragment.
#include "editing/VornickContentEditingView.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableEdit.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"

#include <algorithm>

namespace brevanton {

bool VornickContentEditingView::undoableReplaceRangeWithText(bool undoable, const std::shared_ptr<DOMRange>& rangeToReplace,
                                                             const std::u16string& text, bool addToTypingRun,
                                                             std::shared_ptr<DOMRange>* outResultRange)
{
    BREVANTON_ASSERT(rangeToReplace, "Invalid parameter not satisfying: rangeToReplace");
    auto container = rangeToReplace->startContainer();
    if (container != rangeToReplace->endContainer() || !container->isTextNode()) {
        auto document = vornick_ownerDocument(*rangeToReplace);
        auto fragment = vornick_createDocumentFragmentWithText(*document, text);
        return undoableReplaceRangeWithFragment(undoable, rangeToReplace->cloneRange(), fragment, u"Typing", outResultRange);
    }

    auto node = std::static_pointer_cast<DOMCharacterData>(container);
    auto s = static_cast<int32_t>(rangeToReplace->startOffset());
    auto e = static_cast<int32_t>(rangeToReplace->endOffset());
    auto length = static_cast<int32_t>(text.size());
    bool typing = undoable && addToTypingRun;
    // The view's own backspacing (the deletion that feeds the backspace run) keeps that run.
    VornickUndoableEdit edit(editingContext(), undoable);
    edit.begin({}, typing ? VornickUndoableEdit::TypingRun::Keep : VornickUndoableEdit::TypingRun::End,
               m_insertingTextOrBackspacing ? VornickUndoableEdit::BackspaceRun::Keep : VornickUndoableEdit::BackspaceRun::End);

    std::optional<std::u16string> replaced;
    if (typing) {
        editingContext().addReplacementToTypingRun(node, s, e, length);
    } else if (undoable) {
        edit.registerSelectionUndo();
        replaced = node->data().substr(s, e - s);
    }

    // A caret in this node follows the text it stood after.
    std::optional<int32_t> caret;
    if (auto effective = effectiveOperationRange(); effective && effective->collapsed() && effective->startContainer() == node)
        caret = static_cast<int32_t>(effective->startOffset());

    bool wasInserting = m_insertingTextOrBackspacing;
    m_insertingTextOrBackspacing = true;
    node->replaceData(static_cast<unsigned>(s), static_cast<unsigned>(e - s), text);
    m_insertingTextOrBackspacing = wasInserting;

    if (caret && *caret > s) {
        // After the replaced span it shifts by the change of length; inside
        // it, it stays within the replacement (never before it).
        int32_t c = std::max(*caret - (e - s) + length, s);
        c = std::min(c, static_cast<int32_t>(node->length()));
        auto collapsed = node->ownerDocument()->createRange();
        collapsed->setStart(node, static_cast<unsigned>(c));
        collapsed->setEnd(node, static_cast<unsigned>(c));
        setTargetRange(collapsed);
    }

    if (replaced || outResultRange) {
        auto result = node->ownerDocument()->createRange();
        result->setStart(node, static_cast<unsigned>(s));
        result->setEnd(node, static_cast<unsigned>(s + length));
        if (replaced) {
            auto document = node->ownerDocument();
            auto frozen = VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*result, document, false);
            char16_t substitute = VornickSubstituteInForce(*node);
            std::weak_ptr<DOMDocument> weakDocument = document;
            if (frozen) {
                registerUndo([frozen = std::move(*frozen), weakDocument, old = std::move(*replaced),
                                      substitute](VornickContentEditingView& view) {
                    auto document = weakDocument.lock();
                    if (!document)
                        return;
                    std::u16string text = old;
                    VornickTranslateSubstitute(text, substitute, VornickSubstituteInForce(*document));
                    (void)view.undoableReplaceFreezeDriedRangeWithText(true, frozen, document, text, false);
                });
            }
        }
        if (outResultRange)
            *outResultRange = result;
    }
    scheduleHTMLUpdateForFocusedWebFrameIfNeeded();
    return true;
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

} // namespace brevanton
