#include "editing/commands/VornickUndoableTextReplacement.h"

#include "dom/VornickDocumentExtensions.h"
#include "dom/VornickRangeExtensions.h"
#include "editing/commands/VornickEditingContext.h"
#include "editing/commands/VornickUndoableFragmentReplacement.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"

#include <algorithm>

namespace brevanton {

VornickUndoableTextReplacement::VornickUndoableTextReplacement(VornickEditingContext& context, bool undoable, std::shared_ptr<DOMRange> range,
                                                               std::u16string text, bool addToTypingRun)
    : VornickUndoableEdit(context, undoable)
    , m_range(std::move(range))
    , m_text(std::move(text))
    , m_addToTypingRun(addToTypingRun)
{
}

bool VornickUndoableTextReplacement::apply(std::shared_ptr<DOMRange>* outResultRange)
{
    const auto& rangeToReplace = m_range;
    const auto& text = m_text;
    BREVANTON_ASSERT(rangeToReplace, "Invalid parameter not satisfying: rangeToReplace");
    auto container = rangeToReplace->startContainer();
    if (container != rangeToReplace->endContainer() || !container->isTextNode()) {
        auto document = vornick_ownerDocument(*rangeToReplace);
        auto fragment = vornick_createDocumentFragmentWithText(*document, text);
        return VornickUndoableFragmentReplacement(context(), undoable(), rangeToReplace->cloneRange(), fragment, u"Typing").apply(outResultRange);
    }

    auto node = downcast<DOMCharacterData>(container);
    auto s = static_cast<int32_t>(rangeToReplace->startOffset());
    auto e = static_cast<int32_t>(rangeToReplace->endOffset());
    auto length = static_cast<int32_t>(text.size());
    bool typing = undoable() && m_addToTypingRun;
    // The editor's own backspacing (the deletion that feeds the backspace run) keeps that run.
    begin({}, typing ? TypingRun::Keep : TypingRun::End,
          context().insertingTextOrBackspacing() ? BackspaceRun::Keep : BackspaceRun::End);

    std::optional<std::u16string> replaced;
    if (typing) {
        context().addReplacementToTypingRun(node, s, e, length);
    } else if (undoable()) {
        registerSelectionUndo();
        replaced = node->data().substr(s, e - s);
    }

    // A caret in this node follows the text it stood after.
    std::optional<int32_t> caret;
    if (auto effective = context().effectiveOperationRange(); effective && effective->collapsed() && effective->startContainer() == node)
        caret = static_cast<int32_t>(effective->startOffset());

    bool wasInserting = context().insertingTextOrBackspacing();
    context().setInsertingTextOrBackspacing(true);
    node->replaceData(static_cast<unsigned>(s), static_cast<unsigned>(e - s), text);
    context().setInsertingTextOrBackspacing(wasInserting);

    if (caret && *caret > s) {
        // After the replaced span it shifts by the change of length; inside
        // it, it stays within the replacement (never before it).
        int32_t c = std::max(*caret - (e - s) + length, s);
        c = std::min(c, static_cast<int32_t>(node->length()));
        auto collapsed = node->ownerDocument()->createRange();
        collapsed->setStart(node, static_cast<unsigned>(c));
        collapsed->setEnd(node, static_cast<unsigned>(c));
        context().setTargetRange(collapsed);
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
                registerInverse([frozen = std::move(*frozen), weakDocument, old = std::move(*replaced),
                                 substitute](VornickEditingContext& context) {
                    auto document = weakDocument.lock();
                    if (!document)
                        return;
                    std::u16string text = old;
                    VornickTranslateSubstitute(text, substitute, VornickSubstituteInForce(*document));
                    if (auto range = frozen.thawRangeRelativeToNewAncestor(document))
                        (void)VornickUndoableTextReplacement(context, true, range, text, false).apply();
                });
            }
        }
        if (outResultRange)
            *outResultRange = result;
    }
    context().scheduleHTMLUpdateForFocusedWebFrameIfNeeded();
    return true;
}

} // namespace brevanton
