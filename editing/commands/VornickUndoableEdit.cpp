#include "editing/commands/VornickUndoableEdit.h"

#include "dom/VornickDOMServices.h"
#include "editing/commands/VornickEditingContext.h"
#include "platform/dom/DOMCasts.h"
#include "platform/dom/DOMCharacterData.h"
#include "platform/dom/DOMDocument.h"
#include "platform/dom/DOMRange.h"
#include "platform/foundation/Assertions.h"
#include "platform/foundation/UndoManager.h"

#include <algorithm>

namespace brevanton {

VornickUndoableEdit::VornickUndoableEdit(VornickEditingContext& context, bool undoable,
                                         const std::optional<std::u16string>& actionNameOverride)
    : m_context(context)
    , m_undoable(undoable)
    , m_actionNameOverride(actionNameOverride)
{
    m_context.editWillBegin();
}

void VornickUndoableEdit::begin(std::u16string defaultActionName, TypingRun typingRun, BackspaceRun backspaceRun)
{
    m_actionName = m_actionNameOverride ? *m_actionNameOverride : std::move(defaultActionName);
    if (typingRun == TypingRun::End)
        m_context.endTypingRun();
    if (backspaceRun == BackspaceRun::End)
        m_context.endBackspaceRun();
}

UndoManager* VornickUndoableEdit::undoManager() const
{
    return m_undoable ? m_context.undoManager() : nullptr;
}

void VornickUndoableEdit::registerSelectionUndo()
{
    if (m_undoable)
        m_context.registerTargetRangeUndo();
}

void VornickUndoableEdit::registerInverse(std::function<void(VornickEditingContext&)> inverse)
{
    if (m_undoable)
        m_context.registerUndo(std::move(inverse));
}

void VornickUndoableEdit::setActionName()
{
    if (!m_undoable || m_actionName.empty())
        return;
    if (auto undo = m_context.undoManager())
        undo->setActionName(m_actionName);
}

void VornickUndoableEdit::finish(const std::shared_ptr<DOMRange>& targetRange, bool undoablyTarget)
{
    if (targetRange) {
        if (undoablyTarget && m_undoable)
            m_context.setTargetRangeUndoably(targetRange);
        else
            m_context.setTargetRange(targetRange);
    }
    m_context.contentDidChangeInWebFrame(m_context.focusedWebFrame());
}

// --- Payloads

char16_t VornickSubstituteInForce(const DOMNode& node)
{
    return vornick_nonBreakingSpaceSubstituteCharacter(node);
}

void VornickTranslateSubstitute(std::u16string& text, char16_t from, char16_t to)
{
    if (!from || from == to)
        return;
    std::replace(text.begin(), text.end(), from, to ? to : char16_t(0xA0));
}

void VornickTranslateSubstitute(DOMNode& subtree, char16_t from, char16_t to)
{
    if (!from || from == to)
        return;
    for (DOMNode* node = &subtree; node; node = node->traverseNext(&subtree)) {
        if (!node->isTextNode())
            continue;
        auto& text = downcast<DOMCharacterData>(*node);
        if (text.data().find(from) == std::u16string::npos)
            continue;
        std::u16string data = text.data();
        VornickTranslateSubstitute(data, from, to);
        text.setData(data);
    }
}

std::shared_ptr<DOMDocumentFragment> VornickCloneFragment(const DOMDocumentFragment& fragment)
{
    auto clone = fragment.cloneNode(true);
    BREVANTON_ASSERT(clone && clone->isDocumentFragmentNode(), "Expected -cloneNode: to return a DOMDocumenFragment");
    return downcast<DOMDocumentFragment>(clone);
}

std::optional<VornickFreezeDriedDOMRange> VornickFreezeChildSpan(const std::shared_ptr<DOMNode>& container, unsigned start,
                                                                 unsigned end, const std::shared_ptr<DOMDocument>& document)
{
    auto range = document->createRange();
    range->setStart(container, start);
    range->setEnd(container, end);
    return VornickFreezeDriedDOMRange::freezeDriedDOMRangeFromRange(*range, document, false);
}

} // namespace brevanton
